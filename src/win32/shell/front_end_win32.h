#pragma once

#include <memory>

#include "shell/app_controller.h"
#include "win32/chart/chart_window.h"
#include "win32/sessions/main_window.h"
#include "win32/settings/param_window.h"
#include "win32/shell/about_window.h"
#include "win32/shell/start_window.h"

namespace mnemora::win32 {

class Win32TrayShell;

// The Windows front end: the five windows, the tray and the ways to show them.
class Win32FrontEnd : public FrontEnd {
  public:
    Win32FrontEnd();
    ~Win32FrontEnd() override;

    MainPresenter& createMainWindow(SessionSettings& settings, TMyHLPObject& help, RandomGenerator& random) override;
    ParamPresenter& createParamWindow(TParamValues& values, RegistryBackend& store, const SettingsEnvironment& env,
                                      TMyHLPObject& help) override;
    AboutPresenter& createAboutWindow() override;
    StartPresenter& createStartWindow(TParamValues& values, RegistryBackend& store, TMyHLPObject& help) override;
    ChartController& createChartWindow(TMyHLPObject& help) override;
    TrayShell& createTrayShell() override;
    void attachTray(TrayController& tray) override;
    void showParamWindow() override;
    void showAboutWindow() override;
    void showChartWindow() override;
    void showStartWindow() override;
    void popupTrayMenu(MenuPoint at) override;
    void quit() override;

    // Takes the icon out of the tray, if it is still there; the end of a run.
    void closeTray();

  private:
    std::unique_ptr<TForm1> form1_;
    std::unique_ptr<ParamPresenter> paramPresenter_;
    std::unique_ptr<TFormParam> formParam_;
    AboutPresenter aboutPresenter_;
    std::unique_ptr<TFormAbout> formAbout_;
    std::unique_ptr<StartPresenter> startPresenter_;
    std::unique_ptr<TFormStart> formStart_;
    std::unique_ptr<ChartController> chartController_;
    std::unique_ptr<TFormEditTest> formEditTest_;
    std::unique_ptr<Win32TrayShell> trayShell_;
};

// The program: start-up, the message loop; the process's exit code.
int runMnemora();

}  // namespace mnemora::win32
