#include "help/chm_archive_chm.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <memory>

#include "core/error.h"
#include "temp_dir.h"

namespace mnemora {
namespace {

namespace fs = std::filesystem;
using test::readBytes;
using test::TempDir;
using ::testing::Contains;
using ::testing::Each;
using ::testing::Not;
using ::testing::StartsWith;

const fs::path kFixtures = fs::path(MNEMORA_SOURCE_DIR) / "tests/help/fixtures";

bool haveChmcmd() {
    return std::system("command -v chmcmd >/dev/null 2>&1") == 0;
}

struct Fixture {
    const char* folder;   // under tests/help/fixtures
    const char* project;  // the .hhp in it
    const char* output;   // the .chm the project writes
};

constexpr Fixture kCompiled[] = {
    {"mapped", "vantero.hhp", "vantero.chm"},
    {"nomap", "nomap.hhp", "nomap.chm"},
    {"duplicate", "duplicate.hhp", "duplicate.chm"},
};

// Compiles a fixture in a copy under `into`, since the compiler finds the
// project's files and writes its output relative to the working folder.
// Returns the .chm, or an empty path with the compiler's log in `log`.
fs::path compileFixture(const TempDir& into, const Fixture& fixture, std::string& log) {
    const fs::path project = into / fixture.folder;
    fs::copy(kFixtures / fixture.folder, project, fs::copy_options::recursive);
    const std::string command =
        "cd '" + project.string() + "' && chmcmd '" + fixture.project + "' >chmcmd.log 2>&1";
    const int rc = std::system(command.c_str());
    fs::path chm = project / fixture.output;
    if (rc != 0 || !fs::exists(chm)) {
        log = readBytes(project / "chmcmd.log");
        return {};
    }
    return chm;
}

// Each fixture is compiled once for all the tests that read it.
class CompiledHelp : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!haveChmcmd()) {
            return;
        }
        dir_ = std::make_unique<TempDir>();
        for (const Fixture& fixture : kCompiled) {
            std::string log;
            compiled_[fixture.folder] = compileFixture(*dir_, fixture, log);
            logs_[fixture.folder] = log;
        }
    }
    static void TearDownTestSuite() {
        compiled_.clear();
        logs_.clear();
        dir_.reset();
    }

    void SetUp() override {
        if (!dir_) {
            GTEST_SKIP() << "chmcmd (Debian package fp-utils) is not installed, so no help file "
                            "can be built";
        }
    }

    // The compiled fixture, opened; fails the test when it did not compile.
    static std::unique_ptr<ChmArchive> open(const std::string& name) {
        const fs::path& chm = compiled_[name];
        EXPECT_FALSE(chm.empty()) << "chmcmd failed on " << name << ":\n" << logs_[name];
        return chm.empty() ? nullptr : std::make_unique<ChmArchive>(chm);
    }

    static fs::path buildFolder(const std::string& name) { return dir_->path() / name; }

    static inline std::unique_ptr<TempDir> dir_;
    static inline std::map<std::string, fs::path> compiled_;
    static inline std::map<std::string, std::string> logs_;
};

TEST_F(CompiledHelp, MappedNumbersOpenTheirPagesInTheRootAndInASubfolder) {
    const auto help = open("mapped");
    ASSERT_TRUE(help);
    EXPECT_EQ(help->lookupTopic(1000), (TopicName{"/general.htm", ""}));
    EXPECT_EQ(help->lookupTopic(1010), (TopicName{"/window.htm", ""}));  // hex in the project
    EXPECT_EQ(help->lookupTopic(2170), (TopicName{"/topics/lists.htm", ""}));
    EXPECT_EQ(help->lookupTopic(5240), (TopicName{"/topics/columns.htm", ""}));
}

TEST_F(CompiledHelp, UnmappedNumberOpensTheDefaultTopic) {
    const auto help = open("mapped");
    ASSERT_TRUE(help);
    for (std::int32_t context : {0, 1, -1, 1001, 3000, INT32_MAX}) {
        EXPECT_EQ(help->lookupTopic(context), (TopicName{"/index.htm", ""})) << context;
    }
}

TEST_F(CompiledHelp, TheCompilerNamesMappedPagesByTheirFullBuildPaths) {
    // Why the map's names go through the suffix resolver at all.
    const auto help = open("mapped");
    ASSERT_TRUE(help);
    const auto ivb = help->read("/#IVB");
    const auto strings = help->read("/#STRINGS");
    ASSERT_TRUE(ivb && strings);
    const auto entries = parseContextMap(*ivb, *strings);
    ASSERT_EQ(entries.size(), 4u);
    const std::string folder = buildFolder("mapped").string() + "/";
    for (const ContextMapEntry& entry : entries) {
        EXPECT_THAT(entry.name, StartsWith(folder)) << entry.context;
    }
}

TEST_F(CompiledHelp, PagesReadBackByteForByte) {
    const auto help = open("mapped");
    ASSERT_TRUE(help);
    // The Windows-1251 page comes out as its own bytes, for the viewer to decode.
    EXPECT_EQ(help->read("/window.htm"), readBytes(kFixtures / "mapped/window.htm"));
    EXPECT_EQ(help->read("/topics/columns.htm"),
              readBytes(kFixtures / "mapped/topics/columns.htm"));
    EXPECT_EQ(help->read("/style.css"), readBytes(kFixtures / "mapped/style.css"));
    EXPECT_EQ(help->read("/missing.htm"), std::nullopt);
    EXPECT_EQ(help->read(""), std::nullopt);
    EXPECT_EQ(help->read("/" + std::string(2000, 'a')), std::nullopt);
}

TEST_F(CompiledHelp, ObjectsResolveWithoutRegardToCaseToTheArchivesSpelling) {
    const auto help = open("mapped");
    ASSERT_TRUE(help);
    EXPECT_EQ(help->resolve("/TOPICS/Lists.HTM"), "/topics/lists.htm");
    EXPECT_TRUE(help->contains("/index.htm"));
    EXPECT_FALSE(help->contains("/index.html"));
    EXPECT_FALSE(help->contains("index.htm"));  // archive paths start with "/"
}

TEST_F(CompiledHelp, FileListHasPagesButNoFoldersOrCompilerTables) {
    const auto help = open("mapped");
    ASSERT_TRUE(help);
    const auto files = help->files();
    EXPECT_THAT(files, Contains("/topics/lists.htm"));
    EXPECT_THAT(files, Contains("/style.css"));
    EXPECT_THAT(files, Contains("/contents.hhc"));
    EXPECT_THAT(files, Not(Contains("/topics/")));
    EXPECT_THAT(files, Each(Not(StartsWith("/#"))));
    EXPECT_THAT(files, Each(StartsWith("/")));
}

TEST_F(CompiledHelp, ContentsFileIsTheOneTheProjectNames) {
    const auto help = open("mapped");
    ASSERT_TRUE(help);
    EXPECT_EQ(help->systemInfo().contentsFile, "contents.hhc");
    EXPECT_EQ(help->contentsFile(), "/contents.hhc");
}

TEST_F(CompiledHelp, FileWithoutAMapOpensItsDefaultTopicForEveryNumber) {
    const auto help = open("nomap");
    ASSERT_TRUE(help);
    EXPECT_FALSE(help->contains("/#IVB"));
    // The project wrote the default topic with a backslash.
    EXPECT_EQ(help->systemInfo().defaultTopic, "pages\\start.htm");
    EXPECT_EQ(help->lookupTopic(1000), (TopicName{"/pages/start.htm", ""}));
    EXPECT_EQ(help->lookupTopic(2170), (TopicName{"/pages/start.htm", ""}));
}

TEST_F(CompiledHelp, ContentsFileNotNamedIsFoundInTheArchive) {
    const auto help = open("nomap");
    ASSERT_TRUE(help);
    EXPECT_EQ(help->systemInfo().contentsFile, std::nullopt);
    EXPECT_EQ(help->contentsFile(), "/toc.hhc");
}

TEST_F(CompiledHelp, TwoPagesForOneNumberOpenTheFirst) {
    const auto help = open("duplicate");
    ASSERT_TRUE(help);
    EXPECT_EQ(help->lookupTopic(3000), (TopicName{"/first.htm", ""}));
    EXPECT_EQ(help->lookupTopic(3001), (TopicName{"/index.htm", ""}));
}

TEST_F(CompiledHelp, MovedArchiveKeepsItsFileAndTheOldOneIsEmpty) {
    auto help = open("duplicate");
    ASSERT_TRUE(help);
    ChmArchive moved(std::move(*help));
    EXPECT_TRUE(moved.contains("/first.htm"));
    EXPECT_FALSE(help->contains("/first.htm"));
    EXPECT_EQ(help->lookupTopic(3000), std::nullopt);
    *help = std::move(moved);
    EXPECT_TRUE(help->contains("/second.htm"));
}

TEST(ChmArchiveOpen, MissingOrForeignFileIsACannotOpenError) {
    TempDir tmp;
    EXPECT_THROW(ChmArchive(tmp / "vantero.chm"), FileError);
    test::writeBytes(tmp / "bad.chm", "ITSF but not really a help file at all");
    try {
        ChmArchive archive(tmp / "bad.chm");
        FAIL() << "a file that is no help file opened";
    } catch (const FileError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open file " + (tmp / "bad.chm").string());
    }
}

}  // namespace
}  // namespace mnemora
