#include "help/help_locator.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

#include "platform/path_text.h"
#include "platform/places.h"
#include "temp_dir.h"

namespace mnemora {
namespace {

namespace fs = std::filesystem;
using test::TempDir;
using test::writeBytes;
using ::testing::ElementsAre;

HelpSearchPlaces places(std::map<std::string, std::string> env,
                        fs::path exeDir = "/opt/mnemora/bin",
                        fs::path currentDir = "/home/anna/work") {
    HelpSearchPlaces p;
    p.executableDir = std::move(exeDir);
    p.currentDir = std::move(currentDir);
    p.environment = [env = std::move(env)](const char* name) -> std::optional<std::string> {
        const auto it = env.find(name);
        return it != env.end() ? std::optional<std::string>(it->second) : std::nullopt;
    };
    return p;
}

// The places of the program's own layout, then the XDG data folders where
// the system has them.
std::vector<fs::path> expected(std::vector<fs::path> own, const std::vector<fs::path>& xdg) {
    if (kSearchXdgDataFolders) {
        own.insert(own.end(), xdg.begin(), xdg.end());
    }
    return own;
}

TEST(HelpFileCandidates, ProgramFolderThenCurrentFolderThenXdgDataFolders) {
    const auto candidates = helpFileCandidates(
        places({{"XDG_DATA_HOME", "/home/anna/data"}, {"XDG_DATA_DIRS", "/srv/share:/opt/share"}}));
    EXPECT_EQ(candidates,
              expected({"/opt/mnemora/bin/vantero.chm", "/opt/mnemora/share/mnemora/vantero.chm",
                        "/home/anna/work/vantero.chm"},
                       {"/home/anna/data/mnemora/vantero.chm", "/srv/share/mnemora/vantero.chm",
                        "/opt/share/mnemora/vantero.chm"}));
}

TEST(HelpFileCandidates, UnsetOrEmptyXdgVariablesTakeTheDefaults) {
    const auto want =
        expected({"/opt/mnemora/bin/vantero.chm", "/opt/mnemora/share/mnemora/vantero.chm",
                  "/home/anna/work/vantero.chm"},
                 {"/home/anna/.local/share/mnemora/vantero.chm", "/usr/local/share/mnemora/vantero.chm",
                  "/usr/share/mnemora/vantero.chm"});
    EXPECT_EQ(helpFileCandidates(places({{"HOME", "/home/anna"}})), want);
    EXPECT_EQ(helpFileCandidates(places({{"HOME", "/home/anna"}, {"XDG_DATA_HOME", ""}, {"XDG_DATA_DIRS", ""}})),
              want);
}

TEST(HelpFileCandidates, RelativeAndEmptyEntriesAreSkipped) {
    const auto candidates = helpFileCandidates(places({{"XDG_DATA_HOME", "data"},
                                                       {"HOME", "/home/anna"},
                                                       {"XDG_DATA_DIRS", ":share::/srv/share:"}}));
    EXPECT_EQ(candidates, expected({"/opt/mnemora/bin/vantero.chm", "/opt/mnemora/share/mnemora/vantero.chm",
                                    "/home/anna/work/vantero.chm"},
                                   {"/srv/share/mnemora/vantero.chm"}));
}

TEST(HelpFileCandidates, WithoutHomeTheUserFolderIsLeftOut) {
    const auto candidates = helpFileCandidates(places({{"XDG_DATA_DIRS", "/srv/share"}}));
    EXPECT_EQ(candidates, expected({"/opt/mnemora/bin/vantero.chm", "/opt/mnemora/share/mnemora/vantero.chm",
                                    "/home/anna/work/vantero.chm"},
                                   {"/srv/share/mnemora/vantero.chm"}));
}

TEST(HelpFileCandidates, APlaceIsListedOnce) {
    // Started from its own folder: the program folder is the current folder.
    const auto candidates = helpFileCandidates(
        places({{"XDG_DATA_HOME", "/srv/share/"}, {"XDG_DATA_DIRS", "/srv/share:/srv/./share"}},
               "/opt/m", "/opt/m/"));
    EXPECT_EQ(candidates, expected({"/opt/m/vantero.chm"}, {"/srv/share/mnemora/vantero.chm"}));
}

class HelpFileSearchTest : public ::testing::Test {
protected:
    HelpFileSearchTest() {
        for (const char* dir : {"bin", "cwd", "home/mnemora", "sys1/mnemora", "sys2/mnemora"}) {
            fs::create_directories(tmp / dir);
        }
    }

    HelpSearchPlaces here() const {
        return places({{"XDG_DATA_HOME", (tmp / "home").string()},
                       {"XDG_DATA_DIRS", (tmp / "sys1").string() + ":" + (tmp / "sys2").string()}},
                      tmp / "bin", tmp / "cwd");
    }

    TempDir tmp;
};

TEST_F(HelpFileSearchTest, TheFirstPlaceThatHasTheFileWins) {
    if (!kSearchXdgDataFolders) {
        GTEST_SKIP() << "the XDG data folders are not searched on this system";
    }
    writeBytes(tmp / "sys2/mnemora/vantero.chm", "x");
    writeBytes(tmp / "home/mnemora/vantero.chm", "x");
    auto search = findHelpFile(here());
    EXPECT_EQ(search.found, tmp / "home/mnemora/vantero.chm");
    EXPECT_EQ(search.searched.size(), 4u);  // bin, share beside it, cwd, home

    writeBytes(tmp / "cwd/vantero.chm", "x");
    EXPECT_EQ(findHelpFile(here()).found, tmp / "cwd/vantero.chm");

    writeBytes(tmp / "bin/vantero.chm", "x");
    search = findHelpFile(here());
    EXPECT_EQ(search.found, tmp / "bin/vantero.chm");
    EXPECT_THAT(search.searched, ElementsAre(tmp / "bin/vantero.chm"));
}

TEST_F(HelpFileSearchTest, AFolderOfThatNameIsNotTheFile) {
    fs::create_directories(tmp / "bin/vantero.chm");
    writeBytes(tmp / "cwd/vantero.chm", "x");
    EXPECT_EQ(findHelpFile(here()).found, tmp / "cwd/vantero.chm");
}

TEST_F(HelpFileSearchTest, AnInstallUnderAnyPrefixFindsItsOwnFileBeforeTheCurrentFolders) {
    fs::create_directories(tmp / "share/mnemora");
    writeBytes(tmp / "share/mnemora/vantero.chm", "installed");
    writeBytes(tmp / "cwd/vantero.chm", "stray");
    EXPECT_EQ(findHelpFile(here()).found, tmp / "share/mnemora/vantero.chm");
}

TEST_F(HelpFileSearchTest, NothingFoundListsEveryPlaceInTheMessage) {
    const auto search = findHelpFile(here());
    EXPECT_EQ(search.found, std::nullopt);
    ASSERT_EQ(search.searched, helpFileCandidates(here()));
    ASSERT_EQ(search.searched.size(), kSearchXdgDataFolders ? 6u : 3u);
    const std::string text = helpFileNotFoundText("vantero.chm", search.searched);
    EXPECT_THAT(text, ::testing::StartsWith("Не найден файл справки vantero.chm."));
    std::size_t pos = 0;
    for (const fs::path& place : search.searched) {
        pos = text.find("\n" + pathToUtf8(place), pos);
        EXPECT_NE(pos, std::string::npos) << place;  // each place, in the order looked in
    }
}

TEST(HelpSearchPlacesForThisProcess, FindsTheTestProgramsFolder) {
    const HelpSearchPlaces p = HelpSearchPlaces::forThisProcess();
#ifdef _WIN32
    EXPECT_TRUE(fs::exists(p.executableDir / "test_help.exe"));
#else
    EXPECT_TRUE(fs::exists(p.executableDir / "test_help"));
#endif
    EXPECT_EQ(p.currentDir, fs::current_path());
    ASSERT_TRUE(p.environment);
    EXPECT_EQ(p.environment("MNEMORA_SURELY_UNSET_VARIABLE"), std::nullopt);
}

}  // namespace
}  // namespace mnemora
