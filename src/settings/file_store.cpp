#include "settings/file_store.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <system_error>

#include "core/error.h"
#include "core/safe_save.h"

namespace mnemora {

namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

const char* const kHex = "0123456789abcdef";

// A quoted text starting at line[pos] (the opening quote); pos ends after the
// closing quote.
std::optional<std::string> parseQuoted(std::string_view line, std::size_t& pos) {
    if (pos >= line.size() || line[pos] != '"') {
        return std::nullopt;
    }
    std::string out;
    for (++pos; pos < line.size(); ++pos) {
        const char c = line[pos];
        if (c == '"') {
            ++pos;
            return out;
        }
        if (c == '\\') {
            if (pos + 1 >= line.size() || (line[pos + 1] != '\\' && line[pos + 1] != '"')) {
                return std::nullopt;
            }
            out.push_back(line[++pos]);
        } else {
            out.push_back(c);
        }
    }
    return std::nullopt;
}

std::optional<std::string> parseHexBytes(std::string_view text) {
    std::string out;
    if (text.empty()) {
        return out;
    }
    std::size_t pos = 0;
    while (true) {
        if (pos + 2 > text.size()) {
            return std::nullopt;
        }
        const int hi = hexDigit(text[pos]);
        const int lo = hexDigit(text[pos + 1]);
        if (hi < 0 || lo < 0) {
            return std::nullopt;
        }
        out.push_back(static_cast<char>(hi * 16 + lo));
        pos += 2;
        if (pos == text.size()) {
            return out;
        }
        if (text[pos] != ',') {
            return std::nullopt;
        }
        ++pos;
    }
}

std::optional<RegValue> parseData(std::string_view text) {
    if (!text.empty() && text.front() == '"') {
        std::size_t pos = 0;
        std::optional<std::string> s = parseQuoted(text, pos);
        if (!s || pos != text.size()) {
            return std::nullopt;
        }
        s->push_back('\0');
        return RegValue{REG_SZ, std::move(*s)};
    }
    if (text.starts_with("dword:")) {
        const std::string_view digits = text.substr(6);
        if (digits.size() != 8) {
            return std::nullopt;
        }
        std::uint32_t n = 0;
        for (const char c : digits) {
            const int d = hexDigit(c);
            if (d < 0) {
                return std::nullopt;
            }
            n = n * 16 + static_cast<std::uint32_t>(d);
        }
        std::string bytes;
        for (int i = 0; i < 4; ++i) {
            bytes.push_back(static_cast<char>((n >> (8 * i)) & 0xFF));
        }
        return RegValue{REG_DWORD, std::move(bytes)};
    }
    if (text.starts_with("hex:")) {
        std::optional<std::string> bytes = parseHexBytes(text.substr(4));
        if (!bytes) {
            return std::nullopt;
        }
        return RegValue{REG_BINARY, std::move(*bytes)};
    }
    if (text.starts_with("hex(")) {
        const std::size_t close = text.find("):");
        if (close == std::string_view::npos || close == 4 || close > 12) {
            return std::nullopt;
        }
        std::uint32_t type = 0;
        for (const char c : text.substr(4, close - 4)) {
            const int d = hexDigit(c);
            if (d < 0) {
                return std::nullopt;
            }
            type = type * 16 + static_cast<std::uint32_t>(d);
        }
        std::optional<std::string> bytes = parseHexBytes(text.substr(close + 2));
        if (!bytes) {
            return std::nullopt;
        }
        return RegValue{type, std::move(*bytes)};
    }
    return std::nullopt;
}

StoreFileKey* findKey(StoreFile& file, std::string_view path) {
    for (StoreFileKey& k : file.keys) {
        if (sameNameIgnoringCase(k.path, path)) {
            return &k;
        }
    }
    return nullptr;
}

void putValue(StoreFileKey& key, std::string_view name, RegValue value) {
    for (StoreFileValue& v : key.values) {
        if (sameNameIgnoringCase(v.name, name)) {
            v.value = std::move(value);
            return;
        }
    }
    key.values.push_back(StoreFileValue{std::string(name), std::move(value)});
}

void appendQuoted(std::string& out, std::string_view text) {
    out.push_back('"');
    for (const char c : text) {
        if (c == '\\' || c == '"') {
            out.push_back('\\');
        }
        out.push_back(c);
    }
    out.push_back('"');
}

void appendHex(std::string& out, std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i != 0) {
            out.push_back(',');
        }
        const auto b = static_cast<unsigned char>(bytes[i]);
        out.push_back(kHex[b >> 4]);
        out.push_back(kHex[b & 0xF]);
    }
}

// Text that a quoted line can carry: one terminating zero, no other zero, and
// no line breaks.
bool plainText(std::string_view bytes) {
    if (bytes.empty() || bytes.back() != '\0') {
        return false;
    }
    const std::string_view body = bytes.substr(0, bytes.size() - 1);
    return body.find_first_of(std::string_view("\0\r\n", 3)) == std::string_view::npos;
}

bool plainName(std::string_view name) { return name.find_first_of("\r\n") == std::string_view::npos; }

std::string keyPathInFile(std::string_view path) {
    std::string full(kStoreRootKey);
    if (!path.empty()) {
        full += "\\";
        full += path;
    }
    return full;
}

}  // namespace

std::optional<StoreFile> parseStoreFile(std::string_view text) {
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3);
    }
    StoreFile file;
    StoreFileKey* current = nullptr;
    bool first = true;
    while (!text.empty() || first) {
        const std::size_t nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        text = nl == std::string_view::npos ? std::string_view() : text.substr(nl + 1);
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        if (first) {
            if (line != kHeader) {
                return std::nullopt;
            }
            first = false;
            continue;
        }
        if (line.empty()) {
            continue;
        }
        if (line.front() == '[') {
            if (line.size() < 2 || line.back() != ']') {
                return std::nullopt;
            }
            const std::string_view path = line.substr(1, line.size() - 2);
            current = findKey(file, path);
            if (current == nullptr) {
                file.keys.push_back(StoreFileKey{std::string(path), {}});
                current = &file.keys.back();
            }
            continue;
        }
        if (current == nullptr) {
            return std::nullopt;
        }
        std::size_t pos = 0;
        std::optional<std::string> name = parseQuoted(line, pos);
        if (!name || pos >= line.size() || line[pos] != '=') {
            return std::nullopt;
        }
        std::optional<RegValue> value = parseData(line.substr(pos + 1));
        if (!value) {
            return std::nullopt;
        }
        putValue(*current, *name, std::move(*value));
    }
    return file;
}

std::string serializeStoreFile(const StoreFile& file) {
    std::string out(kHeader);
    out += "\n";
    for (const StoreFileKey& key : file.keys) {
        out += "\n[";
        out += key.path;
        out += "]\n";
        for (const StoreFileValue& v : key.values) {
            appendQuoted(out, v.name);
            out += "=";
            const std::string& bytes = v.value.bytes;
            if (v.value.rawType == REG_SZ && plainText(bytes)) {
                appendQuoted(out, std::string_view(bytes).substr(0, bytes.size() - 1));
            } else if (v.value.rawType == REG_DWORD && bytes.size() == 4) {
                std::uint32_t n = 0;
                for (int i = 3; i >= 0; --i) {
                    n = (n << 8) | static_cast<unsigned char>(bytes[static_cast<std::size_t>(i)]);
                }
                out += "dword:";
                for (int shift = 28; shift >= 0; shift -= 4) {
                    out.push_back(kHex[(n >> shift) & 0xF]);
                }
            } else if (v.value.rawType == REG_BINARY) {
                out += "hex:";
                appendHex(out, bytes);
            } else {
                out += "hex(";
                std::string digits;
                std::uint32_t t = v.value.rawType;
                do {
                    digits.insert(digits.begin(), kHex[t & 0xF]);
                    t >>= 4;
                } while (t != 0);
                out += digits;
                out += "):";
                appendHex(out, bytes);
            }
            out += "\n";
        }
    }
    return out;
}

std::filesystem::path FileRegistryStore::defaultPath() {
    std::filesystem::path base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && *xdg != '\0') {
        base = xdg;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        base = std::filesystem::path(home) / ".config";
    } else {
        base = ".config";
    }
    return base / "Vantero" / "Mnemora.reg";
}

bool FileRegistryStore::save(const StoreFile& contents) {
    try {
        safeWriteFile(file_, serializeStoreFile(contents));
        return true;
    } catch (const Error&) {
        return false;
    }
}

std::optional<KeyHandle> FileRegistryStore::openKey(std::string_view path, bool canCreate) {
    std::error_code ec;
    const bool exists = std::filesystem::exists(file_, ec);
    if (ec) {
        return std::nullopt;
    }
    StoreFile contents;
    if (exists) {
        std::ifstream in(file_, std::ios::binary);
        if (!in) {
            return std::nullopt;
        }
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (in.bad()) {
            return std::nullopt;
        }
        std::optional<StoreFile> parsed = parseStoreFile(text);
        if (!parsed) {
            return std::nullopt;
        }
        contents = std::move(*parsed);
    }
    const std::string full = keyPathInFile(path);
    if (findKey(contents, full) == nullptr) {
        if (!canCreate) {
            return std::nullopt;
        }
        contents.keys.push_back(StoreFileKey{full, {}});
        std::filesystem::create_directories(file_.parent_path(), ec);
        if (ec || !save(contents)) {
            return std::nullopt;
        }
    }
    contents_ = std::move(contents);
    const KeyHandle h = nextHandle_++;
    handles_[h] = full;
    return h;
}

std::optional<RegValue> FileRegistryStore::query(KeyHandle key, std::string_view name) {
    const auto it = handles_.find(key);
    if (it == handles_.end() || !contents_) {
        return std::nullopt;
    }
    if (StoreFileKey* k = findKey(*contents_, it->second)) {
        for (const StoreFileValue& v : k->values) {
            if (sameNameIgnoringCase(v.name, name)) {
                return v.value;
            }
        }
    }
    return std::nullopt;
}

bool FileRegistryStore::set(KeyHandle key, std::string_view name, std::uint32_t rawType, std::string_view bytes) {
    const auto it = handles_.find(key);
    if (it == handles_.end() || !contents_ || !plainName(name)) {
        return false;
    }
    StoreFile updated = *contents_;
    StoreFileKey* k = findKey(updated, it->second);
    if (k == nullptr) {
        updated.keys.push_back(StoreFileKey{it->second, {}});
        k = &updated.keys.back();
    }
    putValue(*k, name, RegValue{rawType, std::string(bytes)});
    if (!save(updated)) {
        return false;
    }
    contents_ = std::move(updated);
    return true;
}

void FileRegistryStore::close(KeyHandle key) {
    handles_.erase(key);
    if (handles_.empty()) {
        contents_.reset();
    }
}

}  // namespace mnemora
