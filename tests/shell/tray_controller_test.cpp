#include "shell/tray_controller.h"

#include "shell/status_notifier.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace mnemora {
namespace {

class FakeShell : public TrayShell {
public:
    bool acceptAdd = true, acceptDelete = true;
    std::vector<std::pair<std::uint32_t, IconData>> notifications;
    std::vector<std::string> calls;
    std::string caption = "Мнемора (Версия 1.01) ";
    std::uint32_t appIcon = 0x1234;
    ScreenPoint cursor{300, 700};
    std::function<void()> duringProcessMessages;

    bool notifyIcon(std::uint32_t message, const IconData& data) override {
        notifications.emplace_back(message, data);
        calls.push_back(message == kNotifyIconAdd ? "add" : "delete");
        return message == kNotifyIconAdd ? acceptAdd : acceptDelete;
    }
    ScreenPoint cursorPos() const override { return cursor; }
    void setForegroundApplicationWindow() override { calls.push_back("foreground app"); }
    void setForegroundMainWindow() override { calls.push_back("foreground main"); }
    void hideApplicationWindow() override { calls.push_back("hide taskbar"); }
    std::uint32_t mainWindowHandle() override { return 0xCAFE01; }
    std::uint32_t applicationIconHandle() const override { return appIcon; }
    std::uint32_t loadStandardIcon(std::uint32_t id) const override { return id == kApplicationIconId ? 0x7F00 : 0; }
    std::string mainWindowCaption() const override { return caption; }
    void processMessages() override {
        calls.push_back("process");
        if (duringProcessMessages) {
            duringProcessMessages();
        }
    }
    void popupMenu(ScreenPoint at) override {
        calls.push_back("popup " + std::to_string(at.x) + "," + std::to_string(at.y));
    }
    void showMainWindow() override { calls.push_back("show main"); }
    void hideMainWindow() override { calls.push_back("hide main"); }
};

std::uint32_t u32(const IconData& d, std::size_t off) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) {
        v = (v << 8) | d[off + static_cast<std::size_t>(i)];
    }
    return v;
}

struct Tray {
    FakeShell shell;
    int clickMode = 0;
    int restores = 0;
    TrayController tray{shell, [this] { return clickMode; }, [this] { ++restores; }};
    Tray() { tray.setTrayEnabled(); }
};

TEST(TrayIconRecord, IsThe88ByteRecordLittleEndian) {
    Tray t;
    t.tray.AddTrayIcon();
    const IconData& d = t.tray.iconData();
    EXPECT_EQ(u32(d, 0), 88u);
    EXPECT_EQ(u32(d, 4), 0xCAFE01u);
    EXPECT_EQ(u32(d, 8), 1u);
    EXPECT_EQ(u32(d, 12), 7u);
    EXPECT_EQ(u32(d, 16), 0x0700u);
    EXPECT_EQ(u32(d, 20), 0x1234u);
    // The tip is the caption in the 8-bit code page, trailing blank kept, zero ended.
    const char expected[] = "\xCC\xED\xE5\xEC\xEE\xF0\xE0 (\xC2\xE5\xF0\xF1\xE8\xFF 1.01) ";
    EXPECT_EQ(std::memcmp(d.data() + 24, expected, sizeof expected), 0);
    for (std::size_t i = 24 + sizeof expected; i < 88; ++i) {
        EXPECT_EQ(d[i], 0) << i;
    }
    EXPECT_EQ(iconTipText(d), "Мнемора (Версия 1.01) ");
    ASSERT_EQ(t.shell.notifications.size(), 1u);
    EXPECT_EQ(t.shell.notifications[0].second, d);
}

TEST(TrayIconRecord, FallsBackToTheStandardIconWithoutAnIconOfItsOwn) {
    Tray t;
    t.shell.appIcon = 0;
    t.tray.AddTrayIcon();
    EXPECT_EQ(u32(t.tray.iconData(), 20), 0x7F00u);
}

TEST(TrayIconRecord, LongCaptionIsCutToFitTheTipWithItsZero) {
    Tray t;
    t.shell.caption = "Мнемора (Версия 1.01) /Список 3. Ориентация чувств./5. Обоняние/Часть 1";
    t.tray.AddTrayIcon();
    const IconData& d = t.tray.iconData();
    EXPECT_EQ(d[24 + 63], 0);
    const std::string tip = iconTipText(d);
    EXPECT_EQ(tip.rfind("Мнемора (Версия 1.01) /Список 3.", 0), 0u);
    EXPECT_TRUE(tip.ends_with("..."));
}

TEST(TrayIcon, TipKeepsTheCaptionOfTheMomentItWasAdded) {
    Tray t;
    t.tray.ApplicationEvents1Minimize(MinimizeCause::StartUp);
    t.shell.caption = "Мнемора (Версия 1.01) /Список 1. Общие случаи.";
    t.tray.ApplicationEvents1Minimize(MinimizeCause::Application);
    EXPECT_EQ(iconTipText(t.tray.iconData()), "Мнемора (Версия 1.01) ");
}

TEST(TrayIcon, SecondMinimiseAddsNoSecondIcon) {
    Tray t;
    t.tray.ApplicationEvents1Minimize(MinimizeCause::StartUp);
    t.tray.ApplicationEvents1Restore();
    t.tray.ApplicationEvents1Minimize(MinimizeCause::Application);
    EXPECT_EQ(t.shell.notifications.size(), 1u);
    EXPECT_TRUE(t.tray.trayIconShown());
    EXPECT_EQ(t.shell.calls, (std::vector<std::string>{"add", "hide taskbar", "hide main", "show main",
                                                       "foreground main", "hide taskbar", "hide main"}));
}

TEST(TrayIcon, NothingHappensBeforeTheTrayIsEnabled) {
    FakeShell shell;
    int restores = 0;
    TrayController tray(shell, [] { return 0; }, [&] { ++restores; });
    tray.ApplicationEvents1Minimize(MinimizeCause::StartUp);
    tray.WMTrayNotify(kLeftButtonUp);
    tray.WMTrayNotify(kRightButtonDown);
    tray.ApplicationEvents1Restore();
    tray.FormClose();
    EXPECT_TRUE(shell.calls.empty());
    EXPECT_EQ(restores, 0);
}

TEST(TrayIcon, RefusedAddIsTriedAgainAtTheNextMinimise) {
    Tray t;
    t.shell.acceptAdd = false;
    t.tray.ApplicationEvents1Minimize(MinimizeCause::Application);
    EXPECT_FALSE(t.tray.trayIconShown());
    t.shell.acceptAdd = true;
    t.tray.ApplicationEvents1Minimize(MinimizeCause::Application);
    EXPECT_TRUE(t.tray.trayIconShown());
    EXPECT_EQ(t.shell.notifications.size(), 2u);
}

TEST(TrayIcon, WithoutATrayTheWindowStaysReachable) {
    Tray t;
    t.shell.acceptAdd = false;
    t.tray.ApplicationEvents1Minimize(MinimizeCause::StartUp);
    EXPECT_EQ(t.shell.calls, (std::vector<std::string>{"add", "show main"}));
    t.shell.calls.clear();
    // A user's minimise leaves the window minimised in the task bar.
    t.tray.ApplicationEvents1Minimize(MinimizeCause::Application);
    EXPECT_EQ(t.shell.calls, (std::vector<std::string>{"add"}));
}

TEST(TrayIcon, CloseRemovesTheIconWithTheRecordItWasAddedWith) {
    Tray t;
    t.tray.ApplicationEvents1Minimize(MinimizeCause::StartUp);
    t.tray.FormClose();
    ASSERT_EQ(t.shell.notifications.size(), 2u);
    EXPECT_EQ(t.shell.notifications[1].first, kNotifyIconDelete);
    EXPECT_EQ(t.shell.notifications[1].second, t.shell.notifications[0].second);
    EXPECT_FALSE(t.tray.trayIconShown());
    t.tray.FormClose();  // already gone: nothing more is sent
    EXPECT_EQ(t.shell.notifications.size(), 2u);
}

TEST(TrayIcon, ATrayThatGoesAwayBringsTheWindowBackAndTheNextMinimiseAddsAgain) {
    Tray t;
    t.tray.ApplicationEvents1Minimize(MinimizeCause::StartUp);
    t.shell.calls.clear();
    t.tray.TrayIconLost();
    EXPECT_FALSE(t.tray.trayIconShown());
    EXPECT_EQ(t.restores, 1);
    EXPECT_EQ(t.shell.calls, (std::vector<std::string>{"show main"}));
    t.tray.TrayIconLost();  // already counted as gone
    EXPECT_EQ(t.restores, 1);
    t.tray.ApplicationEvents1Minimize(MinimizeCause::Application);
    EXPECT_TRUE(t.tray.trayIconShown());
    EXPECT_EQ(t.shell.notifications.size(), 2u);
}

TEST(TrayIcon, RefusedRemovalKeepsTheIconCounted) {
    Tray t;
    t.tray.ApplicationEvents1Minimize(MinimizeCause::StartUp);
    t.shell.acceptDelete = false;
    t.tray.FormClose();
    EXPECT_TRUE(t.tray.trayIconShown());
}

TEST(TrayClicks, SingleClickModeRestoresOnLeftRelease) {
    Tray t;
    t.clickMode = 0;
    t.tray.WMTrayNotify(kLeftButtonDoubleClick);
    EXPECT_EQ(t.restores, 0);
    t.tray.WMTrayNotify(kLeftButtonUp);
    EXPECT_EQ(t.restores, 1);
}

TEST(TrayClicks, DoubleClickModeIgnoresSingleClicks) {
    Tray t;
    t.clickMode = 1;
    t.tray.WMTrayNotify(kLeftButtonUp);
    EXPECT_EQ(t.restores, 0);
    t.tray.WMTrayNotify(kLeftButtonDoubleClick);
    EXPECT_EQ(t.restores, 1);
}

TEST(TrayClicks, ModeMinusOneRestoresOnNoLeftClick) {
    Tray t;
    t.clickMode = -1;
    t.tray.WMTrayNotify(kLeftButtonUp);
    t.tray.WMTrayNotify(kLeftButtonDoubleClick);
    EXPECT_EQ(t.restores, 0);
}

TEST(TrayClicks, ClickModeIsReadAtTheMomentOfTheMessage) {
    Tray t;
    t.clickMode = 1;
    t.tray.WMTrayNotify(kLeftButtonUp);
    t.clickMode = 0;
    t.tray.WMTrayNotify(kLeftButtonUp);
    EXPECT_EQ(t.restores, 1);
}

TEST(TrayClicks, RightPressOpensTheMenuWhereTheCursorWasBeforeWaitingMessages) {
    Tray t;
    t.shell.duringProcessMessages = [&] { t.shell.cursor = {5, 5}; };
    t.tray.WMTrayNotify(kRightButtonDown);
    EXPECT_EQ(t.shell.calls, (std::vector<std::string>{"foreground app", "process", "popup 300,700"}));
}

TEST(TrayClicks, OtherMouseMessagesAreIgnored) {
    Tray t;
    for (std::uint32_t m : {0x0200u, 0x0201u, 0x0205u, 0x0207u, 0u}) {
        t.tray.WMTrayNotify(m);
    }
    EXPECT_TRUE(t.shell.calls.empty());
    EXPECT_EQ(t.restores, 0);
}

TEST(Application, RestoreOnlyFromTheMinimisedState) {
    TApplication app;
    int minimizes = 0, restores = 0;
    app.OnMinimize = [&] { ++minimizes; };
    app.OnRestore = [&] { ++restores; };
    app.Restore();
    EXPECT_EQ(restores, 0);
    app.Minimize();
    app.Minimize();
    EXPECT_EQ(minimizes, 1);
    app.Restore();
    app.Restore();
    EXPECT_EQ(restores, 1);
    EXPECT_FALSE(app.minimized());
}

TEST(Application, DoubleClickInSingleClickModeRestoresOnceOnItsFirstRelease) {
    TApplication app;
    FakeShell shell;
    TrayController tray(shell, [] { return 0; }, [&] { app.Restore(); });
    tray.setTrayEnabled();
    app.OnMinimize = [&] { tray.ApplicationEvents1Minimize(MinimizeCause::Application); };
    app.OnRestore = [&] { tray.ApplicationEvents1Restore(); };
    app.Minimize();
    shell.calls.clear();
    for (std::uint32_t m : {kLeftButtonUp, kLeftButtonDoubleClick, kLeftButtonUp}) {
        tray.WMTrayNotify(m);
    }
    EXPECT_EQ(shell.calls, (std::vector<std::string>{"show main", "foreground main"}));
}

TEST(StatusNotifierActivations, TheSecondWithinTheIntervalIsADoubleClickThenTheyStartAfresh) {
    ActivationClicks clicks;
    using V = std::vector<std::uint32_t>;
    EXPECT_EQ(clicks.activate(1000, 400), V{kLeftButtonUp});
    EXPECT_EQ(clicks.activate(1400, 400), (V{kLeftButtonDoubleClick, kLeftButtonUp}));
    // A third quick one is a new first click, not a second double click.
    EXPECT_EQ(clicks.activate(1500, 400), V{kLeftButtonUp});
    EXPECT_EQ(clicks.activate(1901, 400), V{kLeftButtonUp});  // too late to pair
    EXPECT_EQ(clicks.activate(2000, 400), (V{kLeftButtonDoubleClick, kLeftButtonUp}));
    EXPECT_EQ(clicks.activate(3000, 400), V{kLeftButtonUp});
    EXPECT_EQ(clicks.activate(2900, 400), V{kLeftButtonUp});  // a clock that went back pairs nothing
}

// What each click mode makes of activations, through the tray logic.
TEST(StatusNotifierActivations, RestoreInEachClickMode) {
    struct Case {
        int mode;
        std::vector<std::int64_t> times;
        int restores;
    };
    for (const Case& c : {Case{0, {0}, 1}, Case{0, {0, 100}, 1}, Case{1, {0}, 0}, Case{1, {0, 600}, 0},
                          Case{1, {0, 100}, 1}, Case{-1, {0, 100}, 0}}) {
        TApplication app;
        FakeShell shell;
        TrayController tray(shell, [&] { return c.mode; }, [&] { app.Restore(); });
        tray.setTrayEnabled();
        int restores = 0;
        app.OnRestore = [&] { ++restores; };
        app.Minimize();
        ActivationClicks clicks;
        for (const std::int64_t t : c.times) {
            for (const std::uint32_t m : clicks.activate(t, 400)) {
                tray.WMTrayNotify(m);
            }
        }
        EXPECT_EQ(restores, c.restores) << "mode " << c.mode << ", " << c.times.size() << " activations";
    }
}

// Any two numbers a host sends land on a screen, the one that holds the
// point or else the nearest, in that screen's logical pixels.
TEST(StatusNotifierPoint, LandsOnTheNearestScreen) {
    const std::vector<ScreenArea> two = {{0, 0, 1920, 1080, 1.0}, {1920, 0, 1280, 1024, 1.0}};
    const std::vector<ScreenArea> hiDpi = {{0, 0, 1280, 720, 2.0}};
    constexpr std::int64_t kMax = 2147483647;
    constexpr std::int64_t kMin = -2147483648LL;
    struct Case {
        std::int64_t x, y;
        const std::vector<ScreenArea>* screens;
        LogicalPoint want;
    } const cases[] = {
        {300, 400, &two, {300, 400}},
        {2000, 900, &two, {2000, 900}},         // on the second screen
        {kMax, kMax, &two, {3199, 1023}},       // far right: the second screen's corner
        {kMin, kMin, &two, {0, 0}},
        {2500, 1050, &two, {2500, 1023}},       // below the shorter screen
        {-50, 500, &two, {0, 500}},
        {1000, 700, &hiDpi, {500, 350}},        // physical pixels halved
        {kMax, kMin, &hiDpi, {1279, 0}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(hostPointOnScreens(c.x, c.y, *c.screens), c.want) << c.x << "," << c.y;
    }
    EXPECT_EQ(hostPointOnScreens(kMax, kMax, {}), (LogicalPoint{0, 0}));
}

TEST(StatusNotifierMenu, KeyMarksBecomeUnderscores) {
    EXPECT_EQ(dbusMenuLabel("&Сессии"), "_Сессии");
    EXPECT_EQ(dbusMenuLabel("Список 10. &Прерывания."), "Список 10. _Прерывания.");
    EXPECT_EQ(dbusMenuLabel("Tom && Jerry"), "Tom & Jerry");
    EXPECT_EQ(dbusMenuLabel("snake_case"), "snake__case");
    EXPECT_EQ(dbusMenuLabel("ends with &"), "ends with ");
    EXPECT_EQ(dbusMenuLabel(">"), ">");
}

}  // namespace
}  // namespace mnemora
