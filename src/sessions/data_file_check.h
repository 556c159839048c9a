#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sessions/ini_file.h"

namespace mnemora {

// What a data file's author should know: every place where Mnemora reads
// something other than what was written, found with the program's own reader.
enum class FindingLevel {
    Info,     // how the file is read: its encoding, how many perceptions and questions
    Warning,  // text that Mnemora never shows, or shows otherwise than written
    Error,    // the file cannot be used at all
};

struct Finding {
    FindingLevel level = FindingLevel::Info;
    std::size_t line = 0;  // counted from 1; 0 for the file as a whole
    std::string text;      // Russian, UTF-8
};

// A file of millions of faulty lines gets this many findings shown, the
// first by line; all are counted.
inline constexpr std::size_t kMaxShownFindings = 10000;

struct DataFileReport {
    std::vector<Finding> findings;  // those of the whole file first, then by line
    std::array<std::uint64_t, 3> levelCounts{};  // all findings, by FindingLevel
    std::uint64_t findingsLeftOut = 0;           // beyond kMaxShownFindings
    // What a session will read: perceptions, and questions of lists 1 to 30.
    std::uint64_t perceptions = 0;
    std::array<std::uint64_t, 31> questions{};  // by list number; [0] unused

    [[nodiscard]] std::size_t count(FindingLevel level) const;
    // 0: nothing would surprise the author; 1: warnings; 2: the file cannot be
    // used (missing, unreadable, or with fewer than two perceptions).
    [[nodiscard]] int exitStatus() const;
};

DataFileReport checkDataFile(const std::string& path);
DataFileReport checkDataFile(const IniSnapshot& file);

// "FILE:LINE: предупреждение: …", the form editors and terminals link to a line.
std::string formatFinding(std::string_view fileName, const Finding& finding);
// The closing line: how many errors and warnings there were.
std::string formatSummary(const DataFileReport& report);

}  // namespace mnemora
