#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>

#ifdef _WIN32
#include <windows.h>

#include "platform/win32/registry_store.h"
#endif
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

#ifdef _WIN32
// The real registry, under a scratch key of HKEY_CURRENT_USER that is never
// the user's own and is removed with everything in it when the test ends.
class ScratchRegistryStore : public WindowsRegistryStore {
public:
    explicit ScratchRegistryStore(const std::string& root) : WindowsRegistryStore(root), root_(root) {
        removeKeyTree(root_);  // what a crashed run may have left
    }
    ~ScratchRegistryStore() override {
        removeKeyTree(root_);
        // The folders above it go too once no other test run uses them (a key
        // with subkeys is not deleted).
        ::RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Vantero\\MnemoraTests");
        ::RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Vantero");
    }
    ScratchRegistryStore(const ScratchRegistryStore&) = delete;
    ScratchRegistryStore& operator=(const ScratchRegistryStore&) = delete;

private:
    std::string root_;
};

struct RegistryStoreMaker {
    std::unique_ptr<RegistryBackend> make(const TempDir&) {
        static int made = 0;
        return std::make_unique<ScratchRegistryStore>("Software\\Vantero\\MnemoraTests\\" +
                                                      std::to_string(::GetCurrentProcessId()) + "-" +
                                                      std::to_string(++made));
    }
};

using Stores = ::testing::Types<MemoryStoreMaker, FileStoreMaker, RegistryStoreMaker>;
#else
using Stores = ::testing::Types<MemoryStoreMaker, FileStoreMaker>;
#endif

}  // namespace mnemora::test
