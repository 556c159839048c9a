#include "sessions/ini_file.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "core/cp1251.h"

namespace mnemora {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// Blanks, tabs and the other control whitespace that trims a line.
bool isLineSpace(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trim(std::string_view s, bool (*pred)(char)) {
    while (!s.empty() && pred(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && pred(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

std::string_view rtrim(std::string_view s, bool (*pred)(char)) {
    while (!s.empty() && pred(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

bool isUtf8(DataEncoding e) { return e != DataEncoding::Windows1251; }

// The length of the character at `pos` of UTF-8 text: its sequence, or one
// byte that starts no valid sequence.
std::size_t utf8CharLength(std::string_view s, std::size_t pos) {
    std::size_t end = pos;
    return decodeUtf8(s, end) ? end - pos : 1;
}

// One character of a name, folded: Latin and Cyrillic letters to upper case
// as the Windows-1251 reader folds them, so both encodings match alike. A
// byte that starts no valid sequence stands for itself, apart from every
// character.
char32_t foldedUtf8Char(std::string_view s, std::size_t& pos) {
    const std::size_t start = pos;
    const auto cp = decodeUtf8(s, pos);
    if (!cp) {
        pos = start + 1;
        return 0x110000 + static_cast<unsigned char>(s[start]);
    }
    if (const auto byte = codePointToCp1251(*cp)) {
        return cp1251ToCodePoint(cp1251Upper(*byte));
    }
    return *cp;
}

// A name written as a plain decimal number ("0", "17", never "07"), which
// reads the same in both encodings and folds to itself.
std::optional<std::uint64_t> plainNumber(std::string_view name) {
    if (name.empty() || name.size() > 18 || (name.size() > 1 && name.front() == '0')) {
        return std::nullopt;
    }
    std::uint64_t n = 0;
    for (char c : name) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        n = n * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return n;
}

std::string trimDefault(std::string_view d) { return std::string(rtrim(d, [](char c) { return c == ' '; })); }

}  // namespace

namespace {

// Strict UTF-8 as a state machine, its transitions packed so that one step is
// one table load and one shift: every read of a UTF-8 data file runs it over
// the whole file, so it must cost little more than the read itself.
enum Utf8State : std::uint8_t {
    kAccept,    // between characters
    kNeed1,     // one more continuation byte
    kNeed2,     // two more
    kNeed3,     // three more
    kAfterE0,   // A0-BF, then one more (no overlong three-byte form)
    kAfterED,   // 80-9F, then one more (no surrogates)
    kAfterF0,   // 90-BF, then two more (no overlong four-byte form)
    kAfterF4,   // 80-8F, then two more (nothing past U+10FFFF)
    kReject,    // stays
    kStates
};

constexpr std::uint8_t utf8Next(int state, int b) {
    const bool c80 = b >= 0x80 && b < 0x90;
    const bool c90 = b >= 0x90 && b < 0xA0;
    const bool cA0 = b >= 0xA0 && b < 0xC0;
    const bool cont = c80 || c90 || cA0;
    switch (state) {
        case kAccept:
            return b < 0x80                ? kAccept
                   : b >= 0xC2 && b < 0xE0 ? kNeed1
                   : b == 0xE0             ? kAfterE0
                   : b == 0xED             ? kAfterED
                   : b >= 0xE1 && b < 0xF0 ? kNeed2
                   : b == 0xF0             ? kAfterF0
                   : b >= 0xF1 && b < 0xF4 ? kNeed3
                   : b == 0xF4             ? kAfterF4
                                           : kReject;
        case kNeed1: return cont ? kAccept : kReject;
        case kNeed2: return cont ? kNeed1 : kReject;
        case kNeed3: return cont ? kNeed2 : kReject;
        case kAfterE0: return cA0 ? kNeed1 : kReject;
        case kAfterED: return c80 || c90 ? kNeed1 : kReject;
        case kAfterF0: return c90 || cA0 ? kNeed2 : kReject;
        case kAfterF4: return c80 ? kNeed2 : kReject;
        default: return kReject;
    }
}

// For each byte, the next state of every state, each at six bits times the
// state's number; a state is kept as that bit offset.
constexpr std::array<std::uint64_t, 256> kUtf8Rows = [] {
    std::array<std::uint64_t, 256> rows{};
    for (int b = 0; b < 256; ++b) {
        for (int state = 0; state < kStates; ++state) {
            rows[static_cast<std::size_t>(b)] |= (std::uint64_t{utf8Next(state, b)} * 6U) << (state * 6);
        }
    }
    return rows;
}();

}  // namespace

bool isValidUtf8(std::string_view s, bool* hasMultiByte) {
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    const std::size_t n = s.size();
    std::uint64_t state = 0;
    std::uint64_t high = 0;  // every byte OR'd together: was any above ASCII?
    std::size_t i = 0;
    for (; i + 16 <= n; i += 16) {
        std::uint64_t a = 0;
        std::uint64_t b = 0;
        std::memcpy(&a, p + i, 8);
        std::memcpy(&b, p + i + 8, 8);
        high |= a | b;
        if ((state & 63) == 0 && ((a | b) & 0x8080808080808080ULL) == 0) {
            continue;  // sixteen ASCII bytes between characters
        }
        for (std::size_t k = 0; k < 16; ++k) {
            state = kUtf8Rows[p[i + k]] >> (state & 63);
        }
        if ((state & 63) == std::uint64_t{kReject} * 6U) {
            break;
        }
    }
    for (; i < n && (state & 63) != std::uint64_t{kReject} * 6U; ++i) {
        high |= p[i];
        state = kUtf8Rows[p[i]] >> (state & 63);
    }
    const bool valid = (state & 63) == kAccept;
    if (hasMultiByte) {
        *hasMultiByte = (high & 0x8080808080808080ULL) != 0;
    }
    return valid;
}

DataEncoding detectDataEncoding(std::string_view bytes) {
    if (bytes.starts_with(kUtf8Bom)) {
        return DataEncoding::Utf8Bom;
    }
    bool multi = false;
    return isValidUtf8(bytes, &multi) && multi ? DataEncoding::Utf8 : DataEncoding::Windows1251;
}

bool ProfileLineReader::next(ProfileLine& line) {
    const std::size_t n = text_.size();
    if (pos_ >= n) {
        return false;
    }
    // As in the scan for one key: memchr for each line end, looked up again
    // only once the walk has passed it.
    auto findFrom = [&](char c) {
        const void* hit = std::memchr(text_.data() + pos_, c, n - pos_);
        return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - text_.data()) : n;
    };
    if (!primed_ || nextCr_ < pos_) {
        nextCr_ = findFrom('\r');
    }
    if (!primed_ || nextLf_ < pos_) {
        nextLf_ = findFrom('\n');
    }
    primed_ = true;
    const std::size_t end = nextCr_ < nextLf_ ? nextCr_ : nextLf_;
    std::string_view t = trim(text_.substr(pos_, end - pos_), isLineSpace);
    pos_ = end;
    if (pos_ < n && text_[pos_] == '\r') {
        ++pos_;
    }
    if (pos_ < n && text_[pos_] == '\n') {
        ++pos_;
    }
    line = ProfileLine{};
    line.number = ++number_;
    line.text = t;
    if (t.empty()) {
        line.kind = ProfileLine::Kind::Blank;
    } else if (t.front() == '[') {
        line.kind = ProfileLine::Kind::Section;
        std::string_view name = t.substr(1);
        if (const auto close = name.find(']'); close != std::string_view::npos) {
            name = name.substr(0, close);
        }
        line.name = trim(name, isLineSpace);
    } else if (const auto eq = t.find('='); eq != std::string_view::npos) {
        line.kind = ProfileLine::Kind::Key;
        line.name = rtrim(t.substr(0, eq), isLineSpace);
        line.rawValue = t.substr(eq + 1);
    } else {
        line.kind = ProfileLine::Kind::Other;
    }
    return true;
}

std::size_t profileCharCount(std::string_view text, DataEncoding encoding) {
    if (!isUtf8(encoding)) {
        return text.size();
    }
    std::size_t count = 0;
    for (std::size_t pos = 0; pos < text.size(); pos += utf8CharLength(text, pos)) {
        ++count;
    }
    return count;
}

std::string_view finishProfileValue(std::string_view v, DataEncoding encoding) {
    if (const auto nul = v.find('\0'); nul != std::string_view::npos) {
        v = v.substr(0, nul);
    }
    v = trim(v, isBlank);
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
        v = v.substr(1, v.size() - 2);
    }
    if (v.size() <= kMaxValueChars) {
        return v;  // fewer bytes than the cap means fewer characters too
    }
    if (!isUtf8(encoding)) {
        return v.substr(0, kMaxValueChars);
    }
    std::size_t pos = 0;
    for (std::size_t chars = 0; chars < kMaxValueChars && pos < v.size(); ++chars) {
        pos += utf8CharLength(v, pos);
    }
    return v.substr(0, pos);
}

bool profileNamesEqual(std::string_view a, std::string_view b, DataEncoding encoding) {
    if (!isUtf8(encoding)) {
        return cp1251EqualNoCase(a, b);
    }
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        const auto ca = static_cast<unsigned char>(a[i]);
        const auto cb = static_cast<unsigned char>(b[j]);
        if (ca < 0x80 && cb < 0x80) {
            if (cp1251Upper(ca) != cp1251Upper(cb)) {
                return false;
            }
            ++i;
            ++j;
            continue;
        }
        if (foldedUtf8Char(a, i) != foldedUtf8Char(b, j)) {
            return false;
        }
    }
    return i == a.size() && j == b.size();
}

std::string foldProfileName(std::string_view name, DataEncoding encoding) {
    std::string out;
    out.reserve(name.size());
    if (!isUtf8(encoding)) {
        for (char c : name) {
            out += static_cast<char>(cp1251Upper(static_cast<unsigned char>(c)));
        }
        return out;
    }
    for (std::size_t pos = 0; pos < name.size();) {
        const std::size_t start = pos;
        const char32_t c = foldedUtf8Char(name, pos);
        if (c >= 0x110000) {
            out += name[start];
        } else {
            appendUtf8(out, c);
        }
    }
    return out;
}

std::optional<std::string_view> findProfileValue(std::string_view bytes, std::string_view section,
                                                 std::string_view key, DataEncoding encoding) {
    bool inSection = false;
    bool seenSection = false;
    std::size_t pos = 0;
    const std::size_t n = bytes.size();
    // memchr finds line ends far faster than a byte loop; the next CR and the
    // next LF are each looked up again only once the scan has passed them.
    const char* data = bytes.data();
    auto findFrom = [&](char c, std::size_t from) {
        const void* hit = from < n ? std::memchr(data + from, c, n - from) : nullptr;
        return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - data) : n;
    };
    std::size_t nextCr = findFrom('\r', 0);
    std::size_t nextLf = findFrom('\n', 0);
    while (pos < n) {
        if (!inSection) {
            // Until the section starts only section lines matter: jump from
            // one "[" to the next and keep those that begin a line.
            std::size_t open = pos;
            for (;;) {
                const void* hit = open < n ? std::memchr(data + open, '[', n - open) : nullptr;
                if (hit == nullptr) {
                    return std::nullopt;
                }
                open = static_cast<std::size_t>(static_cast<const char*>(hit) - data);
                std::size_t start = open;
                while (start > pos && isLineSpace(data[start - 1])) {
                    --start;
                }
                if (start == pos || data[start - 1] == '\r' || data[start - 1] == '\n') {
                    pos = start;
                    break;
                }
                ++open;
            }
        }
        if (nextCr < pos) {
            nextCr = findFrom('\r', pos);
        }
        if (nextLf < pos) {
            nextLf = findFrom('\n', pos);
        }
        const std::size_t end = nextCr < nextLf ? nextCr : nextLf;
        std::string_view line = bytes.substr(pos, end - pos);
        pos = end;
        if (pos < n && bytes[pos] == '\r') {
            ++pos;
        }
        if (pos < n && bytes[pos] == '\n') {
            ++pos;
        }
        while (!line.empty() && isLineSpace(line.front())) {
            line.remove_prefix(1);
        }
        // Outside the wanted section only a section line matters, so skip
        // the rest before trimming its end.
        if (line.empty() || (!inSection && line.front() != '[')) {
            continue;
        }
        line = rtrim(line, isLineSpace);
        if (line.front() == '[') {
            if (inSection) {
                // Only the first section of the name is searched.
                return std::nullopt;
            }
            std::string_view name = line.substr(1);
            if (const auto close = name.find(']'); close != std::string_view::npos) {
                name = name.substr(0, close);
            }
            if (!seenSection && profileNamesEqual(trim(name, isLineSpace), section, encoding)) {
                inSection = true;
                seenSection = true;
            }
            continue;
        }
        const auto eq = line.find('=');
        if (eq == std::string_view::npos) {
            continue;
        }
        if (profileNamesEqual(rtrim(line.substr(0, eq), isLineSpace), key, encoding)) {
            return finishProfileValue(line.substr(eq + 1), encoding);
        }
    }
    return std::nullopt;
}

IniSnapshot::IniSnapshot(std::string bytes)
    : status_(ReadStatus::Ok),
      encoding_(detectDataEncoding(bytes)),
      bytes_(std::make_shared<const std::string>(std::move(bytes))),
      bodyOffset_(encoding_ == DataEncoding::Utf8Bom ? kUtf8Bom.size() : 0) {}

IniSnapshot IniSnapshot::readFile(const std::string& path) {
    FileBytes read = readRegularFile(path, kMaxDataFileBytes);
    if (read.status != ReadStatus::Ok) {
        IniSnapshot none;
        none.status_ = read.status;
        return none;
    }
    return IniSnapshot(std::move(read.bytes));
}

std::string_view IniSnapshot::text() const {
    return bytes_ ? std::string_view(*bytes_).substr(bodyOffset_) : std::string_view();
}

std::string IniSnapshot::toUtf8(std::string_view s) const {
    if (!isUtf8(encoding_)) {
        return cp1251ToUtf8(s);
    }
    std::string out;
    out.reserve(s.size());
    for (std::size_t pos = 0; pos < s.size();) {
        const std::size_t start = pos;
        if (decodeUtf8(s, pos)) {
            out.append(s.substr(start, pos - start));
        } else {
            out += "\xEF\xBF\xBD";
            pos = start + 1;
        }
    }
    return out;
}

std::optional<std::string> IniSnapshot::fromUtf8(std::string_view utf8) const {
    if (isUtf8(encoding_)) {
        return std::string(utf8);
    }
    return utf8ToCp1251(utf8);
}

std::optional<std::string> IniSnapshot::value(std::string_view section, std::string_view key) const {
    if (!bytes_) {
        return std::nullopt;
    }
    const auto s = fromUtf8(section);
    const auto k = fromUtf8(key);
    if (!s || !k) {
        return std::nullopt;
    }
    if (const auto v = findProfileValue(text(), *s, *k, encoding_)) {
        return toUtf8(*v);
    }
    return std::nullopt;
}

IniSection IniSnapshot::section(std::string_view name) const {
    IniSection result;
    result.file_ = *this;
    const auto wanted = fromUtf8(name);
    if (!bytes_ || !wanted) {
        return result;
    }
    ProfileLineReader lines(text());
    ProfileLine line;
    // Only the first section of the name is searched.
    while (!result.exists_ && lines.next(line)) {
        result.exists_ = line.kind == ProfileLine::Kind::Section && profileNamesEqual(line.name, *wanted, encoding_);
    }
    struct Numbered {
        std::uint64_t number;
        std::string_view name, value;
    };
    std::vector<Numbered> numbered;
    while (result.exists_ && lines.next(line) && line.kind != ProfileLine::Kind::Section) {
        if (line.kind != ProfileLine::Kind::Key) {
            continue;
        }
        const std::string_view value = finishProfileValue(line.rawValue, encoding_);
        if (const auto n = plainNumber(line.name)) {
            numbered.push_back({*n, line.name, value});
        } else if (result.keys_.try_emplace(foldProfileName(line.name, encoding_), value).second) {
            ++result.size_;  // the first key of a name wins
        }
    }
    // Numbers below the count go by index, the rest by name; either way in
    // file order, so the first key of a number wins.
    result.byNumber_.resize(numbered.size());
    for (const Numbered& k : numbered) {
        if (k.number >= numbered.size()) {
            result.size_ += result.keys_.try_emplace(std::string(k.name), k.value).second;
        } else if (auto& slot = result.byNumber_[k.number]; !slot) {
            slot = k.value;
            ++result.size_;
        }
    }
    return result;
}

std::optional<std::string_view> IniSection::find(std::string_view key) const {
    if (const auto n = plainNumber(key)) {
        if (*n < byNumber_.size()) {
            return byNumber_[*n];
        }
        const auto it = keys_.find(std::string(key));
        return it == keys_.end() ? std::nullopt : std::optional(it->second);
    }
    const auto k = file_.fromUtf8(key);
    if (!k) {
        return std::nullopt;
    }
    const auto it = keys_.find(foldProfileName(*k, file_.encoding()));
    return it == keys_.end() ? std::nullopt : std::optional(it->second);
}

std::optional<std::string> IniSection::value(std::string_view key) const {
    const auto v = find(key);
    return v ? std::optional(file_.toUtf8(*v)) : std::nullopt;
}

std::string TIniFile::ReadString(std::string_view section, std::string_view ident,
                                 std::string_view defaultValue) const {
    try {
        if (auto v = Read().value(section, ident)) {
            return std::move(*v);
        }
        return trimDefault(defaultValue);
    } catch (...) {
        return {};
    }
}

}  // namespace mnemora
