#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "settings/registry.h"

namespace mnemora {

// A store held in memory. It can be told to fail the way a real store does:
// a key that cannot be opened, or writes that are refused.
class MemoryRegistryStore : public RegistryBackend {
public:
    std::optional<KeyHandle> openKey(std::string_view path, bool canCreate) override;
    std::optional<RegValue> query(KeyHandle key, std::string_view name) override;
    bool set(KeyHandle key, std::string_view name, std::uint32_t rawType, std::string_view bytes) override;
    // All or none, like the file store.
    std::optional<std::size_t> setValues(KeyHandle key, const std::vector<NamedValue>& values) override;
    void close(KeyHandle key) override;

    // Failure switches.
    void failOpen(bool fail = true) { failOpen_ = fail; }
    void refuseAllWrites(bool refuse = true) { refuseAll_ = refuse; }
    // The n-th write from now (1 = the next one) and every later one is refused.
    void refuseFromWrite(int n) { refuseFrom_ = writes_ + n; }
    void refuseValue(std::string name) { refusedNames_.push_back(std::move(name)); }

    // Direct access for setting up and checking a store.
    void put(std::string_view path, std::string_view name, std::uint32_t rawType, std::string_view bytes);
    [[nodiscard]] std::optional<RegValue> get(std::string_view path, std::string_view name) const;
    [[nodiscard]] bool keyExists(std::string_view path) const;
    [[nodiscard]] std::vector<std::string> valueNames(std::string_view path) const;
    [[nodiscard]] int writeAttempts() const { return writes_; }
    [[nodiscard]] int openHandles() const { return static_cast<int>(handles_.size()); }

private:
    struct Value {
        std::string name;
        RegValue value;
    };
    struct Key {
        std::string path;
        std::vector<Value> values;
    };
    Key* findKey(std::string_view path);
    [[nodiscard]] const Key* findKey(std::string_view path) const;
    Key& keyOf(std::string_view path);
    // Counts one write and tells whether the switches refuse it.
    bool refuses(std::string_view name);

    std::vector<Key> keys_;
    std::map<KeyHandle, std::string> handles_;
    KeyHandle nextHandle_ = 1;
    bool failOpen_ = false;
    bool refuseAll_ = false;
    std::optional<int> refuseFrom_;
    std::vector<std::string> refusedNames_;
    int writes_ = 0;
};

}  // namespace mnemora
