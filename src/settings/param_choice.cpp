#include "settings/param_choice.h"

namespace mnemora {

void TakeFontDialogResult(TFont& font, const FontDialogResult& result) {
    const bool otherFace = result.faceName != font.Name;
    if (result.pickedScript) {
        font.Charset = *result.pickedScript;
    } else if (otherFace) {
        font.Charset = result.faceCharset;
    }
    font.SetName(result.faceName);
    font.SetSize(result.pointSize);
    font.Style = TFontStyles{.bold = result.weight > 400,
                             .italic = result.italic,
                             .underline = result.underline,
                             .strikeout = result.strikeout};
    if (result.pickedColor) {
        font.Color = *result.pickedColor;
    }
}

}  // namespace mnemora
