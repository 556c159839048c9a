#include "chart/chart_file.h"

#include <array>
#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <sys/file.h>
#include <unistd.h>

#include "core/cp1251.h"

namespace mnemora {
namespace {

constexpr std::string_view kDateName = "_DateCreate";
constexpr std::string_view kNoteName = "_Primet";

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

std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(text.substr(start, i - start));
            i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < text.size()) {
        lines.push_back(text.substr(start));
    }
    return lines;
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

ParsedChartFile parseChartBytes(std::string_view bytes) {
    if (const auto nul = bytes.find('\0'); nul != std::string_view::npos) {
        bytes = bytes.substr(0, nul);
    }
    const std::vector<std::string_view> lines = splitLines(bytes);

    ParsedChartFile result;
    for (std::string_view line : lines) {
        if (!line.empty() && line[0] == '_') {
            continue;
        }
        const int n = resolveChartLine(line);
        if (n < 0) {
            result.formatError = true;
            return result;
        }
        if (n > 0) {
            result.toggles.push_back(n);
        }
    }

    bool haveDate = false;
    bool haveNote = false;
    for (std::string_view line : lines) {
        const auto eq = line.find('=');
        if (eq == std::string_view::npos) {
            continue;
        }
        const std::string_view name = line.substr(0, eq);
        const std::string_view value = line.substr(eq + 1);
        if (!haveDate && cp1251EqualNoCase(name, kDateName)) {
            result.texts.date = cp1251ToUtf8(value);
            haveDate = true;
        } else if (!haveNote && cp1251EqualNoCase(name, kNoteName)) {
            result.texts.note = cp1251ToUtf8(value);
            haveNote = true;
        }
    }
    return result;
}

void WriteChartFile(const std::filesystem::path& path, std::string_view dateText, std::string_view noteText,
                    const TToneChart& chart, const SafeSaveOptions& options) {
    safeWriteFile(path, buildChartBytes(dateText, noteText, chart), options);
}

ChartTexts ReadChartFile(const std::filesystem::path& path, TToneChart& chart) {
    const std::string openFailure = "Cannot open file " + path.string();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        throw FileError(openFailure);
    }
    // Other writers are kept out while we read, as far as advisory locks reach.
    if (::flock(fd, LOCK_SH | LOCK_NB) != 0) {
        ::close(fd);
        throw FileError(openFailure);
    }
    std::string bytes;
    std::array<char, 8192> buffer{};
    for (;;) {
        const ssize_t got = ::read(fd, buffer.data(), buffer.size());
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            ::close(fd);
            throw FileError(openFailure);  // e.g. a folder opened as a file
        }
        if (got == 0) {
            break;
        }
        bytes.append(buffer.data(), static_cast<std::size_t>(got));
    }
    ::close(fd);

    ParsedChartFile parsed = parseChartBytes(bytes);
    for (int n : parsed.toggles) {
        chart.ToggleCell(n);
    }
    if (parsed.formatError) {
        throw ChartFormatError();
    }
    return std::move(parsed.texts);
}

}  // namespace mnemora
