#include "qt/shell/startup_qt.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QSystemTrayIcon>

#include "gui_support.h"
#include "qt/sessions/main_window.h"
#include "sessions/tray_catalogue.h"
#include "qt/shell/start_window.h"
#include "qt/shell/tray_qt.h"
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
    QCoreApplication::processEvents();
    EXPECT_TRUE(run->startWindow().isVisible());  // a first start shows the start window
}

TEST_F(StartupTest, WithoutATrayAnEndedSessionLeavesTheWindowOnScreen) {
    test::writeBytes(dir / "data.ini", test::cp1251Lines({"[Disk]", "0=Зрение", "1=Слух", "[List1]", "1=Вопрос"}));
    auto run = startMnemora(dir / "Mnemora.reg", help);
    ASSERT_NE(run, nullptr);
    ASSERT_FALSE(run->tray().trayIconShown());
    run->values().DataFile = (dir / "data.ini").string();
    run->form().engine().ClickSession(sessionItemData(sessionEntryForList(1)));
    ASSERT_TRUE(run->form().engine().isRunning());
    run->form().engine().EndSession();
    // Hidden with no tray icon, nothing on the desktop could bring it back.
    EXPECT_TRUE(run->form().isVisible());
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

TEST_F(StartupTest, DamagedStoreIsReportedOnceAndStartUpGoesOnWithDefaults) {
    const std::string damaged = "Windows Registry Editor Version 5.00\r\n[unclosed\r\n\"Start\"=dword:0\r\n";
    test::writeBytes(dir / "Mnemora.reg", damaged);
    auto run = startMnemora(dir / "Mnemora.reg", help);
    ASSERT_NE(run, nullptr);
    EXPECT_TRUE(boxes.fatals.empty());
    EXPECT_TRUE(boxes.errors.empty());
    ASSERT_EQ(boxes.plains.size(), 1u);
    std::filesystem::path aside;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        if (entry.path().filename().string().starts_with("Mnemora.reg.damaged-")) {
            aside = entry.path();
        }
    }
    ASSERT_FALSE(aside.empty());
    EXPECT_EQ(aside.filename().string().size(), std::string("Mnemora.reg.damaged-YYYYMMDD-HHMMSS").size());
    EXPECT_EQ(test::readBytes(aside), damaged);
    EXPECT_NE(boxes.plains[0].find((dir / "Mnemora.reg").string() + "\n"), std::string::npos) << boxes.plains[0];
    EXPECT_NE(boxes.plains[0].find(aside.string()), std::string::npos) << boxes.plains[0];
    EXPECT_TRUE(run->values().Start);  // the default, not the damaged file's 0

    run->values().Start = false;
    FileRegistryStore store(dir / "Mnemora.reg");
    SaveSettings(run->values(), store);
    run.reset();
    auto again = startMnemora(dir / "Mnemora.reg", help);
    ASSERT_NE(again, nullptr);
    EXPECT_FALSE(again->values().Start);
    EXPECT_EQ(boxes.plains.size(), 1u);
}

TEST_F(StartupTest, ClickModeIsTheStoredOneAtTheMomentOfTheClick) {
    auto run = startMnemora(dir / "Mnemora.reg", help);
    ASSERT_NE(run, nullptr);
    run->application().Minimize();
    run->values().Click = 1;
    run->tray().WMTrayNotify(kLeftButtonUp);
    EXPECT_TRUE(run->application().minimized());
    run->tray().WMTrayNotify(kLeftButtonDoubleClick);
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
    EXPECT_EQ(QtTrayShell::mouseMessageFor(QSystemTrayIcon::Trigger), kLeftButtonUp);
    EXPECT_EQ(QtTrayShell::mouseMessageFor(QSystemTrayIcon::DoubleClick), kLeftButtonDoubleClick);
    EXPECT_EQ(QtTrayShell::mouseMessageFor(QSystemTrayIcon::Context), kRightButtonDown);
    EXPECT_NE(QtTrayShell::mouseMessageFor(QSystemTrayIcon::MiddleClick), kLeftButtonUp);
}

}  // namespace
}  // namespace mnemora
