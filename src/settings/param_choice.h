#pragma once

#include <cstdint>
#include <optional>
#include <string>

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

// Takes a confirmed font choice into the font: face, size and style always;
// the character set only for another script or another face; the colour only
// when one was picked.
void TakeFontDialogResult(TFont& font, const FontDialogResult& result);

}  // namespace mnemora
