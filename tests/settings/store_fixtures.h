#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>

#include "settings/file_store.h"
#include "settings/memory_store.h"
#include "settings/settings.h"
#include "settings_fakes.h"
#include "temp_dir.h"

namespace mnemora::test {

inline constexpr std::string_view kKeyPath = "Software\\Vantero\\Mnemora\\1.01";

inline std::string dword(std::uint32_t n) {
    std::string b;
    for (int i = 0; i < 4; ++i) {
        b.push_back(static_cast<char>((n >> (8 * i)) & 0xFF));
    }
    return b;
}

inline std::string text(std::string_view s) {
    std::string b(s);
    b.push_back('\0');
    return b;
}

// Puts a raw value into a store through its own interface.
inline void seed(RegistryBackend& store, std::string_view name, std::uint32_t type, std::string_view bytes,
                 std::string_view path = kKeyPath) {
    const auto key = store.openKey(path, true);
    if (!key || !store.set(*key, name, type, bytes)) {
        std::abort();
    }
    store.close(*key);
}

inline std::optional<RegValue> stored(RegistryBackend& store, std::string_view name,
                                      std::string_view path = kKeyPath) {
    const auto key = store.openKey(path, false);
    if (!key) {
        return std::nullopt;
    }
    auto value = store.query(*key, name);
    store.close(*key);
    return value;
}

struct MemoryStoreMaker {
    std::unique_ptr<RegistryBackend> make(const TempDir&) { return std::make_unique<MemoryRegistryStore>(); }
};

struct FileStoreMaker {
    std::unique_ptr<RegistryBackend> make(const TempDir& dir) {
        return std::make_unique<FileRegistryStore>(dir / "config" / "Vantero" / "Mnemora.reg");
    }
};

// One fresh store of each kind per test, so that the typed suites run the
// same cases over every back end.
template <typename Maker>
class StoreTest : public ::testing::Test {
protected:
    StoreTest() : store(Maker().make(dir)) {}
    TempDir dir;
    std::unique_ptr<RegistryBackend> store;
};

using Stores = ::testing::Types<MemoryStoreMaker, FileStoreMaker>;

}  // namespace mnemora::test
