#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "chart/chart_controller.h"
#include "common/help_hook.h"
#include "win32/chart/chart_grid.h"
#include "win32/common/ui.h"

namespace mnemora::win32 {

// "name|pattern|name|pattern" as the file dialogs take it: each part ended
// by a NUL, the list by a second one. A name without its pattern is dropped.
std::wstring dialogFilter(std::string_view filter);

// The tone-scale chart window: the 9 x 24 grid drawn by us.
class TFormEditTest : public Window, public ChartView {
  public:
    TFormEditTest(ChartController& controller, TMyHLPObject& help);
    ~TFormEditTest() override;
    TFormEditTest(const TFormEditTest&) = delete;
    TFormEditTest& operator=(const TFormEditTest&) = delete;

    // Shows the window without waiting.
    void showChart();

    // The grid's own window and the menu bar, for tests that drive them.
    [[nodiscard]] HWND gridWindow() const { return grid_->hwnd(); }
    [[nodiscard]] HMENU menuBar() const { return menu_; }

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
    void createMenu();
    void createBottomStrip();
    void keepClientSize();
    void command(int id);
    void noteChanged();
    std::optional<std::string> runFileDialog(const ChartDialog& dialog, bool save);
    static LRESULT CALLBACK noteProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    ChartController& controller_;
    TMyHLPObject& help_;
    HMENU menu_ = nullptr;
    std::unique_ptr<ChartGrid> grid_;
    HWND EditDateCreate = nullptr;
    HWND EditPrimet = nullptr;
    GdiObject boldFont_;
    WNDPROC noteDefaultProc_ = nullptr;
    // The note as last accepted, to go back to when a change is refused;
    // and whether the program itself is setting it (no change event then).
    std::wstring acceptedNote_;
    bool settingNote_ = false;
};

}  // namespace mnemora::win32
