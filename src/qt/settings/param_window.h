#pragma once

#include <QColor>
#include <QDialog>
#include <QFont>
#include <QString>
#include <functional>
#include <optional>

#include <memory>

#include "common/help_hook.h"
#include "settings/param_presenter.h"

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace mnemora {

// The parameters window: layout and wiring over its presenter.
class TFormParam : public QDialog, public ParamView {
    Q_OBJECT
public:
    static constexpr int mrOk = ParamPresenter::mrOk;
    static constexpr int mrCancel = ParamPresenter::mrCancel;

    TFormParam(TParamValues& values, RegistryBackend& store, const SettingsEnvironment& env, TMyHLPObject& help,
               QWidget* parent = nullptr);
    // A window for a presenter made before it.
    explicit TFormParam(ParamPresenter& presenter, QWidget* parent = nullptr);

    ParamPresenter& presenter() { return *presenter_; }

    // Shows the window modally and gives mrOk or mrCancel; the presenter's
    // onClosed has run by then.
    int ShowModal();

    // The dialogs and the shell, replaceable for tests. nullopt: cancelled.
    std::function<std::optional<FontDialogResult>(QWidget* parent, const TFont& start)> chooseFont;
    std::function<std::optional<QColor>(QWidget* parent, const QColor& start)> chooseColor;
    std::function<void(const QString& url)> openUrl;

    // ParamView
    void showPaths(const std::string& dataFile, const std::string& reportDir) override;
    void showAppearance(const TFont& font, TColor background) override;
    void showStart(bool on) override;
    void showClickMode(std::optional<int> item) override;
    std::optional<FontDialogResult> runFontDialog(const TFont& start) override;
    std::optional<TColor> runColorDialog(TColor start) override;
    [[nodiscard]] TColor screenColor(TColor color) const override;
    void openAddress(const std::string& url) override;
    void setModalResult(int result) override { setResult(result); }
    void closeWithResult(int result) override { done(result); }

    void done(int result) override;
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TFormParam(ParamPresenter* shared, std::unique_ptr<ParamPresenter> own, QWidget* parent);
    void createControls();

    std::unique_ptr<ParamPresenter> ownPresenter_;
    ParamPresenter* presenter_;

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
