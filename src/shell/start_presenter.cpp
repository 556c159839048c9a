#include "shell/start_presenter.h"

#include "common/message_boxes.h"
#include "settings/settings.h"

namespace mnemora {

namespace {

// Half of a screen side, a half rounded to the even neighbour.
int halfToEven(int side) {
    const int half = side / 2;
    return side % 2 == 0 || half % 2 == 0 ? half : half + 1;
}

}  // namespace

MenuPoint startMenuPosition(int screenWidth, int screenHeight) {
    return {halfToEven(screenWidth) - 30, halfToEven(screenHeight) - 30};
}

void StartPresenter::Button1Click() {
    guarded([this] {
        values_.Start = view_->showAtStartChecked();
        SaveSettings(values_, store_);
        view_->hideWindow();
        const ScreenSize screen = view_->screenSize();
        if (popupTrayMenu) {
            popupTrayMenu(startMenuPosition(screen.width, screen.height));
        }
    });
}

void StartPresenter::SpeedButton2Click() {
    guarded([this] { help_.HelpContext(kGeneralHelpContext); });
}

}  // namespace mnemora
