#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mnemora {

// The help file's internal tables, read from their raw bytes. Nothing here
// touches a file: the archive hands over the bytes, so every damaged table can
// be tried in a test or a fuzzer. A table that is cut short or points outside
// itself never causes a read past its end; the damaged entry simply does not
// count.

// One usable entry of the context map: a topic number and the topic's file
// name as the help compiler wrote it (8-bit, possibly a build path with "\").
struct ContextMapEntry {
    std::int32_t context = 0;
    std::string name;

    bool operator==(const ContextMapEntry&) const = default;
};

// All usable entries of "/#IVB" (a 32-bit byte count, then 8-byte records:
// topic number, offset into "/#STRINGS") in file order. Records beyond the
// bytes at hand, a trailing partial record, an offset past the end of the
// names, a name without its closing NUL and an empty name are left out.
std::vector<ContextMapEntry> parseContextMap(std::string_view ivb, std::string_view strings);

// The file name of the first usable entry for `context`, or nothing when the
// number is not mapped.
std::optional<std::string> findContextTopic(std::string_view ivb, std::string_view strings,
                                            std::int32_t context);

// A topic reference split into the file and the place in it ("a.htm#part").
struct TopicName {
    std::string path;
    std::string fragment;

    bool operator==(const TopicName&) const = default;
};

// "\" becomes "/" and a "#fragment" is split off; the path keeps whatever
// folders the compiler wrote (relative or a full build path).
TopicName splitTopicName(std::string_view name);

// The archive paths (each starting with "/") to try for a topic path, longest
// first: the path as given, then each shorter suffix after a "/". A help file
// built elsewhere names its pages by the build machine's full paths, and only
// a tail of such a path exists in the archive.
std::vector<std::string> topicPathCandidates(std::string_view path);

// The first candidate for which `exists` holds, or nothing.
std::optional<std::string> resolveTopicPath(std::string_view path,
                                            const std::function<bool(const std::string&)>& exists);

// What "/#SYSTEM" says about the file (a 4-byte version, then records of
// uint16 code, uint16 length, data). Absent or empty values stay unset; a
// record whose length runs past the end ends the reading.
struct HelpSystemInfo {
    std::optional<std::string> defaultTopic;  // code 2
    std::optional<std::string> contentsFile;  // code 0, the .hhc

    bool operator==(const HelpSystemInfo&) const = default;
};

HelpSystemInfo parseHelpSystem(std::string_view system);

}  // namespace mnemora
