#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "core/error.h"
#include "settings/file_store.h"
#include "settings/settings.h"
#include "store_fixtures.h"

namespace mnemora::test {
namespace {

constexpr std::string_view kSection = "[HKEY_CURRENT_USER\\Software\\Vantero\\Mnemora\\1.01]";

std::string fileWith(std::string_view lines) {
    return std::string("Windows Registry Editor Version 5.00\n\n") + std::string(kSection) + "\n" + std::string(lines);
}

class FileStoreTest : public ::testing::Test {
protected:
    std::filesystem::path file() const { return dir / "Vantero" / "Mnemora.reg"; }
    TempDir dir;
};

TEST_F(FileStoreTest, SaveWritesRegistryExportLayout) {
    FileRegistryStore store(file());
    TParamValues values;
    values.DataFile = "C:\\\"x\"";
    values.ReportDir = "/r";
    values.Click = -1;
    SaveSettings(values, store);
    EXPECT_EQ(readBytes(file()), fileWith("\"DataFile\"=\"C:\\\\\\\"x\\\"\"\n"
                                          "\"ReportDir\"=\"/r\"\n"
                                          "\"Font_Charset\"=dword:00000001\n"
                                          "\"Font_Color\"=dword:0000ffff\n"
                                          "\"Font_Height\"=dword:ffffffec\n"
                                          "\"Font_Name\"=\"MS Sans Serif\"\n"
                                          "\"Font_Size\"=dword:0000000f\n"
                                          "\"Font_Style\"=\"B\"\n"
                                          "\"Color\"=dword:00000000\n"
                                          "\"Start\"=dword:00000001\n"
                                          "\"Click\"=dword:ffffffff\n"));
}

TEST_F(FileStoreTest, ReadsHandWrittenTypedValues) {
    std::filesystem::create_directories(file().parent_path());
    writeBytes(file(), fileWith("\"DataFile\"=hex(2):24,48,4f,4d,45,00\r\n"
                                "\"Font_Size\"=dword:0000000C\r\n"
                                "\"Blob\"=hex:01,02\r\n"));
    FileRegistryStore store(file());
    TRegistry reg(store);
    ASSERT_TRUE(reg.OpenKey(kSettingsKey, false));
    EXPECT_EQ(reg.ReadString("DataFile"), "$HOME");
    EXPECT_EQ(reg.ReadInteger("Font_Size"), 12);
    EXPECT_THROW(reg.ReadString("Blob"), RegistryError);
}

TEST_F(FileStoreTest, TextWithoutTerminatorOrWithEmbeddedZeroRoundTrips) {
    const std::string unterminated = "abc";
    const std::string embedded("a\0b\0", 4);
    const std::string multiline = text("one\ntwo");
    {
        FileRegistryStore store(file());
        seed(store, "U", REG_SZ, unterminated);
        seed(store, "E", REG_SZ, embedded);
        seed(store, "M", REG_SZ, multiline);
        seed(store, "T", 0x20, "xy");
    }
    FileRegistryStore reopened(file());
    EXPECT_EQ(stored(reopened, "U"), (RegValue{REG_SZ, unterminated}));
    EXPECT_EQ(stored(reopened, "E"), (RegValue{REG_SZ, embedded}));
    EXPECT_EQ(stored(reopened, "M"), (RegValue{REG_SZ, multiline}));
    EXPECT_EQ(stored(reopened, "T"), (RegValue{0x20, "xy"}));
    EXPECT_NE(readBytes(file()).find("\"U\"=hex(1):61,62,63\n"), std::string::npos);
}

TEST_F(FileStoreTest, SavingKeepsUnknownValuesAndOtherKeys) {
    std::filesystem::create_directories(file().parent_path());
    writeBytes(file(), "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Other]\n\"K\"=\"v\"\n\n" +
                           std::string(kSection) + "\n\"Old\"=hex(2):25,00\n");
    FileRegistryStore store(file());
    SaveSettings(TParamValues{}, store);
    EXPECT_EQ(stored(store, "Old"), (RegValue{REG_EXPAND_SZ, std::string("%\0", 2)}));
    EXPECT_EQ(stored(store, "K", "Other"), (RegValue{REG_SZ, text("v")}));
    EXPECT_TRUE(stored(store, "Click").has_value());
}

TEST_F(FileStoreTest, DamagedFileIsNeitherLoadedNorOverwritten) {
    std::filesystem::create_directories(file().parent_path());
    const std::string damaged = fileWith("\"DataFile\"=\"/home/anna/Mnemora.ini\"\n\"Start\"=dword:1\n");
    writeBytes(file(), damaged);
    FileRegistryStore store(file());
    TParamValues values;
    RecordingTarget target;
    LoadSettings(values, store, FixedEnvironment("/cwd"), target);
    EXPECT_EQ(values.DataFile, "/cwd/Mnemora.ini");
    EXPECT_EQ(target.applied, 1);
    EXPECT_NO_THROW(SaveSettings(values, store));
    EXPECT_EQ(readBytes(file()), damaged);
}

TEST_F(FileStoreTest, ReadOnlyFolderRefusesTheSave) {
    std::filesystem::create_directories(file().parent_path());
    {
        FileRegistryStore store(file());
        SaveSettings(TParamValues{}, store);
    }
    const std::string before = readBytes(file());
    std::filesystem::permissions(dir.path(), std::filesystem::perms::all);
    std::filesystem::permissions(file().parent_path(), std::filesystem::perms::owner_read |
                                                           std::filesystem::perms::owner_exec |
                                                           std::filesystem::perms::others_read |
                                                           std::filesystem::perms::others_exec);
    std::filesystem::permissions(file(), std::filesystem::perms::all);
    const int code = runUnprivileged([&] {
        FileRegistryStore store(file());
        TParamValues values;
        values.DataFile = "changed";
        try {
            SaveSettings(values, store);
        } catch (const RegistryError& e) {
            return std::string(e.what()) == "Failed to set data for 'DataFile'" ? 0 : 2;
        }
        return 1;
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(readBytes(file()), before);
}

TEST_F(FileStoreTest, MissingFolderIsCreatedWithTheKey) {
    FileRegistryStore store(dir / "a" / "b" / "Mnemora.reg");
    TRegistry reg(store);
    ASSERT_TRUE(reg.OpenKey(kSettingsKey, true));
    EXPECT_EQ(readBytes(dir / "a" / "b" / "Mnemora.reg"),
              "Windows Registry Editor Version 5.00\n\n" + std::string(kSection) + "\n");
}

TEST_F(FileStoreTest, DefaultPathFollowsConfigHome) {
    const char* old = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = old ? old : "";
    ::setenv("XDG_CONFIG_HOME", "/tmp/cfg", 1);
    EXPECT_EQ(FileRegistryStore::defaultPath(), std::filesystem::path("/tmp/cfg/Vantero/Mnemora.reg"));
    ::setenv("XDG_CONFIG_HOME", "", 1);
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home != '\0') {
        EXPECT_EQ(FileRegistryStore::defaultPath(), std::filesystem::path(home) / ".config/Vantero/Mnemora.reg");
    }
    if (old) {
        ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    } else {
        ::unsetenv("XDG_CONFIG_HOME");
    }
}

TEST(StoreFileParser, RejectsMalformedText) {
    const std::string header = "Windows Registry Editor Version 5.00\n";
    EXPECT_FALSE(parseStoreFile(""));
    EXPECT_FALSE(parseStoreFile("REGEDIT4\n"));
    EXPECT_FALSE(parseStoreFile(header + "\"A\"=\"x\"\n"));  // value outside any key
    EXPECT_FALSE(parseStoreFile(header + "[K]\n\"A\"=dword:123\n"));
    EXPECT_FALSE(parseStoreFile(header + "[K]\n\"A\"=hex:1,02\n"));
    EXPECT_FALSE(parseStoreFile(header + "[K]\n\"A\"=\"unclosed\n"));
    EXPECT_FALSE(parseStoreFile(header + "[K]\n\"A\"=\"bad\\n escape\"\n"));
    EXPECT_FALSE(parseStoreFile(header + "[K\n"));
    EXPECT_FALSE(parseStoreFile(header + "[K]\nA=1\n"));
}

TEST(StoreFileParser, MergesRepeatedKeysAndKeepsLastData) {
    const auto parsed = parseStoreFile(
        "\xEF\xBB\xBFWindows Registry Editor Version 5.00\n[K]\n\"A\"=\"1\"\n[k]\n\"a\"=dword:00000002\n");
    ASSERT_TRUE(parsed);
    ASSERT_EQ(parsed->keys.size(), 1u);
    ASSERT_EQ(parsed->keys[0].values.size(), 1u);
    EXPECT_EQ(parsed->keys[0].values[0].name, "A");
    EXPECT_EQ(parsed->keys[0].values[0].value, (RegValue{REG_DWORD, dword(2)}));
}

TEST(StoreFileParser, SerialisedFileParsesBackEqual) {
    StoreFile file;
    file.keys.push_back(StoreFileKey{"HKEY_CURRENT_USER\\X", {{"q\"\\", RegValue{REG_SZ, text("\\\"")}},
                                                              {"e", RegValue{REG_BINARY, ""}},
                                                              {"d", RegValue{REG_DWORD, std::string("\1", 1)}},
                                                              {"big", RegValue{0xFFFFFFFF, "z"}}}});
    const auto parsed = parseStoreFile(serializeStoreFile(file));
    ASSERT_TRUE(parsed);
    EXPECT_EQ(*parsed, file);
}

}  // namespace
}  // namespace mnemora::test
