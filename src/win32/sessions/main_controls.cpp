#include "win32/sessions/main_controls.h"

#include <algorithm>
#include <utility>

namespace mnemora::win32 {

namespace {

void fill(HDC dc, const RECT& area, COLORREF color) {
    SetDCBrushColor(dc, color);
    FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

}  // namespace

Panel::Panel(HWND parent, int id, bool raised, HWND commandTarget)
    : raised_(raised), commandTarget_(commandTarget) {
    // CONTROLPARENT: Tab and the underlined letters reach the buttons inside.
    createChild(L"MnemoraPanel", WS_VISIBLE | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, parent, 0, 0, 0,
                0, id);
}

LRESULT Panel::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
        case WM_NOTIFY:
            return SendMessageW(commandTarget_, message, wParam, lParam);
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd(), &ps);
            RECT area;
            GetClientRect(hwnd(), &area);
            fill(dc, area, GetSysColor(COLOR_BTNFACE));
            if (raised_) {
                DrawEdge(dc, &area, BDR_RAISEDINNER, BF_RECT);
            }
            EndPaint(hwnd(), &ps);
            return 0;
        }
        default:
            return defaultProc(message, wParam, lParam);
    }
}

Label::Label(HWND parent, int id, int x96, int y96, Fit fit)
    : fit_(fit), font_(uiFont()), textColor_(GetSysColor(COLOR_WINDOWTEXT)) {
    createChild(L"MnemoraLabel", WS_VISIBLE, 0, parent, x96, y96, 0, 0, id);
    fitToText();
}

void Label::setText(std::string text) {
    text_ = std::move(text);
    wide_ = wtext(text_);
    fitToText();
    InvalidateRect(hwnd(), nullptr, FALSE);
}

void Label::setFont(HFONT font) {
    font_ = font;
    fitToText();
    InvalidateRect(hwnd(), nullptr, FALSE);
}

void Label::setColors(COLORREF text, std::optional<COLORREF> background) {
    textColor_ = text;
    background_ = background;
    InvalidateRect(hwnd(), nullptr, FALSE);
}

void Label::fitToText() {
    if (fit_ != Fit::ToText) {
        return;
    }
    HDC dc = GetDC(hwnd());
    HGDIOBJ old = SelectObject(dc, font_);
    RECT size{0, 0, 0, 0};
    // An empty label keeps the height of one line, as a caption does.
    const std::wstring measured = wide_.empty() ? std::wstring(L" ") : wide_;
    DrawTextW(dc, measured.c_str(), static_cast<int>(measured.size()), &size,
              DT_CALCRECT | DT_LEFT | DT_SINGLELINE);
    SelectObject(dc, old);
    ReleaseDC(hwnd(), dc);
    // Some faces draw the last glyph a little past its advance (a colon
    // at the end went missing), so the label keeps a few pixels after it.
    const int width = wide_.empty() ? 0 : static_cast<int>(size.right) + scaled(4);
    SetWindowPos(hwnd(), nullptr, 0, 0, width, size.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Label::paint(HDC dc) {
    RECT area;
    GetClientRect(hwnd(), &area);
    fill(dc, area, background_.value_or(GetSysColor(COLOR_BTNFACE)));
    if (wide_.empty()) {
        return;
    }
    HGDIOBJ old = SelectObject(dc, font_);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, textColor_);
    const int length = static_cast<int>(wide_.size());
    if (fit_ == Fit::ToText) {
        DrawTextW(dc, wide_.c_str(), length, &area, DT_LEFT | DT_SINGLELINE);
    } else {
        // Centred both ways: measure the wrapped text, then place it. Text
        // taller than the area starts at its top, so its beginning shows.
        RECT measured = area;
        DrawTextW(dc, wide_.c_str(), length, &measured, DT_CALCRECT | DT_CENTER | DT_WORDBREAK);
        RECT place = area;
        place.top +=
            std::max(0L, ((area.bottom - area.top) - (measured.bottom - measured.top)) / 2);
        DrawTextW(dc, wide_.c_str(), length, &place, DT_CENTER | DT_WORDBREAK);
    }
    SelectObject(dc, old);
}

LRESULT Label::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd(), &ps);
            paint(dc);
            EndPaint(hwnd(), &ps);
            return 0;
        }
        case WM_SIZE:
            if (fit_ == Fit::Fill) {
                InvalidateRect(hwnd(), nullptr, FALSE);
            }
            return 0;
        case WM_SETCURSOR:
            if (cursor_ != nullptr && LOWORD(lParam) == HTCLIENT) {
                SetCursor(cursor_);
                return TRUE;
            }
            return defaultProc(message, wParam, lParam);
        case WM_LBUTTONDOWN:
            pressed_ = true;
            SetCapture(hwnd());
            return 0;
        case WM_LBUTTONUP: {
            const bool wasPressed = pressed_;
            pressed_ = false;
            ReleaseCapture();
            RECT area;
            GetClientRect(hwnd(), &area);
            const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            if (wasPressed && PtInRect(&area, at) != 0 && onClick) {
                guarded(onClick);
            }
            return 0;
        }
        case WM_CAPTURECHANGED:
            pressed_ = false;
            return 0;
        case WM_CONTEXTMENU:
            if (onContextMenu) {
                POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
                if (at.x == -1 && at.y == -1) {
                    // From the keyboard: the middle of the label.
                    RECT area;
                    GetClientRect(hwnd(), &area);
                    at = {area.right / 2, area.bottom / 2};
                    ClientToScreen(hwnd(), &at);
                }
                guarded([&] { onContextMenu(at); });
                return 0;
            }
            return defaultProc(message, wParam, lParam);
        default:
            return defaultProc(message, wParam, lParam);
    }
}

Splitter::Splitter(HWND parent, int id, bool bandAbove) : bandAbove_(bandAbove) {
    createChild(L"MnemoraSplitter", WS_VISIBLE, 0, parent, 0, 0, 0, 0, id);
}

int Splitter::screenY(LPARAM lParam) const {
    POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    ClientToScreen(hwnd(), &at);
    return at.y;
}

LRESULT Splitter::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SETCURSOR:
            SetCursor(LoadCursorW(nullptr, IDC_SIZENS));
            return TRUE;
        case WM_LBUTTONDOWN:
            if (bandHeight) {
                dragging_ = true;
                pressY_ = screenY(lParam);
                pressHeight_ = bandHeight();
                SetCapture(hwnd());
            }
            return 0;
        case WM_MOUSEMOVE:
            // The bar moves with the band, so the pointer is taken on the
            // screen, where the press was.
            if (dragging_ && (wParam & MK_LBUTTON) != 0 && dragBandTo) {
                const int dy = screenY(lParam) - pressY_;
                const int requested = bandAbove_ ? pressHeight_ + dy : pressHeight_ - dy;
                guarded([&] { dragBandTo(requested); });
            }
            return 0;
        case WM_LBUTTONUP:
            dragging_ = false;
            ReleaseCapture();
            return 0;
        case WM_CAPTURECHANGED:
            dragging_ = false;
            return 0;
        default:
            return defaultProc(message, wParam, lParam);
    }
}

}  // namespace mnemora::win32
