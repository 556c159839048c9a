#include <gtest/gtest.h>

#include <string>

#include "sessions/ini_file.h"

namespace mnemora {
namespace {

// The sample we ship must carry every list the menu offers, or a user trying
// the program first sees "Список закончен." at once.
TEST(SampleDataFile, EveryListHasAHeaderAndAtLeastFiveQuestions) {
    const TIniFile ini(std::string(MNEMORA_SOURCE_DIR) + "/examples/Mnemora.ini");
    int perceptions = 0;
    while (!ini.ReadString("Disk", std::to_string(perceptions), "").empty()) {
        ++perceptions;
    }
    EXPECT_GE(perceptions, 2);
    for (int list = 1; list <= 30; ++list) {
        const std::string section = "List" + std::to_string(list);
        EXPECT_NE(ini.ReadString(section, "0", "<missing>"), "<missing>") << section;
        for (int q = 1; q <= 5; ++q) {
            EXPECT_FALSE(ini.ReadString(section, std::to_string(q), "").empty()) << section << " " << q;
        }
    }
}

}  // namespace
}  // namespace mnemora
