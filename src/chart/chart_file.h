#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "chart/tone_chart.h"
#include "core/error.h"
#include "platform/safe_save.h"

namespace mnemora {

// A chart file line names a panel of the window that is not a cell.
class ChartFormatError : public Error {
public:
    ChartFormatError() : Error("Ошибка. Файл неизвестного формата.") {}
    [[nodiscard]] const char* kind() const noexcept override { return "EChartFormat"; }
};

struct ChartTexts {
    std::string date;  // UTF-8
    std::string note;  // UTF-8
};

// What a chart file's bytes say, before anything is applied to a chart.
struct ParsedChartFile {
    std::vector<int> toggles;   // cell numbers in file order, up to the failing line
    bool formatError = false;   // a line named a non-cell panel; the texts are then not taken
    ChartTexts texts;
};

// A chart file larger than this cannot be opened. A file we write holds at
// most 216 cell lines and a note of at most 32,767 characters (all the note
// field takes), about 34 KB; 64 MiB is far beyond any chart and keeps the time
// to read one well under a second.
inline constexpr std::size_t kChartMaxBytes = std::size_t{64} << 20;

// Reads a chart file's bytes as they come, in pieces of any size, keeping no
// more than the line at hand, and that only while it may still be a cell line
// (a few bytes) or a wanted value line: memory does not grow with the number
// of lines, empty or not.
class ChartScanner {
public:
    explicit ChartScanner(std::function<void(int cell)> toggle) : toggle_(std::move(toggle)) {}

    // The next piece of the file; false once the rest does not matter (a NUL
    // byte ended the text, or a line named a panel that is not a cell).
    bool feed(std::string_view piece);
    // The file has ended; toggles have gone to the callback in file order.
    [[nodiscard]] bool formatError() const { return formatError_; }
    ChartTexts finish();

private:
    enum class Keep { Undecided, Yes, No };
    void take(std::string_view part);
    void endLine();
    void judgeLine();

    std::function<void(int)> toggle_;
    std::string line_;
    Keep keep_ = Keep::Undecided;
    bool stopped_ = false;
    bool formatError_ = false;
    std::optional<std::string> date_;  // cp1251, as in the file
    std::optional<std::string> note_;
};

// The bytes of a chart file: cp1251, CR LF after every line. Throws
// EncodingError when the date or note holds a character cp1251 lacks.
std::string buildChartBytes(std::string_view dateText, std::string_view noteText, const TToneChart& chart);

// Pure: never throws on any input.
ParsedChartFile parseChartBytes(std::string_view bytes);

// Resolves a cell line the way the window resolves "p" + line among its panel
// names: a cell number 1..234, 0 for a line that names no panel, -1 for a line
// that names a panel that is not a cell.
int resolveChartLine(std::string_view line);

void WriteChartFile(const std::filesystem::path& path, std::string_view dateText, std::string_view noteText,
                    const TToneChart& chart, const SafeSaveOptions& options = {});

// Replays the file's cell lines into `chart` (which the caller has reset) and
// returns its date and note. FileError "Cannot open file <path>" when it
// cannot be read (missing, no access, a folder, FIFO or device, larger than
// kChartMaxBytes, a read error), with the chart left as it was;
// ChartFormatError after applying the lines before the bad one.
ChartTexts ReadChartFile(const std::filesystem::path& path, TToneChart& chart);

}  // namespace mnemora
