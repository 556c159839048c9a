#include <memory>

#include "common/message_boxes.h"
#include "core/error.h"
#include "platform/win32/registry_store.h"
#include "settings/settings.h"
#include "win32/common/help_win32.h"
#include "win32/shell/front_end_win32.h"

namespace mnemora::win32 {


int runMnemora() {
    Win32HelpPlatform helpPlatform;
    TMyHLPObject help(helpPlatform);
    setHelpHandler(&help);
    WindowsRegistryStore store;
    ProcessEnvironment env(screenDpi());
    Win32FrontEnd front;
    std::unique_ptr<ApplicationController> controller;
    try {
        controller = std::make_unique<ApplicationController>(front, store, env, help);
    } catch (const Error& failure) {
        messageBoxes().fatal(formatFatalError(failure.kind(), "mnemora.exe",
                                              reinterpret_cast<std::uintptr_t>(&runMnemora), failure.what()));
        return 1;
    }
    return runMessageLoop();
}

}  // namespace mnemora::win32
