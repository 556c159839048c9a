#include "shell/status_notifier.h"

#include <algorithm>
#include <cmath>
#include <limits>

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

LogicalPoint hostPointOnScreens(std::int64_t x, std::int64_t y, const std::vector<ScreenArea>& screens) {
    // Doubles hold every 64-bit point closely enough here, and cannot overflow.
    LogicalPoint best;
    double bestDistance = std::numeric_limits<double>::infinity();
    for (const ScreenArea& s : screens) {
        if (s.width <= 0 || s.height <= 0) {
            continue;
        }
        const double ratio = s.pixelRatio > 0 ? s.pixelRatio : 1.0;
        const double lx = static_cast<double>(x) / ratio;
        const double ly = static_cast<double>(y) / ratio;
        const double left = s.x;
        const double top = s.y;
        const double right = left + (s.width - 1);
        const double bottom = top + (s.height - 1);
        const double cx = std::clamp(lx, left, right);
        const double cy = std::clamp(ly, top, bottom);
        const double distance = std::hypot(lx - cx, ly - cy);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = {static_cast<int>(std::floor(cx)), static_cast<int>(std::floor(cy))};
        }
    }
    return best;
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
