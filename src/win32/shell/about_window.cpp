#include "win32/shell/about_window.h"

namespace mnemora::win32 {

// Placeholder until the window is laid out.
TFormAbout::TFormAbout(AboutPresenter& presenter) : presenter_(presenter) {
    presenter_.attach(*this);
    create(L"MnemoraAbout", WS_CAPTION | WS_SYSMENU, WS_EX_DLGMODALFRAME, kAboutCaption, 400, 300);
    presenter_.FormCreate();
}

void TFormAbout::ShowModal(HWND owner) { runModal(hwnd(), owner); }
void TFormAbout::setVersionText(const std::string& /*text*/) {}
std::string TFormAbout::linkCaption(AboutLink /*link*/) const { return {}; }
void TFormAbout::setLinkLook(AboutLink /*link*/, bool /*underline*/, TColor /*color*/) {}
void TFormAbout::openAddress(const std::string& /*url*/) {}

LRESULT TFormAbout::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        ShowWindow(hwnd(), SW_HIDE);
        return 0;
    }
    return defaultProc(message, wParam, lParam);
}

}  // namespace mnemora::win32
