#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mnemora {

inline constexpr std::uint32_t kRegString = 1;
inline constexpr std::uint32_t kRegExpandString = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;

enum class ValueType { String, ExpandString, Binary, DWord };

// Everything that is neither text nor a number counts as binary.
constexpr ValueType valueTypeOf(std::uint32_t raw) {
    switch (raw) {
        case kRegString: return ValueType::String;
        case kRegExpandString: return ValueType::ExpandString;
        case kRegDword: return ValueType::DWord;
        default: return ValueType::Binary;
    }
}

// A stored value: its type number and its bytes exactly as kept (a text
// value's bytes normally end in one zero byte).
struct RegValue {
    std::uint32_t rawType = kRegBinary;
    std::string bytes;

    [[nodiscard]] ValueType type() const { return valueTypeOf(rawType); }
    friend bool operator==(const RegValue&, const RegValue&) = default;
};

struct NamedValue {
    std::string name;
    RegValue value;
    friend bool operator==(const NamedValue&, const NamedValue&) = default;
};

using KeyHandle = int;

// A per-user key/value store with the registry's typing. Key paths are
// relative to the user's root key, parts separated by "\"; the empty path is
// the root key itself. Names of keys and values compare without ASCII case.
class RegistryBackend {
public:
    virtual ~RegistryBackend() = default;
    // Creates the key first when canCreate is true; nullopt when it cannot be
    // opened (or created).
    virtual std::optional<KeyHandle> openKey(std::string_view path, bool canCreate) = 0;
    virtual std::optional<RegValue> query(KeyHandle key, std::string_view name) = 0;
    // false when the store refuses the write.
    virtual bool set(KeyHandle key, std::string_view name, std::uint32_t rawType, std::string_view bytes) = 0;
    // Several values written as one: all of them reach the store, or none
    // does. Gives the position of the value the store refused (0 when it
    // refused the write as a whole), nothing when every value is written.
    // By default the values go one by one, for a store that cannot do better.
    virtual std::optional<std::size_t> setValues(KeyHandle key, const std::vector<NamedValue>& values);
    virtual void close(KeyHandle key) = 0;
};

// The access layer the settings use: at most one open key at a time, failures
// raised as RegistryError with the user-facing text.
class TRegistry {
public:
    explicit TRegistry(RegistryBackend& backend) : backend_(backend) {}
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;
    ~TRegistry() { CloseKey(); }

    // A path starting with "\" is taken from the root key, any other from the
    // open key (or the root key when none is open).
    bool OpenKey(std::string_view path, bool canCreate);
    bool ValueExists(std::string_view name);
    std::string ReadString(std::string_view name);
    std::int32_t ReadInteger(std::string_view name);
    bool ReadBool(std::string_view name);
    void WriteString(std::string_view name, std::string_view value);
    void WriteInteger(std::string_view name, std::int32_t value);
    void WriteBool(std::string_view name, bool value);
    // The writes between these two calls are held back and reach the store
    // together in EndUpdate, all or none; a refusal raises "Failed to set
    // data for" the refused value, the first one when the store refused them
    // all. Closing or changing the key before EndUpdate drops them.
    void BeginUpdate();
    void EndUpdate();
    void CloseKey();

    [[nodiscard]] bool HasOpenKey() const { return key_.has_value(); }
    [[nodiscard]] const std::string& CurrentPath() const { return currentPath_; }

private:
    void write(std::string_view name, std::uint32_t rawType, std::string_view bytes);

    RegistryBackend& backend_;
    std::optional<KeyHandle> key_;
    std::string currentPath_;
    std::optional<std::vector<NamedValue>> pending_;
};

// ASCII-only, as the store compares names.
bool sameNameIgnoringCase(std::string_view a, std::string_view b);

}  // namespace mnemora
