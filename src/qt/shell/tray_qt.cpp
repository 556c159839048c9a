#include "qt/shell/tray_qt.h"

#include <QApplication>
#include <QCursor>
#include <QMenu>
#include <QScreen>
#include <QStyle>
#include <QStyleHints>
#include <QTimer>

#include "qt/common/message_boxes_qt.h"
#include "qt/sessions/main_window.h"
#include "qt/shell/dbus_menu_qt.h"
#include "qt/shell/status_notifier_qt.h"

namespace mnemora {

bool popupsNeedAParentWindow() { return QGuiApplication::platformName().startsWith(QLatin1String("wayland")); }

QtTrayShell::QtTrayShell(TForm1& form, QMenu& menu, QObject* parent)
    : QObject(parent), form_(form), menu_(menu), sni_(std::make_unique<StatusNotifierItem>()) {
    clock_.start();
    connect(sni_.get(), &StatusNotifierItem::activated, this, [this] { onActivated(); });
    connect(sni_.get(), &StatusNotifierItem::contextMenuRequested, this,
            [this](int x, int y) { onContextMenu(x, y); });
    // A panel that ends without coming back within the grace time leaves the
    // icon nowhere: the tray logic is told, so the window comes back.
    lostGrace_ = new QTimer(this);
    lostGrace_->setSingleShot(true);
    lostGrace_->setInterval(kPanelGraceMs);
    connect(lostGrace_, &QTimer::timeout, this, [this] {
        if (kind_ == Kind::None || hostPresent()) {
            return;  // back in time: the icon has found its tray again
        }
        if (kind_ == Kind::StatusNotifier) {
            sni_->hide();
        } else {
            icon_->hide();
        }
        kind_ = Kind::None;
        watchXEmbedTray(false);
        if (controller_ != nullptr) {
            guarded([this] { controller_->TrayIconLost(); });
        }
    });
    connect(sni_.get(), &StatusNotifierItem::watcherLost, lostGrace_, qOverload<>(&QTimer::start));
    // An XEmbed tray says nothing to its icons when it ends; Qt docks the
    // icon again in a tray that comes back, so only one that stays away
    // needs noticing, which the grace timer's end checks.
    // The middle button (SecondaryActivate) is not one the program answers.
}

QtTrayShell::~QtTrayShell() = default;

bool QtTrayShell::hostPresent() const {
    switch (kind_) {
    case Kind::StatusNotifier: return StatusNotifierItem::hostAvailable();
    case Kind::XEmbed: return QSystemTrayIcon::isSystemTrayAvailable();
    case Kind::None: break;
    }
    return false;
}

void QtTrayShell::attach(TrayController& controller) { controller_ = &controller; }

QSystemTrayIcon& QtTrayShell::xembedIcon() {
    if (!icon_) {
        icon_ = std::make_unique<QSystemTrayIcon>(this);
        icon_->setObjectName("TrayIcon");
        connect(icon_.get(), &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason reason) { post(mouseMessageFor(reason)); });
    }
    return *icon_;
}

void QtTrayShell::post(std::uint32_t mouseMessage) {
    // Under a modal window the tray does nothing, as an XEmbed icon, blocked
    // by the modal window, does by itself. Checked again when the message
    // runs: what was queued before a box opened runs inside the box's loop.
    if (modalLoopRunning()) {
        return;
    }
    QMetaObject::invokeMethod(
        this,
        [this, mouseMessage] {
            if (controller_ != nullptr && !modalLoopRunning()) {
                guarded([&] { controller_->WMTrayNotify(mouseMessage); });
            }
        },
        Qt::QueuedConnection);
}

void QtTrayShell::onActivated() {
    const int interval = QGuiApplication::styleHints()->mouseDoubleClickInterval();
    for (const std::uint32_t message : clicks_.activate(clock_.elapsed(), interval)) {
        post(message);
    }
}

void QtTrayShell::onContextMenu(int x, int y) {
    // Where the host draws the exported menu, a pop-up of ours could not be
    // placed, and it would hold the keyboard where the user cannot see it.
    if (modalLoopRunning() || (kind_ == Kind::StatusNotifier && exported_)) {
        return;
    }
    // The host's point is in physical pixels; the menu is placed in the
    // screen's logical ones, and on a screen whatever the host sent.
    std::vector<ScreenArea> screens;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect r = screen->geometry();
        screens.push_back({r.x(), r.y(), r.width(), r.height(), screen->devicePixelRatio()});
    }
    const LogicalPoint at = hostPointOnScreens(x, y, screens);
    hostPoint_ = ScreenPoint{at.x, at.y};
    post(kRightButtonDown);
}

std::uint32_t QtTrayShell::mouseMessageFor(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
    case QSystemTrayIcon::Trigger: return kLeftButtonUp;
    case QSystemTrayIcon::DoubleClick: return kLeftButtonDoubleClick;
    case QSystemTrayIcon::Context: return kRightButtonDown;
    default: return 0x0207;  // middle button: not one the program answers
    }
}

bool QtTrayShell::notifyIcon(std::uint32_t message, const IconData& data) {
    if (message == kNotifyIconDelete) {
        if (kind_ == Kind::StatusNotifier) {
            sni_->hide();
        } else if (kind_ == Kind::XEmbed) {
            icon_->hide();
        }
        kind_ = Kind::None;
        watchXEmbedTray(false);
        return true;
    }
    if (message != kNotifyIconAdd) {
        return false;
    }
    const QIcon icon = iconDataField(data, 20) == kApplicationIconId
                           ? QApplication::style()->standardIcon(QStyle::SP_ComputerIcon)
                           : QApplication::windowIcon();
    const QString tip = QString::fromStdString(iconTipText(data));
    if (StatusNotifierItem::hostAvailable()) {
        if (popupsNeedAParentWindow() && !exported_) {
            exported_ = std::make_unique<DBusMenuExporter>(menu_);
            new DBusMenuAdaptor(exported_.get());
        }
        if (sni_->show(tip, icon, exported_.get())) {
            kind_ = Kind::StatusNotifier;
            return true;
        }
    }
    // Never trust isVisible(): it is true on desktops that have no tray.
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        return false;
    }
    QSystemTrayIcon& xembed = xembedIcon();
    xembed.setIcon(icon);
    xembed.setToolTip(tip);
    xembed.show();
    kind_ = Kind::XEmbed;
    watchXEmbedTray(true);
    return true;
}

void QtTrayShell::watchXEmbedTray(bool on) {
    disconnect(xembedWatch_);
    xembedWatch_ = {};
    // The X11 platform's own tracker of the tray window tells when that
    // window is destroyed or replaced: a signal of the platform plugin's
    // native interface, which is a QObject (its only base) whose class
    // header Qt does not install, hence the cast and the signal by name.
    auto* native = reinterpret_cast<QObject*>(on ? QGuiApplication::platformNativeInterface() : nullptr);
    if (native == nullptr || native->metaObject()->indexOfSignal("systemTrayWindowChanged(QScreen*)") < 0) {
        return;
    }
    xembedWatch_ = connect(native, SIGNAL(systemTrayWindowChanged(QScreen*)), lostGrace_, SLOT(start()));
}

ScreenPoint QtTrayShell::cursorPos() const {
    if (hostPoint_) {
        const ScreenPoint at = *hostPoint_;
        hostPoint_.reset();
        return at;
    }
    const QPoint p = QCursor::pos();
    return {p.x(), p.y()};
}

void QtTrayShell::setForegroundMainWindow() {
    form_.raise();
    form_.activateWindow();
}

std::uint32_t QtTrayShell::mainWindowHandle() { return static_cast<std::uint32_t>(form_.winId()); }

std::uint32_t QtTrayShell::applicationIconHandle() const {
    // Any non-zero number will do: the record only needs to say which icon.
    return QApplication::windowIcon().isNull() ? 0 : 1;
}

std::string QtTrayShell::mainWindowCaption() const { return form_.windowTitle().toStdString(); }

void QtTrayShell::processMessages() { QCoreApplication::processEvents(); }

void QtTrayShell::popupMenu(ScreenPoint at) {
    // A host that asks again while the menu is open gets the one it has.
    if (!menu_.isVisible()) {
        menu_.exec(QPoint(at.x, at.y));
    }
}

void QtTrayShell::showMainWindow() { form_.showWindow(); }

void QtTrayShell::hideMainWindow() { form_.hide(); }

}  // namespace mnemora
