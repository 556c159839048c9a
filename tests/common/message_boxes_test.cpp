#include "common/message_boxes.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "recording_boxes.h"

namespace mnemora {
namespace {

TEST(QuestionBox, DefaultAndEscapeAnswersFollowTheButtonsItHas) {
    struct Case {
        std::vector<Answer> buttons;
        Answer enter, escape;
    };
    using enum Answer;
    const std::vector<Case> cases{
        {{Yes, No, Cancel}, Yes, Cancel}, {{Yes, No}, Yes, No},
        {{Ok, Cancel}, Ok, Cancel},       {{Ok}, Ok, Ok},
        {{Yes, No, Ok}, Ok, No},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(defaultAnswer(c.buttons), c.enter) << c.buttons.size();
        EXPECT_EQ(escapeAnswer(c.buttons), c.escape) << c.buttons.size();
    }
}

TEST(GuardedHandler, FailureStopsTheHandlerAndShowsItsTextWithTheFullStopRule) {
    test::RecordingBoxes boxes;
    int reached = 0;
    guarded([&] {
        ++reached;
        throw std::runtime_error("Cannot open file /x/y.ton");
    });
    guarded([] {
        throw std::runtime_error("Failed to set data for 'Start'");
    });  // "'" sorts before "."
    guarded([&] { ++reached; });
    EXPECT_EQ(reached, 2);
    EXPECT_EQ(boxes.errors, (std::vector<std::string>{"Cannot open file /x/y.ton.",
                                                      "Failed to set data for 'Start'"}));
}

}  // namespace
}  // namespace mnemora
