#pragma once

#include <windows.h>

namespace mnemora::test {

// Why a window test is skipped: wine makes no window without a display
// unless its prefix names the null graphics driver (scripts/windows does).
inline constexpr const char* kNoWindowsHere =
    "no window can be made here: wine needs a display, or its null graphics driver "
    "(HKCU\\Software\\Wine\\Drivers, Graphics=null)";

inline bool windowsCanBeMade() {
    HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    if (probe == nullptr) {
        return false;
    }
    DestroyWindow(probe);
    return true;
}

}  // namespace mnemora::test
