#include "help/help_map.h"

#include <algorithm>
#include <cstddef>

namespace mnemora {

namespace {

constexpr std::size_t kMapHeaderSize = 4;
constexpr std::size_t kMapRecordSize = 8;
constexpr std::size_t kSystemVersionSize = 4;
constexpr std::size_t kSystemRecordHeaderSize = 4;
constexpr std::uint16_t kSystemContentsFile = 0;
constexpr std::uint16_t kSystemDefaultTopic = 2;

// Callers check that the bytes are there.
std::uint32_t readU32(std::string_view bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    }
    return value;
}

std::uint16_t readU16(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                      (static_cast<unsigned char>(bytes[at + 1]) << 8));
}

// The NUL-terminated name at `offset`; nothing when it does not end inside
// the table or is empty.
std::optional<std::string> nameAt(std::string_view strings, std::uint32_t offset) {
    if (offset >= strings.size()) {
        return std::nullopt;
    }
    const std::size_t end = strings.find('\0', offset);
    if (end == std::string_view::npos || end == offset) {
        return std::nullopt;
    }
    return std::string(strings.substr(offset, end - offset));
}

template <typename Visit>
void forEachContextEntry(std::string_view ivb, std::string_view strings, Visit visit) {
    if (ivb.size() < kMapHeaderSize) {
        return;
    }
    // The stated count is trusted only as far as the bytes reach.
    const std::size_t stated = readU32(ivb, 0);
    const std::size_t usable = std::min(stated, ivb.size() - kMapHeaderSize);
    const std::size_t records = usable / kMapRecordSize;
    for (std::size_t i = 0; i < records; ++i) {
        const std::size_t at = kMapHeaderSize + i * kMapRecordSize;
        const auto context = static_cast<std::int32_t>(readU32(ivb, at));
        if (auto name = nameAt(strings, readU32(ivb, at + 4))) {
            if (!visit(ContextMapEntry{context, std::move(*name)})) {
                return;
            }
        }
    }
}

// A string value of a /#SYSTEM record: up to its first NUL, if it has one.
std::optional<std::string> systemText(std::string_view data) {
    const std::string_view text = data.substr(0, data.find('\0'));
    if (text.empty()) {
        return std::nullopt;
    }
    return std::string(text);
}

}  // namespace

std::vector<ContextMapEntry> parseContextMap(std::string_view ivb, std::string_view strings) {
    std::vector<ContextMapEntry> entries;
    forEachContextEntry(ivb, strings, [&](ContextMapEntry entry) {
        entries.push_back(std::move(entry));
        return true;
    });
    return entries;
}

std::optional<std::string> findContextTopic(std::string_view ivb, std::string_view strings,
                                            std::int32_t context) {
    std::optional<std::string> found;
    forEachContextEntry(ivb, strings, [&](ContextMapEntry entry) {
        if (entry.context != context) {
            return true;
        }
        found = std::move(entry.name);
        return false;
    });
    return found;
}

TopicName splitTopicName(std::string_view name) {
    TopicName topic;
    const std::size_t hash = name.find('#');
    topic.path = std::string(name.substr(0, hash));
    if (hash != std::string_view::npos) {
        topic.fragment = std::string(name.substr(hash + 1));
    }
    std::replace(topic.path.begin(), topic.path.end(), '\\', '/');
    return topic;
}

std::vector<std::string> topicPathCandidates(std::string_view path) {
    std::vector<std::string> candidates;
    auto add = [&](std::string_view tail) {
        // An empty tail (a path ending in "/") or one that begins with another
        // "/" (doubled separators) names nothing new.
        if (tail.empty() || tail.front() == '/') {
            return;
        }
        std::string candidate = "/" + std::string(tail);
        if (candidates.empty() || candidates.back() != candidate) {
            candidates.push_back(std::move(candidate));
        }
    };
    if (!path.empty() && path.front() == '/') {
        candidates.emplace_back(path);
    } else {
        add(path);
    }
    for (std::size_t slash = path.find('/'); slash != std::string_view::npos;
         slash = path.find('/', slash + 1)) {
        add(path.substr(slash + 1));
    }
    return candidates;
}

std::optional<std::string> resolveTopicPath(std::string_view path,
                                            const std::function<bool(const std::string&)>& exists) {
    for (std::string& candidate : topicPathCandidates(path)) {
        if (exists(candidate)) {
            return std::move(candidate);
        }
    }
    return std::nullopt;
}

HelpSystemInfo parseHelpSystem(std::string_view system) {
    HelpSystemInfo info;
    if (system.size() < kSystemVersionSize) {
        return info;
    }
    std::size_t pos = kSystemVersionSize;
    while (system.size() - pos >= kSystemRecordHeaderSize) {
        const std::uint16_t code = readU16(system, pos);
        const std::size_t length = readU16(system, pos + 2);
        pos += kSystemRecordHeaderSize;
        if (length > system.size() - pos) {
            break;
        }
        const std::string_view data = system.substr(pos, length);
        pos += length;
        if (code == kSystemDefaultTopic && !info.defaultTopic) {
            info.defaultTopic = systemText(data);
        } else if (code == kSystemContentsFile && !info.contentsFile) {
            info.contentsFile = systemText(data);
        }
    }
    return info;
}

}  // namespace mnemora
