#include "win32/shell/tray_win32.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "recording_boxes.h"
#include "win32_windows.h"

namespace mnemora::win32 {
namespace {

class NoSettings : public SessionSettings {
  public:
    [[nodiscard]] std::string dataFile() const override { return {}; }
    void setDefaultPaths() override {}
    void saveSettings() override {}
};

std::uint32_t low32(const void* handle) {
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(handle));
}

TEST(TrayIcon, TheControllersRecordBecomesTheShellsWithTheRealHandles) {
    // The record as the controller fills it: handles cut to 32 bits, the tip
    // as 8-bit text.
    IconData record{};
    const auto put = [&](std::size_t at, std::uint32_t v) {
        for (std::size_t i = 0; i < 4; ++i) {
            record[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
        }
    };
    put(0, 88);
    put(4, 0x1234);
    put(8, 1);
    put(12, kNotifyFlagMessage | kNotifyFlagIcon | kNotifyFlagTip);
    put(16, kTrayNotifyMessage);
    put(20, 0x5678);
    // "Мнемора (Версия 1.01) " in Windows-1251.
    const std::string tip = "\xCC\xED\xE5\xEC\xEE\xF0\xE0 (\xC2\xE5\xF0\xF1\xE8\xFF 1.01) ";
    std::copy(tip.begin(), tip.end(), record.begin() + kTipOffset);

    HWND window = GetDesktopWindow();
    HICON icon = LoadIconW(nullptr, IDI_APPLICATION);
    const NOTIFYICONDATAW data = notifyIconData(record, window, icon);
    EXPECT_EQ(data.cbSize, sizeof(NOTIFYICONDATAW));
    EXPECT_EQ(data.hWnd, window);
    EXPECT_EQ(data.hIcon, icon);
    EXPECT_EQ(data.uID, 1U);
    EXPECT_EQ(data.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_EQ(data.uCallbackMessage, 0x0700U);
    EXPECT_EQ(std::wstring(data.szTip), L"Мнемора (Версия 1.01) ");
}

// The whole tray over a real main window, driven with its messages: the
// icon added, added again when the task bar restarts, the callback routed
// to the controller, and the icon taken out when the shell goes.
TEST(TrayIcon, MainWindowMessagesReachTheControllerAndTheIconIsTakenOutAtTheEnd) {
    if (!test::windowsCanBeMade()) {
        GTEST_SKIP() << test::kNoWindowsHere;
    }
    NoSettings settings;
    test::RecordingHelp helpPlatform;
    TMyHLPObject help(helpPlatform);
    RandomGenerator random;
    TForm1 form(settings, help, random);
    std::vector<std::pair<DWORD, NOTIFYICONDATAW>> calls;
    int restores = 0;
    int clickMode = 0;
    {
        Win32TrayShell shell(form);
        shell.shellNotify = [&](DWORD message, NOTIFYICONDATAW* data) {
            calls.emplace_back(message, *data);
            return TRUE;
        };
        TrayController tray(shell, [&] { return clickMode; }, [&] { ++restores; });
        shell.attach(tray);
        tray.setTrayEnabled();
        tray.AddTrayIcon();
        ASSERT_EQ(calls.size(), 1U);
        EXPECT_EQ(calls[0].first, static_cast<DWORD>(NIM_ADD));
        EXPECT_EQ(calls[0].second.hWnd, form.hwnd());
        EXPECT_NE(calls[0].second.hIcon, nullptr);
        EXPECT_EQ(low32(calls[0].second.hIcon), iconDataField(tray.iconData(), 20));

        SendMessageW(form.hwnd(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
        ASSERT_EQ(calls.size(), 2U);
        EXPECT_EQ(calls[1].first, static_cast<DWORD>(NIM_ADD));
        EXPECT_EQ(calls[1].second.hWnd, form.hwnd());
        EXPECT_EQ(calls[1].second.uID, calls[0].second.uID);
        EXPECT_EQ(std::wstring(calls[1].second.szTip), std::wstring(calls[0].second.szTip));
        EXPECT_TRUE(tray.trayIconShown());

        // A left release restores in click mode 0, not in mode 1; the high
        // word of the parameter is no part of the mouse message.
        SendMessageW(form.hwnd(), kTrayNotifyMessage, 1, MAKELPARAM(WM_LBUTTONUP, 0));
        clickMode = 1;
        SendMessageW(form.hwnd(), kTrayNotifyMessage, 1, MAKELPARAM(WM_LBUTTONUP, 7));
        SendMessageW(form.hwnd(), kTrayNotifyMessage, 1, MAKELPARAM(WM_LBUTTONDBLCLK, 7));
        EXPECT_EQ(restores, 2);

        // Under a modal window the icon does nothing, and the windows the
        // modal one disabled come back when it ends.
        ShowWindow(form.hwnd(), SW_SHOWNA);
        {
            const ModalScope modal;
            EXPECT_EQ(IsWindowEnabled(form.hwnd()), FALSE);
            SendMessageW(form.hwnd(), kTrayNotifyMessage, 1, WM_LBUTTONDBLCLK);
            EXPECT_EQ(restores, 2);
        }
        EXPECT_NE(IsWindowEnabled(form.hwnd()), FALSE);
        SendMessageW(form.hwnd(), kTrayNotifyMessage, 1, WM_LBUTTONDBLCLK);
        EXPECT_EQ(restores, 3);
        ShowWindow(form.hwnd(), SW_HIDE);
    }
    ASSERT_EQ(calls.size(), 3U);
    EXPECT_EQ(calls[2].first, static_cast<DWORD>(NIM_DELETE));
    EXPECT_EQ(calls[2].second.hWnd, form.hwnd());
    // The window's messages no longer go to the shell that has gone.
    SendMessageW(form.hwnd(), kTrayNotifyMessage, 1, WM_LBUTTONDBLCLK);
    EXPECT_EQ(restores, 3);
}

}  // namespace
}  // namespace mnemora::win32
