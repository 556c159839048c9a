#include "settings/memory_store.h"

#include <algorithm>

namespace mnemora {

MemoryRegistryStore::Key* MemoryRegistryStore::findKey(std::string_view path) {
    for (Key& k : keys_) {
        if (sameNameIgnoringCase(k.path, path)) {
            return &k;
        }
    }
    return nullptr;
}

const MemoryRegistryStore::Key* MemoryRegistryStore::findKey(std::string_view path) const {
    return const_cast<MemoryRegistryStore*>(this)->findKey(path);
}

MemoryRegistryStore::Key& MemoryRegistryStore::keyOf(std::string_view path) {
    if (Key* k = findKey(path)) {
        return *k;
    }
    keys_.push_back(Key{std::string(path), {}});
    return keys_.back();
}

std::optional<KeyHandle> MemoryRegistryStore::openKey(std::string_view path, bool canCreate) {
    if (failOpen_) {
        return std::nullopt;
    }
    // The root key always exists.
    if (!path.empty() && findKey(path) == nullptr) {
        if (!canCreate) {
            return std::nullopt;
        }
        keyOf(path);
    }
    const KeyHandle h = nextHandle_++;
    handles_[h] = std::string(path);
    return h;
}

std::optional<RegValue> MemoryRegistryStore::query(KeyHandle key, std::string_view name) {
    const auto it = handles_.find(key);
    if (it == handles_.end()) {
        return std::nullopt;
    }
    return get(it->second, name);
}

bool MemoryRegistryStore::refuses(std::string_view name) {
    ++writes_;
    // Like the file store, which keeps one value a line.
    if (name.find_first_of("\r\n") != std::string_view::npos) {
        return true;
    }
    if (refuseAll_ || (refuseFrom_ && writes_ >= *refuseFrom_)) {
        return true;
    }
    return std::any_of(refusedNames_.begin(), refusedNames_.end(),
                       [&](const std::string& n) { return sameNameIgnoringCase(n, name); });
}

bool MemoryRegistryStore::set(KeyHandle key, std::string_view name, std::uint32_t rawType, std::string_view bytes) {
    const auto it = handles_.find(key);
    if (refuses(name) || it == handles_.end()) {
        return false;
    }
    put(it->second, name, rawType, bytes);
    return true;
}

std::optional<std::size_t> MemoryRegistryStore::setValues(KeyHandle key, const std::vector<NamedValue>& values) {
    const auto it = handles_.find(key);
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (refuses(values[i].name) || it == handles_.end()) {
            return i;
        }
    }
    for (const NamedValue& v : values) {
        put(it->second, v.name, v.value.rawType, v.value.bytes);
    }
    return std::nullopt;
}

void MemoryRegistryStore::close(KeyHandle key) { handles_.erase(key); }

void MemoryRegistryStore::put(std::string_view path, std::string_view name, std::uint32_t rawType,
                              std::string_view bytes) {
    Key& k = keyOf(path);
    for (Value& v : k.values) {
        if (sameNameIgnoringCase(v.name, name)) {
            v.value = RegValue{rawType, std::string(bytes)};
            return;
        }
    }
    k.values.push_back(Value{std::string(name), RegValue{rawType, std::string(bytes)}});
}

std::optional<RegValue> MemoryRegistryStore::get(std::string_view path, std::string_view name) const {
    if (const Key* k = findKey(path)) {
        for (const Value& v : k->values) {
            if (sameNameIgnoringCase(v.name, name)) {
                return v.value;
            }
        }
    }
    return std::nullopt;
}

bool MemoryRegistryStore::keyExists(std::string_view path) const { return path.empty() || findKey(path) != nullptr; }

std::vector<std::string> MemoryRegistryStore::valueNames(std::string_view path) const {
    std::vector<std::string> names;
    if (const Key* k = findKey(path)) {
        for (const Value& v : k->values) {
            names.push_back(v.name);
        }
    }
    return names;
}

}  // namespace mnemora
