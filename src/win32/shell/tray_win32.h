#pragma once

#include "shell/tray_controller.h"
#include "win32/sessions/main_window.h"

namespace mnemora::win32 {

// The tray through Shell_NotifyIconW, its callback message arriving at the
// main window.
class Win32TrayShell : public TrayShell {
  public:
    explicit Win32TrayShell(TForm1& form);
    void attach(TrayController& tray);

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
    TForm1& form_;
    TrayController* tray_ = nullptr;
};

}  // namespace mnemora::win32
