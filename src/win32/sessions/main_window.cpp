#include "win32/sessions/main_window.h"

namespace mnemora::win32 {

// Placeholder until the window is laid out.
TForm1::TForm1(SessionSettings& settings, TMyHLPObject& help, RandomGenerator& random)
    : presenter_(std::make_unique<MainPresenter>(*this, settings, help, random)) {
    create(L"MnemoraMain", WS_OVERLAPPEDWINDOW, 0, "Мнемора (Версия 1.01) ", 574, 338);
}

TForm1::~TForm1() = default;

void TForm1::popupTrayMenu(POINT /*at*/) {}
void TForm1::setHeaderText(const std::string& /*text*/) {}
void TForm1::setQuestionText(const std::string& /*text*/) {}
std::string TForm1::questionText() const { return {}; }
void TForm1::setPerceptionText(const std::string& /*text*/) {}
void TForm1::setWindowCaption(const std::string& text) { setWindowText(hwnd(), text); }
void TForm1::setWindowHelpContext(int context) { setHelpContext(hwnd(), context); }
void TForm1::showWindow() { ShowWindow(hwnd(), SW_SHOWNORMAL); }
void TForm1::hideWindow() { ShowWindow(hwnd(), SW_HIDE); }
void TForm1::setActionEnabled(ActionId /*action*/, bool /*enabled*/) {}
void TForm1::setMenuItemEnabled(std::string_view /*name*/, bool /*enabled*/) {}
void TForm1::closeWindow() { PostMessageW(hwnd(), WM_CLOSE, 0, 0); }
void TForm1::defer(std::function<void()> command) { command(); }
void TForm1::applyQuestionAppearance(const TFont& /*font*/, TColor /*background*/) {}

LRESULT TForm1::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return defaultProc(message, wParam, lParam);
}

}  // namespace mnemora::win32
