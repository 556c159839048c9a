#include "platform/win32/registry_store.h"

#include <windows.h>

#include <algorithm>

#include "platform/win32/win32_text.h"

namespace mnemora {
namespace {

bool isTextType(std::uint32_t type) { return type == kRegString || type == kRegExpandString; }

std::optional<std::wstring> wideName(std::string_view name) {
    if (name.find_first_of("\r\n") != std::string_view::npos) {
        return std::nullopt;
    }
    return win32::widen(name);
}

}  // namespace

WindowsRegistryStore::WindowsRegistryStore(std::string root) : root_(std::move(root)) {}

WindowsRegistryStore::~WindowsRegistryStore() {
    for (const auto& [id, key] : keys_) {
        ::RegCloseKey(static_cast<HKEY>(key));
    }
}

void* WindowsRegistryStore::handle(KeyHandle key) const {
    const auto it = keys_.find(key);
    return it == keys_.end() ? nullptr : it->second;
}

std::optional<KeyHandle> WindowsRegistryStore::openKey(std::string_view path, bool canCreate) {
    std::string full = root_;
    if (!path.empty()) {
        full += full.empty() ? "" : "\\";
        full += path;
    }
    const std::optional<std::wstring> wide = win32::widen(full);
    if (!wide) {
        return std::nullopt;
    }
    HKEY key = nullptr;
    const LSTATUS status =
        canCreate && !path.empty()
            ? ::RegCreateKeyExW(HKEY_CURRENT_USER, wide->c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                KEY_ALL_ACCESS, nullptr, &key, nullptr)
            : ::RegOpenKeyExW(HKEY_CURRENT_USER, wide->c_str(), 0, KEY_ALL_ACCESS, &key);
    if (status != ERROR_SUCCESS) {
        return std::nullopt;
    }
    const KeyHandle id = next_++;
    keys_[id] = key;
    return id;
}

std::optional<RegValue> WindowsRegistryStore::query(KeyHandle key, std::string_view name) {
    const auto hkey = static_cast<HKEY>(handle(key));
    const std::optional<std::wstring> wide = wideName(name);
    if (hkey == nullptr || !wide) {
        return std::nullopt;
    }
    for (;;) {
        DWORD type = 0;
        DWORD size = 0;
        if (::RegQueryValueExW(hkey, wide->c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
            return std::nullopt;
        }
        std::string data(size, '\0');
        const LSTATUS status = ::RegQueryValueExW(hkey, wide->c_str(), nullptr, &type,
                                                  reinterpret_cast<BYTE*>(data.data()), &size);
        if (status == ERROR_MORE_DATA) {
            continue;  // it grew between the two calls
        }
        if (status != ERROR_SUCCESS) {
            return std::nullopt;
        }
        data.resize(size);
        RegValue value{static_cast<std::uint32_t>(type), {}};
        if (isTextType(value.rawType)) {
            // UTF-16 as the system keeps it; an odd last byte is no character.
            std::wstring text(data.size() / 2, L'\0');
            std::copy_n(data.data(), text.size() * 2, reinterpret_cast<char*>(text.data()));
            value.bytes = win32::narrow(text);
        } else {
            value.bytes = std::move(data);
        }
        return value;
    }
}

bool WindowsRegistryStore::set(KeyHandle key, std::string_view name, std::uint32_t rawType, std::string_view bytes) {
    const auto hkey = static_cast<HKEY>(handle(key));
    const std::optional<std::wstring> wide = wideName(name);
    if (hkey == nullptr || !wide) {
        return false;
    }
    std::string data(bytes);
    if (isTextType(rawType)) {
        const std::optional<std::wstring> text = win32::widen(bytes);
        if (!text) {
            return false;
        }
        data.assign(reinterpret_cast<const char*>(text->data()), text->size() * 2);
    }
    return ::RegSetValueExW(hkey, wide->c_str(), 0, rawType, reinterpret_cast<const BYTE*>(data.data()),
                            static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
}

bool WindowsRegistryStore::remove(KeyHandle key, std::string_view name) {
    const auto hkey = static_cast<HKEY>(handle(key));
    const std::optional<std::wstring> wide = wideName(name);
    return hkey != nullptr && wide && ::RegDeleteValueW(hkey, wide->c_str()) == ERROR_SUCCESS;
}

std::optional<std::size_t> WindowsRegistryStore::setValues(KeyHandle key, const std::vector<NamedValue>& values) {
    // What each value held before (nothing: it did not exist), to put back.
    std::vector<std::optional<RegValue>> before;
    before.reserve(values.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        before.push_back(query(key, values[i].name));
        if (set(key, values[i].name, values[i].value.rawType, values[i].value.bytes)) {
            continue;
        }
        for (std::size_t j = i; j-- > 0;) {
            if (before[j]) {
                set(key, values[j].name, before[j]->rawType, before[j]->bytes);
            } else {
                remove(key, values[j].name);
            }
        }
        return i;
    }
    return std::nullopt;
}

void WindowsRegistryStore::close(KeyHandle key) {
    const auto it = keys_.find(key);
    if (it != keys_.end()) {
        ::RegCloseKey(static_cast<HKEY>(it->second));
        keys_.erase(it);
    }
}

bool WindowsRegistryStore::removeKeyTree(std::string_view path) {
    const std::optional<std::wstring> wide = win32::widen(path);
    if (!wide || wide->empty()) {
        return false;
    }
    const LSTATUS status = ::RegDeleteTreeW(HKEY_CURRENT_USER, wide->c_str());
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
        return false;
    }
    ::RegDeleteKeyW(HKEY_CURRENT_USER, wide->c_str());
    return true;
}

}  // namespace mnemora
