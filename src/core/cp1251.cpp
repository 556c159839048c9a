#include "core/cp1251.h"

#include <array>

#include "core/error.h"

namespace mnemora {
namespace {

// Characters of bytes 0x80 to 0xBF; 0xC0 to 0xFF are U+0410 to U+044F in order.
constexpr std::array<char16_t, 64> kHigh = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
};

}  // namespace

char32_t cp1251ToCodePoint(unsigned char byte) {
    if (byte < 0x80) {
        return byte;
    }
    if (byte >= 0xC0) {
        return 0x0410 + (byte - 0xC0);
    }
    return kHigh[byte - 0x80];
}

std::optional<unsigned char> codePointToCp1251(char32_t cp) {
    if (cp < 0x80) {
        return static_cast<unsigned char>(cp);
    }
    if (cp >= 0x0410 && cp <= 0x044F) {
        return static_cast<unsigned char>(0xC0 + (cp - 0x0410));
    }
    for (std::size_t i = 0; i < kHigh.size(); ++i) {
        if (kHigh[i] == cp) {
            return static_cast<unsigned char>(0x80 + i);
        }
    }
    return std::nullopt;
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::optional<char32_t> decodeUtf8(std::string_view s, std::size_t& pos) {
    if (pos >= s.size()) {
        return std::nullopt;
    }
    const auto b0 = static_cast<unsigned char>(s[pos]);
    int extra = 0;
    char32_t cp = 0;
    char32_t min = 0;
    if (b0 < 0x80) {
        ++pos;
        return b0;
    } else if ((b0 & 0xE0) == 0xC0) {
        extra = 1, cp = b0 & 0x1F, min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        extra = 2, cp = b0 & 0x0F, min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        extra = 3, cp = b0 & 0x07, min = 0x10000;
    } else {
        return std::nullopt;
    }
    if (pos + extra >= s.size()) {
        return std::nullopt;
    }
    for (int i = 1; i <= extra; ++i) {
        const auto b = static_cast<unsigned char>(s[pos + i]);
        if ((b & 0xC0) != 0x80) {
            return std::nullopt;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        return std::nullopt;
    }
    pos += extra + 1;
    return cp;
}

std::string cp1251ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (char c : bytes) {
        appendUtf8(out, cp1251ToCodePoint(static_cast<unsigned char>(c)));
    }
    return out;
}

std::optional<std::string> utf8ToCp1251(std::string_view utf8, std::size_t* badOffset) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const std::size_t start = pos;
        const auto cp = decodeUtf8(utf8, pos);
        const auto byte = cp ? codePointToCp1251(*cp) : std::nullopt;
        if (!byte) {
            if (badOffset) {
                *badOffset = start;
            }
            return std::nullopt;
        }
        out += static_cast<char>(*byte);
    }
    return out;
}

std::string utf8ToCp1251OrThrow(std::string_view utf8) {
    std::size_t bad = 0;
    auto bytes = utf8ToCp1251(utf8, &bad);
    if (!bytes) {
        std::size_t end = bad;
        const bool valid = decodeUtf8(utf8, end).has_value();
        throw EncodingError(valid ? "The character \"" + std::string(utf8.substr(bad, end - bad)) +
                                        "\" cannot be written in the Cyrillic code page"
                                  : std::string("The text is not valid UTF-8"));
    }
    return *bytes;
}

bool isCp1251Text(std::string_view utf8) { return utf8ToCp1251(utf8).has_value(); }

unsigned char cp1251Upper(unsigned char b) {
    if (b >= 'a' && b <= 'z') {
        return static_cast<unsigned char>(b - 0x20);
    }
    if (b >= 0xE0) {
        return static_cast<unsigned char>(b - 0x20);
    }
    switch (b) {
        case 0x90: return 0x80;  // ђ
        case 0x83: return 0x81;  // ѓ
        case 0x9A: return 0x8A;  // љ
        case 0x9C: return 0x8C;  // њ
        case 0x9D: return 0x8D;  // ќ
        case 0x9E: return 0x8E;  // ћ
        case 0x9F: return 0x8F;  // џ
        case 0xA2: return 0xA1;  // ў
        case 0xBC: return 0xA3;  // ј
        case 0xB4: return 0xA5;  // ґ
        case 0xB8: return 0xA8;  // ё
        case 0xBA: return 0xAA;  // є
        case 0xBF: return 0xAF;  // ї
        case 0xB3: return 0xB2;  // і
        case 0xBE: return 0xBD;  // ѕ
        default: return b;
    }
}

bool cp1251EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (cp1251Upper(static_cast<unsigned char>(a[i])) !=
            cp1251Upper(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

}  // namespace mnemora
