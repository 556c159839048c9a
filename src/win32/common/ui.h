#pragma once

// Shared pieces of the Windows front end: text at the edge, the screen's
// scale, fonts and colours, a window base class and the message loops.
// Only files under win32/ include this (it brings in <windows.h>).

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/help_hook.h"
#include "common/message_boxes.h"
#include "core/color.h"
#include "core/font.h"

namespace mnemora::win32 {

HINSTANCE instance();

// UTF-8 to UTF-16 for a window; bytes that are not UTF-8 show as U+FFFD.
std::wstring wtext(std::string_view utf8);
std::string utext(std::wstring_view utf16);
std::string windowText(HWND window);
void setWindowText(HWND window, std::string_view utf8);

// The screen's vertical pixels per inch, and a length laid out at 96 pixels
// per inch scaled to it.
int screenDpi();
int scaled(int pixels96);

// A plain colour for a colour value; system colours as the desktop has them now.
COLORREF colorRef(TColor color);

// The font description as GDI asks for it: height, styles, character set, face.
LOGFONTW logFontFor(const TFont& font);
// A GDI font for a font description; the caller deletes it (DeleteObject).
HFONT createFont(const TFont& font);
// The windows' own font, "MS Sans Serif" 8 points, made once for the run.
HFONT uiFont();

// Owns a GDI object and deletes it.
class GdiObject {
  public:
    GdiObject() = default;
    explicit GdiObject(HGDIOBJ object) : object_(object) {}
    ~GdiObject() { reset(); }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    void reset(HGDIOBJ object = nullptr);
    [[nodiscard]] HGDIOBJ get() const { return object_; }
    [[nodiscard]] HFONT font() const { return static_cast<HFONT>(object_); }
    [[nodiscard]] HBRUSH brush() const { return static_cast<HBRUSH>(object_); }

  private:
    HGDIOBJ object_ = nullptr;
};

// A top-level or child window of ours whose messages reach handleMessage.
// The class is registered once under its name.
class Window {
  public:
    Window() = default;
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    [[nodiscard]] HWND hwnd() const { return hwnd_; }

    // Messages the owner of this window sees first (the tray's callback
    // message on the main window, say); true when it handled the message.
    std::function<bool(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)> messageHook;

  protected:
    // Creates the window hidden. Sizes are of the client area, at 96 pixels
    // per inch; they are scaled here. The window is centred on the screen.
    void create(const wchar_t* className, DWORD style, DWORD exStyle, std::string_view caption, int clientWidth96,
                int clientHeight96, HWND owner = nullptr);
    // Child windows: the same, at x, y in the parent.
    void createChild(const wchar_t* className, DWORD style, DWORD exStyle, HWND parent, int x96, int y96,
                     int width96, int height96, int id = 0);
    virtual LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT defaultProc(UINT message, WPARAM wParam, LPARAM lParam) {
        return DefWindowProcW(hwnd_, message, wParam, lParam);
    }

  private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static void registerClass(const wchar_t* className);
    HWND hwnd_ = nullptr;
};

// Moves a top-level window, frame included, to the centre of the primary
// screen (as every window of ours is placed when shown).
void centreOnScreen(HWND window);

// A standard control (L"BUTTON", L"EDIT", L"STATIC", ...) at x, y in the
// parent at 96 pixels per inch, in the windows' font.
HWND createControl(HWND parent, const wchar_t* className, std::string_view text, DWORD style, int x96, int y96,
                   int width96, int height96, int id = 0, DWORD exStyle = 0);

// Help contexts live on the windows themselves (SetWindowContextHelpId):
// F1 asks for the first non-zero one from the focused control outwards.
void setHelpContext(HWND window, int context);
// The help object every F1 goes to; set once at start-up.
void setHelpHandler(TMyHLPObject* help);
// F1 was pressed with the focus on this window: help from its chain.
void helpForFocus(HWND focus);

// Runs the program's message loop until WM_QUIT; returns its exit code.
int runMessageLoop();
// Shows the window modally: every other window of ours is disabled until
// it is hidden or destroyed; then the owner comes back to the front.
void runModal(HWND window, HWND owner);

// While one lives, a modal window or box of ours (or a system dialog) is up:
// every other visible window of ours is disabled, and the tray does nothing.
// The windows come back however the scope ends, an exception included.
class ModalScope {
  public:
    // `keep`: the modal window itself, left as it is.
    explicit ModalScope(HWND keep = nullptr);
    ~ModalScope();
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;

    [[nodiscard]] const std::vector<HWND>& disabled() const { return disabled_; }
    // True while any scope lives.
    static bool active();

  private:
    std::vector<HWND> disabled_;
};

// One message of a loop: F1 for help, keyboard navigation of dialogs.
void dispatch(MSG& message);

}  // namespace mnemora::win32
