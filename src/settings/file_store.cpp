#include "settings/file_store.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <cstdio>
#include <cstdlib>
#include <system_error>

#include "core/error.h"
#include "platform/files.h"
#include "platform/path_text.h"
#include "platform/safe_save.h"

namespace mnemora {

namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";

// The next line of the store's text, without its CR LF or LF; the text is
// left after it.
std::string_view takeLine(std::string_view& text) {
    const std::size_t nl = text.find('\n');
    std::string_view line = text.substr(0, nl);
    text = nl == std::string_view::npos ? std::string_view() : text.substr(nl + 1);
    if (line.ends_with('\r')) {
        line.remove_suffix(1);
    }
    return line;
}

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
        return RegValue{kRegString, std::move(*s)};
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
        return RegValue{kRegDword, std::move(bytes)};
    }
    if (text.starts_with("hex:")) {
        std::optional<std::string> bytes = parseHexBytes(text.substr(4));
        if (!bytes) {
            return std::nullopt;
        }
        return RegValue{kRegBinary, std::move(*bytes)};
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

// The checks of parseQuoted, parseHexBytes and parseData without building
// what they give, for a store read only to look a few values up.
constexpr std::array<bool, 256> kIsHex = [] {
    std::array<bool, 256> table{};
    for (const char c : std::string_view("0123456789abcdefABCDEF")) {
        table[static_cast<unsigned char>(c)] = true;
    }
    return table;
}();

bool isHex(char c) { return kIsHex[static_cast<unsigned char>(c)]; }

bool allHex(std::string_view text) {
    return std::all_of(text.begin(), text.end(), isHex);
}

// Whether each of eight bytes is a hex digit, all at once: a dword is
// written as eight, and most values of a large store are dwords.
bool eightHex(const char* p) {
    constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
    constexpr std::uint64_t kTops = kOnes * 0x80;
    std::uint64_t w = 0;
    std::memcpy(&w, p, 8);
    const auto within = [&](std::uint64_t v, unsigned lo, unsigned hi) {
        const std::uint64_t seven = v & (kOnes * 0x7F);
        return (seven + kOnes * (0x80 - lo)) & ~(seven + kOnes * (0x80 - hi - 1)) & ~v & kTops;
    };
    return (within(w, '0', '9') | within(w | (kOnes * 0x20), 'a', 'f')) == kTops;
}

bool validHexBytes(std::string_view text) {
    if (text.empty()) {
        return true;
    }
    // "xx" then ",xx" any number of times.
    if ((text.size() + 1) % 3 != 0) {
        return false;
    }
    for (std::size_t pos = 0; pos < text.size(); pos += 3) {
        if (!isHex(text[pos]) || !isHex(text[pos + 1]) || (pos + 2 < text.size() && text[pos + 2] != ',')) {
            return false;
        }
    }
    return true;
}

bool validData(std::string_view text) {
    if (!text.empty() && text.front() == '"') {
        for (std::size_t pos = 1; pos < text.size(); ++pos) {
            if (text[pos] == '"') {
                return pos + 1 == text.size();
            }
            if (text[pos] == '\\') {
                if (pos + 1 >= text.size() || (text[pos + 1] != '\\' && text[pos + 1] != '"')) {
                    return false;
                }
                ++pos;
            }
        }
        return false;
    }
    if (text.starts_with("dword:")) {
        const std::string_view digits = text.substr(6);
        return digits.size() == 8 && eightHex(digits.data());
    }
    if (text.starts_with("hex:")) {
        return validHexBytes(text.substr(4));
    }
    if (text.starts_with("hex(")) {
        const std::size_t close = text.find("):");
        if (close == std::string_view::npos || close == 4 || close > 12) {
            return false;
        }
        const std::string_view type = text.substr(4, close - 4);
        return allHex(type) && validHexBytes(text.substr(close + 2));
    }
    return false;
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

// A hash of a name that ignores ASCII case, as names compare; `seed` keeps
// the values of different keys apart.
std::uint64_t foldedHash(std::string_view name, std::uint64_t seed) {
    std::uint64_t h = 0xcbf29ce484222325ULL ^ seed;
    for (const char c : name) {
        const char folded = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        h = (h ^ static_cast<unsigned char>(folded)) * 0x100000001b3ULL;
    }
    // Spread the bits, since the table takes the low ones.
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdULL;
    h ^= h >> 33;
    return h;
}

// Where each name already stands, without a copy of the names: open
// addressing over their hashes, with the caller telling whether an entry is
// the same name. Grows by doubling, so n names cost time in step with n.
class NameIndex {
public:
    // The entry that `same` recognises, or nothing after adding `entry`.
    template <class Same>
    std::optional<std::uint64_t> findOrAdd(std::uint64_t hash, std::uint64_t entry, const Same& same) {
        if ((used_ + 1) * 2 > slots_.size()) {
            rehash(slots_.empty() ? 64 : slots_.size() * 2);
        }
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
            Slot& slot = slots_[i];
            if (slot.entry == 0) {
                slot = Slot{hash, entry + 1};
                ++used_;
                return std::nullopt;
            }
            if (slot.hash == hash && same(slot.entry - 1)) {
                return slot.entry - 1;
            }
        }
    }

private:
    struct Slot {
        std::uint64_t hash = 0;
        std::uint64_t entry = 0;  // 0: empty, else the entry + 1
    };
    void rehash(std::size_t size) {
        std::vector<Slot> old = std::move(slots_);
        slots_.assign(size, Slot{});
        for (const Slot& slot : old) {
            if (slot.entry != 0) {
                std::size_t i = slot.hash & (size - 1);
                while (slots_[i].entry != 0) {
                    i = (i + 1) & (size - 1);
                }
                slots_[i] = slot;
            }
        }
    }
    std::vector<Slot> slots_;
    std::size_t used_ = 0;
};

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
    // Where each key and each value already stands, so that a file of many
    // keys or values is read in one pass. A value's entry is its key's
    // position in the high half and its own in the low half.
    NameIndex keyAt;
    NameIndex valueAt;
    std::optional<std::size_t> current;
    bool first = true;
    while (!text.empty() || first) {
        const std::string_view line = takeLine(text);
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
            const std::optional<std::uint64_t> at =
                keyAt.findOrAdd(foldedHash(path, 0), file.keys.size(),
                                [&](std::uint64_t k) { return sameNameIgnoringCase(file.keys[k].path, path); });
            if (!at) {
                file.keys.push_back(StoreFileKey{std::string(path), {}});
            }
            current = at ? static_cast<std::size_t>(*at) : file.keys.size() - 1;
            continue;
        }
        if (!current) {
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
        std::vector<StoreFileValue>& values = file.keys[*current].values;
        const std::uint64_t keyPart = static_cast<std::uint64_t>(*current) << 32;
        const std::optional<std::uint64_t> at =
            valueAt.findOrAdd(foldedHash(*name, *current + 1), keyPart | values.size(), [&](std::uint64_t entry) {
                return (entry & ~0xFFFFFFFFULL) == keyPart && sameNameIgnoringCase(values[entry & 0xFFFFFFFFULL].name, *name);
            });
        if (at) {
            values[*at & 0xFFFFFFFFULL].value = std::move(*value);
        } else {
            values.push_back(StoreFileValue{std::move(*name), std::move(*value)});
        }
    }
    return file;
}

namespace {

// A quoted name's text as compared: escapes undone.
template <class Each>
void eachNameChar(std::string_view quoted, const Each& each) {
    for (std::size_t i = 0; i < quoted.size(); ++i) {
        each(quoted[i] == '\\' ? quoted[++i] : quoted[i]);
    }
}

// Eight bytes with ASCII capitals made small, all at once.
std::uint64_t foldWord(std::uint64_t w) {
    constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
    const std::uint64_t seven = w & (kOnes * 0x7F);
    const std::uint64_t fromA = seven + kOnes * (0x80 - 'A');      // top bit set from 'A' on
    const std::uint64_t pastZ = seven + kOnes * (0x80 - 'Z' - 1);  // top bit set past 'Z'
    const std::uint64_t capitals = fromA & ~pastZ & ~w & (kOnes * 0x80);
    return w | (capitals >> 2);
}

std::uint64_t loadWord(const char* p, std::size_t n) {
    std::uint64_t w = 0;
    if (n >= 8) {
        std::memcpy(&w, p, 8);
    } else {
        for (std::size_t i = 0; i < n; ++i) {
            w |= std::uint64_t{static_cast<unsigned char>(p[i])} << (8 * i);
        }
    }
    return w;
}

// A hash of a value's name that ignores ASCII case, from its length and its
// first and last eight bytes: a few operations, not a step per character,
// as the store is read. Names that share it are told apart by comparing.
std::uint32_t nameHash(std::string_view plain) {
    const std::size_t n = plain.size();
    const std::uint64_t head = foldWord(loadWord(plain.data(), n));
    const std::uint64_t tail = n > 8 ? foldWord(loadWord(plain.data() + n - 8, 8)) : 0;
    std::uint64_t h = (head * 0x9E3779B97F4A7C15ULL) ^ (tail * 0xC2B2AE3D27D4EB4FULL) ^ (n * 0x165667B19E3779F9ULL);
    h ^= h >> 29;
    h *= 0xBF58476D1CE4E5B9ULL;
    h ^= h >> 32;
    return static_cast<std::uint32_t>(h);
}

bool quotedNameIs(std::string_view quoted, std::string_view name) {
    std::size_t at = 0;
    bool same = true;
    eachNameChar(quoted, [&](char c) {
        same = same && at < name.size() && sameNameIgnoringCase(std::string_view(&c, 1), name.substr(at, 1));
        ++at;
    });
    return same && at == name.size();
}

}  // namespace

std::optional<StoreIndex> StoreIndex::parse(std::string text) {
    StoreIndex index;
    auto shared = std::make_shared<const std::string>(std::move(text));
    std::string_view rest = *shared;
    const char* const base = shared->data();
    const auto offset = [base](const char* p) { return static_cast<std::uint32_t>(p - base); };
    if (rest.starts_with("\xEF\xBB\xBF")) {
        rest.remove_prefix(3);
    }
    // Many values to a line of some twenty bytes: room made once.
    index.values_.reserve(rest.size() / 24);
    index.hashes_.reserve(rest.size() / 24);
    bool first = true;
    while (!rest.empty() || first) {
        const std::string_view line = takeLine(rest);
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
            const auto at = static_cast<std::uint32_t>(index.values_.size());
            index.sections_.push_back({offset(line.data() + 1), static_cast<std::uint32_t>(line.size() - 2), at, at});
            continue;
        }
        if (index.sections_.empty() || line.front() != '"') {
            return std::nullopt;
        }
        // The name runs to the first quote not escaped; escapes are rare,
        // and only a name that has one is copied to be hashed.
        std::size_t pos = 1;
        bool escaped = false;
        for (; pos < line.size() && line[pos] != '"'; ++pos) {
            if (line[pos] == '\\') {
                if (pos + 1 >= line.size() || (line[pos + 1] != '\\' && line[pos + 1] != '"')) {
                    return std::nullopt;
                }
                escaped = true;
                ++pos;
            }
        }
        if (pos + 1 >= line.size() || line[pos + 1] != '=') {
            return std::nullopt;  // no closing quote, or no "=" after it
        }
        const std::string_view quoted = line.substr(1, pos - 1);
        const std::string_view data = line.substr(pos + 2);
        if (!validData(data)) {
            return std::nullopt;
        }
        index.values_.push_back({offset(quoted.data()), static_cast<std::uint32_t>(quoted.size()), offset(data.data()),
                                 static_cast<std::uint32_t>(data.size())});
        if (escaped) {
            std::string plain;
            eachNameChar(quoted, [&plain](char c) { plain.push_back(c); });
            index.hashes_.push_back(nameHash(plain));
        } else {
            index.hashes_.push_back(nameHash(quoted));
        }
        index.sections_.back().endValue = static_cast<std::uint32_t>(index.values_.size());
    }
    index.text_ = std::move(shared);
    return index;
}

std::vector<std::uint32_t> StoreIndex::sectionsOf(std::string_view path) const {
    std::vector<std::uint32_t> found;
    for (std::size_t i = 0; i < sections_.size(); ++i) {
        const Section& s = sections_[i];
        if (s.pathSize == path.size() && sameNameIgnoringCase(std::string_view(*text_).substr(s.path, s.pathSize), path)) {
            found.push_back(static_cast<std::uint32_t>(i));
        }
    }
    return found;
}

std::optional<RegValue> StoreIndex::query(const std::vector<std::uint32_t>& sections, std::string_view name) const {
    const std::uint32_t h = nameHash(name);
    const std::string_view text = text_ ? std::string_view(*text_) : std::string_view();
    // The last value of the name wins: from the end backwards.
    for (std::size_t k = sections.size(); k-- > 0;) {
        const Section& section = sections_[sections[k]];
        for (std::uint32_t i = section.endValue; i-- > section.firstValue;) {
            const ValueLine& v = values_[i];
            if (hashes_[i] == h && quotedNameIs(text.substr(v.name, v.nameSize), name)) {
                return parseData(text.substr(v.data, v.dataSize));
            }
        }
    }
    return std::nullopt;
}

StoreFile StoreIndex::decode() const {
    // Rare (a change to the store): the full reading gives the merged keys.
    return text_ ? parseStoreFile(*text_).value_or(StoreFile{}) : StoreFile{};
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
            if (v.value.rawType == kRegString && plainText(bytes)) {
                appendQuoted(out, std::string_view(bytes).substr(0, bytes.size() - 1));
            } else if (v.value.rawType == kRegDword && bytes.size() == 4) {
                std::uint32_t n = 0;
                for (int i = 3; i >= 0; --i) {
                    n = (n << 8) | static_cast<unsigned char>(bytes[static_cast<std::size_t>(i)]);
                }
                out += "dword:";
                for (int shift = 28; shift >= 0; shift -= 4) {
                    out.push_back(kHex[(n >> shift) & 0xF]);
                }
            } else if (v.value.rawType == kRegBinary) {
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

std::string damagedStoreMessage(const DamagedStore& damaged) {
    std::string text = "Не удалось прочитать файл настроек\n" + pathToUtf8(damaged.file) + "\n\n";
    if (damaged.keptAs) {
        text += "Его содержимое без изменений перенесено в файл\n" + damaged.keptAs->string() +
                "\n\nМнемора начнёт новый файл настроек.";
    } else {
        text += "Перенести его в сторону не удалось, и он оставлен как есть. "
                "Пока он на месте, настройки не сохраняются.";
    }
    return text;
}

bool FileRegistryStore::save(const StoreFile& contents) {
    try {
        safeWriteFile(file_, serializeStoreFile(contents), saveOptions_);
        return true;
    } catch (const Error&) {
        return false;
    }
}

std::optional<std::filesystem::path> FileRegistryStore::setAside() {
    // Through a link, the file at the end of the chain is the one that holds the bytes.
    const std::optional<std::filesystem::path> damaged = resolveLinkChain(file_);
    // Only ever a regular file, whatever was read a moment ago: a device or
    // FIFO swapped in meanwhile stays where it is.
    if (!damaged || !isRegularFileNoFollow(*damaged)) {
        return std::nullopt;
    }
    const std::time_t now = clock();
    const std::optional<std::tm> local = localTime(now);
    char stamp[32] = "";
    if (!local || std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &*local) == 0) {
        return std::nullopt;
    }
    const std::string base = pathToUtf8(damaged->filename()) + ".damaged-" + stamp;
    // Never over an earlier damaged file: a second one in the same second gets "-2", and so on.
    for (int n = 1; n <= 100; ++n) {
        const std::filesystem::path aside = damaged->parent_path() / (n == 1 ? base : base + "-" + std::to_string(n));
        switch (renameNoReplace(*damaged, aside)) {
        case RenameResult::Done:
            return aside;
        case RenameResult::TargetExists:
            continue;
        case RenameResult::Failed:
            return std::nullopt;
        }
    }
    return std::nullopt;
}

std::optional<StoreIndex> FileRegistryStore::readContents() {
    {
        FileBytes read = readRegularFile(file_, kStoreMaxBytes);
        switch (read.status) {
        case ReadStatus::Missing:
            return StoreIndex{};
        case ReadStatus::NotRegular:
        case ReadStatus::Failed:
            return std::nullopt;
        case ReadStatus::TooLarge:
            break;
        case ReadStatus::Ok:
            if (std::optional<StoreIndex> parsed = StoreIndex::parse(std::move(read.bytes))) {
                return parsed;
            }
            break;
        }
    }
    const DamagedStore damaged{file_, setAside()};
    if (onDamaged) {
        onDamaged(damaged);
    }
    if (!damaged.keptAs) {
        return std::nullopt;  // never written over while it holds the user's bytes
    }
    return StoreIndex{};
}

StoreFile& FileRegistryStore::editable() {
    if (!contents_) {
        contents_ = index_ ? index_->decode() : StoreFile{};
    }
    return *contents_;
}

namespace {

// Whether a new store file could be put where the store lives.
bool canWriteBeside(const std::filesystem::path& file) {
    const std::optional<std::filesystem::path> end = resolveLinkChain(file);
    if (!end) {
        return false;
    }
    std::filesystem::path dir = end->parent_path();
    if (dir.empty()) {
        dir = ".";
    }
    return canCreateFilesIn(dir);
}

}  // namespace

std::optional<KeyHandle> FileRegistryStore::openKey(std::string_view path, bool canCreate) {
    // Keys opened together see one reading of the file.
    if (handles_.empty() || !index_) {
        std::optional<StoreIndex> read = readContents();
        if (!read) {
            return std::nullopt;
        }
        index_ = std::move(read);
        contents_.reset();
    }
    const std::string full = keyPathInFile(path);
    std::vector<std::uint32_t> sections;
    bool exists = false;
    if (contents_) {
        exists = findKey(*contents_, full) != nullptr;
    } else {
        sections = index_->sectionsOf(full);
        exists = !sections.empty();
    }
    if (!exists) {
        // A key is made in memory; it reaches the file with the first write, or when the key closes.
        if (!canCreate || !canWriteBeside(file_)) {
            if (handles_.empty()) {
                index_.reset();
            }
            return std::nullopt;
        }
        editable().keys.push_back(StoreFileKey{full, {}});
        keyNotSaved_ = true;
    }
    const KeyHandle h = nextHandle_++;
    handles_[h] = OpenKey{full, std::move(sections)};
    return h;
}

std::optional<RegValue> FileRegistryStore::query(KeyHandle key, std::string_view name) {
    const auto it = handles_.find(key);
    if (it == handles_.end() || !index_) {
        return std::nullopt;
    }
    if (!contents_) {
        return index_->query(it->second.sections, name);
    }
    if (StoreFileKey* k = findKey(*contents_, it->second.path)) {
        for (const StoreFileValue& v : k->values) {
            if (sameNameIgnoringCase(v.name, name)) {
                return v.value;
            }
        }
    }
    return std::nullopt;
}

bool FileRegistryStore::set(KeyHandle key, std::string_view name, std::uint32_t rawType, std::string_view bytes) {
    return !setValues(key, {NamedValue{std::string(name), RegValue{rawType, std::string(bytes)}}}).has_value();
}

std::optional<std::size_t> FileRegistryStore::setValues(KeyHandle key, const std::vector<NamedValue>& values) {
    const auto it = handles_.find(key);
    if (it == handles_.end() || !index_) {
        return 0;
    }
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (!plainName(values[i].name)) {
            return i;
        }
    }
    StoreFile updated = editable();
    StoreFileKey* k = findKey(updated, it->second.path);
    if (k == nullptr) {
        updated.keys.push_back(StoreFileKey{it->second.path, {}});
        k = &updated.keys.back();
    }
    for (const NamedValue& v : values) {
        putValue(*k, v.name, v.value);
    }
    keyNotSaved_ = false;
    if (!save(updated)) {
        return 0;
    }
    contents_ = std::move(updated);
    return std::nullopt;
}

void FileRegistryStore::close(KeyHandle key) {
    handles_.erase(key);
    if (handles_.empty()) {
        // A key made and only read from (the first start) is written now.
        if (keyNotSaved_ && contents_) {
            save(*contents_);
        }
        keyNotSaved_ = false;
        contents_.reset();
        index_.reset();
    }
}

}  // namespace mnemora
