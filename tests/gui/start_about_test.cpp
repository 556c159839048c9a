#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "qt/common/help_qt.h"
#include "gui_support.h"
#include "settings/memory_store.h"
#include "settings/settings.h"
#include "qt/shell/about_window.h"
#include "qt/shell/start_window.h"
#include "settings_fakes.h"

namespace mnemora {
namespace {

class StartWindowTest : public ::testing::Test {
protected:
    StartWindowTest() {
        values.DataFile = "/home/anna/lists.ini";
        values.ReportDir = "/home/anna/charts";
        values.Font.SetName("Arial");
        values.Color = clSilver;
        values.Click = 1;
        form.primaryScreenSize = [] { return QSize(1024, 768); };
        form.presenter().popupTrayMenu = [this](MenuPoint at) {
            EXPECT_FALSE(form.isVisible());  // the window has gone before the menu opens
            menus.push_back(at);
        };
    }

    QPushButton* button(const char* name) { return form.findChild<QPushButton*>(name); }
    QCheckBox* box() { return form.findChild<QCheckBox*>("CheckBox1"); }
    std::vector<std::string> storedNames() const { return store.valueNames(kSettingsKey.substr(1)); }
    TParamValues reloaded() {
        TParamValues fresh;
        test::RecordingTarget target;
        test::FixedEnvironment env{"/home/anna"};
        LoadSettings(fresh, store, env, target);
        return fresh;
    }

    QApplication& app = test::qtApp();
    test::RecordingBoxes boxes;
    test::RecordingHelp helpPlatform;
    TMyHLPObject help{helpPlatform};
    MemoryRegistryStore store;
    TParamValues values;
    TFormStart form{values, store, help};
    std::vector<MenuPoint> menus;
};

TEST_F(StartWindowTest, WindowShowsThePictureUnscaledAndTheBoxTicked) {
    EXPECT_EQ(form.windowTitle(), "\"Мнемора\"");
    EXPECT_EQ(form.size(), QSize(231, 313));
    const auto* image = form.findChild<QLabel*>("Image1");
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->geometry(), QRect(0, 0, 230, 217));
    EXPECT_EQ(image->pixmap().size(), QSize(232, 220));
    EXPECT_TRUE(image->alignment().testFlag(Qt::AlignLeft) && image->alignment().testFlag(Qt::AlignTop));
    EXPECT_TRUE(box()->isChecked());
    EXPECT_EQ(box()->text(), "&Показывать при запуске");
    EXPECT_EQ(button("SpeedButton1")->text(), "Продолжить");
    EXPECT_EQ(button("SpeedButton2")->text(), "Как работать с программой");
}

TEST_F(StartWindowTest, ContinueWithTheBoxClearedStoresStartFalseWithEveryOtherValue) {
    form.show();
    QTest::mouseClick(box(), Qt::LeftButton);
    QTest::mouseClick(button("SpeedButton1"), Qt::LeftButton);
    EXPECT_FALSE(values.Start);
    EXPECT_EQ(storedNames().size(), 11u);
    EXPECT_EQ(reloaded(), values);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(menus, (std::vector<MenuPoint>{{482, 354}}));
}

TEST_F(StartWindowTest, CloseBoxStoresNothingAndOpensNoMenu) {
    form.show();
    QTest::mouseClick(box(), Qt::LeftButton);
    form.close();
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(values.Start);
    EXPECT_TRUE(storedNames().empty());
    EXPECT_TRUE(menus.empty());
}

TEST_F(StartWindowTest, HowToButtonAsksForTheGeneralHelpAndF1ForNothing) {
    form.show();
    QApplication::setActiveWindow(&form);
    QTest::mouseClick(button("SpeedButton2"), Qt::LeftButton);
    EXPECT_EQ(helpPlatform.contexts, std::vector<std::int32_t>{1000});
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(HelpKeyFilter::currentF1Context(), std::nullopt);
}

class AboutWindowTest : public ::testing::Test {
protected:
    AboutWindowTest() {
        form.openUrl = [this](const QString& url) { urls << url; };
        form.show();
    }

    QLabel* label(const char* name) { return form.findChild<QLabel*>(name); }
    QWidget* panel() { return form.findChild<QWidget*>("Panel1"); }
    static bool highlighted(const QLabel* link) {
        return link->font().underline() && link->palette().color(QPalette::WindowText) == QColor(0, 0, 255);
    }
    static bool plain(const QLabel* link) {
        return !link->font().underline() && link->palette().color(QPalette::WindowText) != QColor(0, 0, 255);
    }
    void moveOver(QWidget* w, QPoint at = QPoint(2, 2)) { QTest::mouseMove(w, at); }

    QApplication& app = test::qtApp();
    test::RecordingBoxes boxes;
    TFormAbout form;
    QStringList urls;
};

TEST_F(AboutWindowTest, WindowCarriesNameVersionCreditAndAddresses) {
    EXPECT_EQ(form.windowTitle(), "О программе");
    EXPECT_GE(form.width(), 314);
    EXPECT_EQ(form.height(), 174);
    EXPECT_EQ(helpContextOf(&form), 1010);
    EXPECT_EQ(label("Label1")->text(), "Мнемора (Версия 1.01) ");
    EXPECT_EQ(label("Label3")->text(), "Программирование: команда Мнеморы,");
    EXPECT_EQ(label("Label5")->text(), "Рассылка:");
    EXPECT_EQ(label("Label6")->text(), "mnemora-subscribe@example.org");
    EXPECT_EQ(label("Label4")->text(), "mnemora@example.org");
    EXPECT_TRUE(label("Label2")->wordWrap());
    EXPECT_TRUE(plain(label("Label4")));
    EXPECT_TRUE(plain(label("Label6")));
}

TEST_F(AboutWindowTest, AddressLinesShowTheirWholeTextsSideBySide) {
    for (const char* name : {"Label5", "Label6", "Label3", "Label4"}) {
        const QLabel* l = label(name);
        EXPECT_GE(l->width(), l->fontMetrics().horizontalAdvance(l->text())) << name;
        EXPECT_LE(l->geometry().right(), panel()->width() - 2) << name;
    }
    EXPECT_LT(label("Label5")->geometry().right(), label("Label6")->x());
    EXPECT_LT(label("Label3")->geometry().right(), label("Label4")->x());
    EXPECT_EQ(label("Label4")->y(), label("Label3")->y());
}

TEST_F(AboutWindowTest, HoverUnderlinesALinkInBlueUntilTheFreePanelIsCrossed) {
    moveOver(label("Label4"));
    EXPECT_TRUE(highlighted(label("Label4")));
    EXPECT_TRUE(plain(label("Label6")));
    // Straight from one address to the other: both stay lit.
    moveOver(label("Label6"));
    EXPECT_TRUE(highlighted(label("Label4")));
    EXPECT_TRUE(highlighted(label("Label6")));
    // Other labels are not the free panel.
    moveOver(label("Label2"));
    EXPECT_TRUE(highlighted(label("Label4")));
    moveOver(panel(), QPoint(4, 120));
    EXPECT_TRUE(plain(label("Label4")));
    EXPECT_TRUE(plain(label("Label6")));
}

TEST_F(AboutWindowTest, HighlightOutlastsClosingAndReopening) {
    moveOver(label("Label6"));
    form.close();
    form.show();
    EXPECT_TRUE(highlighted(label("Label6")));
}

TEST_F(AboutWindowTest, ClickOnAnAddressMailsExactlyItsCaption) {
    QTest::mouseClick(label("Label6"), Qt::LeftButton);
    QTest::mouseClick(label("Label4"), Qt::LeftButton);
    QTest::mouseClick(label("Label5"), Qt::LeftButton);
    EXPECT_EQ(urls, (QStringList{"mailto:mnemora-subscribe@example.org", "mailto:mnemora@example.org"}));
    EXPECT_TRUE(form.isVisible());
}

TEST_F(AboutWindowTest, EscapeLeavesTheWindowOpen) {
    QTest::keyClick(&form, Qt::Key_Escape);
    EXPECT_TRUE(form.isVisible());
}

TEST_F(AboutWindowTest, OkClosesWithResultOneAndF1AsksForTheWindowsTopic) {
    QApplication::setActiveWindow(&form);
    auto* ok = form.findChild<QPushButton*>("BitBtn1");
    ok->setFocus();
    EXPECT_EQ(HelpKeyFilter::currentF1Context(), 1010);
    form.hide();
    QTimer::singleShot(0, &form, [ok] { QTest::mouseClick(ok, Qt::LeftButton); });
    EXPECT_EQ(form.ShowModal(), 1);
    EXPECT_FALSE(form.isVisible());
}

}  // namespace
}  // namespace mnemora
