#include "settings/registry.h"

#include <array>
#include <cstring>

#include "core/error.h"

namespace mnemora {

namespace {

std::string quoted(std::string_view fmt, std::string_view name) {
    std::string text(fmt);
    text += " '";
    text += name;
    text += "'";
    return text;
}

[[noreturn]] void invalidType(std::string_view name) { throw RegistryError(quoted("Invalid data type for", name)); }
[[noreturn]] void failedGet(std::string_view name) { throw RegistryError(quoted("Failed to get data for", name)); }
[[noreturn]] void failedSet(std::string_view name) { throw RegistryError(quoted("Failed to set data for", name)); }

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool sameNameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lowerAscii(a[i]) != lowerAscii(b[i])) {
            return false;
        }
    }
    return true;
}

bool TRegistry::OpenKey(std::string_view path, bool canCreate) {
    std::string full;
    if (!path.empty() && path.front() == '\\') {
        full = std::string(path.substr(1));
    } else if (key_ && !currentPath_.empty() && !path.empty()) {
        full = currentPath_ + "\\" + std::string(path);
    } else if (key_ && path.empty()) {
        full = currentPath_;
    } else {
        full = std::string(path);
    }
    // Creating needs a name; the empty path only ever opens.
    const bool create = canCreate && !full.empty();
    const std::optional<KeyHandle> opened = backend_.openKey(full, create);
    if (!opened) {
        return false;
    }
    CloseKey();
    key_ = opened;
    currentPath_ = std::move(full);
    return true;
}

bool TRegistry::ValueExists(std::string_view name) {
    return key_ && backend_.query(*key_, name).has_value();
}

std::string TRegistry::ReadString(std::string_view name) {
    if (!key_) {
        return {};
    }
    const std::optional<RegValue> value = backend_.query(*key_, name);
    if (!value || value->bytes.empty()) {
        return {};
    }
    const ValueType type = value->type();
    if (type != ValueType::String && type != ValueType::ExpandString) {
        invalidType(name);
    }
    // Expandable text is handed back as stored, without expansion.
    const std::size_t zero = value->bytes.find('\0');
    return value->bytes.substr(0, zero);
}

std::int32_t TRegistry::ReadInteger(std::string_view name) {
    if (!key_) {
        failedGet(name);
    }
    const std::optional<RegValue> value = backend_.query(*key_, name);
    // The data goes into a 4-byte buffer, so anything longer fails before
    // its type is looked at.
    if (!value || value->bytes.size() > 4) {
        failedGet(name);
    }
    if (value->type() != ValueType::DWord) {
        invalidType(name);
    }
    // A number stored with fewer than 4 bytes reads as those bytes, little
    // endian, with the missing high bytes taken as zero.
    std::array<unsigned char, 4> buffer{};
    std::memcpy(buffer.data(), value->bytes.data(), value->bytes.size());
    const std::uint32_t raw = static_cast<std::uint32_t>(buffer[0]) | (static_cast<std::uint32_t>(buffer[1]) << 8) |
                              (static_cast<std::uint32_t>(buffer[2]) << 16) |
                              (static_cast<std::uint32_t>(buffer[3]) << 24);
    return static_cast<std::int32_t>(raw);
}

bool TRegistry::ReadBool(std::string_view name) { return ReadInteger(name) != 0; }

std::optional<std::size_t> RegistryBackend::setValues(KeyHandle key, const std::vector<NamedValue>& values) {
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (!set(key, values[i].name, values[i].value.rawType, values[i].value.bytes)) {
            return i;
        }
    }
    return std::nullopt;
}

void TRegistry::write(std::string_view name, std::uint32_t rawType, std::string_view bytes) {
    if (key_ && pending_) {
        pending_->push_back(NamedValue{std::string(name), RegValue{rawType, std::string(bytes)}});
        return;
    }
    if (!key_ || !backend_.set(*key_, name, rawType, bytes)) {
        failedSet(name);
    }
}

void TRegistry::BeginUpdate() { pending_.emplace(); }

void TRegistry::EndUpdate() {
    if (!pending_) {
        return;
    }
    const std::vector<NamedValue> values = std::move(*pending_);
    pending_.reset();
    if (values.empty()) {
        return;
    }
    if (!key_) {
        failedSet(values.front().name);
    }
    if (const std::optional<std::size_t> refused = backend_.setValues(*key_, values)) {
        failedSet(values[*refused < values.size() ? *refused : 0].name);
    }
}

void TRegistry::WriteString(std::string_view name, std::string_view value) {
    std::string bytes(value);
    bytes.push_back('\0');
    write(name, kRegString, bytes);
}

void TRegistry::WriteInteger(std::string_view name, std::int32_t value) {
    const auto raw = static_cast<std::uint32_t>(value);
    const std::array<char, 4> bytes{static_cast<char>(raw & 0xFF), static_cast<char>((raw >> 8) & 0xFF),
                                    static_cast<char>((raw >> 16) & 0xFF), static_cast<char>((raw >> 24) & 0xFF)};
    write(name, kRegDword, std::string_view(bytes.data(), bytes.size()));
}

void TRegistry::WriteBool(std::string_view name, bool value) { WriteInteger(name, value ? 1 : 0); }

void TRegistry::CloseKey() {
    pending_.reset();
    if (key_) {
        backend_.close(*key_);
        key_.reset();
        currentPath_.clear();
    }
}

}  // namespace mnemora
