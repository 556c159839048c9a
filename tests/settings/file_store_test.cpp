#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/error.h"
#include "settings/file_store.h"
#include "settings/settings.h"
#include "as_users.h"
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
        seed(store, "U", kRegString, unterminated);
        seed(store, "E", kRegString, embedded);
        seed(store, "M", kRegString, multiline);
        seed(store, "T", 0x20, "xy");
    }
    FileRegistryStore reopened(file());
    EXPECT_EQ(stored(reopened, "U"), (RegValue{kRegString, unterminated}));
    EXPECT_EQ(stored(reopened, "E"), (RegValue{kRegString, embedded}));
    EXPECT_EQ(stored(reopened, "M"), (RegValue{kRegString, multiline}));
    EXPECT_EQ(stored(reopened, "T"), (RegValue{0x20, "xy"}));
    EXPECT_NE(readBytes(file()).find("\"U\"=hex(1):61,62,63\n"), std::string::npos);
}

TEST_F(FileStoreTest, SavingKeepsUnknownValuesAndOtherKeys) {
    std::filesystem::create_directories(file().parent_path());
    writeBytes(file(), "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Other]\n\"K\"=\"v\"\n\n" +
                           std::string(kSection) + "\n\"Old\"=hex(2):25,00\n");
    FileRegistryStore store(file());
    SaveSettings(TParamValues{}, store);
    EXPECT_EQ(stored(store, "Old"), (RegValue{kRegExpandString, std::string("%\0", 2)}));
    EXPECT_EQ(stored(store, "K", "Other"), (RegValue{kRegString, text("v")}));
    EXPECT_TRUE(stored(store, "Click").has_value());
}

// A fixed moment, 7 March 2026 09:15:00 local time, to name moved-aside files by.
std::time_t fixedMoment() {
    std::tm local{};
    local.tm_year = 2026 - 1900;
    local.tm_mon = 2;
    local.tm_mday = 7;
    local.tm_hour = 9;
    local.tm_min = 15;
    local.tm_isdst = -1;
    return std::mktime(&local);
}

// Loads the settings through `store`; returns each damaged store it told of.
std::vector<DamagedStore> loadTellingDamage(FileRegistryStore& store, TParamValues& values) {
    std::vector<DamagedStore> told;
    store.onDamaged = [&](const DamagedStore& d) { told.push_back(d); };
    RecordingTarget target;
    LoadSettings(values, store, FixedEnvironment("/cwd"), target);
    store.onDamaged = nullptr;  // `told` ends here
    return told;
}

TEST_F(FileStoreTest, DamagedFileIsMovedAsideByteForByteAndSavingWorksAgain) {
    std::filesystem::create_directories(file().parent_path());
    const std::string damaged = fileWith("\"DataFile\"=\"/home/anna/Mnemora.ini\"\n\"Start\"=dword:1\n") +
                                std::string("\0\xFF\r\n", 4);
    writeBytes(file(), damaged);
    FileRegistryStore store(file());
    store.clock = fixedMoment;
    std::vector<DamagedStore> told;
    store.onDamaged = [&](const DamagedStore& d) { told.push_back(d); };
    TParamValues values;
    RecordingTarget target;
    LoadSettings(values, store, FixedEnvironment("/cwd"), target);

    const auto aside = file().parent_path() / "Mnemora.reg.damaged-20260307-091500";
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].file, file());
    EXPECT_EQ(told[0].keptAs, aside);
    EXPECT_EQ(readBytes(aside), damaged);
    EXPECT_EQ(values.DataFile, "/cwd/Mnemora.ini");
    EXPECT_EQ(target.applied, 1);

    values.DataFile = "/home/anna/new.ini";
    SaveSettings(values, store);
    TParamValues reloaded;
    LoadSettings(reloaded, store, FixedEnvironment("/cwd"), target);
    EXPECT_EQ(reloaded.DataFile, "/home/anna/new.ini");
    EXPECT_EQ(told.size(), 1u);

    // Damaged again in the same second: the first kept file stays as it was.
    writeBytes(file(), "junk");
    LoadSettings(reloaded, store, FixedEnvironment("/cwd"), target);
    ASSERT_EQ(told.size(), 2u);
    EXPECT_EQ(told[1].keptAs, file().parent_path() / "Mnemora.reg.damaged-20260307-091500-2");
    EXPECT_EQ(readBytes(aside), damaged);
    EXPECT_EQ(readBytes(*told[1].keptAs), "junk");
}

TEST_F(FileStoreTest, DamagedMessageSaysWhereTheBytesAre) {
    const std::string moved = damagedStoreMessage({"/h/.config/Vantero/Mnemora.reg",
                                                   "/h/.config/Vantero/Mnemora.reg.damaged-20260307-091500"});
    EXPECT_NE(moved.find("Не удалось прочитать файл настроек\n/h/.config/Vantero/Mnemora.reg\n"), std::string::npos);
    EXPECT_NE(moved.find("\n/h/.config/Vantero/Mnemora.reg.damaged-20260307-091500\n"), std::string::npos);
    const std::string left = damagedStoreMessage({"/h/Mnemora.reg", std::nullopt});
    EXPECT_NE(left.find("оставлен как есть"), std::string::npos);
}

TEST_F(FileStoreTest, FileLargerThanTheBoundIsTakenAsDamaged) {
    std::filesystem::create_directories(file().parent_path());
    writeBytes(file(), fileWith("\"Start\"=dword:00000000\n"));
    std::filesystem::resize_file(file(), kStoreMaxBytes + 1);  // sparse: costs no disk
    FileRegistryStore store(file());
    TParamValues values;
    const auto told = loadTellingDamage(store, values);
    ASSERT_EQ(told.size(), 1u);
    ASSERT_TRUE(told[0].keptAs);
    EXPECT_EQ(std::filesystem::file_size(*told[0].keptAs), kStoreMaxBytes + 1);
    EXPECT_TRUE(values.Start);
    SaveSettings(values, store);
    EXPECT_LT(std::filesystem::file_size(file()), 1000u);
}

TEST_F(FileStoreTest, DamagedFileBehindLinksIsMovedWhereItLiesAndTheLinksStay) {
    std::filesystem::create_directories(file().parent_path());
    std::filesystem::create_directories(dir / "dotfiles");
    writeBytes(dir / "dotfiles" / "Mnemora.reg", "not a store");
    std::filesystem::create_symlink(dir / "dotfiles" / "Mnemora.reg", dir / "dotfiles" / "link.reg");
    std::filesystem::create_symlink(dir / "dotfiles" / "link.reg", file());
    FileRegistryStore store(file());
    store.clock = fixedMoment;
    TParamValues values;
    const auto told = loadTellingDamage(store, values);
    ASSERT_EQ(told.size(), 1u);
    ASSERT_TRUE(told[0].keptAs);
    EXPECT_EQ(*told[0].keptAs, dir / "dotfiles" / "Mnemora.reg.damaged-20260307-091500");
    EXPECT_EQ(readBytes(*told[0].keptAs), "not a store");
    SaveSettings(values, store);
    EXPECT_TRUE(std::filesystem::is_symlink(file()));
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "dotfiles" / "link.reg"));
    EXPECT_TRUE(parseStoreFile(readBytes(dir / "dotfiles" / "Mnemora.reg")).has_value());
}

// Load and save over a store path, with what each gave.
struct StoreOutcome {
    std::string dataFile;
    int applied = 0;
    int damaged = 0;
    std::string loadFailure;
    std::string saveFailure;
};

StoreOutcome loadAndSave(const std::filesystem::path& path) {
    StoreOutcome out;
    FileRegistryStore store(path);
    store.onDamaged = [&](const DamagedStore&) { ++out.damaged; };
    TParamValues values;
    RecordingTarget target;
    try {
        LoadSettings(values, store, FixedEnvironment("/cwd"), target);
    } catch (const std::exception& e) {
        out.loadFailure = e.what();
    }
    out.dataFile = values.DataFile;
    out.applied = target.applied;
    values.DataFile = "changed";
    try {
        SaveSettings(values, store);
    } catch (const std::exception& e) {
        out.saveFailure = e.what();
    }
    return out;
}

TEST(FileStoreSpecialFiles, FolderFifoOrDeviceCountsAsAKeyThatCannotOpen) {
    test::expectAsRootAndAsUser([](const std::filesystem::path& dir, test::Findings& f) {
        std::filesystem::create_directory(dir / "folder.reg");
        ::mkfifo((dir / "fifo.reg").c_str(), 0666);
        // As root, a device of our own: a store that wrongly moved or replaced
        // the device would otherwise take the system's /dev/zero with it.
        if (::geteuid() != 0 || ::mknod((dir / "zero").c_str(), S_IFCHR | 0666, ::makedev(1, 5)) != 0) {
            f.expect(::geteuid() != 0, "no device node of our own can be made");
            std::filesystem::create_symlink("/dev/zero", dir / "zero");
        }
        std::filesystem::create_symlink("zero", dir / "zero.reg");
        std::filesystem::create_symlink("loop.reg", dir / "loop.reg");
        for (const char* name : {"folder.reg", "fifo.reg", "zero.reg", "loop.reg"}) {
            const StoreOutcome out = loadAndSave(dir / name);
            f.expectEq(out.dataFile, std::string("/cwd/Mnemora.ini"), std::string(name) + ": default data file");
            f.expectEq(out.applied, 1, std::string(name) + ": appearance applied");
            f.expectEq(out.damaged, 0, std::string(name) + ": not taken as damaged");
            f.expectEq(out.loadFailure + out.saveFailure, std::string(), std::string(name) + ": no failure");
        }
        f.expect(std::filesystem::is_directory(dir / "folder.reg"), "folder kept");
        f.expect(std::filesystem::is_fifo(dir / "fifo.reg"), "FIFO kept");
        f.expect(std::filesystem::is_symlink(dir / "zero.reg"), "link to the device kept");
        f.expect(std::filesystem::is_character_file(dir / "zero"), "device kept");
        f.expectEq(std::distance(std::filesystem::directory_iterator(dir), {}), 5, "nothing else made");
    });
}

TEST(FileStoreSpecialFiles, StoreInAFolderWithoutSearchRightIsLeftAlone) {
    test::expectAsUser([](const std::filesystem::path& dir, test::Findings& f) {
        std::filesystem::create_directory(dir / "cfg");
        writeBytes(dir / "cfg" / "Mnemora.reg", fileWith("\"DataFile\"=\"/kept\"\n"));
        ::chmod((dir / "cfg").c_str(), 0600);
        const StoreOutcome out = loadAndSave(dir / "cfg" / "Mnemora.reg");
        ::chmod((dir / "cfg").c_str(), 0700);
        f.expectEq(out.dataFile, std::string("/cwd/Mnemora.ini"), "default data file");
        f.expectEq(out.damaged, 0, "not taken as damaged");
        f.expectEq(out.loadFailure + out.saveFailure, std::string(), "no failure");
        f.expectEq(readBytes(dir / "cfg" / "Mnemora.reg"), fileWith("\"DataFile\"=\"/kept\"\n"), "store kept");
    });
}

TEST(FileStoreSpecialFiles, DamagedFileThatCannotBeMovedIsLeftAsItIs) {
    test::expectAsUser([](const std::filesystem::path& dir, test::Findings& f) {
        std::filesystem::create_directory(dir / "cfg");
        writeBytes(dir / "cfg" / "Mnemora.reg", "damaged");
        ::chmod((dir / "cfg").c_str(), 0555);
        std::vector<DamagedStore> told;
        FileRegistryStore store(dir / "cfg" / "Mnemora.reg");
        store.onDamaged = [&](const DamagedStore& d) { told.push_back(d); };
        TParamValues values;
        RecordingTarget target;
        LoadSettings(values, store, FixedEnvironment("/cwd"), target);
        f.expectEq(told.size(), std::size_t{1}, "told once");
        f.expect(!told.empty() && !told[0].keptAs, "nowhere kept");
        f.expectEq(values.DataFile, std::string("/cwd/Mnemora.ini"), "default data file");
        try {
            SaveSettings(values, store);
        } catch (const std::exception& e) {
            f.expect(false, std::string("save failed: ") + e.what());
        }
        ::chmod((dir / "cfg").c_str(), 0755);
        f.expectEq(readBytes(dir / "cfg" / "Mnemora.reg"), std::string("damaged"), "bytes untouched");
        f.expectEq(std::distance(std::filesystem::directory_iterator(dir / "cfg"), {}), 1, "nothing else made");
    });
}

// Counts the writes that reach the file, and can make them come up short.
struct CountingWrites {
    int calls = 0;
    bool fail = false;
    SafeSaveOptions options() {
        SafeSaveOptions o;
        o.write = [this](NativeFile fd, const void* data, std::size_t size) -> std::ptrdiff_t {
            ++calls;
            if (fail) {
                errno = ENOSPC;
                return -1;
            }
            return writeSome(fd, data, size);
        };
        return o;
    }
};

TEST_F(FileStoreTest, SaveSettingsReplacesTheFileOnceWithAllElevenValues) {
    CountingWrites writes;
    FileRegistryStore store(file(), writes.options());
    TParamValues values;
    values.Click = 1;
    SaveSettings(values, store);  // the file does not exist yet: key and values in one write
    EXPECT_EQ(writes.calls, 1);
    const std::string written = readBytes(file());
    EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 14);
    values.Click = -1;
    SaveSettings(values, store);
    EXPECT_EQ(writes.calls, 2);
    EXPECT_EQ(stored(store, "Click"), (RegValue{kRegDword, dword(0xFFFFFFFF)}));
}

TEST_F(FileStoreTest, FailedWriteKeepsTheOldStoreWholeAndNamesTheFirstValue) {
    CountingWrites writes;
    FileRegistryStore store(file(), writes.options());
    SaveSettings(TParamValues{}, store);
    const std::string before = readBytes(file());
    writes.fail = true;
    TParamValues values;
    values.DataFile = "changed";
    values.Click = 1;
    try {
        SaveSettings(values, store);
        FAIL() << "no failure reported";
    } catch (const RegistryError& e) {
        EXPECT_STREQ(e.what(), "Failed to set data for 'DataFile'");
    }
    EXPECT_EQ(readBytes(file()), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(file().parent_path()), {}), 1);
    writes.fail = false;
    SaveSettings(values, store);
    EXPECT_EQ(stored(store, "DataFile"), (RegValue{kRegString, text("changed")}));
}

TEST_F(FileStoreTest, TemporaryLeftByADeadSaveIsRemovedAtTheNextSave) {
    FileRegistryStore store(file());
    SaveSettings(TParamValues{}, store);
    const pid_t dead = ::fork();
    if (dead == 0) {
        ::_exit(0);
    }
    ::waitpid(dead, nullptr, 0);
    const auto leftover = file().parent_path() / (".Mnemora.reg." + std::to_string(dead) + "-q1W2e3.mnemora-tmp");
    writeBytes(leftover, "Windows Registry Editor Version 5.00\n");
    SaveSettings(TParamValues{}, store);
    EXPECT_FALSE(std::filesystem::exists(leftover));
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

TEST_F(FileStoreTest, MissingFolderIsCreatedAndTheNewKeyWrittenWhenItCloses) {
    FileRegistryStore store(dir / "a" / "b" / "Mnemora.reg");
    {
        TRegistry reg(store);
        ASSERT_TRUE(reg.OpenKey(kSettingsKey, true));
        EXPECT_TRUE(std::filesystem::is_directory(dir / "a" / "b"));
    }
    EXPECT_EQ(readBytes(dir / "a" / "b" / "Mnemora.reg"),
              "Windows Registry Editor Version 5.00\n\n" + std::string(kSection) + "\n");
}

TEST_F(FileStoreTest, MissingStoreInAReadOnlyFolderIsAKeyThatCannotBeCreated) {
    std::filesystem::create_directories(file().parent_path());
    ::chmod(file().parent_path().c_str(), 0555);
    ::chmod(dir.path().c_str(), 0755);
    const int code = runUnprivileged([&] {
        const StoreOutcome out = loadAndSave(file());
        return out.loadFailure.empty() && out.saveFailure.empty() && out.dataFile == "/cwd/Mnemora.ini" ? 0 : 1;
    });
    EXPECT_EQ(code, 0);
    EXPECT_FALSE(std::filesystem::exists(file()));
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
    EXPECT_EQ(parsed->keys[0].values[0].value, (RegValue{kRegDword, dword(2)}));
}

TEST(StoreFileParser, RepeatedKeysAndValuesMergeWhereverTheyStand) {
    std::string text = "Windows Registry Editor Version 5.00\n";
    for (int round = 0; round < 3; ++round) {
        for (int k = 0; k < 50; ++k) {
            text += (round == 1 ? "[KEY" : "[key") + std::to_string(k) + "]\n";
            text += "\"v" + std::to_string(k % 7) + "\"=dword:0000000" + std::to_string(round) + "\n";
            text += "\"V" + std::to_string(k % 7) + "\"=dword:0000000" + std::to_string(round + 1) + "\n";
            text += "\"only" + std::to_string(round) + "\"=\"x\"\n";
        }
    }
    const auto parsed = parseStoreFile(text);
    ASSERT_TRUE(parsed);
    ASSERT_EQ(parsed->keys.size(), 50u);
    for (int k = 0; k < 50; ++k) {
        const StoreFileKey& key = parsed->keys[static_cast<std::size_t>(k)];
        EXPECT_EQ(key.path, "key" + std::to_string(k));
        ASSERT_EQ(key.values.size(), 4u);
        EXPECT_EQ(key.values[0].name, "v" + std::to_string(k % 7));  // first spelling, last data
        EXPECT_EQ(key.values[0].value, (RegValue{kRegDword, dword(3)}));
        EXPECT_EQ(key.values[3].name, "only2");
    }
}

// Loading reads the store through an index that decodes only the values
// asked for: it must accept exactly the texts the full reading accepts and
// answer every value as the full reading has it.
TEST(StoreFileParser, IndexAgreesWithTheFullReading) {
    const std::string header = "Windows Registry Editor Version 5.00\n";
    const std::string good = "\xEF\xBB\xBF" + header + "[K]\n\"A\"=\"1\"\n\"Esc\\\"aped\\\\\"=\"q\\\"\"\n[Other]\n\"A\"=hex:01,ff\n" +
                             "[k]\r\n\"a\"=dword:0000ABcd\r\n\"LongerThanEightBytes\"=hex(2):41,00\n\"t\"=hex:\n" +
                             "\"longerthaneightbytes\"=hex(ffffffff):\n\n";
    for (const std::string& text :
         {good, std::string(), std::string("REGEDIT4\n"), header + "\"A\"=\"x\"\n", header + "[K]\n\"A\"=dword:123\n",
          header + "[K]\n\"A\"=dword:0000012g\n", header + "[K]\n\"A\"=hex:1,02\n", header + "[K]\n\"A\"=hex:01,\n",
          header + "[K]\n\"A\"=hex():01\n", header + "[K]\n\"A\"=hex(123456789):01\n",
          header + "[K]\n\"A\"=\"unclosed\n", header + "[K]\n\"A\"=\"bad\\n escape\"\n", header + "[K]\n\"A\"\n",
          header + "[K]\n\"A\"=\"x\" \n", header + "[K\n", header + "[K]\nA=1\n"}) {
        const auto full = parseStoreFile(text);
        const auto index = StoreIndex::parse(text);
        ASSERT_EQ(index.has_value(), full.has_value()) << text;
        if (!full) {
            continue;
        }
        EXPECT_EQ(index->decode(), *full);
        for (const StoreFileKey& key : full->keys) {
            const auto sections = index->sectionsOf(key.path);
            ASSERT_FALSE(sections.empty()) << key.path;
            for (const StoreFileValue& v : key.values) {
                EXPECT_EQ(index->query(sections, v.name), v.value) << key.path << " " << v.name;
            }
            EXPECT_EQ(index->query(sections, "missing"), std::nullopt);
        }
    }
    const auto index = StoreIndex::parse(good);
    ASSERT_TRUE(index);
    EXPECT_EQ(index->query(index->sectionsOf("K"), "A"), (RegValue{kRegDword, dword(0xABCD)}));  // the last of "[K]" and "[k]"
    EXPECT_EQ(index->query(index->sectionsOf("k"), "ESC\"APED\\"), (RegValue{kRegString, text("q\"")}));
    EXPECT_TRUE(index->sectionsOf("Nowhere").empty());
}

TEST(StoreFileParser, SerialisedFileParsesBackEqual) {
    StoreFile file;
    file.keys.push_back(StoreFileKey{"HKEY_CURRENT_USER\\X", {{"q\"\\", RegValue{kRegString, text("\\\"")}},
                                                              {"e", RegValue{kRegBinary, ""}},
                                                              {"d", RegValue{kRegDword, std::string("\1", 1)}},
                                                              {"big", RegValue{0xFFFFFFFF, "z"}}}});
    const auto parsed = parseStoreFile(serializeStoreFile(file));
    ASSERT_TRUE(parsed);
    EXPECT_EQ(*parsed, file);
}

}  // namespace
}  // namespace mnemora::test
