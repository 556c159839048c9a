#pragma once

#include <functional>
#include <optional>

#include "shell/tray_controller.h"
#include "win32/sessions/main_window.h"

// After <windows.h>, which main_window.h brings.
#include <shellapi.h>

namespace mnemora::win32 {

// The tray through Shell_NotifyIconW, its callback message arriving at the
// main window. The controller's record keeps 32-bit handles; the real window
// and icon handles are kept here and put into what the shell gets.
class Win32TrayShell : public TrayShell {
  public:
    explicit Win32TrayShell(TForm1& form);
    // An icon still in the tray is taken out: no dead icon stays behind.
    ~Win32TrayShell() override;
    Win32TrayShell(const Win32TrayShell&) = delete;
    Win32TrayShell& operator=(const Win32TrayShell&) = delete;

    // From here on the main window's tray messages reach the controller.
    void attach(TrayController& tray);
    // The end of the run: the icon leaves the tray, the main window's
    // messages no longer come here.
    void close();

    // The shell's call; tests put a recorder here.
    std::function<BOOL(DWORD message, NOTIFYICONDATAW* data)> shellNotify;

    bool notifyIcon(std::uint32_t message, const IconData& data) override;
    [[nodiscard]] ScreenPoint cursorPos() const override;
    void setForegroundApplicationWindow() override;
    void setForegroundMainWindow() override;
    void hideApplicationWindow() override;
    std::uint32_t mainWindowHandle() override;
    [[nodiscard]] std::uint32_t applicationIconHandle() const override;
    [[nodiscard]] std::uint32_t loadStandardIcon(std::uint32_t id) const override;
    [[nodiscard]] std::string mainWindowCaption() const override;
    void processMessages() override;
    void popupMenu(ScreenPoint at) override;
    void showMainWindow() override;
    void hideMainWindow() override;

  private:
    bool onMainWindowMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void trayCameBack();
    [[nodiscard]] HICON iconFor(std::uint32_t recorded) const;

    TForm1& form_;
    TrayController* tray_ = nullptr;
    decltype(Window::messageHook) formerHook_;
    UINT taskbarCreated_ = 0;
    HICON appIcon_ = nullptr;
    mutable HICON standardIcon_ = nullptr;
    // What the shell holds now, to add again and to take out at the end.
    std::optional<NOTIFYICONDATAW> registered_;
    bool menuOpen_ = false;
};

// What Shell_NotifyIconW gets for the controller's record: its identifier,
// flags, callback message and tip, with the real window and icon.
NOTIFYICONDATAW notifyIconData(const IconData& record, HWND window, HICON icon);

}  // namespace mnemora::win32
