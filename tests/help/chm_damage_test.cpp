// Help files that are damaged, cut short or made to hurt the reader: each
// gives a clear "Cannot open file" or a missing object, never a crash, a hang
// or memory beyond the stated bounds.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>

#include "chm_writer.h"
#include "core/error.h"
#include "help/chm_archive_chm.h"
#include "help/help_limits.h"
#include "help_project.h"
#include "temp_dir.h"

namespace mnemora {
namespace {

namespace fs = std::filesystem;
using test::ChmEntry;
using test::ChmLayout;
using test::TempDir;
using test::writeChm;

ChmArchive openBytes(const std::string& bytes) { return ChmArchive::fromBytes(bytes, "test.chm"); }

// Whatever opens is read through and through; nothing may crash.
void readEverything(const ChmArchive& archive) {
    for (const std::string& path : archive.files()) {
        (void)archive.read(path);
    }
    (void)archive.systemInfo();
    (void)archive.contentsFile();
    for (std::int32_t context : {0, 1000, 1010, 2170, 5240}) {
        (void)archive.lookupTopic(context);
    }
}

TEST(ChmWriter, WrittenArchiveReadsBack) {
    // The writer the other cases build on.
    ChmLayout layout;
    layout.add("/index.htm", "<p>Привет</p>");
    layout.add("/#SYSTEM", std::string("\x03\0\0\0\x02\0\x0A\0index.htm\0", 18));
    const ChmArchive archive = openBytes(writeChm(layout));
    EXPECT_EQ(archive.read("/INDEX.htm"), "<p>Привет</p>");
    EXPECT_EQ(archive.files(), std::vector<std::string>{"/index.htm"});
    EXPECT_EQ(archive.lookupTopic(1000), (TopicName{"/index.htm", ""}));
}

TEST(ChmDamage, ObjectsBeyondTheirBoundAreNotRead) {
    ChmLayout layout;
    layout.add("/small.htm", std::string(100, 'x'));
    layout.entries.push_back({"/huge.htm", 0, 0, std::uint64_t{kMaxHelpObjectBytes} + 1});
    layout.entries.push_back({"/endless.htm", 0, 0, std::uint64_t{1} << 62});
    const ChmArchive archive = openBytes(writeChm(layout));
    EXPECT_TRUE(archive.contains("/huge.htm"));
    EXPECT_EQ(archive.read("/huge.htm"), std::nullopt);
    EXPECT_EQ(archive.read("/endless.htm"), std::nullopt);
    EXPECT_EQ(archive.read("/small.htm", 99), std::nullopt);  // the caller's own bound
    EXPECT_EQ(archive.read("/small.htm", 100), std::string(100, 'x'));
}

TEST(ChmDamage, ObjectRunningPastTheFileIsNotRead) {
    ChmLayout layout;
    layout.add("/a.htm", "abc");
    layout.entries.push_back({"/past.htm", 0, 2, 1000});
    layout.entries.push_back({"/after.htm", 0, 1u << 20, 10});
    const ChmArchive archive = openBytes(writeChm(layout));
    EXPECT_EQ(archive.read("/past.htm"), std::nullopt);
    EXPECT_EQ(archive.read("/after.htm"), std::nullopt);
    EXPECT_EQ(archive.read("/a.htm"), "abc");  // and the reader still works
}

TEST(ChmDamage, CompressedObjectsTooFarIntoTheStreamAreNotUnpacked) {
    ChmLayout layout;
    layout.add("/a.htm", "abc");
    layout.entries.push_back({"/deep.htm", 1, static_cast<std::uint64_t>(kMaxCompressedReach), 10});
    layout.entries.push_back({"/long.htm", 1, 10, static_cast<std::uint64_t>(kMaxCompressedReach)});
    // Within reach, but the file has no compressed section at all.
    layout.entries.push_back({"/nostream.htm", 1, 0, 10});
    const ChmArchive archive = openBytes(writeChm(layout));
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(archive.read("/deep.htm"), std::nullopt);
    EXPECT_EQ(archive.read("/long.htm"), std::nullopt);
    EXPECT_EQ(archive.read("/nostream.htm"), std::nullopt);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    EXPECT_EQ(archive.read("/a.htm"), "abc");
}

TEST(ChmDamage, CompressedObjectWithoutTheStreamTablesIsNotReadEvenWhenTheIndexRunsInCircles) {
    // Without its tables in the listing the library would look them up
    // through the listing chunks' links, and this file links them in a
    // circle: that walk never ends.
    ChmLayout layout;
    layout.add("/a.htm", "abc");
    layout.entries.push_back({"/packed.htm", 1, 0, 10});
    layout.chunks = 2;
    layout.chunksInACircle = true;
    const ChmArchive archive = openBytes(writeChm(layout));
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(archive.read("/packed.htm"), std::nullopt);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    EXPECT_EQ(archive.read("/a.htm"), "abc");
}

TEST(ChmWriter, ListingChunksBeforeTheOneTheHeaderNamesFirstAreRead) {
    // How the help compiler writes a listing of more than one chunk.
    ChmLayout layout;
    layout.add("/a.htm", "abc");
    layout.chunks = 3;
    layout.namesOnlyTheLastChunk = true;
    EXPECT_EQ(openBytes(writeChm(layout)).read("/a.htm"), "abc");
}

TEST(ChmDamage, DirectoryBeyondTheBoundIsRefusedAtOpening) {
    ChmLayout layout;
    layout.add("/a.htm", "abc");
    layout.chunks = static_cast<std::uint32_t>(kMaxHelpDirectoryBytes / 4096);
    EXPECT_EQ(openBytes(writeChm(layout)).read("/a.htm"), "abc");
    layout.chunks += 1;
    EXPECT_THROW(openBytes(writeChm(layout)), FileError);
}

TEST(ChmDamage, NamesThatDifferOnlyInCaseResolveToTheFirst) {
    ChmLayout layout;
    layout.add("/Page.htm", "first");
    layout.add("/PAGE.htm", "second");
    const ChmArchive archive = openBytes(writeChm(layout));
    EXPECT_EQ(archive.resolve("/page.HTM"), "/Page.htm");
    EXPECT_EQ(archive.read("/page.htm"), "first");
    EXPECT_EQ(archive.read(std::string("/Page.htm\0x", 11)), std::nullopt);
}

TEST(ChmDamage, NamesOutsideTheRootAreNoFilesOfTheHelp) {
    ChmLayout layout;
    layout.add("/a.htm", "a");
    layout.add("\xD5\x03", "b");
    layout.add("::DataSpace/NameList", "c");
    const ChmArchive archive = openBytes(writeChm(layout));
    EXPECT_EQ(archive.files(), std::vector<std::string>{"/a.htm"});
}

TEST(ChmDamage, FilesThatAreNoHelpFilesAreACannotOpenError) {
    for (const std::string& bytes : {std::string(), std::string("ITSF"), std::string(0x60, '\0'),
                                     std::string(4096, '\xFF'), writeChm(ChmLayout{}).substr(0, 0x70)}) {
        try {
            (void)openBytes(bytes);
            ADD_FAILURE() << "opened " << bytes.size() << " bytes";
        } catch (const FileError& e) {
            EXPECT_STREQ(e.what(), "Cannot open file test.chm");
        }
    }
}

TEST(ChmDamage, FileLargerThanTheBoundIsRefusedUnread) {
    TempDir tmp;
    const fs::path big = tmp / "vantero.chm";
    test::writeBytes(big, writeChm(ChmLayout{}));
    fs::resize_file(big, kMaxHelpFileBytes + 1);  // sparse: costs no disk
    EXPECT_THROW(ChmArchive{big}, FileError);
}

TEST(ChmDamage, FifoOrFolderInPlaceOfTheFileIsRefusedWithoutWaiting) {
    TempDir tmp;
    ASSERT_EQ(::mkfifo((tmp / "fifo.chm").c_str(), 0600), 0);
    fs::create_directory(tmp / "folder.chm");
    const auto started = std::chrono::steady_clock::now();
    EXPECT_THROW(ChmArchive{tmp / "fifo.chm"}, FileError);  // no writer: a blocking open would hang
    EXPECT_THROW(ChmArchive{tmp / "folder.chm"}, FileError);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
}

class CompiledDamage : public ::testing::Test {
protected:
    void SetUp() override {
        if (!test::haveChmcmd()) {
            GTEST_SKIP() << test::kNoChmcmd;
        }
        const fs::path fixture = fs::path(MNEMORA_SOURCE_DIR) / "tests/help/fixtures/mapped";
        fs::copy(fixture, dir / "mapped", fs::copy_options::recursive);
        const std::string command = "cd '" + (dir / "mapped").string() + "' && chmcmd vantero.hhp >/dev/null 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0);
        bytes = test::readBytes(dir / "mapped/vantero.chm");
        ASSERT_GT(bytes.size(), 4096u);
    }
    TempDir dir;
    std::string bytes;
};

TEST_F(CompiledDamage, FileCutShortAnywhereOpensOrFailsCleanly) {
    int opened = 0;
    for (std::size_t length = 0; length < bytes.size(); length += 61) {
        try {
            readEverything(openBytes(bytes.substr(0, length)));
            ++opened;
        } catch (const FileError&) {
        }
    }
    // The directory sits at the front: a cut past it still opens, and the
    // objects it cut off are simply not there.
    EXPECT_GT(opened, 0);
    const ChmArchive cut = openBytes(bytes.substr(0, bytes.size() - 2000));
    EXPECT_TRUE(cut.contains("/general.htm"));
    EXPECT_EQ(cut.read("/general.htm"), std::nullopt);
}

TEST_F(CompiledDamage, FileWithBytesChangedAnywhereOpensOrFailsCleanly) {
    for (std::size_t at = 0; at < bytes.size(); at += 13) {
        for (unsigned char mask : {0xFF, 0x80, 0x01}) {
            std::string damaged = bytes;
            damaged[at] = static_cast<char>(static_cast<unsigned char>(damaged[at]) ^ mask);
            try {
                readEverything(openBytes(damaged));
            } catch (const FileError&) {
            }
        }
    }
}

TEST_F(CompiledDamage, CompressedPagesComeOutWhole) {
    // Every page of the fixture lives in the compressed section.
    const ChmArchive archive = openBytes(bytes);
    for (const char* page : {"/index.htm", "/general.htm", "/window.htm", "/topics/lists.htm", "/topics/columns.htm"}) {
        const auto read = archive.read(page);
        ASSERT_TRUE(read) << page;
        const std::string name = std::string(page).substr(1);
        EXPECT_EQ(*read, test::readBytes(dir / "mapped" / name)) << page;
    }
}

}  // namespace
}  // namespace mnemora
