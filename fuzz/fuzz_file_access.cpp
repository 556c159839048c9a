// The store and chart files are read from disk, and may be large: the first
// input byte repeats the rest up to 2^13 times (at most 16 MiB in all), so
// that inputs cross the store's 8 MiB bound and the chart reader's pieces.
// Through real files: a store that cannot be read is moved aside byte for
// byte and saving works again; a chart read in pieces gives what the whole
// bytes give.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

#include "chart/chart_file.h"
#include "core/error.h"
#include "platform/files.h"
#include "settings/file_store.h"
#include "settings/settings.h"
#include "settings_fakes.h"

namespace {

using namespace mnemora;

constexpr std::size_t kMaxTotal = std::size_t{16} << 20;

// A folder of its own for each input, removed afterwards.
std::filesystem::path makeWorkDir() {
    static const std::filesystem::path base = std::filesystem::exists("/dev/shm") ? "/dev/shm" : "/tmp";
    std::string tmpl = (base / "mnemora-fuzz-XXXXXX").string();
    if (::mkdtemp(tmpl.data()) == nullptr) {
        std::abort();
    }
    return tmpl;
}

void writeFile(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        std::abort();
    }
}

std::string readFile(const std::filesystem::path& path) {
    const FileBytes got = readRegularFile(path, kMaxTotal + 1);
    if (got.status != ReadStatus::Ok) {
        std::abort();
    }
    return got.bytes;
}

void checkStore(const std::filesystem::path& dir, const std::string& bytes) {
    const std::filesystem::path file = dir / "Mnemora.reg";
    writeFile(file, bytes);
    FileRegistryStore store(file);
    std::optional<DamagedStore> damaged;
    store.onDamaged = [&](const DamagedStore& d) {
        if (damaged) {
            std::abort();  // told more than once
        }
        damaged = d;
    };
    TParamValues values;
    test::RecordingTarget target;
    bool loaded = true;
    try {
        LoadSettings(values, store, test::FixedEnvironment(), target);
    } catch (const RegistryError&) {
        loaded = false;  // a value of the wrong type: the fatal box, as before
    }
    const bool parses = bytes.size() <= kStoreMaxBytes && parseStoreFile(bytes).has_value();
    if (parses == damaged.has_value()) {
        std::abort();
    }
    if (damaged) {
        if (!damaged->keptAs || readFile(*damaged->keptAs) != bytes) {
            std::abort();  // the user's bytes must be kept exactly
        }
        std::filesystem::remove(*damaged->keptAs);
    }
    if (!loaded) {
        return;
    }
    values.DataFile = "/saved";
    SaveSettings(values, store);  // throws only if the file cannot be written
    TParamValues again;
    LoadSettings(again, store, test::FixedEnvironment(), target);
    // The height may settle on one that a point size gives (fuzz_settings_load
    // checks that); everything else comes back as it was.
    again.Font.Height = values.Font.Height;
    if (!(again == values)) {
        std::abort();
    }
}

void checkChart(const std::filesystem::path& dir, const std::string& bytes) {
    const std::filesystem::path file = dir / "chart.ton";
    writeFile(file, bytes);
    TToneChart read;
    read.ClearInputCells();
    std::optional<ChartTexts> texts;
    bool formatError = false;
    try {
        texts = ReadChartFile(file, read);
    } catch (const ChartFormatError&) {
        formatError = true;
    } catch (const FileError&) {
        if (bytes.size() <= kChartMaxBytes) {
            std::abort();
        }
        return;
    }
    const ParsedChartFile whole = parseChartBytes(bytes);
    TToneChart replayed;
    replayed.ClearInputCells();
    for (int n : whole.toggles) {
        replayed.ToggleCell(n);
    }
    if (formatError != whole.formatError) {
        std::abort();
    }
    if (texts && (texts->date != whole.texts.date || texts->note != whole.texts.note)) {
        std::abort();
    }
    for (int n = 1; n <= TToneChart::kCellCount; ++n) {
        if (read.marked(n) != replayed.marked(n) || read.shade(n) != replayed.shade(n)) {
            std::abort();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::string_view body(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::size_t times = std::size_t{1} << (data[0] % 14);
    std::string bytes;
    for (std::size_t i = 0; i < times && bytes.size() + body.size() <= kMaxTotal; ++i) {
        bytes.append(body);
    }
    const std::filesystem::path dir = makeWorkDir();
    checkStore(dir, bytes);
    checkChart(dir, bytes);
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    return 0;
}
