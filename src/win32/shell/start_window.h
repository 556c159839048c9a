#pragma once

#include "shell/start_presenter.h"
#include "win32/common/ui.h"

namespace mnemora::win32 {

// The start window: the picture, the general help, "Продолжить" and the
// check box that keeps it coming at start-up.
class TFormStart : public Window, public StartView {
  public:
    explicit TFormStart(StartPresenter& presenter);
    // Shows the window without waiting.
    void show();

    // StartView
    [[nodiscard]] bool showAtStartChecked() const override;
    void hideWindow() override;
    [[nodiscard]] ScreenSize screenSize() const override;

    static constexpr int kSpeedButton1 = 101;  // "Продолжить"
    static constexpr int kSpeedButton2 = 102;  // "Как работать с программой"
    static constexpr int kCheckBox1 = 103;

  protected:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    void paintPicture(HDC dc) const;

    StartPresenter& presenter_;
    GdiObject picture_;
    GdiObject black_;
    HWND CheckBox1 = nullptr;
};

}  // namespace mnemora::win32
