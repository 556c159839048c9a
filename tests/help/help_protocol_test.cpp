#include "help/help_protocol.h"

#include <gtest/gtest.h>

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
          ViewerReply{ViewerReplyKind::Stalled, 0, ""}}) {
        EXPECT_EQ(parseViewerReply(encodeViewerReply(reply)), reply);
    }
}

TEST(HelpProtocol, MalformedRepliesAreRejected) {
    for (const char* line : {"", "shown", "shown 1", "shown x /a", "page", "page a b", "stalled now", "crashed 1 x",
                             "error 1 a b"}) {
        EXPECT_EQ(parseViewerReply(line), std::nullopt) << line;
    }
}

}  // namespace
}  // namespace mnemora
