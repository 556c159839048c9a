#pragma once

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "temp_dir.h"

namespace mnemora::test {

inline bool haveChmcmd() { return std::system("command -v chmcmd >/dev/null 2>&1") == 0; }

inline constexpr const char* kNoChmcmd =
    "chmcmd (Debian package fp-utils) is not installed, so no help file can be built";

// A help project written out by a test: its files (path in the project ->
// bytes), the contents file and default topic among them, and the map of
// topic numbers to pages.
struct HelpProject {
    std::map<std::string, std::string> files;
    std::string contentsFile;  // empty: none
    std::string defaultTopic;
    std::vector<std::pair<int, std::string>> map;
};

// Writes the project into `folder` and compiles it there (the compiler finds
// the files relative to its working folder). The .chm, or an empty path with
// the compiler's log in `log`.
inline std::filesystem::path compileHelpProject(const std::filesystem::path& folder, const HelpProject& project,
                                                std::string& log) {
    std::filesystem::create_directories(folder);
    std::string hhp = "[OPTIONS]\nCompatibility=1.1 or later\nCompiled file=help.chm\n";
    if (!project.contentsFile.empty()) {
        hhp += "Contents file=" + project.contentsFile + "\n";
    }
    hhp += "Default topic=" + project.defaultTopic + "\nDisplay compile progress=No\nLanguage=0x419 Russian\n";
    hhp += "Title=Test\n\n[FILES]\n";
    for (const auto& [name, bytes] : project.files) {
        std::filesystem::create_directories((folder / name).parent_path());
        writeBytes(folder / name, bytes);
        hhp += name + "\n";
    }
    if (!project.map.empty()) {
        hhp += "\n[MAP]\n";
        for (const auto& [context, page] : project.map) {
            hhp += "#define IDH_" + std::to_string(context) + " " + std::to_string(context) + "\n";
        }
        hhp += "\n[ALIAS]\n";
        for (const auto& [context, page] : project.map) {
            hhp += "IDH_" + std::to_string(context) + "=" + page + "\n";
        }
    }
    writeBytes(folder / "help.hhp", hhp);
    const std::string command = "cd '" + folder.string() + "' && chmcmd help.hhp >chmcmd.log 2>&1";
    const int rc = std::system(command.c_str());
    const std::filesystem::path chm = folder / "help.chm";
    if (rc != 0 || !std::filesystem::exists(chm)) {
        log = readBytes(folder / "chmcmd.log");
        return {};
    }
    return chm;
}

}  // namespace mnemora::test
