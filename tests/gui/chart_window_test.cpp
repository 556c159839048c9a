#include "qt/chart/chart_window.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QCompleter>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <functional>

#include "gui_support.h"
#include "qt/sessions/main_window.h"
#include "qt/shell/startup_qt.h"
#include "temp_dir.h"

namespace mnemora {
namespace {

QColor shown(const QWidget* w) { return w->palette().color(QPalette::Window); }
QColor system(TColor c) { return toQColor(c, QGuiApplication::palette()); }

// Types text as key presses, Cyrillic included (QTest's helpers take ASCII only).
void typeText(QWidget* w, const QString& text) {
    for (const QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(w, &release);
    }
}

// Runs `open` (which shows the real file dialog and waits for it) and, once
// the dialog is on screen, hands it to `use`, which must close it.
void whileDialogShown(const std::function<void()>& open, const std::function<void(QFileDialog&)>& use) {
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (dialog != nullptr && dialog->isVisible()) {
            poll.stop();
            use(*dialog);
            // A dialog that the script failed to close would hold the test for ever.
            if (!QTest::qWaitFor([dialog] { return !dialog->isVisible(); }, 2000)) {
                ADD_FAILURE() << "the dialog stayed open";
                dialog->reject();
            }
        }
    });
    poll.start();
    open();
}

// The name field, with the keyboard focus as a user's typing would have it.
QLineEdit* nameField(QFileDialog& d) {
    d.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&d));
    auto* name = d.findChild<QLineEdit*>("fileNameEdit");
    name->setFocus();
    return name;
}

QStringList filterNames(QFileDialog& d) {
    QStringList names;
    const auto* combo = d.findChild<QComboBox*>("fileTypeCombo");
    for (int i = 0; combo != nullptr && i < combo->count(); ++i) {
        names << combo->itemText(i);
    }
    return names;
}

bool completionShown(QFileDialog& d) {
    for (QCompleter* c : d.findChildren<QCompleter*>()) {
        if (c->popup() != nullptr && c->popup()->isVisible()) {
            return true;
        }
    }
    return false;
}

class ChartWindowTest : public ::testing::Test {
protected:
    void click(int n, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseClick(window.cellPanel(n), button);
    }
    QWidget* corner() { return window.findChild<QWidget*>("Panel2"); }

    QApplication& app = test::qtApp();
    test::TempDir dir;
    test::RecordingBoxes boxes;
    test::RecordingHelp helpPlatform;
    TMyHLPObject help{helpPlatform};
    TFormEditTest window{help, [] { return std::string("08.12.2026 21:00"); }};
};

TEST_F(ChartWindowTest, InactiveChartOnlyExplainsWhatToDo) {
    EXPECT_EQ(window.windowTitle(), "Шкала тонов. ");
    click(5);
    EXPECT_EQ(boxes.plains, (std::vector<std::string>{"Сначала нужно создать новый тест Файл/Создать."}));
    EXPECT_TRUE(window.cellPanel(5)->text().isEmpty());
    EXPECT_EQ(shown(window.cellPanel(5)), inactiveCellColor(QGuiApplication::palette()));
    EXPECT_FALSE(window.findChild<QLineEdit*>("EditPrimet")->isEnabled());
    EXPECT_FALSE(window.action("ActionSave")->isEnabled());
}

TEST_F(ChartWindowTest, InactiveInputColumnsStandOutFromTheResultColumns) {
    const QColor input = shown(window.cellPanel(TToneChart::cellNumber(4, 18)));
    const QColor result = shown(window.cellPanel(TToneChart::cellNumber(4, 21)));
    EXPECT_EQ(result, QColor(0xC0, 0xC0, 0xC0));
    const auto plain = [](const QColor& c) {
        return rgbColor(static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
                        static_cast<std::uint8_t>(c.blue()));
    };
    EXPECT_FALSE(hardToTellApart(plain(input), plain(result))) << input.name().toStdString();
}

TEST_F(ChartWindowTest, ClickedCellsShowMarksShadesAndTheResultRow) {
    window.action("ActionNew")->trigger();
    EXPECT_EQ(window.findChild<QLineEdit*>("EditDateCreate")->text(), "08.12.2026 21:00");
    EXPECT_EQ(shown(corner()), system(clBtnFace));
    // Row 2 ("3.0") gets two marks, row 0 one: row 2 is the result.
    click(TToneChart::cellNumber(2, 1));
    click(TToneChart::cellNumber(2, 2), Qt::RightButton);  // any button toggles
    click(TToneChart::cellNumber(0, 3));
    const int marked = TToneChart::cellNumber(2, 1);
    EXPECT_EQ(window.cellPanel(marked)->text(), "X");
    // The whole sub-column of a mark is shaded; the others stay plain.
    EXPECT_EQ(shown(window.cellPanel(marked)), system(clSilver));
    EXPECT_EQ(shown(window.cellPanel(TToneChart::cellNumber(5, 1))), system(clSilver));
    EXPECT_EQ(shown(window.cellPanel(TToneChart::cellNumber(5, 4))), system(clBtnFace));  // untouched one
    for (int pos = 21; pos <= 26; ++pos) {
        EXPECT_EQ(window.cellPanel(TToneChart::cellNumber(2, pos))->text(), "X") << pos;
        EXPECT_TRUE(window.cellPanel(TToneChart::cellNumber(0, pos))->text().isEmpty()) << pos;
    }
    EXPECT_EQ(shown(corner()), system(clRed));
    EXPECT_TRUE(window.action("ActionSave")->isEnabled());
    click(marked);
    EXPECT_TRUE(window.cellPanel(marked)->text().isEmpty());
    EXPECT_EQ(shown(window.cellPanel(TToneChart::cellNumber(5, 1))), system(clBtnFace));
}

TEST_F(ChartWindowTest, SplitColumnsAreTwoHalfHeightCells) {
    const int upper = TToneChart::cellNumber(3, 4), lower = TToneChart::cellNumber(3, 5);
    EXPECT_EQ(window.cellPanel(upper)->geometry(), QRect(100, 25 + 120, 25, 20));
    EXPECT_EQ(window.cellPanel(lower)->geometry(), QRect(100, 45 + 120, 25, 20));
    EXPECT_EQ(window.cellPanel(TToneChart::cellNumber(0, 1))->objectName(), "P1");
    EXPECT_EQ(window.cellPanel(183)->objectName(), "P183");
    EXPECT_EQ(window.cellPanel(7)->objectName(), "p7");
    window.action("ActionNew")->trigger();
    click(upper);
    click(lower);
    EXPECT_EQ(window.cellPanel(upper)->text(), "X");
    EXPECT_EQ(window.cellPanel(lower)->text(), "X");
}

TEST_F(ChartWindowTest, HeaderClickAsksForItsColumnTopicInEveryMode) {
    QTest::mouseClick(window.headerPanel(24), Qt::LeftButton);
    window.action("ActionNew")->trigger();
    QTest::mouseClick(window.headerPanel(1), Qt::RightButton);
    click(9);
    window.findChild<QAction*>("N9")->trigger();
    EXPECT_EQ(helpPlatform.contexts, (std::vector<std::int32_t>{5240, 5010, 5000}));
    EXPECT_EQ(window.headerPanel(3)->toolTip().toStdString(), std::string(kToneColumns[2].title));
}

TEST_F(ChartWindowTest, TypedNoteMarksTheChartAndRefusesWhatTheFileCannotHold) {
    window.action("ActionNew")->trigger();
    auto* note = window.findChild<QLineEdit*>("EditPrimet");
    note->setFocus();
    typeText(note, "Заметка");
    EXPECT_EQ(note->text(), "Заметка");
    EXPECT_EQ(shown(corner()), system(clRed));
    note->clear();
    typeText(note, QString::fromUtf8("漢"));
    EXPECT_TRUE(note->text().isEmpty());
}

TEST_F(ChartWindowTest, SavedChartOpensAgainWithItsMarksDateAndNote) {
    const std::string path = (dir / "chart.ton").string();
    window.dialogOverride = [&](const ChartDialog& d, bool) {
        EXPECT_EQ(d.defaultExt, "ton");
        return std::optional<std::string>(path);
    };
    window.action("ActionNew")->trigger();
    click(30);
    typeText(window.findChild<QLineEdit*>("EditPrimet"), "Итог");
    window.action("ActionSave")->trigger();  // no name yet: Save As
    EXPECT_EQ(window.windowTitle().toStdString(), "Шкала тонов. [" + path + "]");
    EXPECT_EQ(shown(corner()), system(clBtnFace));

    TFormEditTest again{help, [] { return std::string("01.01.2027 09:00"); }};
    again.dialogOverride = window.dialogOverride;
    again.action("ActionOpenFile")->trigger();
    EXPECT_EQ(again.cellPanel(30)->text(), "X");
    EXPECT_EQ(again.findChild<QLineEdit*>("EditPrimet")->text(), "Итог");
    EXPECT_EQ(again.findChild<QLineEdit*>("EditDateCreate")->text(), "08.12.2026 21:00");
    EXPECT_TRUE(boxes.errors.empty());
}

TEST_F(ChartWindowTest, OpenDialogLeavesNoCompletionBehindAndOffersTheLastNameToReplace) {
    const std::string chart = "_DateCreate=01.01.2026 10:00\r\n_Primet=\r\n5\r\n";
    test::writeBytes(dir / "picture.ton", chart);
    test::writeBytes(dir / "junk.ton", chart);
    window.controller().setReportDir(dir.path().string());
    const QString folder = QString::fromStdString(dir.path().string());

    // The whole path typed, with the completion list open when Enter is pressed.
    bool completionAppeared = false;
    whileDialogShown([&] { window.action("ActionOpenFile")->trigger(); },
                     [&](QFileDialog& d) {
                         EXPECT_EQ(filterNames(d), (QStringList{"*.ton (Файлы отчетов)", "*.* (Все файлы)"}));
                         QLineEdit* name = nameField(d);
                         QTest::keyClicks(name, folder + "/ju");
                         completionAppeared = QTest::qWaitFor([&] { return completionShown(d); }, 3000);
                         QTest::keyClicks(name, "nk.ton");
                         QTest::keyClick(name, Qt::Key_Return);
                     });
    EXPECT_TRUE(completionAppeared);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_EQ(window.windowTitle(), "Шкала тонов. [" + folder + "/junk.ton]");

    // The next dialog offers that name, selected: what is typed replaces it.
    QString offered, selected;
    whileDialogShown([&] { window.action("ActionOpenFile")->trigger(); },
                     [&](QFileDialog& d) {
                         QLineEdit* name = nameField(d);
                         EXPECT_TRUE(QTest::qWaitFor([&] { return name->hasSelectedText(); }, 1000));
                         offered = name->text();
                         selected = name->selectedText();
                         QTest::keyClicks(name, "picture.ton");
                         QTest::keyClick(name, Qt::Key_Return);
                     });
    EXPECT_EQ(offered, "junk.ton");
    EXPECT_EQ(selected, "junk.ton");
    EXPECT_EQ(window.windowTitle(), "Шкала тонов. [" + folder + "/picture.ton]");
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_TRUE(boxes.errors.empty());
}

TEST_F(ChartWindowTest, SaveDialogShowsItsFilterNamesOnce) {
    window.controller().setReportDir(dir.path().string());
    window.action("ActionNew")->trigger();
    click(5);
    QStringList names;
    whileDialogShown([&] { window.action("ActionSaveAs")->trigger(); },
                     [&](QFileDialog& d) {
                         names = filterNames(d);
                         d.reject();
                     });
    EXPECT_EQ(names, (QStringList{"*.ton (Файлы таблицы тонов)", "*.* (Все файлы)"}));
}

TEST_F(ChartWindowTest, LongDateAndNoteFromAFileShowTheirStart) {
    const std::string path = (dir / "long.ton").string();
    const std::string note(300, 'n');
    const std::string date = "01.01.2026 10:00 " + std::string(100, 'd');
    test::writeBytes(path, "_DateCreate=" + date + "\r\n_Primet=" + note + "\r\n");
    window.dialogOverride = [&](const ChartDialog&, bool) { return std::optional<std::string>(path); };
    window.action("ActionOpenFile")->trigger();
    const auto* noteField = window.findChild<QLineEdit*>("EditPrimet");
    const auto* dateField = window.findChild<QLineEdit*>("EditDateCreate");
    EXPECT_EQ(noteField->text().toStdString(), note);
    EXPECT_EQ(noteField->cursorPosition(), 0);
    EXPECT_EQ(dateField->text().toStdString(), date);
    EXPECT_EQ(dateField->cursorPosition(), 0);
}

TEST_F(ChartWindowTest, ProgramCloseAsksAboutAnUnsavedChartAndCancelKeepsItRunning) {
    test::TempDir config;
    auto run = startMnemora(config / "Mnemora.reg", helpPlatform);
    ASSERT_NE(run, nullptr);
    TFormEditTest& chart = run->chartWindow();
    chart.action("ActionNew")->trigger();
    QTest::mouseClick(chart.cellPanel(3), Qt::LeftButton);
    boxes.answers = {Answer::Cancel};
    EXPECT_FALSE(run->form().close());
    EXPECT_EQ(boxes.questions, (std::vector<std::string>{"Сохранить таблицу тонов?"}));
    EXPECT_TRUE(run->form().isVisible());
    boxes.answers = {Answer::No};
    EXPECT_TRUE(run->form().close());
}

}  // namespace
}  // namespace mnemora
