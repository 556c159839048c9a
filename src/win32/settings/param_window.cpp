#include "win32/settings/param_window.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>

#include "win32/settings/font_dialog.h"

namespace mnemora::win32 {

namespace {

// Control numbers: unique over the whole window, since the "&" keys and
// Enter send a control's command straight to the window.
enum : int {
    idButton1 = 101,
    idButton2,
    idButton3,
    idButton4,
    idButton5,
    idButton6,
    idBitBtn3,
    idCheckStart,
    idClick0,
    idClick1,
    idEditFiles,
    idEditReport,
    idPageControl,
};

constexpr DWORD kTabStop = WS_TABSTOP | WS_GROUP;

HWND button(HWND parent, std::string_view caption, int x, int y, int w, int h, int id,
            DWORD kind = BS_PUSHBUTTON) {
    return createControl(parent, L"BUTTON", caption, kind | kTabStop, x, y, w, h, id);
}

HWND groupBox(HWND parent, std::string_view caption, int x, int y, int w, int h) {
    return createControl(parent, L"BUTTON", caption, BS_GROUPBOX | WS_GROUP, x, y, w, h);
}

// The width a control's caption takes in its font, "&" marks left out.
int captionWidth(HWND control) {
    const std::wstring text = wtext(windowText(control));
    HDC dc = GetDC(control);
    const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT box{};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, DT_CALCRECT | DT_SINGLELINE);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return box.right - box.left;
}

// A child's rectangle in its parent's client coordinates.
RECT placeOf(HWND child) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void setChecked(HWND control, bool on) {
    SendMessageW(control, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

}  // namespace

TFormParam::TFormParam(ParamPresenter& presenter) : presenter_(presenter) {
    presenter_.attach(*this);
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    customColors_.fill(RGB(255, 255, 255));
    create(L"MnemoraParam", WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT,
           "Параметры", 417, 325);
    // F1 anywhere in the window asks for the window's own topic.
    setHelpContext(hwnd(), kWindowHelpContext);
    createPages();
    button(hwnd(), "OK", 152, 296, 75, 25, IDOK, BS_DEFPUSHBUTTON);
    button(hwnd(), "Отмена", 240, 296, 75, 25, IDCANCEL);
    button(hwnd(), "&Помощь", 328, 296, 75, 25, idBitBtn3);
}

TFormParam::~TFormParam() {
    // The controls go while the window's members are still there to answer them.
    if (hwnd() != nullptr) {
        DestroyWindow(hwnd());
    }
}

// The tab strip comes first in the keyboard order and the pages right
// after it, so the pages lie below the strip; the strip's window is cut
// away where the pages are, so they show and take the mouse there.
void TFormParam::createPages() {
    PageControl1 = createControl(hwnd(), WC_TABCONTROLW, "", kTabStop, 8, 8, 401, 281,
                                 idPageControl);
    const std::array<std::string_view, 2> titles{"Общие настройки", "Месторасположение данных"};
    for (std::size_t i = 0; i < titles.size(); ++i) {
        std::wstring title = wtext(titles[i]);
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = title.data();
        SendMessageW(PageControl1, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
    }
    RECT strip{};
    GetClientRect(PageControl1, &strip);
    RECT area = strip;
    SendMessageW(PageControl1, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    HRGN outline = CreateRectRgnIndirect(&strip);
    HRGN inside = CreateRectRgnIndirect(&area);
    CombineRgn(outline, outline, inside, RGN_DIFF);
    DeleteObject(inside);
    SetWindowRgn(PageControl1, outline, FALSE);  // the window owns the region now
    MapWindowPoints(PageControl1, hwnd(), reinterpret_cast<POINT*>(&area), 2);

    for (auto& page : pages_) {
        page = std::make_unique<ChildHost>(hwnd(), 0, 0, 0, 1, 1);
        HWND host = page->hwnd();
        page->messageHook = [host](UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
            return forwardToParent(host, message, wParam, lParam, result);
        };
        MoveWindow(host, area.left, area.top, area.right - area.left, area.bottom - area.top, FALSE);
    }
    createGeneralPage(pages_[0]->hwnd());
    createLocationPage(pages_[1]->hwnd());
    showPage(0);
}

void TFormParam::createGeneralPage(HWND page) {
    // Inside "Оформление" at 8, 8: the preview, which is also the link to the mailing list.
    PanelColor = std::make_unique<ChildHost>(page, WS_VISIBLE, 8 + 104, 8 + 32, 185, 41, 0);
    PanelColor->messageHook = [this](UINT message, WPARAM /*wParam*/, LPARAM lParam, LRESULT& result) {
        HWND panel = PanelColor->hwnd();
        switch (message) {
            case WM_PAINT:
                guarded([this] { paintPanelColor(); });
                result = 0;
                return true;
            case WM_ERASEBKGND:
                result = 1;  // the paint fills it
                return true;
            case WM_SETCURSOR:
                SetCursor(LoadCursorW(nullptr, IDC_HAND));
                result = TRUE;
                return true;
            case WM_LBUTTONDOWN:
                SetCapture(panel);
                result = 0;
                return true;
            case WM_LBUTTONUP: {
                // A click is a press and a release both on the panel.
                const bool pressed = GetCapture() == panel;
                ReleaseCapture();
                RECT inside{};
                GetClientRect(panel, &inside);
                const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
                if (pressed && PtInRect(&inside, at) != 0) {
                    guarded([this] { presenter_.PanelColorClick(); });
                }
                result = 0;
                return true;
            }
            default:
                return false;
        }
    };
    button(page, "&Шрифт", 8 + 8, 8 + 24, 75, 25, idButton4);
    button(page, "&Цвет фона", 8 + 8, 8 + 56, 75, 25, idButton5);
    button(page, "&По умолчанию", 16, 224, 113, 25, idButton6);
    // Inside "Запуск" at 8, 120.
    CheckBox_Start = button(page, "&Показывать заставку", 8 + 16, 120 + 16, 145, 33, idCheckStart, BS_AUTOCHECKBOX);
    // Inside the radio group at 192, 120: one column of two items.
    clickItems_[0] = createControl(page, L"BUTTON", "одинарном щелчке мыши", BS_AUTORADIOBUTTON | kTabStop,
                                   192 + 8, 120 + 18, 177, 17, idClick0);
    clickItems_[1] =
        createControl(page, L"BUTTON", "двойном щелчке мыши", BS_AUTORADIOBUTTON, 192 + 8, 120 + 38, 177, 17, idClick1);
    // The frames go last: below their contents, and each ends the radio group.
    groupBox(page, "Оформление", 8, 8, 377, 105);
    groupBox(page, "Запуск", 8, 120, 177, 65);
    groupBox(page, "Открывать главное окно при:", 192, 120, 193, 65);
}

void TFormParam::createLocationPage(HWND page) {
    // Inside "Пути" at 8, 8.
    HWND label1 = createControl(page, L"STATIC", "&Файл данных:", SS_LEFT, 8 + 16, 8 + 20, 80, 13);
    Edit_DirFiles = createControl(page, L"EDIT", "", ES_AUTOHSCROLL | kTabStop, 8 + 104, 8 + 16, 241, 21, idEditFiles,
                                  WS_EX_CLIENTEDGE);
    HWND button1 = button(page, "...", 8 + 348, 8 + 16, 21, 21, idButton1);
    HWND label2 = createControl(page, L"STATIC", "Ф&айлы отчетов:", SS_LEFT, 8 + 14, 8 + 44, 80, 13);
    Edit_DirReport = createControl(page, L"EDIT", "", ES_AUTOHSCROLL | kTabStop, 8 + 104, 8 + 40, 241, 21,
                                   idEditReport, WS_EX_CLIENTEDGE);
    button(page, "...", 8 + 348, 8 + 40, 21, 21, idButton2);
    button(page, "&По умолчанию", 16, 224, 113, 25, idButton3);
    groupBox(page, "Пути", 8, 8, 377, 73);

    // The labels take the width their captions need; where the desktop's
    // face for "MS Sans Serif" is wider than the layout's, the edits start
    // after the wider label instead of covering it.
    int labelsRight = 0;
    for (HWND label : {label1, label2}) {
        const RECT at = placeOf(label);
        const int width = captionWidth(label) + 2;
        SetWindowPos(label, nullptr, 0, 0, width, at.bottom - at.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        labelsRight = std::max(labelsRight, static_cast<int>(at.left) + width);
    }
    const RECT edit = placeOf(Edit_DirFiles);
    const int editLeft = std::max(static_cast<int>(edit.left), labelsRight + scaled(4));
    const int editRight = placeOf(button1).left - scaled(3);
    for (HWND e : {Edit_DirFiles, Edit_DirReport}) {
        const RECT at = placeOf(e);
        SetWindowPos(e, nullptr, editLeft, at.top, std::min(editRight, static_cast<int>(at.right)) - editLeft,
                     at.bottom - at.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void TFormParam::showPage(int index) {
    SendMessageW(PageControl1, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
    for (std::size_t i = 0; i < pages_.size(); ++i) {
        ShowWindow(pages_[i]->hwnd(), static_cast<int>(i) == index ? SW_SHOW : SW_HIDE);
    }
}

void TFormParam::ShowModal(HWND owner) {
    modalResult_ = 0;
    presenter_.FormShow();
    runModal(hwnd(), owner);
    presenter_.closed();
}

void TFormParam::showPaths(const std::string& dataFile, const std::string& reportDir) {
    showing_ = true;
    setWindowText(Edit_DirFiles, dataFile);
    setWindowText(Edit_DirReport, reportDir);
    showing_ = false;
}

void TFormParam::showAppearance(const TFont& font, TColor background) {
    panelFont_ = font;
    panelColor_ = background;
    panelGdiFont_.reset(createFont(font));
    InvalidateRect(PanelColor->hwnd(), nullptr, TRUE);
}

void TFormParam::showStart(bool on) { setChecked(CheckBox_Start, on); }

void TFormParam::showClickMode(std::optional<int> item) {
    for (std::size_t i = 0; i < clickItems_.size(); ++i) {
        setChecked(clickItems_[i], item && *item == static_cast<int>(i));
    }
}

void TFormParam::paintPanelColor() {
    HWND panel = PanelColor->hwnd();
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(panel, &paint);
    RECT box{};
    GetClientRect(panel, &box);
    const GdiObject fill(CreateSolidBrush(colorRef(panelColor_)));
    FillRect(dc, &box, fill.brush());
    DrawEdge(dc, &box, BDR_RAISEDINNER, BF_RECT);
    InflateRect(&box, -1, -1);
    const HGDIOBJ old = SelectObject(dc, panelGdiFont_.get() != nullptr ? panelGdiFont_.get() : uiFont());
    SetTextColor(dc, colorRef(panelFont_.Color));
    SetBkMode(dc, TRANSPARENT);
    DrawTextW(dc, L"Vantero", -1, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, old);
    EndPaint(panel, &paint);
}

std::optional<FontDialogResult> TFormParam::runFontDialog(const TFont& start) { return chooseFont(hwnd(), start); }

std::optional<TColor> TFormParam::runColorDialog(TColor start) {
    CHOOSECOLORW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = hwnd();
    dialog.rgbResult = RGB(redOf(start), greenOf(start), blueOf(start));
    dialog.lpCustColors = customColors_.data();
    dialog.Flags = CC_FULLOPEN | CC_RGBINIT;
    if (ChooseColorW(&dialog) == FALSE) {
        return std::nullopt;
    }
    return rgbColor(GetRValue(dialog.rgbResult), GetGValue(dialog.rgbResult), GetBValue(dialog.rgbResult));
}

TColor TFormParam::screenColor(TColor color) const {
    const COLORREF shown = colorRef(color);
    return rgbColor(GetRValue(shown), GetGValue(shown), GetBValue(shown));
}

void TFormParam::openAddress(const std::string& url) {
    // Whether a mail program answers is not ours to report.
    ShellExecuteW(hwnd(), L"open", wtext(url).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void TFormParam::setModalResult(int result) { modalResult_ = result; }

void TFormParam::closeWithResult(int result) {
    modalResult_ = result;
    ShowWindow(hwnd(), SW_HIDE);
}

// Enter presses the focused push button, and OK from anywhere else.
int TFormParam::defaultButtonId() const {
    HWND focus = GetFocus();
    if (focus != nullptr && IsChild(hwnd(), focus) != 0) {
        std::array<wchar_t, 16> kind{};
        GetClassNameW(focus, kind.data(), static_cast<int>(kind.size()));
        const auto type = static_cast<DWORD>(GetWindowLongW(focus, GWL_STYLE)) & BS_TYPEMASK;
        if (lstrcmpiW(kind.data(), L"Button") == 0 && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON)) {
            return GetDlgCtrlID(focus);
        }
    }
    return IDOK;
}

void TFormParam::command(int id, int code) {
    switch (id) {
        case IDOK:
            presenter_.BitBtn1Click();
            return;
        case IDCANCEL:
            closeWithResult(ParamPresenter::mrCancel);
            return;
        case idBitBtn3:
            presenter_.BitBtn3Click();
            return;
        case idButton4:
            presenter_.Button4Click();
            return;
        case idButton5:
            presenter_.Button5Click();
            return;
        case idButton6:
            presenter_.Button6Click();
            return;
        case idButton3:
            presenter_.Button3Click();
            return;
        case idCheckStart:
            if (code == BN_CLICKED) {
                presenter_.startClicked(SendMessageW(CheckBox_Start, BM_GETCHECK, 0, 0) == BST_CHECKED);
            }
            return;
        case idClick0:
        case idClick1:
            if (code == BN_CLICKED) {
                presenter_.clickModeChosen(id - idClick0);
            }
            return;
        case idEditFiles:
            if (code == EN_CHANGE && !showing_) {
                presenter_.dataFileEdited(windowText(Edit_DirFiles));
            }
            return;
        case idEditReport:
            if (code == EN_CHANGE && !showing_) {
                presenter_.reportDirEdited(windowText(Edit_DirReport));
            }
            return;
        default:
            return;  // the two "..." buttons do nothing
    }
}

LRESULT TFormParam::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            guarded([&] { command(LOWORD(wParam), HIWORD(wParam)); });
            return 0;
        case WM_NOTIFY: {
            const auto* note = reinterpret_cast<const NMHDR*>(lParam);
            if (note->hwndFrom == PageControl1 && note->code == TCN_SELCHANGE) {
                showPage(static_cast<int>(SendMessageW(PageControl1, TCM_GETCURSEL, 0, 0)));
            }
            return 0;
        }
        case DM_GETDEFID:
            return MAKELRESULT(defaultButtonId(), DC_HASDEFID);
        case WM_ACTIVATE:
            // The focus comes back where it was, across closing and reopening too.
            if (LOWORD(wParam) == WA_INACTIVE) {
                HWND focus = GetFocus();
                if (focus != nullptr && IsChild(hwnd(), focus) != 0) {
                    focus_ = focus;
                }
            } else {
                const bool usable = focus_ != nullptr && IsWindowVisible(focus_) != 0;
                SetFocus(usable ? focus_ : PageControl1);
            }
            return 0;
        case WM_CLOSE:
            closeWithResult(ParamPresenter::mrCancel);
            return 0;
        default:
            return defaultProc(message, wParam, lParam);
    }
}

}  // namespace mnemora::win32
