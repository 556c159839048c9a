#include "help/help_locator.h"

#include <algorithm>
#include <cstdlib>
#include <system_error>

#include "platform/path_text.h"
#include "platform/places.h"

namespace mnemora {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kDefaultDataDirs = "/usr/local/share:/usr/share";
constexpr std::string_view kDataSubfolder = "mnemora";

// An unset variable and an empty one both mean "use the default".
std::optional<std::string> nonEmpty(const HelpSearchPlaces& places, const char* name) {
    if (!places.environment) {
        return std::nullopt;
    }
    auto value = places.environment(name);
    if (value && value->empty()) {
        return std::nullopt;
    }
    return value;
}

std::vector<fs::path> dataDirs(const HelpSearchPlaces& places) {
    std::vector<fs::path> dirs;
    if constexpr (!kSearchXdgDataFolders) {
        return dirs;
    }
    if (auto home = nonEmpty(places, "XDG_DATA_HOME")) {
        dirs.emplace_back(*home);
    } else if (auto userHome = nonEmpty(places, "HOME")) {
        dirs.push_back(fs::path(*userHome) / ".local" / "share");
    }
    const std::string list =
        nonEmpty(places, "XDG_DATA_DIRS").value_or(std::string(kDefaultDataDirs));
    std::string_view rest = list;
    while (true) {
        const std::size_t colon = rest.find(':');
        if (!rest.substr(0, colon).empty()) {
            dirs.emplace_back(rest.substr(0, colon));
        }
        if (colon == std::string_view::npos) {
            break;
        }
        rest.remove_prefix(colon + 1);
    }
    std::erase_if(dirs, [](const fs::path& dir) { return dir.is_relative(); });
    return dirs;
}

void addPlace(std::vector<fs::path>& places, const fs::path& place) {
    const fs::path normal = place.lexically_normal();
    if (std::find(places.begin(), places.end(), normal) == places.end()) {
        places.push_back(normal);
    }
}

}  // namespace

HelpSearchPlaces HelpSearchPlaces::forThisProcess() {
    HelpSearchPlaces places;
    std::error_code ec;
    places.executableDir = mnemora::executableDir();
    places.currentDir = fs::current_path(ec);
    places.environment = [](const char* name) -> std::optional<std::string> {
        const char* value = std::getenv(name);
        return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
    };
    return places;
}

std::vector<fs::path> helpFileCandidates(const HelpSearchPlaces& places,
                                         std::string_view fileName) {
    std::vector<fs::path> candidates;
    const fs::path file(fileName);
    if (!places.executableDir.empty()) {
        addPlace(candidates, places.executableDir / file);
        // An install under any prefix keeps the file in <prefix>/share/mnemora,
        // beside <prefix>/bin; it comes before a stray copy in the current folder.
        if (places.executableDir.filename() == "bin") {
            addPlace(candidates, places.executableDir.parent_path() / "share" / kDataSubfolder / file);
        }
    }
    if (!places.currentDir.empty()) {
        addPlace(candidates, places.currentDir / file);
    }
    for (const fs::path& dir : dataDirs(places)) {
        addPlace(candidates, dir / kDataSubfolder / file);
    }
    return candidates;
}

HelpFileSearch findHelpFile(const HelpSearchPlaces& places, std::string_view fileName) {
    HelpFileSearch search;
    for (const fs::path& candidate : helpFileCandidates(places, fileName)) {
        search.searched.push_back(candidate);
        std::error_code ec;
        if (fs::is_regular_file(candidate, ec)) {
            search.found = candidate;
            break;
        }
    }
    return search;
}

std::string helpFileNotFoundText(std::string_view fileName, const std::vector<fs::path>& searched) {
    std::string text = "Не найден файл справки " + std::string(fileName) + ". Искали:";
    for (const fs::path& place : searched) {
        text += "\n" + pathToUtf8(place);
    }
    return text;
}

}  // namespace mnemora
