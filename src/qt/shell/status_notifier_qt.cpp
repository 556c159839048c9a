#include "qt/shell/status_notifier_qt.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusVariant>
#include <QImage>
#include <QtEndian>
#include <algorithm>

#include "core/app_title.h"
#include "qt/shell/dbus_menu_qt.h"

namespace mnemora {

namespace {

constexpr const char* kItemPath = "/StatusNotifierItem";
constexpr const char* kMenuPath = "/MenuBar";
constexpr const char* kWatcherPath = "/StatusNotifierWatcher";
// Hosts take "/NO_DBUSMENU" to mean: ask the item with ContextMenu.
constexpr const char* kNoMenuPath = "/NO_DBUSMENU";
// A watcher that does not answer within this time is taken for absent,
// rather than freezing the program.
constexpr int kCallTimeoutMs = 2000;

}  // namespace

QDBusArgument& operator<<(QDBusArgument& arg, const SniPixmap& pixmap) {
    arg.beginStructure();
    arg << pixmap.width << pixmap.height << pixmap.argb;
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, SniPixmap& pixmap) {
    arg.beginStructure();
    arg >> pixmap.width >> pixmap.height >> pixmap.argb;
    arg.endStructure();
    return arg;
}

QDBusArgument& operator<<(QDBusArgument& arg, const SniToolTip& tip) {
    arg.beginStructure();
    arg << tip.iconName << tip.pixmaps << tip.title << tip.description;
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, SniToolTip& tip) {
    arg.beginStructure();
    arg >> tip.iconName >> tip.pixmaps >> tip.title >> tip.description;
    arg.endStructure();
    return arg;
}

SniPixmaps sniPixmaps(const QIcon& icon) {
    SniPixmaps result;
    for (const int side : {16, 22, 24, 32, 48}) {
        const QImage image = icon.pixmap(side, side).toImage().convertToFormat(QImage::Format_ARGB32);
        if (image.isNull()) {
            continue;
        }
        const bool known = std::any_of(result.cbegin(), result.cend(), [&](const SniPixmap& p) {
            return p.width == image.width() && p.height == image.height();
        });
        if (known) {
            continue;  // the icon gives nothing larger than it has
        }
        SniPixmap pixmap{image.width(), image.height(), {}};
        pixmap.argb.resize(static_cast<qsizetype>(image.width()) * image.height() * 4);
        auto* out = reinterpret_cast<uchar*>(pixmap.argb.data());
        for (int y = 0; y < image.height(); ++y) {
            const auto* line = reinterpret_cast<const quint32*>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                qToBigEndian(line[x], out);
                out += 4;
            }
        }
        result.append(pixmap);
    }
    return result;
}

StatusNotifierItem::StatusNotifierItem(QObject* parent) : QObject(parent) {
    qDBusRegisterMetaType<SniPixmap>();
    qDBusRegisterMetaType<SniPixmaps>();
    qDBusRegisterMetaType<SniToolTip>();
    new StatusNotifierItemAdaptor(this);
    watcher_.setConnection(QDBusConnection::sessionBus());
    watcher_.setWatchMode(QDBusServiceWatcher::WatchForRegistration | QDBusServiceWatcher::WatchForUnregistration);
    watcher_.addWatchedService(QString::fromLatin1(kWatcherService));
    connect(&watcher_, &QDBusServiceWatcher::serviceRegistered, this, &StatusNotifierItem::watcherAppeared);
    connect(&watcher_, &QDBusServiceWatcher::serviceUnregistered, this, [this] {
        if (shown_) {
            emit watcherLost();
        }
    });
}

StatusNotifierItem::~StatusNotifierItem() { hide(); }

bool StatusNotifierItem::hostAvailable() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface()->isServiceRegistered(QString::fromLatin1(kWatcherService))) {
        return false;
    }
    QDBusMessage get = QDBusMessage::createMethodCall(QString::fromLatin1(kWatcherService),
                                                      QString::fromLatin1(kWatcherPath),
                                                      QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Get"));
    get << QString::fromLatin1(kWatcherService) << QStringLiteral("IsStatusNotifierHostRegistered");
    const QDBusMessage reply = bus.call(get, QDBus::Block, kCallTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
           reply.arguments().constFirst().value<QDBusVariant>().variant().toBool();
}

bool StatusNotifierItem::show(const QString& tip, const QIcon& icon, DBusMenuExporter* menu) {
    tip_ = tip;
    pixmaps_ = sniPixmaps(icon);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return false;
    }
    if (!onBus_) {
        static int instances = 0;
        service_ = QStringLiteral("org.kde.StatusNotifierItem-%1-%2")
                       .arg(QCoreApplication::applicationPid())
                       .arg(++instances);
        menu_ = menu;
        onBus_ = bus.registerObject(QString::fromLatin1(kItemPath), this, QDBusConnection::ExportAdaptors) &&
                 (menu == nullptr ||
                  bus.registerObject(QString::fromLatin1(kMenuPath), menu, QDBusConnection::ExportAdaptors)) &&
                 bus.registerService(service_);
        if (!onBus_) {
            unregisterFromBus();
            return false;
        }
    }
    shown_ = registerWithWatcher();
    if (!shown_) {
        unregisterFromBus();
    }
    return shown_;
}

void StatusNotifierItem::hide() {
    shown_ = false;
    unregisterFromBus();
}

void StatusNotifierItem::unregisterFromBus() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) {
        bus.unregisterObject(QString::fromLatin1(kItemPath));
        if (menu_) {
            bus.unregisterObject(QString::fromLatin1(kMenuPath));
        }
        if (!service_.isEmpty()) {
            bus.unregisterService(service_);
        }
    }
    onBus_ = false;
}

bool StatusNotifierItem::registerWithWatcher() {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QString::fromLatin1(kWatcherService), QString::fromLatin1(kWatcherPath), QString::fromLatin1(kWatcherService),
        QStringLiteral("RegisterStatusNotifierItem"));
    call << service_;
    return QDBusConnection::sessionBus().call(call, QDBus::Block, kCallTimeoutMs).type() ==
           QDBusMessage::ReplyMessage;
}

void StatusNotifierItem::watcherAppeared() {
    if (shown_) {
        registerWithWatcher();
    }
}

QString StatusNotifierItem::title() const { return QString::fromUtf8(kApplicationTitle); }

SniToolTip StatusNotifierItem::toolTip() const { return {QString(), {}, tip_, QString()}; }

QDBusObjectPath StatusNotifierItem::menuPath() const {
    return QDBusObjectPath(QString::fromLatin1(menu_ ? kMenuPath : kNoMenuPath));
}

StatusNotifierItemAdaptor::StatusNotifierItemAdaptor(StatusNotifierItem* item)
    : QDBusAbstractAdaptor(item), item_(item) {
    setAutoRelaySignals(false);
}

void StatusNotifierItemAdaptor::Activate(int x, int y) { emit item_->activated(x, y); }

void StatusNotifierItemAdaptor::SecondaryActivate(int x, int y) { emit item_->secondaryActivated(x, y); }

void StatusNotifierItemAdaptor::ContextMenu(int x, int y) { emit item_->contextMenuRequested(x, y); }

void StatusNotifierItemAdaptor::Scroll(int, const QString&) {}

}  // namespace mnemora
