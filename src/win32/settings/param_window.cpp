#include "win32/settings/param_window.h"

namespace mnemora::win32 {

// Placeholder until the window is laid out.
TFormParam::TFormParam(ParamPresenter& presenter) : presenter_(presenter) {
    presenter_.attach(*this);
    create(L"MnemoraParam", WS_CAPTION | WS_SYSMENU, WS_EX_DLGMODALFRAME, "Параметры", 400, 300);
}

void TFormParam::ShowModal(HWND owner) {
    presenter_.FormShow();
    runModal(hwnd(), owner);
    presenter_.closed();
}

void TFormParam::showPaths(const std::string& /*dataFile*/, const std::string& /*reportDir*/) {}
void TFormParam::showAppearance(const TFont& /*font*/, TColor /*background*/) {}
void TFormParam::showStart(bool /*on*/) {}
void TFormParam::showClickMode(std::optional<int> /*item*/) {}
std::optional<FontDialogResult> TFormParam::runFontDialog(const TFont& /*start*/) { return std::nullopt; }
std::optional<TColor> TFormParam::runColorDialog(TColor /*start*/) { return std::nullopt; }
TColor TFormParam::screenColor(TColor color) const { return colorRef(color); }
void TFormParam::openAddress(const std::string& /*url*/) {}
void TFormParam::setModalResult(int result) { modalResult_ = result; }
void TFormParam::closeWithResult(int result) {
    modalResult_ = result;
    ShowWindow(hwnd(), SW_HIDE);
}

LRESULT TFormParam::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        closeWithResult(ParamPresenter::mrCancel);
        return 0;
    }
    return defaultProc(message, wParam, lParam);
}

}  // namespace mnemora::win32
