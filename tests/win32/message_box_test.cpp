#include "win32/common/message_boxes_win32.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "recording_boxes.h"
#include "win32_windows.h"

namespace mnemora::win32 {
namespace {

bool inside(const RECT& r, SIZE client) {
    return r.left >= 0 && r.top >= 0 && r.right <= client.cx && r.bottom <= client.cy;
}

bool overlap(const RECT& a, const RECT& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

TEST(MessageBoxLayout, EverythingFitsAndTheButtonsAreCentredBelowTheContent) {
    BoxMetrics m;
    m.margin = 12;
    m.iconGap = 10;
    m.textToButtons = 14;
    m.button = {75, 23};
    m.buttonGap = 6;
    struct Case {
        const char* name;
        SIZE text;
        SIZE icon;
        int buttons;
        int minWidth;
        SIZE client;
    };
    const std::vector<Case> cases = {
        // A short plain box is as wide as its caption needs.
        {"caption wider", {40, 13}, {0, 0}, 1, 150, {150, 12 + 13 + 14 + 23 + 12}},
        // The icon is taller than one line: the row is as tall as the icon.
        {"icon taller", {200, 13}, {32, 32}, 3, 0, {12 + 32 + 10 + 200 + 12, 12 + 32 + 14 + 23 + 12}},
        // Many lines: taller than the icon.
        {"text taller", {300, 80}, {32, 32}, 2, 0, {12 + 32 + 10 + 300 + 12, 12 + 80 + 14 + 23 + 12}},
        // Three buttons are wider than a short text.
        {"buttons wider", {30, 13}, {0, 0}, 3, 0, {3 * 75 + 2 * 6 + 24, 12 + 13 + 14 + 23 + 12}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const BoxLayout box = layoutBox(c.text, c.icon, c.buttons, c.minWidth, m);
        EXPECT_EQ(box.client.cx, c.client.cx);
        EXPECT_EQ(box.client.cy, c.client.cy);
        EXPECT_TRUE(inside(box.text, box.client));
        EXPECT_EQ(box.text.right - box.text.left, c.text.cx);
        EXPECT_EQ(box.text.bottom - box.text.top, c.text.cy);
        const bool hasIcon = c.icon.cx > 0;
        if (hasIcon) {
            EXPECT_TRUE(inside(box.icon, box.client));
            EXPECT_FALSE(overlap(box.icon, box.text));
            // The shorter of the two is centred on the other.
            EXPECT_LE(std::abs((box.icon.top + box.icon.bottom) - (box.text.top + box.text.bottom)), 1);
        }
        ASSERT_EQ(static_cast<int>(box.buttons.size()), c.buttons);
        const LONG contentBottom = std::max(box.text.bottom, hasIcon ? box.icon.bottom : 0L);
        for (std::size_t i = 0; i < box.buttons.size(); ++i) {
            EXPECT_TRUE(inside(box.buttons[i], box.client));
            EXPECT_GE(box.buttons[i].top, contentBottom + m.textToButtons);
            if (i > 0) {
                EXPECT_EQ(box.buttons[i].left, box.buttons[i - 1].right + m.buttonGap);
            }
        }
        EXPECT_LE(std::abs(box.buttons.front().left - (box.client.cx - box.buttons.back().right)), 1);
    }
}

// A real box under wine, answered by messages posted from a timer that runs
// inside its loop, the way a keyboard would.
struct Drive {
    std::vector<Answer> buttons;
    std::vector<std::pair<UINT, WPARAM>> input;  // to the focused control
    Answer expected;
};

Drive* g_drive = nullptr;
HWND g_box = nullptr;
std::wstring g_caption;
std::vector<std::wstring> g_buttonTexts;
RECT g_boxRect{};

BOOL CALLBACK findBox(HWND window, LPARAM) {
    wchar_t cls[16]{};
    GetClassNameW(window, cls, 16);
    if (IsWindowVisible(window) != 0 && std::wstring(cls) == L"#32770") {
        g_box = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK collectButtons(HWND child, LPARAM) {
    wchar_t cls[16]{};
    GetClassNameW(child, cls, 16);
    if (std::wstring(cls) == L"Button") {
        wchar_t text[32]{};
        GetWindowTextW(child, text, 32);
        g_buttonTexts.emplace_back(text);
    }
    return TRUE;
}

void CALLBACK answerBox(HWND, UINT, UINT_PTR timer, DWORD) {
    g_box = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), findBox, 0);
    if (g_box == nullptr) {
        return;  // not shown yet
    }
    KillTimer(nullptr, timer);
    wchar_t caption[64]{};
    GetWindowTextW(g_box, caption, 64);
    g_caption = caption;
    g_buttonTexts.clear();
    EnumChildWindows(g_box, collectButtons, 0);
    GetWindowRect(g_box, &g_boxRect);
    for (const auto& [message, key] : g_drive->input) {
        HWND target = GetFocus();
        if (message == WM_CLOSE || IsChild(g_box, target) == 0) {
            target = g_box;
        }
        PostMessageW(target, message, key, 0);
    }
}

TEST(QuestionBox, AnswersByKeyAndCloseBoxWithEnglishButtonsCentredOnTheScreen) {
    if (!test::windowsCanBeMade()) {
        GTEST_SKIP() << test::kNoWindowsHere;
    }
    test::RecordingHelp helpPlatform;
    TMyHLPObject help(helpPlatform);
    Win32MessageBoxes boxes(&help);
    const std::vector<Drive> drives = {
        {{Answer::Yes, Answer::No, Answer::Cancel}, {{WM_KEYDOWN, VK_F1}, {WM_KEYDOWN, VK_ESCAPE}}, Answer::Cancel},
        {{Answer::Yes, Answer::No}, {{WM_KEYDOWN, VK_ESCAPE}}, Answer::No},
        {{Answer::Yes, Answer::No, Answer::Cancel}, {{WM_KEYDOWN, VK_RETURN}}, Answer::Yes},
        {{Answer::Ok, Answer::Cancel}, {{WM_KEYDOWN, VK_RETURN}}, Answer::Ok},
        {{Answer::Yes, Answer::No}, {{WM_CHAR, L'n'}}, Answer::No},
        {{Answer::Yes, Answer::No, Answer::Cancel}, {{WM_CLOSE, 0}}, Answer::Cancel},
    };
    const std::vector<std::wstring> english = {L"&Yes", L"&No", L"Cancel", L"OK"};
    for (const auto& drive : drives) {
        SCOPED_TRACE(testing::Message() << "answer " << static_cast<int>(drive.expected));
        Drive copy = drive;
        g_drive = &copy;
        g_box = nullptr;
        SetTimer(nullptr, 0, 30, answerBox);
        const Answer got = boxes.question(QuestionKind::Confirm, "Вернуть пути к файлам по умолчанию?",
                                          drive.buttons, 1010);
        EXPECT_EQ(got, drive.expected);
        EXPECT_EQ(g_caption, L"Confirm");
        ASSERT_EQ(g_buttonTexts.size(), drive.buttons.size());
        for (std::size_t i = 0; i < drive.buttons.size(); ++i) {
            EXPECT_EQ(g_buttonTexts[i], english[static_cast<std::size_t>(drive.buttons[i])]);
        }
        const int centreX = (g_boxRect.left + g_boxRect.right) / 2;
        const int centreY = (g_boxRect.top + g_boxRect.bottom) / 2;
        EXPECT_LE(std::abs(centreX - GetSystemMetrics(SM_CXSCREEN) / 2), 1);
        EXPECT_LE(std::abs(centreY - GetSystemMetrics(SM_CYSCREEN) / 2), 1);
    }
    // F1 in the first box asked for its context, once.
    EXPECT_EQ(helpPlatform.contexts, std::vector<std::int32_t>{1010});
    g_drive = nullptr;
}

}  // namespace
}  // namespace mnemora::win32
