#include "settings/param_choice.h"

namespace mnemora {

FontDialogResult fontDialogResult(const TFont& start, std::string_view standInFace, const FontDialogEnd& end) {
    FontDialogResult result;
    result.faceName = end.face == standInFace ? start.Name : end.face;
    result.pointSize = end.pointSize > 0 ? end.pointSize : start.Size();
    result.weight = end.weight;
    result.italic = end.italic;
    result.underline = end.underline;
    result.strikeout = end.strikeout;
    result.faceCharset = end.cyrillicFace ? kRussianCharset : kAnsiCharset;
    result.pickedColor = end.pickedColor;
    return result;
}

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
