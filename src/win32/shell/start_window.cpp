#include "win32/shell/start_window.h"

#include <algorithm>

namespace mnemora::win32 {

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kYellow = RGB(255, 255, 0);

// Part of the picture shows: the window cuts the bitmap's last columns and rows.
constexpr int kImageWidth = 230;
constexpr int kImageHeight = 217;

// A themed check box draws its text in the theme's colour whatever we say,
// which is black on our black; without a theme it takes ours. uxtheme.dll
// is asked at run time, so the program also starts where it is missing.
void drawUnthemed(HWND control) {
    using SetTheme = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
    static const auto setTheme = [] {
        HMODULE module = LoadLibraryW(L"uxtheme.dll");
        return module != nullptr ? reinterpret_cast<SetTheme>(
                                       reinterpret_cast<void*>(GetProcAddress(module, "SetWindowTheme")))
                                 : nullptr;
    }();
    if (setTheme != nullptr) {
        setTheme(control, L"", L"");
    }
}

}  // namespace

TFormStart::TFormStart(StartPresenter& presenter) : presenter_(presenter), black_(CreateSolidBrush(kBlack)) {
    presenter_.attach(*this);
    create(L"MnemoraStart", WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_DLGMODALFRAME, "\"Мнемора\"", 231, 313);
    picture_.reset(LoadImageW(instance(), L"STARTPICTURE", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));

    // The check box comes first in the tab order; the two flat buttons take
    // no focus.
    CheckBox1 = createControl(hwnd(), L"BUTTON", "&Показывать при запуске", BS_AUTOCHECKBOX | WS_TABSTOP | WS_GROUP, 40,
                              288, 161, 17, kCheckBox1);
    drawUnthemed(CheckBox1);
    SendMessageW(CheckBox1, BM_SETCHECK, BST_CHECKED, 0);
    createControl(hwnd(), L"BUTTON", "Как работать с программой", BS_PUSHBUTTON | BS_FLAT, 24, 224, 185, 25,
                  kSpeedButton2);
    createControl(hwnd(), L"BUTTON", "Продолжить", BS_PUSHBUTTON | BS_FLAT, 56, 256, 121, 25, kSpeedButton1);
}

void TFormStart::show() {
    centreOnScreen(hwnd());
    ShowWindow(hwnd(), SW_SHOWNORMAL);
    SetForegroundWindow(hwnd());
    SetFocus(CheckBox1);
}

bool TFormStart::showAtStartChecked() const {
    return SendMessageW(CheckBox1, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TFormStart::hideWindow() { ShowWindow(hwnd(), SW_HIDE); }

ScreenSize TFormStart::screenSize() const { return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

void TFormStart::paintPicture(HDC dc) const {
    if (picture_.get() == nullptr) {
        return;
    }
    BITMAP info{};
    GetObjectW(picture_.get(), sizeof info, &info);
    HDC source = CreateCompatibleDC(dc);
    auto* old = SelectObject(source, picture_.get());
    // From the top-left corner, cut to the picture's place; on a screen of
    // more than 96 pixels per inch it grows with the window.
    const int shownWidth = std::min<int>(info.bmWidth, kImageWidth);
    const int shownHeight = std::min<int>(info.bmHeight, kImageHeight);
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    StretchBlt(dc, 0, 0, scaled(shownWidth), scaled(shownHeight), source, 0, 0, shownWidth, shownHeight, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
}

LRESULT TFormStart::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED) {
            switch (LOWORD(wParam)) {
            case kSpeedButton1:
                guarded([this] { presenter_.Button1Click(); });
                return 0;
            case kSpeedButton2:
                guarded([this] { presenter_.SpeedButton2Click(); });
                return 0;
            default:
                break;
            }
        }
        break;
    case WM_ERASEBKGND: {
        RECT client{};
        GetClientRect(hwnd(), &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, black_.brush());
        return 1;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps{};
        HDC dc = BeginPaint(hwnd(), &ps);
        paintPicture(dc);
        EndPaint(hwnd(), &ps);
        return 0;
    }
    case WM_CTLCOLORSTATIC:
        // The check box: yellow on black.
        if (reinterpret_cast<HWND>(lParam) == CheckBox1) {
            auto* dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, kYellow);
            SetBkColor(dc, kBlack);
            return reinterpret_cast<LRESULT>(black_.brush());
        }
        break;
    case WM_CLOSE:
        // The close box only hides the window: nothing is stored, no menu opens.
        hideWindow();
        return 0;
    default:
        break;
    }
    return defaultProc(message, wParam, lParam);
}

}  // namespace mnemora::win32
