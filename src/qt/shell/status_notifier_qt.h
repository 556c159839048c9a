#pragma once

#include <QDBusAbstractAdaptor>
#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QDBusServiceWatcher>
#include <QIcon>
#include <QList>
#include <QObject>
#include <QPointer>

namespace mnemora {

class DBusMenuExporter;

// The StatusNotifierItem wire types.
struct SniPixmap {  // (iiay): ARGB32, network byte order
    int width = 0;
    int height = 0;
    QByteArray argb;
};
using SniPixmaps = QList<SniPixmap>;
struct SniToolTip {  // (sa(iiay)ss)
    QString iconName;
    SniPixmaps pixmaps;
    QString title;
    QString description;
};

}  // namespace mnemora

Q_DECLARE_METATYPE(mnemora::SniPixmap)
Q_DECLARE_METATYPE(mnemora::SniToolTip)

namespace mnemora {

QDBusArgument& operator<<(QDBusArgument& arg, const SniPixmap& pixmap);
const QDBusArgument& operator>>(const QDBusArgument& arg, SniPixmap& pixmap);
QDBusArgument& operator<<(QDBusArgument& arg, const SniToolTip& tip);
const QDBusArgument& operator>>(const QDBusArgument& arg, SniToolTip& tip);

// The icon in the sizes a panel asks for, as the item carries it.
SniPixmaps sniPixmaps(const QIcon& icon);

// The tray icon as a StatusNotifierItem on the session bus, for desktops
// whose panel shows icons that way (a org.kde.StatusNotifierWatcher with a
// host registered). Title "Мнемора", the tooltip is the tip it was shown
// with. Where a menu exporter is given the host draws that menu itself;
// otherwise the host asks for the menu with ContextMenu and the program
// shows its own at the host's point.
class StatusNotifierItem : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kWatcherService = "org.kde.StatusNotifierWatcher";

    explicit StatusNotifierItem(QObject* parent = nullptr);
    ~StatusNotifierItem() override;

    // A watcher with a host is on the session bus now.
    static bool hostAvailable();

    // Puts the item on the bus and registers it with the watcher; false
    // when there is no bus or the watcher does not take it.
    bool show(const QString& tip, const QIcon& icon, DBusMenuExporter* menu);
    // Takes the item off the bus; the watcher forgets it.
    void hide();
    [[nodiscard]] bool isShown() const { return shown_; }
    [[nodiscard]] QString serviceName() const { return service_; }

    [[nodiscard]] QString title() const;
    [[nodiscard]] SniToolTip toolTip() const;
    [[nodiscard]] SniPixmaps iconPixmap() const { return pixmaps_; }
    [[nodiscard]] QDBusObjectPath menuPath() const;

signals:
    // What the host reports, with its screen point in physical pixels.
    void activated(int x, int y);
    void secondaryActivated(int x, int y);
    void contextMenuRequested(int x, int y);
    // The watcher left the bus while the item was shown (the panel ended or
    // is restarting); if it comes back, the item registers again by itself.
    void watcherLost();

private:
    bool registerWithWatcher();
    void unregisterFromBus();
    // A watcher that comes back (the panel restarted) gets the icon again
    // at once, with the tip it had.
    void watcherAppeared();

    QString service_;
    QString tip_;
    SniPixmaps pixmaps_;
    QPointer<DBusMenuExporter> menu_;
    bool onBus_ = false;
    bool shown_ = false;
    QDBusServiceWatcher watcher_;
};

// The org.kde.StatusNotifierItem interface over the item.
class StatusNotifierItemAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
    Q_PROPERTY(QString Category READ category)
    Q_PROPERTY(QString Id READ id)
    Q_PROPERTY(QString Title READ title)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(int WindowId READ windowId)
    Q_PROPERTY(QString IconThemePath READ emptyText)
    Q_PROPERTY(QDBusObjectPath Menu READ menu)
    Q_PROPERTY(bool ItemIsMenu READ itemIsMenu)
    Q_PROPERTY(QString IconName READ emptyText)
    Q_PROPERTY(mnemora::SniPixmaps IconPixmap READ iconPixmap)
    Q_PROPERTY(QString OverlayIconName READ emptyText)
    Q_PROPERTY(mnemora::SniPixmaps OverlayIconPixmap READ noPixmaps)
    Q_PROPERTY(QString AttentionIconName READ emptyText)
    Q_PROPERTY(mnemora::SniPixmaps AttentionIconPixmap READ noPixmaps)
    Q_PROPERTY(QString AttentionMovieName READ emptyText)
    Q_PROPERTY(mnemora::SniToolTip ToolTip READ toolTip)

public:
    explicit StatusNotifierItemAdaptor(StatusNotifierItem* item);

    [[nodiscard]] QString category() const { return QStringLiteral("ApplicationStatus"); }
    [[nodiscard]] QString id() const { return QStringLiteral("mnemora"); }
    [[nodiscard]] QString title() const { return item_->title(); }
    [[nodiscard]] QString status() const { return QStringLiteral("Active"); }
    [[nodiscard]] int windowId() const { return 0; }
    [[nodiscard]] QString emptyText() const { return {}; }
    [[nodiscard]] QDBusObjectPath menu() const { return item_->menuPath(); }
    [[nodiscard]] bool itemIsMenu() const { return false; }
    [[nodiscard]] mnemora::SniPixmaps iconPixmap() const { return item_->iconPixmap(); }
    [[nodiscard]] mnemora::SniPixmaps noPixmaps() const { return {}; }
    [[nodiscard]] mnemora::SniToolTip toolTip() const { return item_->toolTip(); }

public slots:
    void Activate(int x, int y);
    void SecondaryActivate(int x, int y);
    void ContextMenu(int x, int y);
    void Scroll(int delta, const QString& orientation);

signals:
    void NewTitle();
    void NewIcon();
    void NewAttentionIcon();
    void NewOverlayIcon();
    void NewToolTip();
    void NewStatus(const QString& status);

private:
    StatusNotifierItem* item_;
};

}  // namespace mnemora
