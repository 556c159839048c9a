#include "win32/chart/chart_grid.h"

#include <commctrl.h>
#include <windowsx.h>

#include "core/font.h"

namespace mnemora::win32 {

namespace {

TColor plainColor(COLORREF c) {
    return rgbColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

// Inactive cells: the desktop's grey text, unless it could hardly be told
// from the silver of the result cells.
TColor inactiveColor() {
    return inactiveCellColor(plainColor(GetSysColor(COLOR_GRAYTEXT)));
}

void fill(HDC dc, const RECT& r, TColor color) {
    const GdiObject brush(CreateSolidBrush(colorRef(color)));
    FillRect(dc, &r, brush.brush());
}

}  // namespace

HFONT createBoldUiFont() {
    TFont bold;
    bold.PixelsPerInch = screenDpi();
    bold.SetSize(8);
    bold.Charset = RUSSIAN_CHARSET;
    bold.Style.bold = true;
    return createFont(bold);
}

RECT gridPanelRect(const ChartPanelLayout& panel, int dpi) {
    const auto at = [dpi](int v96) { return mnemora::MulDiv(v96, dpi, 96); };
    return RECT{at(panel.x), at(panel.y), at(panel.x + panel.width), at(panel.y + panel.height)};
}

std::optional<std::size_t> gridPanelAt(POINT point, int dpi) {
    const auto& layout = chartGridLayout();
    for (std::size_t i = 0; i < layout.size(); ++i) {
        const RECT r = gridPanelRect(layout[i], dpi);
        if (PtInRect(&r, point) != 0) {
            return i;
        }
    }
    return std::nullopt;
}

ChartGrid::ChartGrid(HWND parent, int x96, int y96)
    : dpi_(screenDpi()), boldFont_(createBoldUiFont()) {
    const auto& layout = chartGridLayout();
    for (std::size_t i = 0; i < layout.size(); ++i) {
        if (layout[i].panel.cell != 0) {
            cellPanel_[static_cast<std::size_t>(layout[i].panel.cell)] = i;
        }
    }
    createChild(L"MnemoraChartGrid", WS_VISIBLE, 0, parent, x96, y96, kGridWidth96, kGridHeight96);
    addToolTips();
}

void ChartGrid::addToolTips() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    toolTips_ =
        CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                        WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, hwnd(), nullptr, instance(), nullptr);
    if (toolTips_ == nullptr) {
        return;  // the grid works without its hints
    }
    SendMessageW(toolTips_, WM_SETFONT, reinterpret_cast<WPARAM>(uiFont()), FALSE);
    // Long column titles wrap instead of running across the screen.
    SendMessageW(toolTips_, TTM_SETMAXTIPWIDTH, 0, scaled(320));
    const auto& layout = chartGridLayout();
    for (std::size_t i = 0; i < layout.size(); ++i) {
        if (layout[i].hint.empty()) {
            continue;
        }
        std::wstring text = wtext(layout[i].hint);
        TTTOOLINFOW tool{};
        // The older size: accepted by every version of the common controls.
        tool.cbSize = TTTOOLINFOW_V2_SIZE;
        tool.uFlags = TTF_SUBCLASS;
        tool.hwnd = hwnd();
        tool.uId = i;
        tool.rect = gridPanelRect(layout[i], dpi_);
        tool.hinst = instance();
        tool.lpszText = text.data();  // copied by the control
        SendMessageW(toolTips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void ChartGrid::invalidatePanel(std::size_t index) {
    const RECT r = gridPanelRect(chartGridLayout()[index], dpi_);
    InvalidateRect(hwnd(), &r, FALSE);
}

void ChartGrid::showCells(const TToneChart& chart) {
    chart_ = &chart;
    const TColor inactive = inactiveColor();
    for (int n = 1; n <= TToneChart::kCellCount; ++n) {
        const auto cell = static_cast<std::size_t>(n);
        const CellLook look = chartCellLook(chart, n, inactive);
        if (look.text != looks_[cell].text || look.color != looks_[cell].color) {
            looks_[cell] = look;
            invalidatePanel(cellPanel_[cell]);
        }
    }
}

void ChartGrid::setCornerColor(TColor color) {
    corner_ = color;
    invalidatePanel(0);  // Panel2 comes first in the layout
}

void ChartGrid::colorsChanged() {
    if (chart_ != nullptr) {
        showCells(*chart_);
    }
    InvalidateRect(hwnd(), nullptr, FALSE);
}

void ChartGrid::paintPanel(HDC dc, std::size_t index) {
    const ChartPanelLayout& panel = chartGridLayout()[index];
    RECT r = gridPanelRect(panel, dpi_);
    TColor color = clBtnFace;
    std::string_view text = panel.caption;
    if (panel.panel.cell != 0) {
        const CellLook& look = looks_[static_cast<std::size_t>(panel.panel.cell)];
        color = look.color;
        text = look.text;
    } else if (index == 0) {
        color = corner_;
    }
    fill(dc, r, color);
    DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT | BF_ADJUST);
    if (index == 0) {
        // The corner has a second, inner bevel.
        DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT | BF_ADJUST);
    }
    if (!text.empty()) {
        SelectObject(dc, panel.bold ? boldFont_.get() : uiFont());
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        std::wstring wide = wtext(text);
        DrawTextW(dc, wide.data(), static_cast<int>(wide.size()), &r,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
    }
}

void ChartGrid::paint(HDC dc, const RECT& area) {
    RECT client{};
    GetClientRect(hwnd(), &client);
    // Drawn off screen first, so that a change never flickers.
    HDC memory = CreateCompatibleDC(dc);
    const GdiObject bitmap(CreateCompatibleBitmap(dc, client.right, client.bottom));
    HGDIOBJ oldBitmap = SelectObject(memory, bitmap.get());
    HGDIOBJ oldFont = SelectObject(memory, uiFont());
    SetBkMode(memory, TRANSPARENT);
    fill(memory, area, clBtnFace);
    const auto& layout = chartGridLayout();
    for (std::size_t i = 0; i < layout.size(); ++i) {
        const RECT r = gridPanelRect(layout[i], dpi_);
        RECT common{};
        if (IntersectRect(&common, &r, &area) != 0) {
            paintPanel(memory, i);
        }
    }
    BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, memory,
           area.left, area.top, SRCCOPY);
    SelectObject(memory, oldFont);
    SelectObject(memory, oldBitmap);
    DeleteDC(memory);
}

std::optional<std::size_t> ChartGrid::panelAt(LPARAM lParam) const {
    return gridPanelAt(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, dpi_);
}

void ChartGrid::press(LPARAM lParam) {
    pressed_ = panelAt(lParam);
    SetCapture(hwnd());
}

void ChartGrid::release(LPARAM lParam) {
    // A release counts only over the panel that was pressed: the tail of a
    // double click in a dialog that closed over the grid is no click.
    const std::optional<std::size_t> pressed = pressed_;
    pressed_.reset();
    if (GetCapture() == hwnd()) {
        ReleaseCapture();
    }
    const std::optional<std::size_t> here = panelAt(lParam);
    if (!pressed || here != pressed) {
        return;
    }
    const ChartPanelLayout& panel = chartGridLayout()[*here];
    if (panel.clicks && onRelease) {
        guarded([&] { onRelease(panel.panel); });
    }
}

LRESULT ChartGrid::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND:
            return 1;  // the paint covers everything
        case WM_PAINT: {
            PAINTSTRUCT ps{};
            HDC dc = BeginPaint(hwnd(), &ps);
            if (IsRectEmpty(&ps.rcPaint) == 0) {
                paint(dc, ps.rcPaint);
            }
            EndPaint(hwnd(), &ps);
            return 0;
        }
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            press(lParam);
            return 0;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
            release(lParam);
            return 0;
        case WM_CAPTURECHANGED:
            pressed_.reset();
            return 0;
        case WM_SETCURSOR:
            if (LOWORD(lParam) == HTCLIENT) {
                POINT p{};
                GetCursorPos(&p);
                ScreenToClient(hwnd(), &p);
                const std::optional<std::size_t> panel = gridPanelAt(p, dpi_);
                const bool help = panel && chartGridLayout()[*panel].helpCursor;
                SetCursor(LoadCursorW(nullptr, help ? IDC_HELP : IDC_ARROW));
                return TRUE;
            }
            break;
        default:
            break;
    }
    return defaultProc(message, wParam, lParam);
}

}  // namespace mnemora::win32
