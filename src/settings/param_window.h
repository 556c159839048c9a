#pragma once

#include <QColor>
#include <QDialog>
#include <QFont>
#include <QString>
#include <functional>
#include <optional>

#include "common/help_hook.h"
#include "settings/param_choice.h"
#include "settings/param_values.h"
#include "settings/registry.h"
#include "settings/settings.h"

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace mnemora {

// The screen font for a font description: its pixel height, style and face
// (or the desktop's substitute for it).

// The parameters window: a view over the live settings record. Every edit
// goes straight into the record; only OK writes the store, and nothing is
// undone on Cancel.
class TFormParam : public QDialog {
    Q_OBJECT
public:
    static constexpr int mrOk = 1;
    static constexpr int mrCancel = 2;

    TFormParam(TParamValues& values, RegistryBackend& store, const SettingsEnvironment& env, TMyHLPObject& help,
               QWidget* parent = nullptr);

    // Shows the window modally and gives mrOk or mrCancel. The caller applies
    // the appearance afterwards, whatever the result (or sets onClosed).
    int ShowModal();

    // Runs each time the window closes, OK or Cancel, after the store was
    // written: the place to apply the appearance to the main window.
    std::function<void()> onClosed;

    // The dialogs and the shell, replaceable for tests. nullopt: cancelled.
    std::function<std::optional<FontDialogResult>(QWidget* parent, const TFont& start)> chooseFont;
    std::function<std::optional<QColor>(QWidget* parent, const QColor& start)> chooseColor;
    std::function<void(const QString& url)> openAddress;

    void Button4Click();
    void Button5Click();
    void Button6Click();
    void Button3Click();
    void PanelColorClick();
    void BitBtn1Click();
    void BitBtn3Click();

    void done(int result) override;
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    void bindControls();
    void showAppearance();
    void showPaths();

    TParamValues& values_;
    RegistryBackend& store_;
    const SettingsEnvironment& env_;
    TMyHLPObject& help_;

    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;
    QWidget* TabSheet2 = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QLabel* PanelColor = nullptr;
    QPushButton* Button4 = nullptr;
    QPushButton* Button5 = nullptr;
    QPushButton* Button6 = nullptr;
    QGroupBox* GroupBox3 = nullptr;
    QCheckBox* CheckBox_Start = nullptr;
    QGroupBox* RadioGroup_Clicks = nullptr;
    QButtonGroup* clickItems_ = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* Edit_DirFiles = nullptr;
    QPushButton* Button1 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* Edit_DirReport = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn2 = nullptr;
    QPushButton* BitBtn3 = nullptr;
};

// The font dialog on this desktop: Qt's font chooser with a colour list
// beside it.
std::optional<FontDialogResult> runFontDialog(QWidget* parent, const TFont& start);

}  // namespace mnemora
