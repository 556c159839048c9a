#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "chart/chart_controller.h"
#include "chart/tone_chart.h"
#include "core/color.h"

namespace mnemora {

// One panel of the chart window's grid, as a front end makes it: the corner,
// a column header, a row label or a cell.
struct ChartPanelLayout {
    std::string name;  // "Panel2", "Panel3".., "p7", "P1"...
    ChartPanel panel;  // kind number, help context, cell number
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    std::string caption;      // column number or tone label; cells start empty
    std::string_view hint;    // tool tip: the column title, and cell 1's
    bool clicks = false;      // headers and input cells react to a button release
    bool helpCursor = false;  // headers
    bool bold = false;        // cells
};

// Every panel of the grid in the order the window makes them, with the
// place and size each has in Panel1.
const std::vector<ChartPanelLayout>& chartGridLayout();

// What a cell shows: "X" when marked, and its fill. Inactive cells take the
// colour given, which the front end has chosen with inactiveCellColor.
struct CellLook {
    std::string_view text;
    TColor color = clBtnFace;
};
CellLook chartCellLook(const TToneChart& chart, int n, TColor inactiveColor);

// Inactive cells take the desktop's grey text colour (as a plain colour), or
// the classic grey 0x808080 where that could hardly be told from the silver
// result cells.
TColor inactiveCellColor(TColor grayText);
// Whether two plain fills side by side could hardly be told apart (their
// luminance contrast is below 1.5 to 1).
bool hardToTellApart(TColor a, TColor b);

}  // namespace mnemora
