// Chart files come from anywhere the user picks: any bytes must parse without
// harm, and a chart that opens must look the same after it is saved and
// opened again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "chart/chart_file.h"

namespace {

using mnemora::ParsedChartFile;
using mnemora::TToneChart;

// The chart as the window shows it once the file is open.
TToneChart opened(const ParsedChartFile& parsed) {
    TToneChart chart;
    chart.ClearInputCells();
    for (int n : parsed.toggles) {
        chart.ToggleCell(n);
    }
    chart.RecalcTone();
    return chart;
}

// Result sub-columns may keep a shade a result-cell line gave them; saving
// drops such lines, so only marks and input shades must survive.
bool sameChart(const TToneChart& a, const TToneChart& b) {
    for (int n = 1; n <= TToneChart::kCellCount; ++n) {
        if (a.marked(n) != b.marked(n)) {
            return false;
        }
        if (TToneChart::isInputCell(n) && a.shade(n) != b.shade(n)) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const ParsedChartFile parsed = mnemora::parseChartBytes(bytes);
    if (parsed.formatError) {
        return 0;  // the window refuses the file; nothing of it is saved back
    }
    const TToneChart chart = opened(parsed);
    const std::string saved = mnemora::buildChartBytes(parsed.texts.date, parsed.texts.note, chart);
    const ParsedChartFile again = mnemora::parseChartBytes(saved);
    if (again.formatError || again.texts.date != parsed.texts.date || again.texts.note != parsed.texts.note ||
        !sameChart(opened(again), chart)) {
        std::abort();  // saving would change what the user opened
    }
    if (mnemora::buildChartBytes(again.texts.date, again.texts.note, opened(again)) != saved) {
        std::abort();  // a second save must write the same bytes
    }
    return 0;
}
