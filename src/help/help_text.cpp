#include "help/help_text.h"

#include <algorithm>
#include <cctype>

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

std::string decodeEntities(std::string text) {
    static const std::pair<std::string_view, std::string_view> kEntities[] = {
        {"&amp;", "&"}, {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&#39;", "'"}};
    for (const auto& [from, to] : kEntities) {
        for (std::size_t p = 0; (p = text.find(from, p)) != std::string::npos; p += to.size()) {
            text.replace(p, from.size(), to);
        }
    }
    return text;
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

std::vector<ContentsNode> parseContents(std::string_view hhc) {
    const std::string text = decodeHelpText(hhc);
    std::vector<ContentsNode> roots;
    // The list each new entry goes into: the roots, or the children of the
    // entry an inner <UL> opened under.
    std::vector<std::vector<ContentsNode>*> lists{&roots};
    bool inObject = false;
    ContentsNode current;
    std::size_t pos = 0;
    int depth = 0;
    while ((pos = text.find('<', pos)) != std::string::npos) {
        const std::size_t end = text.find('>', pos);
        if (end == std::string::npos) {
            break;
        }
        const std::string_view tag = std::string_view(text).substr(pos + 1, end - pos - 1);
        const std::string low = lower(tag.substr(0, std::min<std::size_t>(tag.size(), 16)));
        pos = end + 1;
        if (low.starts_with("ul")) {
            ++depth;
            if (depth > 1 && !lists.back()->empty()) {
                lists.push_back(&lists.back()->back().children);
            } else if (depth > 1) {
                lists.push_back(lists.back());  // a list with no entry above it: flatten
            }
        } else if (low.starts_with("/ul")) {
            if (depth > 1 && lists.size() > 1) {
                lists.pop_back();
            }
            depth = std::max(0, depth - 1);
        } else if (low.starts_with("object")) {
            inObject = attribute(tag, "type").find("sitemap") != std::string::npos;
            current = ContentsNode{};
        } else if (low.starts_with("param") && inObject) {
            const std::string name = lower(attribute(tag, "name"));
            if (name == "name" && current.name.empty()) {
                current.name = decodeEntities(attribute(tag, "value"));
            } else if (name == "local" && current.local.empty()) {
                current.local = attribute(tag, "value");
            }
        } else if (low.starts_with("/object") && inObject) {
            inObject = false;
            if (!current.name.empty() || !current.local.empty()) {
                lists.back()->push_back(std::move(current));
            }
        }
    }
    return roots;
}

}  // namespace mnemora
