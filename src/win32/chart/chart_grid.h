#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "chart/chart_look.h"
#include "win32/common/ui.h"

namespace mnemora::win32 {

// Size of the grid at 96 pixels per inch: the header row and nine rows of
// 40, 26 panels of 25 across.
inline constexpr int kGridWidth96 = 650;
inline constexpr int kGridHeight96 = 385;

// The grid's cells and the chart's fields: the windows' font, in bold.
HFONT createBoldUiFont();

// Where a panel of chartGridLayout() lies in the grid at this many pixels per
// inch. Edges are scaled, not sizes, so that neighbours meet without gaps.
RECT gridPanelRect(const ChartPanelLayout& panel, int dpi);
// The index in chartGridLayout() of the panel under a point of the grid.
std::optional<std::size_t> gridPanelAt(POINT point, int dpi);

// The 9 x 24 grid with its headers and row labels, painted by us in one
// child window. A button released over the panel it was pressed on, if that
// panel takes clicks, goes to onRelease.
class ChartGrid : public Window {
  public:
    ChartGrid(HWND parent, int x96, int y96);

    std::function<void(const ChartPanel& panel)> onRelease;

    void showCells(const TToneChart& chart);
    void setCornerColor(TColor color);
    // The desktop's colours changed: everything is painted anew.
    void colorsChanged();

  protected:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    void addToolTips();
    void invalidatePanel(std::size_t index);
    void paint(HDC dc, const RECT& area);
    void paintPanel(HDC dc, std::size_t index);
    [[nodiscard]] std::optional<std::size_t> panelAt(LPARAM lParam) const;
    void press(LPARAM lParam);
    void release(LPARAM lParam);

    int dpi_;
    GdiObject boldFont_;
    HWND toolTips_ = nullptr;
    TColor corner_ = clBtnFace;
    const TToneChart* chart_ = nullptr;
    // What each cell shows now, by cell number; the index of each cell's
    // panel in the layout.
    std::array<CellLook, TToneChart::kCellCount + 1> looks_{};
    std::array<std::size_t, TToneChart::kCellCount + 1> cellPanel_{};
    std::optional<std::size_t> pressed_;
};

}  // namespace mnemora::win32
