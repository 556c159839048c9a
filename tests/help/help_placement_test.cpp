#include "help/help_placement.h"

#include <gtest/gtest.h>

#include <limits>

namespace mnemora {
namespace {

constexpr HelpRect kScreen{0, 0, 1920, 1080};
constexpr HelpRect kWindow{0, 0, 820, 560};

bool inside(const HelpRect& r, const HelpRect& screen) {
    return r.x >= screen.x && r.y >= screen.y && r.right() <= screen.right() && r.bottom() <= screen.bottom();
}

TEST(HelpPlacement, GoesToTheRightOfTheAskerWhenThereIsRoom) {
    const HelpRect asker{100, 200, 640, 480};
    const HelpRect r = placeHelpWindow(asker, kWindow, kScreen);
    EXPECT_EQ(r, (HelpRect{752, 200, 820, 560}));
    EXPECT_EQ(overlapArea(r, asker), 0);
}

TEST(HelpPlacement, GoesLeftWhenTheRightIsFull) {
    const HelpRect asker{1000, 100, 800, 600};
    const HelpRect r = placeHelpWindow(asker, kWindow, kScreen);
    EXPECT_EQ(r.x, 1000 - 12 - 820);
    EXPECT_EQ(r.width, 820);
    EXPECT_EQ(overlapArea(r, asker), 0);
}

TEST(HelpPlacement, GoesBelowOrAboveAWideAsker) {
    const HelpRect top{0, 0, 1900, 300};  // the chart window across the top
    const HelpRect below = placeHelpWindow(top, kWindow, kScreen);
    EXPECT_EQ(below.y, 312);
    EXPECT_EQ(below.height, 560);
    EXPECT_EQ(overlapArea(below, top), 0);
    const HelpRect bottom{0, 700, 1900, 380};
    const HelpRect above = placeHelpWindow(bottom, kWindow, kScreen);
    EXPECT_EQ(above.bottom(), 700 - 12);
    EXPECT_EQ(overlapArea(above, bottom), 0);
}

TEST(HelpPlacement, StaysOnTheScreenVertically) {
    const HelpRect asker{100, 900, 300, 150};  // near the bottom edge
    const HelpRect r = placeHelpWindow(asker, kWindow, kScreen);
    EXPECT_TRUE(inside(r, kScreen));
    EXPECT_EQ(r.x, 412);
    EXPECT_EQ(r.bottom(), 1080);
}

TEST(HelpPlacement, NarrowsBesideOnlyAsFarAsAPageStillReads) {
    const HelpRect small{0, 0, 1024, 768};
    const HelpRect asker{100, 100, 200, 300};  // 712 free on the right
    EXPECT_EQ(placeHelpWindow(asker, kWindow, small), (HelpRect{312, 100, 712, 560}));
    // The start window in the middle: 300 free on either side and 222 above
    // and below. A window that narrow would set a word a line, so it goes
    // over the asker at full size.
    const HelpRect start{312, 234, 400, 300};
    const HelpRect r = placeHelpWindow(start, kWindow, small);
    EXPECT_EQ(r.width, 820);
    EXPECT_EQ(r.height, 560);
    EXPECT_TRUE(inside(r, small));
}

TEST(HelpPlacement, ShortensBelowASmallCentredDialogOnASmallScreen) {
    // The About window in the middle of 1024 x 768: no side has a
    // comfortable window's room, the space below has a short one.
    const HelpRect small{0, 0, 1024, 768};
    const HelpRect about{301, 277, 422, 194};
    const HelpRect r = placeHelpWindow(about, kWindow, small);
    EXPECT_EQ(r, (HelpRect{204, 483, 820, 285}));
    EXPECT_EQ(overlapArea(r, about), 0);
}

TEST(HelpPlacement, CoversAsLittleAsCanBeWhenNoSideHasRoom) {
    const HelpRect small{0, 0, 1024, 768};
    const HelpRect asker{50, 50, 924, 668};  // nearly the whole screen
    const HelpRect r = placeHelpWindow(asker, kWindow, small);
    EXPECT_TRUE(inside(r, small));
    EXPECT_EQ(r.width, 820);
    EXPECT_LT(overlapArea(r, asker), 820LL * 560);
}

TEST(HelpPlacement, CentredWhenNoWindowAskedOrTheAskerIsOffScreen) {
    EXPECT_EQ(placeHelpWindow({}, kWindow, kScreen), (HelpRect{550, 260, 820, 560}));
    EXPECT_EQ(placeHelpWindow({5000, 5000, 100, 100}, kWindow, kScreen), (HelpRect{550, 260, 820, 560}));
    // On a second screen's area too.
    const HelpRect second{1920, 0, 1280, 1024};
    EXPECT_EQ(placeHelpWindow({}, kWindow, second), (HelpRect{1920 + 230, 232, 820, 560}));
}

TEST(HelpPlacement, WindowLargerThanTheScreenShrinksToIt) {
    const HelpRect tiny{0, 0, 640, 480};
    const HelpRect r = placeHelpWindow({}, kWindow, tiny);
    EXPECT_EQ(r, tiny);
}

// Whatever numbers a window manager reports, the arithmetic stays in range
// and the window comes out non-empty, on a sane screen on that screen.
TEST(HelpPlacement, ExtremeGeometryStaysInRange) {
    constexpr int kMax = std::numeric_limits<int>::max();
    constexpr int kMin = std::numeric_limits<int>::min();
    const HelpRect sane{0, 0, 1920, 1080};
    struct Case {
        HelpRect asker, window, screen;
    } const cases[] = {
        {{kMax, kMax, kMax, kMax}, kWindow, sane},
        {{kMin, kMin, kMax, kMax}, kWindow, sane},
        {{100, 100, 300, 200}, {0, 0, kMax, kMax}, sane},
        {{100, 100, 300, 200}, {0, 0, kMin, kMin}, sane},
        {{1900, 1000, kMax, kMax}, kWindow, sane},
        {{-10, -10, kMax, 50}, kWindow, sane},
        {{100, 100, 300, 200}, kWindow, {kMax - 10, kMax - 10, kMax, kMax}},
        {{kMax - 5, kMax - 5, 3, 3}, kWindow, {kMax - 10, kMax - 10, kMax, kMax}},
        {{kMin, kMin, 10, 10}, kWindow, {kMin, kMin, kMax, kMax}},
        {{0, 0, 10, 10}, kWindow, {kMin, kMin, kMax, kMax}},
        {{0, 0, 10, 10}, kWindow, {0, 0, kMin, kMin}},
    };
    for (const Case& c : cases) {
        const HelpRect r = placeHelpWindow(c.asker, c.window, c.screen, kMax, kMax, kMax);
        const HelpRect d = placeHelpWindow(c.asker, c.window, c.screen);
        for (const HelpRect& placed : {r, d}) {
            EXPECT_FALSE(placed.empty()) << c.asker.x << "," << c.asker.y;
            if (c.screen == sane) {
                EXPECT_TRUE(inside(placed, sane)) << placed.x << "," << placed.y << " " << placed.width;
            }
        }
        EXPECT_GE(overlapArea(c.asker, c.screen), 0);
    }
}

}  // namespace
}  // namespace mnemora
