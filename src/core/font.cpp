#include "core/font.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace mnemora {

int MulDiv(int number, int numerator, int denominator) {
    if (denominator == 0) {
        return -1;
    }
    std::int64_t product = static_cast<std::int64_t>(number) * numerator;
    std::int64_t d = denominator;
    if (d < 0) {
        d = -d;
        product = -product;
    }
    const std::int64_t half = d / 2;
    const std::int64_t q = product >= 0 ? (product + half) / d : -((-product + half) / d);
    if (q > std::numeric_limits<int>::max() || q < std::numeric_limits<int>::min()) {
        return -1;
    }
    return static_cast<int>(q);
}

std::string firstCodePoints(std::string_view utf8, std::size_t count) {
    std::size_t i = 0;
    std::size_t seen = 0;
    while (i < utf8.size() && seen < count) {
        ++i;
        while (i < utf8.size() && (static_cast<unsigned char>(utf8[i]) & 0xC0) == 0x80) {
            ++i;
        }
        ++seen;
    }
    return std::string(utf8.substr(0, i));
}

void TFont::SetName(std::string_view name) { Name = firstCodePoints(name, kMaxFaceNameChars); }

int characterPixelHeight(const TFont& font) {
    if (font.Height < 0) {
        return -font.Height;
    }
    return font.Height > 0 ? std::max(1, font.Height * 3 / 4) : 0;
}

}  // namespace mnemora
