#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/registry.h"

namespace mnemora {

// The store in the Windows registry, under HKEY_CURRENT_USER. Texts are kept
// as the system keeps them (UTF-16) and given to the core as UTF-8; numbers
// and binary values byte for byte. `root` puts the whole store under a key of
// its own (tests use a scratch key there); empty means HKEY_CURRENT_USER.
//
// One difference from the other stores stays: the registry would take a
// value name with a line break, but this store refuses it as they do, so
// that a value written here reads the same anywhere else.
class WindowsRegistryStore : public RegistryBackend {
public:
    explicit WindowsRegistryStore(std::string root = {});
    ~WindowsRegistryStore() override;
    WindowsRegistryStore(const WindowsRegistryStore&) = delete;
    WindowsRegistryStore& operator=(const WindowsRegistryStore&) = delete;

    std::optional<KeyHandle> openKey(std::string_view path, bool canCreate) override;
    std::optional<RegValue> query(KeyHandle key, std::string_view name) override;
    bool set(KeyHandle key, std::string_view name, std::uint32_t rawType, std::string_view bytes) override;
    // The registry has no transaction: the values are written one by one, and
    // when one is refused those written before it get back what they held.
    std::optional<std::size_t> setValues(KeyHandle key, const std::vector<NamedValue>& values) override;
    void close(KeyHandle key) override;

    // Removes a key of HKEY_CURRENT_USER with everything under it; true when
    // it is gone.
    static bool removeKeyTree(std::string_view path);

private:
    [[nodiscard]] void* handle(KeyHandle key) const;
    bool remove(KeyHandle key, std::string_view name);

    std::string root_;
    std::map<KeyHandle, void*> keys_;  // HKEY
    KeyHandle next_ = 1;
};

}  // namespace mnemora
