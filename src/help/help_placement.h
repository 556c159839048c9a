#pragma once

namespace mnemora {

// A rectangle in screen pixels: x and y of the top-left corner, then the size.
struct HelpRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    [[nodiscard]] bool empty() const { return width <= 0 || height <= 0; }
    [[nodiscard]] int right() const { return x + width; }    // one past the last column
    [[nodiscard]] int bottom() const { return y + height; }  // one past the last row
    bool operator==(const HelpRect&) const = default;
};

// The area two rectangles share, in pixels (0 when they do not meet).
long long overlapArea(const HelpRect& a, const HelpRect& b);

// Where the help window goes, and at what size, so that it does not cover
// the window that asked for help (`asker`, its frame; empty when no window
// asked, e.g. from the tray menu). `window` gives the size wanted. Tried in
// turn: to the right of the asker, to its left, below, above, at full size;
// then in the same order the first side whose room leaves at least minWidth
// (beside) or minHeight (above or below), the window narrowed or shortened
// to it; then the same with three quarters of those; otherwise the
// full-size place that covers the least of the asker. Without an asker it is centred. The result
// always lies on the screen's available area `screen` (the window shrunk to
// it when larger).
HelpRect placeHelpWindow(const HelpRect& asker, const HelpRect& window, const HelpRect& screen,
                         int gap = 12, int minWidth = 420, int minHeight = 300);

}  // namespace mnemora
