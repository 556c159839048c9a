#include "win32/common/message_boxes_win32.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "core/app_title.h"

namespace mnemora::win32 {

namespace {

// What one box shows and how it answers.
struct BoxRequest {
    std::wstring caption;
    std::wstring text;
    LPCWSTR icon = nullptr;  // a system icon (IDI_...), or none
    UINT sound = MB_OK;
    std::vector<Answer> buttons;
    int helpContext = 0;
};

struct BoxState {
    const BoxRequest* request = nullptr;
    Answer answer = Answer::Ok;
    bool done = false;
    HWND focus = nullptr;  // the default button
};

// The text is drawn by the same call, in the same font, as it is measured,
// so that it breaks into the same lines: words wrap, a word longer than the
// line (a path) breaks inside, "&" is plain text. A static control breaks a
// line that exactly fits one character early and loses the last one.
constexpr UINT kTextFormat = DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX | DT_EXPANDTABS;
constexpr int kTextId = 100;

SIZE measureText(const std::wstring& text, HFONT font, int maxWidth) {
    HDC dc = GetDC(nullptr);
    auto* old = SelectObject(dc, font);
    RECT r{0, 0, maxWidth, 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, kTextFormat | DT_CALCRECT);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return {r.right - r.left, r.bottom - r.top};
}

// The client width a caption needs to show whole in the title bar. Windows
// draws only a close button beside it; the window managers wine runs under
// may add the window menu, minimise and maximise, so room is kept for four.
int captionClientWidth(const std::wstring& caption) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0) == 0) {
        return 0;
    }
    GdiObject font(CreateFontIndirectW(&metrics.lfCaptionFont));
    HDC dc = GetDC(nullptr);
    auto* old = SelectObject(dc, font.get());
    SIZE size{};
    GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return size.cx + 4 * GetSystemMetrics(SM_CXSIZE) + scaled(24);
}

HWND makeChild(HWND box, const wchar_t* cls, const std::wstring& text, DWORD style, const RECT& at, int id) {
    HWND child = CreateWindowExW(0, cls, text.c_str(), style | WS_CHILD | WS_VISIBLE, at.left, at.top,
                                 at.right - at.left, at.bottom - at.top, box,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance(), nullptr);
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(uiFont()), FALSE);
    return child;
}

HWND buildBox(HWND box, const BoxRequest& request) {
    BoxMetrics metrics;
    metrics.margin = scaled(12);
    metrics.iconGap = scaled(12);
    metrics.textToButtons = scaled(14);
    metrics.button = {scaled(75), scaled(23)};
    metrics.buttonGap = scaled(6);

    HICON icon = request.icon != nullptr ? LoadIconW(nullptr, request.icon) : nullptr;
    const SIZE iconSize = icon != nullptr ? SIZE{GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON)} : SIZE{};
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    const int besideText = 2 * metrics.margin + (icon != nullptr ? iconSize.cx + metrics.iconGap : 0);
    // Lines as long as a reader takes in at once; only a text that would
    // not fit on the screen that way gets the screen's whole width.
    SIZE text = measureText(request.text, uiFont(), std::max(scaled(160), screenWidth * 5 / 8 - besideText));
    if (text.cy > screenHeight * 3 / 4) {
        text = measureText(request.text, uiFont(), std::max(scaled(160), screenWidth - besideText - scaled(32)));
    }
    // Glyphs placed at fractions of a pixel can end a few pixels past the
    // width their advances add up to; without room for that, the end of the
    // longest line (its full stop) would be cut off.
    text.cx += text.cx / 50 + scaled(2);
    // A box with a word or two is not drawn narrower than a short line.
    const int minWidth = std::max(captionClientWidth(request.caption), scaled(180));
    const BoxLayout layout = layoutBox(text, iconSize, static_cast<int>(request.buttons.size()), minWidth, metrics);

    if (icon != nullptr) {
        HWND picture = makeChild(box, L"STATIC", L"", SS_ICON, layout.icon, -1);
        SendMessageW(picture, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
    }
    // The text is kept as the control's own too, for screen readers and Ctrl+C.
    makeChild(box, L"STATIC", request.text, SS_OWNERDRAW, layout.text, kTextId);
    const Answer preferred = defaultAnswer(request.buttons);
    HWND focus = nullptr;
    for (std::size_t i = 0; i < request.buttons.size(); ++i) {
        const Answer answer = request.buttons[i];
        const bool isDefault = answer == preferred;
        HWND button = makeChild(box, L"BUTTON", wtext(answerButtonText(answer)),
                                (isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | WS_TABSTOP | (i == 0 ? WS_GROUP : 0),
                                layout.buttons[i], answerButtonId(answer));
        if (isDefault || focus == nullptr) {
            focus = button;
        }
        if (isDefault) {
            SendMessageW(box, DM_SETDEFID, static_cast<WPARAM>(answerButtonId(answer)), 0);
        }
    }

    // Centred on the screen, frame included.
    RECT frame{0, 0, layout.client.cx, layout.client.cy};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongW(box, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongW(box, GWL_EXSTYLE)));
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    SetWindowPos(box, nullptr, std::max(0, (screenWidth - width) / 2), std::max(0, (screenHeight - height) / 2), width,
                 height, SWP_NOZORDER | SWP_NOACTIVATE);
    return focus;
}

INT_PTR CALLBACK boxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<BoxState*>(GetWindowLongPtrW(box, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        state = reinterpret_cast<BoxState*>(lParam);
        SetWindowLongPtrW(box, DWLP_USER, lParam);
        try {
            state->focus = buildBox(box, *state->request);
        } catch (...) {
            // No memory for the box: it answers as if closed.
            state->answer = escapeAnswer(state->request->buttons);
            state->done = true;
        }
        return FALSE;  // the focus goes to the default button once the box shows
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (state == nullptr || item->CtlID != kTextId) {
            return FALSE;
        }
        RECT area = item->rcItem;
        FillRect(item->hDC, &area, GetSysColorBrush(COLOR_BTNFACE));
        SetBkMode(item->hDC, TRANSPARENT);
        SetTextColor(item->hDC, GetSysColor(COLOR_BTNTEXT));
        auto* old = SelectObject(item->hDC, uiFont());
        const std::wstring& text = state->request->text;
        DrawTextW(item->hDC, text.c_str(), static_cast<int>(text.size()), &area, kTextFormat);
        SelectObject(item->hDC, old);
        return TRUE;
    }
    case WM_COMMAND: {
        if (state == nullptr || HIWORD(wParam) != BN_CLICKED) {
            return FALSE;
        }
        const int id = LOWORD(wParam);
        const auto& buttons = state->request->buttons;
        // Escape and the close box arrive as IDCANCEL, whether or not there
        // is a Cancel button.
        Answer answer = escapeAnswer(buttons);
        const auto pressed = std::find_if(buttons.begin(), buttons.end(),
                                          [id](Answer a) { return answerButtonId(a) == id; });
        if (pressed != buttons.end()) {
            answer = *pressed;
        } else if (id != IDCANCEL) {
            return FALSE;
        }
        state->answer = answer;
        state->done = true;
        return TRUE;
    }
    case WM_CLOSE:
        if (state != nullptr) {
            state->answer = escapeAnswer(state->request->buttons);
            state->done = true;
        }
        return TRUE;
    default:
        return FALSE;
    }
}

// An in-memory dialog template with no controls: the box makes its own once
// it knows its text's size.
std::vector<WORD> boxTemplate(const std::wstring& caption) {
    DLGTEMPLATE head{};
    head.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    head.dwExtendedStyle = WS_EX_DLGMODALFRAME;
    std::vector<WORD> words(sizeof head / sizeof(WORD) + 2 + caption.size() + 1, 0);
    std::memcpy(words.data(), &head, sizeof head);
    // menu and class: none; then the caption with its zero.
    std::memcpy(words.data() + sizeof head / sizeof(WORD) + 2, caption.c_str(),
                (caption.size() + 1) * sizeof(wchar_t));
    return words;
}

Answer runBox(const BoxRequest& request, TMyHLPObject* help) {
    BoxState state;
    state.request = &request;
    state.answer = escapeAnswer(request.buttons);

    // Modal over every window of ours; it stays above the one in front.
    std::optional<ModalScope> modal(std::in_place);
    const std::vector<HWND>& disabled = modal->disabled();
    // Owned by the window of ours the user works in, so that it stays in
    // front of it; otherwise (say, from the tray menu) it stands alone, with
    // a task-bar button of its own.
    HWND owner = GetActiveWindow();
    if (std::find(disabled.begin(), disabled.end(), owner) == disabled.end()) {
        owner = nullptr;
    }
    const std::vector<WORD> form = boxTemplate(request.caption);
    HWND box = CreateDialogIndirectParamW(instance(), reinterpret_cast<const DLGTEMPLATE*>(form.data()), owner,
                                          boxProc, reinterpret_cast<LPARAM>(&state));
    if (box == nullptr) {
        return state.answer;
    }
    MessageBeep(request.sound);
    ShowWindow(box, SW_SHOW);
    SetForegroundWindow(box);
    if (state.focus != nullptr) {
        SendMessageW(box, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(state.focus), TRUE);
    }

    MSG message{};
    bool quit = false;
    while (!state.done && IsWindow(box) != 0) {
        if (GetMessageW(&message, nullptr, 0, 0) <= 0) {
            quit = true;
            break;
        }
        const bool inBox = message.hwnd == box || IsChild(box, message.hwnd) != 0;
        if (inBox && message.message == WM_KEYDOWN && message.wParam == VK_F1) {
            if (help != nullptr && request.helpContext != 0) {
                guarded([&] { help->HelpContext(request.helpContext); });
            }
            continue;
        }
        if (IsDialogMessageW(box, &message) == 0) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    // The windows come back before the box goes, so that Windows gives the
    // activation back to the one that had it.
    modal.reset();
    DestroyWindow(box);
    if (quit) {
        // The loop below ours ends too.
        PostQuitMessage(static_cast<int>(message.wParam));
    }
    return state.answer;
}

LPCWSTR questionIcon(QuestionKind kind) {
    switch (kind) {
    case QuestionKind::Warning:
        return IDI_WARNING;
    case QuestionKind::Error:
        return IDI_ERROR;
    case QuestionKind::Information:
        return IDI_INFORMATION;
    case QuestionKind::Confirm:
        return IDI_QUESTION;
    }
    return nullptr;
}

UINT questionSound(QuestionKind kind) {
    switch (kind) {
    case QuestionKind::Warning:
        return MB_ICONWARNING;
    case QuestionKind::Error:
        return MB_ICONERROR;
    case QuestionKind::Information:
        return MB_ICONINFORMATION;
    case QuestionKind::Confirm:
        return MB_ICONQUESTION;
    }
    return MB_OK;
}

}  // namespace

BoxLayout layoutBox(SIZE text, SIZE icon, int buttonCount, int minClientWidth, const BoxMetrics& m) {
    BoxLayout out;
    const bool hasIcon = icon.cx > 0 && icon.cy > 0;
    const int textLeft = m.margin + (hasIcon ? icon.cx + m.iconGap : 0);
    const int row = std::max(text.cy, hasIcon ? icon.cy : 0);
    if (hasIcon) {
        const int top = m.margin + (row - icon.cy) / 2;
        out.icon = {m.margin, top, m.margin + icon.cx, top + icon.cy};
    }
    const int textTop = m.margin + (row - text.cy) / 2;
    out.text = {textLeft, textTop, textLeft + text.cx, textTop + text.cy};

    const int count = std::max(buttonCount, 0);
    const int buttonsWidth = count * m.button.cx + std::max(count - 1, 0) * m.buttonGap;
    out.client.cx = std::max<LONG>({textLeft + text.cx + m.margin, buttonsWidth + 2 * m.margin, minClientWidth});
    const int buttonsTop = m.margin + row + m.textToButtons;
    out.client.cy = buttonsTop + m.button.cy + m.margin;
    int left = (out.client.cx - buttonsWidth) / 2;
    for (int i = 0; i < count; ++i) {
        out.buttons.push_back({left, buttonsTop, left + m.button.cx, buttonsTop + m.button.cy});
        left += m.button.cx + m.buttonGap;
    }
    return out;
}

int answerButtonId(Answer answer) {
    switch (answer) {
    case Answer::Yes:
        return IDYES;
    case Answer::No:
        return IDNO;
    case Answer::Cancel:
        return IDCANCEL;
    case Answer::Ok:
        return IDOK;
    }
    return IDOK;
}

void Win32MessageBoxes::plain(const std::string& text) {
    BoxRequest request;
    request.caption = wtext(kApplicationTitle);
    request.text = wtext(text);
    request.buttons = {Answer::Ok};
    runBox(request, help_);
}

Answer Win32MessageBoxes::question(QuestionKind kind, const std::string& text, const std::vector<Answer>& buttons,
                                   int helpContext) {
    BoxRequest request;
    request.caption = wtext(questionBoxCaption(kind));
    request.text = wtext(text);
    request.icon = questionIcon(kind);
    request.sound = questionSound(kind);
    request.buttons = buttons.empty() ? std::vector<Answer>{Answer::Ok} : buttons;
    request.helpContext = helpContext;
    return runBox(request, help_);
}

void Win32MessageBoxes::error(const std::string& text) {
    BoxRequest request;
    request.caption = wtext(kApplicationTitle);
    request.text = wtext(text);
    request.icon = IDI_ERROR;
    request.sound = MB_ICONERROR;
    request.buttons = {Answer::Ok};
    runBox(request, help_);
}

void Win32MessageBoxes::fatal(const std::string& text) {
    BoxRequest request;
    request.caption = wtext(kFatalBoxCaption);
    request.text = wtext(text);
    request.icon = IDI_ERROR;
    request.sound = MB_ICONERROR;
    request.buttons = {Answer::Ok};
    runBox(request, help_);
}

}  // namespace mnemora::win32
