// The help file's tables come from whatever file lies where the help should
// be: no bytes may crash the map or /#SYSTEM readers or make them read past
// the tables. The input is a 2-byte length, that many bytes of /#IVB, then
// /#STRINGS; the whole input is also read as /#SYSTEM.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "help/help_map.h"

namespace {

void check(bool holds) {
    if (!holds) {
        std::abort();
    }
}

void exerciseName(const std::string& name) {
    const mnemora::TopicName topic = mnemora::splitTopicName(name);
    check(topic.path.find('\\') == std::string::npos);
    std::size_t asked = 0;
    const auto candidates = mnemora::topicPathCandidates(topic.path);
    for (const std::string& candidate : candidates) {
        check(!candidate.empty() && candidate.front() == '/');
    }
    // An archive that has every third candidate.
    (void)mnemora::resolveTopicPath(topic.path,
                                    [&](const std::string&) { return ++asked % 3 == 0; });
    check(asked <= candidates.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    const mnemora::HelpSystemInfo system = mnemora::parseHelpSystem(bytes);
    for (const auto& name : {system.defaultTopic, system.contentsFile}) {
        if (name) {
            check(!name->empty());
            exerciseName(*name);
        }
    }

    if (size < 2) {
        return 0;
    }
    const std::size_t split = (data[0] | (static_cast<std::size_t>(data[1]) << 8)) % (size - 1);
    const std::string_view ivb = bytes.substr(2, split);
    const std::string_view strings = bytes.substr(2 + split);

    const auto entries = mnemora::parseContextMap(ivb, strings);
    check(entries.size() <= (ivb.size() >= 4 ? (ivb.size() - 4) / 8 : 0));
    for (const auto& entry : entries) {
        check(!entry.name.empty() && entry.name.find('\0') == std::string::npos);
        check(mnemora::findContextTopic(ivb, strings, entry.context).has_value());
        exerciseName(entry.name);
    }
    for (std::int32_t context : {0, 1000, -1}) {
        (void)mnemora::findContextTopic(ivb, strings, context);
    }
    return 0;
}
