#include "chart/tone_chart.h"

#include <gtest/gtest.h>

namespace mnemora {
namespace {

using Shade = TToneChart::Shade;

void expectSubColumnShade(const TToneChart& chart, int position, Shade shade) {
    for (int r = 0; r < TToneChart::kRows; ++r) {
        EXPECT_EQ(chart.shade(TToneChart::cellNumber(r, position)), shade) << "row " << r;
    }
}

TToneChart clearedChart() {
    TToneChart chart;
    chart.ClearInputCells();
    return chart;
}

TEST(ToneChartInitial, InputCellsInactiveResultCellsShadedNothingMarked) {
    TToneChart chart;
    EXPECT_EQ(chart.markCount(), 0);
    EXPECT_EQ(chart.shade(1), Shade::Inactive);
    EXPECT_EQ(chart.shade(228), Shade::Inactive);
    EXPECT_EQ(chart.shade(21), Shade::Shaded);
    EXPECT_EQ(chart.shade(234), Shade::Shaded);
}

TEST(ToneChartNumbering, InputAndResultCellsByPosition) {
    EXPECT_TRUE(TToneChart::isInputCell(1));
    EXPECT_TRUE(TToneChart::isInputCell(20));
    EXPECT_FALSE(TToneChart::isInputCell(21));
    EXPECT_FALSE(TToneChart::isInputCell(26));
    EXPECT_TRUE(TToneChart::isInputCell(27));
    EXPECT_TRUE(TToneChart::isInputCell(228));
    EXPECT_FALSE(TToneChart::isInputCell(229));
    EXPECT_FALSE(TToneChart::isInputCell(0));
    EXPECT_FALSE(TToneChart::isInputCell(235));
    EXPECT_EQ(TToneChart::rowOf(187), 7);
    EXPECT_EQ(TToneChart::positionOf(187), 5);
}

TEST(ToneChartNumbering, NumbersOutsideTheGridAreHarmless) {
    TToneChart chart = clearedChart();
    for (int n : {0, -1, 235, 1000, -2147483647 - 1, 2147483647}) {
        chart.ToggleCell(n);
        EXPECT_FALSE(chart.marked(n));
        EXPECT_EQ(chart.shade(n), Shade::Inactive);
    }
    EXPECT_EQ(chart.markCount(), 0);
    expectSubColumnShade(chart, 1, Shade::Plain);
}

TEST(ToneChartToggle, MarkingMovesTheMarkWithinTheSubColumn) {
    TToneChart chart = clearedChart();
    chart.ToggleCell(187);
    chart.ToggleCell(31);
    EXPECT_TRUE(chart.marked(31));
    EXPECT_FALSE(chart.marked(187));
    expectSubColumnShade(chart, 5, Shade::Shaded);
    EXPECT_EQ(chart.markCount(), 1);
}

TEST(ToneChartToggle, UnmarkingReturnsWholeSubColumnToPlain) {
    TToneChart chart = clearedChart();
    chart.ToggleCell(60);
    chart.ToggleCell(60);
    EXPECT_FALSE(chart.marked(60));
    expectSubColumnShade(chart, 8, Shade::Plain);
}

TEST(ToneChartToggle, HalvesOfSplitColumnsAreIndependent) {
    TToneChart chart = clearedChart();
    chart.ToggleCell(4);
    chart.ToggleCell(11);
    expectSubColumnShade(chart, 4, Shade::Shaded);
    expectSubColumnShade(chart, 5, Shade::Plain);
    expectSubColumnShade(chart, 11, Shade::Shaded);
    expectSubColumnShade(chart, 12, Shade::Plain);
    chart.ToggleCell(31);  // row 1, lower half of column 4
    EXPECT_TRUE(chart.marked(4));
    EXPECT_TRUE(chart.marked(31));
}

TEST(ToneChartToggle, DoesNotRecomputeTheResult) {
    TToneChart chart = clearedChart();
    chart.ToggleCell(1);
    EXPECT_FALSE(chart.marked(21));
    chart.RecalcTone();
    EXPECT_TRUE(chart.marked(21));
    chart.ToggleCell(1);
    EXPECT_TRUE(chart.marked(21)) << "the previous result stays until RecalcTone";
}

TEST(ToneChartToggle, ResultCellShadesOnlyItsOwnSubColumn) {
    TToneChart chart = clearedChart();
    chart.ToggleCell(21);
    expectSubColumnShade(chart, 21, Shade::Shaded);
    chart.ToggleCell(21);
    expectSubColumnShade(chart, 21, Shade::Plain);
    expectSubColumnShade(chart, 22, Shade::Shaded);
}

TEST(ToneChartRecalc, TieGoesToTheTopmostRow) {
    TToneChart chart = clearedChart();
    for (int p = 1; p <= 7; ++p) {
        chart.ToggleCell(TToneChart::cellNumber(2, p));
        chart.ToggleCell(TToneChart::cellNumber(5, p + 10));
    }
    chart.RecalcTone();
    for (int n = 73; n <= 78; ++n) {
        EXPECT_TRUE(chart.marked(n)) << n;
    }
    for (int n = 151; n <= 156; ++n) {
        EXPECT_FALSE(chart.marked(n)) << n;
    }
}

TEST(ToneChartRecalc, MostMarksWinsOverHigherRow) {
    TToneChart chart = clearedChart();
    chart.ToggleCell(1);
    chart.ToggleCell(210);
    chart.ToggleCell(211);
    chart.RecalcTone();
    EXPECT_FALSE(chart.marked(21));
    EXPECT_TRUE(chart.marked(229));
    EXPECT_TRUE(chart.marked(234));
}

TEST(ToneChartRecalc, NoMarksLeavesEveryResultCellEmpty) {
    TToneChart chart = clearedChart();
    chart.ToggleCell(21);  // a stray result mark is cleared too
    chart.RecalcTone();
    EXPECT_EQ(chart.markCount(), 0);
}

TEST(ToneChartRecalc, FullRowIsTheResult) {
    TToneChart chart = clearedChart();
    for (int p = 1; p <= 20; ++p) {
        chart.ToggleCell(TToneChart::cellNumber(8, p));
    }
    chart.RecalcTone();
    EXPECT_EQ(chart.markCount(), 26);
    for (int n = 229; n <= 234; ++n) {
        EXPECT_TRUE(chart.marked(n));
    }
}

TEST(ToneChartRecalc, LeavesShadesAlone) {
    TToneChart chart = clearedChart();
    chart.ToggleCell(40);
    chart.ToggleCell(22);
    chart.RecalcTone();
    expectSubColumnShade(chart, 14, Shade::Shaded);
    expectSubColumnShade(chart, 22, Shade::Shaded);
    expectSubColumnShade(chart, 21, Shade::Shaded);
    expectSubColumnShade(chart, 1, Shade::Plain);
}

TEST(ToneChartClear, EmptiesInputsKeepsResultShades) {
    TToneChart chart = clearedChart();
    chart.ToggleCell(90);
    chart.ToggleCell(23);
    chart.ToggleCell(23);  // result sub-column 23 now plain
    chart.RecalcTone();
    chart.ClearInputCells();
    EXPECT_EQ(chart.markCount(), 0);
    expectSubColumnShade(chart, 12, Shade::Plain);
    expectSubColumnShade(chart, 23, Shade::Plain);
    expectSubColumnShade(chart, 24, Shade::Shaded);
}

TEST(ToneChartTables, RowsAndColumns) {
    EXPECT_EQ(kToneRows[0].label, "4.0");
    EXPECT_EQ(kToneRows[6].label, "1.1");
    EXPECT_EQ(kToneRows[8].label, "0.1");
    int nextPosition = 1;
    for (const ToneColumn& c : kToneColumns) {
        EXPECT_EQ(c.firstPosition, nextPosition) << "column " << c.number;
        EXPECT_EQ(c.helpContext, columnHelpContext(c.number));
        EXPECT_EQ(c.isSplit(), c.number == 4 || c.number == 10);
        EXPECT_EQ(c.isSplit(), c.title.find('/') != std::string_view::npos);
        EXPECT_EQ(c.isResult(), c.number >= 19);
        nextPosition = c.lastPosition + 1;
    }
    EXPECT_EQ(nextPosition, 27);
    EXPECT_EQ(columnHelpContext(24), 5240);
    EXPECT_EQ(columnOfPosition(5), 4);
    EXPECT_EQ(columnOfPosition(13), 11);
    EXPECT_EQ(columnOfPosition(26), 24);
    EXPECT_EQ(columnOfPosition(27), 0);
}

}  // namespace
}  // namespace mnemora
