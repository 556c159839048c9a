#pragma once

#include "settings/param_presenter.h"
#include "win32/common/ui.h"

namespace mnemora::win32 {

// The parameters window over the live settings record.
class TFormParam : public Window, public ParamView {
  public:
    explicit TFormParam(ParamPresenter& presenter);
    // Modal; returns when the window has closed (OK or Cancel).
    void ShowModal(HWND owner);

    // ParamView
    void showPaths(const std::string& dataFile, const std::string& reportDir) override;
    void showAppearance(const TFont& font, TColor background) override;
    void showStart(bool on) override;
    void showClickMode(std::optional<int> item) override;
    std::optional<FontDialogResult> runFontDialog(const TFont& start) override;
    std::optional<TColor> runColorDialog(TColor start) override;
    [[nodiscard]] TColor screenColor(TColor color) const override;
    void openAddress(const std::string& url) override;
    void setModalResult(int result) override;
    void closeWithResult(int result) override;

  protected:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    ParamPresenter& presenter_;
    int modalResult_ = 0;
};

}  // namespace mnemora::win32
