#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/color.h"
#include "core/font.h"

namespace mnemora {

// What a confirmed font dialog hands back.
struct FontDialogResult {
    std::string faceName;
    int pointSize = 0;
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeout = false;
    // The script the chosen face is offered in.
    std::uint8_t faceCharset = kDefaultCharset;
    // Set only when the user chose a script or a colour of their own; a dialog
    // left alone must not turn the stored "default" character set into
    // whatever the face happens to report.
    std::optional<std::uint8_t> pickedScript;
    std::optional<TColor> pickedColor;
};

// What a font dialog shows when the user confirms it.
struct FontDialogEnd {
    std::string face;
    int pointSize = 0;  // none where the dialog gives no size
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeout = false;
    bool cyrillicFace = false;  // the face offers Cyrillic letters
    // A colour the user picked; the one the dialog started with is no choice.
    std::optional<TColor> pickedColor;
};

inline constexpr std::uint8_t kAnsiCharset = 0;
inline constexpr std::uint8_t kRussianCharset = 204;

// The dialog's result. A face this desktop lacks is offered as the face that
// stands in for it; left alone, it keeps the start face's name. A dialog that
// gives no size keeps the start size.
FontDialogResult fontDialogResult(const TFont& start, std::string_view standInFace, const FontDialogEnd& end);

// Takes a confirmed font choice into the font: face, size and style always;
// the character set only for another script or another face; the colour only
// when one was picked.
void TakeFontDialogResult(TFont& font, const FontDialogResult& result);

}  // namespace mnemora
