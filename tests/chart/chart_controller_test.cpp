#include "chart/chart_controller.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <deque>
#include <string>
#include <vector>

#include "chart/chart_file.h"
#include "core/error.h"
#include "temp_dir.h"

namespace mnemora {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using test::readBytes;
using test::TempDir;
using test::writeBytes;

constexpr const char* kNow = "07.12.2026 09:05";

// A chart window that keeps what it was told and answers from a script.
class FakeChartView : public ChartView {
public:
    void setCaption(const std::string& c) override { caption = c; }
    void setCornerColor(TColor c) override { corner = c; }
    void setActionEnabled(ChartAction a, bool on) override { (a == ChartAction::Save ? saveOn : saveAsOn) = on; }
    void setNoteEnabled(bool on) override { noteOn = on; }
    void setNoteText(const std::string& t) override { note = t; }
    void setDateText(const std::string& t) override { date = t; }
    void cellsChanged(const TToneChart& c) override { shown = c; }
    ChartAnswer askQuestion(std::string_view text) override {
        questions.emplace_back(text);
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected question: " << text;
            return ChartAnswer::Cancel;
        }
        const ChartAnswer a = answers.front();
        answers.pop_front();
        return a;
    }
    void showMessage(std::string_view text) override { messages.emplace_back(text); }
    std::optional<std::string> runOpenDialog(const ChartDialog& d) override { return run(d, openDialogs, openPicks); }
    std::optional<std::string> runSaveDialog(const ChartDialog& d) override { return run(d, saveDialogs, savePicks); }
    void requestHelp(int context) override { help.push_back(context); }
    void hideWindow() override { ++hides; }

    std::string caption;
    TColor corner = 0;
    bool saveOn = true;
    bool saveAsOn = true;
    bool noteOn = true;
    std::string note;
    std::string date;
    TToneChart shown;

    std::deque<ChartAnswer> answers;
    std::deque<std::optional<std::string>> openPicks;  // nullopt: the user cancels
    std::deque<std::optional<std::string>> savePicks;
    std::vector<std::string> questions;
    std::vector<std::string> messages;
    std::vector<ChartDialog> openDialogs;
    std::vector<ChartDialog> saveDialogs;
    std::vector<int> help;
    int hides = 0;

private:
    static std::optional<std::string> run(const ChartDialog& d, std::vector<ChartDialog>& log,
                                          std::deque<std::optional<std::string>>& picks) {
        log.push_back(d);
        if (picks.empty()) {
            ADD_FAILURE() << "unexpected dialog: " << d.title;
            return std::nullopt;
        }
        auto pick = picks.front();
        picks.pop_front();
        return pick;
    }
};

class ChartControllerTest : public ::testing::Test {
protected:
    void click(int cell) { ctl.PanelMouseUp(ChartPanel::inputCell(cell)); }
    void typeNote(const std::string& text) {
        view.note = text;
        ctl.EditPrimetChange(text);
    }
    std::string chartFile(std::string_view name, std::string_view bytes) {
        const auto p = dir / name;
        writeBytes(p, bytes);
        return p.string();
    }
    // Opens a file through the dialog on a chart that has nothing to save.
    void openFile(const std::string& path) {
        view.openPicks.push_back(path);
        ctl.ActionOpenFileExecute();
    }
    void expectClean() const {
        EXPECT_FALSE(ctl.IsModified());
        EXPECT_EQ(view.corner, clBtnFace);
        EXPECT_FALSE(view.saveOn);
        EXPECT_FALSE(view.saveAsOn);
        EXPECT_FALSE(ctl.actionEnabled(ChartAction::Save));
        EXPECT_FALSE(ctl.actionEnabled(ChartAction::SaveAs));
    }
    void expectModified() const {
        EXPECT_TRUE(ctl.IsModified());
        EXPECT_EQ(view.corner, clRed);
        EXPECT_TRUE(view.saveOn);
        EXPECT_TRUE(view.saveAsOn);
    }
    // A new chart with cell 53 marked, not yet saved anywhere.
    void modifiedNewChart() {
        ctl.ActionNewExecute();
        click(53);
    }

    TempDir dir;
    FakeChartView view;
    ChartController ctl{view, [] { return std::string(kNow); }};
};

// --- Before the first New or Open ----------------------------------------------

TEST_F(ChartControllerTest, StartsInactiveCleanWithTheBareCaption) {
    EXPECT_EQ(view.caption, "Шкала тонов. ");
    EXPECT_FALSE(ctl.editable());
    EXPECT_FALSE(view.noteOn);
    expectClean();
    EXPECT_EQ(view.shown.shade(1), TToneChart::Shade::Inactive);
    EXPECT_EQ(shadeColor(view.shown.shade(1)), clGrayText);
    EXPECT_EQ(shadeColor(view.shown.shade(21)), clSilver);
}

TEST_F(ChartControllerTest, CellClickOnInactiveChartOnlyExplains) {
    click(1);
    EXPECT_THAT(view.messages, ElementsAre("Сначала нужно создать новый тест Файл/Создать."));
    EXPECT_EQ(ctl.chart().markCount(), 0);
    EXPECT_THAT(view.help, IsEmpty());
    expectClean();
}

TEST_F(ChartControllerTest, HeaderClickRequestsColumnHelpInEveryMode) {
    ctl.PanelMouseUp(ChartPanel::header(24));
    ctl.PanelMouseUp(ChartPanel::header(1));
    ctl.ActionNewExecute();
    ctl.PanelMouseUp(ChartPanel::header(4));
    click(5);
    ctl.N9Click();
    EXPECT_THAT(view.help, ElementsAre(5240, 5010, 5040, 5000)) << "a cell click asks for no help";
    EXPECT_THAT(view.messages, IsEmpty());
    EXPECT_TRUE(ctl.chart().marked(5)) << "a header click is not a cell click";
}

// --- New and editing -----------------------------------------------------------

TEST_F(ChartControllerTest, NewGivesAnEditableCleanChartDatedNow) {
    ctl.ActionNewExecute();
    EXPECT_TRUE(ctl.editable());
    EXPECT_TRUE(view.noteOn);
    EXPECT_EQ(view.date, kNow);
    EXPECT_EQ(ctl.dateText(), kNow);
    EXPECT_EQ(view.caption, "Шкала тонов. ");
    EXPECT_THAT(view.questions, IsEmpty());
    expectClean();
    EXPECT_EQ(shadeColor(view.shown.shade(1)), clBtnFace);
    ctl.ActionSaveExecute();
    ctl.ActionSaveAsExecute();
    EXPECT_THAT(view.saveDialogs, IsEmpty()) << "a new chart has nothing to save";
}

TEST_F(ChartControllerTest, CellClickMarksShadesAndRecomputesTheResult) {
    ctl.ActionNewExecute();
    click(53);
    expectModified();
    EXPECT_TRUE(view.shown.marked(53));
    EXPECT_EQ(shadeColor(view.shown.shade(1)), clSilver);
    for (int n = 73; n <= 78; ++n) {
        EXPECT_TRUE(view.shown.marked(n)) << n;
    }
    click(53);  // any button's release toggles, so a second one unmarks
    EXPECT_EQ(view.shown.markCount(), 0);
    expectModified();
}

TEST_F(ChartControllerTest, TypingInTheNoteMarksModifiedEvenWhenDeletedAgain) {
    ctl.ActionNewExecute();
    typeNote("a");
    expectModified();
    typeNote("");
    expectModified();
}

TEST_F(ChartControllerTest, NewOnModifiedChartAsksAndNoStartsAfresh) {
    modifiedNewChart();
    typeNote("старая заметка");
    view.answers = {ChartAnswer::No};
    ctl.ActionNewExecute();
    EXPECT_THAT(view.questions, ElementsAre("Сохранить таблицу тонов?"));
    EXPECT_EQ(view.shown.markCount(), 0);
    EXPECT_EQ(view.note, "");
    EXPECT_EQ(ctl.noteText(), "");
    expectClean();
    EXPECT_THAT(view.saveDialogs, IsEmpty());
}

TEST(ChartClock, NewChartIsDatedDayMonthYearHourMinute) {
    FakeChartView view;
    ChartController ctl(view);
    ctl.ActionNewExecute();
    const std::string& d = view.date;
    ASSERT_EQ(d.size(), 16u) << d;
    for (std::size_t i : {0, 1, 3, 4, 6, 7, 8, 9, 11, 12, 14, 15}) {
        EXPECT_TRUE(d[i] >= '0' && d[i] <= '9') << d;
    }
    EXPECT_EQ(d.substr(2, 1) + d.substr(5, 1) + d.substr(10, 1) + d.substr(13, 1), ".. :") << d;
    const int month = std::stoi(d.substr(3, 2));
    const int hour = std::stoi(d.substr(11, 2));
    EXPECT_TRUE(month >= 1 && month <= 12) << d;
    EXPECT_LE(hour, 23) << d;
}

// --- QuerySave -----------------------------------------------------------------

TEST_F(ChartControllerTest, QuerySaveOnCleanChartAsksNothing) {
    EXPECT_TRUE(ctl.QuerySave());
    ctl.ActionNewExecute();
    EXPECT_TRUE(ctl.QuerySave());
    EXPECT_THAT(view.questions, IsEmpty());
}

TEST_F(ChartControllerTest, CancelStopsNewOpenAndTheApplicationClose) {
    modifiedNewChart();
    view.answers = {ChartAnswer::Cancel, ChartAnswer::Cancel, ChartAnswer::Cancel};
    EXPECT_FALSE(ctl.QuerySave());
    ctl.ActionNewExecute();
    ctl.ActionOpenFileExecute();
    EXPECT_EQ(view.questions.size(), 3u);
    EXPECT_THAT(view.openDialogs, IsEmpty());
    EXPECT_TRUE(view.shown.marked(53));
    expectModified();
}

TEST_F(ChartControllerTest, YesWithCancelledSaveAsLetsTheCallerGoOn) {
    modifiedNewChart();
    view.answers = {ChartAnswer::Yes};
    view.savePicks = {std::nullopt};
    EXPECT_TRUE(ctl.QuerySave()) << "the application may close";
    expectModified();

    view.answers = {ChartAnswer::Yes};
    view.savePicks = {std::nullopt};
    ctl.ActionNewExecute();
    EXPECT_EQ(view.shown.markCount(), 0) << "New went on as after No";

    click(60);
    view.answers = {ChartAnswer::Yes};
    view.savePicks = {std::nullopt};
    view.openPicks = {std::nullopt};
    ctl.ActionOpenFileExecute();
    EXPECT_EQ(view.openDialogs.size(), 1u) << "Open went on to its dialog";
    EXPECT_TRUE(view.shown.marked(60)) << "cancelling the open dialog keeps the chart";
    expectModified();
    EXPECT_TRUE(std::filesystem::is_empty(dir.path())) << "nothing was written";
}

TEST_F(ChartControllerTest, YesOnANamedChartSavesItBeforeGoingOn) {
    const std::string path = (dir / "named.ton").string();
    modifiedNewChart();
    view.savePicks = {path};
    ctl.ActionSaveAsExecute();
    click(60);
    view.answers = {ChartAnswer::Yes};
    EXPECT_TRUE(ctl.QuerySave());
    EXPECT_EQ(view.saveDialogs.size(), 1u) << "the known name is used";
    EXPECT_EQ(readBytes(path), buildChartBytes(kNow, "", ctl.chart()));
    expectClean();
}

TEST_F(ChartControllerTest, SaveFailingInsideQuerySaveStopsNewOpenAndClose) {
    const std::string path = (dir / "gone" / "chart.ton").string();
    modifiedNewChart();
    view.savePicks = {path};
    EXPECT_THROW(ctl.ActionSaveAsExecute(), FileError);

    view.answers = {ChartAnswer::Yes, ChartAnswer::Yes, ChartAnswer::Yes};
    try {
        ctl.ActionNewExecute();
        FAIL() << "New went on";
    } catch (const Error& e) {
        EXPECT_EQ(e.what(), "Cannot create file " + path) << "the text for the error box";
    }
    EXPECT_THROW(ctl.ActionOpenFileExecute(), Error);
    EXPECT_THROW(ctl.QuerySave(), Error) << "the application must not close";
    EXPECT_THAT(view.openDialogs, IsEmpty());
    EXPECT_TRUE(view.shown.marked(53));
    EXPECT_EQ(view.date, kNow);
    expectModified();
}

// --- Open ----------------------------------------------------------------------

TEST_F(ChartControllerTest, OpenReplaysTheFileNamesTheCaptionAndIsClean) {
    const std::string path = chartFile("a.ton", "_DateCreate=01.02.2003 04:05\r\n_Primet=x=y\r\n53\r\n54\r\n3\r\n");
    openFile(path);
    EXPECT_EQ(view.caption, "Шкала тонов. [" + path + "]");
    EXPECT_EQ(ctl.fileName(), path);
    EXPECT_EQ(view.date, "01.02.2003 04:05");
    EXPECT_EQ(view.note, "x=y");
    EXPECT_EQ(ctl.noteText(), "x=y");
    EXPECT_TRUE(ctl.editable());
    EXPECT_TRUE(view.noteOn);
    expectClean();
    EXPECT_TRUE(view.shown.marked(3));
    EXPECT_TRUE(view.shown.marked(73)) << "row 2 has the most marks";
    EXPECT_FALSE(view.shown.marked(21));
}

TEST_F(ChartControllerTest, OpenOfAFileThatCannotBeReadLeavesTheChartAsItWas) {
    const std::string first = chartFile("first.ton", "_DateCreate=old\r\n_Primet=n\r\n5\r\n");
    openFile(first);
    click(6);
    // A name typed wrong, and a folder chosen as a file.
    for (const std::string& unreadable : {(dir / "missing.ton").string(), dir.path().string()}) {
        view.answers = {ChartAnswer::No};
        view.openPicks = {unreadable};
        try {
            ctl.ActionOpenFileExecute();
            FAIL() << "no failure";
        } catch (const FileError& e) {
            EXPECT_EQ(e.what(), "Cannot open file " + unreadable);
        }
        EXPECT_EQ(view.caption, "Шкала тонов. [" + first + "]");
        EXPECT_EQ(ctl.fileName(), first);
        EXPECT_TRUE(view.shown.marked(5));
        EXPECT_TRUE(view.shown.marked(6));
        EXPECT_EQ(view.date, "old");
        EXPECT_EQ(view.note, "n");
        // Still unsaved, so the next New or Open asks again.
        expectModified();
    }
}

TEST_F(ChartControllerTest, OpenOfAMissingFirstFileLeavesTheChartInactive) {
    view.openPicks = {(dir / "missing.ton").string()};
    EXPECT_THROW(ctl.ActionOpenFileExecute(), FileError);
    EXPECT_FALSE(ctl.editable());
    EXPECT_FALSE(view.noteOn);
    EXPECT_EQ(view.caption, "Шкала тонов. ");
    EXPECT_EQ(view.date, "");
    click(5);
    EXPECT_THAT(view.messages, ElementsAre("Сначала нужно создать новый тест Файл/Создать."));
}

TEST_F(ChartControllerTest, UnknownFormatShowsTheMessageAndKeepsTheCellsBeforeIt) {
    const std::string path =
        chartFile("bad.ton", "_DateCreate=file date\r\n_Primet=file note\r\n53\r\nanel3\r\n54\r\n");
    openFile(path);
    EXPECT_THAT(view.messages, ElementsAre("Ошибка. Файл неизвестного формата."));
    EXPECT_TRUE(view.shown.marked(53));
    EXPECT_FALSE(view.shown.marked(54));
    EXPECT_FALSE(view.shown.marked(73)) << "the result is not recomputed";
    EXPECT_EQ(view.caption, "Шкала тонов. ");
    EXPECT_EQ(ctl.fileName(), "");
    EXPECT_EQ(view.date, kNow);
    EXPECT_EQ(view.note, "");
    expectClean();
}

TEST_F(ChartControllerTest, CancelledOpenDialogAfterNoKeepsTheModifiedChart) {
    modifiedNewChart();
    view.answers = {ChartAnswer::No};
    view.openPicks = {std::nullopt};
    ctl.ActionOpenFileExecute();
    EXPECT_TRUE(view.shown.marked(53));
    expectModified();
}

TEST_F(ChartControllerTest, NewAfterOpenKeepsTheCaptionButSaveAsksForAName) {
    const std::string path = chartFile("a.ton", "_DateCreate=d\r\n_Primet=\r\n5\r\n");
    openFile(path);
    ctl.ActionNewExecute();
    EXPECT_EQ(view.caption, "Шкала тонов. [" + path + "]");
    click(7);
    view.savePicks = {std::nullopt};
    ctl.ActionSaveExecute();
    EXPECT_EQ(view.saveDialogs.size(), 1u);
    EXPECT_EQ(readBytes(path), "_DateCreate=d\r\n_Primet=\r\n5\r\n");
    expectModified();
}

// --- Save and Save As ------------------------------------------------------------

TEST_F(ChartControllerTest, SaveWithoutANameRunsSaveAsAndCancelWritesNothing) {
    modifiedNewChart();
    view.savePicks = {std::nullopt};
    ctl.ActionSaveExecute();
    EXPECT_EQ(view.saveDialogs.size(), 1u);
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
    EXPECT_EQ(view.caption, "Шкала тонов. ");
    expectModified();
}

TEST_F(ChartControllerTest, SaveAsWritesTheChartNamesTheCaptionAndCleans) {
    const std::string path = (dir / "new.ton").string();
    modifiedNewChart();
    typeNote("Заметка");
    view.savePicks = {path};
    ctl.ActionSaveAsExecute();
    EXPECT_EQ(readBytes(path), "_DateCreate=07.12.2026 09:05\r\n_Primet=\xC7\xE0\xEC\xE5\xF2\xEA\xE0\r\n53\r\n");
    EXPECT_EQ(view.caption, "Шкала тонов. [" + path + "]");
    expectClean();
}

TEST_F(ChartControllerTest, SavingOverAnExistingFileAsksNothing) {
    const std::string path = chartFile("a.ton", "_DateCreate=d\r\n_Primet=\r\n5\r\n");
    openFile(path);
    click(6);
    ctl.ActionSaveExecute();
    EXPECT_THAT(view.saveDialogs, IsEmpty());
    EXPECT_THAT(view.questions, IsEmpty());
    EXPECT_EQ(readBytes(path), "_DateCreate=d\r\n_Primet=\r\n5\r\n6\r\n");
    expectClean();
}

TEST_F(ChartControllerTest, FailedSaveAsKeepsTheNewNameAndTheModifiedChart) {
    const std::string path = (dir / "gone" / "x.ton").string();
    modifiedNewChart();
    view.savePicks = {path};
    EXPECT_THROW(ctl.ActionSaveAsExecute(), FileError);
    EXPECT_EQ(view.caption, "Шкала тонов. [" + path + "]");
    EXPECT_EQ(ctl.fileName(), path);
    expectModified();
}

TEST_F(ChartControllerTest, SaveIntoAReadOnlyFolderKeepsTheOldFile) {
    const std::string old = "_DateCreate=old\r\n_Primet=\r\n5\r\n";
    const std::string path = chartFile("kept.ton", old);
    ::chmod(path.c_str(), 0666);
    ::chmod(dir.path().c_str(), 0555);
    // Root ignores folder rights, so the save runs as an ordinary user.
    const int rc = test::runUnprivileged([&] {
        FakeChartView v;
        ChartController c(v, [] { return std::string(kNow); });
        v.openPicks = {path};
        c.ActionOpenFileExecute();
        c.PanelMouseUp(ChartPanel::inputCell(6));
        try {
            c.ActionSaveExecute();
            return 1;
        } catch (const FileError& e) {
            if (e.what() != "Cannot create file " + path) {
                return 2;
            }
        }
        return c.IsModified() && v.corner == clRed ? 0 : 3;
    });
    ::chmod(dir.path().c_str(), 0755);
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(readBytes(path), old);
}

// --- Dialogs, Close and the note field -----------------------------------------------

TEST_F(ChartControllerTest, DialogsGetTitlesFiltersExtensionAndTheReportFolder) {
    ctl.setReportDir("/home/anna/reports");
    view.openPicks = {std::nullopt};
    ctl.ActionOpenFileExecute();
    ctl.ActionNewExecute();
    click(1);
    view.savePicks = {std::nullopt};
    ctl.ActionSaveAsExecute();
    ASSERT_EQ(view.openDialogs.size(), 1u);
    ASSERT_EQ(view.saveDialogs.size(), 1u);
    const ChartDialog& open = view.openDialogs[0];
    EXPECT_EQ(open.title, "Открытие файла данных таблицы тонов");
    EXPECT_EQ(open.filter, "*.ton (Файлы отчетов)|*.ton|*.* (Все файлы)|*.*");
    EXPECT_EQ(open.defaultExt, "ton");
    EXPECT_EQ(open.initialDir, "/home/anna/reports");
    const ChartDialog& save = view.saveDialogs[0];
    EXPECT_EQ(save.title, "Сохранение таблицы тонов в файл");
    EXPECT_EQ(save.filter, "*.ton (Файлы таблицы тонов)|*.ton|*.* (Все файлы)|*.*");
    EXPECT_EQ(save.defaultExt, "ton");
    EXPECT_EQ(save.initialDir, "/home/anna/reports");
}

TEST_F(ChartControllerTest, EachDialogOffersTheFileLastChosenInItAndACancelForgetsNothing) {
    const std::string first = chartFile("first.ton", "_DateCreate=01.01.2026 10:00\r\n_Primet=\r\n");
    openFile(first);
    view.openPicks = {std::nullopt};
    ctl.ActionOpenFileExecute();
    click(1);
    view.savePicks = {(dir / "saved.ton").string()};
    ctl.ActionSaveAsExecute();
    click(2);
    view.savePicks = {std::nullopt};
    ctl.ActionSaveAsExecute();
    ASSERT_EQ(view.openDialogs.size(), 2u);
    ASSERT_EQ(view.saveDialogs.size(), 2u);
    EXPECT_EQ(view.openDialogs[0].offeredPath, "");
    EXPECT_EQ(view.openDialogs[1].offeredPath, first);
    EXPECT_EQ(view.saveDialogs[0].offeredPath, "");  // not the opened file's name
    EXPECT_EQ(view.saveDialogs[1].offeredPath, (dir / "saved.ton").string());
}

TEST_F(ChartControllerTest, AWindowAttachedLaterShowsTheChartAsItIs) {
    ChartController waiting([] { return std::string(kNow); });
    EXPECT_TRUE(waiting.QuerySave());  // no window yet, nothing changed: nothing to ask
    FakeChartView first;
    waiting.attach(first);
    EXPECT_EQ(first.caption, "Шкала тонов. ");
    EXPECT_FALSE(first.noteOn);
    EXPECT_FALSE(first.saveOn);

    modifiedNewChart();
    typeNote("Итог");
    FakeChartView second;
    ctl.attach(second);
    EXPECT_EQ(second.corner, clRed);
    EXPECT_TRUE(second.saveOn && second.saveAsOn && second.noteOn);
    EXPECT_EQ(second.date, kNow);
    EXPECT_EQ(second.note, "Итог");
    EXPECT_TRUE(second.shown.marked(53));
}

TEST_F(ChartControllerTest, CloseHidesWithoutAskingAndKeepsEverything) {
    modifiedNewChart();
    ctl.ActionCloseExecute();
    EXPECT_EQ(view.hides, 1);
    EXPECT_THAT(view.questions, IsEmpty());
    EXPECT_TRUE(ctl.chart().marked(53));
    expectModified();
}

TEST(ChartNoteField, AcceptsWhatACp1251FileHolds) {
    EXPECT_TRUE(ChartController::acceptsNoteText(""));
    EXPECT_TRUE(ChartController::acceptsNoteText("Ёлка = ёлка, №5 «да» — € §"));
    EXPECT_TRUE(ChartController::acceptsNoteText("tab\there"));
}

TEST(ChartNoteField, RefusesWhatWouldNotComeBackFromTheFile) {
    EXPECT_FALSE(ChartController::acceptsNoteText("日本"));
    EXPECT_FALSE(ChartController::acceptsNoteText("smile \xF0\x9F\x99\x82"));
    EXPECT_FALSE(ChartController::acceptsNoteText("Ω"));
    EXPECT_FALSE(ChartController::acceptsNoteText("\xFF"));  // not UTF-8 at all
    EXPECT_FALSE(ChartController::acceptsNoteText("two\nlines"));
    EXPECT_FALSE(ChartController::acceptsNoteText("two\rlines"));
    // A NUL would end the file's text there and lose every mark after the note.
    EXPECT_FALSE(ChartController::acceptsNoteText(std::string("a\0b", 3)));
}

}  // namespace
}  // namespace mnemora
