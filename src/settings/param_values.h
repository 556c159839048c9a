#pragma once

#include <string>

#include "core/color.h"
#include "core/font.h"

namespace mnemora {

// The live settings of one run. The font starts as the question text's
// built-in look, sized for the screen the program runs on.
struct TParamValues {
    explicit TParamValues(int pixelsPerInch = 96) {
        Font.PixelsPerInch = pixelsPerInch;
        Font.Name = "MS Sans Serif";
        Font.SetSize(15);
        Font.Style = TFontStyles{.bold = true};
        Font.Color = clYellow;
        Font.Charset = kDefaultCharset;
    }

    std::string DataFile;
    std::string ReportDir;
    TFont Font;
    TColor Color = clBlack;
    bool Start = true;
    int Click = 0;

    friend bool operator==(const TParamValues&, const TParamValues&) = default;
};

}  // namespace mnemora
