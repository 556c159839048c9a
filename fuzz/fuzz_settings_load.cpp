// A store the user edited by hand may hold any value under any name. Loading
// the settings over it gives the record or one of the two typed-value
// failures, never anything else, and what loads survives a save unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/error.h"
#include "settings/file_store.h"
#include "settings/memory_store.h"
#include "settings/settings.h"
#include "settings_fakes.h"

namespace {

using namespace mnemora;

constexpr std::string_view kKey = "Software\\Vantero\\Mnemora\\1.01";
constexpr std::string_view kNames[] = {"DataFile", "ReportDir", "Font_Charset", "Font_Color", "Font_Height", "Font_Name",
                                       "Font_Size", "Font_Style", "Color",      "Start",      "Click"};

bool expectedFailure(std::string_view text) {
    for (std::string_view name : kNames) {
        for (std::string_view kind : {"Invalid data type for '", "Failed to get data for '"}) {
            if (text == std::string(kind) + std::string(name) + "'") {
                return true;
            }
        }
    }
    return false;
}

// Loads into a record that holds what a fresh run holds; false when loading failed.
bool load(RegistryBackend& store, TParamValues& values) {
    test::RecordingTarget target;
    try {
        LoadSettings(values, store, test::FixedEnvironment(), target);
    } catch (const RegistryError& e) {
        if (!expectedFailure(e.what()) || target.applied != 0) {
            std::abort();
        }
        return false;
    }
    if (target.applied != 1 || values.Click < -1 || values.Click > 1) {
        std::abort();
    }
    return true;
}

TParamValues saveAndLoad(const TParamValues& values) {
    MemoryRegistryStore store;
    SaveSettings(values, store);
    if (store.valueNames(kKey).size() != std::size(kNames)) {
        std::abort();
    }
    TParamValues loaded;
    if (!load(store, loaded)) {
        std::abort();  // what we wrote must load
    }
    return loaded;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto parsed = parseStoreFile(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!parsed) {
        return 0;
    }
    // Every key's values go under the settings key, in file order, so that
    // any parsed store reaches the loading code.
    MemoryRegistryStore store;
    for (const StoreFileKey& key : parsed->keys) {
        for (const StoreFileValue& v : key.values) {
            store.put(kKey, v.name, v.value.rawType, v.value.bytes);
        }
    }
    TParamValues values;
    if (!load(store, values)) {
        return 0;
    }
    // One save may settle a height that no point size gives; from then on
    // saving and loading change nothing.
    const TParamValues once = saveAndLoad(values);
    if (!(saveAndLoad(once) == once)) {
        std::abort();
    }
    if (once.DataFile != values.DataFile || once.ReportDir != values.ReportDir || once.Color != values.Color ||
        once.Start != values.Start || once.Click != values.Click || once.Font.Name != values.Font.Name ||
        once.Font.Style != values.Font.Style || once.Font.Color != values.Font.Color ||
        once.Font.Charset != values.Font.Charset) {
        std::abort();
    }
    return 0;
}
