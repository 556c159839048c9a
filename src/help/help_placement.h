#pragma once

namespace mnemora {

// A rectangle in screen pixels: x and y of the top-left corner, then the size.
struct HelpRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    [[nodiscard]] bool empty() const { return width <= 0 || height <= 0; }
    // One past the last column and row; wide, as any int position and size may come in.
    [[nodiscard]] long long right() const { return static_cast<long long>(x) + width; }
    [[nodiscard]] long long bottom() const { return static_cast<long long>(y) + height; }
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
// to it. Where no side has that much room, a narrower window would not read:
// it goes at full size over the asker, where it covers the least of it.
// Without an asker it is centred. The result always lies on the screen's
// available area `screen` (the window shrunk to it when larger), for any
// values at all.
HelpRect placeHelpWindow(const HelpRect& asker, const HelpRect& window, const HelpRect& screen,
                         int gap = 12, int minWidth = 640, int minHeight = 280);

}  // namespace mnemora
