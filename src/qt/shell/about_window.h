#pragma once

#include <QDialog>
#include <QString>
#include <functional>

#include "core/color.h"
#include "shell/about_presenter.h"

class QFrame;
class QLabel;
class QPushButton;

namespace mnemora {

// The About window: name and version, a few words on the program, and two
// addresses that open a new mail message when clicked.
class TFormAbout : public QDialog, public AboutView {
    Q_OBJECT
public:
    explicit TFormAbout(QWidget* parent = nullptr);
    // A window for a presenter made before it.
    explicit TFormAbout(AboutPresenter& presenter, QWidget* parent = nullptr);

    // Shows the window modally; nothing is stored.
    int ShowModal();

    AboutPresenter& presenter() { return *presenter_; }

    // Hands a "mailto:" address to the desktop; replaceable for tests.
    std::function<void(const QString& url)> openUrl;

    // AboutView
    void setVersionText(const std::string& text) override;
    [[nodiscard]] std::string linkCaption(AboutLink link) const override;
    void setLinkLook(AboutLink link, bool underline, TColor color) override;
    void openAddress(const std::string& url) override;

    // The close box: the window closes with Cancel (2).
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fitAddressLines();
    [[nodiscard]] QLabel* linkLabel(AboutLink link) const { return link == AboutLink::Label4 ? Label4 : Label6; }

    void build();

    AboutPresenter ownPresenter_;
    AboutPresenter* presenter_ = &ownPresenter_;

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
