#pragma once

#include <functional>

#include "common/help_hook.h"
#include "settings/param_values.h"
#include "settings/registry.h"

namespace mnemora {

struct MenuPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const MenuPoint&, const MenuPoint&) = default;
};

// Where "Продолжить" opens the tray menu: 30 pixels left of and above the
// screen's centre, the centre rounded half to even.
MenuPoint startMenuPosition(int screenWidth, int screenHeight);

struct ScreenSize {
    int width = 0;
    int height = 0;
};

// What the start window's presenter needs of a front end's window.
class StartView {
  public:
    virtual ~StartView() = default;
    [[nodiscard]] virtual bool showAtStartChecked() const = 0;
    virtual void hideWindow() = 0;
    // The primary screen in pixels.
    [[nodiscard]] virtual ScreenSize screenSize() const = 0;
};

// The start window's rules. Closing the window by its close box is no
// event here: it only hides the window and stores nothing.
class StartPresenter {
  public:
    StartPresenter(StartView& view, TParamValues& values, RegistryBackend& store, TMyHLPObject& help)
        : view_(&view), values_(values), store_(store), help_(help) {}
    // Without a window yet; every event comes from the window, attached first.
    StartPresenter(TParamValues& values, RegistryBackend& store, TMyHLPObject& help)
        : values_(values), store_(store), help_(help) {}
    void attach(StartView& view) { view_ = &view; }

    // Opens the tray menu with its top-left corner there and returns when it
    // has closed. Set by the start-up code.
    std::function<void(MenuPoint at)> popupTrayMenu;

    // "Продолжить": the start flag and every other setting stored, the window
    // gone, then the tray menu. A refused write stops the click where it failed.
    void Button1Click();
    // "Как работать с программой".
    void SpeedButton2Click();

  private:
    StartView* view_ = nullptr;
    TParamValues& values_;
    RegistryBackend& store_;
    TMyHLPObject& help_;
};

}  // namespace mnemora
