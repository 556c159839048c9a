// Help on Windows: which requests reach the system's viewer, what the user is
// told instead, and the help file's map read through the system's own reader.
#include "win32/common/help_win32.h"

#include <gtest/gtest.h>

#include <htmlhelp.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "../help/chm_writer.h"
#include "platform/path_text.h"
#include "platform/places.h"
#include "recording_boxes.h"
#include "temp_dir.h"

namespace mnemora::win32 {
namespace {

struct ViewerCall {
    std::wstring file;
    UINT command = 0;
    DWORD_PTR data = 0;
};

// A help file whose map knows the given numbers, each at its own page
// "/page<number>.htm", the map naming it `prefix` + "page<number>.htm".
// Pages of numbers in `missing` are left out of the file.
std::string helpFileMapping(const std::vector<std::int32_t>& contexts, const std::string& prefix = "",
                            const std::vector<std::int32_t>& missing = {}) {
    std::string ivb(4, '\0');
    std::string strings(1, '\0');  // offset 0 names nothing, as a compiler writes it
    for (const std::int32_t context : contexts) {
        const auto offset = static_cast<std::uint32_t>(strings.size());
        for (int i = 0; i < 4; ++i) {
            ivb.push_back(static_cast<char>((static_cast<std::uint32_t>(context) >> (8 * i)) & 0xFF));
        }
        for (int i = 0; i < 4; ++i) {
            ivb.push_back(static_cast<char>((offset >> (8 * i)) & 0xFF));
        }
        strings += prefix + "page" + std::to_string(context) + ".htm";
        strings.push_back('\0');
    }
    test::ChmLayout layout;
    for (const std::int32_t context : contexts) {
        if (std::find(missing.begin(), missing.end(), context) == missing.end()) {
            layout.add("/page" + std::to_string(context) + ".htm", "<html></html>");
        }
    }
    const auto bytes = static_cast<std::uint32_t>(ivb.size() - 4);
    for (int i = 0; i < 4; ++i) {
        ivb[static_cast<std::size_t>(i)] = static_cast<char>((bytes >> (8 * i)) & 0xFF);
    }
    layout.add("/#IVB", ivb);
    layout.add("/#STRINGS", strings);
    return test::writeChm(layout);
}

void writeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

TEST(Win32Help, OnlyNumbersInTheFilesMapReachTheViewerAndEveryOtherRequestIsExplained) {
    const test::TempDir dir;
    const std::filesystem::path chm = dir / "vantero.chm";
    const std::string where = pathToUtf8(chm);
    const std::string missingMapFile = [] {
        test::ChmLayout layout;
        layout.add("/index.htm", "<html></html>");
        return test::writeChm(layout);
    }();

    struct Case {
        const char* what;
        std::string fileBytes;  // empty: no file at all
        std::int32_t context;
        bool reachesViewer;
        std::wstring viewerFileTail;  // after the file's path
        UINT viewerCommand;
        std::string plain;  // the start of the one plain box, if any
        std::string error;  // the one error box, if any
    };
    const std::vector<Case> cases = {
        {"mapped number", helpFileMapping({1000, 1010, 5240}), 5240, true, L"", HH_HELP_CONTEXT, "", ""},
        // As our help compiler writes it: the map names the pages by the
        // build folder's path, which the viewer would not find by number.
        {"page named by a build path", helpFileMapping({1000, 2010}, "/home/me/build/help/stage/"), 2010, true,
         L"::/page2010.htm", HH_DISPLAY_TOPIC, "", ""},
        {"number not in the map", helpFileMapping({1000, 1010}), 4020, false, L"", 0,
         "В файле справки " + where + " нет раздела 4020.", ""},
        {"mapped page missing from the file", helpFileMapping({1000, 3000}, "", {3000}), 3000, false, L"", 0,
         "В файле справки " + where + " нет раздела 3000.", ""},
        {"file without a map", missingMapFile, 1000, false, L"", 0,
         "В файле справки " + where + " нет раздела 1000.", ""},
        {"no file", "", 1000, false, L"", 0, "Не найден файл справки vantero.chm. Искали:\n" + where, ""},
        {"not a help file", std::string(5000, 'x'), 1000, false, L"", 0, "", "Cannot open file " + where + "."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(chm);
        if (!c.fileBytes.empty()) {
            writeFile(chm, c.fileBytes);
        }
        std::vector<ViewerCall> calls;
        const test::RecordingBoxes boxes;
        {
            Win32HelpPlatform help(dir.path(), [&](HWND, const std::wstring& file, UINT command, DWORD_PTR data) {
                calls.push_back({file, command, data});
                return HWND{nullptr};
            });
            help.htmlHelp("vantero.chm", kHtmlHelpContextCommand, c.context);
        }
        if (c.reachesViewer) {
            // The request, then the viewer's windows closed as the program ends.
            ASSERT_EQ(calls.size(), 2U);
            EXPECT_EQ(calls[0].file, chm.wstring() + c.viewerFileTail);
            EXPECT_EQ(calls[0].command, c.viewerCommand);
            EXPECT_EQ(calls[0].data, c.viewerCommand == HH_HELP_CONTEXT ? static_cast<DWORD_PTR>(c.context) : 0U);
            EXPECT_EQ(calls[1].command, static_cast<UINT>(HH_CLOSE_ALL));
        } else {
            // Not even a closing call: the viewer was never started.
            EXPECT_TRUE(calls.empty());
        }
        EXPECT_EQ(boxes.plains, c.plain.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.plain});
        EXPECT_EQ(boxes.errors, c.error.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.error});
    }
}

TEST(Win32Help, AFileReplacedBetweenRequestsIsReadAgainAndNeverKeptOpen) {
    const test::TempDir dir;
    const std::filesystem::path chm = dir / "vantero.chm";
    writeFile(chm, helpFileMapping({1000}));
    std::vector<std::int32_t> shown;
    const test::RecordingBoxes boxes;
    Win32HelpPlatform help(dir.path(), [&](HWND, const std::wstring&, UINT command, DWORD_PTR data) {
        if (command == HH_HELP_CONTEXT) {
            shown.push_back(static_cast<std::int32_t>(data));
        }
        return HWND{nullptr};
    });
    help.htmlHelp("vantero.chm", kHtmlHelpContextCommand, 1000);
    // Removing the file succeeds only if nothing of ours holds it.
    ASSERT_TRUE(std::filesystem::remove(chm));
    writeFile(chm, helpFileMapping({1010, 2000, 2010}));
    help.htmlHelp("vantero.chm", kHtmlHelpContextCommand, 2010);
    help.htmlHelp("vantero.chm", kHtmlHelpContextCommand, 1000);
    EXPECT_EQ(shown, (std::vector<std::int32_t>{1000, 2010}));
    ASSERT_EQ(boxes.plains.size(), 1U);
    EXPECT_NE(boxes.plains[0].find("нет раздела 1000"), std::string::npos);
}

// The file the build compiles from help/, as scripts/windows puts it beside
// the programs: the system's reader finds the numbers the program asks for.
TEST(Win32Help, TheShippedHelpFileMapsTheProgramsTopicsThroughTheSystemReader) {
    std::filesystem::path chm;
    for (std::filesystem::path dir = executableDir(); !dir.empty() && chm.empty(); dir = dir.parent_path()) {
        if (std::filesystem::is_regular_file(dir / "vantero.chm")) {
            chm = dir / "vantero.chm";
        }
        if (dir == dir.parent_path()) {
            break;
        }
    }
    if (chm.empty()) {
        GTEST_SKIP() << "no vantero.chm beside this program or above it (scripts/windows puts one there)";
    }
    const HelpFileMap map = readHelpFileMap(chm);
    const std::vector<std::pair<std::int32_t, std::string>> pages = {
        {1000, "/work.htm"}, {1010, "/windows.htm"}, {2000, "/lists/list01.htm"}, {5240, "/chart/column24.htm"}};
    for (const auto& [context, page] : pages) {
        ASSERT_TRUE(map.contains(context)) << context;
        EXPECT_EQ(map.at(context).page, page) << context;
    }
    for (const std::int32_t context : {2300, 3000, 4000, 5000}) {
        EXPECT_TRUE(map.contains(context)) << context;
    }
    EXPECT_FALSE(map.contains(999));
}

}  // namespace
}  // namespace mnemora::win32
