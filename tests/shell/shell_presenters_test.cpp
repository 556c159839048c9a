#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "recording_boxes.h"
#include "settings/memory_store.h"
#include "settings_fakes.h"
#include "shell/app_controller.h"
#include "shell/start_presenter.h"

namespace mnemora {
namespace {

using Log = std::vector<std::string>;

// --- Start window -----------------------------------------------------------------

class FakeStartView : public StartView {
  public:
    explicit FakeStartView(Log& log) : log_(log) {}
    bool showAtStartChecked() const override { return checked; }
    void hideWindow() override { log_.push_back("hide start"); }
    ScreenSize screenSize() const override { return screen; }
    bool checked = true;
    ScreenSize screen{1024, 768};

  private:
    Log& log_;
};

class StartPresenterTest : public ::testing::Test {
  protected:
    StartPresenterTest() {
        presenter.popupTrayMenu = [this](MenuPoint at) {
            log.push_back("menu " + std::to_string(at.x) + "," + std::to_string(at.y));
        };
    }
    std::size_t stored() const { return store.valueNames(kSettingsKey.substr(1)).size(); }

    Log log;
    test::RecordingBoxes boxes;
    test::RecordingHelp helpPlatform;
    TMyHLPObject help{helpPlatform};
    MemoryRegistryStore store;
    TParamValues values;
    FakeStartView view{log};
    StartPresenter presenter{view, values, store, help};
};

TEST_F(StartPresenterTest, RefusedWriteStopsTheClickButAStoreThatCannotOpenDoesNot) {
    store.refuseAllWrites();
    presenter.Button1Click();
    EXPECT_EQ(boxes.errors, std::vector<std::string>{"Failed to set data for 'DataFile'"});
    EXPECT_TRUE(log.empty());  // the window stays, no menu

    store.refuseAllWrites(false);
    store.failOpen();
    presenter.Button1Click();
    EXPECT_EQ(boxes.errors.size(), 1u);
    EXPECT_EQ(log, (Log{"hide start", "menu 482,354"}));
}

TEST(StartMenuPosition, CentreIsRoundedHalfToEvenThenMovedUpAndLeft) {
    struct Case {
        int width, height;
        MenuPoint at;
    };
    for (const Case& c : std::vector<Case>{{1024, 768, {482, 354}},
                                           {1025, 768, {482, 354}},  // 512.5 goes to 512
                                           {1027, 768, {484, 354}},  // 513.5 goes to 514
                                           {1024, 769, {482, 354}},
                                           {1024, 771, {482, 356}}}) {
        EXPECT_EQ(startMenuPosition(c.width, c.height), c.at) << c.width << "x" << c.height;
    }
}

// --- Start-up over a whole fake front end -----------------------------------------

class LoggingMainView : public MainWindowView {
  public:
    explicit LoggingMainView(Log& log) : log_(log) {}
    void setHeaderText(const std::string&) override {}
    void setQuestionText(const std::string&) override {}
    std::string questionText() const override { return {}; }
    void setPerceptionText(const std::string&) override {}
    void setWindowCaption(const std::string& t) override { caption = t; }
    void setWindowHelpContext(int) override {}
    void showWindow() override { log_.push_back("show main"); }
    void hideWindow() override { log_.push_back("hide main"); }
    void setActionEnabled(ActionId, bool) override {}
    void setMenuItemEnabled(std::string_view, bool) override {}
    void closeWindow() override {}
    void defer(std::function<void()> command) override { command(); }
    void applyQuestionAppearance(const TFont&, TColor) override { log_.push_back("appearance"); }
    std::string caption;

  private:
    Log& log_;
};

class NullParamView : public ParamView {
  public:
    void showPaths(const std::string&, const std::string&) override {}
    void showAppearance(const TFont&, TColor) override {}
    void showStart(bool) override {}
    void showClickMode(std::optional<int>) override {}
    std::optional<FontDialogResult> runFontDialog(const TFont&) override { return std::nullopt; }
    std::optional<TColor> runColorDialog(TColor) override { return std::nullopt; }
    TColor screenColor(TColor c) const override { return c; }
    void openAddress(const std::string&) override {}
    void setModalResult(int) override {}
    void closeWithResult(int) override {}
};

class NullAboutView : public AboutView {
  public:
    void setVersionText(const std::string&) override {}
    std::string linkCaption(AboutLink) const override { return {}; }
    void setLinkLook(AboutLink, bool, TColor) override {}
    void openAddress(const std::string&) override {}
};

// Answers its open dialog with "cancel", noting the folder it was to start in.
class LoggingChartView : public ChartView {
  public:
    explicit LoggingChartView(Log& log) : log_(log) {}
    void setCaption(const std::string&) override {}
    void setCornerColor(TColor) override {}
    void setActionEnabled(ChartAction, bool) override {}
    void setNoteEnabled(bool) override {}
    void setNoteText(const std::string&) override {}
    void setDateText(const std::string&) override {}
    void cellsChanged(const TToneChart&) override {}
    ChartAnswer askQuestion(std::string_view) override { return answer; }
    void showMessage(std::string_view) override {}
    std::optional<std::string> runOpenDialog(const ChartDialog& d) override {
        log_.push_back("open dialog in " + d.initialDir);
        return std::nullopt;
    }
    std::optional<std::string> runSaveDialog(const ChartDialog&) override { return std::nullopt; }
    void requestHelp(int) override {}
    void hideWindow() override {}
    ChartAnswer answer = ChartAnswer::Cancel;

  private:
    Log& log_;
};

class LoggingTrayShell : public TrayShell {
  public:
    explicit LoggingTrayShell(Log& log) : log_(log) {}
    bool notifyIcon(std::uint32_t message, const IconData& data) override {
        log_.push_back((message == kNotifyIconAdd ? "tray add " : "tray remove ") + iconTipText(data));
        return true;
    }
    ScreenPoint cursorPos() const override { return {}; }
    void setForegroundApplicationWindow() override {}
    void setForegroundMainWindow() override {}
    void hideApplicationWindow() override {}
    std::uint32_t mainWindowHandle() override { return 7; }
    std::uint32_t applicationIconHandle() const override { return 1; }
    std::uint32_t loadStandardIcon(std::uint32_t id) const override { return id; }
    std::string mainWindowCaption() const override { return main != nullptr ? main->caption : ""; }
    void processMessages() override {}
    void popupMenu(ScreenPoint) override {}
    void showMainWindow() override { log_.push_back("show main"); }
    void hideMainWindow() override { log_.push_back("hide main"); }
    const LoggingMainView* main = nullptr;

  private:
    Log& log_;
};

class FakeFrontEnd : public FrontEnd {
  public:
    MainPresenter& createMainWindow(SessionSettings& s, TMyHLPObject& h,
                                    RandomGenerator& r) override {
        log.push_back("main window");
        mainPresenter = std::make_unique<MainPresenter>(mainView, s, h, r);
        return *mainPresenter;
    }
    ParamPresenter& createParamWindow(TParamValues& v, RegistryBackend& st,
                                      const SettingsEnvironment& e, TMyHLPObject& h) override {
        log.push_back("parameters window");
        param = std::make_unique<ParamPresenter>(paramView, v, st, e, h);
        return *param;
    }
    AboutPresenter& createAboutWindow() override {
        log.push_back("about window");
        about = std::make_unique<AboutPresenter>(aboutView);
        return *about;
    }
    StartPresenter& createStartWindow(TParamValues& v, RegistryBackend& st,
                                      TMyHLPObject& h) override {
        log.push_back("start window");
        start = std::make_unique<StartPresenter>(startView, v, st, h);
        return *start;
    }
    ChartController& createChartWindow(TMyHLPObject&) override {
        log.push_back("chart window");
        chart = std::make_unique<ChartController>(chartView);
        return *chart;
    }
    TrayShell& createTrayShell() override {
        shell.main = &mainView;
        return shell;
    }
    void attachTray(TrayController&) override { log.push_back("tray attached"); }
    void showParamWindow() override { log.push_back("parameters shown"); }
    void showAboutWindow() override { log.push_back("about shown"); }
    void showChartWindow() override { log.push_back("chart shown"); }
    void showStartWindow() override { log.push_back("start shown"); }
    void popupTrayMenu(MenuPoint) override { log.push_back("menu"); }
    void quit() override { log.push_back("quit"); }

    Log log;
    LoggingMainView mainView{log};
    NullParamView paramView;
    NullAboutView aboutView;
    FakeStartView startView{log};
    LoggingChartView chartView{log};
    LoggingTrayShell shell{log};
    std::unique_ptr<MainPresenter> mainPresenter;
    std::unique_ptr<ParamPresenter> param;
    std::unique_ptr<AboutPresenter> about;
    std::unique_ptr<StartPresenter> start;
    std::unique_ptr<ChartController> chart;
};

class StartUpTest : public ::testing::Test {
  protected:
    void storeStart(bool start) {
        TParamValues v;
        v.Start = start;
        v.ReportDir = "/home/anna/charts";
        v.Click = 1;
        SaveSettings(v, store);
    }

    test::RecordingBoxes boxes;
    test::RecordingHelp helpPlatform;
    TMyHLPObject help{helpPlatform};
    test::FixedEnvironment env{"/home/anna"};
    MemoryRegistryStore store;
    FakeFrontEnd front;
};

TEST_F(StartUpTest, WindowsThenSettingsThenTheTrayThenTheStartWindow) {
    storeStart(true);
    ApplicationController app(front, store, env, help);
    EXPECT_EQ(front.log, (Log{"main window", "parameters window", "about window", "start window",
                              "chart window", "tray attached", "appearance",
                              "tray add Мнемора (Версия 1.01) ", "hide main", "start shown"}));
    EXPECT_EQ(app.values().Click, 1);
    EXPECT_FALSE(app.application().minimized());  // going into the tray is no minimise

    // The chart's dialogs start in the report folder loaded at start-up.
    front.log.clear();
    app.chartWindow().ActionOpenFileExecute();
    EXPECT_EQ(front.log, Log{"open dialog in /home/anna/charts"});
}

TEST_F(StartUpTest, PresentersReachEachOtherThroughTheController) {
    storeStart(false);
    ApplicationController app(front, store, env, help);
    ASSERT_EQ(front.log.back(), "hide main");  // no start window
    front.log.clear();

    MainPresenter& main = app.mainWindow();
    main.actionExecuted(ActionId::Params);
    front.param->closed();  // OK or Cancel alike: the appearance again
    main.actionExecuted(ActionId::About);
    main.actionExecuted(ActionId::EditTest);
    front.start->Button1Click();
    EXPECT_EQ(front.log, (Log{"parameters shown", "appearance", "about shown", "chart shown",
                              "hide start", "menu"}));

    // Minimise and a double click (the stored mode) bring the window back.
    front.log.clear();
    main.windowMinimized();
    EXPECT_TRUE(app.application().minimized());
    app.tray().WMTrayNotify(kLeftButtonUp);
    EXPECT_TRUE(app.application().minimized());
    app.tray().WMTrayNotify(kLeftButtonDoubleClick);
    EXPECT_FALSE(app.application().minimized());
    EXPECT_EQ(front.log, (Log{"hide main", "show main"}));

    // A modified chart whose question is cancelled keeps the program running.
    front.log.clear();
    app.chartWindow().ActionNewExecute();
    app.chartWindow().PanelMouseUp(ChartPanel::inputCell(3));
    EXPECT_FALSE(main.FormCloseQuery());
    front.chartView.answer = ChartAnswer::No;
    EXPECT_TRUE(main.FormCloseQuery());
    EXPECT_EQ(front.log, (Log{"tray remove Мнемора (Версия 1.01) ", "quit"}));
}

}  // namespace
}  // namespace mnemora
