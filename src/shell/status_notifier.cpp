#include "shell/status_notifier.h"

#include "shell/tray_controller.h"

namespace mnemora {

std::vector<std::uint32_t> ActivationClicks::activate(std::int64_t nowMs, int doubleClickMs) {
    if (firstAt_ && nowMs >= *firstAt_ && nowMs - *firstAt_ <= doubleClickMs) {
        firstAt_.reset();
        return {kLeftButtonDoubleClick, kLeftButtonUp};
    }
    firstAt_ = nowMs;
    return {kLeftButtonUp};
}

std::string dbusMenuLabel(std::string_view caption) {
    std::string label;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        const char c = caption[i];
        if (c == '&') {
            if (i + 1 < caption.size() && caption[i + 1] == '&') {
                label += '&';
                ++i;
            } else if (i + 1 < caption.size()) {
                label += '_';
            }
        } else if (c == '_') {
            label += "__";
        } else {
            label += c;
        }
    }
    return label;
}

}  // namespace mnemora
