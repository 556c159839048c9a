#include "chart/chart_controller.h"

#include <cstdio>
#include <ctime>

#include "chart/chart_file.h"
#include "core/cp1251.h"
#include "platform/files.h"
#include "platform/path_text.h"

namespace mnemora {

TColor shadeColor(TToneChart::Shade shade) {
    switch (shade) {
    case TToneChart::Shade::Inactive:
        return clGrayText;
    case TToneChart::Shade::Plain:
        return clBtnFace;
    case TToneChart::Shade::Shaded:
        return clSilver;
    }
    return clBtnFace;
}

std::string localDateTimeText() {
    const std::time_t now = std::time(nullptr);
    const std::tm local = localTime(now).value_or(std::tm{});
    char text[64];
    std::snprintf(text, sizeof text, "%02d.%02d.%04d %02d:%02d", local.tm_mday, local.tm_mon + 1,
                  local.tm_year + 1900, local.tm_hour, local.tm_min);
    return text;
}

namespace {

// Stands in for a window not made yet. Nothing reaches it but the close
// query of a chart that cannot have changed, which asks nothing.
class NoChartView : public ChartView {
public:
    void setCaption(const std::string&) override {}
    void setCornerColor(TColor) override {}
    void setActionEnabled(ChartAction, bool) override {}
    void setNoteEnabled(bool) override {}
    void setNoteText(const std::string&) override {}
    void setDateText(const std::string&) override {}
    void cellsChanged(const TToneChart&) override {}
    ChartAnswer askQuestion(std::string_view) override { return ChartAnswer::Cancel; }
    void showMessage(std::string_view) override {}
    std::optional<std::string> runOpenDialog(const ChartDialog&) override { return std::nullopt; }
    std::optional<std::string> runSaveDialog(const ChartDialog&) override { return std::nullopt; }
    void requestHelp(int) override {}
    void hideWindow() override {}
};

NoChartView g_noChartView;

}  // namespace

ChartController::ChartController(Clock clock) : view_(&g_noChartView), clock_(std::move(clock)) {
    caption_ = std::string(kChartCaption);
}

ChartController::ChartController(ChartView& view, Clock clock) : ChartController(std::move(clock)) { attach(view); }

void ChartController::attach(ChartView& view) {
    view_ = &view;
    view_->setCaption(caption_);
    view_->setCornerColor(corner_);
    view_->setActionEnabled(ChartAction::Save, saveEnabled_);
    view_->setActionEnabled(ChartAction::SaveAs, saveAsEnabled_);
    view_->setNoteEnabled(editable_);
    view_->setDateText(date_);
    view_->setNoteText(note_);
    view_->cellsChanged(chart_);
}

void ChartController::setCaption(std::string caption) {
    caption_ = std::move(caption);
    view_->setCaption(caption_);
}

void ChartController::setActionsEnabled(bool enabled) {
    saveEnabled_ = enabled;
    saveAsEnabled_ = enabled;
    view_->setActionEnabled(ChartAction::Save, enabled);
    view_->setActionEnabled(ChartAction::SaveAs, enabled);
}

void ChartController::SetModified(bool modified) {
    setActionsEnabled(modified);
    corner_ = modified ? kCornerModified : kCornerClean;
    view_->setCornerColor(corner_);
    if (modified) {
        chart_.RecalcTone();
        view_->cellsChanged(chart_);
    }
}

void ChartController::setNote(const std::string& text) {
    if (text == note_) {
        return;  // an unchanged edit control raises no change event
    }
    view_->setNoteText(text);
    EditPrimetChange(text);
}

void ChartController::ResetChart() {
    editable_ = true;
    view_->setNoteEnabled(true);
    date_ = clock_();
    view_->setDateText(date_);
    fileName_.clear();
    setNote("");  // may mark the chart modified; the next step undoes that
    SetModified(false);
    chart_.ClearInputCells();
    view_->cellsChanged(chart_);
}

void ChartController::UpdateCaption() { setCaption(std::string(kChartCaption) + "[" + fileName_ + "]"); }

bool ChartController::QuerySave() {
    if (!IsModified()) {
        return true;
    }
    switch (view_->askQuestion(kSaveQuestion)) {
    case ChartAnswer::Cancel:
        return false;
    case ChartAnswer::Yes:
        ActionSaveExecute();  // a failure escapes, so the caller does not go on
        return true;
    case ChartAnswer::No:
        return true;
    }
    return false;
}

ChartDialog ChartController::dialog(std::string_view title, std::string_view filter,
                                    const std::string& offered) const {
    return ChartDialog{title, filter, kChartDefaultExt, reportDir_, offered};
}

void ChartController::ActionNewExecute() {
    if (QuerySave()) {
        ResetChart();
    }
}

void ChartController::ActionOpenFileExecute() {
    if (!QuerySave()) {
        return;
    }
    const std::optional<std::string> path =
        view_->runOpenDialog(dialog(kOpenDialogTitle, kOpenDialogFilter, openChosen_));
    if (!path) {
        return;
    }
    openChosen_ = *path;
    // The file is read into a fresh chart first: one that cannot be opened
    // leaves the chart on screen as it was, rather than an empty one.
    TToneChart loaded = chart_;
    loaded.ClearInputCells();
    ChartTexts texts;
    bool unknownFormat = false;
    try {
        texts = ReadChartFile(pathFromUtf8(*path), loaded);
    } catch (const ChartFormatError&) {
        unknownFormat = true;
    }
    ResetChart();
    chart_ = loaded;
    if (unknownFormat) {
        view_->cellsChanged(chart_);
        view_->showMessage(kUnknownFormatMessage);
        return;
    }
    fileName_ = *path;
    UpdateCaption();
    date_ = texts.date;
    view_->setDateText(date_);
    setNote(texts.note);
    SetModified(false);
    chart_.RecalcTone();
    view_->cellsChanged(chart_);
}

void ChartController::writeToCurrentFile() {
    WriteChartFile(pathFromUtf8(fileName_), date_, note_, chart_);
    SetModified(false);
}

void ChartController::ActionSaveExecute() {
    if (!saveEnabled_) {
        return;
    }
    if (fileName_.empty()) {
        ActionSaveAsExecute();
        return;
    }
    writeToCurrentFile();
}

void ChartController::ActionSaveAsExecute() {
    if (!saveAsEnabled_) {
        return;
    }
    const std::optional<std::string> path =
        view_->runSaveDialog(dialog(kSaveDialogTitle, kSaveDialogFilter, saveChosen_));
    if (!path) {
        return;
    }
    saveChosen_ = *path;
    fileName_ = *path;
    UpdateCaption();
    writeToCurrentFile();
}

void ChartController::ActionCloseExecute() { view_->hideWindow(); }

void ChartController::EditPrimetChange(const std::string& text) {
    note_ = text;
    SetModified(true);
}

void ChartController::PanelMouseUp(const ChartPanel& panel) {
    if (panel.tag != kCellPanelTag) {
        view_->requestHelp(panel.helpContext);
        return;
    }
    if (!editable_) {
        view_->showMessage(kInactiveClickMessage);
        return;
    }
    chart_.ToggleCell(panel.cell);
    view_->cellsChanged(chart_);
    SetModified(true);
}

void ChartController::N9Click() { view_->requestHelp(kChartHelpContext); }

bool ChartController::acceptsNoteText(std::string_view utf8) {
    // A NUL would end the file's text when it is read back, losing the marks after it.
    constexpr std::string_view kLineBreaksAndNul{"\r\n\0", 3};
    return isCp1251Text(utf8) && utf8.find_first_of(kLineBreaksAndNul) == std::string_view::npos;
}

}  // namespace mnemora
