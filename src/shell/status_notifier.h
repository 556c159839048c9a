#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mnemora {

// A StatusNotifierItem host reports activations, not mouse buttons. These
// become the mouse messages of a left click: every activation is a release
// of the left button, and a second one within the desktop's double-click
// interval is a double click first, as the mouse itself would report it.
// After a double click the next activation starts afresh.
class ActivationClicks {
public:
    std::vector<std::uint32_t> activate(std::int64_t nowMs, int doubleClickMs);

private:
    std::optional<std::int64_t> firstAt_;
};

// A screen's area in the desktop's logical pixels, and how many physical
// pixels make one logical pixel there.
struct ScreenArea {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    double pixelRatio = 1.0;
};

// Where a host's point (physical pixels, any value a caller sends) lands in
// logical pixels: on the screen that holds it, or else pulled onto the
// nearest screen, so that a menu never opens off every screen, where it
// would hold the pointer and keyboard out of reach. Without screens: 0, 0.
struct LogicalPoint {
    int x = 0;
    int y = 0;
    bool operator==(const LogicalPoint&) const = default;
};
LogicalPoint hostPointOnScreens(std::int64_t x, std::int64_t y, const std::vector<ScreenArea>& screens);

// A menu caption as DBusMenu labels mark keys: "_" before the key, "__" for
// a plain "_"; "&&" is a plain "&".
std::string dbusMenuLabel(std::string_view caption);

}  // namespace mnemora
