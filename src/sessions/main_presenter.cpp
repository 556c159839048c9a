#include "sessions/main_presenter.h"

namespace mnemora {

MainPresenter::MainPresenter(MainWindowView& view, SessionSettings& settings, TMyHLPObject& help,
                             RandomGenerator& random)
    : view_(view), help_(help) {
    for (const ActionInfo& info : mainActions()) {
        view_.setActionEnabled(info.id, info.enabledAtStart);
    }
    // FormCreate: the engine sets the base caption and owns the perception list.
    engine_ = std::make_unique<SessionEngine>(*this, settings, random);
    view_.setWindowHelpContext(kWindowHelpContext);
}

MainPresenter::~MainPresenter() = default;

void MainPresenter::run(const std::function<void()>& hook) {
    if (hook) {
        guarded(hook);
    }
}

void MainPresenter::actionExecuted(ActionId action) {
    guarded([&] {
        switch (action) {
            case ActionId::Next:
                engine_->ShowQuestion(+1);
                break;
            case ActionId::Prior:
                engine_->ShowQuestion(-1);
                break;
            case ActionId::Break:
                engine_->EndSession();
                break;
            case ActionId::Exit:
                view_.closeWindow();
                break;
            case ActionId::Help:
                help_.HelpContext(kGeneralHelpContext);
                break;
            case ActionId::HelpContext:
                help_.HelpContext(engine_->listHelpContext());
                break;
            case ActionId::Params:
                run(onParams);
                break;
            case ActionId::About:
                run(onAbout);
                break;
            case ActionId::EditTest:
                run(onEditTest);
                break;
        }
    });
}

void MainPresenter::Edit_OClick() {
    guarded([this] { help_.HelpContext(engine_->PerceptionHelpContext()); });
}

void MainPresenter::sessionItemChosen(std::size_t entry) {
    // The list begins after the menu has closed, as a posted command does.
    if (startPending_) {
        return;
    }
    startPending_ = true;
    view_.defer([this, entry] {
        startPending_ = false;
        guarded([this, entry] { engine_->ClickSession(sessionItemData(entry)); });
    });
}

bool MainPresenter::FormCloseQuery() {
    // A save that fails inside the query keeps the program running.
    bool allowed = false;
    guarded([&] { allowed = !closeQuery || closeQuery(); });
    if (allowed) {
        run(onFormClose);
    }
    return allowed;
}

void MainPresenter::windowMinimized() {
    run(onMinimized);
}

void MainPresenter::minimizeRequested(bool shown) {
    if (shown) {
        run(onMinimized);
    }
}

void MainPresenter::windowUnminimized(bool shown) {
    if (shown) {
        run(onRestored);
    }
}

void MainPresenter::hideWindow() {
    if (trayHoldsWindow && !trayHoldsWindow()) {
        return;
    }
    view_.hideWindow();
}

void MainPresenter::informationBox(const std::string& text) {
    messageBoxes().plain(text);
}

Answer MainPresenter::errorQuestion(const std::string& text, int helpContext) {
    return messageBoxes().question(QuestionKind::Error, text,
                                   {Answer::Yes, Answer::No, Answer::Cancel}, helpContext);
}

void MainPresenter::setTrayEnabled() {
    if (onTrayEnabled) {
        onTrayEnabled();
    }
}

}  // namespace mnemora
