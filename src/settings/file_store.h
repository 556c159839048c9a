#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/registry.h"

namespace mnemora {

// The contents of a store file in the registry-export layout.
struct StoreFileValue {
    std::string name;
    RegValue value;
    friend bool operator==(const StoreFileValue&, const StoreFileValue&) = default;
};

struct StoreFileKey {
    std::string path;  // as in the brackets, e.g. "HKEY_CURRENT_USER\Software\..."
    std::vector<StoreFileValue> values;
    friend bool operator==(const StoreFileKey&, const StoreFileKey&) = default;
};

struct StoreFile {
    std::vector<StoreFileKey> keys;
    friend bool operator==(const StoreFile&, const StoreFile&) = default;
};

// nullopt when the text is not a store file. Keys named twice are merged and a
// value named twice keeps the last data (names compare without ASCII case).
std::optional<StoreFile> parseStoreFile(std::string_view text);
std::string serializeStoreFile(const StoreFile& file);

inline constexpr std::string_view kStoreRootKey = "HKEY_CURRENT_USER";

// The per-user store kept in one text file. Every write rewrites the whole
// file safely; a file that cannot be read or parsed is never opened, so it is
// never overwritten either.
class FileRegistryStore : public RegistryBackend {
public:
    explicit FileRegistryStore(std::filesystem::path file) : file_(std::move(file)) {}

    // $XDG_CONFIG_HOME/Vantero/Mnemora.reg, else ~/.config/Vantero/Mnemora.reg.
    static std::filesystem::path defaultPath();

    std::optional<KeyHandle> openKey(std::string_view path, bool canCreate) override;
    std::optional<RegValue> query(KeyHandle key, std::string_view name) override;
    bool set(KeyHandle key, std::string_view name, std::uint32_t rawType, std::string_view bytes) override;
    void close(KeyHandle key) override;

    const std::filesystem::path& file() const { return file_; }

private:
    bool save(const StoreFile& contents);

    std::filesystem::path file_;
    std::optional<StoreFile> contents_;
    std::map<KeyHandle, std::string> handles_;
    KeyHandle nextHandle_ = 1;
};

}  // namespace mnemora
