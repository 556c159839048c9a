#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/color.h"

namespace mnemora {

// number * numerator / denominator in 64 bits, rounded to the nearest whole
// number (halves away from zero); -1 when the denominator is 0 or the result
// does not fit, as the platform's MulDiv does.
int MulDiv(int number, int numerator, int denominator);

struct TFontStyles {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeout = false;
    friend bool operator==(const TFontStyles&, const TFontStyles&) = default;
};

inline constexpr std::size_t kMaxFaceNameChars = 31;
inline constexpr std::uint8_t kDefaultCharset = 1;

// A font description. Size and height are one quantity: the size in points
// is derived from the height in pixels at the screen's pixels per inch.
struct TFont {
    std::string Name = "MS Sans Serif";
    int Height = -11;
    int PixelsPerInch = 96;
    std::uint8_t Charset = kDefaultCharset;
    TColor Color = clWindowText;
    TFontStyles Style;

    [[nodiscard]] int Size() const { return -MulDiv(Height, 72, PixelsPerInch); }
    void SetSize(int points) { Height = -MulDiv(points, PixelsPerInch, 72); }
    // Keeps at most 31 characters (code points) of the face name.
    void SetName(std::string_view name);

    friend bool operator==(const TFont&, const TFont&) = default;
};

// The first `count` code points of a UTF-8 text (whole characters only).
std::string firstCodePoints(std::string_view utf8, std::size_t count);

// The height of the letters in pixels, as a screen font is asked for it: a
// negative height is the character height itself; a positive one is the cell
// height, of which the leading takes a quarter; 0 leaves the choice to the
// platform (0 is returned).
int characterPixelHeight(const TFont& font);

}  // namespace mnemora
