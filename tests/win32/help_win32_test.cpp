// Help on Windows: which requests reach the system's viewer, what the user is
// told instead, and the help file's map read through the system's own reader.
#include "win32/common/help_win32.h"

#include <gtest/gtest.h>

#include <htmlhelp.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "../help/chm_writer.h"
#include "help/help_map.h"
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

// A help file whose map knows the given numbers, each at its own page.
std::string helpFileMapping(const std::vector<std::int32_t>& contexts) {
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
        strings += "page" + std::to_string(context) + ".htm";
        strings.push_back('\0');
    }
    const auto bytes = static_cast<std::uint32_t>(ivb.size() - 4);
    for (int i = 0; i < 4; ++i) {
        ivb[static_cast<std::size_t>(i)] = static_cast<char>((bytes >> (8 * i)) & 0xFF);
    }
    test::ChmLayout layout;
    layout.add("/#IVB", ivb);
    layout.add("/#STRINGS", strings);
    layout.add("/index.htm", "<html></html>");
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
        std::string plain;  // the start of the one plain box, if any
        std::string error;  // the one error box, if any
    };
    const std::vector<Case> cases = {
        {"mapped number", helpFileMapping({1000, 1010, 5240}), 5240, true, "", ""},
        {"number not in the map", helpFileMapping({1000, 1010}), 4020, false,
         "В файле справки " + where + " нет раздела 4020.", ""},
        {"file without a map", missingMapFile, 1000, false, "В файле справки " + where + " нет раздела 1000.", ""},
        {"no file", "", 1000, false, "Не найден файл справки vantero.chm. Искали:\n" + where, ""},
        {"not a help file", std::string(5000, 'x'), 1000, false, "", "Cannot open file " + where + "."},
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
            });
            help.htmlHelp("vantero.chm", kHtmlHelpContextCommand, c.context);
        }
        if (c.reachesViewer) {
            // The request, then the viewer's windows closed as the program ends.
            ASSERT_EQ(calls.size(), 2U);
            EXPECT_EQ(calls[0].file, chm.wstring());
            EXPECT_EQ(calls[0].command, static_cast<UINT>(HH_HELP_CONTEXT));
            EXPECT_EQ(calls[0].data, static_cast<DWORD_PTR>(c.context));
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
    for (const std::int32_t context : {1000, 1010, 2000, 2300, 3000, 4000, 5000, 5240}) {
        EXPECT_TRUE(findContextTopic(map.ivb, map.strings, context).has_value()) << context;
    }
    EXPECT_FALSE(findContextTopic(map.ivb, map.strings, 999).has_value());
}

}  // namespace
}  // namespace mnemora::win32
