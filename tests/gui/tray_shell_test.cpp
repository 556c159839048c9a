#include "qt/shell/tray_qt.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDialog>
#include <QDBusMetaType>
#include <QMenu>
#include <QSignalSpy>
#include <QStyleHints>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include "gui_support.h"
#include "qt/sessions/main_window.h"
#include "qt/shell/dbus_menu_qt.h"
#include "qt/shell/startup_qt.h"
#include "qt/shell/status_notifier_qt.h"
#include "temp_dir.h"

namespace mnemora {
namespace {

QString signatureOf(QMetaType type) { return QString::fromLatin1(QDBusMetaType::typeToSignature(type)); }

// A host reads these signatures before anything else; one wrong letter and
// the icon or the menu stays empty.
TEST(TrayWireTypes, CarryTheSignaturesHostsExpect) {
    StatusNotifierItem item;
    DBusMenuExporter::registerTypes();
    EXPECT_EQ(signatureOf(QMetaType::fromType<SniPixmaps>()), "a(iiay)");
    EXPECT_EQ(signatureOf(QMetaType::fromType<SniToolTip>()), "(sa(iiay)ss)");
    EXPECT_EQ(signatureOf(QMetaType::fromType<DBusMenuLayoutItem>()), "(ia{sv}av)");
    EXPECT_EQ(signatureOf(QMetaType::fromType<DBusMenuItemPropertiesList>()), "a(ia{sv})");
    EXPECT_EQ(signatureOf(QMetaType::fromType<DBusMenuItemKeysList>()), "a(ias)");
    EXPECT_EQ(signatureOf(QMetaType::fromType<DBusMenuEventList>()), "a(isvu)");
}

TEST(TrayIconPixmaps, AreArgbInNetworkOrderInTheSizesTheIconHas) {
    QImage square(32, 32, QImage::Format_ARGB32);
    square.fill(QColor(0x11, 0x22, 0x33));
    square.setPixel(0, 0, qRgba(0xAA, 0xBB, 0xCC, 0xFF));
    square.setPixel(1, 0, qRgba(0, 0, 0, 0));
    const SniPixmaps pixmaps = sniPixmaps(QIcon(QPixmap::fromImage(square)));
    QStringList sizes;
    for (const SniPixmap& p : pixmaps) {
        sizes << QString("%1x%2").arg(p.width).arg(p.height);
        EXPECT_EQ(p.argb.size(), p.width * p.height * 4);
    }
    // Scaled down for small panels, never blown up past what it has.
    EXPECT_EQ(sizes, QStringList({"16x16", "22x22", "24x24", "32x32"}));
    const QByteArray& big = pixmaps.back().argb;
    EXPECT_EQ(big.mid(0, 4), QByteArray("\xFF\xAA\xBB\xCC", 4));
    EXPECT_EQ(big.mid(4, 4), QByteArray(4, '\0'));
    EXPECT_EQ(big.mid(8, 4), QByteArray("\xFF\x11\x22\x33", 4));
}

TEST(TrayItem, TitleIsTheApplicationsAndTheTooltipTheTipItWasShownWith) {
    StatusNotifierItem item;
    EXPECT_EQ(item.title(), "Мнемора");
    // No bus here, so showing fails, but the tip is what the item would carry.
    EXPECT_FALSE(item.show("Мнемора (Версия 1.01) ", QIcon(), nullptr));
    EXPECT_FALSE(item.isShown());
    EXPECT_EQ(item.toolTip().title, "Мнемора (Версия 1.01) ");
    EXPECT_EQ(item.menuPath().path(), "/NO_DBUSMENU");  // the host asks with ContextMenu
}

class FixedSettings : public SessionSettings {
public:
    std::string dataFile() const override { return "/nonexistent/Mnemora.ini"; }
    void setDefaultPaths() override {}
    void saveSettings() override {}
};

class ExportedMenuTest : public ::testing::Test {
protected:
    QApplication& app = test::qtApp();
    test::RecordingBoxes boxes;
    test::RecordingHelp helpPlatform;
    TMyHLPObject help{helpPlatform};
    FixedSettings settings;
    RandomGenerator random;
    TForm1 form{settings, help, random};
    DBusMenuExporter menu{*form.trayPopup()};

    int id(const char* name) { return menu.idOf(form.menuItem(name)); }
    QVariantMap props(const char* name) { return menu.properties(id(name), {}); }
};

TEST_F(ExportedMenuTest, LayoutIsTheTrayMenuWithKeysMarkedForTheHost) {
    const DBusMenuLayoutItem root = menu.layout(0, -1, {});
    EXPECT_EQ(root.id, 0);
    QStringList top;
    for (const DBusMenuLayoutItem& item : root.children) {
        top << (item.properties.value("type") == "separator" ? "-" : item.properties.value("label").toString());
    }
    EXPECT_EQ(top, QStringList({"_Сессии", "_Заполнение тестов", "_Настройка", "_Помощь", "-", "_Выход"}));

    int count = 0;
    std::function<void(const DBusMenuLayoutItem&)> walk = [&](const DBusMenuLayoutItem& item) {
        for (const DBusMenuLayoutItem& child : item.children) {
            ++count;
            walk(child);
        }
    };
    walk(root);
    EXPECT_EQ(count, 52);  // every item of the menu, separators included

    EXPECT_EQ(props("NT21").value("children-display"), "submenu");
    EXPECT_FALSE(props("NT11").contains("children-display"));
    EXPECT_EQ(props("NT11").value("label"), "Список _1. Общие случаи.");
    EXPECT_EQ(props("N3").value("label"), ">");
    EXPECT_EQ(props("N3").value("enabled"), false);  // no session yet
    EXPECT_EQ(props("NT10").value("enabled"), true);
}

TEST_F(ExportedMenuTest, DepthAndPropertyNamesLimitWhatIsSent) {
    const DBusMenuLayoutItem shallow = menu.layout(0, 1, {"label"});
    ASSERT_EQ(shallow.children.size(), 6);
    for (const DBusMenuLayoutItem& item : shallow.children) {
        EXPECT_TRUE(item.children.isEmpty());
        EXPECT_TRUE(item.properties.isEmpty() || item.properties.keys() == QStringList{"label"});
    }
    const DBusMenuLayoutItem lists = menu.layout(id("NT10"), -1, {});
    EXPECT_EQ(lists.children.size(), 14);  // the lists and groups under "&Начать"
}

TEST_F(ExportedMenuTest, AChangedItemTellsTheHostToFetchTheLayoutAgain) {
    QSignalSpy updates(&menu, &DBusMenuExporter::layoutUpdated);
    const uint before = menu.revision();
    form.presenter().setNT10Enabled(false);  // a session has begun
    ASSERT_EQ(updates.count(), 1);
    EXPECT_GT(menu.revision(), before);
    EXPECT_EQ(updates.at(0).at(0).toUInt(), menu.revision());
    EXPECT_EQ(props("NT10").value("enabled"), false);
}

TEST_F(ExportedMenuTest, ClickedChoosesEnabledItemsOnlyAfterTheCallHasReturned) {
    ASSERT_TRUE(menu.handleEvent(id("NT6"), "clicked"));  // "&Вызов помощи"
    EXPECT_TRUE(helpPlatform.contexts.empty());
    QCoreApplication::processEvents();
    EXPECT_EQ(helpPlatform.contexts, std::vector<std::int32_t>{1000});

    // A greyed item, a submenu and other events choose nothing.
    QSignalSpy next(form.action(ActionId::Next), &QAction::triggered);
    menu.handleEvent(id("N3"), "clicked");
    menu.handleEvent(id("NT3"), "clicked");
    menu.handleEvent(id("NT6"), "hovered");
    QCoreApplication::processEvents();
    EXPECT_EQ(next.count(), 0);
    EXPECT_EQ(helpPlatform.contexts.size(), 1u);
    EXPECT_FALSE(menu.handleEvent(9999, "clicked"));
}

// What the menu shows greyed, no call can choose: a list under "&Начать"
// while a session runs, and anything at all while a modal window is open,
// including a choice queued just before it opened.
TEST_F(ExportedMenuTest, GreyedOrUnderAModalWindowNothingIsChosen) {
    QSignalSpy list1(form.menuItem("NT11"), &QAction::triggered);
    form.presenter().setNT10Enabled(false);  // a session runs
    EXPECT_EQ(props("NT11").value("enabled"), false);
    EXPECT_TRUE(menu.handleEvent(id("NT11"), "clicked"));
    QCoreApplication::processEvents();
    EXPECT_EQ(list1.count(), 0);
    form.presenter().setNT10Enabled(true);
    EXPECT_EQ(props("NT11").value("enabled"), true);

    QDialog box;
    box.setModal(true);
    box.show();
    menu.handleEvent(id("NT6"), "clicked");
    QCoreApplication::processEvents();
    EXPECT_TRUE(helpPlatform.contexts.empty()) << "chosen under a modal window";
    box.hide();
    menu.handleEvent(id("NT6"), "clicked");
    box.show();  // opened before the queued choice runs
    QCoreApplication::processEvents();
    EXPECT_TRUE(helpPlatform.contexts.empty()) << "a queued choice ran under a modal window";
    box.hide();
    menu.handleEvent(id("NT6"), "clicked");
    QCoreApplication::processEvents();
    EXPECT_EQ(helpPlatform.contexts, std::vector<std::int32_t>{1000});
}

class TrayShellTest : public ::testing::Test {
protected:
    QApplication& app = test::qtApp();
    test::TempDir dir;
    test::RecordingBoxes boxes;
    test::RecordingHelp help;
    std::unique_ptr<MnemoraApp> run = startMnemora(dir / "Mnemora.reg", help);

    StatusNotifierItem& item() { return run->trayShell().statusNotifierItem(); }
    void settle() {
        for (int i = 0; i < 3; ++i) {
            QCoreApplication::processEvents();
        }
    }
};

TEST_F(TrayShellTest, ActivationsRestoreByTheClickModeAndTheMiddleButtonDoesNothing) {
    ASSERT_NE(run, nullptr);
    run->application().Minimize();
    emit item().secondaryActivated(10, 10);
    settle();
    EXPECT_TRUE(run->application().minimized());

    run->values().Click = 1;
    emit item().activated(10, 10);
    settle();
    EXPECT_TRUE(run->application().minimized()) << "one activation is no double click";
    emit item().activated(10, 10);
    settle();
    EXPECT_FALSE(run->application().minimized());

    run->values().Click = 0;
    QTest::qWait(QGuiApplication::styleHints()->mouseDoubleClickInterval() + 50);
    run->application().Minimize();
    emit item().activated(10, 10);
    settle();
    EXPECT_FALSE(run->application().minimized());
}

TEST_F(TrayShellTest, ContextMenuOpensTheTrayMenuAtTheHostsPoint) {
    ASSERT_NE(run, nullptr);
    QMenu* popup = run->form().trayPopup();
    QPoint shownAt;
    QTimer::singleShot(50, popup, [&] {
        shownAt = popup->pos();
        popup->close();
    });
    emit item().contextMenuRequested(120, 140);
    settle();
    EXPECT_EQ(shownAt, QPoint(120, 140));
    // The point is used once; the next menu goes where the pointer is.
    const ScreenPoint next = run->trayShell().cursorPos();
    EXPECT_FALSE(next.x == 120 && next.y == 140);
}

TEST_F(TrayShellTest, UnderAModalWindowThePanelOpensAndRestoresNothing) {
    ASSERT_NE(run, nullptr);
    QMenu* popup = run->form().trayPopup();
    bool opened = false;
    QTimer closer;  // a menu that did open must not hold the test
    QObject::connect(&closer, &QTimer::timeout, popup, [&] {
        if (popup->isVisible()) {
            opened = true;
            popup->close();
        }
    });
    closer.start(20);
    run->application().Minimize();
    QDialog box;
    box.setModal(true);
    box.show();
    emit item().contextMenuRequested(120, 140);
    emit item().activated(10, 10);
    QTest::qWait(100);
    EXPECT_FALSE(opened);
    EXPECT_TRUE(run->application().minimized());
    box.hide();
    emit item().contextMenuRequested(120, 140);
    QTest::qWait(100);
    EXPECT_TRUE(opened);
}

// Some platforms (Wayland) hand the window's request to minimise to the
// compositor and never report the state back to the window.
TEST_F(TrayShellTest, AMinimiseRequestTheWindowNeverHearsBackFromStillMinimises) {
    ASSERT_NE(run, nullptr);
    TForm1& form = run->form();
    form.show();
    ASSERT_NE(form.windowHandle(), nullptr);
    emit form.windowHandle()->windowStateChanged(Qt::WindowMinimized);
    EXPECT_FALSE(run->application().minimized()) << "posted, after the request has finished";
    settle();
    EXPECT_TRUE(run->application().minimized());
}

}  // namespace
}  // namespace mnemora
