#include "core/cp1251.h"

#include <gtest/gtest.h>

#include "core/error.h"

namespace mnemora {
namespace {

TEST(Cp1251, EveryByteRoundTripsThroughUtf8) {
    for (int b = 0; b < 256; ++b) {
        const std::string byte(1, static_cast<char>(b));
        const auto back = utf8ToCp1251(cp1251ToUtf8(byte));
        ASSERT_TRUE(back.has_value()) << "byte " << b;
        EXPECT_EQ(*back, byte) << "byte " << b;
    }
}

TEST(Cp1251, NoTwoBytesShareACharacter) {
    for (int a = 0; a < 256; ++a) {
        for (int b = a + 1; b < 256; ++b) {
            ASSERT_NE(cp1251ToCodePoint(static_cast<unsigned char>(a)),
                      cp1251ToCodePoint(static_cast<unsigned char>(b)));
        }
    }
}

TEST(Cp1251, KnownLettersAndSigns) {
    EXPECT_EQ(cp1251ToUtf8("\xC0\xFF"), "Ая");
    EXPECT_EQ(cp1251ToUtf8("\xA8\xB8"), "Ёё");
    EXPECT_EQ(cp1251ToUtf8("\xB9"), "№");
    EXPECT_EQ(cp1251ToUtf8("\x88"), "€");
    EXPECT_EQ(cp1251ToUtf8("\x96\x97"), "–—");
    EXPECT_EQ(*utf8ToCp1251("Мнемора"), "\xCC\xED\xE5\xEC\xEE\xF0\xE0");
}

TEST(Cp1251, CharacterWithoutAByteIsReportedWithItsOffset) {
    std::size_t bad = 99;
    EXPECT_FALSE(utf8ToCp1251("ab\xC4\x80z", &bad).has_value());  // U+0100
    EXPECT_EQ(bad, 2u);
    EXPECT_FALSE(isCp1251Text("тест 😀"));
    EXPECT_TRUE(isCp1251Text("тест «ok» №5"));
    EXPECT_THROW(utf8ToCp1251OrThrow("日本"), EncodingError);
}

TEST(Cp1251, MalformedUtf8IsReportedNotDropped) {
    std::size_t bad = 99;
    EXPECT_FALSE(utf8ToCp1251("ok\xD0", &bad).has_value());  // cut in the middle
    EXPECT_EQ(bad, 2u);
    EXPECT_FALSE(utf8ToCp1251("\xC0\x80").has_value());  // overlong NUL
    EXPECT_FALSE(utf8ToCp1251("\xED\xA0\x80").has_value());  // surrogate
}

TEST(Cp1251, CaseFoldingCoversLatinAndCyrillic) {
    EXPECT_TRUE(cp1251EqualNoCase("List3", "LIST3"));
    EXPECT_TRUE(cp1251EqualNoCase(*utf8ToCp1251("Диск"), *utf8ToCp1251("дИСК")));
    EXPECT_TRUE(cp1251EqualNoCase(*utf8ToCp1251("Ёж"), *utf8ToCp1251("ёЖ")));
    EXPECT_TRUE(cp1251EqualNoCase(*utf8ToCp1251("Її Єє Ґґ Іі Ўў"), *utf8ToCp1251("її єє ґґ іі ўў")));
    EXPECT_FALSE(cp1251EqualNoCase("List1", "List10"));
    EXPECT_FALSE(cp1251EqualNoCase("[", "{"));  // only letters fold
}

}  // namespace
}  // namespace mnemora
