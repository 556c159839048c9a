// What loading and saving the settings cost when the store file holds many
// values, or many keys, beside the eleven of the settings: 10,000 and
// 100,000 side by side. Each figure stands next to a floor measured in the
// same run: reading (or writing and flushing) the same bytes once.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/file_read.h"
#include "ratio_reporter.h"
#include "settings/file_store.h"
#include "settings/settings.h"
#include "settings_fakes.h"

namespace {

using namespace mnemora;

const std::filesystem::path& benchDir() {
    static const std::filesystem::path dir = [] {
        auto d = std::filesystem::temp_directory_path() / "mnemora-bench-store";
        std::filesystem::create_directories(d);
        return d;
    }();
    return dir;
}

constexpr const char* kSettingsSection = "[HKEY_CURRENT_USER\\Software\\Vantero\\Mnemora\\1.01]\n";

std::string elevenValues() {
    return "\"DataFile\"=\"/home/anna/Mnemora.ini\"\n\"ReportDir\"=\"/home/anna/Reports\"\n"
           "\"Font_Charset\"=dword:000000cc\n\"Font_Color\"=dword:0000ffff\n\"Font_Height\"=dword:ffffffec\n"
           "\"Font_Name\"=\"Arial\"\n\"Font_Size\"=dword:0000000f\n\"Font_Style\"=\"B\"\n"
           "\"Color\"=dword:00000000\n\"Start\"=dword:00000001\n\"Click\"=dword:00000000\n";
}

char hex(int n) { return "0123456789abcdef"[n & 15]; }

// n values of the user's own beside the eleven, all in the settings key.
std::string storeWithValues(int n) {
    std::string text = "Windows Registry Editor Version 5.00\n\n";
    text += kSettingsSection;
    for (int i = 0; i < n; ++i) {
        text += "\"Value" + std::to_string(i) + "\"=dword:0000";
        for (int shift = 12; shift >= 0; shift -= 4) {
            text += hex(i >> shift);
        }
        text += "\n";
    }
    return text + elevenValues();
}

// n other keys of one value each, then the settings key.
std::string storeWithKeys(int n) {
    std::string text = "Windows Registry Editor Version 5.00\n\n";
    for (int i = 0; i < n; ++i) {
        text += "[HKEY_CURRENT_USER\\Software\\Other\\Key" + std::to_string(i) + "]\n\"V\"=\"x\"\n\n";
    }
    return text + kSettingsSection + elevenValues();
}

std::filesystem::path fileFor(const char* kind, int n) {
    const auto path = benchDir() / (std::string(kind) + "-" + std::to_string(n) + ".reg");
    if (!std::filesystem::exists(path)) {
        const std::string bytes = std::string(kind) == "values" ? storeWithValues(n) : storeWithKeys(n);
        safeWriteFile(path, bytes);
        std::printf("%s store of %d: %zu bytes\n", kind, n, bytes.size());
    }
    return path;
}

void floorRead(benchmark::State& state, const char* kind) {
    const auto path = fileFor(kind, static_cast<int>(state.range(0)));
    for (auto _ : state) {
        FileBytes bytes = readRegularFile(path, kStoreMaxBytes);
        benchmark::DoNotOptimize(bytes);
    }
}

void load(benchmark::State& state, const char* kind) {
    const auto path = fileFor(kind, static_cast<int>(state.range(0)));
    for (auto _ : state) {
        FileRegistryStore store(path);
        TParamValues values;
        test::RecordingTarget target;
        LoadSettings(values, store, test::FixedEnvironment(), target);
        benchmark::DoNotOptimize(values);
    }
}

void BM_Floor_ReadValues(benchmark::State& state) { floorRead(state, "values"); }
void BM_Floor_ReadKeys(benchmark::State& state) { floorRead(state, "keys"); }
void BM_LoadSettings_Values(benchmark::State& state) { load(state, "values"); }
void BM_LoadSettings_Keys(benchmark::State& state) { load(state, "keys"); }
BENCHMARK(BM_Floor_ReadValues)->Arg(10000)->Arg(100000)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadSettings_Values)->Arg(10000)->Arg(100000)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Floor_ReadKeys)->Arg(10000)->Arg(100000)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadSettings_Keys)->Arg(10000)->Arg(100000)->UseRealTime()->Unit(benchmark::kMillisecond);

// The same bytes written to a new file and flushed: the least a durable save costs.
void BM_Floor_WriteAndSync(benchmark::State& state) {
    const std::string bytes = storeWithValues(static_cast<int>(state.range(0)));
    const auto path = benchDir() / "floor.reg";
    for (auto _ : state) {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
            state.SkipWithError("plain write failed");
        }
        ::fsync(fd);
        ::close(fd);
    }
}
BENCHMARK(BM_Floor_WriteAndSync)->Arg(10000)->Arg(100000)->UseRealTime()->Unit(benchmark::kMillisecond);

// SaveSettings over a store of that many values: read, one replacement.
void BM_SaveSettings_Values(benchmark::State& state) {
    const auto source = fileFor("values", static_cast<int>(state.range(0)));
    const auto path = benchDir() / "save.reg";
    std::filesystem::copy_file(source, path, std::filesystem::copy_options::overwrite_existing);
    FileRegistryStore store(path);
    TParamValues values;
    for (auto _ : state) {
        values.Click = values.Click == 0 ? 1 : 0;
        SaveSettings(values, store);
    }
}
BENCHMARK(BM_SaveSettings_Values)->Arg(10000)->Arg(100000)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    std::vector<bench::Ratio> ratios;
    for (const char* n : {"10000", "100000"}) {
        const std::string s = n;
        ratios.push_back({"Load, " + s + " values", "BM_LoadSettings_Values/" + s + "/real_time",
                          "BM_Floor_ReadValues/" + s + "/real_time"});
        ratios.push_back({"Load, " + s + " keys", "BM_LoadSettings_Keys/" + s + "/real_time",
                          "BM_Floor_ReadKeys/" + s + "/real_time"});
        ratios.push_back({"Save, " + s + " values", "BM_SaveSettings_Values/" + s + "/real_time",
                          "BM_Floor_WriteAndSync/" + s + "/real_time"});
    }
    const int rc = bench::runWithRatios(argc, argv, std::move(ratios));
    std::error_code ec;
    std::filesystem::remove_all(benchDir(), ec);
    return rc;
}
