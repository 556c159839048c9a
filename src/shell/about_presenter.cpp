#include "shell/about_presenter.h"

#include "common/message_boxes.h"
#include "core/app_title.h"
#include "sessions/session_engine.h"

namespace mnemora {

void AboutPresenter::FormCreate() {
    view_->setVersionText(SessionEngine::kBaseCaption);
}

void AboutPresenter::Label4MouseMove(AboutLink sender) {
    view_->setLinkLook(sender, true, clBlue);
}

void AboutPresenter::Panel1MouseMove() {
    view_->setLinkLook(AboutLink::Label4, false, clWindowText);
    view_->setLinkLook(AboutLink::Label6, false, clWindowText);
}

void AboutPresenter::Label4Click(AboutLink sender) {
    guarded([&] { view_->openAddress(kMailtoScheme + view_->linkCaption(sender)); });
}

}  // namespace mnemora
