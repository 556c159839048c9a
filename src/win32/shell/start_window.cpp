#include "win32/shell/start_window.h"

namespace mnemora::win32 {

// Placeholder until the window is laid out.
TFormStart::TFormStart(StartPresenter& presenter) : presenter_(presenter) {
    presenter_.attach(*this);
    create(L"MnemoraStart", WS_CAPTION | WS_SYSMENU, 0, "Мнемора", 400, 300);
}

void TFormStart::show() { ShowWindow(hwnd(), SW_SHOWNORMAL); }
bool TFormStart::showAtStartChecked() const { return true; }
void TFormStart::hideWindow() { ShowWindow(hwnd(), SW_HIDE); }
ScreenSize TFormStart::screenSize() const { return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

LRESULT TFormStart::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        hideWindow();
        return 0;
    }
    return defaultProc(message, wParam, lParam);
}

}  // namespace mnemora::win32
