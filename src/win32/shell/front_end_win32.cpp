#include "win32/shell/front_end_win32.h"

#include "win32/shell/tray_win32.h"

namespace mnemora::win32 {

Win32FrontEnd::Win32FrontEnd() = default;
// The tray goes first, while the main window it names is still there.
Win32FrontEnd::~Win32FrontEnd() { trayShell_.reset(); }

MainPresenter& Win32FrontEnd::createMainWindow(SessionSettings& settings, TMyHLPObject& help, RandomGenerator& random) {
    form1_ = std::make_unique<TForm1>(settings, help, random);
    return form1_->presenter();
}

ParamPresenter& Win32FrontEnd::createParamWindow(TParamValues& values, RegistryBackend& store,
                                                 const SettingsEnvironment& env, TMyHLPObject& help) {
    paramPresenter_ = std::make_unique<ParamPresenter>(values, store, env, help);
    return *paramPresenter_;
}

AboutPresenter& Win32FrontEnd::createAboutWindow() { return aboutPresenter_; }

StartPresenter& Win32FrontEnd::createStartWindow(TParamValues& values, RegistryBackend& store, TMyHLPObject& help) {
    startPresenter_ = std::make_unique<StartPresenter>(values, store, help);
    return *startPresenter_;
}

ChartController& Win32FrontEnd::createChartWindow(TMyHLPObject& help) {
    chartController_ = std::make_unique<ChartController>();
    formEditTest_ = std::make_unique<TFormEditTest>(*chartController_, help);
    return *chartController_;
}

TrayShell& Win32FrontEnd::createTrayShell() {
    trayShell_ = std::make_unique<Win32TrayShell>(*form1_);
    return *trayShell_;
}

void Win32FrontEnd::attachTray(TrayController& tray) { trayShell_->attach(tray); }

void Win32FrontEnd::showParamWindow() {
    if (!formParam_) {
        formParam_ = std::make_unique<TFormParam>(*paramPresenter_);
    }
    formParam_->ShowModal(form1_->hwnd());
}

void Win32FrontEnd::showAboutWindow() {
    if (!formAbout_) {
        formAbout_ = std::make_unique<TFormAbout>(aboutPresenter_);
    }
    formAbout_->ShowModal(form1_->hwnd());
}

void Win32FrontEnd::showChartWindow() { formEditTest_->showChart(); }

void Win32FrontEnd::showStartWindow() {
    if (!formStart_) {
        formStart_ = std::make_unique<TFormStart>(*startPresenter_);
    }
    formStart_->show();
}

void Win32FrontEnd::popupTrayMenu(MenuPoint at) { form1_->popupTrayMenu(POINT{at.x, at.y}); }

// The loop ends once the handler running now has returned; exit code 0.
void Win32FrontEnd::quit() { PostQuitMessage(0); }

void Win32FrontEnd::closeTray() {
    if (trayShell_) {
        trayShell_->close();
    }
}

}  // namespace mnemora::win32
