#include <gtest/gtest.h>

#include <vector>

#include "core/caption.h"
#include "core/error.h"
#include "core/font.h"
#include "core/random.h"

namespace mnemora {
namespace {

TEST(Captions, WindowCaptionLosesEveryAmpersand) {
    EXPECT_EQ(removeAmpersands("Список &1. Общие случаи."), "Список 1. Общие случаи.");
    EXPECT_EQ(removeAmpersands("a&&b&"), "ab");
}

TEST(Captions, LabelUnderlinesTheCharacterAfterASingleAmpersand) {
    const auto m = parseMnemonic("П&ояснение");
    EXPECT_EQ(m.text, "Пояснение");
    ASSERT_EQ(m.underlined.size(), 1u);
    EXPECT_EQ(m.underlined[0], 1u);  // counted in characters, not bytes
}

TEST(Captions, DoubleAmpersandShowsOneAndUnderlinesNothing) {
    const auto m = parseMnemonic("Tom && Jerry");
    EXPECT_EQ(m.text, "Tom & Jerry");
    EXPECT_TRUE(m.underlined.empty());
    const auto tricky = parseMnemonic("&&&x&");
    EXPECT_EQ(tricky.text, "&x");
    ASSERT_EQ(tricky.underlined.size(), 1u);
    EXPECT_EQ(tricky.underlined[0], 1u);
}

TEST(ErrorBox, FullStopOnlyWhenTheLastCharacterSortsAfterIt) {
    EXPECT_EQ(withFullStop("Cannot open file /x/a.ton"), "Cannot open file /x/a.ton.");
    EXPECT_EQ(withFullStop("Done."), "Done.");
    EXPECT_EQ(withFullStop("Why?"), "Why?.");  // '?' sorts after '.'
    EXPECT_EQ(withFullStop("Stop!"), "Stop!");  // '!' sorts before '.'
    EXPECT_EQ(withFullStop("Ошибка"), "Ошибка.");
    EXPECT_EQ(withFullStop(""), "");
}

TEST(ErrorBox, FatalStartupTextHasKindModuleAddressAndTheMessage) {
    EXPECT_EQ(formatFatalError("ERegistryException", "mnemora", 0x0040A1B2,
                               "Invalid data type for 'DataFile'"),
              "Exception ERegistryException in module mnemora at 0040A1B2.\n"
              "Invalid data type for 'DataFile'.");
}

TEST(Fonts, MulDivRoundsHalvesAwayFromZero) {
    EXPECT_EQ(MulDiv(1, 1, 2), 1);
    EXPECT_EQ(MulDiv(-1, 1, 2), -1);
    EXPECT_EQ(MulDiv(-20, 72, 96), -15);
    EXPECT_EQ(MulDiv(11, 72, 96), 8);  // 8.25
    EXPECT_EQ(MulDiv(5, 1, 0), -1);
    EXPECT_EQ(MulDiv(0x7FFFFFFF, 4, 1), -1);
}

TEST(Fonts, SizeAndHeightAreOneQuantity) {
    TFont f;
    f.PixelsPerInch = 96;
    f.Height = -20;
    EXPECT_EQ(f.Size(), 15);
    f.SetSize(15);
    EXPECT_EQ(f.Height, -20);
    f.Height = -11;
    EXPECT_EQ(f.Size(), 8);
    f.PixelsPerInch = 120;
    f.SetSize(15);
    EXPECT_EQ(f.Height, -25);
}

TEST(Fonts, ScreenFontIsAskedForTheCharacterHeight) {
    struct Case {
        int height, pixels;
    };
    // Character heights as they are; a cell height loses its leading; 0 is the platform's choice.
    for (const Case& c : std::vector<Case>{{-11, 11}, {-20, 20}, {20, 15}, {1, 1}, {0, 0}}) {
        TFont f;
        f.Height = c.height;
        EXPECT_EQ(characterPixelHeight(f), c.pixels) << c.height;
    }
}

TEST(Fonts, FaceNameKeepsThirtyOneCharacters) {
    TFont f;
    f.SetName("Шрифт с очень длинным названием для проверки");
    EXPECT_EQ(f.Name, "Шрифт с очень длинным названием");
}

TEST(RandomGenerator, FollowsTheLinearCongruentialSequence) {
    RandomGenerator r;
    EXPECT_EQ(r.Random(3), 0u);  // the first draw after a start is 0
    EXPECT_EQ(r.RandSeed, 1u);
    EXPECT_EQ(r.Random(0x80000000u), (134775814ull * 0x80000000ull) >> 32);
    RandomGenerator z;
    EXPECT_EQ(z.Random(0), 0u);
    EXPECT_EQ(z.Random(1), 0u);
    EXPECT_EQ(z.RandSeed, 134775814u);
}

}  // namespace
}  // namespace mnemora
