#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "core/font.h"
#include "settings/param_choice.h"

namespace mnemora::win32 {

// The font a font dialog starts from, for a screen of `dpi` pixels per inch:
// the height is the font's own, rescaled when the font was measured at
// another resolution; the face is cut to what the structure holds. A face
// this desktop lacks is offered as the face that stands in for it (when
// given), since the dialog lists only installed faces.
LOGFONTW fontDialogStart(const TFont& font, int dpi, std::wstring_view standInFace = {});

// What a confirmed font dialog handed back, and what the user touched in it.
struct FontDialogPick {
    LOGFONTW font{};
    int pointSize10 = 0;  // tenths of a point; 0 where the dialog gave none
    COLORREF color = 0;
    bool scriptPicked = false;
    bool colorPicked = false;
};

// The confirmed choice as the settings take it. An empty face, the start
// face in other letter case, or the stand-in face left alone keeps the
// start face's name.
FontDialogResult fontDialogResult(const TFont& start, std::wstring_view standInFace, const FontDialogPick& pick,
                                  int dpi);

// The face the font mapper uses for the font on this desktop.
std::wstring standInFace(const TFont& font);

// The platform's font dialog over the owner, with effects (underline,
// strikeout, colour) and no size limits; nullopt when cancelled.
std::optional<FontDialogResult> chooseFont(HWND owner, const TFont& start);

}  // namespace mnemora::win32
