#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/help_hook.h"

namespace mnemora {

// What the search for the help file looks at, so that a test can give its own.
struct HelpSearchPlaces {
    std::filesystem::path executableDir;
    std::filesystem::path currentDir;
    // An environment variable, or nothing when it is not set.
    std::function<std::optional<std::string>(const char*)> environment;

    // This process: the folder of /proc/self/exe, the working folder, getenv.
    static HelpSearchPlaces forThisProcess();
};

// Where the help file may be, in the order tried: beside the program, the
// current folder, then (not on Windows) "<dir>/mnemora/<file>" for $XDG_DATA_HOME (default
// ~/.local/share) and each folder of $XDG_DATA_DIRS (default
// /usr/local/share:/usr/share). Relative XDG entries are ignored, as the
// base-directory rules ask; a place already listed is not listed again.
std::vector<std::filesystem::path> helpFileCandidates(const HelpSearchPlaces& places,
                                                      std::string_view fileName = kHelpFileName);

struct HelpFileSearch {
    std::optional<std::filesystem::path> found;
    std::vector<std::filesystem::path> searched;  // every place looked in, in order
};

// The first candidate that is a regular file (a folder of that name is not).
HelpFileSearch findHelpFile(const HelpSearchPlaces& places,
                            std::string_view fileName = kHelpFileName);

// The message for a help file that is nowhere, naming every place looked in.
std::string helpFileNotFoundText(std::string_view fileName,
                                 const std::vector<std::filesystem::path>& searched);

}  // namespace mnemora
