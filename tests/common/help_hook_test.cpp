#include "common/help_hook.h"

#include <gtest/gtest.h>

#include <vector>

namespace mnemora {
namespace {

struct ViewerCall {
    std::string file;
    std::uint32_t command;
    std::int32_t data;
};

class FakeHelpPlatform : public HelpPlatform {
public:
    bool shift = false;
    std::vector<std::string> messages;
    std::vector<ViewerCall> calls;
    bool shiftDown() const override { return shift; }
    void plainMessage(const std::string& text) override { messages.push_back(text); }
    void htmlHelp(std::string_view file, std::uint32_t command, std::int32_t data) override {
        calls.push_back({std::string(file), command, data});
    }
};

TEST(HelpHook, EveryRequestOpensTheHelpFileAtItsContext) {
    FakeHelpPlatform platform;
    TMyHLPObject hook(platform);
    EXPECT_TRUE(hook.HelpContext(2170));
    ASSERT_EQ(platform.calls.size(), 1u);
    EXPECT_EQ(platform.calls[0].file, "vantero.chm");
    EXPECT_EQ(platform.calls[0].command, 0x000Fu);
    EXPECT_EQ(platform.calls[0].data, 2170);
    EXPECT_TRUE(platform.messages.empty());
}

TEST(HelpHook, ShiftShowsTheRequestFirstAndHelpStillOpens) {
    FakeHelpPlatform platform;
    platform.shift = true;
    TMyHLPObject hook(platform);
    hook.HelpContext(1000);
    hook.InvokeHelp(7, -5);
    EXPECT_EQ(platform.messages, (std::vector<std::string>{"Вызов Command=1, ID=1000", "Вызов Command=7, ID=-5"}));
    ASSERT_EQ(platform.calls.size(), 2u);
    // The command is only reported: the viewer always gets the context.
    EXPECT_EQ(platform.calls[1].command, 0x000Fu);
    EXPECT_EQ(platform.calls[1].data, -5);
}

TEST(HelpHook, ClearsTheCallHelpFlag) {
    FakeHelpPlatform platform;
    TMyHLPObject hook(platform);
    bool callHelp = true;
    EXPECT_TRUE(hook.HelpHook(1, 4020, callHelp));
    EXPECT_FALSE(callHelp);
}

TEST(WindowF1, FirstNonZeroContextFromTheFocusedControlOutwards) {
    const std::vector<int> about{0, 0, 1010};
    EXPECT_EQ(windowHelpContext(about), 1010);
    const std::vector<int> inner{0, 2050, 1010};
    EXPECT_EQ(windowHelpContext(inner), 2050);
    const std::vector<int> start{0, 0};
    EXPECT_EQ(windowHelpContext(start), std::nullopt);
}

}  // namespace
}  // namespace mnemora
