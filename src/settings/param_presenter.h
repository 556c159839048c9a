#pragma once

#include <functional>
#include <optional>
#include <string>

#include "common/help_hook.h"
#include "core/color.h"
#include "core/font.h"
#include "settings/param_choice.h"
#include "settings/param_values.h"
#include "settings/registry.h"
#include "settings/settings.h"

namespace mnemora {

// What the parameters presenter needs of a front end's window.
class ParamView {
  public:
    virtual ~ParamView() = default;
    // Showing a value writes nothing back into the record.
    virtual void showPaths(const std::string& dataFile, const std::string& reportDir) = 0;
    virtual void showAppearance(const TFont& font, TColor background) = 0;
    virtual void showStart(bool on) = 0;
    // The radio item to select (0 or 1), or none selected.
    virtual void showClickMode(std::optional<int> item) = 0;
    // The platform's font dialog, started from the font; nullopt: cancelled.
    virtual std::optional<FontDialogResult> runFontDialog(const TFont& start) = 0;
    // The platform's colour dialog, started from a plain colour; nullopt: cancelled.
    virtual std::optional<TColor> runColorDialog(TColor start) = 0;
    // A colour as the screen shows it now: system colours become plain ones.
    [[nodiscard]] virtual TColor screenColor(TColor color) const = 0;
    // Hands an address to the desktop; whether anything answers is not asked.
    virtual void openAddress(const std::string& url) = 0;
    // The result the window closes with, set before the window closes.
    virtual void setModalResult(int result) = 0;
    virtual void closeWithResult(int result) = 0;
};

// The parameters window's rules: a view over the live settings record.
// Every edit goes straight into the record; only OK writes the store, and
// nothing is undone on Cancel.
class ParamPresenter {
  public:
    static constexpr int mrOk = 1;
    static constexpr int mrCancel = 2;

    ParamPresenter(ParamView& view, TParamValues& values, RegistryBackend& store,
                   const SettingsEnvironment& env, TMyHLPObject& help);
    // Without a window yet; every event comes from the window, attached first.
    ParamPresenter(TParamValues& values, RegistryBackend& store, const SettingsEnvironment& env, TMyHLPObject& help);
    void attach(ParamView& view) { view_ = &view; }

    // Runs each time the window closes, OK or Cancel, after the store was
    // written: the place to apply the appearance to the main window.
    std::function<void()> onClosed;

    // Each time the window is shown: the controls show the record as it is now.
    void FormShow();
    // The user's own edits; the program's showing of values never calls these.
    void dataFileEdited(const std::string& text) { values_.DataFile = text; }
    void reportDirEdited(const std::string& text) { values_.ReportDir = text; }
    void startClicked(bool on) { values_.Start = on; }
    void clickModeChosen(int mode) { values_.Click = mode; }

    void Button4Click();
    void Button5Click();
    void Button6Click();
    void Button3Click();
    void PanelColorClick();
    void BitBtn1Click();
    void BitBtn3Click();
    // The window has closed with its result, by whatever way.
    void closed();

  private:
    void showAppearance();
    void showPaths();

    ParamView* view_ = nullptr;
    TParamValues& values_;
    RegistryBackend& store_;
    const SettingsEnvironment& env_;
    TMyHLPObject& help_;
};

}  // namespace mnemora
