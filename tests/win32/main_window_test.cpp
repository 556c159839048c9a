#include "win32/sessions/main_window.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <optional>
#include <vector>

#include "recording_boxes.h"
#include "win32_windows.h"
#include "sessions/tray_catalogue.h"
#include "temp_dir.h"
#include "win32/sessions/tray_menu.h"

namespace mnemora::win32 {
namespace {

class FixedSettings : public SessionSettings {
  public:
    std::string path;
    std::string dataFile() const override { return path; }
    void setDefaultPaths() override {}
    void saveSettings() override {}
};

void pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) != 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

int heightOf(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    return r.bottom - r.top;
}

// Checks a built menu level against the catalogue entries it should hold,
// from `next` on, and its submenus after each item that opens one.
void expectMenuLevel(HMENU menu, int depth, std::size_t& next,
                     const std::function<bool(std::size_t)>& enabled) {
    const auto entries = trayPopupEntries();
    const int count = GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        const std::size_t entry = next++;
        ASSERT_LT(entry, entries.size());
        const MenuEntry& e = entries[entry];
        SCOPED_TRACE(std::string(e.name));
        wchar_t text[128] = {};
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STATE | MIIM_SUBMENU | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = 128;
        ASSERT_NE(GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info), 0);
        EXPECT_EQ(e.depth, depth);
        EXPECT_EQ(trayMenuEntry(info.wID), entry);
        EXPECT_EQ(trayMenuItemEntry(menu, static_cast<UINT>(position), true), entry);
        EXPECT_EQ((info.fType & MFT_SEPARATOR) != 0, e.kind == MenuKind::Separator);
        if (e.kind != MenuKind::Separator) {
            EXPECT_EQ(utext(text), entryCaption(entry));  // "&" keys kept for the menu to draw
        }
        EXPECT_EQ((info.fState & MFS_GRAYED) != 0, !enabled(entry));
        ASSERT_EQ(info.hSubMenu != nullptr, e.kind == MenuKind::Submenu);
        if (info.hSubMenu != nullptr) {
            EXPECT_EQ(trayMenuOpener(info.hSubMenu), entry);
            expectMenuLevel(info.hSubMenu, depth + 1, next, enabled);
        }
    }
}

TEST(TrayMenu, HoldsTheCatalogueInOrderWithItsKeysIdsAndGreyedItems) {
    const auto enabled = [](std::size_t entry) { return entry % 3 != 1; };
    const MenuHandle menu(buildTrayMenu(enabled));
    std::size_t next = 0;
    expectMenuLevel(menu.get(), 0, next, enabled);
    EXPECT_EQ(next, trayPopupEntries().size());
    EXPECT_EQ(trayMenuOpener(menu.get()), std::nullopt);
    EXPECT_EQ(trayMenuEntry(kTrayMenuFirstCommand - 1), std::nullopt);
    EXPECT_EQ(trayMenuEntry(trayMenuCommand(trayPopupEntries().size())), std::nullopt);
}

class MainWindowTest : public ::testing::Test {
  protected:
    MainWindowTest() {
        std::ofstream(dir.path() / "data.ini")
            << "[Disk]\n0=Зрение\n1=Слух\n2=Вкус\n[List1]\n0=Заголовок\n1=Первый вопрос\n2=Второй "
               "&& последний\n";
        settings.path = (dir.path() / "data.ini").string();
        form.presenter().onFormClose = [this] { ++formClosed; };
    }
    ~MainWindowTest() override { pump(); }
    void SetUp() override {
        if (form.hwnd() == nullptr) {
            GTEST_SKIP() << test::kNoWindowsHere;
        }
    }

    HWND child(int id) const { return GetDlgItem(form.hwnd(), id); }
    HWND button(int id) const { return GetDlgItem(child(kPanelButton), id); }
    bool enabled(int id) const { return IsWindowEnabled(button(id)) != 0; }
    void postMenuCommand(std::string_view item) {
        PostMessageW(form.hwnd(), WM_COMMAND, trayMenuCommand(*findEntry(item)), 0);
        pump();
    }
    void click(int id) {
        SendMessageW(button(id), BM_CLICK, 0, 0);
        pump();
    }
    void f1OnMenu(int itemId, HMENU menu) {
        HELPINFO info{};
        info.cbSize = sizeof info;
        info.iContextType = HELPINFO_MENUITEM;
        info.iCtrlId = itemId;
        info.hItemHandle = menu;
        SendMessageW(form.hwnd(), WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
    }
    // Drags the bar so that its band asks for the given height.
    void dragBand(int bar, bool bandAbove, int band, int requested) {
        const HWND splitter = child(bar);
        const int dy =
            bandAbove ? requested - heightOf(child(band)) : heightOf(child(band)) - requested;
        SendMessageW(splitter, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));
        SendMessageW(splitter, WM_MOUSEMOVE, MK_LBUTTON,
                     MAKELPARAM(1, static_cast<WORD>(static_cast<short>(1 + dy))));
        SendMessageW(splitter, WM_LBUTTONUP, 0,
                     MAKELPARAM(1, static_cast<WORD>(static_cast<short>(1 + dy))));
    }

    test::TempDir dir;
    test::RecordingBoxes boxes;
    test::RecordingHelp helpPlatform;
    TMyHLPObject help{helpPlatform};
    FixedSettings settings;
    RandomGenerator random;
    TForm1 form{settings, help, random};
    int formClosed = 0;
};

TEST_F(MainWindowTest, ASessionBegunFromTheMenuIsWalkedWithTheButtonsAndTheMenuEndsTheProgram) {
    EXPECT_FALSE(enabled(kButtonNext));
    postMenuCommand("NT11");
    EXPECT_NE(IsWindowVisible(form.hwnd()), 0);
    EXPECT_EQ(windowText(form.hwnd()), "Мнемора (Версия 1.01) /Список 1. Общие случаи.");
    EXPECT_EQ(form.questionText(), "Первый вопрос");
    EXPECT_FALSE(enabled(kButtonLast));
    EXPECT_TRUE(enabled(kButtonNext) && enabled(kButtonBreak) && enabled(kButton1));

    // The list branch is greyed now: a choice that was still queued is dropped.
    postMenuCommand("NT27");
    EXPECT_EQ(windowText(form.hwnd()), "Мнемора (Версия 1.01) /Список 1. Общие случаи.");

    for (int i = 0; i < 3; ++i) {
        click(kButtonNext);
    }
    EXPECT_EQ(boxes.plains, (std::vector<std::string>{"Вспомните другой случай.",
                                                      "Вспомните самый ранний случай."}));
    EXPECT_EQ(form.questionText(), "Второй && последний");
    EXPECT_TRUE(enabled(kButtonLast));

    click(kButton1);
    EXPECT_EQ(helpPlatform.contexts, std::vector<std::int32_t>{2000});

    click(kButtonBreak);
    EXPECT_EQ(IsWindowVisible(form.hwnd()), 0);
    EXPECT_FALSE(enabled(kButtonNext) || enabled(kButtonBreak) || enabled(kButton1));
    EXPECT_EQ(formClosed, 0);

    postMenuCommand("N40");  // "&Выход"
    EXPECT_EQ(formClosed, 1);
}

TEST_F(MainWindowTest, F1OnAMenuItemAsksForItsOwnContextOrItsNearestEnclosingOne) {
    const MenuHandle menu(buildTrayMenu([](std::size_t) { return true; }));
    // Sessions > Begin > list 3 > "&5. Обоняние" (a submenu without a context).
    const HMENU list3 = GetSubMenu(GetSubMenu(GetSubMenu(menu.get(), 0), 0), 2);
    const HMENU smell = GetSubMenu(list3, 4);
    ASSERT_EQ(trayMenuOpener(smell), findEntry("NT16"));

    // A notice that names no item falls back on what was highlighted, until
    // the menu has sent a notice of its own.
    SendMessageW(form.hwnd(), WM_MENUSELECT, MAKEWPARAM(4, MF_POPUP | MF_HILITE),
                 reinterpret_cast<LPARAM>(list3));
    f1OnMenu(-1, menu.get());
    EXPECT_EQ(helpPlatform.contexts, std::vector<std::int32_t>{2030});

    struct Case {
        const char* what;
        int itemId;
        HMENU menu;
        std::int32_t context;
    };
    const auto id = [](std::string_view name) {
        return static_cast<int>(trayMenuCommand(*findEntry(name)));
    };
    const std::vector<Case> cases{
        {"a list", id("NT114"), smell, 2080},
        {"a submenu item without its own", id("NT16"), list3, 2030},
        {"an open submenu with nothing highlighted", 0, smell, 2030},
        {"a list under a group without one", id("NT113"), nullptr, 2010},
        {"an action item with its own", id("NT8"), nullptr, 3000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        helpPlatform.contexts.clear();
        f1OnMenu(c.itemId, c.menu);
        EXPECT_EQ(helpPlatform.contexts, std::vector<std::int32_t>{c.context});
    }
    // The same key's second, nameless notice asks for nothing more.
    helpPlatform.contexts.clear();
    f1OnMenu(-1, menu.get());
    EXPECT_TRUE(helpPlatform.contexts.empty());
}

TEST_F(MainWindowTest, SplittersKeepTheirMinimumsAndSnapABandShut) {
    RECT client;
    GetClientRect(form.hwnd(), &client);
    const int bar = scaled(3);
    const int buttons = scaled(41);
    struct Step {
        int splitter;
        bool bandAbove;
        int band;
        int requested;
        int expected;
    };
    const int questMin = scaled(24);
    const int buttonMin = scaled(30);
    const std::vector<Step> steps{
        {kSplitter2, true, kPanelQuest, scaled(57) + 20, scaled(57) + 20},
        // Never so tall that the question area gets less than the minimum.
        {kSplitter2, true, kPanelQuest, 10000, client.bottom - buttons - 2 * bar - questMin},
        {kSplitter2, true, kPanelQuest, questMin + 1, questMin + 1},
        {kSplitter2, true, kPanelQuest, questMin, 0},
        {kSplitter2, true, kPanelQuest, 40, 40},  // a shut band opens again
        {kSplitter1, false, kPanelButton, buttons + 20, buttons + 20},
        {kSplitter1, false, kPanelButton, 10000, client.bottom - 40 - 2 * bar - buttonMin},
        {kSplitter1, false, kPanelButton, buttonMin, 0},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.requested);
        dragBand(s.splitter, s.bandAbove, s.band, s.requested);
        EXPECT_EQ(heightOf(child(s.band)), s.expected);
    }
    // The question area fills what the bands leave.
    RECT text;
    GetWindowRect(child(kLabelText), &text);
    MapWindowPoints(nullptr, form.hwnd(), reinterpret_cast<POINT*>(&text), 2);
    EXPECT_EQ(text.top, 40 + bar);
    EXPECT_EQ(text.bottom, client.bottom - bar);
}

}  // namespace
}  // namespace mnemora::win32
