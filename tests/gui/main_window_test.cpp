#include "qt/sessions/main_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include "qt/common/help_qt.h"
#include "gui_support.h"
#include "sessions/band_splitter.h"
#include "temp_dir.h"

namespace mnemora {
namespace {

using test::cp1251Lines;

class FixedSettings : public SessionSettings {
public:
    std::string path;
    std::string dataFile() const override { return path; }
    void setDefaultPaths() override {}
    void saveSettings() override {}
};

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest() {
        test::writeBytes(dir / "data.ini",
                         cp1251Lines({"[Disk]", "0=Зрение", "1=Слух", "2=Вкус", "[List1]", "0=Заголовок списка",
                                      "1=Первый вопрос", "2=Второй && последний вопрос", "[List17]",
                                      "1=Вопрос о п&амяти", "[List8]", "1=Запах хлеба"}));
        settings.path = (dir / "data.ini").string();
    }

    QPushButton* button(const char* name) {
        form.ensureControls();
        return form.findChild<QPushButton*>(name);
    }
    MnemonicLabel* label(const char* name) {
        form.ensureControls();
        return form.findChild<MnemonicLabel*>(name);
    }
    void begin(int list) { form.engine().ClickSession(sessionItemData(sessionEntryForList(list))); }
    // One move through the gate: two reminders, then the move itself.
    void next() {
        for (int i = 0; i < 3; ++i) {
            QTest::mouseClick(button("Button_Next"), Qt::LeftButton);
        }
    }

    QApplication& app = test::qtApp();
    test::TempDir dir;
    test::RecordingBoxes boxes;
    test::RecordingHelp helpPlatform;
    TMyHLPObject help{helpPlatform};
    FixedSettings settings;
    RandomGenerator random;
    TForm1 form{settings, help, random};
};

TEST_F(MainWindowTest, ControlsHaveTheirNamesSizesAndCaptions) {
    // A window in the tray costs no widgets until it is first shown.
    EXPECT_EQ(form.findChild<QPushButton*>(), nullptr);
    EXPECT_EQ(form.windowTitle(), "Мнемора (Версия 1.01) ");
    EXPECT_EQ(form.size(), QSize(574, 338));
    EXPECT_EQ(button("Button_Last")->geometry(), QRect(8, 8, 75, 25));
    EXPECT_EQ(button("Button_Next")->geometry(), QRect(96, 8, 75, 25));
    EXPECT_EQ(button("Button_Break")->text(), "&Закончить");
    EXPECT_EQ(button("Button1")->text(), "П&ояснение");
    EXPECT_TRUE(button("Button_Break")->toolTip().isEmpty());  // hints are never shown
    for (const char* name : {"Button_Last", "Button_Next", "Button_Break", "Button1"}) {
        EXPECT_FALSE(button(name)->isEnabled()) << name;
    }
    EXPECT_TRUE(label("Label_O")->caption().empty());
    EXPECT_TRUE(label("Label_Quest")->caption().empty());
    EXPECT_TRUE(form.questionText().empty());
}

TEST_F(MainWindowTest, ButtonsFollowTheSessionAndNT10IsGreyedDuringIt) {
    begin(1);
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(button("Button_Last")->isEnabled());  // only after question 1
    EXPECT_TRUE(button("Button_Next")->isEnabled());
    EXPECT_TRUE(button("Button_Break")->isEnabled());
    EXPECT_TRUE(button("Button1")->isEnabled());
    EXPECT_FALSE(form.menuItem("NT10")->isEnabled());
    next();
    EXPECT_TRUE(button("Button_Last")->isEnabled());
    EXPECT_EQ(boxes.plains, (std::vector<std::string>{"Вспомните другой случай.", "Вспомните самый ранний случай."}));
    QTest::mouseClick(button("Button_Break"), Qt::LeftButton);
    for (const char* name : {"Button_Last", "Button_Next", "Button_Break", "Button1"}) {
        EXPECT_FALSE(button(name)->isEnabled()) << name;
    }
    EXPECT_TRUE(form.menuItem("NT10")->isEnabled());
}

TEST_F(MainWindowTest, CaptionHeaderQuestionAndPerceptionShowTheSession) {
    begin(1);
    EXPECT_EQ(form.windowTitle(), "Мнемора (Версия 1.01) /Список 1. Общие случаи.");
    EXPECT_EQ(label("Label_Quest")->caption(), "Заголовок списка");
    EXPECT_EQ(form.questionText(), "Первый вопрос");
    EXPECT_FALSE(label("Label_O")->caption().empty());
    next();
    // "&&" shows one "&".
    EXPECT_TRUE(label("Label_Text")->text().contains("Второй &amp; последний вопрос"));
}

TEST_F(MainWindowTest, RestoreAfterBreakShowsTheLastQuestionAndAnEmptyTop) {
    begin(1);
    next();
    QTest::mouseClick(button("Button_Break"), Qt::LeftButton);
    EXPECT_FALSE(form.isVisible());
    form.showWindow();
    EXPECT_EQ(form.windowTitle(), "Мнемора (Версия 1.01) ");
    EXPECT_EQ(form.questionText(), "Второй && последний вопрос");
    EXPECT_TRUE(label("Label_O")->caption().empty());
    EXPECT_TRUE(label("Label_Quest")->caption().empty());
}

TEST_F(MainWindowTest, ListThatRunsOutHidesTheWindowAndLeavesTheQuestionEmpty) {
    begin(1);
    next();
    next();
    EXPECT_EQ(boxes.plains.back(), "Список закончен.");
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(form.questionText().empty());
    EXPECT_TRUE(form.menuItem("NT10")->isEnabled());
}

TEST_F(MainWindowTest, HelpLinksAskForTheirTopics) {
    begin(26);  // an empty list still gives its topic before it ends
    begin(1);
    QTest::mouseClick(button("Button1"), Qt::LeftButton);
    QTest::mouseClick(label("Label_O"), Qt::LeftButton);
    form.action(ActionId::Help)->trigger();
    ASSERT_EQ(helpPlatform.contexts.size(), 3u);
    EXPECT_EQ(helpPlatform.contexts[0], 2000);
    EXPECT_EQ(helpPlatform.contexts[1], 4000 + 10 * form.engine().perceptionIndex());
    EXPECT_EQ(helpPlatform.contexts[2], 1000);
}

TEST_F(MainWindowTest, F1AsksForTheWindowTopicThenTheLastListBegun) {
    form.show();
    QApplication::setActiveWindow(&form);
    EXPECT_EQ(HelpKeyFilter::currentF1Context(), 1010);
    begin(17);
    EXPECT_EQ(HelpKeyFilter::currentF1Context(), 2170);
    QTest::mouseClick(button("Button_Break"), Qt::LeftButton);
    form.show();
    QApplication::setActiveWindow(&form);
    EXPECT_EQ(HelpKeyFilter::currentF1Context(), 2170);  // ending leaves it
}

TEST_F(MainWindowTest, F1OnAHighlightedMenuItemTakesTheNearestContextOnTheWay) {
    auto* senses = form.trayPopup()->findChild<QMenu*>("NT31");
    ASSERT_NE(senses, nullptr);
    senses->popup(QPoint(10, 10));
    senses->setActiveAction(form.menuItem("NT16"));  // "&5. Обоняние" has none of its own
    EXPECT_EQ(HelpKeyFilter::currentF1Context(), 2030);
    senses->setActiveAction(form.menuItem("NT15"));
    EXPECT_EQ(HelpKeyFilter::currentF1Context(), 2070);
    senses->close();
    auto* setup = form.trayPopup()->findChild<QMenu*>("NT7");
    setup->popup(QPoint(10, 10));
    setup->setActiveAction(form.menuItem("NT8"));
    EXPECT_EQ(HelpKeyFilter::currentF1Context(), 3000);
    setup->close();
}

// The pointer goes into the submenu of "Список &2. Ориентация во времени."
// and comes back to "Список &1. Общие случаи."; the deeper submenu stays
// open for a moment with nothing highlighted, but the highlighted item is
// list 1.
TEST_F(MainWindowTest, F1AfterADeeperSubmenuAsksForTheHighlightedItem) {
    form.show();
    QApplication::setActiveWindow(&form);
    QMenu* sessions = form.trayPopup()->findChild<QMenu*>("NT9");
    QMenu* lists = form.trayPopup()->findChild<QMenu*>("NT10");
    QMenu* time = form.trayPopup()->findChild<QMenu*>("NT21");
    ASSERT_TRUE(sessions && lists && time);
    form.trayPopup()->popup(QPoint(10, 10));
    form.trayPopup()->setActiveAction(sessions->menuAction());
    sessions->popup(QPoint(200, 10));
    sessions->setActiveAction(lists->menuAction());
    lists->popup(QPoint(400, 10));
    lists->setActiveAction(time->menuAction());
    time->popup(QPoint(700, 30));
    time->setActiveAction(form.menuItem("NT113"));
    EXPECT_EQ(HelpKeyFilter::currentF1Context(), 2010);

    lists->setActiveAction(form.menuItem("NT11"));
    time->popup(QPoint(700, 30));  // still open, as while the pointer crosses back
    ASSERT_EQ(lists->activeAction(), form.menuItem("NT11"));
    ASSERT_EQ(time->activeAction(), nullptr);
    EXPECT_EQ(HelpKeyFilter::currentF1Context(), 2000);

    // Back over the item that opens the submenu, before anything in it is
    // highlighted: that item has no topic, so the window's is asked for.
    lists->setActiveAction(time->menuAction());
    EXPECT_EQ(HelpKeyFilter::currentF1Context(), 1010);
    form.trayPopup()->close();
}

TEST_F(MainWindowTest, SingleAmpersandUnderlinesTheNextCharacter) {
    begin(17);
    EXPECT_TRUE(label("Label_Text")->text().contains("п<u>а</u>мяти"));
}

TEST_F(MainWindowTest, TrayMenuIsBuiltFromTheCatalogue) {
    QMenu* popup = form.trayPopup();
    QStringList top;
    for (QAction* a : popup->actions()) {
        top << (a->isSeparator() ? "-" : a->text());
    }
    EXPECT_EQ(top, (QStringList{"&Сессии", "&Заполнение тестов", "&Настройка", "&Помощь", "-", "&Выход"}));
    QAction* smell = form.menuItem("NT114");
    ASSERT_NE(smell, nullptr);
    EXPECT_EQ(smell->text(), "Часть &1");
    EXPECT_EQ(form.menuItem("N3"), form.action(ActionId::Next));
}

TEST_F(MainWindowTest, ChoosingAListItemBeginsItAfterTheMenuHasClosed) {
    form.menuItem("NT114")->trigger();
    EXPECT_FALSE(form.engine().isRunning());
    QCoreApplication::processEvents();
    EXPECT_EQ(form.engine().listNumber(), 8);
    EXPECT_EQ(form.windowTitle(), "Мнемора (Версия 1.01) /Список 3. Ориентация чувств./5. Обоняние/Часть 1");
}

TEST_F(MainWindowTest, CloseQueryCanKeepTheProgramRunning) {
    int closes = 0;
    form.presenter().onFormClose = [&] { ++closes; };
    form.presenter().closeQuery = [] { return false; };
    begin(1);
    form.action(ActionId::Exit)->trigger();
    EXPECT_EQ(closes, 0);
    EXPECT_TRUE(form.isVisible());
    form.presenter().closeQuery = [] { return true; };
    form.action(ActionId::Exit)->trigger();
    EXPECT_EQ(closes, 1);
}

TEST_F(MainWindowTest, DraggingTheButtonSplitterSnapsTheBandShut) {
    form.show();
    auto* splitter = form.findChild<BandSplitter*>("Splitter1");
    ASSERT_NE(splitter, nullptr);
    splitter->dragBandTo(30);
    EXPECT_EQ(form.findChild<QWidget*>("Panel_Button")->maximumHeight(), 0);
    splitter->dragBandTo(80);
    EXPECT_EQ(form.findChild<QWidget*>("Panel_Button")->maximumHeight(), 80);
}

}  // namespace
}  // namespace mnemora
