#include "sessions/main_presenter.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <stdexcept>
#include <vector>

#include "recording_boxes.h"
#include "sessions/band_splitter.h"
#include "temp_dir.h"

namespace mnemora {
namespace {

// A main window that keeps what it was told; deferred commands wait until
// the test runs them, as posted commands wait for the menu's loop to end.
class FakeMainView : public MainWindowView {
  public:
    void setHeaderText(const std::string& t) override { header = t; }
    void setQuestionText(const std::string& t) override { question = t; }
    std::string questionText() const override { return question; }
    void setPerceptionText(const std::string& t) override { perception = t; }
    void setWindowCaption(const std::string& t) override { caption = t; }
    void setWindowHelpContext(int c) override { helpContext = c; }
    void showWindow() override { shown = true; }
    void hideWindow() override { shown = false; }
    void setActionEnabled(ActionId a, bool on) override { enabled[a] = on; }
    void setMenuItemEnabled(std::string_view name, bool on) override {
        items[std::string(name)] = on;
    }
    void closeWindow() override { ++closeRequests; }
    void defer(std::function<void()> command) override { deferred.push_back(std::move(command)); }
    void applyQuestionAppearance(const TFont&, TColor background) override {
        this->background = background;
    }

    void runDeferred() {
        auto pending = std::move(deferred);
        deferred.clear();
        for (auto& c : pending) {
            c();
        }
    }

    std::string header, question, perception, caption;
    int helpContext = 0;
    bool shown = false;
    std::map<ActionId, bool> enabled;
    std::map<std::string, bool> items;
    int closeRequests = 0;
    std::vector<std::function<void()>> deferred;
    TColor background = 0;
};

class Settings : public SessionSettings {
  public:
    std::string path;
    std::string dataFile() const override { return path; }
    void setDefaultPaths() override {}
    void saveSettings() override {}
};

class MainPresenterTest : public ::testing::Test {
  protected:
    MainPresenterTest() {
        test::writeBytes(dir / "data.ini",
                         "[Disk]\r\n0=Зрение\r\n1=Слух\r\n[List5]\r\n0=Заголовок\r\n1=Вопрос\r\n");
        settings.path = (dir / "data.ini").string();
        presenter.onParams = [this] { hooks.push_back("params"); };
        presenter.onAbout = [this] { hooks.push_back("about"); };
        presenter.onEditTest = [this] { hooks.push_back("chart"); };
        presenter.onMinimized = [this] { hooks.push_back("minimise"); };
        presenter.onRestored = [this] { hooks.push_back("restore"); };
        presenter.onFormClose = [this] { hooks.push_back("close"); };
    }
    void beginList5() {
        presenter.sessionItemChosen(sessionEntryForList(5));
        view.runDeferred();
    }

    test::TempDir dir;
    test::RecordingBoxes boxes;
    test::RecordingHelp helpPlatform;
    TMyHLPObject help{helpPlatform};
    Settings settings;
    RandomGenerator random;
    FakeMainView view;
    MainPresenter presenter{view, settings, help, random};
    std::vector<std::string> hooks;
};

// Each action's effect, before and after list 5 was begun and stopped.
TEST_F(MainPresenterTest, EachActionAsksForItsTopicOrHandsOverToTheShell) {
    struct Case {
        ActionId action;
        std::vector<std::int32_t> help;
        std::vector<std::string> hooks;
        int closeRequests;
    };
    const std::vector<Case> cases{
        {ActionId::Help, {1000}, {}, 0},
        {ActionId::HelpContext, {2050}, {}, 0},  // the last list begun, also after it ended
        {ActionId::Params, {}, {"params"}, 0},
        {ActionId::About, {}, {"about"}, 0},
        {ActionId::EditTest, {}, {"chart"}, 0},
        {ActionId::Exit, {}, {}, 1},  // through the window's close, and so its query
    };
    beginList5();
    presenter.actionExecuted(ActionId::Break);
    ASSERT_FALSE(presenter.engine().isRunning());
    for (const Case& c : cases) {
        helpPlatform.contexts.clear();
        hooks.clear();
        view.closeRequests = 0;
        presenter.actionExecuted(c.action);
        EXPECT_EQ(helpPlatform.contexts, c.help) << static_cast<int>(c.action);
        EXPECT_EQ(hooks, c.hooks) << static_cast<int>(c.action);
        EXPECT_EQ(view.closeRequests, c.closeRequests) << static_cast<int>(c.action);
    }
    helpPlatform.contexts.clear();
    presenter.Edit_OClick();
    EXPECT_EQ(helpPlatform.contexts,
              std::vector<std::int32_t>{4000 + 10 * presenter.engine().perceptionIndex()});
}

TEST_F(MainPresenterTest, ChosenListBeginsOnlyOnceTheMenuHasClosed) {
    presenter.sessionItemChosen(sessionEntryForList(5));
    presenter.sessionItemChosen(sessionEntryForList(7));  // a second choice before the first began
    EXPECT_EQ(view.deferred.size(), 1u);
    EXPECT_FALSE(presenter.engine().isRunning());
    EXPECT_FALSE(view.shown);
    view.runDeferred();
    EXPECT_TRUE(presenter.engine().isRunning());
    EXPECT_TRUE(view.shown);
    EXPECT_EQ(view.header, "Заголовок");
    EXPECT_EQ(view.question, "Вопрос");
    EXPECT_FALSE(view.items["NT10"]);  // the lists are greyed while one runs
    EXPECT_EQ(view.helpContext, 2050);
}

TEST_F(MainPresenterTest, EndOfASessionHidesTheWindowOnlyWhereATrayHoldsIt) {
    for (const bool tray : {true, false}) {
        presenter.trayHoldsWindow = [tray] { return tray; };
        beginList5();
        presenter.actionExecuted(ActionId::Break);
        EXPECT_EQ(view.shown, !tray) << tray;
        EXPECT_TRUE(view.items["NT10"]);
    }
}

TEST_F(MainPresenterTest, CloseQueryDecidesAndAFailureInItKeepsTheProgramRunning) {
    presenter.closeQuery = [] { return false; };
    EXPECT_FALSE(presenter.FormCloseQuery());
    presenter.closeQuery = [] { return true; };
    EXPECT_TRUE(presenter.FormCloseQuery());
    presenter.closeQuery = []() -> bool { throw std::runtime_error("Cannot create file /x.ton"); };
    EXPECT_FALSE(presenter.FormCloseQuery());
    EXPECT_EQ(hooks, std::vector<std::string>{"close"});
    EXPECT_EQ(boxes.errors, std::vector<std::string>{"Cannot create file /x.ton."});
}

TEST_F(MainPresenterTest, OnlyAWindowOnShowIsMinimisedOrRestoredByTheUser) {
    presenter.windowMinimized();
    presenter.minimizeRequested(false);  // already hidden into the tray
    presenter.minimizeRequested(true);
    presenter.windowUnminimized(false);  // a window manager dropping the state of a hidden window
    presenter.windowUnminimized(true);
    EXPECT_EQ(hooks, (std::vector<std::string>{"minimise", "minimise", "restore"}));
}

TEST_F(MainPresenterTest, FailureInAHandlerShowsTheErrorBoxAndTheProgramGoesOn) {
    presenter.onEditTest = [] { throw std::runtime_error("Cannot open file /nowhere/x.ton"); };
    presenter.actionExecuted(ActionId::EditTest);
    presenter.actionExecuted(ActionId::Help);
    EXPECT_EQ(boxes.errors, (std::vector<std::string>{"Cannot open file /nowhere/x.ton."}));
    EXPECT_EQ(helpPlatform.contexts, std::vector<std::int32_t>{1000});
}

TEST(BandSplitterRule, BandStaysBetweenTheMinimumAndWhatLeavesTheQuestionArea) {
    struct Case {
        int requested, minimum, shared, expected;
    };
    for (const Case& c : std::vector<Case>{{57, 24, 300, 57},
                                           {25, 24, 300, 25},
                                           {24, 24, 300, 0},  // reaching the minimum snaps shut
                                           {-5, 24, 300, 0},
                                           {290, 24, 300, 276},
                                           {100, 30, 50, 0}}) {  // no room for both
        EXPECT_EQ(bandHeightWhileDragging(c.requested, c.minimum, c.shared), c.expected)
            << c.requested;
    }
}

}  // namespace
}  // namespace mnemora
