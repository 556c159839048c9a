#include "settings/param_presenter.h"

#include "common/message_boxes.h"
#include "core/app_title.h"

namespace mnemora {

ParamPresenter::ParamPresenter(ParamView& view, TParamValues& values, RegistryBackend& store,
                               const SettingsEnvironment& env, TMyHLPObject& help)
    : ParamPresenter(values, store, env, help) {
    attach(view);
}

ParamPresenter::ParamPresenter(TParamValues& values, RegistryBackend& store, const SettingsEnvironment& env,
                               TMyHLPObject& help)
    : values_(values), store_(store), env_(env), help_(help) {}

void ParamPresenter::FormShow() {
    showPaths();
    showAppearance();
    // A stored mode that is neither item (-1: no click restores) selects none.
    const int mode = values_.Click;
    view_->showClickMode(mode == 0 || mode == 1 ? std::optional<int>(mode) : std::nullopt);
}

void ParamPresenter::showAppearance() {
    view_->showAppearance(values_.Font, values_.Color);
    view_->showStart(values_.Start);
}

void ParamPresenter::showPaths() {
    view_->showPaths(values_.DataFile, values_.ReportDir);
}

void ParamPresenter::Button4Click() {
    guarded([this] {
        if (const auto chosen = view_->runFontDialog(values_.Font)) {
            TakeFontDialogResult(values_.Font, *chosen);
            showAppearance();
        }
    });
}

void ParamPresenter::Button5Click() {
    guarded([this] {
        // The dialog knows plain colours only: a system colour goes in as it looks now.
        if (const auto chosen = view_->runColorDialog(view_->screenColor(values_.Color))) {
            values_.Color = rgbColor(redOf(*chosen), greenOf(*chosen), blueOf(*chosen));
            showAppearance();
        }
    });
}

void ParamPresenter::Button6Click() {
    guarded([this] {
        SetDefaultAppearance(values_);
        showAppearance();
    });
}

void ParamPresenter::Button3Click() {
    guarded([this] {
        SetDefaultPaths(values_, env_);
        showPaths();
    });
}

void ParamPresenter::PanelColorClick() {
    guarded([this] { view_->openAddress(std::string(kMailtoScheme) + kSubscribeAddress); });
}

void ParamPresenter::BitBtn1Click() {
    // The result is OK before the store is touched, so a refused write still
    // closes the window with OK once its error has been shown.
    view_->setModalResult(mrOk);
    guarded([this] { SaveSettings(values_, store_); });
    view_->closeWithResult(mrOk);
}

void ParamPresenter::BitBtn3Click() {
    guarded([this] { help_.HelpContext(kWindowHelpContext); });
}

void ParamPresenter::closed() {
    if (onClosed) {
        guarded(onClosed);
    }
}

}  // namespace mnemora
