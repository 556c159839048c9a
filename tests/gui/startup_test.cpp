#include "shell/startup_qt.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QSystemTrayIcon>

#include "gui_support.h"
#include "sessions/main_window.h"
#include "shell/start_window.h"
#include "shell/tray_qt.h"
#include "temp_dir.h"

namespace mnemora {
namespace {

class StartupTest : public ::testing::Test {
protected:
    QApplication& app = test::qtApp();
    test::TempDir dir;
    test::RecordingBoxes boxes;
    test::RecordingHelp help;
};

TEST_F(StartupTest, WithoutATrayTheMainWindowIsShownInsteadOfVanishing) {
    ASSERT_FALSE(QSystemTrayIcon::isSystemTrayAvailable());  // offscreen has none
    auto run = startMnemora(dir / "Mnemora.reg", help);
    ASSERT_NE(run, nullptr);
    EXPECT_TRUE(run->tray().trayEnabled());
    EXPECT_FALSE(run->tray().trayIconShown());
    EXPECT_TRUE(run->form().isVisible());
    EXPECT_EQ(run->form().windowTitle(), "Мнемора (Версия 1.01) ");
    EXPECT_TRUE(boxes.fatals.empty());
    EXPECT_TRUE(run->startWindow().isVisible());  // a first start shows the start window
}

TEST_F(StartupTest, StoredValueOfTheWrongTypeEndsStartUpWithTheFatalBox) {
    test::writeBytes(dir / "Mnemora.reg",
                     "Windows Registry Editor Version 5.00\r\n\r\n"
                     "[HKEY_CURRENT_USER\\Software\\Vantero\\Mnemora\\1.01]\r\n"
                     "\"Start\"=\"yes\"\r\n");
    auto run = startMnemora(dir / "Mnemora.reg", help);
    EXPECT_EQ(run, nullptr);
    ASSERT_EQ(boxes.fatals.size(), 1u);
    const std::string& text = boxes.fatals[0];
    EXPECT_EQ(text.rfind("Exception ERegistryException in module mnemora at ", 0), 0u) << text;
    EXPECT_TRUE(text.ends_with(".\nInvalid data type for 'Start'.") || text.ends_with(".\r\nInvalid data type for 'Start'."))
        << text;
}

TEST_F(StartupTest, ClickModeIsTheStoredOneAtTheMomentOfTheClick) {
    auto run = startMnemora(dir / "Mnemora.reg", help);
    ASSERT_NE(run, nullptr);
    run->application().Minimize();
    run->values().Click = 1;
    run->tray().WMTrayNotify(WM_LBUTTONUP);
    EXPECT_TRUE(run->application().minimized());
    run->tray().WMTrayNotify(WM_LBUTTONDBLCLK);
    EXPECT_FALSE(run->application().minimized());
    EXPECT_TRUE(run->form().isVisible());
}

TEST_F(StartupTest, MinimisingTheWindowMinimisesTheApplicationAndRestoringBringsItBack) {
    auto run = startMnemora(dir / "Mnemora.reg", help);
    ASSERT_NE(run, nullptr);
    TForm1& form = run->form();
    form.setWindowState(Qt::WindowMinimized);
    EXPECT_TRUE(run->application().minimized());
    form.setWindowState(Qt::WindowNoState);
    EXPECT_FALSE(run->application().minimized());
}

// Some window managers (xfwm4) drop the minimised state once the program has
// hidden the window into the tray; only the user's restore may bring it back.
TEST_F(StartupTest, DroppingTheMinimisedStateOfAHiddenWindowIsNoRestore) {
    auto run = startMnemora(dir / "Mnemora.reg", help);
    ASSERT_NE(run, nullptr);
    TForm1& form = run->form();
    form.show();
    form.setWindowState(Qt::WindowMinimized);
    ASSERT_TRUE(run->application().minimized());
    form.hide();  // what going into the tray does where a tray exists
    form.setWindowState(Qt::WindowNoState);
    EXPECT_TRUE(run->application().minimized());
    EXPECT_FALSE(form.isVisible());
}

TEST(TrayActivations, BecomeTheThreeMouseMessages) {
    EXPECT_EQ(QtTrayShell::mouseMessageFor(QSystemTrayIcon::Trigger), WM_LBUTTONUP);
    EXPECT_EQ(QtTrayShell::mouseMessageFor(QSystemTrayIcon::DoubleClick), WM_LBUTTONDBLCLK);
    EXPECT_EQ(QtTrayShell::mouseMessageFor(QSystemTrayIcon::Context), WM_RBUTTONDOWN);
    EXPECT_NE(QtTrayShell::mouseMessageFor(QSystemTrayIcon::MiddleClick), WM_LBUTTONUP);
}

}  // namespace
}  // namespace mnemora
