#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/safe_save.h"
#include "settings/registry.h"

namespace mnemora {

// The contents of a store file in the registry-export layout.
using StoreFileValue = NamedValue;

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
// Time and memory grow in step with the text.
std::optional<StoreFile> parseStoreFile(std::string_view text);
std::string serializeStoreFile(const StoreFile& file);

inline constexpr std::string_view kStoreRootKey = "HKEY_CURRENT_USER";

// One reading of a store file, checked whole as parseStoreFile checks it but
// decoded only where asked: each value stays where it stands in the text,
// with a hash of its name, so that loading a few values from a store of
// very many costs one pass over it and no copy of every value.
class StoreIndex {
public:
    StoreIndex() = default;  // the empty store (no file)
    // Nothing when the text is not a store file.
    static std::optional<StoreIndex> parse(std::string text);

    // The key's sections in file order; none when the store has no such key.
    [[nodiscard]] std::vector<std::uint32_t> sectionsOf(std::string_view path) const;
    // A value of the key made of those sections: the last one of the name.
    [[nodiscard]] std::optional<RegValue> query(const std::vector<std::uint32_t>& sections, std::string_view name) const;
    // Everything, decoded, as parseStoreFile gives it.
    [[nodiscard]] StoreFile decode() const;

private:
    struct Section {
        std::uint32_t path = 0, pathSize = 0;  // in the text
        std::uint32_t firstValue = 0, endValue = 0;
    };
    struct ValueLine {
        std::uint32_t name = 0, nameSize = 0;  // between the quotes, escapes and all
        std::uint32_t data = 0, dataSize = 0;
    };
    std::shared_ptr<const std::string> text_;
    std::vector<Section> sections_;
    std::vector<ValueLine> values_;
    std::vector<std::uint32_t> hashes_;  // of each value's name, case folded
};

// A store file larger than this is taken as damaged. The eleven values of a
// real store take well under 20 KB even with two paths of the longest kind
// (4 KB each); 8 MiB leaves room for anything a user adds by hand while the
// parsed store stays within about a hundred megabytes.
inline constexpr std::size_t kStoreMaxBytes = std::size_t{8} << 20;

// A store file that could not be read as one: its bytes were moved to
// keptAs, or, when they could not be moved, left where they are.
struct DamagedStore {
    std::filesystem::path file;
    std::optional<std::filesystem::path> keptAs;
};

// The plain message that tells the user about it.
std::string damagedStoreMessage(const DamagedStore& damaged);

// The per-user store kept in one text file. Every write replaces the whole
// file safely (setValues writes many values with one replacement).
//
// Only a regular file is read: a folder, FIFO or device in its place, or a
// file that cannot be read, counts as a key that cannot be opened, and is
// never overwritten. A file that is read but is no store file (or is larger
// than kStoreMaxBytes) is moved aside byte for byte as
// "<name>.damaged-YYYYMMDD-HHMMSS" and reported through onDamaged; the store
// then starts empty and saves work again.
class FileRegistryStore : public RegistryBackend {
public:
    explicit FileRegistryStore(std::filesystem::path file, SafeSaveOptions saveOptions = {})
        : file_(std::move(file)), saveOptions_(std::move(saveOptions)) {}

    // $XDG_CONFIG_HOME/Vantero/Mnemora.reg, else ~/.config/Vantero/Mnemora.reg.
    static std::filesystem::path defaultPath();

    std::optional<KeyHandle> openKey(std::string_view path, bool canCreate) override;
    std::optional<RegValue> query(KeyHandle key, std::string_view name) override;
    bool set(KeyHandle key, std::string_view name, std::uint32_t rawType, std::string_view bytes) override;
    std::optional<std::size_t> setValues(KeyHandle key, const std::vector<NamedValue>& values) override;
    void close(KeyHandle key) override;

    [[nodiscard]] const std::filesystem::path& file() const { return file_; }

    // Told each time a damaged file is found, before the key opens.
    std::function<void(const DamagedStore&)> onDamaged;
    // The moment that names a moved-aside file; tests fix it.
    std::function<std::time_t()> clock = [] { return std::time(nullptr); };

private:
    std::optional<StoreIndex> readContents();
    // The store decoded for a change, from what was read, once.
    StoreFile& editable();
    std::optional<std::filesystem::path> setAside();
    bool save(const StoreFile& contents);

    std::filesystem::path file_;
    SafeSaveOptions saveOptions_;
    // What was read when the first key opened, and, from the first change
    // on, the store as changed.
    std::optional<StoreIndex> index_;
    std::optional<StoreFile> contents_;
    // A key made by openKey that is not in the file yet: the next write
    // takes it along, or the last close writes it.
    bool keyNotSaved_ = false;
    struct OpenKey {
        std::string path;
        std::vector<std::uint32_t> sections;  // in index_
    };
    std::map<KeyHandle, OpenKey> handles_;
    KeyHandle nextHandle_ = 1;
};

}  // namespace mnemora
