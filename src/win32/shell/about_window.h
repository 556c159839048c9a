#pragma once

#include <array>
#include <memory>
#include <optional>

#include "shell/about_presenter.h"
#include "win32/common/ui.h"
#include "win32/common/child_host.h"

namespace mnemora::win32 {

class TFormAbout : public Window, public AboutView {
  public:
    explicit TFormAbout(AboutPresenter& presenter);
    ~TFormAbout() override;
    TFormAbout(const TFormAbout&) = delete;
    TFormAbout& operator=(const TFormAbout&) = delete;
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
    void fitAddressLines();
    bool panelMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // The address label at a point of the panel, if any; `free` tells
    // whether the point is on no label at all.
    [[nodiscard]] std::optional<AboutLink> linkAt(POINT at, bool* free = nullptr) const;
    [[nodiscard]] HWND linkLabel(AboutLink link) const;

    AboutPresenter& presenter_;
    std::unique_ptr<ChildHost> Panel1;
    HWND Label1 = nullptr;
    HWND Label2 = nullptr;
    HWND Label3 = nullptr;
    HWND Label4 = nullptr;
    HWND Label5 = nullptr;
    HWND Label6 = nullptr;
    HWND BitBtn1 = nullptr;
    std::optional<AboutLink> pressed_;
    // Label6, then Label4: each one's text colour.
    std::array<TColor, 2> linkColors_{clWindowText, clWindowText};
    GdiObject underlined_;
};

}  // namespace mnemora::win32
