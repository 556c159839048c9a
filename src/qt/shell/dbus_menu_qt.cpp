#include "qt/shell/dbus_menu_qt.h"

#include <QAction>
#include <QApplication>
#include <QDBusMetaType>
#include <QMenu>

#include "shell/status_notifier.h"

namespace mnemora {

QDBusArgument& operator<<(QDBusArgument& arg, const DBusMenuLayoutItem& item) {
    arg.beginStructure();
    arg << item.id << item.properties;
    arg.beginArray(QMetaType::fromType<QDBusVariant>());
    for (const DBusMenuLayoutItem& child : item.children) {
        arg << QDBusVariant(QVariant::fromValue(child));
    }
    arg.endArray();
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, DBusMenuLayoutItem& item) {
    arg.beginStructure();
    arg >> item.id >> item.properties;
    item.children.clear();
    arg.beginArray();
    while (!arg.atEnd()) {
        QDBusVariant child;
        arg >> child;
        item.children.append(qdbus_cast<DBusMenuLayoutItem>(child.variant()));
    }
    arg.endArray();
    arg.endStructure();
    return arg;
}

QDBusArgument& operator<<(QDBusArgument& arg, const DBusMenuItemProperties& item) {
    arg.beginStructure();
    arg << item.id << item.properties;
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, DBusMenuItemProperties& item) {
    arg.beginStructure();
    arg >> item.id >> item.properties;
    arg.endStructure();
    return arg;
}

QDBusArgument& operator<<(QDBusArgument& arg, const DBusMenuItemKeys& item) {
    arg.beginStructure();
    arg << item.id << item.keys;
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, DBusMenuItemKeys& item) {
    arg.beginStructure();
    arg >> item.id >> item.keys;
    arg.endStructure();
    return arg;
}

QDBusArgument& operator<<(QDBusArgument& arg, const DBusMenuEvent& event) {
    arg.beginStructure();
    arg << event.id << event.eventId << event.data << event.timestamp;
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, DBusMenuEvent& event) {
    arg.beginStructure();
    arg >> event.id >> event.eventId >> event.data >> event.timestamp;
    arg.endStructure();
    return arg;
}

bool modalLoopRunning() {
    return QApplication::activeModalWidget() != nullptr || QApplication::activePopupWidget() != nullptr;
}

DBusMenuExporter::DBusMenuExporter(QMenu& menu, QObject* parent) : QObject(parent), root_(menu) {
    registerTypes();
    watch(root_);
}

void DBusMenuExporter::registerTypes() {
    qDBusRegisterMetaType<DBusMenuLayoutItem>();
    qDBusRegisterMetaType<DBusMenuItemProperties>();
    qDBusRegisterMetaType<DBusMenuItemPropertiesList>();
    qDBusRegisterMetaType<DBusMenuItemKeys>();
    qDBusRegisterMetaType<DBusMenuItemKeysList>();
    qDBusRegisterMetaType<DBusMenuEvent>();
    qDBusRegisterMetaType<DBusMenuEventList>();
    qDBusRegisterMetaType<QList<int>>();
    // The adaptor's slots and signals name the lists by these aliases, and
    // D-Bus looks the types up by those names: without them EventGroup,
    // GetGroupProperties and ItemsPropertiesUpdated are left off the bus.
    qRegisterMetaType<DBusMenuItemPropertiesList>("mnemora::DBusMenuItemPropertiesList");
    qRegisterMetaType<DBusMenuItemKeysList>("mnemora::DBusMenuItemKeysList");
    qRegisterMetaType<DBusMenuEventList>("mnemora::DBusMenuEventList");
}

// Every item of the menu and its submenus, so that a change anywhere (an
// item greyed while a session runs) reaches the host.
void DBusMenuExporter::watch(QMenu& menu) {
    for (QAction* item : menu.actions()) {
        idOf(item);
        connect(item, &QAction::changed, this, [this] { emit layoutUpdated(++revision_, 0); });
        if (QMenu* sub = QMenu::menuInAction(item)) {
            watch(*sub);
        }
    }
}

int DBusMenuExporter::idOf(const QAction* item) {
    if (item == nullptr) {
        return -1;
    }
    if (const auto it = ids_.constFind(item); it != ids_.constEnd()) {
        return *it;
    }
    const int id = nextId_++;
    ids_.insert(item, id);
    actions_.insert(id, const_cast<QAction*>(item));
    return id;
}

QAction* DBusMenuExporter::actionFor(int id) const {
    const auto it = actions_.constFind(id);
    return it != actions_.constEnd() ? it->data() : nullptr;
}

bool DBusMenuExporter::reachable(const QAction* item) const {
    // Menus nest a few levels deep; the bound only guards against a cycle.
    for (int depth = 0; item != nullptr && depth < 16; ++depth) {
        if (!item->isEnabled()) {
            return false;
        }
        const QAction* holder = nullptr;
        for (QObject* owner : item->associatedObjects()) {
            const auto* menu = qobject_cast<const QMenu*>(owner);
            if (menu != nullptr && menu != &root_) {
                holder = menu->menuAction();
                break;
            }
        }
        item = holder;
    }
    return true;
}

void DBusMenuExporter::replyWithError(const QString& text) {
    if (calledFromDBus()) {
        sendErrorReply(QDBusError::InvalidArgs, text);
    }
}

bool DBusMenuExporter::knows(int id) { return id == 0 || actionFor(id) != nullptr; }

QVariantMap DBusMenuExporter::properties(int id, const QStringList& names) {
    QVariantMap all;
    if (id == 0) {
        all.insert(QStringLiteral("children-display"), QStringLiteral("submenu"));
    } else if (const QAction* item = actionFor(id)) {
        if (item->isSeparator()) {
            all.insert(QStringLiteral("type"), QStringLiteral("separator"));
        } else {
            all.insert(QStringLiteral("label"), QString::fromStdString(dbusMenuLabel(item->text().toStdString())));
            all.insert(QStringLiteral("enabled"), reachable(item));
            if (QMenu::menuInAction(item) != nullptr) {
                all.insert(QStringLiteral("children-display"), QStringLiteral("submenu"));
            }
        }
        all.insert(QStringLiteral("visible"), item->isVisible());
    }
    if (names.isEmpty()) {
        return all;
    }
    QVariantMap some;
    for (const QString& name : names) {
        if (const auto it = all.constFind(name); it != all.constEnd()) {
            some.insert(name, *it);
        }
    }
    return some;
}

DBusMenuLayoutItem DBusMenuExporter::layout(int id, int depth, const QStringList& names) {
    DBusMenuLayoutItem item;
    item.id = id;
    item.properties = properties(id, names);
    const QMenu* menu = id == 0 ? &root_ : QMenu::menuInAction(actionFor(id));
    if (menu == nullptr || depth == 0) {
        return item;
    }
    for (QAction* child : menu->actions()) {
        item.children.append(layout(idOf(child), depth < 0 ? -1 : depth - 1, names));
    }
    return item;
}

bool DBusMenuExporter::handleEvent(int id, const QString& eventId) {
    QAction* item = actionFor(id);
    if (item == nullptr && id != 0) {
        return false;
    }
    if (eventId != QLatin1String("clicked") || item == nullptr || item->isSeparator() ||
        QMenu::menuInAction(item) != nullptr || modalLoopRunning()) {
        return true;
    }
    // Asked again when it runs: a burst of calls is queued behind the first,
    // and the first may have opened a box (or begun a session) by then.
    QMetaObject::invokeMethod(
        this,
        [this, chosen = QPointer<QAction>(item)] {
            if (chosen && reachable(chosen) && !modalLoopRunning()) {
                chosen->trigger();
            }
        },
        Qt::QueuedConnection);
    return true;
}

DBusMenuAdaptor::DBusMenuAdaptor(DBusMenuExporter* exporter) : QDBusAbstractAdaptor(exporter), exporter_(exporter) {
    setAutoRelaySignals(false);
    connect(exporter, &DBusMenuExporter::layoutUpdated, this, &DBusMenuAdaptor::LayoutUpdated);
}

uint DBusMenuAdaptor::GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames,
                                DBusMenuLayoutItem& layout) {
    layout = exporter_->layout(exporter_->knows(parentId) ? parentId : 0, recursionDepth, propertyNames);
    return exporter_->revision();
}

DBusMenuItemPropertiesList DBusMenuAdaptor::GetGroupProperties(const QList<int>& ids,
                                                               const QStringList& propertyNames) {
    DBusMenuItemPropertiesList result;
    for (const int id : ids) {
        if (exporter_->knows(id)) {
            result.append({id, exporter_->properties(id, propertyNames)});
        }
    }
    return result;
}

QDBusVariant DBusMenuAdaptor::GetProperty(int id, const QString& name) {
    const QVariantMap found = exporter_->knows(id) ? exporter_->properties(id, {name}) : QVariantMap();
    if (const auto it = found.constFind(name); it != found.constEnd()) {
        return QDBusVariant(*it);
    }
    exporter_->replyWithError(exporter_->knows(id) ? QStringLiteral("Item %1 has no property %2").arg(id).arg(name)
                                                   : QStringLiteral("No item %1").arg(id));
    return QDBusVariant(QVariant(0));  // not sent: the error is the reply
}

void DBusMenuAdaptor::Event(int id, const QString& eventId, const QDBusVariant&, uint) {
    exporter_->handleEvent(id, eventId);
}

QList<int> DBusMenuAdaptor::EventGroup(const DBusMenuEventList& events) {
    QList<int> unknown;
    for (const DBusMenuEvent& e : events) {
        if (!exporter_->handleEvent(e.id, e.eventId)) {
            unknown.append(e.id);
        }
    }
    return unknown;
}

bool DBusMenuAdaptor::AboutToShow(int) { return false; }

QList<int> DBusMenuAdaptor::AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors) {
    for (const int id : ids) {
        if (!exporter_->knows(id)) {
            idErrors.append(id);
        }
    }
    return {};
}

}  // namespace mnemora
