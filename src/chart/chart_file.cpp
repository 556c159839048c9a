#include "chart/chart_file.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstddef>
#include <optional>

#include "core/cp1251.h"
#include "platform/files.h"
#include "platform/path_text.h"

namespace mnemora {
namespace {

constexpr std::string_view kDateName = "_DateCreate";
constexpr std::string_view kNoteName = "_Primet";
// Cell and panel lines are at most "anel" and four digits.
constexpr std::size_t kLongestCellLine = 8;

// Panels of the window other than cells, by the number after "Panel".
constexpr std::array<int, 18> kOtherPanelNumbers = {53,  54,  79,  80,  105, 106, 131, 132, 157,
                                                    158, 183, 184, 209, 210, 235, 236, 261, 0};

unsigned char asciiLower(unsigned char c) { return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c; }

// An exact decimal number without sign, blanks or leading zeros; nothing otherwise.
std::optional<int> plainDecimal(std::string_view s) {
    if (s.empty() || s.size() > 4 || s[0] == '0') {
        return std::nullopt;
    }
    int value = 0;
    for (char c : s) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

bool isOtherPanelNumber(int n) {
    if (n >= 1 && n <= 29) {
        return true;
    }
    for (int p : kOtherPanelNumbers) {
        if (p != 0 && p == n) {
            return true;
        }
    }
    return false;
}

}  // namespace

int resolveChartLine(std::string_view line) {
    if (auto n = plainDecimal(line)) {
        return TToneChart::isValidCell(*n) ? *n : 0;
    }
    constexpr std::string_view anel = "anel";
    if (line.size() > anel.size()) {
        for (std::size_t i = 0; i < anel.size(); ++i) {
            if (asciiLower(static_cast<unsigned char>(line[i])) != static_cast<unsigned char>(anel[i])) {
                return 0;
            }
        }
        if (auto n = plainDecimal(line.substr(anel.size())); n && isOtherPanelNumber(*n)) {
            return -1;
        }
    }
    return 0;
}

std::string buildChartBytes(std::string_view dateText, std::string_view noteText, const TToneChart& chart) {
    std::string utf8;
    utf8.append(kDateName).append("=").append(dateText).append("\r\n");
    utf8.append(kNoteName).append("=").append(noteText).append("\r\n");
    for (int n = 1; n <= TToneChart::kCellCount; ++n) {
        if (TToneChart::isInputCell(n) && chart.marked(n)) {
            utf8.append(std::to_string(n)).append("\r\n");
        }
    }
    return utf8ToCp1251OrThrow(utf8);
}

bool ChartScanner::feed(std::string_view piece) {
    while (!stopped_ && !piece.empty()) {
        std::size_t end = 0;
        while (end < piece.size() && piece[end] != '\r' && piece[end] != '\n' && piece[end] != '\0') {
            ++end;
        }
        take(piece.substr(0, end));
        if (end == piece.size()) {
            break;
        }
        endLine();
        // The text ends before its first NUL byte. CR LF is read as two line
        // ends: the empty line between them names no panel, so nothing changes.
        if (piece[end] == '\0') {
            stopped_ = true;
        }
        piece.remove_prefix(end + 1);
    }
    return !stopped_;
}

// Adds to the line at hand only what is needed to decide whether it can
// matter: until then at most a name's worth of bytes, which fit the string
// itself, so that lines that do not matter cost no allocation at all.
void ChartScanner::take(std::string_view part) {
    while (!part.empty() && keep_ != Keep::No) {
        if (keep_ == Keep::Yes) {
            line_.append(part);
            return;
        }
        const bool valueLine = (line_.empty() ? part[0] : line_[0]) == '_';
        // One byte more than the longest line of its kind shows that it is longer.
        const std::size_t limit = (valueLine ? kDateName.size() + 1 : kLongestCellLine) + 1;
        const std::size_t n = std::min(part.size(), limit - line_.size());
        line_.append(part.substr(0, n));
        part.remove_prefix(n);
        judgeLine();
    }
}

// Decides as early as possible whether the line can matter, and drops it
// when it cannot.
void ChartScanner::judgeLine() {
    if (keep_ != Keep::Undecided || line_.empty()) {
        return;
    }
    if (line_[0] != '_') {
        if (line_.size() > kLongestCellLine) {
            keep_ = Keep::No;
        }
    } else if (const std::size_t eq = line_.find('='); eq != std::string::npos) {
        const std::string_view name = std::string_view(line_).substr(0, eq);
        const bool wanted = (!date_ && cp1251EqualNoCase(name, kDateName)) ||
                            (!note_ && cp1251EqualNoCase(name, kNoteName));
        keep_ = wanted ? Keep::Yes : Keep::No;
    } else if (line_.size() > kDateName.size()) {
        keep_ = Keep::No;  // a name longer than either wanted one
    }
    if (keep_ == Keep::No) {
        line_.clear();
    }
}

void ChartScanner::endLine() {
    const Keep keep = keep_;
    keep_ = Keep::Undecided;
    // An empty line names no panel, and a dropped line cannot matter.
    if (line_.empty() || keep == Keep::No || stopped_) {
        line_.clear();
        return;
    }
    const std::string_view line = line_;
    if (line[0] == '_') {
        if (const std::size_t eq = line.find('='); eq != std::string_view::npos) {
            const std::string_view name = line.substr(0, eq);
            std::optional<std::string>* value = !date_ && cp1251EqualNoCase(name, kDateName)   ? &date_
                                                : !note_ && cp1251EqualNoCase(name, kNoteName) ? &note_
                                                                                                : nullptr;
            if (value != nullptr) {
                // The value keeps the line's own buffer: a long value is never held twice.
                line_.erase(0, eq + 1);
                *value = std::move(line_);
                line_ = std::string();
                return;
            }
        }
    } else if (const int n = resolveChartLine(line); n < 0) {
        formatError_ = true;
        stopped_ = true;
    } else if (n > 0) {
        toggle_(n);
    }
    line_.clear();
}

ChartTexts ChartScanner::finish() {
    // A last line without a line end is a line all the same.
    if (!stopped_) {
        endLine();
        stopped_ = true;
    }
    ChartTexts texts;
    if (!formatError_) {
        texts.date = cp1251ToUtf8(date_.value_or(""));
        texts.note = cp1251ToUtf8(note_.value_or(""));
    }
    return texts;
}

ParsedChartFile parseChartBytes(std::string_view bytes) {
    ParsedChartFile result;
    ChartScanner scanner([&](int n) { result.toggles.push_back(n); });
    scanner.feed(bytes);
    result.texts = scanner.finish();
    result.formatError = scanner.formatError();
    return result;
}

void WriteChartFile(const std::filesystem::path& path, std::string_view dateText, std::string_view noteText,
                    const TToneChart& chart, const SafeSaveOptions& options) {
    safeWriteFile(path, buildChartBytes(dateText, noteText, chart), options);
}

ChartTexts ReadChartFile(const std::filesystem::path& path, TToneChart& chart) {
    const std::string openFailure = "Cannot open file " + pathToUtf8(path);
    // Only a regular file of a sane size; a FIFO or device is refused without
    // waiting on it. Other writers are kept out while we read.
    OpenedFile file = openRegularFile(path, kChartMaxBytes, Sharing::DenyWriters);
    if (file.status != ReadStatus::Ok) {
        throw FileError(openFailure);
    }
    // The lines go into a copy, so that a read error halfway leaves the chart as it was.
    TToneChart replayed = chart;
    ChartScanner scanner([&](int n) { replayed.ToggleCell(n); });
    std::vector<char> buffer(std::size_t{64} * 1024);
    std::size_t total = 0;
    for (;;) {
        const std::ptrdiff_t got = readSome(file.file.get(), buffer.data(), buffer.size());
        if (got < 0) {
            throw FileError(openFailure);
        }
        // A file that keeps growing is read no further than the cap.
        if (got == 0 || total >= kChartMaxBytes) {
            break;
        }
        total += static_cast<std::size_t>(got);
        if (!scanner.feed(std::string_view(buffer.data(), static_cast<std::size_t>(got)))) {
            break;
        }
    }
    ChartTexts texts = scanner.finish();
    chart = replayed;
    if (scanner.formatError()) {
        throw ChartFormatError();
    }
    return texts;
}

}  // namespace mnemora
