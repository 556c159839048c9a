#pragma once

#include <QObject>

#include "common/help_hook.h"

namespace mnemora {

// F1 anywhere in the program: a highlighted item of a pop-up menu asks for
// its topic (or its enclosing item's), otherwise the focused control or the
// nearest enclosing one with a topic.
class HelpKeyFilter : public QObject {
public:
    explicit HelpKeyFilter(TMyHLPObject& help, QObject* parent = nullptr) : QObject(parent), help_(help) {}

    // The context F1 would ask for now, if any.
    static std::optional<int> currentF1Context();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TMyHLPObject& help_;
};

}  // namespace mnemora
