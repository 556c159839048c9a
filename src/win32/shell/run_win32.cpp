#include <exception>
#include <memory>

#include "common/message_boxes.h"
#include "core/error.h"
#include "platform/win32/registry_store.h"
#include "settings/settings.h"
#include "win32/common/help_win32.h"
#include "win32/common/message_boxes_win32.h"
#include "win32/shell/front_end_win32.h"

// After <windows.h>, which the window headers bring.
#include <commctrl.h>

namespace mnemora::win32 {

namespace {

// The program file's own name, for the box that says where start-up failed.
std::string moduleName() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return "mnemora.exe";
        }
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const auto slash = path.find_last_of(L"\\/");
    return utext(slash == std::wstring::npos ? path : path.substr(slash + 1));
}

// The boxes and the help handler are the program's for exactly as long as
// the objects behind them live.
struct Installed {
    Installed(MessageBoxes& boxes, TMyHLPObject& help) {
        setFrontEndMessageBoxes(&boxes);
        setHelpHandler(&help);
    }
    ~Installed() {
        setHelpHandler(nullptr);
        setFrontEndMessageBoxes(nullptr);
    }
    Installed(const Installed&) = delete;
    Installed& operator=(const Installed&) = delete;
};

}  // namespace

int runMnemora() {
    // Common controls 6, as the manifest asks for.
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES;
    InitCommonControlsEx(&controls);

    Win32HelpPlatform helpPlatform;
    TMyHLPObject help(helpPlatform);
    Win32MessageBoxes boxes(&help);
    const Installed installed(boxes, help);
    WindowsRegistryStore store;
    ProcessEnvironment env(screenDpi());

    // The windows go before the boxes and the help they use: the loop and
    // everything it shows live inside this block.
    Win32FrontEnd front;
    std::unique_ptr<ApplicationController> controller;
    const auto fatal = [](std::string_view kind, std::string_view text) {
        messageBoxes().fatal(
            formatFatalError(kind, moduleName(), reinterpret_cast<std::uintptr_t>(&runMnemora), text));
        return 1;
    };
    try {
        controller = std::make_unique<ApplicationController>(front, store, env, help);
    } catch (const Error& failure) {
        return fatal(failure.kind(), failure.what());
    } catch (const std::exception& failure) {
        return fatal("Exception", failure.what());
    }
    const int code = runMessageLoop();
    // Whatever ended the loop, the icon leaves the tray before the windows go.
    front.closeTray();
    return code;
}

}  // namespace mnemora::win32
