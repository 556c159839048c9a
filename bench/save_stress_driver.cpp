// The saving side of bench/save_stress.sh, which kills it at random moments.
//
//   save_stress_driver store|chart <path> <first generation> [count]
//       saves generation after generation (count of them, or until killed),
//       printing each generation once its save has returned
//   save_stress_driver check-store|check-chart <path>
//       prints the one generation the file holds, "missing", or "partial"
//       (a file that is not one whole generation)
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "chart/chart_file.h"
#include "core/file_read.h"
#include "settings/file_store.h"
#include "settings/settings.h"
#include "settings_fakes.h"

namespace {

using namespace mnemora;

// Big enough that a kill often lands inside a write.
const std::string& padding() {
    static const std::string pad(32 * 1024, 'p');
    return pad;
}

TParamValues storeGeneration(int g) {
    TParamValues v;
    v.DataFile = "/gen/" + std::to_string(g) + "/" + padding();
    v.ReportDir = "/gen/" + std::to_string(g);
    v.Font.Color = static_cast<TColor>(g);
    v.Font.Charset = static_cast<std::uint8_t>(g % 256);
    v.Font.SetName("F" + std::to_string(g));
    v.Color = static_cast<TColor>(g * 7);
    v.Start = g % 2 == 0;
    v.Click = g % 3 - 1;
    return v;
}

int chartCell(int g, int k) { return TToneChart::cellNumber((g + k) % TToneChart::kRows, k + 1); }

TToneChart chartGeneration(int g) {
    TToneChart chart;
    chart.ClearInputCells();
    for (int k = 0; k < 20; ++k) {
        chart.ToggleCell(chartCell(g, k));
    }
    return chart;
}

std::string checkStore(const std::filesystem::path& path) {
    const FileBytes bytes = readRegularFile(path, kStoreMaxBytes);
    if (bytes.status == ReadStatus::Missing) {
        return "missing";
    }
    if (bytes.status != ReadStatus::Ok || !parseStoreFile(bytes.bytes)) {
        return "partial";
    }
    FileRegistryStore store(path);
    TParamValues v;
    test::RecordingTarget target;
    try {
        LoadSettings(v, store, test::FixedEnvironment(), target);
    } catch (...) {
        return "partial";
    }
    const std::string prefix = "/gen/";
    if (!v.ReportDir.starts_with(prefix)) {
        return "partial";
    }
    const int g = std::atoi(v.ReportDir.c_str() + prefix.size());
    TParamValues expected = storeGeneration(g);
    expected.Font.Height = v.Font.Height;
    return v == expected ? std::to_string(g) : "partial";
}

std::string checkChart(const std::filesystem::path& path) {
    if (!std::filesystem::exists(path)) {
        return "missing";
    }
    TToneChart chart;
    chart.ClearInputCells();
    try {
        const ChartTexts texts = ReadChartFile(path, chart);
        const int g = std::atoi(texts.date.c_str());
        if (texts.date != std::to_string(g) || texts.note != padding()) {
            return "partial";
        }
        const TToneChart expected = chartGeneration(g);
        for (int n = 1; n <= TToneChart::kCellCount; ++n) {
            if (TToneChart::isInputCell(n) && chart.marked(n) != expected.marked(n)) {
                return "partial";
            }
        }
        return std::to_string(g);
    } catch (...) {
        return "partial";
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: save_stress_driver store|chart|check-store|check-chart <path> [first] [count]\n");
        return 2;
    }
    const std::string mode = argv[1];
    const std::filesystem::path path = argv[2];
    if (mode == "check-store" || mode == "check-chart") {
        std::printf("%s\n", (mode == "check-store" ? checkStore(path) : checkChart(path)).c_str());
        return 0;
    }
    const int first = argc > 3 ? std::atoi(argv[3]) : 0;
    const long count = argc > 4 ? std::atol(argv[4]) : -1;
    FileRegistryStore store(path);
    for (long i = 0; count < 0 || i < count; ++i) {
        const int g = first + static_cast<int>(i);
        if (mode == "store") {
            SaveSettings(storeGeneration(g), store);
        } else {
            WriteChartFile(path, std::to_string(g), padding(), chartGeneration(g));
        }
        std::printf("%d\n", g);
        std::fflush(stdout);
    }
    return 0;
}
