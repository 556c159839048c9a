#pragma once

#include "chart/chart_controller.h"
#include "common/help_hook.h"
#include "win32/common/ui.h"

namespace mnemora::win32 {

// The tone-scale chart window: the 9 x 24 grid drawn by us.
class TFormEditTest : public Window, public ChartView {
  public:
    TFormEditTest(ChartController& controller, TMyHLPObject& help);
    // Shows the window without waiting.
    void showChart();

    // ChartView
    void setCaption(const std::string& caption) override;
    void setCornerColor(TColor color) override;
    void setActionEnabled(ChartAction action, bool enabled) override;
    void setNoteEnabled(bool enabled) override;
    void setNoteText(const std::string& text) override;
    void setDateText(const std::string& text) override;
    void cellsChanged(const TToneChart& chart) override;
    ChartAnswer askQuestion(std::string_view text) override;
    void showMessage(std::string_view text) override;
    std::optional<std::string> runOpenDialog(const ChartDialog& dialog) override;
    std::optional<std::string> runSaveDialog(const ChartDialog& dialog) override;
    void requestHelp(int context) override;
    void hideWindow() override;

  protected:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    ChartController& controller_;
    TMyHLPObject& help_;
};

}  // namespace mnemora::win32
