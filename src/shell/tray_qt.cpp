#include "shell/tray_qt.h"

#include <QApplication>
#include <QCursor>
#include <QMenu>
#include <QStyle>

#include "common/message_boxes_qt.h"
#include "sessions/main_window.h"

namespace mnemora {

QtTrayShell::QtTrayShell(TForm1& form, QMenu& menu, QObject* parent)
    : QObject(parent), form_(form), menu_(menu), icon_(this) {
    icon_.setObjectName("TrayIcon");
}

void QtTrayShell::attach(TrayController& controller) {
    // Queued, like a posted message: the menu's own loop, and an exit chosen
    // in it, must not run inside the icon's mouse handler, whose widget goes
    // away when the icon is removed.
    connect(
        &icon_, &QSystemTrayIcon::activated, this,
        [&controller](QSystemTrayIcon::ActivationReason reason) {
            guarded([&] { controller.WMTrayNotify(mouseMessageFor(reason)); });
        },
        Qt::QueuedConnection);
}

std::uint32_t QtTrayShell::mouseMessageFor(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
    case QSystemTrayIcon::Trigger: return WM_LBUTTONUP;
    case QSystemTrayIcon::DoubleClick: return WM_LBUTTONDBLCLK;
    case QSystemTrayIcon::Context: return WM_RBUTTONDOWN;
    default: return 0x0207;  // middle button: not one the program answers
    }
}

bool QtTrayShell::notifyIcon(std::uint32_t message, const IconData& data) {
    if (message == NIM_DELETE) {
        icon_.hide();
        return true;
    }
    // Never trust isVisible(): it is true on desktops that have no tray.
    if (message != NIM_ADD || !QSystemTrayIcon::isSystemTrayAvailable()) {
        return false;
    }
    icon_.setIcon(iconDataField(data, 20) == IDI_APPLICATION ? QApplication::style()->standardIcon(QStyle::SP_ComputerIcon)
                                            : QApplication::windowIcon());
    icon_.setToolTip(QString::fromStdString(iconTipText(data)));
    icon_.show();
    return true;
}

ScreenPoint QtTrayShell::cursorPos() const {
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

void QtTrayShell::popupMenu(ScreenPoint at) { menu_.exec(QPoint(at.x, at.y)); }

void QtTrayShell::showMainWindow() { form_.showWindow(); }

void QtTrayShell::hideMainWindow() { form_.hide(); }

}  // namespace mnemora
