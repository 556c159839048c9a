// What Open and Save cost for a full chart (20 marks). Each figure stands next
// to a floor measured in the same run: reading, or writing, the same bytes
// once with plain file I/O. The ratios are printed at the end; compare them,
// not the absolute times.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "chart/chart_file.h"
#include "ratio_reporter.h"

namespace {

using namespace mnemora;

const std::filesystem::path& benchDir() {
    static const std::filesystem::path dir = [] {
        auto d = std::filesystem::temp_directory_path() / "mnemora-bench-chart";
        std::filesystem::create_directories(d);
        return d;
    }();
    return dir;
}

// One mark in every input sub-column, spread over the rows.
const TToneChart& fullChart() {
    static const TToneChart chart = [] {
        TToneChart c;
        c.ClearInputCells();
        for (int p = 1; p <= TToneChart::kInputPositions; ++p) {
            c.ToggleCell(TToneChart::cellNumber((p * 5) % TToneChart::kRows, p));
        }
        c.RecalcTone();
        return c;
    }();
    return chart;
}

constexpr const char* kDate = "07.12.2026 09:05";
constexpr const char* kNote = "Заполнено вечером, после долгой прогулки по парку";

const std::string& chartBytes() {
    static const std::string bytes = buildChartBytes(kDate, kNote, fullChart());
    return bytes;
}

const std::string& readPath() {
    static const std::string path = [] {
        const auto p = benchDir() / "read.ton";
        WriteChartFile(p, kDate, kNote, fullChart());
        std::printf("chart file: %zu bytes, %d marks\n", chartBytes().size(), fullChart().markCount() - 6);
        return p.string();
    }();
    return path;
}

void BM_Floor_ReadOnce(benchmark::State& state) {
    const std::string& path = readPath();
    for (auto _ : state) {
        std::ifstream in(path, std::ios::binary | std::ios::ate);
        std::string bytes(static_cast<std::size_t>(in.tellg()), '\0');
        in.seekg(0);
        in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        benchmark::DoNotOptimize(bytes);
    }
}
BENCHMARK(BM_Floor_ReadOnce)->UseRealTime();

// Open as the window does it: reset the chart, replay the file, recompute.
void BM_ReadChartFile(benchmark::State& state) {
    const std::string& path = readPath();
    for (auto _ : state) {
        TToneChart chart;
        chart.ClearInputCells();
        ChartTexts texts = ReadChartFile(path, chart);
        chart.RecalcTone();
        benchmark::DoNotOptimize(texts);
        benchmark::DoNotOptimize(chart);
    }
}
BENCHMARK(BM_ReadChartFile)->UseRealTime();

void BM_Floor_WriteOnce(benchmark::State& state) {
    const auto path = benchDir() / "floor.ton";
    for (auto _ : state) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(chartBytes().data(), static_cast<std::streamsize>(chartBytes().size()));
        out.close();
        benchmark::DoNotOptimize(out);
    }
}
BENCHMARK(BM_Floor_WriteOnce)->UseRealTime();

// The same plain write, made durable: shows how much of a save is the disk.
void BM_Floor_WriteAndSyncOnce(benchmark::State& state) {
    const auto path = benchDir() / "floor-sync.ton";
    for (auto _ : state) {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0 || ::write(fd, chartBytes().data(), chartBytes().size()) !=
                          static_cast<ssize_t>(chartBytes().size())) {
            state.SkipWithError("plain write failed");
        }
        ::fsync(fd);
        ::close(fd);
    }
}
BENCHMARK(BM_Floor_WriteAndSyncOnce)->UseRealTime();

// Save: build the bytes, write them beside the old file, flush, rename.
void BM_WriteChartFile(benchmark::State& state) {
    const auto path = benchDir() / "write.ton";
    for (auto _ : state) {
        WriteChartFile(path, kDate, kNote, fullChart());
    }
}
BENCHMARK(BM_WriteChartFile)->UseRealTime();

// A hostile chart file: 50 MB of empty lines, then one cell. Read in pieces,
// it costs time in step with its size and no memory per line.
const std::string& emptyLinesPath() {
    static const std::string path = [] {
        const auto p = benchDir() / "empty-lines.ton";
        std::string bytes;
        bytes.reserve(50u << 20);
        while (bytes.size() < (50u << 20)) {
            bytes += "\r\n";
        }
        bytes += "5\r\n";
        std::ofstream(p, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return p.string();
    }();
    return path;
}

void BM_Floor_ReadOnce50MB(benchmark::State& state) {
    const std::string& path = emptyLinesPath();
    for (auto _ : state) {
        std::ifstream in(path, std::ios::binary | std::ios::ate);
        std::string bytes(static_cast<std::size_t>(in.tellg()), '\0');
        in.seekg(0);
        in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        benchmark::DoNotOptimize(bytes);
    }
}
BENCHMARK(BM_Floor_ReadOnce50MB)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_ReadChartFile50MBOfEmptyLines(benchmark::State& state) {
    const std::string& path = emptyLinesPath();
    for (auto _ : state) {
        TToneChart chart;
        chart.ClearInputCells();
        ChartTexts texts = ReadChartFile(path, chart);
        benchmark::DoNotOptimize(texts);
    }
}
BENCHMARK(BM_ReadChartFile50MBOfEmptyLines)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    const int rc = mnemora::bench::runWithRatios(
        argc, argv,
        {{"ReadChartFile", "BM_ReadChartFile/real_time", "BM_Floor_ReadOnce/real_time"},
         {"WriteChartFile", "BM_WriteChartFile/real_time", "BM_Floor_WriteOnce/real_time"},
         {"WriteChartFile", "BM_WriteChartFile/real_time", "BM_Floor_WriteAndSyncOnce/real_time"},
         {"Read 50 MB empty lines", "BM_ReadChartFile50MBOfEmptyLines/real_time", "BM_Floor_ReadOnce50MB/real_time"}});
    std::error_code ec;
    std::filesystem::remove_all(benchDir(), ec);
    return rc;
}
