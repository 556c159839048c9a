#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "common/help_hook.h"
#include "core/random.h"
#include "sessions/session_engine.h"
#include "sessions/tray_catalogue.h"
#include "settings/settings.h"

namespace mnemora {

// What the main window's presenter needs of a front end's window.
class MainWindowView {
  public:
    virtual ~MainWindowView() = default;
    virtual void setHeaderText(const std::string& text) = 0;
    virtual void setQuestionText(const std::string& text) = 0;
    [[nodiscard]] virtual std::string questionText() const = 0;
    virtual void setPerceptionText(const std::string& text) = 0;
    virtual void setWindowCaption(const std::string& text) = 0;
    virtual void setWindowHelpContext(int context) = 0;
    // Visible, not minimised, in front.
    virtual void showWindow() = 0;
    virtual void hideWindow() = 0;
    // The action, and the buttons and menu items that follow it.
    virtual void setActionEnabled(ActionId action, bool enabled) = 0;
    // A menu item of the catalogue that has no action of its own.
    virtual void setMenuItemEnabled(std::string_view name, bool enabled) = 0;
    // Asks the window to close: the close query decides, as for the close box.
    virtual void closeWindow() = 0;
    // Runs the command once the event being handled (a menu's own loop
    // included) has finished, as a posted command message would.
    virtual void defer(std::function<void()> command) = 0;
    virtual void applyQuestionAppearance(const TFont& font, TColor background) = 0;
};

// The main window's rules: the session engine bound to the window, which
// help topic each action asks for, when a session begins, closing,
// minimising and restoring. The shell sets the hooks.
class MainPresenter : public SessionView, public AppearanceTarget {
  public:
    MainPresenter(MainWindowView& view, SessionSettings& settings, TMyHLPObject& help,
                  RandomGenerator& random);
    ~MainPresenter() override;
    MainPresenter(const MainPresenter&) = delete;
    MainPresenter& operator=(const MainPresenter&) = delete;

    SessionEngine& engine() { return *engine_; }

    // What the other windows and the shell do; set by the start-up code.
    std::function<void()> onParams, onAbout, onEditTest;
    std::function<bool()> closeQuery;   // the chart window's say on closing
    std::function<void()> onFormClose;  // the tray icon goes, the program ends
    std::function<void()> onMinimized, onRestored;
    std::function<void()> onTrayEnabled;
    // Whether a tray icon is there to bring the window back; without one the
    // end of a session leaves the window on screen instead of hiding it.
    std::function<bool()> trayHoldsWindow;

    // Events of the window. Each reports its own failure in the error box.
    void actionExecuted(ActionId action);
    void Edit_OClick();
    // A list item of the tray menu (its catalogue entry) was chosen.
    void sessionItemChosen(std::size_t entry);
    // The close box, Alt+F4 or ActionExit: true when the window may close,
    // and then the program ends.
    bool FormCloseQuery();
    // The window became minimised: the whole application goes into the tray.
    void windowMinimized();
    // The platform asked the window to minimise but never reports the state
    // back (Wayland); only a window still on show counts.
    void minimizeRequested(bool shown);
    // The window left the minimised state. Only a window still on show can
    // be restored by the user: some window managers drop the minimised state
    // of a window the program has hidden into the tray, which is no restore.
    void windowUnminimized(bool shown);

    // SessionView
    void setHeaderText(const std::string& text) override { view_.setHeaderText(text); }
    void setQuestionText(const std::string& text) override { view_.setQuestionText(text); }
    [[nodiscard]] std::string questionText() const override { return view_.questionText(); }
    void setPerceptionText(const std::string& text) override { view_.setPerceptionText(text); }
    void setWindowCaption(const std::string& text) override { view_.setWindowCaption(text); }
    void setWindowHelpContext(int context) override { view_.setWindowHelpContext(context); }
    void showWindow() override { view_.showWindow(); }
    void hideWindow() override;
    void setActionNextEnabled(bool on) override { view_.setActionEnabled(ActionId::Next, on); }
    void setActionPriorEnabled(bool on) override { view_.setActionEnabled(ActionId::Prior, on); }
    void setActionBreakEnabled(bool on) override { view_.setActionEnabled(ActionId::Break, on); }
    void setActionHelpContextEnabled(bool on) override {
        view_.setActionEnabled(ActionId::HelpContext, on);
    }
    void setNT10Enabled(bool on) override { view_.setMenuItemEnabled("NT10", on); }
    void informationBox(const std::string& text) override;
    Answer errorQuestion(const std::string& text, int helpContext) override;

    // AppearanceTarget
    void applyQuestionAppearance(const TFont& font, TColor background) override {
        view_.applyQuestionAppearance(font, background);
    }
    void setTrayEnabled() override;

  private:
    static void run(const std::function<void()>& hook);

    MainWindowView& view_;
    TMyHLPObject& help_;
    std::unique_ptr<SessionEngine> engine_;
    // A list chosen and not yet begun: further choices until it begins are
    // dropped, so a burst of choices (from a panel's exported menu, say)
    // cannot queue one start, and one box, per choice.
    bool startPending_ = false;
};

}  // namespace mnemora
