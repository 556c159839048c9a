#include "qt/settings/param_window.h"

#include <gtest/gtest.h>

#include <QButtonGroup>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include "qt/common/help_qt.h"
#include "gui_support.h"
#include "qt/sessions/main_window.h"
#include "settings/memory_store.h"
#include "settings_fakes.h"

namespace mnemora {
namespace {

class ParamWindowTest : public ::testing::Test {
protected:
    ParamWindowTest() {
        values.DataFile = "/home/anna/old.ini";
        values.ReportDir = "/home/anna/old-reports";
        form.chooseFont = [this](QWidget*, const TFont& start) {
            ++fontDialogs;
            fontStart = start;
            return fontAnswer;
        };
        form.chooseColor = [this](QWidget*, const QColor& start) {
            ++colorDialogs;
            colorStart = start;
            return colorAnswer;
        };
        form.openUrl = [this](const QString& url) { urls << url; };
        form.presenter().onClosed = [this] { ++closings; };
    }

    template <class T>
    T* child(const char* name) {
        T* w = form.findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    void click(const char* name) { QTest::mouseClick(child<QPushButton>(name), Qt::LeftButton); }
    void typeInto(const char* name, const QString& text) {
        QLineEdit* edit = child<QLineEdit>(name);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
    QRadioButton* clickItem(int i) {
        return child<QRadioButton>(QString("RadioGroup_Clicks_%1").arg(i).toUtf8().constData());
    }
    // What a later run would load from the store.
    TParamValues reloaded() {
        TParamValues fresh;
        test::RecordingTarget target;
        LoadSettings(fresh, store, env, target);
        return fresh;
    }
    bool storeIsEmpty() const { return store.valueNames(kSettingsKey.substr(1)).empty(); }

    QApplication& app = test::qtApp();
    test::RecordingBoxes boxes;
    test::RecordingHelp helpPlatform;
    TMyHLPObject help{helpPlatform};
    test::FixedEnvironment env{"/home/anna"};
    MemoryRegistryStore store;
    TParamValues values;
    TFormParam form{values, store, env, help};

    std::optional<FontDialogResult> fontAnswer;
    std::optional<QColor> colorAnswer;
    TFont fontStart;
    QColor colorStart;
    int fontDialogs = 0;
    int colorDialogs = 0;
    int closings = 0;
    QStringList urls;
};

FontDialogResult arialChoice() {
    FontDialogResult r;
    r.faceName = "Arial";
    r.pointSize = 20;
    r.weight = 400;
    r.italic = true;
    r.faceCharset = 204;
    return r;
}

TEST_F(ParamWindowTest, WindowHasItsCaptionSizeAndControls) {
    EXPECT_EQ(form.windowTitle(), "Параметры");
    EXPECT_EQ(form.size(), QSize(417, 325));
    EXPECT_EQ(helpContextOf(&form), 1010);
    auto* pages = child<QTabWidget>("PageControl1");
    EXPECT_EQ(pages->geometry(), QRect(8, 8, 401, 281));
    EXPECT_EQ(pages->tabText(0), "Общие настройки");
    EXPECT_EQ(pages->tabText(1), "Месторасположение данных");
    EXPECT_EQ(child<QLabel>("PanelColor")->text(), "Vantero");
    EXPECT_EQ(child<QPushButton>("Button6")->text(), "&По умолчанию");
    EXPECT_EQ(child<QCheckBox>("CheckBox_Start")->text(), "&Показывать заставку");
    EXPECT_EQ(clickItem(0)->text(), "одинарном щелчке мыши");
    EXPECT_EQ(clickItem(1)->text(), "двойном щелчке мыши");
    EXPECT_EQ(child<QLabel>("Label2")->text(), "Ф&айлы отчетов:");
    // The edits may start later for a wider face, but always end before "...".
    for (const char* name : {"Edit_DirFiles", "Edit_DirReport"}) {
        const QRect edit = child<QLineEdit>(name)->geometry();
        EXPECT_GE(edit.x(), 104) << name;
        EXPECT_EQ(edit.right(), 344) << name;
        EXPECT_EQ(edit.height(), 21) << name;
    }
    for (const char* name : {"Label1", "Label2"}) {
        EXPECT_LT(child<QLabel>(name)->geometry().right(), child<QLineEdit>("Edit_DirFiles")->x()) << name;
    }
    EXPECT_TRUE(child<QPushButton>("BitBtn1")->isDefault());
    EXPECT_EQ(child<QPushButton>("BitBtn2")->text(), "Отмена");
    EXPECT_EQ(child<QPushButton>("BitBtn3")->text(), "&Помощь");
}

TEST_F(ParamWindowTest, TabOrderRunsDownEachPageThenAlongTheButtons) {
    const QStringList expected{"Button4",       "Button5", "Button6",        "CheckBox_Start", "RadioGroup_Clicks_0",
                               "RadioGroup_Clicks_1", "Edit_DirFiles", "Button1", "Edit_DirReport", "Button2",
                               "Button3",       "BitBtn1", "BitBtn2",        "BitBtn3"};
    QStringList chain;
    QWidget* w = child<QWidget>("PageControl1");
    for (int guard = 0; guard < 200 && chain.size() < expected.size(); ++guard) {
        w = w->nextInFocusChain();
        if (expected.contains(w->objectName()) && !chain.contains(w->objectName())) {
            chain << w->objectName();
        }
    }
    EXPECT_EQ(chain, expected);
}

TEST_F(ParamWindowTest, CancelKeepsAChangedPathAndFontInForceButUnsaved) {
    form.show();
    child<QTabWidget>("PageControl1")->setCurrentIndex(1);
    typeInto("Edit_DirFiles", "/data/new.ini");
    EXPECT_EQ(values.DataFile, "/data/new.ini");  // at once, not on closing
    fontAnswer = arialChoice();
    child<QTabWidget>("PageControl1")->setCurrentIndex(0);
    click("Button4");
    EXPECT_EQ(child<QLabel>("PanelColor")->font().family(), "Arial");
    click("BitBtn2");

    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), TFormParam::mrCancel);
    EXPECT_EQ(closings, 1);
    EXPECT_EQ(values.DataFile, "/data/new.ini");
    EXPECT_EQ(values.Font.Name, "Arial");
    EXPECT_TRUE(storeIsEmpty());
    EXPECT_TRUE(boxes.errors.empty());
}

TEST_F(ParamWindowTest, EscapeAndTheCloseBoxAreCancelToo) {
    form.show();
    QTest::keyClick(&form, Qt::Key_Escape);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), TFormParam::mrCancel);
    form.show();
    form.close();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), TFormParam::mrCancel);
    EXPECT_EQ(closings, 2);
    EXPECT_TRUE(storeIsEmpty());
}

TEST_F(ParamWindowTest, OkSavesEveryValueOfTheRecord) {
    form.show();
    QTest::mouseClick(child<QCheckBox>("CheckBox_Start"), Qt::LeftButton);
    QTest::mouseClick(clickItem(1), Qt::LeftButton);
    typeInto("Edit_DirReport", "/data/reports");
    colorAnswer = QColor(10, 20, 30);
    click("Button5");
    click("BitBtn1");

    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), TFormParam::mrOk);
    EXPECT_EQ(closings, 1);
    EXPECT_FALSE(values.Start);
    EXPECT_EQ(values.Click, 1);
    EXPECT_EQ(values.Color, rgbColor(10, 20, 30));
    EXPECT_EQ(reloaded(), values);
}

TEST_F(ParamWindowTest, ShowModalGivesOneForOkAndTwoForCancel) {
    QTimer::singleShot(0, &form, [this] { click("BitBtn1"); });
    EXPECT_EQ(form.ShowModal(), 1);
    QTimer::singleShot(0, &form, [this] { click("BitBtn2"); });
    EXPECT_EQ(form.ShowModal(), 2);
}

TEST_F(ParamWindowTest, GeneralDefaultsLeaveFontStyleAndClickModeAlone) {
    values.Font.SetName("Arial");
    values.Font.SetSize(30);
    values.Font.Style = TFontStyles{.bold = true, .italic = true};
    values.Font.Color = clRed;
    values.Color = clSilver;
    values.Start = false;
    values.Click = 1;
    form.show();
    click("Button6");

    EXPECT_EQ(values.Font.Name, "MS Sans Serif");
    EXPECT_EQ(values.Font.Size(), 15);
    EXPECT_EQ(values.Font.Style, (TFontStyles{.bold = true, .italic = true}));
    EXPECT_EQ(values.Font.Color, clYellow);
    EXPECT_EQ(values.Color, clBlack);
    EXPECT_TRUE(values.Start);
    EXPECT_EQ(values.Click, 1);
    EXPECT_TRUE(child<QCheckBox>("CheckBox_Start")->isChecked());
    EXPECT_TRUE(clickItem(1)->isChecked());
    const QLabel* preview = child<QLabel>("PanelColor");
    EXPECT_EQ(preview->font().pixelSize(), 20);
    EXPECT_TRUE(preview->font().italic());
    EXPECT_EQ(preview->palette().color(QPalette::Window), QColor(0, 0, 0));
    EXPECT_EQ(preview->palette().color(QPalette::WindowText), QColor(255, 255, 0));
    EXPECT_TRUE(storeIsEmpty());
}

TEST_F(ParamWindowTest, PathDefaultsComeFromTheCurrentFolderAndAreNotStored) {
    form.show();
    click("Button3");
    EXPECT_EQ(child<QLineEdit>("Edit_DirFiles")->text(), "/home/anna/Mnemora.ini");
    EXPECT_EQ(child<QLineEdit>("Edit_DirReport")->text(), "/home/anna/Reports");
    EXPECT_EQ(values.DataFile, "/home/anna/Mnemora.ini");
    click("BitBtn2");
    EXPECT_TRUE(storeIsEmpty());
}

TEST_F(ParamWindowTest, ClickModeOfMinusOneSelectsNeitherItemUntilOneIsChosen) {
    values.Click = 0;
    form.show();
    EXPECT_TRUE(clickItem(0)->isChecked());
    form.hide();
    values.Click = -1;
    form.show();
    EXPECT_FALSE(clickItem(0)->isChecked());
    EXPECT_FALSE(clickItem(1)->isChecked());
    EXPECT_EQ(values.Click, -1);  // showing writes nothing back
    QTest::mouseClick(clickItem(0), Qt::LeftButton);
    EXPECT_EQ(values.Click, 0);
}

TEST_F(ParamWindowTest, PageLastShownIsKeptBetweenOpenings) {
    auto* pages = child<QTabWidget>("PageControl1");
    form.show();
    EXPECT_EQ(pages->currentWidget()->objectName(), "TabSheet1");
    pages->setCurrentIndex(1);
    click("BitBtn2");
    form.show();
    EXPECT_EQ(pages->currentWidget()->objectName(), "TabSheet2");
}

TEST_F(ParamWindowTest, ValuesChangedWhileHiddenAppearOnTheNextShow) {
    form.show();
    click("BitBtn2");
    SetDefaultPaths(values, env);
    values.Start = false;
    values.Color = clRed;
    form.show();
    EXPECT_EQ(child<QLineEdit>("Edit_DirFiles")->text(), "/home/anna/Mnemora.ini");
    EXPECT_FALSE(child<QCheckBox>("CheckBox_Start")->isChecked());
    EXPECT_EQ(child<QLabel>("PanelColor")->palette().color(QPalette::Window), QColor(255, 0, 0));
}

TEST_F(ParamWindowTest, SystemBackgroundGoesIntoTheColourDialogAsItsScreenValue) {
    values.Color = clBtnFace;
    form.show();
    colorAnswer = QColor(1, 2, 3);
    click("Button5");
    EXPECT_EQ(colorStart, toQColor(clBtnFace, form.palette()));
    EXPECT_FALSE(isSystemColor(values.Color));
    EXPECT_EQ(values.Color, rgbColor(1, 2, 3));
    EXPECT_EQ(child<QLabel>("PanelColor")->palette().color(QPalette::Window), QColor(1, 2, 3));
}

TEST_F(ParamWindowTest, PreviewClickOpensTheSubscriptionAddressAndTheDotButtonsDoNothing) {
    const TParamValues before = values;
    form.show();
    QTest::mouseClick(child<QLabel>("PanelColor"), Qt::LeftButton);
    EXPECT_EQ(urls, QStringList{"mailto:mnemora-subscribe@example.org"});
    child<QTabWidget>("PageControl1")->setCurrentIndex(1);
    click("Button1");
    click("Button2");
    EXPECT_EQ(values, before);
    EXPECT_EQ(urls.size(), 1);
    EXPECT_EQ(fontDialogs + colorDialogs, 0);
    EXPECT_TRUE(form.isVisible());
}

TEST_F(ParamWindowTest, HelpButtonAndF1AskForTheWindowsTopic) {
    form.show();
    QApplication::setActiveWindow(&form);
    click("BitBtn3");
    EXPECT_EQ(helpPlatform.contexts, std::vector<std::int32_t>{1010});
    child<QTabWidget>("PageControl1")->setCurrentIndex(1);
    child<QLineEdit>("Edit_DirFiles")->setFocus();
    EXPECT_EQ(HelpKeyFilter::currentF1Context(), 1010);
    EXPECT_TRUE(form.isVisible());
}

// The real dialog: one Escape, wherever the focus is in the font chooser,
// cancels it whole rather than leaving an empty frame behind.
TEST(FontDialog, OneEscapeCancelsTheWholeDialog) {
    test::qtApp();
    TFont start;
    bool frameLeft = false;
    QTimer::singleShot(100, [] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        QWidget* focus = dialog->focusWidget() != nullptr ? dialog->focusWidget() : dialog;
        QTest::keyClick(focus, Qt::Key_Escape);
    });
    QTimer guard;  // still open later: one Escape was not enough
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            frameLeft = true;
            dialog->close();
        }
    });
    guard.start(1500);
    EXPECT_EQ(runFontDialog(nullptr, start), std::nullopt);
    EXPECT_FALSE(frameLeft);
}

}  // namespace
}  // namespace mnemora
