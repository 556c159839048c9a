#include <gtest/gtest.h>

#include <QApplication>

#include "qt/common/message_boxes_qt.h"

// The application object must outlive every window and die before Qt's own
// globals, so it lives on main's stack rather than in a static.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Window tests draw into memory, also when CTest only lists them.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // Nor do they reach the desktop's session bus, where a panel would take
    // the tray icon of a test program.
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/mnemora-window-tests");
    QApplication app(argc, argv);
    // Boxes no test replaces are drawn as the program draws them.
    mnemora::QtMessageBoxes boxes;
    mnemora::setFrontEndMessageBoxes(&boxes);
    const int result = RUN_ALL_TESTS();
    mnemora::setFrontEndMessageBoxes(nullptr);
    return result;
}
