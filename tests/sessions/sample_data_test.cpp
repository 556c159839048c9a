#include <gtest/gtest.h>

#include <string>

#include "core/cp1251.h"
#include "sessions/ini_file.h"
#include "temp_dir.h"

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

// The sample is Windows-1251, as every data file was before UTF-8 was read:
// each of its values must come out exactly as the byte-wise reading gives it.
TEST(SampleDataFile, ReadsByteForByteAsWindows1251) {
    const std::string bytes = test::readBytes(std::string(MNEMORA_SOURCE_DIR) + "/examples/Mnemora.ini");
    const IniSnapshot file(bytes);
    ASSERT_EQ(file.encoding(), DataEncoding::Windows1251);
    EXPECT_EQ(file.value("Disk", "0"), "Зрение");
    EXPECT_EQ(file.value("List2", "3"), "Тёплое солнце на коже?");
    ProfileLineReader lines(bytes);
    ProfileLine line;
    std::string section;
    int keys = 0;
    while (lines.next(line)) {
        if (line.kind == ProfileLine::Kind::Section) {
            section = std::string(line.name);
        } else if (line.kind == ProfileLine::Kind::Key && !section.empty()) {
            const auto raw = findProfileValue(bytes, section, line.name, DataEncoding::Windows1251);
            ASSERT_TRUE(raw) << line.number;
            EXPECT_EQ(file.value(cp1251ToUtf8(section), cp1251ToUtf8(line.name)), cp1251ToUtf8(*raw)) << line.number;
            EXPECT_EQ(file.section(cp1251ToUtf8(section)).value(cp1251ToUtf8(line.name)), cp1251ToUtf8(*raw));
            ++keys;
        }
    }
    EXPECT_GT(keys, 200);
}

}  // namespace
}  // namespace mnemora
