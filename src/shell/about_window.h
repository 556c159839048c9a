#pragma once

#include <QDialog>
#include <QString>
#include <functional>

#include "core/color.h"

class QFrame;
class QLabel;
class QPushButton;

namespace mnemora {

// The About window: name and version, a few words on the program, and two
// addresses that open a new mail message when clicked.
class TFormAbout : public QDialog {
    Q_OBJECT
public:
    explicit TFormAbout(QWidget* parent = nullptr);

    // Shows the window modally; nothing is stored.
    int ShowModal();

    // Hands a "mailto:" address to the desktop; replaceable for tests.
    std::function<void(const QString& url)> openAddress;

    void FormCreate();
    void Label4MouseMove(QLabel* sender);
    void Panel1MouseMove();
    void Label4Click(QLabel* sender);

    // The close box: the window closes with Cancel (2).
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setLinkLook(QLabel* link, bool highlighted);
    void fitAddressLines();

    QFrame* Panel1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QPushButton* BitBtn1 = nullptr;
};

}  // namespace mnemora
