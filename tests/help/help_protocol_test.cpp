#include "help/help_protocol.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>

namespace mnemora {
namespace {

TEST(HelpProtocol, RequestRoundTripsWithAnyFileName) {
    for (const std::string& file :
         {std::string("/usr/share/mnemora/vantero.chm"), std::string("/home/анна/My Help/vantero.chm"),
          std::string("/tmp/a\nshow 9 9 0 0 0 0 /evil\tb%20c.chm"), std::string("/tmp/\x7f\x01%%")}) {
        const ShowRequest request{42, -2147483647 - 1, HelpRect{-1280, 20, 640, 480}, HelpRect{-1276, 44, 632, 452},
                                  file};
        const std::string line = encodeShowRequest(request);
        EXPECT_EQ(line.find('\n'), line.size() - 1) << "one line only";
        EXPECT_EQ(parseShowRequest(line), request);
    }
}

TEST(HelpProtocol, MalformedRequestsAreRejected) {
    EXPECT_TRUE(parseShowRequest("show 1 1000 0 0 0 0 0 0 0 0 /f\n"));
    for (const char* line :
         {"", "show", "show 1 1000 0 0 0 0 0 0 0 0", "show 1 1000 0 0 0 0 0 0 0 0 ", "show x 1000 0 0 0 0 0 0 0 0 /f",
          "show 1 99999999999 0 0 0 0 0 0 0 0 /f", "show 1 1000 0 0 0 0 0 0 0 0 /f extra", "show 1 1000 0 0 0 0 /f",
          "show 1 1000 0 0 0 0 0 0 0 0 /bad%2", "show 1 1000 0 0 0 0 0 0 0 0 /bad%zz", "hide 1 1000 0 0 0 0 0 0 0 0 /f",
          "show  1 1000 0 0 0 0 0 0 0 0 /f", "show 1 +1000 0 0 0 0 0 0 0 0 /f", "show 1 1000 0 0 0 q 0 0 0 0 /f"}) {
        EXPECT_EQ(parseShowRequest(line), std::nullopt) << line;
    }
}

TEST(HelpProtocol, RepliesRoundTrip) {
    for (const ViewerReply& reply :
         {ViewerReply{ViewerReplyKind::Shown, 7, "/topics/lists.htm"},
          ViewerReply{ViewerReplyKind::Error, 8, "Cannot open file /tmp/a b\n.chm"},
          ViewerReply{ViewerReplyKind::Notice, 9, "В файле справки x нет раздела 5."},
          ViewerReply{ViewerReplyKind::Notice, 10, ""}, ViewerReply{ViewerReplyKind::Page, 0, "/index.htm"},
          ViewerReply{ViewerReplyKind::Stalled, 0, ""}, ViewerReply{ViewerReplyKind::Crashed, 0, ""}}) {
        EXPECT_EQ(parseViewerReply(encodeViewerReply(reply)), reply);
    }
}

TEST(HelpProtocol, MalformedRepliesAreRejected) {
    for (const char* line : {"", "shown", "shown 1", "shown x /a", "page", "page a b", "stalled now", "crashed 1 x",
                             "error 1 a b"}) {
        EXPECT_EQ(parseViewerReply(line), std::nullopt) << line;
    }
}

// A request the viewer cannot read is answered at once, for its number where
// it has one; a reply too long to keep still tells what it answered.
TEST(HelpProtocol, MalformedRequestsAndOverlongRepliesStillNameTheirRequest) {
    for (const auto& [line, seq] : std::initializer_list<std::pair<const char*, std::uint64_t>>{
             {"show 7 1000 0 0\n", 7}, {"show x 1000\n", 0}, {"garbage", 0}, {"", 0}}) {
        const ViewerReply reply = malformedRequestReply(line);
        EXPECT_EQ(reply.kind, ViewerReplyKind::Error) << line;
        EXPECT_EQ(reply.seq, seq) << line;
        EXPECT_EQ(parseViewerReply(encodeViewerReply(reply)), reply);
    }
    for (const auto& [start, seq] : std::initializer_list<std::pair<const char*, std::uint64_t>>{
             {"shown 12 /aaaaaaaa", 12}, {"error 3 Cannot", 3}, {"notice 4", 4}, {"page /aaaa", 0}, {"shown", 0}}) {
        EXPECT_EQ(replySeqOf(start), seq) << start;
    }
}

}  // namespace
}  // namespace mnemora
