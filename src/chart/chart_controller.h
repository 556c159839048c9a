#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "chart/tone_chart.h"
#include "core/color.h"

namespace mnemora {

inline constexpr std::string_view kChartCaption = "Шкала тонов. ";
inline constexpr std::string_view kSaveQuestion = "Сохранить таблицу тонов?";
inline constexpr std::string_view kUnknownFormatMessage = "Ошибка. Файл неизвестного формата.";
inline constexpr std::string_view kInactiveClickMessage = "Сначала нужно создать новый тест Файл/Создать.";

inline constexpr std::string_view kOpenDialogTitle = "Открытие файла данных таблицы тонов";
inline constexpr std::string_view kOpenDialogFilter = "*.ton (Файлы отчетов)|*.ton|*.* (Все файлы)|*.*";
inline constexpr std::string_view kSaveDialogTitle = "Сохранение таблицы тонов в файл";
inline constexpr std::string_view kSaveDialogFilter = "*.ton (Файлы таблицы тонов)|*.ton|*.* (Все файлы)|*.*";
inline constexpr std::string_view kChartDefaultExt = "ton";

inline constexpr TColor kCornerModified = clRed;
inline constexpr TColor kCornerClean = clBtnFace;

// Kind numbers (Tag) of the window's panels.
inline constexpr int kCellPanelTag = 0;
inline constexpr int kHeaderPanelTag = 1;
inline constexpr int kResultPanelTag = 5;

TColor shadeColor(TToneChart::Shade shade);

enum class ChartAnswer { Yes, No, Cancel };
enum class ChartAction { Save, SaveAs };

struct ChartDialog {
    std::string_view title;
    std::string_view filter;
    std::string_view defaultExt;
    std::string initialDir;    // empty: the platform's choice
    std::string offeredPath;   // the file last chosen in this dialog; empty at first
};

// What the controller needs of the chart window.
class ChartView {
public:
    virtual ~ChartView() = default;
    virtual void setCaption(const std::string& caption) = 0;
    virtual void setCornerColor(TColor color) = 0;
    virtual void setActionEnabled(ChartAction action, bool enabled) = 0;
    virtual void setNoteEnabled(bool enabled) = 0;
    // The window does not call back from here; the controller itself runs the
    // change handler afterwards, as the edit control's change event would.
    virtual void setNoteText(const std::string& text) = 0;
    virtual void setDateText(const std::string& text) = 0;
    virtual void cellsChanged(const TToneChart& chart) = 0;
    virtual ChartAnswer askQuestion(std::string_view text) = 0;
    virtual void showMessage(std::string_view text) = 0;
    virtual std::optional<std::string> runOpenDialog(const ChartDialog& dialog) = 0;
    virtual std::optional<std::string> runSaveDialog(const ChartDialog& dialog) = 0;
    virtual void requestHelp(int context) = 0;
    virtual void hideWindow() = 0;
};

// A clicked panel: its kind number, help context and, for a cell, its number.
struct ChartPanel {
    int tag = kCellPanelTag;
    int helpContext = 0;
    int cell = 0;

    static ChartPanel header(int column) { return {kHeaderPanelTag, columnHelpContext(column), 0}; }
    static ChartPanel inputCell(int n) { return {kCellPanelTag, 0, n}; }
};

// Local date and time now as "dd.mm.yyyy hh:mm".
std::string localDateTimeText();

// State and logic of the chart window, with the window itself behind ChartView.
// File failures propagate out of the handlers for the error box.
class ChartController {
public:
    using Clock = std::function<std::string()>;

    explicit ChartController(ChartView& view, Clock clock = localDateTimeText);
    // Without a window yet: one can be attached when it is first needed.
    explicit ChartController(Clock clock = localDateTimeText);

    // The window from now on; it is shown the whole state at once.
    void attach(ChartView& view);

    // Once, after the settings are loaded: the folder both dialogs start in.
    void setReportDir(std::string dir) { reportDir_ = std::move(dir); }

    void SetModified(bool modified);
    [[nodiscard]] bool IsModified() const { return corner_ != kCornerClean; }
    void ResetChart();
    void UpdateCaption();
    bool QuerySave();

    void ActionNewExecute();
    void ActionOpenFileExecute();
    void ActionSaveExecute();
    void ActionSaveAsExecute();
    void ActionCloseExecute();
    void EditPrimetChange(const std::string& text);
    void PanelMouseUp(const ChartPanel& panel);
    void N9Click();

    // For the note field's validator: only text a chart file can hold.
    static bool acceptsNoteText(std::string_view utf8);

    [[nodiscard]] const TToneChart& chart() const { return chart_; }
    [[nodiscard]] bool editable() const { return editable_; }
    [[nodiscard]] const std::string& fileName() const { return fileName_; }
    [[nodiscard]] const std::string& caption() const { return caption_; }
    [[nodiscard]] const std::string& dateText() const { return date_; }
    [[nodiscard]] const std::string& noteText() const { return note_; }
    [[nodiscard]] bool actionEnabled(ChartAction action) const {
        return action == ChartAction::Save ? saveEnabled_ : saveAsEnabled_;
    }

private:
    void setCaption(std::string caption);
    void setNote(const std::string& text);
    void setActionsEnabled(bool enabled);
    void writeToCurrentFile();
    [[nodiscard]] ChartDialog dialog(std::string_view title, std::string_view filter, const std::string& offered) const;

    ChartView* view_;
    Clock clock_;
    TToneChart chart_;
    bool editable_ = false;
    TColor corner_ = kCornerClean;
    bool saveEnabled_ = false;
    bool saveAsEnabled_ = false;
    std::string fileName_;
    std::string date_;
    std::string note_;
    std::string caption_;
    std::string reportDir_;
    // Each dialog offers the name last chosen in it; the program never sets one.
    std::string openChosen_;
    std::string saveChosen_;
};

}  // namespace mnemora
