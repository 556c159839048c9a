#pragma once

#include "shell/start_presenter.h"
#include "win32/common/ui.h"

namespace mnemora::win32 {

class TFormStart : public Window, public StartView {
  public:
    explicit TFormStart(StartPresenter& presenter);
    // Shows the window without waiting.
    void show();

    // StartView
    [[nodiscard]] bool showAtStartChecked() const override;
    void hideWindow() override;
    [[nodiscard]] ScreenSize screenSize() const override;

  protected:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    StartPresenter& presenter_;
};

}  // namespace mnemora::win32
