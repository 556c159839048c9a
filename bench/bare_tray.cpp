// The yardstick for Mnemora's start-up: a Qt program that does nothing but
// put an icon into the tray.
#include <QApplication>
#include <QIcon>
#include <QStyle>
#include <QSystemTrayIcon>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    app.setApplicationName("bare_tray");
    QSystemTrayIcon icon(QApplication::style()->standardIcon(QStyle::SP_ComputerIcon));
    icon.setToolTip("bare");
    icon.show();
    return QApplication::exec();
}
