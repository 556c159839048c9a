#include <gtest/gtest.h>

#include "core/error.h"
#include "platform/path_text.h"
#include "settings/settings.h"
#include "store_fixtures.h"

namespace mnemora::test {
namespace {

// A default path as the system writes it: the folder, its separator, the name.
std::string under(std::string_view dir, std::string_view name) {
    return std::string(dir) + kPathSeparator + std::string(name);
}

std::string loadError(TParamValues& values, RegistryBackend& store, RecordingTarget& target) {
    try {
        LoadSettings(values, store, FixedEnvironment("/work"), target);
    } catch (const RegistryError& e) {
        return e.what();
    }
    return "<no error>";
}

template <typename Maker>
class SettingsRoundTrip : public StoreTest<Maker> {};

TYPED_TEST_SUITE(SettingsRoundTrip, Stores);

TYPED_TEST(SettingsRoundTrip, SaveThenLoadRestoresEveryField) {
    TParamValues saved;
    saved.DataFile = "/home/анна/Mnemora.ini";
    saved.ReportDir = "/home/анна/Отчёты";
    saved.Font.SetName("DejaVu Sans");
    saved.Font.Height = -27;
    saved.Font.Charset = 204;
    saved.Font.Color = clRed;
    saved.Font.Style = TFontStyles{.bold = false, .italic = true, .underline = true, .strikeout = true};
    saved.Color = clBtnFace;
    saved.Start = false;
    saved.Click = -1;
    SaveSettings(saved, *this->store);

    TParamValues loaded;
    RecordingTarget target;
    LoadSettings(loaded, *this->store, FixedEnvironment("/elsewhere"), target);
    EXPECT_EQ(loaded, saved);
    EXPECT_EQ(target.font, saved.Font);
    EXPECT_EQ(target.color, clBtnFace);
    EXPECT_TRUE(target.trayEnabled);
}

TYPED_TEST(SettingsRoundTrip, DefaultFontIsStoredAsHeightAndPointSize) {
    TParamValues values;
    values.DataFile = "d";
    values.ReportDir = "r";
    SaveSettings(values, *this->store);
    EXPECT_EQ(stored(*this->store, "Font_Height"), (RegValue{kRegDword, dword(static_cast<std::uint32_t>(-20))}));
    EXPECT_EQ(stored(*this->store, "Font_Size"), (RegValue{kRegDword, dword(15)}));
    EXPECT_EQ(stored(*this->store, "Font_Style"), (RegValue{kRegString, text("B")}));
    EXPECT_EQ(stored(*this->store, "Font_Charset"), (RegValue{kRegDword, dword(1)}));
    EXPECT_EQ(stored(*this->store, "Start"), (RegValue{kRegDword, dword(1)}));
}

TYPED_TEST(SettingsRoundTrip, FirstStartCreatesEmptyKeyAndUsesDefaults) {
    TParamValues values;
    RecordingTarget target;
    LoadSettings(values, *this->store, FixedEnvironment("/home/anna"), target);

    TParamValues expected;
    expected.DataFile = under("/home/anna", "Mnemora.ini");
    expected.ReportDir = under("/home/anna", "Reports");
    EXPECT_EQ(values, expected);
    EXPECT_EQ(values.Font.Name, "MS Sans Serif");
    EXPECT_EQ(values.Font.Height, -20);
    EXPECT_TRUE(values.Font.Style.bold);
    EXPECT_EQ(values.Font.Color, clYellow);
    EXPECT_EQ(target.applied, 1);

    const auto key = this->store->openKey(kKeyPath, false);
    ASSERT_TRUE(key.has_value());
    EXPECT_FALSE(this->store->query(*key, "DataFile").has_value());
    this->store->close(*key);
}

class LoadSettingsTest : public ::testing::Test {
protected:
    void put(std::string_view name, std::uint32_t type, std::string_view bytes) { store.put(kKeyPath, name, type, bytes); }
    void putNumber(std::string_view name, std::int32_t n) { put(name, kRegDword, dword(static_cast<std::uint32_t>(n))); }
    void putText(std::string_view name, std::string_view s) { put(name, kRegString, text(s)); }
    void load() { LoadSettings(values, store, FixedEnvironment("/work"), target); }

    MemoryRegistryStore store;
    TParamValues values;
    RecordingTarget target;
};

TEST_F(LoadSettingsTest, StoredPointSizeWinsOverHeight) {
    putNumber("Font_Height", -40);
    putNumber("Font_Size", 15);
    load();
    EXPECT_EQ(values.Font.Height, -20);
}

TEST_F(LoadSettingsTest, PointSizeFollowsScreenResolution) {
    putNumber("Font_Size", 15);
    values = TParamValues(120);
    load();
    EXPECT_EQ(values.Font.Height, -25);
}

TEST_F(LoadSettingsTest, EmptyFaceNameKeepsCurrentName) {
    putText("Font_Name", "");
    values.Font.Name = "Liberation Serif";
    load();
    EXPECT_EQ(values.Font.Name, "Liberation Serif");
}

TEST_F(LoadSettingsTest, LongFaceNameIsCutTo31Characters) {
    putText("Font_Name", std::string(40, 'F'));
    load();
    EXPECT_EQ(values.Font.Name, std::string(31, 'F'));
}

TEST_F(LoadSettingsTest, CharsetKeepsLowEightBits) {
    putNumber("Font_Charset", 256);
    load();
    EXPECT_EQ(values.Font.Charset, 0);
    putNumber("Font_Charset", 511);
    load();
    EXPECT_EQ(values.Font.Charset, 255);
}

TEST_F(LoadSettingsTest, ClickIsClampedIntoMinusOneToOne) {
    putNumber("Click", 5);
    load();
    EXPECT_EQ(values.Click, 1);
    putNumber("Click", -7);
    load();
    EXPECT_EQ(values.Click, -1);
}

TEST_F(LoadSettingsTest, StartTwoIsTrueAndSavedBackAsOne) {
    putNumber("Start", 2);
    values.Start = false;
    load();
    EXPECT_TRUE(values.Start);
    SaveSettings(values, store);
    EXPECT_EQ(store.get(kKeyPath, "Start"), (RegValue{kRegDword, dword(1)}));
}

TEST_F(LoadSettingsTest, StyleLettersInAnyCaseAndOrder) {
    putText("Font_Style", "");
    load();
    EXPECT_EQ(values.Font.Style, TFontStyles{});
    putText("Font_Style", "bi");
    load();
    EXPECT_EQ(values.Font.Style, (TFontStyles{.bold = true, .italic = true}));
    putText("Font_Style", "SUB");
    load();
    EXPECT_EQ(values.Font.Style, (TFontStyles{.bold = true, .underline = true, .strikeout = true}));
    SaveSettings(values, store);
    EXPECT_EQ(store.get(kKeyPath, "Font_Style"), (RegValue{kRegString, text("BUS")}));
}

TEST_F(LoadSettingsTest, EmptyDataFileStaysEmpty) {
    putText("DataFile", "");
    load();
    EXPECT_EQ(values.DataFile, "");
    EXPECT_EQ(values.ReportDir, under("/work", "Reports"));
}

TEST_F(LoadSettingsTest, ExpandableDataFileIsReadUnexpanded) {
    put("DataFile", kRegExpandString, text("$HOME/Mnemora.ini"));
    load();
    EXPECT_EQ(values.DataFile, "$HOME/Mnemora.ini");
}

TEST_F(LoadSettingsTest, NumberAsDataFileStopsLoadingWithoutApplying) {
    putNumber("DataFile", 1);
    EXPECT_EQ(loadError(values, store, target), "Invalid data type for 'DataFile'");
    EXPECT_EQ(target.applied, 0);
    EXPECT_FALSE(target.trayEnabled);
    EXPECT_EQ(store.openHandles(), 0);
}

TEST_F(LoadSettingsTest, ShortTextAsColorIsInvalidType) {
    putText("Color", "red");
    EXPECT_EQ(loadError(values, store, target), "Invalid data type for 'Color'");
}

TEST_F(LoadSettingsTest, LongerTextAsColorFailsToGetData) {
    putText("Color", "blue");
    putNumber("Start", 0);
    putNumber("Font_Color", static_cast<std::int32_t>(clRed));
    EXPECT_EQ(loadError(values, store, target), "Failed to get data for 'Color'");
    // Values before the bad one are applied, those after it are not.
    EXPECT_EQ(values.Font.Color, clRed);
    EXPECT_TRUE(values.Start);
    EXPECT_EQ(values.DataFile, under("/work", "Mnemora.ini"));
    EXPECT_EQ(target.applied, 0);
    EXPECT_EQ(store.openHandles(), 0);
}

TEST_F(LoadSettingsTest, KeyThatCannotOpenGivesDefaultPathsOnly) {
    store.failOpen();
    values.Font.Name = "Kept";
    values.Click = 1;
    load();
    EXPECT_EQ(values.DataFile, under("/work", "Mnemora.ini"));
    EXPECT_EQ(values.ReportDir, under("/work", "Reports"));
    EXPECT_EQ(values.Font.Name, "Kept");
    EXPECT_EQ(values.Click, 1);
    EXPECT_EQ(target.applied, 1);
    EXPECT_TRUE(target.trayEnabled);
}

TEST(DefaultPaths, RootDirectoryGivesDoubledSeparator) {
    const FixedEnvironment root("/");
    EXPECT_EQ(DefaultDataFile(root), under("/", "Mnemora.ini"));
    EXPECT_EQ(DefaultReportDir(root), under("/", "Reports"));
}

TEST(DefaultPaths, SetDefaultPathsLeavesAppearanceAlone) {
    TParamValues values;
    values.Click = 1;
    values.Start = false;
    SetDefaultPaths(values, FixedEnvironment("/srv/m"));
    EXPECT_EQ(values.DataFile, under("/srv/m", "Mnemora.ini"));
    EXPECT_EQ(values.ReportDir, under("/srv/m", "Reports"));
    EXPECT_EQ(values.Click, 1);
    EXPECT_FALSE(values.Start);
}

TEST(DefaultPaths, ProcessEnvironmentUsesWorkingDirectory) {
    const ProcessEnvironment env(96);
    EXPECT_EQ(DefaultDataFile(env), under(pathToUtf8(std::filesystem::current_path()), "Mnemora.ini"));
}

TEST(SaveSettings, RefusedWriteLeavesTheStoreAsItWasAndNamesTheValue) {
    MemoryRegistryStore store;
    store.put(kKeyPath, "DataFile", kRegString, text("old"));
    store.refuseValue("Font_Name");
    TParamValues values;
    values.DataFile = "d";
    values.ReportDir = "r";
    try {
        SaveSettings(values, store);
        FAIL() << "no error";
    } catch (const RegistryError& e) {
        EXPECT_STREQ(e.what(), "Failed to set data for 'Font_Name'");
    }
    EXPECT_EQ(store.valueNames(kKeyPath), std::vector<std::string>{"DataFile"});
    EXPECT_EQ(store.get(kKeyPath, "DataFile"), (RegValue{kRegString, text("old")}));
    EXPECT_EQ(store.openHandles(), 0);
}

TEST(SaveSettings, StoreRefusingEveryWriteNamesTheFirstValue) {
    MemoryRegistryStore store;
    store.refuseAllWrites();
    try {
        SaveSettings(TParamValues{}, store);
        FAIL() << "no error";
    } catch (const RegistryError& e) {
        EXPECT_STREQ(e.what(), "Failed to set data for 'DataFile'");
    }
    EXPECT_TRUE(store.valueNames(kKeyPath).empty());
}

TEST(SaveSettings, WritesElevenValuesInTableOrder) {
    MemoryRegistryStore store;
    SaveSettings(TParamValues{}, store);
    EXPECT_EQ(store.valueNames(kKeyPath),
              (std::vector<std::string>{"DataFile", "ReportDir", "Font_Charset", "Font_Color", "Font_Height",
                                        "Font_Name", "Font_Size", "Font_Style", "Color", "Start", "Click"}));
}

TEST(SaveSettings, KeyThatCannotOpenWritesNothingSilently) {
    MemoryRegistryStore store;
    store.failOpen();
    EXPECT_NO_THROW(SaveSettings(TParamValues{}, store));
    EXPECT_EQ(store.writeAttempts(), 0);
}

TEST(SetDefaultAppearance, KeepsStyleAndClick) {
    TParamValues values;
    values.Font.Style = TFontStyles{.italic = true};
    values.Font.Name = "Other";
    values.Font.Height = -40;
    values.Font.Charset = 204;
    values.Font.Color = clRed;
    values.Color = clSilver;
    values.Start = false;
    values.Click = -1;
    SetDefaultAppearance(values);
    EXPECT_EQ(values.Font.Style, TFontStyles{.italic = true});
    EXPECT_EQ(values.Font.Name, "MS Sans Serif");
    EXPECT_EQ(values.Font.Height, -20);
    EXPECT_EQ(values.Font.Charset, 1);
    EXPECT_EQ(values.Font.Color, clYellow);
    EXPECT_EQ(values.Color, clBlack);
    EXPECT_TRUE(values.Start);
    EXPECT_EQ(values.Click, -1);
}

TEST(FontStyleLetters, AlwaysWrittenInOrderBIUS) {
    EXPECT_EQ(FontStyleToStr({}), "");
    EXPECT_EQ(FontStyleToStr({.bold = true, .underline = true}), "BU");
    EXPECT_EQ(FontStyleToStr({.bold = true, .italic = true, .underline = true, .strikeout = true}), "BIUS");
}

TEST(FontStyleLetters, ReadingIgnoresOtherCharactersAndRepeats) {
    EXPECT_EQ(StrToFontStyle("x-ssS 9"), TFontStyles{.strikeout = true});
    EXPECT_EQ(StrToFontStyle("\xD0\x91"), TFontStyles{});
}

}  // namespace
}  // namespace mnemora::test
