#include "win32/chart/chart_window.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

namespace mnemora::win32 {

namespace {

// Menu commands. Not 1 or 2: the dialog keys send IDOK and IDCANCEL.
enum Command : int {
    kNew = 101,
    kOpenFile,
    kSave,
    kSaveAs,
    kClose,
    kHowToUse,
    kNoteField = 120,
    kDateField,
};

constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr int kClientWidth96 = 652;
constexpr int kClientHeight96 = 458;
// The bottom strip Panel29, below the grid.
constexpr int kStripTop96 = 386;
constexpr int kStripWidth96 = 649;
constexpr int kStripHeight96 = 71;

int commandOf(ChartAction action) {
    return action == ChartAction::Save ? kSave : kSaveAs;
}

// Ctrl+N, Ctrl+O and Ctrl+S, wherever the focus is in the window.
std::optional<int> shortcutCommand(WPARAM key) {
    if (GetKeyState(VK_CONTROL) >= 0 || GetKeyState(VK_MENU) < 0 || GetKeyState(VK_SHIFT) < 0) {
        return std::nullopt;
    }
    switch (key) {
        case 'N':
            return kNew;
        case 'O':
            return kOpenFile;
        case 'S':
            return kSave;
        default:
            return std::nullopt;
    }
}

// The note field's property that leads back to its window.
constexpr const wchar_t* kOwnerProperty = L"MnemoraChartWindow";

// The characters those keys also type: Ctrl+N, Ctrl+O, Ctrl+S.
bool isShortcutCharacter(WPARAM ch) {
    return ch == 0x0E || ch == 0x0F || ch == 0x13;
}

int textWidth(std::string_view text) {
    HDC screen = GetDC(nullptr);
    HGDIOBJ old = SelectObject(screen, uiFont());
    const std::wstring wide = wtext(text);
    SIZE size{};
    GetTextExtentPoint32W(screen, wide.c_str(), static_cast<int>(wide.size()), &size);
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
    return size.cx;
}

}  // namespace

std::wstring dialogFilter(std::string_view filter) {
    std::vector<std::wstring> parts;
    std::size_t start = 0;
    while (start <= filter.size()) {
        const std::size_t bar = std::min(filter.find('|', start), filter.size());
        parts.push_back(wtext(filter.substr(start, bar - start)));
        start = bar + 1;
    }
    std::wstring out;
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        out += parts[i];
        out += L'\0';
        out += parts[i + 1];
        out += L'\0';
    }
    out += L'\0';
    return out;
}

TFormEditTest::TFormEditTest(ChartController& controller, TMyHLPObject& help)
    : controller_(controller), help_(help), boldFont_(createBoldUiFont()) {
    create(L"MnemoraChart", kStyle, 0, kChartCaption, kClientWidth96, kClientHeight96);
    createMenu();
    grid_ = std::make_unique<ChartGrid>(hwnd(), 0, 0);
    grid_->onRelease = [this](const ChartPanel& panel) { controller_.PanelMouseUp(panel); };
    createBottomStrip();
    controller_.attach(*this);
}

TFormEditTest::~TFormEditTest() {
    // Gone while this object is whole: the note field's messages reach it
    // until its window is destroyed.
    if (hwnd() != nullptr) {
        DestroyWindow(hwnd());
    }
}

void TFormEditTest::createMenu() {
    const auto item = [](HMENU menu, int id, std::string_view caption) {
        AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(id), wtext(caption).c_str());
    };
    HMENU file = CreatePopupMenu();
    item(file, kNew, "&Создать\tCtrl+N");
    item(file, kOpenFile, "&Открыть файл\tCtrl+O");
    item(file, kSave, "&Сохранить\tCtrl+S");
    item(file, kSaveAs, "&Сохранить как...");
    AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
    item(file, kClose, "&Закрыть");
    HMENU helpMenu = CreatePopupMenu();
    item(helpMenu, kHowToUse, "&Как работать с таблицей тонов");
    menu_ = CreateMenu();
    AppendMenuW(menu_, MF_POPUP, reinterpret_cast<UINT_PTR>(file), wtext("&Файл").c_str());
    AppendMenuW(menu_, MF_POPUP, reinterpret_cast<UINT_PTR>(helpMenu), wtext("&Помощь").c_str());
    SetMenu(hwnd(), menu_);
    keepClientSize();
}

// The menu bar takes its height from the client area; the window grows by
// as much (about its centre), so that the grid and the strip keep theirs.
void TFormEditTest::keepClientSize() {
    RECT client{};
    GetClientRect(hwnd(), &client);
    const int missing = scaled(kClientHeight96) - client.bottom;
    if (missing == 0) {
        return;
    }
    RECT frame{};
    GetWindowRect(hwnd(), &frame);
    SetWindowPos(hwnd(), nullptr, frame.left, frame.top - missing / 2, frame.right - frame.left,
                 frame.bottom - frame.top + missing, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TFormEditTest::createBottomStrip() {
    constexpr std::string_view kDateLabel = "Дата создания:";
    constexpr std::string_view kNoteLabel = "Примечание:";
    const int top = scaled(kStripTop96);
    // The labels end together, and the fields start after the wider of them,
    // whatever face the system gave for the windows' font.
    const int dateWidth = textWidth(kDateLabel) + scaled(2);
    const int noteWidth = textWidth(kNoteLabel) + scaled(2);
    const int labelsEnd = std::max(scaled(84), scaled(8) + std::max(dateWidth, noteWidth));
    const int fieldsLeft = std::max(scaled(96), labelsEnd + scaled(6));
    const int lineHeight = scaled(16);

    HWND label1 =
        createControl(hwnd(), L"STATIC", kDateLabel, SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0, 0, 0, 0);
    MoveWindow(label1, labelsEnd - dateWidth, top + scaled(8), dateWidth, lineHeight, FALSE);
    EditDateCreate =
        createControl(hwnd(), L"EDIT", "", ES_READONLY | ES_AUTOHSCROLL, 0, 0, 0, 0, kDateField);
    MoveWindow(EditDateCreate, fieldsLeft, top + scaled(8), scaled(121), scaled(21), FALSE);
    SendMessageW(EditDateCreate, WM_SETFONT, reinterpret_cast<WPARAM>(boldFont_.get()), FALSE);

    HWND label2 =
        createControl(hwnd(), L"STATIC", kNoteLabel, SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0, 0, 0, 0);
    MoveWindow(label2, labelsEnd - noteWidth, top + scaled(36), noteWidth, lineHeight, FALSE);
    EditPrimet = createControl(hwnd(), L"EDIT", "", ES_AUTOHSCROLL | WS_TABSTOP | WS_DISABLED, 0, 0,
                               0, 0, kNoteField, WS_EX_CLIENTEDGE);
    MoveWindow(EditPrimet, fieldsLeft, top + scaled(32), scaled(633) - fieldsLeft, scaled(21),
               FALSE);
    SendMessageW(EditPrimet, WM_SETFONT, reinterpret_cast<WPARAM>(boldFont_.get()), FALSE);
    // Its keys pass here first, for the window's shortcuts.
    WNDCLASSEXW edit{};
    edit.cbSize = sizeof edit;
    if (GetClassInfoExW(nullptr, L"EDIT", &edit) != 0) {
        noteDefaultProc_ = edit.lpfnWndProc;
        SetPropW(EditPrimet, kOwnerProperty, this);
        SetWindowLongPtrW(EditPrimet, GWLP_WNDPROC,
                          reinterpret_cast<LONG_PTR>(&TFormEditTest::noteProc));
    }
}

LRESULT CALLBACK TFormEditTest::noteProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = static_cast<TFormEditTest*>(GetPropW(window, kOwnerProperty));
    if (self == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    if (message == WM_KEYDOWN) {
        if (const std::optional<int> id = shortcutCommand(wParam)) {
            PostMessageW(self->hwnd(), WM_COMMAND, MAKEWPARAM(*id, 1), 0);
            return 0;
        }
    } else if (message == WM_CHAR && isShortcutCharacter(wParam)) {
        return 0;
    } else if (message == WM_NCDESTROY) {
        RemovePropW(window, kOwnerProperty);
    }
    return CallWindowProcW(self->noteDefaultProc_, window, message, wParam, lParam);
}

void TFormEditTest::showChart() {
    if (IsIconic(hwnd()) != 0) {
        ShowWindow(hwnd(), SW_RESTORE);
    }
    ShowWindow(hwnd(), SW_SHOW);
    SetForegroundWindow(hwnd());
}

void TFormEditTest::setCaption(const std::string& caption) {
    setWindowText(hwnd(), caption);
}

void TFormEditTest::setCornerColor(TColor color) {
    grid_->setCornerColor(color);
}

void TFormEditTest::setActionEnabled(ChartAction action, bool enabled) {
    EnableMenuItem(menu_, static_cast<UINT>(commandOf(action)),
                   MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

void TFormEditTest::setNoteEnabled(bool enabled) {
    EnableWindow(EditPrimet, enabled ? TRUE : FALSE);
}

// Set by the program: no change event, and read from its start.
void TFormEditTest::setNoteText(const std::string& text) {
    acceptedNote_ = wtext(text);
    settingNote_ = true;
    SetWindowTextW(EditPrimet, acceptedNote_.c_str());
    settingNote_ = false;
    SendMessageW(EditPrimet, EM_SETSEL, 0, 0);
    SendMessageW(EditPrimet, EM_SCROLLCARET, 0, 0);
}

void TFormEditTest::setDateText(const std::string& text) {
    SetWindowTextW(EditDateCreate, wtext(text).c_str());
    SendMessageW(EditDateCreate, EM_SETSEL, 0, 0);
}

void TFormEditTest::noteChanged() {
    if (settingNote_) {
        return;
    }
    const int length = GetWindowTextLengthW(EditPrimet);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(EditPrimet, text.data(), length + 1)));
    const std::string utf8 = utext(text);
    if (!ChartController::acceptsNoteText(utf8)) {
        // Refused (a character a chart file cannot hold, a line break): the
        // field goes back to what it held, the caret to where the new text
        // began.
        DWORD caret = 0;
        SendMessageW(EditPrimet, EM_GETSEL, 0, reinterpret_cast<LPARAM>(&caret));
        const auto added = static_cast<DWORD>(
            text.size() > acceptedNote_.size() ? text.size() - acceptedNote_.size() : 0);
        const DWORD back = std::min<DWORD>(caret > added ? caret - added : 0,
                                           static_cast<DWORD>(acceptedNote_.size()));
        settingNote_ = true;
        SetWindowTextW(EditPrimet, acceptedNote_.c_str());
        settingNote_ = false;
        SendMessageW(EditPrimet, EM_SETSEL, back, back);
        MessageBeep(MB_OK);
        return;
    }
    acceptedNote_ = std::move(text);
    controller_.EditPrimetChange(utf8);
}

void TFormEditTest::cellsChanged(const TToneChart& chart) {
    grid_->showCells(chart);
}

ChartAnswer TFormEditTest::askQuestion(std::string_view text) {
    switch (messageBoxes().question(QuestionKind::Warning, std::string(text),
                                    {Answer::Yes, Answer::No, Answer::Cancel}, 0)) {
        case Answer::Yes:
            return ChartAnswer::Yes;
        case Answer::No:
            return ChartAnswer::No;
        default:
            return ChartAnswer::Cancel;
    }
}

void TFormEditTest::showMessage(std::string_view text) {
    messageBoxes().plain(std::string(text));
}

std::optional<std::string> TFormEditTest::runFileDialog(const ChartDialog& dialog, bool save) {
    const std::wstring filter = dialogFilter(dialog.filter);
    const std::wstring title = wtext(dialog.title);
    const std::wstring extension = wtext(dialog.defaultExt);
    const std::wstring folder = wtext(dialog.initialDir);
    const std::wstring offered = wtext(dialog.offeredPath);
    // Room for long paths; the name last chosen is offered again.
    std::vector<wchar_t> name(32768, L'\0');
    offered.copy(name.data(), std::min(offered.size(), name.size() - 1));

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = hwnd();
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = name.data();
    ofn.nMaxFile = static_cast<DWORD>(name.size());
    ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    ofn.lpstrTitle = title.c_str();
    ofn.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
    // The chosen file need not exist (opening it then reports that), saving
    // over a file asks nothing, and the current folder stays as it was.
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_ENABLESIZING;
    // The system's dialog disables only the chart; the other windows and the
    // tray wait for it as they wait for a box of ours.
    const ModalScope modal(hwnd());
    const auto run = [&] { return (save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn)) != 0; };
    bool chosen = run();
    if (!chosen && CommDlgExtendedError() == FNERR_INVALIDFILENAME && name[0] != L'\0') {
        // The name last chosen is no longer one the dialog takes: none offered.
        std::fill(name.begin(), name.end(), L'\0');
        chosen = run();
    }
    if (!chosen) {
        return std::nullopt;
    }
    return utext(name.data());
}

std::optional<std::string> TFormEditTest::runOpenDialog(const ChartDialog& dialog) {
    return runFileDialog(dialog, false);
}

std::optional<std::string> TFormEditTest::runSaveDialog(const ChartDialog& dialog) {
    return runFileDialog(dialog, true);
}

void TFormEditTest::requestHelp(int context) {
    help_.HelpContext(context);
}

void TFormEditTest::hideWindow() {
    ShowWindow(hwnd(), SW_HIDE);
}

void TFormEditTest::command(int id) {
    switch (id) {
        case kNew:
            controller_.ActionNewExecute();
            break;
        case kOpenFile:
            controller_.ActionOpenFileExecute();
            break;
        case kSave:
            controller_.ActionSaveExecute();
            break;
        case kSaveAs:
            controller_.ActionSaveAsExecute();
            break;
        case kClose:
            controller_.ActionCloseExecute();
            break;
        case kHowToUse:
            controller_.N9Click();
            break;
        default:
            break;
    }
}

LRESULT TFormEditTest::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            if (id == kNoteField) {
                if (HIWORD(wParam) == EN_CHANGE) {
                    guarded([this] { noteChanged(); });
                }
            } else if (lParam == 0) {  // a menu item or a shortcut
                guarded([&] { command(id); });
            }
            return 0;
        }
        case WM_KEYDOWN:
            if (const std::optional<int> id = shortcutCommand(wParam)) {
                guarded([&] { command(*id); });
                return 0;
            }
            break;
        case WM_HELP: {
            // F1 on a highlighted item of the menu bar: its items carry no help
            // context, so the request is for context 0. F1 elsewhere is the
            // message loop's business. Some systems send a second notice for the
            // same key naming the window instead of the menu; one request only.
            const auto* info =
                reinterpret_cast<const HELPINFO*>(lParam);  // NOLINT(performance-no-int-to-ptr)
            if (info != nullptr && info->iContextType == HELPINFO_MENUITEM &&
                IsMenu(static_cast<HMENU>(info->hItemHandle)) != 0) {
                guarded([this] { help_.HelpContext(0); });
            }
            return TRUE;
        }
        case WM_ACTIVATE:
            // Back to the note when the window comes to the front, where it can be typed in.
            if (LOWORD(wParam) != WA_INACTIVE && IsWindowEnabled(EditPrimet) != 0) {
                SetFocus(EditPrimet);
                return 0;
            }
            break;
        case WM_SYSCOLORCHANGE:
            grid_->colorsChanged();
            break;
        case WM_PAINT: {
            PAINTSTRUCT ps{};
            HDC dc = BeginPaint(hwnd(), &ps);
            RECT strip{0, scaled(kStripTop96), scaled(kStripWidth96),
                       scaled(kStripTop96 + kStripHeight96)};
            DrawEdge(dc, &strip, BDR_RAISEDINNER, BF_RECT);
            EndPaint(hwnd(), &ps);
            return 0;
        }
        case WM_CLOSE:
            guarded([this] { controller_.ActionCloseExecute(); });
            return 0;
        default:
            break;
    }
    return defaultProc(message, wParam, lParam);
}

}  // namespace mnemora::win32
