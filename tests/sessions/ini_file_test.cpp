#include "sessions/ini_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>

#include "core/cp1251.h"
#include "sessions/file_test.h"
#include "temp_dir.h"

namespace mnemora {
namespace {

std::optional<std::string> lookup(std::string_view bytes, std::string_view section, std::string_view key) {
    const auto v = findProfileValue(bytes, section, key);
    return v ? std::optional<std::string>(*v) : std::nullopt;
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

// --- encodings -------------------------------------------------------------

const std::string kBom = "\xEF\xBB\xBF";

std::string cp1251(std::string_view utf8) { return *utf8ToCp1251(utf8); }

std::string repeat(std::string_view s, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) {
        out += s;
    }
    return out;
}

TEST(DataEncodingChoice, MarkOrValidMultiByteUtf8MeansUtf8AndAllElseWindows1251) {
    EXPECT_EQ(detectDataEncoding(kBom + "[a]\r\nk=v\r\n"), DataEncoding::Utf8Bom);
    EXPECT_EQ(detectDataEncoding(kBom + "\xFF\xFE broken after the mark"), DataEncoding::Utf8Bom);
    EXPECT_EQ(detectDataEncoding("[Диск]\r\n0=Зрение\r\n"), DataEncoding::Utf8);
    EXPECT_EQ(detectDataEncoding(cp1251("[Диск]\r\n0=Зрение\r\n")), DataEncoding::Windows1251);
    // Plain ASCII reads the same either way and stays as it always was.
    EXPECT_EQ(detectDataEncoding("[Disk]\r\n0=A\r\n"), DataEncoding::Windows1251);
    EXPECT_EQ(detectDataEncoding(""), DataEncoding::Windows1251);
}

TEST(DataEncodingChoice, OnlyStrictUtf8Counts) {
    // Overlong form, surrogate, past U+10FFFF, cut short at the end.
    for (const std::string bad : {"a\xC0\x80", "a\xED\xA0\x80", "a\xF4\x90\x80\x80", "\xD0\x96\xD0"}) {
        EXPECT_FALSE(isValidUtf8(bad)) << bad;
        EXPECT_EQ(detectDataEncoding(bad), DataEncoding::Windows1251) << bad;
    }
    bool multi = true;
    EXPECT_TRUE(isValidUtf8(std::string(1000, 'x'), &multi));
    EXPECT_FALSE(multi);
    EXPECT_TRUE(isValidUtf8(std::string(37, 'x') + "\xF0\x9F\x98\x80" + std::string(9, 'y'), &multi));
    EXPECT_TRUE(multi);
}

// The fast check must say exactly what decoding character by character says.
TEST(DataEncodingChoice, Utf8CheckAgreesWithTheDecoderOnEveryShortSequence) {
    auto decodes = [](std::string_view s) {
        for (std::size_t pos = 0; pos < s.size();) {
            if (!decodeUtf8(s, pos)) {
                return false;
            }
        }
        return true;
    };
    // Alone, and where the check goes sixteen bytes at a time, across a block edge.
    auto agree = [&](std::string_view seq) {
        for (const std::string& s : {std::string(seq), std::string(14, 'x') + std::string(seq) + std::string(17, 'y')}) {
            if (isValidUtf8(s) != decodes(s)) {
                return false;
            }
        }
        return true;
    };
    std::string s;
    for (int a = 0x80; a < 0x100; ++a) {
        for (int b = 0; b < 0x100; ++b) {
            s.assign({'x', static_cast<char>(a), static_cast<char>(b)});
            ASSERT_TRUE(agree(s)) << a << " " << b;
            for (int c : {0x7F, 0x80, 0xBF, 0xC0}) {  // the edges of a continuation byte
                s.assign({static_cast<char>(a), static_cast<char>(b), static_cast<char>(c)});
                ASSERT_TRUE(agree(s)) << a << " " << b << " " << c;
                s += '\x80';
                ASSERT_TRUE(agree(s)) << a << " " << b << " " << c << " 80";
            }
        }
    }
}

// The check takes long plain stretches a kilobyte at a time and others 64
// bytes at a time; a fault or a longer sequence anywhere, at either edge of
// either, must give the decoder's answer.
TEST(DataEncodingChoice, Utf8CheckAgreesWithTheDecoderAnywhereInALongText) {
    auto decodes = [](std::string_view s) {
        for (std::size_t pos = 0; pos < s.size();) {
            if (!decodeUtf8(s, pos)) {
                return false;
            }
        }
        return true;
    };
    const std::string text = repeat("Жили-были: ", 300);  // 19 bytes a round, 5700 in all
    for (const std::string seq : {"\x80", "\xD0", "\xC0\x80", "\xED\xA0\x80", "\xE2\x80\x94", "\xF0\x9F\x98\x80", "\xFF",
                                  "\xD0\x96"}) {
        for (const std::size_t at : {std::size_t{0}, std::size_t{1}, std::size_t{63}, std::size_t{64}, std::size_t{1023},
                                     std::size_t{1024}, std::size_t{1025}, std::size_t{2047}, std::size_t{4096},
                                     text.size() - 1, text.size()}) {
            const std::string s = text.substr(0, at) + seq + text.substr(at);
            bool multi = false;
            EXPECT_EQ(isValidUtf8(s, &multi), decodes(s)) << "sequence " << seq.size() << " bytes at " << at;
            EXPECT_TRUE(multi);
        }
    }
}

// A data file is checked and searched as it is read, piece by piece: a large
// file must read as the same bytes searched whole do, wherever its sections,
// its brackets and the byte that makes it Windows-1251 stand.
TEST(DataEncodingChoice, LargeFileReadsAsTheSameBytesSearchedWhole) {
    test::TempDir dir;
    const std::string filler = repeat("0=Вопрос [не раздел] о времени\r\n", 9000);  // about 380 KiB
    const std::string tail = "  [Последний]\r\nk=Значение\r\n[Пустой\r\nk2=без скобки\r\n";
    for (const std::string& bytes :
         {"[Первый]\r\n" + filler + tail, "[Первый]\r\n" + filler + tail + "\xFF",
          kBom + "[Первый]\r\n" + filler + tail, cp1251("[Первый]\r\n" + filler + tail)}) {
        test::writeBytes(dir / "big.ini", bytes);
        const IniSnapshot read = TIniFile((dir / "big.ini").string()).Read();
        const IniSnapshot whole(bytes);
        ASSERT_EQ(read.encoding(), whole.encoding());
        for (const auto& [section, key] : {std::pair{"Последний", "k"}, {"Пустой", "k2"}, {"Первый", "0"},
                                          {"не раздел", "0"}, {"Нет", "k"}}) {
            EXPECT_EQ(read.value(section, key), whole.value(section, key)) << section << "/" << key;
        }
        // Made Windows-1251 by its last byte, the UTF-8 names are no longer there.
        EXPECT_EQ(read.value("Последний", "k").has_value(), bytes.back() != '\xFF');
    }
}

// A Windows-1251 file that happens to hold byte pairs that are valid UTF-8
// ("Её" is C5 B8, "РЎ" is D0 A1) is still Windows-1251 as long as any other
// Russian word breaks UTF-8, which every real text does.
TEST(DataEncodingChoice, Windows1251WithChanceUtf8PairsReadsByteForByte) {
    const std::string bytes = cp1251("[Disk]\r\n0=Её\r\n1=РЎ\r\n2=обычное слово\r\n");
    ASSERT_EQ(detectDataEncoding(bytes), DataEncoding::Windows1251);
    const IniSnapshot file(bytes);
    EXPECT_EQ(file.value("Disk", "0"), "Её");
    EXPECT_EQ(file.value("Disk", "1"), "РЎ");
    EXPECT_EQ(file.value("Disk", "2"), "обычное слово");
    // The rule has one price: a file whose every non-ASCII byte forms UTF-8
    // is UTF-8. mnemora-check names the encoding it was read in.
    EXPECT_EQ(detectDataEncoding(cp1251("[Disk]\r\n0=Её\r\n")), DataEncoding::Utf8);
}

// One content in three encodings must read to the same texts.
class SameTextAnyEncoding : public ::testing::Test {
protected:
    static std::string content() {
        return "; примечание\r\n"
               "[Восприятия]\r\nЁЛКА=ель\r\n"
               "[Disk]\r\n0=  Зрение \t\r\n1=\"  Слух  \"\r\n2='Вкус\"\r\nё=ёж\r"
               "[list2]\n0=Заголовок № 2 — «вот»\n1=" + repeat("ж", 3000) + "\n"
               "[Disk]\r\n0=второй раздел\r\n";
    }
    test::TempDir dir;
};

TEST_F(SameTextAnyEncoding, Utf8WithAndWithoutMarkReadsAsWindows1251) {
    test::writeBytes(dir / "cp.ini", cp1251(content()));
    test::writeBytes(dir / "u8.ini", content());
    test::writeBytes(dir / "bom.ini", kBom + content());
    const TIniFile cp((dir / "cp.ini").string());
    const TIniFile u8((dir / "u8.ini").string());
    const TIniFile bom((dir / "bom.ini").string());
    EXPECT_EQ(cp.Read().encoding(), DataEncoding::Windows1251);
    EXPECT_EQ(u8.Read().encoding(), DataEncoding::Utf8);
    EXPECT_EQ(bom.Read().encoding(), DataEncoding::Utf8Bom);
    const std::pair<const char*, const char*> queries[] = {
        {"восприятия", "ёлка"}, {"DISK", "0"}, {"disk", "1"}, {"Disk", "2"}, {"Disk", "Ё"},
        {"List2", "0"},         {"LIST2", "1"}, {"Disk", "3"}, {"Нет", "0"},
    };
    for (const auto& [section, key] : queries) {
        const std::string expected = cp.ReadString(section, key, "<нет>");
        EXPECT_EQ(u8.ReadString(section, key, "<нет>"), expected) << section << "/" << key;
        EXPECT_EQ(bom.ReadString(section, key, "<нет>"), expected) << section << "/" << key;
    }
    EXPECT_EQ(u8.ReadString("Восприятия", "ёлка", ""), "ель");
    EXPECT_EQ(u8.ReadString("Disk", "0", ""), "Зрение");
    EXPECT_EQ(u8.ReadString("Disk", "1", ""), "  Слух  ");
    EXPECT_EQ(u8.ReadString("Disk", "2", ""), "'Вкус\"");
    EXPECT_EQ(u8.ReadString("Disk", "ё", ""), "ёж");
    EXPECT_EQ(u8.ReadString("List2", "0", ""), "Заголовок № 2 — «вот»");
    EXPECT_EQ(u8.ReadString("List2", "1", ""), repeat("ж", 2047));
}

TEST(Utf8Values, CutAt2047CharactersNeverSplitsOne) {
    // 2046 ASCII letters, then a three-byte character: it is the 2047th and stays whole.
    const std::string value = std::string(2046, 'a') + "€" + "€€";
    const IniSnapshot file("[a]\r\nk=" + value + "\r\n");
    ASSERT_EQ(file.encoding(), DataEncoding::Utf8);
    EXPECT_EQ(file.value("a", "k"), std::string(2046, 'a') + "€");
    // Exactly 2047 four-byte characters are kept whole.
    const std::string emoji = repeat("\xF0\x9F\x98\x80", 2047);
    EXPECT_EQ(IniSnapshot("[a]\r\nk=" + emoji + "x\r\n").value("a", "k"), emoji);
}

TEST(Utf8Values, BytesThatAreNotUtf8AfterAMarkShowAsReplacementAndCountOneEach) {
    const IniSnapshot file(kBom + "[a]\r\nk=a\xFF\xC3" "b\r\nlong=" + std::string(2046, 'x') + "\xFF\xFFyz\r\n");
    EXPECT_EQ(file.value("a", "k"), "a\xEF\xBF\xBD\xEF\xBF\xBD" "b");
    EXPECT_EQ(file.value("a", "long"), std::string(2046, 'x') + "\xEF\xBF\xBD");
}

TEST(Utf8Names, FoldLatinAndCyrillicLettersAndMatchNothingElse) {
    const IniSnapshot file("[Раздел Ёж]\r\nКлюч-Ґ=да\r\n");
    EXPECT_EQ(file.value("раздел ёж", "ключ-ґ"), "да");
    EXPECT_EQ(file.value("РАЗДЕЛ ЁЖ", "КЛЮЧ-Ґ"), "да");
    EXPECT_EQ(file.value("Раздел Еж", "Ключ-Ґ"), std::nullopt);
    EXPECT_TRUE(profileNamesEqual("ÄÖ", "ÄÖ", DataEncoding::Utf8));
    EXPECT_FALSE(profileNamesEqual("ä", "Ä", DataEncoding::Utf8));  // no Windows-1251 byte: matched exactly
    EXPECT_FALSE(profileNamesEqual("ab", "abc", DataEncoding::Utf8));
}

// --- one read for many keys --------------------------------------------------

TEST(IniSections, AnswerAsTheScannerDoes) {
    const std::string bytes =
        "k=outside\r\n[A]\r\nk=1\r\nk=2\r\n x = 3 \r\n[b]\r\nk=b\r\n[a]\r\nk=second\r\nm=4\r\n";
    const IniSnapshot file(bytes);
    for (const char* section : {"a", "b", "c"}) {
        const IniSection s = file.section(section);
        EXPECT_EQ(s.exists(), section[0] != 'c');
        for (const char* key : {"k", "K", "x", "m", "none"}) {
            EXPECT_EQ(s.value(key), file.value(section, key)) << section << "/" << key;
        }
    }
    EXPECT_EQ(file.section("A").value("k"), "1");
    EXPECT_EQ(file.section("A").value("x"), "3");
}

// Numbered keys are kept apart from the others; the first of a number wins
// however large it is, and "07" is a name of its own, never 7.
TEST(IniSections, NumberedKeysAnswerAsTheScannerDoes) {
    const IniSnapshot file(std::string("[s]\r\n2=b\r\n0=z\r\n1=a\r\n2=dup\r\n07=seven\r\n"
                                       "99999999999=far\r\n99999999999=again\r\n4=d\r\n4=dd\r\n"
                                       "00=zero\r\n1000000000000000000000=huge\r\n"));
    const IniSection s = file.section("s");
    for (const char* key : {"0", "1", "2", "3", "4", "7", "07", "99999999999", "00", "1000000000000000000000", "5"}) {
        EXPECT_EQ(s.value(key), file.value("s", key)) << key;
    }
    EXPECT_EQ(s.value("2"), "b");
    EXPECT_EQ(s.value("99999999999"), "far");
    EXPECT_EQ(s.value("7"), std::nullopt);
    EXPECT_EQ(s.size(), 8u);
}

TEST(IniSections, OutliveTheirSnapshot) {
    std::optional<IniSection> kept;
    {
        const IniSnapshot file(std::string("[s]\r\nk=v\r\n"));
        kept = file.section("s");
    }
    EXPECT_EQ(kept->value("k"), "v");
}

// --- files that are not ordinary ----------------------------------------------

TEST_F(IniFileTest, FoldersFifosAndDevicesGiveTheDefaultWithoutBlocking) {
#ifdef _WIN32
    // No FIFOs here; the device names open devices wherever they stand.
    const std::string notFiles[] = {dir.path().string(), "NUL", "CON", "com1", (dir / "nul.ini").string(),
                                    (dir / "LPT1 .txt").string(), "\\\\.\\PhysicalDrive0"};
#else
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    const std::string notFiles[] = {path, dir.path().string(), "/dev/zero"};
#endif
    const auto start = std::chrono::steady_clock::now();
    for (const std::string& p : notFiles) {
        EXPECT_EQ(TIniFile(p).ReadString("Disk", "0", "def"), "def") << p;
        EXPECT_EQ(TIniFile(p).Read().status(), ReadStatus::NotRegular) << p;
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST_F(IniFileTest, FileOverTheSizeCapGivesTheDefault) {
    test::writeBytes(path, "[Disk]\r\n0=A\r\n");
    std::filesystem::resize_file(path, kMaxDataFileBytes + 1);  // sparse: costs no disk
    EXPECT_EQ(TIniFile(path).ReadString("Disk", "0", "def"), "def");
    EXPECT_EQ(TIniFile(path).Read().status(), ReadStatus::TooLarge);
    std::filesystem::resize_file(path, kMaxDataFileBytes);
    EXPECT_EQ(TIniFile(path).ReadString("Disk", "0", "def"), "A");
}

}  // namespace
}  // namespace mnemora
