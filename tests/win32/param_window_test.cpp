#include <gtest/gtest.h>

#include <string>

#include "win32_windows.h"
#include "recording_boxes.h"
#include "settings/memory_store.h"
#include "settings/param_presenter.h"
#include "settings_fakes.h"
#include "win32/settings/font_dialog.h"
#include "win32/settings/param_window.h"

namespace mnemora::win32 {
namespace {

TFont fontAt(int dpi, const std::string& face, int points, TFontStyles style, std::uint8_t charset) {
    TFont font;
    font.PixelsPerInch = dpi;
    font.Name = face;
    font.SetSize(points);
    font.Style = style;
    font.Charset = charset;
    font.Color = clYellow;
    return font;
}

std::wstring faceOf(const LOGFONTW& log) { return log.lfFaceName; }

TEST(FontDialogStart, CarriesTheFontAtTheScreensResolution) {
    struct Case {
        const char* what;
        TFont font;
        int dpi;
        LONG height;
        LONG weight;
        BYTE italic, underline, strikeout, charset;
    };
    const Case cases[] = {
        {"bold, same resolution", fontAt(96, "MS Sans Serif", 15, {.bold = true}, 1), 96, -20, FW_BOLD, 0, 0, 0, 1},
        {"a 96 dpi font on a 120 dpi screen keeps its points",
         fontAt(96, "Arial", 15, {.italic = true, .underline = true, .strikeout = true}, 204), 120, -25, FW_NORMAL, 1,
         1, 1, 204},
        {"a 120 dpi font", fontAt(120, "Arial", 9, {}, 0), 120, -15, FW_NORMAL, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        const LOGFONTW log = fontDialogStart(c.font, c.dpi);
        EXPECT_EQ(log.lfHeight, c.height) << c.what;
        EXPECT_EQ(log.lfWeight, c.weight) << c.what;
        EXPECT_EQ(log.lfItalic, c.italic) << c.what;
        EXPECT_EQ(log.lfUnderline, c.underline) << c.what;
        EXPECT_EQ(log.lfStrikeOut, c.strikeout) << c.what;
        EXPECT_EQ(log.lfCharSet, c.charset) << c.what;
        EXPECT_EQ(faceOf(log), wtext(c.font.Name)) << c.what;
    }
}

TEST(FontDialogStart, FaceFitsTheStructureWholeCharactersOnly) {
    TFont font;
    font.Name = std::string(40, 'a');
    EXPECT_EQ(faceOf(fontDialogStart(font, 96)), std::wstring(31, L'a'));
    // Cyrillic letters count as one character each, as in the store.
    font.Name.clear();
    for (int i = 0; i < 35; ++i) {
        font.Name += "Ж";
    }
    EXPECT_EQ(faceOf(fontDialogStart(font, 96)), std::wstring(31, L'Ж'));
    // A character outside the basic plane takes two units: it goes whole.
    font.Name = std::string(30, 'a') + "\U0001D11E";
    EXPECT_EQ(faceOf(fontDialogStart(font, 96)), std::wstring(30, L'a'));
    // A face the desktop lacks is offered as its stand-in.
    font.Name = "MS Sans Serif";
    EXPECT_EQ(faceOf(fontDialogStart(font, 96, L"Liberation Sans")), L"Liberation Sans");
    EXPECT_EQ(faceOf(fontDialogStart(font, 96, L"ms sans serif")), L"MS Sans Serif");
}

TEST(FontDialogResult, TakesWhatTheUserChoseAndKeepsWhatWasLeftAlone) {
    const TFont start = fontAt(96, "MS Sans Serif", 15, {.bold = true}, 1);
    struct Case {
        const char* what;
        const wchar_t* face;
        int pointSize10;
        LONG height;
        int dpi;
        bool scriptPicked, colorPicked;
        std::string faceName;
        int points;
    };
    const Case cases[] = {
        {"stand-in left alone", L"Liberation Sans", 150, -20, 96, false, false, "MS Sans Serif", 15},
        {"start face in other case", L"ms sans serif", 120, -16, 96, false, false, "MS Sans Serif", 12},
        {"empty face", L"", 150, -20, 96, false, false, "MS Sans Serif", 15},
        {"another face, script and colour picked", L"Arial", 105, -14, 96, true, true, "Arial", 11},
        {"no size given: from the height at 96 dpi", L"Arial", 0, -20, 96, false, false, "Arial", 15},
        {"no size given: from the height at 120 dpi", L"Arial", 0, -25, 120, false, false, "Arial", 15},
        {"no size at all keeps the start size", L"Arial", 0, 0, 96, false, false, "Arial", 15},
    };
    for (const Case& c : cases) {
        FontDialogPick pick;
        std::wstring(c.face).copy(pick.font.lfFaceName, LF_FACESIZE - 1);
        pick.font.lfHeight = c.height;
        pick.font.lfWeight = FW_SEMIBOLD;
        pick.font.lfItalic = TRUE;
        pick.font.lfCharSet = 204;
        pick.pointSize10 = c.pointSize10;
        pick.color = RGB(0x12, 0x34, 0x56);
        pick.scriptPicked = c.scriptPicked;
        pick.colorPicked = c.colorPicked;
        const FontDialogResult r = fontDialogResult(start, L"Liberation Sans", pick, c.dpi);
        EXPECT_EQ(r.faceName, c.faceName) << c.what;
        EXPECT_EQ(r.pointSize, c.points) << c.what;
        EXPECT_EQ(r.weight, FW_SEMIBOLD) << c.what;
        EXPECT_TRUE(r.italic && !r.underline && !r.strikeout) << c.what;
        EXPECT_EQ(r.faceCharset, 204) << c.what;
        EXPECT_EQ(r.pickedScript, c.scriptPicked ? std::optional<std::uint8_t>(204) : std::nullopt) << c.what;
        EXPECT_EQ(r.pickedColor, c.colorPicked ? std::optional<TColor>(0x563412) : std::nullopt) << c.what;
    }
}

// The dialog confirmed without a change hands the same font back, at either
// resolution, whatever the face the desktop stood in with.
TEST(FontDialogResult, UnchangedDialogLeavesTheFontAsItWas) {
    for (const int dpi : {96, 120}) {
        const TFont start = fontAt(dpi, "MS Sans Serif", 15, {.bold = true, .underline = true}, 1);
        FontDialogPick pick;
        pick.font = fontDialogStart(start, dpi, L"Liberation Sans");
        pick.font.lfCharSet = 0;  // the stand-in's first script, not a choice
        pick.pointSize10 = 150;
        TFont taken = start;
        TakeFontDialogResult(taken, fontDialogResult(start, L"Liberation Sans", pick, dpi));
        EXPECT_EQ(taken, start) << dpi;
    }
}

struct CaptionSearch {
    std::string caption;
    HWND within;
    HWND found;
};

BOOL CALLBACK matchCaption(HWND child, LPARAM data) {
    auto* s = reinterpret_cast<CaptionSearch*>(data);
    if (windowText(child) == s->caption && (s->within == nullptr || GetParent(child) == s->within)) {
        s->found = child;
        return FALSE;
    }
    return TRUE;
}

// A control of the window by its caption, inside `within` when given.
HWND control(HWND window, const std::string& caption, HWND within = nullptr) {
    CaptionSearch search{caption, within, nullptr};
    EnumChildWindows(window, matchCaption, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The window's own showing of values never writes the record back; what the
// user types, ticks and picks does, at once; Cancel writes nothing, OK all.
TEST(ParamWindow, UserEditsReachTheRecordAndShownValuesDoNot) {
    test::RecordingBoxes boxes;
    test::RecordingHelp helpPlatform;
    TMyHLPObject help(helpPlatform);
    test::FixedEnvironment env("C:\\cwd");
    MemoryRegistryStore store;
    TParamValues values;
    values.DataFile = "C:\\data\\Mnemora.ini";
    values.Click = -1;
    values.Start = false;
    ParamPresenter presenter(values, store, env, help);
    int closings = 0;
    presenter.onClosed = [&] { ++closings; };
    TFormParam form(presenter);
    if (form.hwnd() == nullptr) {
        GTEST_SKIP() << test::kNoWindowsHere;
    }
    presenter.FormShow();
    EXPECT_EQ(values.Click, -1);
    EXPECT_EQ(values.DataFile, "C:\\data\\Mnemora.ini");

    HWND edit = control(form.hwnd(), values.DataFile);  // Edit_DirFiles shows the path
    ASSERT_NE(edit, nullptr);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    SendMessageW(edit, WM_CHAR, L'Д', 0);
    EXPECT_EQ(values.DataFile, "Д");
    SendMessageW(control(form.hwnd(), "двойном щелчке мыши"), BM_CLICK, 0, 0);
    EXPECT_EQ(values.Click, 1);
    SendMessageW(control(form.hwnd(), "&Показывать заставку"), BM_CLICK, 0, 0);
    EXPECT_TRUE(values.Start);
    SendMessageW(control(form.hwnd(), "&По умолчанию", GetParent(edit)), BM_CLICK, 0, 0);
    EXPECT_EQ(windowText(edit), "C:\\cwd\\Mnemora.ini");
    EXPECT_EQ(values.DataFile, "C:\\cwd\\Mnemora.ini");

    SendMessageW(form.hwnd(), WM_COMMAND, IDCANCEL, 0);  // Escape
    EXPECT_FALSE(IsWindowVisible(form.hwnd()));
    EXPECT_FALSE(store.keyExists("Software\\Vantero\\Mnemora\\1.01"));
    SendMessageW(form.hwnd(), WM_COMMAND, IDOK, 0);  // Enter
    EXPECT_EQ(store.valueNames("Software\\Vantero\\Mnemora\\1.01").size(), 11U);
    EXPECT_TRUE(boxes.errors.empty());
}

}  // namespace
}  // namespace mnemora::win32
