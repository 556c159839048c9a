#pragma once

#include <QDBusAbstractAdaptor>
#include <QDBusArgument>
#include <QDBusContext>
#include <QDBusVariant>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QVariantMap>

class QAction;
class QMenu;

namespace mnemora {

// The DBusMenu wire types.
struct DBusMenuLayoutItem {  // (ia{sv}av), the children as variants
    int id = 0;
    QVariantMap properties;
    QList<DBusMenuLayoutItem> children;
};
struct DBusMenuItemProperties {  // (ia{sv})
    int id = 0;
    QVariantMap properties;
};
struct DBusMenuItemKeys {  // (ias)
    int id = 0;
    QStringList keys;
};
struct DBusMenuEvent {  // (isvu)
    int id = 0;
    QString eventId;
    QDBusVariant data;
    uint timestamp = 0;
};
using DBusMenuItemPropertiesList = QList<DBusMenuItemProperties>;
using DBusMenuItemKeysList = QList<DBusMenuItemKeys>;
using DBusMenuEventList = QList<DBusMenuEvent>;

}  // namespace mnemora

Q_DECLARE_METATYPE(mnemora::DBusMenuLayoutItem)
Q_DECLARE_METATYPE(mnemora::DBusMenuItemProperties)
Q_DECLARE_METATYPE(mnemora::DBusMenuItemKeys)
Q_DECLARE_METATYPE(mnemora::DBusMenuEvent)

namespace mnemora {

QDBusArgument& operator<<(QDBusArgument& arg, const DBusMenuLayoutItem& item);
const QDBusArgument& operator>>(const QDBusArgument& arg, DBusMenuLayoutItem& item);
QDBusArgument& operator<<(QDBusArgument& arg, const DBusMenuItemProperties& item);
const QDBusArgument& operator>>(const QDBusArgument& arg, DBusMenuItemProperties& item);
QDBusArgument& operator<<(QDBusArgument& arg, const DBusMenuItemKeys& item);
const QDBusArgument& operator>>(const QDBusArgument& arg, DBusMenuItemKeys& item);
QDBusArgument& operator<<(QDBusArgument& arg, const DBusMenuEvent& event);
const QDBusArgument& operator>>(const QDBusArgument& arg, DBusMenuEvent& event);

// While one of the program's modal windows or boxes is open (its loop
// running), nothing that comes from outside may choose, open or step
// anything: it would run inside that loop, and each box it showed would nest
// one more.
bool modalLoopRunning();

// A QMenu offered over DBusMenu, for a tray host that draws the menu itself
// (where the program cannot place a pop-up of its own). Items are numbered
// as they are first seen, the menu itself being 0; captions, enabled state
// and submenus are read from the live menu at every request, and a change
// of any item tells the host to fetch the layout again. An item counts as
// enabled only when the submenus that hold it are too, as in the menu
// itself, where a greyed submenu cannot be opened.
class DBusMenuExporter : public QObject, protected QDBusContext {
    Q_OBJECT
public:
    explicit DBusMenuExporter(QMenu& menu, QObject* parent = nullptr);

    static void registerTypes();

    // The item and, down to the given depth (-1: all), what it holds; only
    // the named properties, or all when none is named.
    DBusMenuLayoutItem layout(int id, int depth, const QStringList& names);
    QVariantMap properties(int id, const QStringList& names);
    bool knows(int id);
    // A "clicked" event chooses the item, after the call has returned, as a
    // choice in the program's own menu does, if it is still enabled then and
    // no modal window is open. Other events change nothing. False for an
    // unknown id.
    bool handleEvent(int id, const QString& eventId);
    [[nodiscard]] uint revision() const { return revision_; }
    // The number the host knows an item by; -1 for one that is not in the menu.
    int idOf(const QAction* item);
    // Answers the D-Bus call being handled with an error instead of a value
    // (D-Bus keeps the context of a call to an adaptor on its parent, this).
    void replyWithError(const QString& text);

signals:
    void layoutUpdated(uint revision, int parent);

private:
    [[nodiscard]] QAction* actionFor(int id) const;
    [[nodiscard]] bool reachable(const QAction* item) const;
    void watch(QMenu& menu);

    QMenu& root_;
    QHash<const QAction*, int> ids_;
    QHash<int, QPointer<QAction>> actions_;
    int nextId_ = 1;
    uint revision_ = 1;
};

// The com.canonical.dbusmenu interface over the exporter. Every call gets a
// reply: a D-Bus error where there is nothing to answer with.
class DBusMenuAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.canonical.dbusmenu")
    Q_PROPERTY(uint Version READ version)
    Q_PROPERTY(QString TextDirection READ textDirection)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(QStringList IconThemePath READ iconThemePath)

public:
    explicit DBusMenuAdaptor(DBusMenuExporter* exporter);

    [[nodiscard]] uint version() const { return 3; }
    [[nodiscard]] QString textDirection() const { return QStringLiteral("ltr"); }
    [[nodiscard]] QString status() const { return QStringLiteral("normal"); }
    [[nodiscard]] QStringList iconThemePath() const { return {}; }

public slots:
    uint GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames,
                   mnemora::DBusMenuLayoutItem& layout);
    mnemora::DBusMenuItemPropertiesList GetGroupProperties(const QList<int>& ids, const QStringList& propertyNames);
    QDBusVariant GetProperty(int id, const QString& name);
    void Event(int id, const QString& eventId, const QDBusVariant& data, uint timestamp);
    QList<int> EventGroup(const mnemora::DBusMenuEventList& events);
    bool AboutToShow(int id);
    QList<int> AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors);

signals:
    void ItemsPropertiesUpdated(const mnemora::DBusMenuItemPropertiesList& updatedProps,
                                const mnemora::DBusMenuItemKeysList& removedProps);
    void LayoutUpdated(uint revision, int parent);
    void ItemActivationRequested(int id, uint timestamp);

private:
    DBusMenuExporter* exporter_;
};

}  // namespace mnemora
