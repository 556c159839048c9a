#include "help/help_placement.h"

#include <algorithm>
#include <array>

namespace mnemora {

namespace {

int clampInto(int position, int size, int low, int high) {
    return std::max(low, std::min(position, high - size));
}

}  // namespace

long long overlapArea(const HelpRect& a, const HelpRect& b) {
    const long long w = std::min(a.right(), b.right()) - std::max(a.x, b.x);
    const long long h = std::min(a.bottom(), b.bottom()) - std::max(a.y, b.y);
    return (w > 0 && h > 0) ? w * h : 0;
}

HelpRect placeHelpWindow(const HelpRect& asker, const HelpRect& window, const HelpRect& screen, int gap,
                         int minWidth, int minHeight) {
    const int width = std::clamp(window.width, 1, std::max(1, screen.width));
    const int height = std::clamp(window.height, 1, std::max(1, screen.height));
    if (asker.empty() || overlapArea(asker, screen) == 0) {
        return {screen.x + (screen.width - width) / 2, screen.y + (screen.height - height) / 2, width, height};
    }

    enum Side { Right, Left, Below, Above };
    // The free room on each side of the asker, across the direction of the side.
    const std::array<int, 4> room = {screen.right() - (asker.right() + gap), asker.x - gap - screen.x,
                                     screen.bottom() - (asker.bottom() + gap), asker.y - gap - screen.y};
    // The window on a side, `extent` across it (its width or its height).
    auto placeOn = [&](Side side, int extent) -> HelpRect {
        switch (side) {
            case Right:
                return {asker.right() + gap, clampInto(asker.y, height, screen.y, screen.bottom()), extent, height};
            case Left:
                return {asker.x - gap - extent, clampInto(asker.y, height, screen.y, screen.bottom()), extent, height};
            case Below:
                return {clampInto(asker.x, width, screen.x, screen.right()), asker.bottom() + gap, width, extent};
            case Above:
                return {clampInto(asker.x, width, screen.x, screen.right()), asker.y - gap - extent, width, extent};
        }
        return {};
    };
    auto across = [&](Side side) { return side == Right || side == Left ? width : height; };
    constexpr std::array<Side, 4> kOrder = {Right, Left, Below, Above};

    for (Side side : kOrder) {
        if (room[side] >= across(side)) {
            return placeOn(side, across(side));
        }
    }
    // Narrowed (or shortened) to the room on a side, if that leaves enough
    // of a window; at worst a smaller one than is comfortable.
    for (const double scale : {1.0, 0.75}) {
        for (Side side : kOrder) {
            const bool beside = side == Right || side == Left;
            const int least = static_cast<int>((beside ? minWidth : minHeight) * scale);
            if (room[side] >= least) {
                return placeOn(side, std::min(room[side], across(side)));
            }
        }
    }
    // No side has room: cover as little of the asker as can be.
    HelpRect best;
    long long bestCover = -1;
    for (Side side : kOrder) {
        HelpRect r = placeOn(side, across(side));
        r.x = clampInto(r.x, r.width, screen.x, screen.right());
        r.y = clampInto(r.y, r.height, screen.y, screen.bottom());
        const long long cover = overlapArea(r, asker);
        if (bestCover < 0 || cover < bestCover) {
            best = r;
            bestCover = cover;
        }
    }
    return best;
}

}  // namespace mnemora
