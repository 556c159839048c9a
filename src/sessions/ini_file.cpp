#include "sessions/ini_file.h"

#include <cstring>
#include <filesystem>

#include <cstdio>
#include <memory>

#include "core/cp1251.h"

namespace mnemora {
namespace {

// The platform's reader fills a buffer of 2048 including the terminator.
constexpr std::size_t kMaxValueBytes = 2047;


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

std::string finishValue(std::string_view v) {
    if (const auto nul = v.find('\0'); nul != std::string_view::npos) {
        v = v.substr(0, nul);
    }
    v = trim(v, isBlank);
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
        v = v.substr(1, v.size() - 2);
    }
    if (v.size() > kMaxValueBytes) {
        v = v.substr(0, kMaxValueBytes);
    }
    return std::string(v);
}

std::string trimDefault(std::string_view d) { return std::string(rtrim(d, [](char c) { return c == ' '; })); }

}  // namespace

std::optional<std::string> findProfileValue(std::string_view bytes, std::string_view section,
                                            std::string_view key) {
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
            if (!seenSection && cp1251EqualNoCase(trim(name, isLineSpace), section)) {
                inSection = true;
                seenSection = true;
            }
            continue;
        }
        if (!inSection) {
            continue;
        }
        const auto eq = line.find('=');
        if (eq == std::string_view::npos) {
            continue;
        }
        if (cp1251EqualNoCase(rtrim(line.substr(0, eq), isLineSpace), key)) {
            return finishValue(line.substr(eq + 1));
        }
    }
    return std::nullopt;
}

std::string TIniFile::ReadString(std::string_view section, std::string_view ident,
                                 std::string_view defaultValue) const {
    try {
        const auto section1251 = utf8ToCp1251(section);
        const auto ident1251 = utf8ToCp1251(ident);
        if (!section1251 || !ident1251) {
            return trimDefault(defaultValue);
        }
        std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(path_.c_str(), "rb"), &std::fclose);
        if (!f) {
            return trimDefault(defaultValue);
        }
        // One read into a buffer of the file's size; a file that grows
        // meanwhile is read on in chunks.
        std::string bytes;
        std::error_code ec;
        const auto size = std::filesystem::file_size(path_, ec);
        if (!ec && size < (std::size_t{1} << 31)) {
            bytes.resize(static_cast<std::size_t>(size));
            bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f.get()));
        }
        char buf[65536];
        std::size_t got = 0;
        while ((got = std::fread(buf, 1, sizeof buf, f.get())) > 0) {
            bytes.append(buf, got);
        }
        if (std::ferror(f.get())) {
            return trimDefault(defaultValue);
        }
        if (auto v = findProfileValue(bytes, *section1251, *ident1251)) {
            return cp1251ToUtf8(*v);
        }
        return trimDefault(defaultValue);
    } catch (...) {
        return std::string();
    }
}

}  // namespace mnemora
