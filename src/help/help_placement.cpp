#include "help/help_placement.h"

#include <algorithm>
#include <array>
#include <limits>

namespace mnemora {

namespace {

// Every sum and difference is taken in 64 bits: a window manager or a peer
// may report any int for a position or a size, and two of them added can
// leave int.
using Wide = long long;

struct Box {
    Wide x = 0;
    Wide y = 0;
    Wide width = 0;
    Wide height = 0;
    [[nodiscard]] Wide right() const { return x + width; }
    [[nodiscard]] Wide bottom() const { return y + height; }
};

Box wide(const HelpRect& r) { return {r.x, r.y, std::max<Wide>(0, r.width), std::max<Wide>(0, r.height)}; }

int saturate(Wide v) {
    return static_cast<int>(
        std::clamp<Wide>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

HelpRect narrow(const Box& b) { return {saturate(b.x), saturate(b.y), saturate(b.width), saturate(b.height)}; }

Wide clampInto(Wide position, Wide size, Wide low, Wide high) { return std::max(low, std::min(position, high - size)); }

Wide overlap(const Box& a, const Box& b) {
    const Wide w = std::min(a.right(), b.right()) - std::max(a.x, b.x);
    const Wide h = std::min(a.bottom(), b.bottom()) - std::max(a.y, b.y);
    return (w > 0 && h > 0) ? w * h : 0;  // each below 2^32: the product fits
}

}  // namespace

long long overlapArea(const HelpRect& a, const HelpRect& b) { return overlap(wide(a), wide(b)); }

HelpRect placeHelpWindow(const HelpRect& asker, const HelpRect& window, const HelpRect& screen, int gap,
                         int minWidth, int minHeight) {
    const Box s = wide(screen);
    const Box a = wide(asker);
    const Wide width = std::clamp<Wide>(window.width, 1, std::max<Wide>(1, s.width));
    const Wide height = std::clamp<Wide>(window.height, 1, std::max<Wide>(1, s.height));
    if (asker.empty() || overlap(a, s) == 0) {
        return narrow({s.x + (s.width - width) / 2, s.y + (s.height - height) / 2, width, height});
    }
    const Wide g = std::max(0, gap);

    enum Side { Right, Left, Below, Above };
    // The free room on each side of the asker, across the direction of the side.
    const std::array<Wide, 4> room = {s.right() - (a.right() + g), a.x - g - s.x, s.bottom() - (a.bottom() + g),
                                      a.y - g - s.y};
    // The window on a side, `extent` across it (its width or its height).
    auto placeOn = [&](Side side, Wide extent) -> Box {
        switch (side) {
            case Right: return {a.right() + g, clampInto(a.y, height, s.y, s.bottom()), extent, height};
            case Left: return {a.x - g - extent, clampInto(a.y, height, s.y, s.bottom()), extent, height};
            case Below: return {clampInto(a.x, width, s.x, s.right()), a.bottom() + g, width, extent};
            case Above: return {clampInto(a.x, width, s.x, s.right()), a.y - g - extent, width, extent};
        }
        return {};
    };
    auto across = [&](Side side) { return side == Right || side == Left ? width : height; };
    constexpr std::array<Side, 4> kOrder = {Right, Left, Below, Above};

    for (Side side : kOrder) {
        if (room[side] >= across(side)) {
            return narrow(placeOn(side, across(side)));
        }
    }
    // Narrowed (or shortened) to the room on a side, but never below the
    // least size at which a page still reads.
    for (Side side : kOrder) {
        const bool beside = side == Right || side == Left;
        const Wide least = std::min<Wide>(std::max(1, beside ? minWidth : minHeight), across(side));
        if (room[side] >= least) {
            return narrow(placeOn(side, room[side]));
        }
    }
    // No side has room for a readable window: it goes over the asker at its
    // full size, covering as little of it as can be.
    Box best;
    Wide bestCover = -1;
    for (Side side : kOrder) {
        Box r = placeOn(side, across(side));
        r.x = clampInto(r.x, r.width, s.x, s.right());
        r.y = clampInto(r.y, r.height, s.y, s.bottom());
        const Wide cover = overlap(r, a);
        if (bestCover < 0 || cover < bestCover) {
            best = r;
            bestCover = cover;
        }
    }
    return narrow(best);
}

}  // namespace mnemora
