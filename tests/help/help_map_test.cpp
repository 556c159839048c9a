#include "help/help_map.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>

namespace mnemora {
namespace {

using ::testing::ElementsAre;
using namespace std::string_literals;

void putU32(std::string& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        out += static_cast<char>((v >> (8 * i)) & 0xFF);
    }
}

void putU16(std::string& out, std::uint16_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>(v >> 8);
}

struct Record {
    std::int32_t context;
    std::uint32_t offset;
};

// A map whose byte count says what the records take, unless told otherwise.
std::string ivb(std::initializer_list<Record> records, std::optional<std::uint32_t> count = {}) {
    std::string out;
    putU32(out, count.value_or(static_cast<std::uint32_t>(records.size() * 8)));
    for (const Record& r : records) {
        putU32(out, static_cast<std::uint32_t>(r.context));
        putU32(out, r.offset);
    }
    return out;
}

// Names laid out as the compiler does: an empty name first, so that offset 0
// means nothing.
const std::string kStrings =
    "\0"s                               // 0
    "general.htm\0"s                    // 1
    "topics\\lists.htm\0"s              // 13
    "/home/build/help/columns.htm\0"s;  // 30

TEST(ContextMap, ReadsRelativeBackslashAndAbsoluteNames) {
    const std::string map = ivb({{1000, 1}, {2170, 13}, {5240, 30}});
    EXPECT_THAT(parseContextMap(map, kStrings),
                ElementsAre(ContextMapEntry{1000, "general.htm"},
                            ContextMapEntry{2170, "topics\\lists.htm"},
                            ContextMapEntry{5240, "/home/build/help/columns.htm"}));
    EXPECT_EQ(findContextTopic(map, kStrings, 2170), "topics\\lists.htm");
    EXPECT_EQ(findContextTopic(map, kStrings, 5240), "/home/build/help/columns.htm");
    EXPECT_EQ(findContextTopic(map, kStrings, 1001), std::nullopt);
}

TEST(ContextMap, NumbersAreSigned32Bit) {
    const std::string map = ivb({{-1, 1}, {INT32_MIN, 13}, {INT32_MAX, 30}});
    EXPECT_EQ(findContextTopic(map, kStrings, -1), "general.htm");
    EXPECT_EQ(findContextTopic(map, kStrings, INT32_MIN), "topics\\lists.htm");
    EXPECT_EQ(findContextTopic(map, kStrings, INT32_MAX), "/home/build/help/columns.htm");
}

TEST(ContextMap, DuplicateNumberTakesTheFirstRecord) {
    const std::string map = ivb({{3000, 13}, {3000, 1}});
    EXPECT_EQ(findContextTopic(map, kStrings, 3000), "topics\\lists.htm");
}

TEST(ContextMap, EmptyOrMissingMapMapsNothing) {
    EXPECT_TRUE(parseContextMap("", kStrings).empty());
    EXPECT_TRUE(parseContextMap("\x00\x00\x00"s, kStrings).empty());  // shorter than its byte count
    EXPECT_TRUE(parseContextMap(ivb({}), kStrings).empty());
    EXPECT_EQ(findContextTopic(ivb({{1000, 1}}), "", 1000), std::nullopt);
}

TEST(ContextMap, ByteCountLargerThanTheDataUsesTheWholeRecordsThere) {
    const std::string map = ivb({{1000, 1}, {2170, 13}}, 0xFFFFFFF0u);
    EXPECT_THAT(parseContextMap(map, kStrings),
                ElementsAre(ContextMapEntry{1000, "general.htm"},
                            ContextMapEntry{2170, "topics\\lists.htm"}));
}

TEST(ContextMap, ByteCountSmallerThanTheDataEndsTheMap) {
    // Bytes after the stated count are not records.
    const std::string map = ivb({{1000, 1}, {2170, 13}}, 8);
    EXPECT_THAT(parseContextMap(map, kStrings), ElementsAre(ContextMapEntry{1000, "general.htm"}));
}

TEST(ContextMap, TrailingPartialRecordIsIgnored) {
    std::string map = ivb({{1000, 1}, {2170, 13}}, 20);
    map.resize(map.size() - 4);  // the second record loses its offset
    EXPECT_THAT(parseContextMap(map, kStrings), ElementsAre(ContextMapEntry{1000, "general.htm"}));
    EXPECT_EQ(findContextTopic(map, kStrings, 2170), std::nullopt);
}

TEST(ContextMap, DamagedRecordsAreNotMappedButTheOthersAre) {
    const std::string strings = "\0a.htm\0unterminated"s;
    const std::string map =
        ivb({{1, 7},                                           // no closing NUL
             {2, static_cast<std::uint32_t>(strings.size())},  // just past the end
             {3, 0xFFFFFFFFu},                                 // far past the end
             {4, 0},                                           // the empty name
             {5, 1}});
    EXPECT_THAT(parseContextMap(map, strings), ElementsAre(ContextMapEntry{5, "a.htm"}));
    for (std::int32_t context : {1, 2, 3, 4}) {
        EXPECT_EQ(findContextTopic(map, strings, context), std::nullopt) << context;
    }
}

TEST(ContextMap, DamagedFirstRecordLeavesALaterOneForTheSameNumber) {
    const std::string map = ivb({{3000, 999}, {3000, 1}});
    EXPECT_EQ(findContextTopic(map, kStrings, 3000), "general.htm");
}

TEST(ContextMap, OffsetIntoTheMiddleOfANameReadsItsTail) {
    // The compiler may share a tail between names; that is a valid name.
    EXPECT_EQ(findContextTopic(ivb({{7, 20}}), kStrings, 7), "lists.htm");
}

TEST(TopicName, BackslashesBecomeSlashesAndTheFragmentIsSplitOff) {
    EXPECT_EQ(splitTopicName("topics\\lists.htm"), (TopicName{"topics/lists.htm", ""}));
    EXPECT_EQ(splitTopicName("C:\\Help\\index.htm#part2"),
              (TopicName{"C:/Help/index.htm", "part2"}));
    EXPECT_EQ(splitTopicName("/home/b/x.htm#"), (TopicName{"/home/b/x.htm", ""}));
    // Only the first "#" starts the fragment; a "\" after it is not a folder.
    EXPECT_EQ(splitTopicName("a.htm#x#y\\z"), (TopicName{"a.htm", "x#y\\z"}));
    EXPECT_EQ(splitTopicName(""), (TopicName{"", ""}));
}

TEST(TopicPath, CandidatesRunFromTheWholePathToTheFileName) {
    EXPECT_THAT(topicPathCandidates("/home/build/help/topics/lists.htm"),
                ElementsAre("/home/build/help/topics/lists.htm", "/build/help/topics/lists.htm",
                            "/help/topics/lists.htm", "/topics/lists.htm", "/lists.htm"));
    EXPECT_THAT(topicPathCandidates("topics/lists.htm"),
                ElementsAre("/topics/lists.htm", "/lists.htm"));
    EXPECT_THAT(topicPathCandidates("index.htm"), ElementsAre("/index.htm"));
    EXPECT_THAT(topicPathCandidates("C:/Help/a.htm"),
                ElementsAre("/C:/Help/a.htm", "/Help/a.htm", "/a.htm"));
}

TEST(TopicPath, DoubledAndTrailingSlashesAddNoEmptyCandidates) {
    EXPECT_THAT(topicPathCandidates("a//b.htm"), ElementsAre("/a//b.htm", "/b.htm"));
    EXPECT_THAT(topicPathCandidates("dir/"), ElementsAre("/dir/"));
    EXPECT_TRUE(topicPathCandidates("").empty());
}

TEST(TopicPath, ResolverTakesTheLongestSuffixThatExists) {
    const std::set<std::string> archive = {"/index.htm", "/topics/index.htm", "/lists.htm"};
    const auto exists = [&](const std::string& p) { return archive.count(p) > 0; };
    EXPECT_EQ(resolveTopicPath("/tmp/x/topics/index.htm", exists), "/topics/index.htm");
    EXPECT_EQ(resolveTopicPath("/tmp/x/index.htm", exists), "/index.htm");
    EXPECT_EQ(resolveTopicPath("topics/lists.htm", exists), "/lists.htm");
    EXPECT_EQ(resolveTopicPath("/tmp/x/missing.htm", exists), std::nullopt);
    EXPECT_EQ(resolveTopicPath("", exists), std::nullopt);
}

TEST(TopicPath, ResolverStopsAtTheFirstHit) {
    std::vector<std::string> asked;
    const auto exists = [&](const std::string& p) {
        asked.push_back(p);
        return p == "/b/c.htm";
    };
    EXPECT_EQ(resolveTopicPath("a/b/c.htm", exists), "/b/c.htm");
    EXPECT_THAT(asked, ElementsAre("/a/b/c.htm", "/b/c.htm"));
}

std::string systemRecord(std::uint16_t code, std::string_view data,
                         std::optional<std::uint16_t> length = {}) {
    std::string out;
    putU16(out, code);
    putU16(out, length.value_or(static_cast<std::uint16_t>(data.size())));
    out += data;
    return out;
}

std::string systemFile(std::initializer_list<std::string> records) {
    std::string out;
    putU32(out, 3);
    for (const std::string& r : records) {
        out += r;
    }
    return out;
}

TEST(HelpSystem, ReadsDefaultTopicAndContentsFileAmongOtherRecords) {
    const std::string system = systemFile(
        {systemRecord(10, "\x01\x02\x03\x04"), systemRecord(9, "HHA Version 4.74.8702\0"s),
         systemRecord(2, "sub\\start.htm\0"s), systemRecord(3, "Title\0"s),
         systemRecord(0, "contents.hhc\0"s), systemRecord(13, std::string(4096, '\0'))});
    EXPECT_EQ(parseHelpSystem(system), (HelpSystemInfo{"sub\\start.htm", "contents.hhc"}));
}

TEST(HelpSystem, TextWithoutNulTakesTheWholeRecordAndTheFirstRecordOfACodeWins) {
    const std::string system = systemFile(
        {systemRecord(2, "a.htm"), systemRecord(2, "b.htm\0"s), systemRecord(0, "x.hhc\0junk"s)});
    EXPECT_EQ(parseHelpSystem(system), (HelpSystemInfo{"a.htm", "x.hhc"}));
}

TEST(HelpSystem, EmptyValueCountsAsAbsent) {
    const std::string system = systemFile({systemRecord(2, "\0"s), systemRecord(0, "")});
    EXPECT_EQ(parseHelpSystem(system), HelpSystemInfo{});
}

TEST(HelpSystem, MissingOrShortFileGivesNothing) {
    EXPECT_EQ(parseHelpSystem(""), HelpSystemInfo{});
    EXPECT_EQ(parseHelpSystem("\x03\x00\x00"s), HelpSystemInfo{});
    // The topic's record without its version in front is read as the version.
    EXPECT_EQ(parseHelpSystem(systemRecord(2, "a.htm\0"s)), HelpSystemInfo{});
}

TEST(HelpSystem, RecordRunningPastTheEndEndsTheReading) {
    const std::string system =
        systemFile({systemRecord(0, "toc.hhc\0"s), systemRecord(2, "index.htm\0"s, 200)});
    EXPECT_EQ(parseHelpSystem(system), (HelpSystemInfo{std::nullopt, "toc.hhc"}));
}

TEST(HelpSystem, RecordHeaderCutShortIsIgnored) {
    std::string system = systemFile({systemRecord(2, "index.htm\0"s)});
    system += "\x00\x00\x05"s;  // too few bytes for another record header
    EXPECT_EQ(parseHelpSystem(system), (HelpSystemInfo{"index.htm", std::nullopt}));
}

}  // namespace
}  // namespace mnemora
