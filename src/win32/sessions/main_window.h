#pragma once

#include <memory>

#include "sessions/main_presenter.h"
#include "win32/common/ui.h"

namespace mnemora::win32 {

// The main window: the session's view, its actions and the pop-up menu
// TrayPopup, which the tray icon and a right click on the question open.
class TForm1 : public Window, public MainWindowView {
  public:
    TForm1(SessionSettings& settings, TMyHLPObject& help, RandomGenerator& random);
    ~TForm1() override;

    MainPresenter& presenter() { return *presenter_; }
    // TrayPopup with its top-left corner at the screen point; returns when
    // the menu has closed and its command has run.
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
    std::unique_ptr<MainPresenter> presenter_;
};

}  // namespace mnemora::win32
