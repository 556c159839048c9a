#include "settings/param_presenter.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "recording_boxes.h"
#include "settings/memory_store.h"
#include "settings_fakes.h"

namespace mnemora {
namespace {

class FakeParamView : public ParamView {
  public:
    void showPaths(const std::string& d, const std::string& r) override {
        dataFile = d;
        reportDir = r;
    }
    void showAppearance(const TFont& f, TColor b) override {
        font = f;
        background = b;
    }
    void showStart(bool on) override { start = on; }
    void showClickMode(std::optional<int> item) override { clickItem = item; }
    std::optional<FontDialogResult> runFontDialog(const TFont& s) override {
        fontStarts.push_back(s);
        return fontAnswer;
    }
    std::optional<TColor> runColorDialog(TColor s) override {
        colorStarts.push_back(s);
        return colorAnswer;
    }
    TColor screenColor(TColor c) const override {
        return isSystemColor(c) ? rgbColor(0xEF, 0xEF, 0xEF) : c;
    }
    void openAddress(const std::string& url) override { urls.push_back(url); }
    void setModalResult(int r) override { events.push_back("result " + std::to_string(r)); }
    void closeWithResult(int r) override { events.push_back("close " + std::to_string(r)); }

    std::string dataFile, reportDir;
    TFont font;
    TColor background = 0;
    bool start = false;
    std::optional<int> clickItem = 99;
    std::optional<FontDialogResult> fontAnswer;
    std::optional<TColor> colorAnswer;
    std::vector<TFont> fontStarts;
    std::vector<TColor> colorStarts;
    std::vector<std::string> urls, events;
};

class ParamPresenterTest : public ::testing::Test {
  protected:
    ParamPresenterTest() {
        values.DataFile = "/home/anna/old.ini";
        presenter.onClosed = [this] { view.events.push_back("closed"); };
    }

    test::RecordingBoxes boxes;
    test::RecordingHelp helpPlatform;
    TMyHLPObject help{helpPlatform};
    test::FixedEnvironment env{"/home/anna"};
    MemoryRegistryStore store;
    TParamValues values;
    FakeParamView view;
    ParamPresenter presenter{view, values, store, env, help};
};

TEST_F(ParamPresenterTest, ShowingBindsTheRecordAndWritesNothingBack) {
    values.Click = -1;
    values.Start = false;
    const TParamValues before = values;
    presenter.FormShow();
    EXPECT_EQ(view.dataFile, "/home/anna/old.ini");
    EXPECT_EQ(view.clickItem, std::nullopt);  // neither item
    EXPECT_FALSE(view.start);
    EXPECT_EQ(view.font, values.Font);
    EXPECT_EQ(values, before);
    presenter.clickModeChosen(1);
    presenter.dataFileEdited("/data/new.ini");
    presenter.startClicked(true);
    EXPECT_EQ(values.Click, 1);
    EXPECT_EQ(values.DataFile, "/data/new.ini");
    EXPECT_TRUE(values.Start);
    EXPECT_TRUE(store.valueNames(kSettingsKey.substr(1)).empty());  // edits are not stored
}

TEST_F(ParamPresenterTest, OkSetsItsResultBeforeSavingSoARefusedWriteStillClosesWithOk) {
    for (const bool refuse : {false, true}) {
        view.events.clear();
        boxes.errors.clear();
        if (refuse) {
            store.refuseValue("Font_Name");
        }
        presenter.BitBtn1Click();
        presenter.closed();  // the window's close reports back
        EXPECT_EQ(view.events, (std::vector<std::string>{"result 1", "close 1", "closed"}))
            << refuse;
        EXPECT_EQ(boxes.errors.size(), refuse ? 1u : 0u);
    }
    EXPECT_EQ(boxes.errors[0], "Failed to set data for 'Font_Name'");
}

// What a confirmed font dialog does to the font.
TEST(FontDialogResultRule, FaceSizeStyleAlwaysCharsetAndColourOnlyWhenChosen) {
    struct Case {
        const char* what;
        std::string face;
        int weight;
        std::optional<std::uint8_t> script;
        std::optional<TColor> colour;
        std::uint8_t charset;
        TColor expectedColour;
        bool bold;
    };
    const std::vector<Case> cases{
        {"same face keeps its set", "Arial", 400, std::nullopt, std::nullopt, kDefaultCharset,
         clWindowText, false},
        {"another face takes its own", "Verdana", 400, std::nullopt, std::nullopt, 204,
         clWindowText, false},
        {"a chosen script wins", "Verdana", 401, std::uint8_t{0}, std::nullopt, 0, clWindowText,
         true},
        {"a picked colour is taken", "Arial", 700, std::nullopt, clRed, kDefaultCharset, clRed,
         true},
    };
    for (const Case& c : cases) {
        TFont font;
        font.Name = "Arial";
        font.Style.bold = true;
        FontDialogResult r;
        r.faceName = c.face;
        r.pointSize = 20;
        r.weight = c.weight;
        r.italic = true;
        r.underline = true;
        r.faceCharset = 204;
        r.pickedScript = c.script;
        r.pickedColor = c.colour;
        TakeFontDialogResult(font, r);
        EXPECT_EQ(font.Name, c.face) << c.what;
        EXPECT_EQ(font.Height, -27) << c.what;  // 20 points at 96 pixels per inch
        EXPECT_EQ(font.Style, (TFontStyles{.bold = c.bold, .italic = true, .underline = true}))
            << c.what;
        EXPECT_EQ(font.Charset, c.charset) << c.what;
        EXPECT_EQ(font.Color, c.expectedColour) << c.what;
    }
}

TEST(FontDialogResultRule, LeftAloneStandInKeepsTheStartFaceAndAMissingSizeTheStartSize) {
    TFont start;
    start.Name = "MS Sans Serif";
    start.SetSize(15);
    FontDialogEnd end;
    end.face = "DejaVu Sans";  // what this desktop showed for it
    end.pointSize = 0;
    end.weight = 700;
    end.cyrillicFace = true;
    FontDialogResult r = fontDialogResult(start, "DejaVu Sans", end);
    EXPECT_EQ(r.faceName, "MS Sans Serif");
    EXPECT_EQ(r.pointSize, 15);
    EXPECT_EQ(r.weight, 700);
    EXPECT_EQ(r.faceCharset, kRussianCharset);
    EXPECT_FALSE(r.pickedColor);
    end.face = "Liberation Serif";
    end.pointSize = 12;
    end.cyrillicFace = false;
    end.pickedColor = clRed;
    r = fontDialogResult(start, "DejaVu Sans", end);
    EXPECT_EQ(r.faceName, "Liberation Serif");
    EXPECT_EQ(r.pointSize, 12);
    EXPECT_EQ(r.faceCharset, kAnsiCharset);
    EXPECT_EQ(r.pickedColor, clRed);
}

TEST_F(ParamPresenterTest, DialogsStartFromTheRecordAndCancelChangesNothing) {
    values.Color = clBtnFace;
    const TParamValues before = values;
    presenter.Button4Click();
    presenter.Button5Click();
    EXPECT_EQ(values, before);
    ASSERT_EQ(view.fontStarts.size(), 1u);
    EXPECT_EQ(view.fontStarts[0], values.Font);
    // The colour dialog knows plain colours only: the system colour goes in as it looks.
    EXPECT_EQ(view.colorStarts, std::vector<TColor>{rgbColor(0xEF, 0xEF, 0xEF)});

    view.colorAnswer = rgbColor(1, 2, 3);
    presenter.Button5Click();
    EXPECT_EQ(values.Color, rgbColor(1, 2, 3));
    EXPECT_EQ(view.background, rgbColor(1, 2, 3));  // the preview at once
}

}  // namespace
}  // namespace mnemora
