#pragma once

#include <QObject>
#include <QSystemTrayIcon>

#include "shell/tray_controller.h"

class QMenu;
class QWidget;

namespace mnemora {

class TForm1;

// The tray through QSystemTrayIcon: its activations become the three mouse
// messages, and the tip comes from the record.
class QtTrayShell : public QObject, public TrayShell {
public:
    QtTrayShell(TForm1& form, QMenu& menu, QObject* parent = nullptr);

    void attach(TrayController& controller);
    static std::uint32_t mouseMessageFor(QSystemTrayIcon::ActivationReason reason);
    QSystemTrayIcon& icon() { return icon_; }

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
    TForm1& form_;
    QMenu& menu_;
    QSystemTrayIcon icon_;
};

}  // namespace mnemora
