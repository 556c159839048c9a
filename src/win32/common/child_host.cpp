#include "win32/common/child_host.h"

namespace mnemora::win32 {

ChildHost::ChildHost(HWND parent, DWORD style, int x96, int y96, int width96, int height96, DWORD exStyle) {
    createChild(L"MnemoraChildHost", style, exStyle, parent, x96, y96, width96, height96);
}

bool forwardToParent(HWND host, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_COMMAND:
        case WM_NOTIFY:
        case WM_DRAWITEM:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLOREDIT:
            result = SendMessageW(GetParent(host), message, wParam, lParam);
            return true;
        default:
            return false;
    }
}

}  // namespace mnemora::win32
