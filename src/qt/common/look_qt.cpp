#include "qt/common/look_qt.h"

namespace mnemora {

QFont windowFont(bool bold) {
    QFont font("MS Sans Serif");
    font.setPixelSize(11);
    font.setBold(bold);
    return font;
}

QFont toQFont(const TFont& font) {
    QFont f(QString::fromStdString(font.Name));
    if (const int pixels = characterPixelHeight(font); pixels > 0) {
        f.setPixelSize(pixels);
    }
    f.setBold(font.Style.bold);
    f.setItalic(font.Style.italic);
    f.setUnderline(font.Style.underline);
    f.setStrikeOut(font.Style.strikeout);
    return f;
}

QColor toQColor(TColor color, const QPalette& palette) {
    if (isSystemColor(color)) {
        switch (systemColorIndex(color)) {
        case 15: return palette.color(QPalette::Button);
        case 17: return palette.color(QPalette::Disabled, QPalette::WindowText);
        case 8: return palette.color(QPalette::WindowText);
        case 5: return palette.color(QPalette::Base);
        case 14: return palette.color(QPalette::HighlightedText);
        case 13: return palette.color(QPalette::Highlight);
        default: return palette.color(QPalette::Window);
        }
    }
    return {redOf(color), greenOf(color), blueOf(color)};
}

}  // namespace mnemora
