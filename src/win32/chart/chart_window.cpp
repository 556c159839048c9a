#include "win32/chart/chart_window.h"

namespace mnemora::win32 {

// Placeholder until the window is laid out.
TFormEditTest::TFormEditTest(ChartController& controller, TMyHLPObject& help) : controller_(controller), help_(help) {
    create(L"MnemoraChart", WS_OVERLAPPEDWINDOW, 0, kChartCaption, 600, 400);
    controller_.attach(*this);
}

void TFormEditTest::showChart() { ShowWindow(hwnd(), SW_SHOWNORMAL); }
void TFormEditTest::setCaption(const std::string& caption) { setWindowText(hwnd(), caption); }
void TFormEditTest::setCornerColor(TColor /*color*/) {}
void TFormEditTest::setActionEnabled(ChartAction /*action*/, bool /*enabled*/) {}
void TFormEditTest::setNoteEnabled(bool /*enabled*/) {}
void TFormEditTest::setNoteText(const std::string& /*text*/) {}
void TFormEditTest::setDateText(const std::string& /*text*/) {}
void TFormEditTest::cellsChanged(const TToneChart& /*chart*/) {}
ChartAnswer TFormEditTest::askQuestion(std::string_view /*text*/) { return ChartAnswer::Cancel; }
void TFormEditTest::showMessage(std::string_view /*text*/) {}
std::optional<std::string> TFormEditTest::runOpenDialog(const ChartDialog& /*dialog*/) { return std::nullopt; }
std::optional<std::string> TFormEditTest::runSaveDialog(const ChartDialog& /*dialog*/) { return std::nullopt; }
void TFormEditTest::requestHelp(int context) { guarded([&] { help_.HelpContext(context); }); }
void TFormEditTest::hideWindow() { ShowWindow(hwnd(), SW_HIDE); }

LRESULT TFormEditTest::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        guarded([&] { controller_.ActionCloseExecute(); });
        return 0;
    }
    return defaultProc(message, wParam, lParam);
}

}  // namespace mnemora::win32
