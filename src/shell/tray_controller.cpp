#include "shell/tray_controller.h"

#include <algorithm>
#include <cstring>

#include "core/cp1251.h"

namespace mnemora {

namespace {

void putU32(IconData& data, std::size_t offset, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        data[offset + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
    }
}

// A caption with more than 63 characters (only possible when the icon is
// added during a session) keeps its start and ends in "..." so the tip says
// it was cut; characters with no 8-bit form become "?".
std::string tipBytes(const std::string& caption) {
    std::string bytes;
    std::size_t pos = 0;
    while (pos < caption.size()) {
        const auto cp = decodeUtf8(caption, pos);
        if (!cp) {
            ++pos;  // a malformed byte cannot be shown either
        }
        const auto b = cp ? codePointToCp1251(*cp) : std::nullopt;
        bytes += b ? static_cast<char>(*b) : '?';
    }
    constexpr std::size_t kMax = kTipSize - 1;
    if (bytes.size() > kMax) {
        bytes.resize(kMax - 3);
        bytes += "...";
    }
    return bytes;
}

}  // namespace

TrayController::TrayController(TrayShell& shell, std::function<int()> clickMode,
                               std::function<void()> restoreApplication)
    : shell_(shell), clickMode_(std::move(clickMode)), restoreApplication_(std::move(restoreApplication)) {}

void TrayController::FillTrayIconData() {
    if (!FTrayEnabled) {
        return;
    }
    FIconData.fill(0);
    putU32(FIconData, 0, kIconDataSize);
    putU32(FIconData, 4, shell_.mainWindowHandle());
    putU32(FIconData, 8, 1);
    putU32(FIconData, 12, kNotifyFlagMessage | kNotifyFlagIcon | kNotifyFlagTip);
    const std::string tip = tipBytes(shell_.mainWindowCaption());
    std::memcpy(FIconData.data() + kTipOffset, tip.data(), tip.size());
    putU32(FIconData, 16, kTrayNotifyMessage);
    putU32(FIconData, 20, TrayIconHandle());
}

std::uint32_t TrayController::TrayIconHandle() const {
    const std::uint32_t handle = shell_.applicationIconHandle();
    return handle != 0 ? handle : shell_.loadStandardIcon(kApplicationIconId);
}

void TrayController::AddTrayIcon() {
    if (FTrayEnabled && !FTrayIconShown) {
        FillTrayIconData();
        FTrayIconShown = shell_.notifyIcon(kNotifyIconAdd, FIconData);
    }
}

void TrayController::RemoveTrayIcon() {
    if (FTrayEnabled && FTrayIconShown) {
        FTrayIconShown = !shell_.notifyIcon(kNotifyIconDelete, FIconData);
    }
}

void TrayController::TrayIconLost() {
    if (!FTrayEnabled || !FTrayIconShown) {
        return;
    }
    FTrayIconShown = false;
    restoreApplication_();  // out of the minimised state, if it was in it
    shell_.showMainWindow();
}

void TrayController::WMTrayNotify(std::uint32_t mouseMessage) {
    if (!FTrayEnabled) {
        return;
    }
    switch (mouseMessage) {
    case kLeftButtonUp:
        if (clickMode_() == 0) {
            restoreApplication_();
        }
        break;
    case kLeftButtonDoubleClick:
        if (clickMode_() == 1) {
            restoreApplication_();
        }
        break;
    case kRightButtonDown: {
        const ScreenPoint at = shell_.cursorPos();
        shell_.setForegroundApplicationWindow();
        shell_.processMessages();
        shell_.popupMenu(at);
        break;
    }
    default:
        break;
    }
}

void TrayController::ApplicationEvents1Minimize(MinimizeCause cause) {
    if (!FTrayEnabled) {
        return;
    }
    AddTrayIcon();
    if (FTrayIconShown) {
        shell_.hideApplicationWindow();
        shell_.hideMainWindow();
    } else if (cause == MinimizeCause::StartUp) {
        // No tray to live in: hiding now would leave the user nothing to
        // click, so the window stays on screen with its task-bar entry.
        shell_.showMainWindow();
    }
    // A user's minimise without a tray leaves the window minimised in the
    // task bar, where it can be restored as usual.
}

void TrayController::ApplicationEvents1Restore() {
    if (!FTrayEnabled) {
        return;
    }
    shell_.showMainWindow();
    shell_.setForegroundMainWindow();
}

std::uint32_t iconDataField(const IconData& data, std::size_t offset) {
    std::uint32_t v = 0;
    for (std::size_t i = 4; i-- > 0;) {
        v = (v << 8) | data.at(offset + i);
    }
    return v;
}

std::string iconTipText(const IconData& data) {
    const auto* begin = data.data() + kTipOffset;
    const auto* end = std::find(begin, begin + kTipSize, std::uint8_t{0});
    return cp1251ToUtf8(std::string_view(reinterpret_cast<const char*>(begin), static_cast<std::size_t>(end - begin)));
}

void TApplication::Minimize() {
    if (minimized_) {
        return;
    }
    minimized_ = true;
    if (OnMinimize) {
        OnMinimize();
    }
}

void TApplication::Restore() {
    if (!minimized_) {
        return;
    }
    minimized_ = false;
    if (OnRestore) {
        OnRestore();
    }
}

}  // namespace mnemora
