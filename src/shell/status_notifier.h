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

// A menu caption as DBusMenu labels mark keys: "_" before the key, "__" for
// a plain "_"; "&&" is a plain "&".
std::string dbusMenuLabel(std::string_view caption);

}  // namespace mnemora
