#include "chart/chart_look.h"

#include <gtest/gtest.h>

#include <set>

namespace mnemora {
namespace {

const ChartPanelLayout& panel(std::string_view name) {
    for (const ChartPanelLayout& l : chartGridLayout()) {
        if (l.name == name) {
            return l;
        }
    }
    static const ChartPanelLayout none;
    ADD_FAILURE() << "no panel " << name;
    return none;
}

TEST(ChartGrid, HasEveryPanelOnceInItsPlaceWithItsKindAndLook) {
    const auto& grid = chartGridLayout();
    // Two corners, 24 headers, 9 rows with two labels and 26 cells each.
    EXPECT_EQ(grid.size(), 2u + 24u + 9u * (2u + 26u));
    std::set<std::string> names;
    int clickable = 0;
    for (const ChartPanelLayout& l : grid) {
        EXPECT_TRUE(names.insert(l.name).second) << l.name;
        EXPECT_EQ(l.width, 25) << l.name;
        EXPECT_LE(l.x + l.width, 650) << l.name;
        EXPECT_LE(l.y + l.height, 386) << l.name;  // above the bottom strip
        clickable += l.clicks ? 1 : 0;
    }
    EXPECT_EQ(clickable, 24 + 9 * 20);  // headers and input cells

    const ChartPanelLayout& header = panel("Panel5");  // column 3
    EXPECT_EQ(header.caption, "3");
    EXPECT_EQ(header.hint, kToneColumns[2].title);
    EXPECT_EQ(header.panel.helpContext, 5030);
    EXPECT_EQ(header.panel.tag, kHeaderPanelTag);
    EXPECT_TRUE(header.helpCursor);
    EXPECT_EQ(panel("Panel26").x, 600);
    EXPECT_EQ(panel("Panel261").caption, kToneRows[8].label);
    EXPECT_EQ(panel("Panel261").x, 625);

    // Split columns: halves of 20 at the top and the bottom of the row.
    const int upper = TToneChart::cellNumber(3, 4), lower = TToneChart::cellNumber(3, 5);
    const ChartPanelLayout& u = panel("p" + std::to_string(upper));
    const ChartPanelLayout& d = panel("p" + std::to_string(lower));
    EXPECT_EQ(std::vector<int>({u.x, u.y, u.height, d.y, d.height}),
              std::vector<int>({100, 145, 20, 165, 20}));
    EXPECT_EQ(panel("P1").hint, kCell1Hint);
    EXPECT_TRUE(panel("p7").hint.empty());
    EXPECT_EQ(panel("P183").panel.cell, 183);
    const ChartPanelLayout& result = panel("p" + std::to_string(TToneChart::cellNumber(0, 21)));
    EXPECT_EQ(result.panel.tag, kResultPanelTag);
    EXPECT_FALSE(result.clicks);
    EXPECT_TRUE(result.bold);
}

TEST(ChartCells, ShowTheirMarkAndTheFillOfTheirShade) {
    TToneChart chart;
    const TColor inactive = rgbColor(0x80, 0x80, 0x80);
    const int input = TToneChart::cellNumber(2, 1);
    EXPECT_EQ(chartCellLook(chart, input, inactive).color, inactive);
    EXPECT_EQ(chartCellLook(chart, TToneChart::cellNumber(2, 21), inactive).color, clSilver);
    chart.ClearInputCells();
    chart.ToggleCell(input);
    chart.RecalcTone();
    EXPECT_EQ(chartCellLook(chart, input, inactive).text, "X");
    EXPECT_EQ(chartCellLook(chart, input, inactive).color, clSilver);
    EXPECT_EQ(chartCellLook(chart, TToneChart::cellNumber(5, 4), inactive).color, clBtnFace);
    EXPECT_TRUE(chartCellLook(chart, TToneChart::cellNumber(5, 4), inactive).text.empty());
}

TEST(ChartCells, GreyTextCloseToSilverGivesWayToTheClassicGrey) {
    const TColor classic = rgbColor(0x80, 0x80, 0x80);
    struct Case {
        TColor grayText, expected;
    };
    // Silver itself, the grey of a common light theme, a bluish light grey and
    // a very light one give way; darker greys are the desktop's to keep.
    for (const Case& c : std::vector<Case>{{0xC0C0C0, classic},
                                           {0xBEBEBE, classic},
                                           {0xA0A0A0, classic},
                                           {rgbColor(0xB0, 0xB8, 0xC8), classic},
                                           {0xE0E0E0, classic},
                                           {0x909090, 0x909090},
                                           {0x6D6D6D, 0x6D6D6D}}) {
        EXPECT_EQ(inactiveCellColor(c.grayText), c.expected) << std::hex << c.grayText;
    }
    EXPECT_FALSE(hardToTellApart(classic, clSilver));
}

}  // namespace
}  // namespace mnemora
