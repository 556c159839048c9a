#pragma once

#include <QLabel>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

#include "chart/chart_controller.h"
#include "chart/chart_look.h"
#include "common/help_hook.h"

class QAction;
class QFileDialog;
class QLineEdit;
class QMenuBar;

namespace mnemora {

// One panel of the grid: a header, a cell, a row label or a corner.
class ChartPanelLabel : public QLabel {
    Q_OBJECT
public:
    ChartPanelLabel(const ChartPanel& panel, QWidget* parent) : QLabel(parent), panel_(panel) {}
    [[nodiscard]] const ChartPanel& panel() const { return panel_; }
    bool reactsToClicks = false;

signals:
    void released(const ChartPanel& panel);

protected:
    // Any button: which one, and where, is of no interest.
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    ChartPanel panel_;
};

// The tone-scale chart window; its logic is the ChartController.
class TFormEditTest : public QWidget, public ChartView {
    Q_OBJECT
public:
    explicit TFormEditTest(TMyHLPObject& help, ChartController::Clock clock = localDateTimeText,
                           QWidget* parent = nullptr);
    // A window for a chart kept before it: it shows the chart as it is.
    TFormEditTest(ChartController& controller, TMyHLPObject& help, QWidget* parent = nullptr);
    ~TFormEditTest() override;

    ChartController& controller() { return *controller_; }
    [[nodiscard]] QAction* action(std::string_view name) const;
    [[nodiscard]] ChartPanelLabel* cellPanel(int n) const { return cells_.at(static_cast<std::size_t>(n)); }
    [[nodiscard]] ChartPanelLabel* headerPanel(int column) const { return headers_.at(static_cast<std::size_t>(column)); }
    // Shows the window, brought to the front, without waiting.
    void showChart();

    // Tests answer the file dialogs here instead of showing them.
    std::function<std::optional<std::string>(const ChartDialog&, bool save)> dialogOverride;

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
    void closeEvent(QCloseEvent* event) override;

private:
    void createMenu(QMenuBar* bar);
    void createGrid(QWidget* panel1);
    void createBottomStrip(QWidget* panel1);
    void paint(QWidget* w, TColor color);
    static void paintColor(QWidget* w, const QColor& color);
    std::optional<std::string> runDialog(QFileDialog*& dialog, const ChartDialog& wanted, bool save);
    static void offerName(QFileDialog* dialog, const QString& lastChosen);

    TMyHLPObject& help_;
    TFormEditTest(ChartController* shared, std::unique_ptr<ChartController> own, TMyHLPObject& help,
                  QWidget* parent);

    std::unique_ptr<ChartController> ownController_;
    ChartController* controller_;
    std::array<ChartPanelLabel*, TToneChart::kCellCount + 1> cells_{};
    std::array<ChartPanelLabel*, TToneChart::kColumns + 1> headers_{};
    ChartPanelLabel* Panel2 = nullptr;
    QLineEdit* EditDateCreate = nullptr;
    QLineEdit* EditPrimet = nullptr;
    QAction* ActionNew = nullptr;
    QAction* ActionOpenFile = nullptr;
    QAction* ActionSave = nullptr;
    QAction* ActionSaveAs = nullptr;
    QAction* ActionClose = nullptr;
    QFileDialog* OpenDialog1 = nullptr;
    QFileDialog* SaveDialog1 = nullptr;
};

// The inactive cells' fill on this desktop (see inactiveCellColor).
QColor inactiveCellColor(const QPalette& palette);

// "*.ton (Файлы отчетов)|*.ton|..." as the dialog's name filters.
QStringList dialogNameFilters(std::string_view filter);

}  // namespace mnemora
