#pragma once

#include <array>
#include <memory>

#include "settings/param_presenter.h"
#include "win32/common/ui.h"
#include "win32/common/child_host.h"

namespace mnemora::win32 {

// The parameters window over the live settings record.
class TFormParam : public Window, public ParamView {
  public:
    explicit TFormParam(ParamPresenter& presenter);
    ~TFormParam() override;
    TFormParam(const TFormParam&) = delete;
    TFormParam& operator=(const TFormParam&) = delete;
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
    void createPages();
    void createGeneralPage(HWND page);
    void createLocationPage(HWND page);
    void showPage(int index);
    void command(int id, int code);
    void paintPanelColor();
    [[nodiscard]] int defaultButtonId() const;

    ParamPresenter& presenter_;
    int modalResult_ = 0;
    // Set while the program itself puts values into the controls, so that
    // only the user's own edits reach the record.
    bool showing_ = false;

    HWND PageControl1 = nullptr;
    std::array<std::unique_ptr<ChildHost>, 2> pages_;  // TabSheet1, TabSheet2
    std::unique_ptr<ChildHost> PanelColor;
    HWND CheckBox_Start = nullptr;
    std::array<HWND, 2> clickItems_{};  // RadioGroup_Clicks
    HWND Edit_DirFiles = nullptr;
    HWND Edit_DirReport = nullptr;
    HWND focus_ = nullptr;  // the control to give the focus back to

    TFont panelFont_;
    TColor panelColor_ = clBlack;
    GdiObject panelGdiFont_;
    // The colour dialog's own sixteen colours, kept for the run.
    std::array<COLORREF, 16> customColors_{};
};

}  // namespace mnemora::win32
