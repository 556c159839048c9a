#pragma once

#include <filesystem>
#include <memory>

#include "common/help_hook.h"
#include "settings/file_store.h"
#include "shell/app_controller.h"

namespace mnemora {

class TForm1;
class TFormEditTest;
class TFormParam;
class TFormAbout;
class TFormStart;
class QtTrayShell;
class HelpKeyFilter;

// The Qt front end of one run: the windows it made for the application
// controller, which runs start-up in its order.
class MnemoraApp : public FrontEnd {
public:
    // Steps up to going into the tray; a failure to load the settings throws.
    MnemoraApp(std::filesystem::path storePath, HelpPlatform& helpPlatform);
    ~MnemoraApp() override;

    TForm1& form() { return *form_; }
    // The other windows are made the first time they are needed.
    TFormEditTest& chartWindow();
    TFormStart& startWindow();
    TFormParam& paramWindow();
    TFormAbout& aboutWindow();
    TrayController& tray() { return controller_->tray(); }
    TApplication& application() { return controller_->application(); }
    TParamValues& values() { return controller_->values(); }
    QtTrayShell& trayShell() { return *trayShell_; }
    TMyHLPObject& help() { return help_; }

    // FrontEnd
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

private:
    TMyHLPObject help_;
    std::unique_ptr<HelpKeyFilter> helpKeys_;
    ProcessEnvironment env_;
    FileRegistryStore store_;
    std::unique_ptr<TForm1> form_;
    // Made at start-up with the settings they work on; their windows wait.
    std::unique_ptr<ParamPresenter> paramPresenter_;
    AboutPresenter aboutPresenter_;
    std::unique_ptr<StartPresenter> startPresenter_;
    std::unique_ptr<ChartController> chartController_;
    std::unique_ptr<TFormParam> formParam_;
    std::unique_ptr<TFormAbout> formAbout_;
    std::unique_ptr<TFormStart> formStart_;
    std::unique_ptr<TFormEditTest> formEditTest_;
    std::unique_ptr<QtTrayShell> trayShell_;
    std::unique_ptr<ApplicationController> controller_;
};

// Start-up up to the event loop. A failure shows the fatal box and gives
// nothing, and the program then exits with code 1.
std::unique_ptr<MnemoraApp> startMnemora(std::filesystem::path storePath, HelpPlatform& helpPlatform);

// The whole program: start-up, the event loop, the exit code.
int runMnemora(int argc, char** argv);

}  // namespace mnemora
