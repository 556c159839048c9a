#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>

#include "core/color.h"
#include "core/font.h"

namespace mnemora {

// "MS Sans Serif", 8 points (11 pixels), the face every window uses; the
// desktop picks its stand-in at the same pixel height.
QFont windowFont(bool bold = false);

// A font of the settings as Qt draws it.
QFont toQFont(const TFont& font);

// A colour of the settings as the screen shows it; system colours come from
// the palette.
QColor toQColor(TColor color, const QPalette& palette);

}  // namespace mnemora
