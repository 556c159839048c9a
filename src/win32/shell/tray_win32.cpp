#include "win32/shell/tray_win32.h"

namespace mnemora::win32 {

// Placeholder until the tray is built.
Win32TrayShell::Win32TrayShell(TForm1& form) : form_(form) {}
void Win32TrayShell::attach(TrayController& tray) { tray_ = &tray; }
bool Win32TrayShell::notifyIcon(std::uint32_t /*message*/, const IconData& /*data*/) { return false; }
ScreenPoint Win32TrayShell::cursorPos() const {
    POINT p{};
    GetCursorPos(&p);
    return {p.x, p.y};
}
void Win32TrayShell::setForegroundApplicationWindow() {}
void Win32TrayShell::setForegroundMainWindow() { SetForegroundWindow(form_.hwnd()); }
void Win32TrayShell::hideApplicationWindow() {}
std::uint32_t Win32TrayShell::mainWindowHandle() {
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(form_.hwnd()));
}
std::uint32_t Win32TrayShell::applicationIconHandle() const { return 0; }
std::uint32_t Win32TrayShell::loadStandardIcon(std::uint32_t /*id*/) const { return 0; }
std::string Win32TrayShell::mainWindowCaption() const { return windowText(form_.hwnd()); }
void Win32TrayShell::processMessages() {}
void Win32TrayShell::popupMenu(ScreenPoint at) { form_.popupTrayMenu(POINT{at.x, at.y}); }
void Win32TrayShell::showMainWindow() { form_.showWindow(); }
void Win32TrayShell::hideMainWindow() { ShowWindow(form_.hwnd(), SW_HIDE); }

}  // namespace mnemora::win32
