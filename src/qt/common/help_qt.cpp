#include "qt/common/help_qt.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QWidget>
#include <vector>

#include "qt/common/message_boxes_qt.h"
#include "sessions/tray_catalogue.h"

namespace mnemora {

namespace {

// The item the user sees highlighted, found by following the highlighted
// items down from the outermost open menu. A deeper submenu can stay open
// for a moment after the pointer has gone back to its parent, so the
// topmost open menu is not always where the highlight is.
const QAction* highlightedItem(QMenu* top) {
    QMenu* menu = top;
    for (QWidget* w = top->parentWidget(); w != nullptr; w = w->parentWidget()) {
        if (auto* outer = qobject_cast<QMenu*>(w); outer != nullptr && outer->isVisible()) {
            menu = outer;
        }
    }
    for (;;) {
        QAction* item = menu->activeAction();
        if (item == nullptr) {
            // A submenu that opened by itself, with nothing highlighted yet,
            // stands for the item that opened it.
            return menu->menuAction();
        }
        QMenu* sub = QMenu::menuInAction(item);
        if (sub == nullptr || !sub->isVisible() || sub->activeAction() == nullptr) {
            return item;
        }
        menu = sub;
    }
}

}  // namespace

std::optional<int> HelpKeyFilter::currentF1Context() {
    const QWidget* active = QApplication::activeWindow();
    if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
        const QAction* item = highlightedItem(menu);
        bool ok = false;
        const int entry = item != nullptr ? item->property(kMenuEntryProperty).toInt(&ok) : -1;
        const std::optional<int> windowContext =
            active != nullptr ? std::optional<int>(helpContextOf(active)) : std::nullopt;
        if (!ok || entry < 0) {
            return windowContext;
        }
        return menuHelpContext(static_cast<std::size_t>(entry), windowContext);
    }
    std::vector<int> chain;
    for (const QWidget* w = QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : active;
         w != nullptr; w = w->isWindow() ? nullptr : w->parentWidget()) {
        chain.push_back(helpContextOf(w));
    }
    return windowHelpContext(chain);
}

bool HelpKeyFilter::eventFilter(QObject* watched, QEvent* event) {
    // Taking the key where it first arrives also keeps it from reaching the
    // parents it would otherwise bubble up to.
    if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1) {
        if (!static_cast<QKeyEvent*>(event)->isAutoRepeat()) {
            if (const auto context = currentF1Context()) {
                guarded([&] { help_.HelpContext(*context); });
            }
        }
        return true;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace mnemora
