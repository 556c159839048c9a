#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "chart/tone_chart.h"
#include "core/error.h"
#include "core/safe_save.h"

namespace mnemora {

// A chart file line names a panel of the window that is not a cell.
class ChartFormatError : public Error {
public:
    ChartFormatError() : Error("Ошибка. Файл неизвестного формата.") {}
    const char* kind() const noexcept override { return "EChartFormat"; }
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
// cannot be read; ChartFormatError after applying the lines before the bad one.
ChartTexts ReadChartFile(const std::filesystem::path& path, TToneChart& chart);

}  // namespace mnemora
