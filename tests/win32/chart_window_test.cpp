#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "win32_windows.h"
#include "win32/chart/chart_window.h"

namespace mnemora::win32 {
namespace {

TEST(ChartDialogFilter, PairsBecomeNulSeparatedWithADoubleNulAtTheEnd) {
    const struct {
        std::string_view filter;
        std::wstring expected;
    } cases[] = {
        {"a|b|c|d", std::wstring(L"a\0b\0c\0d\0\0", 9)},
        {"*.ton (Файлы отчетов)|*.ton", std::wstring(L"*.ton (Файлы отчетов)\0*.ton\0\0", 29)},
        // A name left without its pattern would pair with nothing.
        {"a|b|c", std::wstring(L"a\0b\0\0", 5)},
        {"", std::wstring(L"\0", 1)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(dialogFilter(c.filter), c.expected) << c.filter;
    }
}

TEST(ChartGridHitTest, FindsThePanelUnderAPointAtEachScale) {
    const struct {
        int dpi;
        POINT point;
        const char* panel;  // nullptr: outside every panel
    } cases[] = {
        {96, {0, 0}, "Panel2"},
        {96, {30, 5}, "Panel3"},
        {96, {30, 30}, "P1"},
        {96, {112, 44}, "p4"},     // upper half of column 4
        {96, {112, 45}, "p5"},     // lower half
        {96, {624, 384}, "p234"},  // last result cell
        {96, {630, 30}, "Panel53"},
        {96, {650, 30}, nullptr},
        {96, {10, 385}, nullptr},
        {144, {37, 40}, "Panel28"},
        {144, {38, 40}, "P1"},
        {144, {168, 67}, "p4"},  // 45 x 1.5 = 67.5: the lower half starts at 68
        {144, {168, 68}, "p5"},
        {144, {937, 60}, "p26"},
        {144, {938, 60}, "Panel53"},
        {144, {975, 60}, nullptr},
    };
    const auto& layout = chartGridLayout();
    for (const auto& c : cases) {
        const auto found = gridPanelAt(c.point, c.dpi);
        const std::string where = std::to_string(c.dpi) + " dpi (" + std::to_string(c.point.x) +
                                  ", " + std::to_string(c.point.y) + ")";
        if (c.panel == nullptr) {
            EXPECT_FALSE(found) << where;
        } else {
            ASSERT_TRUE(found) << where;
            EXPECT_EQ(layout[*found].name, c.panel) << where;
        }
    }
}

class RecordingHelp : public HelpPlatform {
  public:
    [[nodiscard]] bool shiftDown() const override { return false; }
    void plainMessage(const std::string& /*text*/) override {}
    void htmlHelp(std::string_view /*file*/, std::uint32_t /*command*/,
                  std::int32_t data) override {
        contexts.push_back(data);
    }
    std::vector<int> contexts;
};

class RecordingBoxes : public MessageBoxes {
  public:
    void plain(const std::string& text) override { plains.push_back(text); }
    Answer question(QuestionKind /*kind*/, const std::string& /*text*/,
                    const std::vector<Answer>& /*buttons*/, int /*helpContext*/) override {
        return Answer::Cancel;
    }
    void error(const std::string& text) override { errors.push_back(text); }
    void fatal(const std::string& /*text*/) override {}
    std::vector<std::string> plains;
    std::vector<std::string> errors;
};

LPARAM centreOf(std::string_view name) {
    for (const ChartPanelLayout& panel : chartGridLayout()) {
        if (panel.name == name) {
            const RECT r = gridPanelRect(panel, screenDpi());
            return MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        }
    }
    ADD_FAILURE() << name;
    return 0;
}

void press(HWND grid, UINT down, std::string_view at) {
    SendMessageW(grid, down, 0, centreOf(at));
}
void release(HWND grid, UINT up, std::string_view at) {
    SendMessageW(grid, up, 0, centreOf(at));
}
void click(HWND grid, std::string_view at) {
    press(grid, WM_LBUTTONDOWN, at);
    release(grid, WM_LBUTTONUP, at);
}

bool saveEnabled(HMENU bar) {
    // "&Сохранить" is the third item of "&Файл".
    return (GetMenuState(GetSubMenu(bar, 0), 2, MF_BYPOSITION) & MF_GRAYED) == 0;
}

std::wstring noteFieldText(HWND note) {
    wchar_t text[64] = {};
    GetWindowTextW(note, text, 64);
    return text;
}

TEST(ChartWindow, ButtonReleasesOverTheGridReachTheChart) {
    RecordingHelp platform;
    TMyHLPObject help(platform);
    ChartController controller([] { return std::string("01.02.2026 03:04"); });
    TFormEditTest window(controller, help);
    if (window.hwnd() == nullptr) {
        GTEST_SKIP() << test::kNoWindowsHere;
    }
    RecordingBoxes boxes;
    setMessageBoxes(&boxes);
    HWND grid = window.gridWindow();

    // Before New: a cell only explains, a header asks for its topic with any button.
    click(grid, "p31");
    press(grid, WM_RBUTTONDOWN, "Panel26");
    release(grid, WM_RBUTTONUP, "Panel26");
    EXPECT_EQ(boxes.plains, std::vector<std::string>{std::string(kInactiveClickMessage)});
    EXPECT_EQ(platform.contexts, std::vector<int>{columnHelpContext(24)});
    EXPECT_FALSE(controller.chart().marked(31));

    controller.ActionNewExecute();
    EXPECT_FALSE(saveEnabled(window.menuBar()));
    click(grid, "p31");
    EXPECT_TRUE(controller.chart().marked(31));
    EXPECT_TRUE(controller.IsModified());
    EXPECT_TRUE(saveEnabled(window.menuBar()));
    // The result row follows at once.
    EXPECT_TRUE(controller.chart().marked(TToneChart::cellNumber(1, 21)));

    // A release counts only over the panel pressed, and only after a press;
    // row labels and result cells take no click.
    press(grid, WM_LBUTTONDOWN, "p32");
    release(grid, WM_LBUTTONUP, "p33");
    release(grid, WM_LBUTTONUP, "p34");
    click(grid, "Panel54");
    click(grid, "p47");
    EXPECT_FALSE(controller.chart().marked(32));
    EXPECT_FALSE(controller.chart().marked(33));
    EXPECT_FALSE(controller.chart().marked(34));
    EXPECT_TRUE(controller.chart().marked(47));
    EXPECT_EQ(boxes.plains.size(), 1U);
    EXPECT_EQ(platform.contexts.size(), 1U);

    // The note takes only what a chart file can hold; a refused change goes back.
    HWND note = FindWindowExW(
        window.hwnd(), FindWindowExW(window.hwnd(), nullptr, L"EDIT", nullptr), L"EDIT", nullptr);
    ASSERT_NE(note, nullptr);
    SetWindowTextW(note, L"тест");
    EXPECT_EQ(controller.noteText(), "тест");
    SetWindowTextW(note, L"тест \u6F22");
    EXPECT_EQ(noteFieldText(note), L"тест");
    EXPECT_EQ(controller.noteText(), "тест");
    EXPECT_TRUE(boxes.errors.empty());
    setMessageBoxes(nullptr);
}

}  // namespace
}  // namespace mnemora::win32
