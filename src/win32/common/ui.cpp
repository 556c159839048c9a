#include "win32/common/ui.h"

#include <stdexcept>
#include <vector>

#include "common/message_boxes.h"
#include "platform/win32/win32_text.h"

namespace mnemora::win32 {

namespace {

TMyHLPObject* helpHandler = nullptr;

}  // namespace

HINSTANCE instance() { return GetModuleHandleW(nullptr); }

std::wstring wtext(std::string_view utf8) {
    if (auto wide = widen(utf8)) {
        return std::move(*wide);
    }
    // Not UTF-8: each byte that is no part of a sequence shows as U+FFFD.
    if (utf8.empty()) {
        return {};
    }
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), length);
    return out;
}

std::string utext(std::wstring_view utf16) { return narrow(utf16); }

std::string windowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int got = GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    return utext(text);
}

void setWindowText(HWND window, std::string_view utf8) { SetWindowTextW(window, wtext(utf8).c_str()); }

int screenDpi() {
    static const int dpi = [] {
        HDC screen = GetDC(nullptr);
        const int value = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
        return value > 0 ? value : 96;
    }();
    return dpi;
}

int scaled(int pixels96) { return ::MulDiv(pixels96, screenDpi(), 96); }

COLORREF colorRef(TColor color) {
    if (isSystemColor(color)) {
        return GetSysColor(systemColorIndex(color));
    }
    return RGB(redOf(color), greenOf(color), blueOf(color));
}

LOGFONTW logFontFor(const TFont& font) {
    LOGFONTW log{};
    log.lfHeight = font.Height;
    log.lfWeight = font.Style.bold ? FW_BOLD : FW_NORMAL;
    log.lfItalic = font.Style.italic ? TRUE : FALSE;
    log.lfUnderline = font.Style.underline ? TRUE : FALSE;
    log.lfStrikeOut = font.Style.strikeout ? TRUE : FALSE;
    log.lfCharSet = font.Charset;
    log.lfOutPrecision = OUT_DEFAULT_PRECIS;
    log.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    log.lfQuality = DEFAULT_QUALITY;
    log.lfPitchAndFamily = DEFAULT_PITCH;
    const std::wstring face = wtext(font.Name);
    face.copy(log.lfFaceName, LF_FACESIZE - 1);
    return log;
}

HFONT createFont(const TFont& font) {
    const LOGFONTW log = logFontFor(font);
    return CreateFontIndirectW(&log);
}

HFONT uiFont() {
    static const HFONT font = [] {
        TFont ui;
        ui.PixelsPerInch = screenDpi();
        ui.SetSize(8);
        // Cyrillic text asks the font mapper for a face that has it.
        ui.Charset = RUSSIAN_CHARSET;
        return createFont(ui);
    }();
    return font;
}

void GdiObject::reset(HGDIOBJ object) {
    if (object_ != nullptr) {
        DeleteObject(object_);
    }
    object_ = object;
}

Window::~Window() {
    if (hwnd_ != nullptr) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

void Window::registerClass(const wchar_t* className) {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExW(instance(), className, &existing) != 0) {
        return;
    }
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = &Window::windowProc;
    wc.hInstance = instance();
    wc.hIcon = LoadIconW(instance(), L"MAINICON");
    wc.hIconSm = static_cast<HICON>(LoadImageW(instance(), L"MAINICON", IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), 0));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = className;
    RegisterClassExW(&wc);
}

void Window::create(const wchar_t* className, DWORD style, DWORD exStyle, std::string_view caption, int clientWidth96,
                    int clientHeight96, HWND owner) {
    registerClass(className);
    RECT frame{0, 0, scaled(clientWidth96), scaled(clientHeight96)};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    CreateWindowExW(exStyle, className, wtext(caption).c_str(), style, x, y, width, height, owner, nullptr,
                    instance(), this);
}

void Window::createChild(const wchar_t* className, DWORD style, DWORD exStyle, HWND parent, int x96, int y96,
                         int width96, int height96, int id) {
    registerClass(className);
    CreateWindowExW(exStyle, className, L"", style | WS_CHILD, scaled(x96), scaled(y96), scaled(width96),
                    scaled(height96), parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance(), this);
}

LRESULT Window::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return defaultProc(message, wParam, lParam);
}

LRESULT CALLBACK Window::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    // No exception may unwind through the system's code that called us: a
    // handler that missed its own guard still ends here, with the error box.
    try {
        if (self->messageHook) {
            LRESULT result = 0;
            if (self->messageHook(message, wParam, lParam, result)) {
                return result;
            }
        }
        return self->handleMessage(message, wParam, lParam);
    } catch (const std::exception& failure) {
        messageBoxes().error(errorBoxText(failure));
    } catch (...) {
        messageBoxes().error(errorBoxText(std::runtime_error("Unknown failure")));
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void centreOnScreen(HWND window) {
    RECT frame{};
    GetWindowRect(window, &frame);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    SetWindowPos(window, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND createControl(HWND parent, const wchar_t* className, std::string_view text, DWORD style, int x96, int y96,
                   int width96, int height96, int id, DWORD exStyle) {
    HWND control = CreateWindowExW(exStyle, className, wtext(text).c_str(), style | WS_CHILD | WS_VISIBLE,
                                   scaled(x96), scaled(y96), scaled(width96), scaled(height96), parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance(), nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(uiFont()), FALSE);
    return control;
}

void setHelpContext(HWND window, int context) { SetWindowContextHelpId(window, static_cast<DWORD>(context)); }

void setHelpHandler(TMyHLPObject* help) { helpHandler = help; }

void helpForFocus(HWND focus) {
    // A window that a modal one has disabled takes no F1 of its own.
    if (helpHandler == nullptr || (focus != nullptr && IsWindowEnabled(GetAncestor(focus, GA_ROOT)) == 0)) {
        return;
    }
    std::vector<int> chain;
    for (HWND w = focus; w != nullptr; w = GetAncestor(w, GA_PARENT)) {
        chain.push_back(static_cast<int>(GetWindowContextHelpId(w)));
        if ((GetWindowLongW(w, GWL_STYLE) & WS_CHILD) == 0) {
            break;
        }
    }
    if (const auto context = windowHelpContext(chain)) {
        guarded([&] { helpHandler->HelpContext(*context); });
    }
}

void dispatch(MSG& message) {
    if (message.message == WM_KEYDOWN && message.wParam == VK_F1) {
        helpForFocus(message.hwnd);
        return;
    }
    HWND top = message.hwnd != nullptr ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
    if (top != nullptr && IsDialogMessageW(top, &message) != 0) {
        return;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

int runMessageLoop() {
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        dispatch(message);
    }
    return static_cast<int>(message.wParam);
}

namespace {

BOOL CALLBACK collectEnabled(HWND window, LPARAM list) {
    if (IsWindowEnabled(window) != 0 && IsWindowVisible(window) != 0) {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    }
    return TRUE;
}

int modalDepth = 0;

}  // namespace

ModalScope::ModalScope(HWND keep) {
    EnumThreadWindows(GetCurrentThreadId(), collectEnabled, reinterpret_cast<LPARAM>(&disabled_));
    std::erase(disabled_, keep);
    for (HWND w : disabled_) {
        EnableWindow(w, FALSE);
    }
    ++modalDepth;
}

ModalScope::~ModalScope() {
    --modalDepth;
    for (HWND w : disabled_) {
        if (IsWindow(w) != 0) {
            EnableWindow(w, TRUE);
        }
    }
}

bool ModalScope::active() { return modalDepth > 0; }

void runModal(HWND window, HWND owner) {
    MSG message{};
    bool quit = false;
    {
        const ModalScope modal(window);
        ShowWindow(window, SW_SHOW);
        SetForegroundWindow(window);
        while (IsWindow(window) != 0 && IsWindowVisible(window) != 0) {
            if (GetMessageW(&message, nullptr, 0, 0) <= 0) {
                quit = true;
                break;
            }
            dispatch(message);
        }
    }
    if (owner != nullptr && IsWindowVisible(owner) != 0) {
        SetForegroundWindow(owner);
    }
    if (quit) {
        // The loop below ours ends too.
        PostQuitMessage(static_cast<int>(message.wParam));
    }
}

}  // namespace mnemora::win32
