#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "core/app_title.h"

namespace mnemora {

inline constexpr std::uint32_t kTrayNotifyMessage = 0x0700;
inline constexpr std::uint32_t kLeftButtonUp = 0x0202;
inline constexpr std::uint32_t kLeftButtonDoubleClick = 0x0203;
inline constexpr std::uint32_t kRightButtonDown = 0x0204;
inline constexpr std::uint32_t kNotifyIconAdd = 0;
inline constexpr std::uint32_t kNotifyIconDelete = 2;
inline constexpr std::uint32_t kNotifyFlagMessage = 1;
inline constexpr std::uint32_t kNotifyFlagIcon = 2;
inline constexpr std::uint32_t kNotifyFlagTip = 4;
inline constexpr std::uint32_t kApplicationIconId = 32512;

inline constexpr std::size_t kIconDataSize = 88;
inline constexpr std::size_t kTipOffset = 24;
inline constexpr std::size_t kTipSize = 64;
using IconData = std::array<std::uint8_t, kIconDataSize>;

struct ScreenPoint {
    int x = 0;
    int y = 0;
};

// What the tray logic needs of the desktop and of the main window.
class TrayShell {
public:
    virtual ~TrayShell() = default;
    // kNotifyIconAdd or kNotifyIconDelete with the record; false when the desktop refuses.
    virtual bool notifyIcon(std::uint32_t message, const IconData& data) = 0;
    [[nodiscard]] virtual ScreenPoint cursorPos() const = 0;
    virtual void setForegroundApplicationWindow() = 0;
    virtual void setForegroundMainWindow() = 0;
    // Removes the task-bar button.
    virtual void hideApplicationWindow() = 0;
    virtual std::uint32_t mainWindowHandle() = 0;
    [[nodiscard]] virtual std::uint32_t applicationIconHandle() const = 0;
    [[nodiscard]] virtual std::uint32_t loadStandardIcon(std::uint32_t id) const = 0;
    [[nodiscard]] virtual std::string mainWindowCaption() const = 0;
    virtual void processMessages() = 0;
    // Shows the tray menu with its top-left corner at the point; returns
    // when it has closed.
    virtual void popupMenu(ScreenPoint at) = 0;
    virtual void showMainWindow() = 0;
    virtual void hideMainWindow() = 0;
};

// "&Параметры" click mode: 0 single click, 1 double click, -1 neither.
enum class MinimizeCause { StartUp, Application };

// The tray part of the main window: two flags and the icon record.
class TrayController {
public:
    TrayController(TrayShell& shell, std::function<int()> clickMode, std::function<void()> restoreApplication);

    void setTrayEnabled() { FTrayEnabled = true; }

    void FillTrayIconData();
    [[nodiscard]] std::uint32_t TrayIconHandle() const;
    void AddTrayIcon();
    void RemoveTrayIcon();
    void WMTrayNotify(std::uint32_t mouseMessage);
    void ApplicationEvents1Minimize(MinimizeCause cause);
    void ApplicationEvents1Restore();
    void FormClose() { RemoveTrayIcon(); }
    // The tray went away with the icon and did not come back (the panel
    // ended): the icon counts as gone, so the next minimise adds it again,
    // and the main window comes back on screen, where the user can reach it.
    void TrayIconLost();

    [[nodiscard]] bool trayEnabled() const { return FTrayEnabled; }
    [[nodiscard]] bool trayIconShown() const { return FTrayIconShown; }
    [[nodiscard]] const IconData& iconData() const { return FIconData; }

private:
    TrayShell& shell_;
    std::function<int()> clickMode_;
    std::function<void()> restoreApplication_;
    bool FTrayEnabled = false;
    bool FTrayIconShown = false;
    IconData FIconData{};
};

// A 32-bit field of the record, little-endian.
std::uint32_t iconDataField(const IconData& data, std::size_t offset);

// The tip field as text: the bytes up to the first zero, as UTF-8.
std::string iconTipText(const IconData& data);

// The application's minimised state and its two events.
class TApplication {
public:
    static constexpr const char* kTitle = kApplicationTitle;

    std::function<void()> OnMinimize;
    std::function<void()> OnRestore;

    void Minimize();
    void Restore();
    [[nodiscard]] bool minimized() const { return minimized_; }

private:
    bool minimized_ = false;
};

}  // namespace mnemora
