#include "win32/shell/tray_win32.h"

#include <algorithm>
#include <iterator>

namespace mnemora::win32 {

namespace {

std::uint32_t low32(const void* handle) {
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(handle));
}

}  // namespace

NOTIFYICONDATAW notifyIconData(const IconData& record, HWND window, HICON icon) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = window;
    data.uID = iconDataField(record, 8);
    const std::uint32_t flags = iconDataField(record, 12);
    data.uFlags = ((flags & kNotifyFlagMessage) != 0 ? NIF_MESSAGE : 0U) |
                  ((flags & kNotifyFlagIcon) != 0 ? NIF_ICON : 0U) | ((flags & kNotifyFlagTip) != 0 ? NIF_TIP : 0U);
    data.uCallbackMessage = iconDataField(record, 16);
    data.hIcon = icon;
    const std::wstring tip = wtext(iconTipText(record));
    // The record's tip has at most 63 characters; the wide field has room for 127.
    const std::size_t length = std::min(tip.size(), std::size(data.szTip) - 1);
    std::copy_n(tip.begin(), length, data.szTip);
    data.szTip[length] = L'\0';
    return data;
}

Win32TrayShell::Win32TrayShell(TForm1& form)
    : shellNotify([](DWORD message, NOTIFYICONDATAW* data) { return Shell_NotifyIconW(message, data); }),
      form_(form),
      taskbarCreated_(RegisterWindowMessageW(L"TaskbarCreated")) {
    // Drawn for the tray's size, not shrunk from the large one.
    appIcon_ = static_cast<HICON>(LoadImageW(instance(), L"MAINICON", IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                             GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
}

Win32TrayShell::~Win32TrayShell() {
    close();
    if (appIcon_ != nullptr) {
        DestroyIcon(appIcon_);
    }
}

void Win32TrayShell::close() {
    if (registered_) {
        shellNotify(NIM_DELETE, &*registered_);
        registered_.reset();
    }
    if (tray_ != nullptr) {
        form_.messageHook = formerHook_;
        tray_ = nullptr;
    }
}

void Win32TrayShell::attach(TrayController& tray) {
    tray_ = &tray;
    // Whatever the main window hooked before still sees the other messages.
    formerHook_ = form_.messageHook;
    form_.messageHook = [this](UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
        if (onMainWindowMessage(message, wParam, lParam)) {
            result = 0;
            return true;
        }
        return formerHook_ ? formerHook_(message, wParam, lParam, result) : false;
    };
}

bool Win32TrayShell::onMainWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (tray_ == nullptr) {
        return false;
    }
    if (message == kTrayNotifyMessage) {
        // Under a modal window or box the icon does nothing: a menu or a
        // second modal window over the first would run its handlers inside
        // the first one's loop. The mouse message is in the low word; the
        // rest is zero from the shell, but other senders may leave bits there.
        if (!ModalScope::active()) {
            guarded([&] { tray_->WMTrayNotify(LOWORD(lParam)); });
        }
        return true;
    }
    if (taskbarCreated_ != 0 && message == taskbarCreated_) {
        guarded([&] { trayCameBack(); });
        return true;
    }
    if (message == WM_ENDSESSION && wParam != 0 && registered_) {
        // Windows is ending the session and us with it, without a close.
        shellNotify(NIM_DELETE, &*registered_);
        registered_.reset();
    }
    return false;
}

// The task bar (re)started, after a crash of the shell or a change of the
// screen's scale: the icons it had are gone, and ours goes back as it was.
void Win32TrayShell::trayCameBack() {
    if (!tray_->trayIconShown()) {
        // Start-up found no tray; now there is one.
        tray_->AddTrayIcon();
        return;
    }
    if (registered_) {
        NOTIFYICONDATAW data = *registered_;
        data.hIcon = iconFor(iconDataField(tray_->iconData(), 20));
        if (shellNotify(NIM_ADD, &data) != 0 || shellNotify(NIM_MODIFY, &data) != 0) {
            registered_ = data;
            return;
        }
    }
    registered_.reset();
    tray_->TrayIconLost();
}

HICON Win32TrayShell::iconFor(std::uint32_t recorded) const {
    if (appIcon_ != nullptr && recorded == low32(appIcon_)) {
        return appIcon_;
    }
    if (standardIcon_ == nullptr) {
        standardIcon_ = LoadIconW(nullptr, MAKEINTRESOURCEW(kApplicationIconId));
    }
    return standardIcon_;
}

bool Win32TrayShell::notifyIcon(std::uint32_t message, const IconData& data) {
    NOTIFYICONDATAW shellData = notifyIconData(data, form_.hwnd(), iconFor(iconDataField(data, 20)));
    if (message == kNotifyIconAdd) {
        if (shellNotify(NIM_ADD, &shellData) == 0) {
            return false;
        }
        registered_ = shellData;
        return true;
    }
    if (message == kNotifyIconDelete) {
        if (shellNotify(NIM_DELETE, &shellData) == 0) {
            return false;
        }
        registered_.reset();
        return true;
    }
    return false;
}

ScreenPoint Win32TrayShell::cursorPos() const {
    POINT p{};
    if (GetCursorPos(&p) == 0) {
        // No cursor to ask about (a locked desktop): where the last message was.
        const DWORD at = GetMessagePos();
        p = {static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
    }
    return {p.x, p.y};
}

// The main window carries its own task-bar button; there is no other
// application window to bring forward or hide.
void Win32TrayShell::setForegroundApplicationWindow() { SetForegroundWindow(form_.hwnd()); }

void Win32TrayShell::setForegroundMainWindow() { SetForegroundWindow(form_.hwnd()); }

void Win32TrayShell::hideApplicationWindow() { ShowWindow(form_.hwnd(), SW_HIDE); }

std::uint32_t Win32TrayShell::mainWindowHandle() { return low32(form_.hwnd()); }

std::uint32_t Win32TrayShell::applicationIconHandle() const { return low32(appIcon_); }

std::uint32_t Win32TrayShell::loadStandardIcon(std::uint32_t id) const {
    HICON icon = LoadIconW(nullptr, MAKEINTRESOURCEW(id));
    if (id == kApplicationIconId) {
        standardIcon_ = icon;
    }
    return low32(icon);
}

std::string Win32TrayShell::mainWindowCaption() const { return windowText(form_.hwnd()); }

void Win32TrayShell::processMessages() {
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) != 0) {
        if (message.message == WM_QUIT) {
            // For the loop that owns it.
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        dispatch(message);
    }
}

void Win32TrayShell::popupMenu(ScreenPoint at) {
    // A second right click that arrives while the menu is open (from the
    // messages handled just before it) finds the menu already there.
    if (menuOpen_) {
        return;
    }
    menuOpen_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{menuOpen_};
    form_.popupTrayMenu(POINT{at.x, at.y});
}

void Win32TrayShell::showMainWindow() { form_.showWindow(); }

void Win32TrayShell::hideMainWindow() { form_.hideWindow(); }

}  // namespace mnemora::win32
