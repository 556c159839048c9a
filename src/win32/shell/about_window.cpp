#include "win32/shell/about_window.h"

#include <shellapi.h>

#include <algorithm>

#include "core/app_title.h"

namespace mnemora::win32 {

namespace {

std::size_t slot(AboutLink link) { return link == AboutLink::Label6 ? 0 : 1; }

RECT placeOf(HWND child) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

int textWidth(HWND label) {
    const std::wstring text = wtext(windowText(label));
    HDC dc = GetDC(label);
    const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(label, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(label, dc);
    return size.cx;
}

void resize(HWND window, int width, int height) {
    SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void moveTo(HWND window, int x, int y) {
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

TFormAbout::TFormAbout(AboutPresenter& presenter) : presenter_(presenter) {
    presenter_.attach(*this);
    create(L"MnemoraAbout", WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT,
           kAboutCaption, 314, 174);
    setHelpContext(hwnd(), kWindowHelpContext);

    Panel1 = std::make_unique<ChildHost>(hwnd(), WS_VISIBLE | WS_CLIPCHILDREN, 8, 8, 297, 129, 0);
    Panel1->messageHook = [this](UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
        return panelMessage(message, wParam, lParam, result);
    };
    // Plain labels let the mouse through to the panel, which tells by the
    // point which label it is over.
    HWND panel = Panel1->hwnd();
    constexpr DWORD kLabel = SS_NOPREFIX;
    Label1 = createControl(panel, L"STATIC", "", kLabel | SS_CENTER, 24, 16, 257, 13);
    Label2 = createControl(panel, L"STATIC", kAboutParagraph, kLabel | SS_CENTER, 24, 32, 249, 49);
    Label5 = createControl(panel, L"STATIC", kAboutMailingLabel, kLabel, 24, 88, 54, 13);
    Label6 = createControl(panel, L"STATIC", kSubscribeAddress, kLabel, 80, 88, 154, 13);
    Label3 = createControl(panel, L"STATIC", kAboutCredit, kLabel, 24, 104, 141, 13);
    Label4 = createControl(panel, L"STATIC", kContactAddress, kLabel, 168, 104, 120, 13);
    BitBtn1 = createControl(hwnd(), L"BUTTON", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 8, 144, 75, 25, IDOK);

    LOGFONTW look{};
    GetObjectW(uiFont(), sizeof look, &look);
    look.lfUnderline = TRUE;
    underlined_.reset(CreateFontIndirectW(&look));

    fitAddressLines();
    presenter_.Panel1MouseMove();  // both links start plain
    presenter_.FormCreate();
}

TFormAbout::~TFormAbout() {
    if (hwnd() != nullptr) {
        DestroyWindow(hwnd());
    }
}

// The desktop's face for "MS Sans Serif" may be wider than the one the
// layout was drawn for: the address lines get the room their texts need,
// and the panel and window widen with them, never narrower than drawn.
void TFormAbout::fitAddressLines() {
    for (HWND label : {Label5, Label6, Label3, Label4}) {
        const RECT at = placeOf(label);
        resize(label, std::max(static_cast<int>(at.right - at.left), textWidth(label) + 2), at.bottom - at.top);
    }
    const auto follow = [](HWND caption, HWND link, int gap) {
        const RECT before = placeOf(caption);
        const RECT at = placeOf(link);
        moveTo(link, std::max(static_cast<int>(at.left), static_cast<int>(before.right) + gap), at.top);
    };
    follow(Label5, Label6, scaled(2));
    follow(Label3, Label4, scaled(3));
    const int rightmost = std::max(placeOf(Label6).right, placeOf(Label4).right);
    const RECT panel = placeOf(Panel1->hwnd());
    const int grown = std::max(0, rightmost + scaled(9) - static_cast<int>(panel.right - panel.left));
    if (grown == 0) {
        return;
    }
    resize(Panel1->hwnd(), panel.right - panel.left + grown, panel.bottom - panel.top);
    for (HWND centred : {Label1, Label2}) {
        const RECT at = placeOf(centred);
        resize(centred, at.right - at.left + grown, at.bottom - at.top);
    }
    RECT frame{};
    GetWindowRect(hwnd(), &frame);
    const int width = frame.right - frame.left + grown;
    const int height = frame.bottom - frame.top;
    SetWindowPos(hwnd(), nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TFormAbout::ShowModal(HWND owner) { runModal(hwnd(), owner); }

void TFormAbout::setVersionText(const std::string& text) { setWindowText(Label1, text); }

HWND TFormAbout::linkLabel(AboutLink link) const { return link == AboutLink::Label6 ? Label6 : Label4; }

std::string TFormAbout::linkCaption(AboutLink link) const { return windowText(linkLabel(link)); }

void TFormAbout::setLinkLook(AboutLink link, bool underline, TColor color) {
    HWND label = linkLabel(link);
    linkColors_[slot(link)] = color;
    SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(underline ? underlined_.font() : uiFont()), FALSE);
    InvalidateRect(label, nullptr, TRUE);
}

void TFormAbout::openAddress(const std::string& url) {
    // Whether a mail program answers is not ours to report.
    ShellExecuteW(hwnd(), L"open", wtext(url).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

std::optional<AboutLink> TFormAbout::linkAt(POINT at, bool* free) const {
    HWND panel = Panel1->hwnd();
    HWND under = ChildWindowFromPointEx(panel, at, CWP_SKIPINVISIBLE);
    if (free != nullptr) {
        *free = under == panel;
    }
    if (under == Label6) {
        return AboutLink::Label6;
    }
    if (under == Label4) {
        return AboutLink::Label4;
    }
    return std::nullopt;
}

// The panel sees every move and click over its labels too: over an address
// the address lights up; over the panel's free area both go plain; over the
// other labels nothing changes.
bool TFormAbout::panelMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    HWND panel = Panel1->hwnd();
    const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint{};
            HDC dc = BeginPaint(panel, &paint);
            RECT box{};
            GetClientRect(panel, &box);
            DrawEdge(dc, &box, BDR_RAISEDINNER, BF_RECT);
            EndPaint(panel, &paint);
            result = 0;
            return true;
        }
        case WM_CTLCOLORSTATIC: {
            HWND label = reinterpret_cast<HWND>(lParam);
            if (label != Label6 && label != Label4) {
                return false;
            }
            auto* dc = reinterpret_cast<HDC>(wParam);
            const AboutLink link = label == Label6 ? AboutLink::Label6 : AboutLink::Label4;
            SetTextColor(dc, colorRef(linkColors_[slot(link)]));
            SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
            result = reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
            return true;
        }
        case WM_MOUSEMOVE: {
            bool free = false;
            const auto link = linkAt(at, &free);
            guarded([&] {
                if (link) {
                    presenter_.Label4MouseMove(*link);
                } else if (free) {
                    presenter_.Panel1MouseMove();
                }
            });
            result = 0;
            return true;
        }
        case WM_LBUTTONDOWN:
            pressed_ = linkAt(at);
            if (pressed_) {
                SetCapture(panel);
            }
            result = 0;
            return true;
        case WM_LBUTTONUP: {
            // A click is a press and a release on the same address.
            const auto pressed = pressed_;
            pressed_.reset();
            if (GetCapture() == panel) {
                ReleaseCapture();
            }
            if (pressed && linkAt(at) == pressed) {
                guarded([&] { presenter_.Label4Click(*pressed); });
            }
            result = 0;
            return true;
        }
        case WM_SETCURSOR: {
            POINT cursor{};
            GetCursorPos(&cursor);
            ScreenToClient(panel, &cursor);
            if (LOWORD(lParam) == HTCLIENT && linkAt(cursor)) {
                SetCursor(LoadCursorW(nullptr, IDC_HAND));
                result = TRUE;
                return true;
            }
            return false;
        }
        default:
            return false;
    }
}

LRESULT TFormAbout::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            // Enter and OK close; no button here is a cancel button, so
            // Escape closes nothing.
            if (LOWORD(wParam) == IDOK) {
                ShowWindow(hwnd(), SW_HIDE);
            }
            return 0;
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE) {
                SetFocus(BitBtn1);
            }
            return 0;
        case WM_CLOSE:
            ShowWindow(hwnd(), SW_HIDE);
            return 0;
        default:
            return defaultProc(message, wParam, lParam);
    }
}

}  // namespace mnemora::win32
