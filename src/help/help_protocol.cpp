#include "help/help_protocol.h"

#include <charconv>
#include <vector>

namespace mnemora {

namespace {

constexpr char kHex[] = "0123456789ABCDEF";

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

// The line's fields split at single spaces; a trailing "\n" is dropped.
std::vector<std::string_view> fields(std::string_view line) {
    if (!line.empty() && line.back() == '\n') {
        line.remove_suffix(1);
    }
    std::vector<std::string_view> out;
    while (true) {
        const std::size_t space = line.find(' ');
        out.push_back(line.substr(0, space));
        if (space == std::string_view::npos) {
            break;
        }
        line.remove_prefix(space + 1);
    }
    return out;
}

template <typename T>
std::optional<T> number(std::string_view field) {
    T value{};
    const char* end = field.data() + field.size();
    const auto [ptr, ec] = std::from_chars(field.data(), end, value);
    if (field.empty() || ec != std::errc() || ptr != end) {
        return std::nullopt;
    }
    return value;
}

const char* replyWord(ViewerReplyKind kind) {
    switch (kind) {
        case ViewerReplyKind::Shown:
            return "shown";
        case ViewerReplyKind::Error:
            return "error";
        case ViewerReplyKind::Notice:
            return "notice";
        case ViewerReplyKind::Page:
            return "page";
        case ViewerReplyKind::Stalled:
            return "stalled";
        case ViewerReplyKind::Crashed:
            return "crashed";
    }
    return "";
}

}  // namespace

std::string escapeField(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c <= 0x20 || c == '%' || c == 0x7F) {
            out.push_back('%');
            out.push_back(kHex[c >> 4]);
            out.push_back(kHex[c & 0x0F]);
        } else {
            out.push_back(ch);
        }
    }
    return out;
}

std::optional<std::string> unescapeField(std::string_view field) {
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        const auto c = static_cast<unsigned char>(field[i]);
        if (c <= 0x20 || c == 0x7F) {
            return std::nullopt;
        }
        if (c != '%') {
            out.push_back(field[i]);
            continue;
        }
        if (i + 2 >= field.size()) {
            return std::nullopt;
        }
        const int high = hexValue(field[i + 1]);
        const int low = hexValue(field[i + 2]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        out.push_back(static_cast<char>(high * 16 + low));
        i += 2;
    }
    return out;
}

std::string encodeShowRequest(const ShowRequest& r) {
    std::string line = "show " + std::to_string(r.seq) + " " + std::to_string(r.context);
    for (const HelpRect& rect : {r.nearFrame, r.nearInner}) {
        for (int v : {rect.x, rect.y, rect.width, rect.height}) {
            line += " " + std::to_string(v);
        }
    }
    return line + " " + escapeField(r.file) + "\n";
}

std::optional<ShowRequest> parseShowRequest(std::string_view line) {
    const auto f = fields(line);
    if (f.size() != 12 || f[0] != "show") {
        return std::nullopt;
    }
    ShowRequest request;
    const auto seq = number<std::uint64_t>(f[1]);
    const auto context = number<std::int32_t>(f[2]);
    int values[8] = {};
    for (std::size_t i = 0; i < 8; ++i) {
        const auto v = number<int>(f[3 + i]);
        if (!v) {
            return std::nullopt;
        }
        values[i] = *v;
    }
    auto file = unescapeField(f[11]);
    if (!seq || !context || !file || file->empty()) {
        return std::nullopt;
    }
    request.seq = *seq;
    request.context = *context;
    request.nearFrame = {values[0], values[1], values[2], values[3]};
    request.nearInner = {values[4], values[5], values[6], values[7]};
    request.file = std::move(*file);
    return request;
}

ViewerReply malformedRequestReply(std::string_view line) {
    const auto f = fields(line);
    const auto seq = f.size() >= 2 && f[0] == "show" ? number<std::uint64_t>(f[1]) : std::nullopt;
    return {ViewerReplyKind::Error, seq.value_or(0), "Окно справки получило запрос, которого не понимает"};
}

std::uint64_t replySeqOf(std::string_view lineStart) {
    const auto f = fields(lineStart.substr(0, lineStart.find('\n')));
    if (f.size() < 2 || (f[0] != "shown" && f[0] != "error" && f[0] != "notice")) {
        return 0;
    }
    return number<std::uint64_t>(f[1]).value_or(0);
}

std::string encodeViewerReply(const ViewerReply& reply) {
    std::string line = replyWord(reply.kind);
    switch (reply.kind) {
        case ViewerReplyKind::Shown:
        case ViewerReplyKind::Error:
        case ViewerReplyKind::Notice:
            line += " " + std::to_string(reply.seq) + " " + escapeField(reply.text);
            break;
        case ViewerReplyKind::Page:
            line += " " + escapeField(reply.text);
            break;
        case ViewerReplyKind::Stalled:
        case ViewerReplyKind::Crashed:
            break;
    }
    return line + "\n";
}

std::optional<ViewerReply> parseViewerReply(std::string_view line) {
    const auto f = fields(line);
    ViewerReply reply;
    if (f.size() == 1 && (f[0] == "stalled" || f[0] == "crashed")) {
        reply.kind = f[0] == "stalled" ? ViewerReplyKind::Stalled : ViewerReplyKind::Crashed;
        return reply;
    }
    if (f[0] == "page" && f.size() == 2) {
        auto text = unescapeField(f[1]);
        if (!text) {
            return std::nullopt;
        }
        reply.kind = ViewerReplyKind::Page;
        reply.text = std::move(*text);
        return reply;
    }
    if (f.size() != 3) {
        return std::nullopt;
    }
    if (f[0] == "shown") {
        reply.kind = ViewerReplyKind::Shown;
    } else if (f[0] == "error") {
        reply.kind = ViewerReplyKind::Error;
    } else if (f[0] == "notice") {
        reply.kind = ViewerReplyKind::Notice;
    } else {
        return std::nullopt;
    }
    const auto seq = number<std::uint64_t>(f[1]);
    auto text = unescapeField(f[2]);
    if (!seq || !text) {
        return std::nullopt;
    }
    reply.seq = *seq;
    reply.text = std::move(*text);
    return reply;
}

}  // namespace mnemora
