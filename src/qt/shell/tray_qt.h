#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QSystemTrayIcon>
#include <memory>
#include <optional>

#include "shell/status_notifier.h"
#include "shell/tray_controller.h"

class QMenu;
class QTimer;
class QWidget;

namespace mnemora {

class TForm1;
class StatusNotifierItem;
class DBusMenuExporter;

// The tray on a Linux desktop. Where the panel shows StatusNotifierItems
// (a watcher with a host on the session bus) the icon is one of those;
// otherwise it goes to an XEmbed tray through QSystemTrayIcon. Either way
// the host's reports become the three mouse messages, and the tip comes
// from the record.
class QtTrayShell : public QObject, public TrayShell {
public:
    enum class Kind { None, StatusNotifier, XEmbed };

    QtTrayShell(TForm1& form, QMenu& menu, QObject* parent = nullptr);
    ~QtTrayShell() override;

    void attach(TrayController& controller);
    static std::uint32_t mouseMessageFor(QSystemTrayIcon::ActivationReason reason);
    // How long a tray (a status-notifier panel or an XEmbed tray) may be gone,
    // as in a restart, before the icon counts as lost.
    static constexpr int kPanelGraceMs = 3000;
    // Where the icon is now.
    Kind kind() const { return kind_; }
    StatusNotifierItem& statusNotifierItem() { return *sni_; }
    // The menu as the host draws it, where the program cannot place its own
    // pop-up (Wayland); null elsewhere.
    DBusMenuExporter* exportedMenu() const { return exported_.get(); }

    bool notifyIcon(std::uint32_t message, const IconData& data) override;
    ScreenPoint cursorPos() const override;
    void setForegroundApplicationWindow() override {}
    void setForegroundMainWindow() override;
    // The main window carries the task-bar entry itself, so hiding it is enough.
    void hideApplicationWindow() override {}
    std::uint32_t mainWindowHandle() override;
    std::uint32_t applicationIconHandle() const override;
    std::uint32_t loadStandardIcon(std::uint32_t id) const override { return id; }
    std::string mainWindowCaption() const override;
    void processMessages() override;
    void popupMenu(ScreenPoint at) override;
    void showMainWindow() override;
    void hideMainWindow() override;

private:
    // Posted, like a window message: the menu's own loop, and an exit chosen
    // in it, must not run inside the host's call or the icon's mouse handler.
    void post(std::uint32_t mouseMessage);
    void onActivated();
    void onContextMenu(int x, int y);
    QSystemTrayIcon& xembedIcon();
    // Whether the tray the icon is in is still there.
    [[nodiscard]] bool hostPresent() const;

    TForm1& form_;
    QMenu& menu_;
    TrayController* controller_ = nullptr;
    Kind kind_ = Kind::None;
    std::unique_ptr<QSystemTrayIcon> icon_;  // made only when an XEmbed tray is used
    std::unique_ptr<StatusNotifierItem> sni_;
    std::unique_ptr<DBusMenuExporter> exported_;
    ActivationClicks clicks_;
    QElapsedTimer clock_;
    QTimer* lostGrace_ = nullptr;
    // Hears that the XEmbed tray window changed (ended, or another took its
    // place) while the icon is in one: no timer wakes Mnemora at rest.
    QMetaObject::Connection xembedWatch_;
    void watchXEmbedTray(bool on);
    // The point the host gave with its last ContextMenu, for the menu it opens.
    mutable std::optional<ScreenPoint> hostPoint_;
};

// The platform cannot put a pop-up at a screen point of its choosing
// (Wayland); the tray menu is then handed to the host to draw.
bool popupsNeedAParentWindow();

}  // namespace mnemora
