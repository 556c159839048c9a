#include "sessions/ini_file.h"

#include <gtest/gtest.h>

#include "core/cp1251.h"
#include "sessions/file_test.h"
#include "temp_dir.h"

namespace mnemora {
namespace {

std::optional<std::string> lookup(std::string_view bytes, std::string_view section, std::string_view key) {
    return findProfileValue(bytes, section, key);
}

TEST(ProfileLines, AcceptsCrOnlyLfOnlyAndCrLfLineEnds) {
    EXPECT_EQ(lookup("[a]\rk=1\rj=2\r", "a", "j"), "2");
    EXPECT_EQ(lookup("[a]\nk=1\nj=2", "a", "j"), "2");
    EXPECT_EQ(lookup("[a]\r\n\r\nk=1\r\nj=2\r\n", "a", "j"), "2");
}

TEST(ProfileLines, TrimsLinesAndNamesButKeepsInnerText) {
    EXPECT_EQ(lookup("  \t[ Disk ] trailing\r\n\t k \t=  a b \t\r\n", "Disk", "k"), "a b");
}

TEST(ProfileLines, BracketInsideALineStartsNoSection) {
    EXPECT_EQ(lookup("[a]\r\nk=[b]\r\nx=0\r\n[b]\r\nx=1\r\n", "b", "x"), "1");
    EXPECT_EQ(lookup("[a]\r\nk=v [b]\r\nx=0\r\n", "b", "x"), std::nullopt);
    EXPECT_EQ(lookup("[a]\rk=1\r\v\f [b]\rx=2", "b", "x"), "2");
    EXPECT_EQ(lookup("x [b]\nx=3\n[b]\nx=4", "b", "x"), "4");
}

TEST(ProfileLines, LineWithoutEqualsIsNeverAKey) {
    EXPECT_EQ(lookup("[a]\r\nk\r\nk2=v\r\n", "a", "k"), std::nullopt);
}

TEST(ProfileLines, KeysBeforeFirstSectionBelongToNone) {
    EXPECT_EQ(lookup("k=v\r\n[a]\r\n", "a", "k"), std::nullopt);
}

TEST(ProfileLines, CommentMarkersAreOrdinaryKeyText) {
    EXPECT_EQ(lookup("[a]\r\n;k=v\r\n", "a", "k"), std::nullopt);
    EXPECT_EQ(lookup("[a]\r\n;k=v\r\n", "a", ";k"), "v");
}

TEST(ProfileNames, MatchSectionAndKeyIgnoringLatinAndCyrillicCase) {
    EXPECT_EQ(lookup("[list3]\r\nq=x\r\n", "List3", "Q"), "x");
    const std::string bytes = *utf8ToCp1251("[раздел]\r\nключ=да\r\n");
    EXPECT_EQ(lookup(bytes, *utf8ToCp1251("РАЗДЕЛ"), *utf8ToCp1251("КЛЮЧ")), *utf8ToCp1251("да"));
}

TEST(ProfileNames, OnlyFirstSectionOfANameIsSearchedAndFirstKeyWins) {
    const std::string_view bytes = "[a]\r\nk=1\r\nk=2\r\n[b]\r\n[A]\r\nk=3\r\nm=4\r\n";
    EXPECT_EQ(lookup(bytes, "a", "k"), "1");
    EXPECT_EQ(lookup(bytes, "a", "m"), std::nullopt);
}

TEST(ProfileValues, RemoveOneMatchingPairOfQuotes) {
    const std::string_view bytes = "[a]\r\nd=\" x \"\r\ns=' y '\r\nm=\"z'\r\nn=\"\"w\"\"\r\no=\"\r\n";
    EXPECT_EQ(lookup(bytes, "a", "d"), " x ");
    EXPECT_EQ(lookup(bytes, "a", "s"), " y ");
    EXPECT_EQ(lookup(bytes, "a", "m"), "\"z'");
    EXPECT_EQ(lookup(bytes, "a", "n"), "\"w\"");
    EXPECT_EQ(lookup(bytes, "a", "o"), "\"");
}

TEST(ProfileValues, EmptyValueIsFoundNotMissing) { EXPECT_EQ(lookup("[a]\r\nk=\r\n", "a", "k"), ""); }

TEST(ProfileValues, NulEndsTheValue) {
    EXPECT_EQ(lookup(std::string_view("[a]\r\nk=ab\0cd\r\n", 13), "a", "k"), "ab");
}

TEST(ProfileValues, LongValueIsCutTo2047Bytes) {
    const std::string value(3000, 'q');
    const auto got = lookup("[a]\r\nk=" + value + "\r\n", "a", "k");
    ASSERT_TRUE(got);
    EXPECT_EQ(got->size(), 2047u);
}

class IniFileTest : public ::testing::Test {
protected:
    test::TempDir dir;
    std::string path = (dir / "data.ini").string();
};

TEST_F(IniFileTest, ConvertsWindows1251ToUtf8BothWays) {
    test::writeBytes(path, *utf8ToCp1251("[Диск]\r\nЗрение=Слух\r\n"));
    EXPECT_EQ(TIniFile(path).ReadString("диск", "ЗРЕНИЕ", "-"), "Слух");
}

TEST_F(IniFileTest, LongCyrillicValueIsCutBeforeConversion) {
    test::writeBytes(path, "[a]\r\nk=" + std::string(3000, '\xC0') + "\r\n");
    const std::string got = TIniFile(path).ReadString("a", "k", "");
    EXPECT_EQ(got.size(), 2047u * 2);  // each cp1251 letter is two UTF-8 bytes
}

TEST_F(IniFileTest, MissingFileSectionOrKeyGiveDefaultWithoutTrailingSpaces) {
    const TIniFile ini(path);
    EXPECT_EQ(ini.ReadString("a", "k", " def  "), " def");
    test::writeBytes(path, "[a]\r\nk=v\r\n");
    EXPECT_EQ(ini.ReadString("b", "k", "x "), "x");
    EXPECT_EQ(ini.ReadString("a", "j", ""), "");
}

TEST_F(IniFileTest, ReadsFileAfreshOnEveryCall) {
    const TIniFile ini(path);
    test::writeBytes(path, "[a]\r\nk=old\r\n");
    EXPECT_EQ(ini.ReadString("a", "k", ""), "old");
    test::writeBytes(path, "[a]\r\nk=new\r\n");
    EXPECT_EQ(ini.ReadString("a", "k", ""), "new");
}

TEST_F(IniFileTest, FileTestAcceptsFilesOnly) {
    EXPECT_FALSE(FileExists(path));
    test::writeBytes(path, "x");
    EXPECT_TRUE(FileExists(path));
    EXPECT_FALSE(FileExists(dir.path().string()));
}

TEST_F(IniFileTest, FileTestRejectsFileDatedOutsideItsRange) {
    test::writeBytes(path, "x");
    std::filesystem::last_write_time(path, std::filesystem::last_write_time(path) - std::chrono::hours(24 * 365 * 60));
    EXPECT_FALSE(FileExists(path));
}

}  // namespace
}  // namespace mnemora
