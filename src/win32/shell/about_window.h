#pragma once

#include "shell/about_presenter.h"
#include "win32/common/ui.h"

namespace mnemora::win32 {

class TFormAbout : public Window, public AboutView {
  public:
    explicit TFormAbout(AboutPresenter& presenter);
    // Modal; returns when the window has closed.
    void ShowModal(HWND owner);

    // AboutView
    void setVersionText(const std::string& text) override;
    [[nodiscard]] std::string linkCaption(AboutLink link) const override;
    void setLinkLook(AboutLink link, bool underline, TColor color) override;
    void openAddress(const std::string& url) override;

  protected:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    AboutPresenter& presenter_;
};

}  // namespace mnemora::win32
