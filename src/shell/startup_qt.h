#pragma once

#include <filesystem>
#include <memory>

#include "common/help_hook.h"
#include "core/random.h"
#include "settings/file_store.h"
#include "settings/param_values.h"
#include "shell/live_settings.h"
#include "shell/tray_controller.h"

namespace mnemora {

class TForm1;
class TFormEditTest;
class TFormParam;
class TFormAbout;
class TFormStart;
class QtTrayShell;
class HelpKeyFilter;

// Everything one run of the program owns, built in the start-up order.
class MnemoraApp {
public:
    // Steps up to going into the tray; a failure to load the settings throws.
    MnemoraApp(std::filesystem::path storePath, HelpPlatform& helpPlatform);
    ~MnemoraApp();

    TForm1& form() { return *form_; }
    TFormEditTest& chartWindow() { return *formEditTest_; }
    TFormStart& startWindow() { return *formStart_; }
    TFormParam& paramWindow() { return *formParam_; }
    TrayController& tray() { return *tray_; }
    TApplication& application() { return application_; }
    TParamValues& values() { return values_; }
    QtTrayShell& trayShell() { return *trayShell_; }
    TMyHLPObject& help() { return help_; }

private:
    TMyHLPObject help_;
    std::unique_ptr<HelpKeyFilter> helpKeys_;
    TApplication application_;
    int ppi_;
    TParamValues values_;
    ProcessEnvironment env_;
    FileRegistryStore store_;
    LiveSessionSettings sessionSettings_;
    RandomGenerator random_;
    std::unique_ptr<TForm1> form_;
    std::unique_ptr<TFormParam> formParam_;
    std::unique_ptr<TFormAbout> formAbout_;
    std::unique_ptr<TFormStart> formStart_;
    std::unique_ptr<TFormEditTest> formEditTest_;
    std::unique_ptr<QtTrayShell> trayShell_;
    std::unique_ptr<TrayController> tray_;
};

// Start-up up to the event loop. A failure shows the fatal box and gives
// nothing, and the program then exits with code 1.
std::unique_ptr<MnemoraApp> startMnemora(std::filesystem::path storePath, HelpPlatform& helpPlatform);

// The whole program: start-up, the event loop, the exit code.
int runMnemora(int argc, char** argv);

}  // namespace mnemora
