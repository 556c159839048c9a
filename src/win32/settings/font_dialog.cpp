#include "win32/settings/font_dialog.h"

#include <commdlg.h>
#include <dlgs.h>

#include <algorithm>
#include <array>
#include <cwchar>
#include <iterator>
#include <string>

#include "win32/common/ui.h"

namespace mnemora::win32 {

namespace {

// The script and colour lists' selections (their items' data) when the
// dialog opened and when OK was pressed; one dialog at a time runs on the one
// interface thread.
struct Selections {
    std::optional<LRESULT> scriptAtStart, colorAtStart, scriptAtOk, colorAtOk;
};
Selections* selections = nullptr;

std::optional<LRESULT> selectedData(HWND dialog, int list) {
    HWND combo = GetDlgItem(dialog, list);
    const LRESULT index = combo != nullptr ? SendMessageW(combo, CB_GETCURSEL, 0, 0) : CB_ERR;
    if (index == CB_ERR) {
        return std::nullopt;
    }
    return SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(index), 0);
}

// Only a script or colour the user selects counts as a choice: a dialog left
// alone reports the face's first script, which must not replace a stored
// "default" character set. The dialog fills its lists itself (and tells
// itself so), so what counts is the selection at OK against the one it
// opened with.
UINT_PTR CALLBACK watchChoices(HWND dialog, UINT message, WPARAM wParam, LPARAM /*lParam*/) {
    if (selections == nullptr) {
        return 0;
    }
    if (message == WM_INITDIALOG) {
        selections->scriptAtStart = selectedData(dialog, cmb5);
        selections->colorAtStart = selectedData(dialog, cmb4);
        return TRUE;
    }
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
        selections->scriptAtOk = selectedData(dialog, cmb5);
        selections->colorAtOk = selectedData(dialog, cmb4);
    }
    return 0;
}

bool sameFace(std::wstring_view a, std::wstring_view b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

// The face as the dialog is given it: at most 31 characters, never half of
// a character that takes two UTF-16 units.
std::wstring dialogFace(const std::string& name) {
    std::wstring face = wtext(firstCodePoints(name, kMaxFaceNameChars));
    if (face.size() > LF_FACESIZE - 1) {
        face.resize(LF_FACESIZE - 1);
        if (IS_HIGH_SURROGATE(face.back())) {
            face.pop_back();
        }
    }
    return face;
}

}  // namespace

LOGFONTW fontDialogStart(const TFont& font, int dpi, std::wstring_view standInFace) {
    LOGFONTW log = logFontFor(font);
    log.lfHeight = font.PixelsPerInch == dpi || font.PixelsPerInch <= 0
                       ? font.Height
                       : mnemora::MulDiv(font.Height, dpi, font.PixelsPerInch);
    std::wstring face = dialogFace(font.Name);
    if (!standInFace.empty() && !sameFace(standInFace, face)) {
        face = standInFace.substr(0, LF_FACESIZE - 1);
    }
    std::fill(std::begin(log.lfFaceName), std::end(log.lfFaceName), L'\0');
    face.copy(log.lfFaceName, face.size());
    return log;
}

FontDialogResult fontDialogResult(const TFont& start, std::wstring_view standInFace, const FontDialogPick& pick,
                                  int dpi) {
    const LOGFONTW& log = pick.font;
    const std::wstring_view face(log.lfFaceName, wcsnlen(log.lfFaceName, LF_FACESIZE));
    const bool leftAlone = face.empty() || sameFace(face, dialogFace(start.Name)) ||
                           (!standInFace.empty() && sameFace(face, standInFace.substr(0, LF_FACESIZE - 1)));
    FontDialogResult result;
    result.faceName = leftAlone ? start.Name : utext(face);
    if (pick.pointSize10 > 0) {
        result.pointSize = (pick.pointSize10 + 5) / 10;
    } else if (log.lfHeight < 0) {
        result.pointSize = -mnemora::MulDiv(log.lfHeight, 72, dpi);
    } else {
        result.pointSize = start.Size();
    }
    result.weight = log.lfWeight > 0 ? static_cast<int>(log.lfWeight) : FW_NORMAL;
    result.italic = log.lfItalic != 0;
    result.underline = log.lfUnderline != 0;
    result.strikeout = log.lfStrikeOut != 0;
    result.faceCharset = log.lfCharSet;
    if (pick.scriptPicked) {
        result.pickedScript = log.lfCharSet;
    }
    if (pick.colorPicked) {
        result.pickedColor = rgbColor(GetRValue(pick.color), GetGValue(pick.color), GetBValue(pick.color));
    }
    return result;
}

std::wstring standInFace(const TFont& font) {
    const GdiObject asked(createFont(font));
    HDC screen = GetDC(nullptr);
    const HGDIOBJ old = SelectObject(screen, asked.get());
    std::array<wchar_t, LF_FACESIZE> face{};
    const int length = GetTextFaceW(screen, static_cast<int>(face.size()), face.data());
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
    return length > 0 ? std::wstring(face.data()) : std::wstring();
}

std::optional<FontDialogResult> chooseFont(HWND owner, const TFont& start) {
    const int dpi = screenDpi();
    const std::wstring standIn = standInFace(start);
    FontDialogPick pick;
    pick.font = fontDialogStart(start, dpi, standIn);
    CHOOSEFONTW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpLogFont = &pick.font;
    dialog.Flags = CF_SCREENFONTS | CF_EFFECTS | CF_INITTOLOGFONTSTRUCT | CF_ENABLEHOOK;
    dialog.rgbColors = colorRef(start.Color);
    dialog.lpfnHook = &watchChoices;
    Selections seen;
    selections = &seen;
    const BOOL confirmed = ChooseFontW(&dialog);
    selections = nullptr;
    if (confirmed == FALSE) {
        return std::nullopt;
    }
    pick.pointSize10 = dialog.iPointSize;
    pick.color = dialog.rgbColors;
    pick.scriptPicked = seen.scriptAtOk && seen.scriptAtOk != seen.scriptAtStart;
    pick.colorPicked = seen.colorAtOk && seen.colorAtOk != seen.colorAtStart;
    return fontDialogResult(start, standIn, pick, dpi);
}

}  // namespace mnemora::win32
