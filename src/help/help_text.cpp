#include "help/help_text.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

#include "core/cp1251.h"

namespace mnemora {

namespace {

std::string lower(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

bool validUtf8(std::string_view s) {
    std::size_t pos = 0;
    while (pos < s.size()) {
        if (!decodeUtf8(s, pos)) {
            return false;
        }
    }
    return true;
}

std::string latin1ToUtf8(std::string_view s) {
    std::string out;
    for (unsigned char c : s) {
        appendUtf8(out, c);
    }
    return out;
}

// The value of attribute `name` in a tag's text, quotes removed.
std::string attribute(std::string_view tag, std::string_view name) {
    const std::string low = lower(tag);
    std::size_t at = 0;
    while ((at = low.find(name, at)) != std::string::npos) {
        const bool startsWord = at == 0 || !std::isalnum(static_cast<unsigned char>(low[at - 1]));
        std::size_t p = at + name.size();
        while (p < low.size() && std::isspace(static_cast<unsigned char>(low[p]))) {
            ++p;
        }
        if (startsWord && p < low.size() && low[p] == '=') {
            ++p;
            while (p < low.size() && std::isspace(static_cast<unsigned char>(low[p]))) {
                ++p;
            }
            if (p < tag.size() && (tag[p] == '"' || tag[p] == '\'')) {
                const char quote = tag[p];
                const std::size_t end = tag.find(quote, p + 1);
                return std::string(tag.substr(p + 1, (end == std::string_view::npos ? tag.size() : end) - p - 1));
            }
            std::size_t end = p;
            while (end < tag.size() && !std::isspace(static_cast<unsigned char>(tag[end])) && tag[end] != '>') {
                ++end;
            }
            return std::string(tag.substr(p, end - p));
        }
        at += name.size();
    }
    return {};
}

// Cuts UTF-8 text to at most `limit` bytes without splitting a character.
void cutUtf8(std::string& text, std::size_t limit) {
    if (text.size() <= limit) {
        return;
    }
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
        --end;
    }
    text.resize(end);
}

// The tag's name in lower case ("ul", "/ul", "object"), at most 16 characters.
std::string tagName(std::string_view tag) {
    std::string name;
    for (std::size_t i = 0; i < tag.size() && name.size() < 16; ++i) {
        const auto c = static_cast<unsigned char>(tag[i]);
        if (!(std::isalnum(c) || (i == 0 && c == '/') || c == '!' || c == '-')) {
            break;
        }
        name.push_back(static_cast<char>(std::tolower(c)));
    }
    return name;
}

// Calls visit(tag text between "<" and ">") for each tag, in order; a comment
// is skipped whole. Stops when visit returns false or a tag is not closed.
template <typename Visit>
void forEachTag(std::string_view text, Visit visit) {
    std::size_t pos = 0;
    while ((pos = text.find('<', pos)) != std::string_view::npos) {
        if (text.substr(pos, 4) == "<!--") {
            const std::size_t close = text.find("-->", pos + 4);
            if (close == std::string_view::npos) {
                return;
            }
            pos = close + 3;
            continue;
        }
        const std::size_t end = text.find('>', pos);
        if (end == std::string_view::npos) {
            return;
        }
        if (!visit(text.substr(pos + 1, end - pos - 1))) {
            return;
        }
        pos = end + 1;
    }
}

}  // namespace

std::string declaredCharset(std::string_view page) {
    const std::string head = lower(page.substr(0, 4096));
    const std::size_t at = head.find("charset");
    if (at == std::string::npos) {
        return {};
    }
    std::size_t p = at + 7;
    while (p < head.size() && (std::isspace(static_cast<unsigned char>(head[p])) || head[p] == '=' ||
                               head[p] == '"' || head[p] == '\'')) {
        ++p;
    }
    std::size_t end = p;
    while (end < head.size() && (std::isalnum(static_cast<unsigned char>(head[end])) || head[end] == '-' ||
                                 head[end] == '_')) {
        ++end;
    }
    return head.substr(p, end - p);
}

std::string decodeHelpText(std::string_view bytes) {
    const std::string charset = declaredCharset(bytes);
    if (charset == "windows-1251" || charset == "cp1251" || charset == "x-cp1251") {
        return cp1251ToUtf8(bytes);
    }
    if (charset == "iso-8859-1" || charset == "latin1") {
        return latin1ToUtf8(bytes);
    }
    if (validUtf8(bytes)) {
        return std::string(bytes);
    }
    return cp1251ToUtf8(bytes);
}

std::string decodeEntities(std::string_view text) {
    static const std::pair<std::string_view, std::string_view> kNamed[] = {
        {"amp", "&"}, {"lt", "<"}, {"gt", ">"}, {"quot", "\""}, {"apos", "'"}, {"nbsp", "\u00A0"}};
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t amp = text.find('&', pos);
        out.append(text.substr(pos, amp - pos));
        if (amp == std::string_view::npos) {
            break;
        }
        pos = amp + 1;
        const std::size_t semi = text.find(';', amp);
        // A reference is short; a lone "&" is kept as it is.
        if (semi == std::string_view::npos || semi - amp > 10) {
            out.push_back('&');
            continue;
        }
        const std::string_view ref = text.substr(amp + 1, semi - amp - 1);
        bool decoded = false;
        if (ref.size() > 1 && ref[0] == '#') {
            const bool hex = ref[1] == 'x' || ref[1] == 'X';
            const std::string_view digits = ref.substr(hex ? 2 : 1);
            char32_t cp = 0;
            bool ok = !digits.empty();
            for (char c : digits) {
                const int d = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                              : hex && std::isxdigit(static_cast<unsigned char>(c))
                                  ? std::tolower(static_cast<unsigned char>(c)) - 'a' + 10
                                  : -1;
                if (d < 0 || cp > 0x10FFFF) {
                    ok = false;
                    break;
                }
                cp = cp * (hex ? 16 : 10) + static_cast<char32_t>(d);
            }
            if (ok && cp != 0 && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF)) {
                appendUtf8(out, cp);
                decoded = true;
            }
        } else {
            for (const auto& [name, value] : kNamed) {
                if (ref == name) {
                    out.append(value);
                    decoded = true;
                    break;
                }
            }
        }
        if (decoded) {
            pos = semi + 1;
        } else {
            out.push_back('&');
        }
    }
    return out;
}

std::vector<ContentsEntry> parseContents(std::string_view hhc) {
    const std::string text = decodeHelpText(hhc.substr(0, kMaxContentsBytes));
    std::vector<ContentsEntry> entries;
    // One frame for each open list: the depth its entries get, and whether it
    // has an entry yet for an inner list to hang under.
    struct List {
        int depth;
        bool hasEntries;
    };
    std::vector<List> lists{{0, false}};
    int ulDepth = 0;
    bool inObject = false;
    ContentsEntry current;
    forEachTag(text, [&](std::string_view tag) {
        const std::string name = tagName(tag);
        if (name == "ul") {
            ++ulDepth;
            if (ulDepth > 1) {
                const List& outer = lists.back();
                // A list with no entry above it adds no level; nor does one
                // past the deepest level kept.
                const bool nests = outer.hasEntries && outer.depth < kMaxContentsDepth;
                lists.push_back({nests ? outer.depth + 1 : outer.depth, false});
            }
        } else if (name == "/ul") {
            if (ulDepth > 1 && lists.size() > 1) {
                const List inner = lists.back();
                lists.pop_back();
                if (inner.depth == lists.back().depth && inner.hasEntries) {
                    lists.back().hasEntries = true;  // it was the same level all along
                }
            }
            ulDepth = std::max(0, ulDepth - 1);
        } else if (name == "object") {
            inObject = attribute(tag, "type").find("sitemap") != std::string::npos;
            current = ContentsEntry{};
        } else if (name == "param" && inObject) {
            const std::string param = lower(attribute(tag, "name"));
            if (param == "name" && current.name.empty()) {
                current.name = decodeEntities(attribute(tag, "value"));
                cutUtf8(current.name, kMaxContentsNameBytes);
            } else if (param == "local" && current.local.empty()) {
                current.local = attribute(tag, "value");
            }
        } else if (name == "/object" && inObject) {
            inObject = false;
            if (!current.name.empty() || !current.local.empty()) {
                current.depth = lists.back().depth;
                lists.back().hasEntries = true;
                entries.push_back(std::move(current));
                current = ContentsEntry{};
                if (entries.size() >= kMaxContentsEntries) {
                    return false;
                }
            }
        }
        return true;
    });
    return entries;
}

bool styleWithinBounds(std::string_view css) {
    // Pixels for each unit, roughly; other units (seconds, degrees) are no lengths.
    static const std::pair<std::string_view, double> kUnits[] = {
        {"", 1},    {"px", 1},  {"pt", 4.0 / 3}, {"pc", 16}, {"in", 96},  {"cm", 37.8}, {"mm", 3.78},
        {"q", 0.95}, {"em", 16}, {"rem", 16},     {"ex", 8},  {"ch", 8},   {"%", 1},     {"vw", 10},
        {"vh", 10}, {"vmin", 10}, {"vmax", 10}};
    std::string property;  // the one whose value is being read
    std::size_t pos = 0;
    while (pos < css.size()) {
        const auto c = static_cast<unsigned char>(css[pos]);
        if (c == ':') {
            std::size_t start = pos;
            while (start > 0 && (std::isalpha(static_cast<unsigned char>(css[start - 1])) || css[start - 1] == '-')) {
                --start;
            }
            property = lower(css.substr(start, pos - start));
        } else if (c == ';' || c == '{' || c == '}') {
            property.clear();
        }
        const bool startsNumber = std::isdigit(c) || (c == '.' && pos + 1 < css.size() &&
                                                      std::isdigit(static_cast<unsigned char>(css[pos + 1])));
        const auto before = pos == 0 ? ' ' : static_cast<unsigned char>(css[pos - 1]);
        // Digits inside a name, a colour ("#123456") or a longer number are no length of their own.
        if (!startsNumber || std::isalnum(before) || before == '#' || before == '_' || before == '.') {
            ++pos;
            continue;
        }
        double value = 0;
        bool fraction = false;
        double scale = 1;
        while (pos < css.size() && (std::isdigit(static_cast<unsigned char>(css[pos])) || (css[pos] == '.' && !fraction))) {
            if (css[pos] == '.') {
                fraction = true;
            } else if (fraction) {
                scale /= 10;
                value += (css[pos] - '0') * scale;
            } else if (value < 1e12) {
                value = value * 10 + (css[pos] - '0');
            }
            ++pos;
        }
        // An exponent ("1e6px") where a reader takes one.
        if (pos + 1 < css.size() && (css[pos] == 'e' || css[pos] == 'E')) {
            std::size_t digits = pos + 1;
            if (css[digits] == '+' || css[digits] == '-') {
                ++digits;
            }
            if (digits < css.size() && std::isdigit(static_cast<unsigned char>(css[digits]))) {
                const bool negative = css[pos + 1] == '-';
                int exponent = 0;
                for (pos = digits; pos < css.size() && std::isdigit(static_cast<unsigned char>(css[pos])); ++pos) {
                    exponent = std::min(exponent * 10 + (css[pos] - '0'), 100);
                }
                value = negative ? 0 : value * std::pow(10.0, exponent);
            }
        }
        std::string unit;
        while (pos < css.size() && (std::isalpha(static_cast<unsigned char>(css[pos])) || css[pos] == '%') &&
               unit.size() < 8) {
            unit.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(css[pos]))));
            ++pos;
        }
        // A line height without a unit is a multiple of the font's size.
        const double bare = property == "line-height" ? 16 : 1;
        for (const auto& [name, pixels] : kUnits) {
            if (unit == name && value * (name.empty() ? bare : pixels) > kMaxLayoutLength) {
                return false;
            }
        }
    }
    return true;
}

PreparedPage preparePage(std::string_view bytes) {
    PreparedPage page;
    if (bytes.size() > kMaxPageBytes) {
        page.refusal = PageRefusal::TooLarge;
        return page;
    }
    static constexpr std::string_view kBlocks[] = {"table", "ul", "ol", "dl", "blockquote", "div"};
    // Attributes that size what they sit on, and those that span cells.
    static constexpr std::string_view kSizes[] = {"width",  "height", "size",        "border",      "cellpadding",
                                                  "cellspacing", "hspace", "vspace", "marginwidth", "marginheight"};
    static constexpr std::string_view kSpans[] = {"colspan", "rowspan"};
    auto isBlock = [](std::string_view name) {
        return std::find(std::begin(kBlocks), std::end(kBlocks), name) != std::end(kBlocks);
    };
    auto refuse = [&](PageRefusal why) {
        page.refusal = why;
        return page;
    };
    std::size_t tags = 0;
    std::size_t images = 0;
    std::size_t run = 0;
    int depth = 0;
    std::vector<bool> openBlocks;  // each open block: is it a table?
    int tables = 0;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        const char c = bytes[pos];
        if (c != '<') {
            run = std::isspace(static_cast<unsigned char>(c)) ? 0 : run + 1;
            if (run > kMaxUnbrokenText) {
                return refuse(PageRefusal::TooWide);
            }
            ++pos;
            continue;
        }
        if (bytes.substr(pos, 4) == "<!--") {
            const std::size_t close = bytes.find("-->", pos + 4);
            pos = close == std::string_view::npos ? bytes.size() : close + 3;
            continue;
        }
        const std::size_t end = bytes.find('>', pos);
        if (end == std::string_view::npos) {
            break;  // the rest is one unfinished tag
        }
        const std::string_view tag = bytes.substr(pos + 1, end - pos - 1);
        pos = end + 1;
        if (++tags > kMaxPageTags) {
            return refuse(PageRefusal::TooManyTags);
        }
        const std::string name = tagName(tag);
        if (name == "img" && ++images > kMaxPageImages) {
            return refuse(PageRefusal::TooManyTags);
        }
        if (!name.empty() && name[0] == '/') {
            if (isBlock(std::string_view(name).substr(1)) && depth > 0) {
                --depth;
                tables -= openBlocks.back() ? 1 : 0;
                openBlocks.pop_back();
            }
            continue;
        }
        const bool selfClosing = !tag.empty() && tag.back() == '/';
        if (isBlock(name) && !selfClosing) {
            const bool table = name == "table";
            openBlocks.push_back(table);
            tables += table ? 1 : 0;
            if (++depth > kMaxPageNesting || tables > kMaxTableNesting) {
                return refuse(PageRefusal::TooDeep);
            }
        }
        for (std::string_view size : kSizes) {
            if (!styleWithinBounds(attribute(tag, size))) {
                return refuse(PageRefusal::TooWide);
            }
        }
        for (std::string_view span : kSpans) {
            const std::string value = attribute(tag, span);
            if (value.find_first_not_of(" 0") != std::string::npos &&
                (value.size() > 4 || std::atoi(value.c_str()) > kMaxCellSpan)) {
                return refuse(PageRefusal::TooWide);
            }
        }
        if (!styleWithinBounds(attribute(tag, "style"))) {
            return refuse(PageRefusal::TooWide);
        }
        if (name == "style") {
            std::size_t close = pos;
            while ((close = bytes.find("</", close)) != std::string_view::npos && tagName(bytes.substr(close + 1, 7)) != "/style") {
                close += 2;
            }
            close = std::min(close, bytes.size());
            if (!styleWithinBounds(bytes.substr(pos, close - pos))) {
                return refuse(PageRefusal::TooWide);
            }
            pos = close;
        }
    }
    page.html = decodeHelpText(bytes);
    return page;
}

}  // namespace mnemora
