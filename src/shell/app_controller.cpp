#include "shell/app_controller.h"

namespace mnemora {

ApplicationController::ApplicationController(FrontEnd& front, RegistryBackend& store,
                                             const SettingsEnvironment& env, TMyHLPObject& help)
    : front_(front), values_(env.pixelsPerInch()), sessionSettings_(values_, store, env) {
    // The windows come into being in this order, all hidden; the settings
    // are loaded only once all of them exist.
    main_ = &front_.createMainWindow(sessionSettings_, help, random_);
    param_ = &front_.createParamWindow(values_, store, env, help);
    front_.createAboutWindow();
    start_ = &front_.createStartWindow(values_, store, help);
    chart_ = &front_.createChartWindow(help);
    tray_ = std::make_unique<TrayController>(
        front_.createTrayShell(), [this] { return values_.Click; },
        [this] { application_.Restore(); });
    front_.attachTray(*tray_);
    wire();

    // Loading ends by applying the appearance, which switches the tray on.
    LoadSettings(values_, store, env, *main_);
    // The dialogs take the report folder once, as loaded now.
    chart_->setReportDir(values_.ReportDir);
    // Into the tray, without putting the application into the minimised state.
    tray_->ApplicationEvents1Minimize(MinimizeCause::StartUp);
    if (values_.Start) {
        front_.showStartWindow();
    }
}

ApplicationController::~ApplicationController() = default;

void ApplicationController::wire() {
    application_.OnMinimize = [this] {
        tray_->ApplicationEvents1Minimize(MinimizeCause::Application);
    };
    application_.OnRestore = [this] { tray_->ApplicationEvents1Restore(); };

    MainPresenter& main = *main_;
    main.onMinimized = [this] { application_.Minimize(); };
    main.onRestored = [this] { application_.Restore(); };
    main.onTrayEnabled = [this] { tray_->setTrayEnabled(); };
    main.trayHoldsWindow = [this] { return tray_->trayIconShown(); };
    main.onFormClose = [this] {
        tray_->FormClose();
        front_.quit();
    };
    main.closeQuery = [this] { return chart_->QuerySave(); };
    main.onEditTest = [this] { front_.showChartWindow(); };
    main.onParams = [this] { front_.showParamWindow(); };
    main.onAbout = [this] { front_.showAboutWindow(); };
    // On OK and Cancel alike, the question text takes what the window left.
    param_->onClosed = [this] { ApplyAppearance(values_, *main_); };
    start_->popupTrayMenu = [this](MenuPoint at) { front_.popupTrayMenu(at); };
}

}  // namespace mnemora
