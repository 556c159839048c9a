#pragma once

#include <memory>

#include "chart/chart_controller.h"
#include "common/help_hook.h"
#include "core/random.h"
#include "sessions/main_presenter.h"
#include "settings/param_presenter.h"
#include "settings/param_values.h"
#include "settings/registry.h"
#include "settings/settings.h"
#include "shell/about_presenter.h"
#include "shell/live_settings.h"
#include "shell/start_presenter.h"
#include "shell/tray_controller.h"

namespace mnemora {

// What start-up needs of a front end: its five windows, each made hidden
// with its presenter, the tray of its desktop, and the ways to show them.
class FrontEnd {
  public:
    virtual ~FrontEnd() = default;
    virtual MainPresenter& createMainWindow(SessionSettings& settings, TMyHLPObject& help,
                                            RandomGenerator& random) = 0;
    virtual ParamPresenter& createParamWindow(TParamValues& values, RegistryBackend& store,
                                              const SettingsEnvironment& env,
                                              TMyHLPObject& help) = 0;
    virtual AboutPresenter& createAboutWindow() = 0;
    virtual StartPresenter& createStartWindow(TParamValues& values, RegistryBackend& store,
                                              TMyHLPObject& help) = 0;
    virtual ChartController& createChartWindow(TMyHLPObject& help) = 0;
    // The tray over the main window and its menu; the controller, once made,
    // is handed back so that the desktop's reports reach it.
    virtual TrayShell& createTrayShell() = 0;
    virtual void attachTray(TrayController& tray) = 0;

    // Modal: these return when the window has closed.
    virtual void showParamWindow() = 0;
    virtual void showAboutWindow() = 0;
    // Without waiting.
    virtual void showChartWindow() = 0;
    virtual void showStartWindow() = 0;
    // The tray menu with its top-left corner at the point; returns when it has closed.
    virtual void popupTrayMenu(MenuPoint at) = 0;
    // Ends the event loop once the handler running now has returned.
    virtual void quit() = 0;
};

// One run of the program below its front end: the live settings, the
// presenters wired to each other, the tray logic, and start-up in its order.
class ApplicationController {
  public:
    // Makes the windows, loads the settings, goes into the tray and shows the
    // start window when it is wanted. A failure to load the settings throws
    // (mnemora::Error), and the program must then end.
    ApplicationController(FrontEnd& front, RegistryBackend& store, const SettingsEnvironment& env,
                          TMyHLPObject& help);
    ~ApplicationController();
    ApplicationController(const ApplicationController&) = delete;
    ApplicationController& operator=(const ApplicationController&) = delete;

    TParamValues& values() { return values_; }
    TrayController& tray() { return *tray_; }
    TApplication& application() { return application_; }
    MainPresenter& mainWindow() { return *main_; }
    ChartController& chartWindow() { return *chart_; }

  private:
    void wire();

    FrontEnd& front_;
    TParamValues values_;
    LiveSessionSettings sessionSettings_;
    RandomGenerator random_;
    TApplication application_;
    MainPresenter* main_ = nullptr;
    ParamPresenter* param_ = nullptr;
    StartPresenter* start_ = nullptr;
    ChartController* chart_ = nullptr;
    std::unique_ptr<TrayController> tray_;
};

}  // namespace mnemora
