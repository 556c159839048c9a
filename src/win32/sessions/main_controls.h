#pragma once

// The main window's own kinds of child window: a panel with a raised edge,
// a label that draws "&" captions, and the bar that resizes a band.

#include <functional>
#include <optional>
#include <string>

#include "win32/common/ui.h"

namespace mnemora::win32 {

// Child ids of the main window's controls. They stay clear of IDOK and
// IDCANCEL, which the dialog keys send.
enum MainControlId : int {
    kPanelQuest = 101,
    kLabel1,
    kLabelO,
    kLabelQuest,
    kSplitter2,
    kLabelText,
    kSplitter1,
    kPanelButton,
    kButtonLast,
    kButtonNext,
    kButtonBreak,
    kButton1,
};

// A holder of controls. Its controls' notifications go to `commandTarget`,
// so that the window that owns the actions hears its buttons.
class Panel : public Window {
  public:
    Panel(HWND parent, int id, bool raised, HWND commandTarget);

  protected:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    bool raised_;
    HWND commandTarget_;
};

// Text drawn the way captions are: "&" underlines the next character and
// "&&" shows one "&". A fitted label takes the size of its text; a filling
// label wraps words and centres the text both ways in its area.
class Label : public Window {
  public:
    enum class Fit { ToText, Fill };
    Label(HWND parent, int id, int x96, int y96, Fit fit);

    void setText(std::string text);
    [[nodiscard]] const std::string& text() const { return text_; }
    // The font is not owned: the window that set it keeps it alive.
    void setFont(HFONT font);
    void setColors(COLORREF text, std::optional<COLORREF> background);
    void setCursor(HCURSOR cursor) { cursor_ = cursor; }

    // A left click (press and release over the label); a right click, at
    // its screen point.
    std::function<void()> onClick;
    std::function<void(POINT screen)> onContextMenu;

  protected:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    void fitToText();
    void paint(HDC dc);

    Fit fit_;
    std::string text_;
    std::wstring wide_;
    HFONT font_ = nullptr;
    COLORREF textColor_;
    std::optional<COLORREF> background_;
    HCURSOR cursor_ = nullptr;
    bool pressed_ = false;
};

// The bar between a band and the question area. A drag tells its owner the
// band height the pointer asks for; the owner applies the band's rule.
class Splitter : public Window {
  public:
    // `bandAbove`: the band is above the bar, so dragging down grows it.
    Splitter(HWND parent, int id, bool bandAbove);

    std::function<int()> bandHeight;
    std::function<void(int requested)> dragBandTo;

  protected:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    [[nodiscard]] int screenY(LPARAM lParam) const;

    bool bandAbove_;
    bool dragging_ = false;
    int pressY_ = 0;
    int pressHeight_ = 0;
};

}  // namespace mnemora::win32
