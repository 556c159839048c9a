#pragma once

#include <array>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "sessions/main_presenter.h"
#include "win32/common/ui.h"
#include "win32/sessions/main_controls.h"

namespace mnemora::win32 {

// The main window: the session's view, its actions and the pop-up menu
// TrayPopup, which the tray icon and a right click on the question open.
class TForm1 : public Window, public MainWindowView {
  public:
    TForm1(SessionSettings& settings, TMyHLPObject& help, RandomGenerator& random);
    ~TForm1() override;

    MainPresenter& presenter() { return *presenter_; }
    // TrayPopup with its top-left corner at the screen point; returns when
    // the menu has closed. The chosen item's command runs afterwards, from
    // the message queue.
    void popupTrayMenu(POINT at);

    // MainWindowView
    void setHeaderText(const std::string& text) override;
    void setQuestionText(const std::string& text) override;
    [[nodiscard]] std::string questionText() const override;
    void setPerceptionText(const std::string& text) override;
    void setWindowCaption(const std::string& text) override;
    void setWindowHelpContext(int context) override;
    void showWindow() override;
    void hideWindow() override;
    void setActionEnabled(ActionId action, bool enabled) override;
    void setMenuItemEnabled(std::string_view name, bool enabled) override;
    void closeWindow() override;
    void defer(std::function<void()> command) override;
    void applyQuestionAppearance(const TFont& font, TColor background) override;

  protected:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    void createControls();
    void layout();
    void dragBand(HWND band, int& height, int minimum96, int requested);
    [[nodiscard]] bool entryEnabled(std::size_t entry) const;
    void command(UINT id);
    void menuSelect(UINT item, UINT flags, HMENU menu);
    void menuHelp(const HELPINFO& info);
    void keepFocusOnAnEnabledControl();

    TMyHLPObject& help_;
    std::unique_ptr<MainPresenter> presenter_;

    std::unique_ptr<Panel> Panel_Quest;
    std::unique_ptr<Label> Label1;
    std::unique_ptr<Label> Label_O;
    std::unique_ptr<Label> Label_Quest;
    std::unique_ptr<Splitter> Splitter2;
    std::unique_ptr<Label> Label_Text;
    std::unique_ptr<Splitter> Splitter1;
    std::unique_ptr<Panel> Panel_Button;
    std::array<HWND, 4> buttons_{};  // Button_Last, Button_Next, Button_Break, Button1

    GdiObject perceptionFont_;
    GdiObject questionFont_;
    // Device pixels; 0 when a band was dragged shut.
    int questHeight_ = 0;
    int buttonHeight_ = 0;

    std::array<bool, 9> actionEnabled_{};
    std::vector<bool> itemEnabled_;           // catalogue items without an action of their own
    std::optional<std::size_t> highlighted_;  // in the open menu
    bool menuOpen_ = false;
    bool menuItemHelpSeen_ = false;  // the open menu has named an item for F1
    bool minimized_ = false;
    HWND lastFocus_ = nullptr;
    std::deque<std::function<void()>> deferred_;
};

}  // namespace mnemora::win32
