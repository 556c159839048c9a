#include "sessions/data_file_check.h"

#include <gtest/gtest.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/cp1251.h"
#include "temp_dir.h"

namespace mnemora {
namespace {

const std::string kBom = "\xEF\xBB\xBF";

// Perceptions and every list with a header and two questions: a file with
// nothing to report, to which each test adds its one fault.
std::string cleanFile(const std::string& disk = "[Disk]\r\n0=Зрение\r\n1=Слух\r\n", int fromList = 1) {
    std::string s = disk;
    for (int list = fromList; list <= 30; ++list) {
        s += "[List" + std::to_string(list) + "]\r\n0=Вспомните:\r\n1=Утро?\r\n2=Вечер?\r\n";
    }
    return s;
}

// The file text in another encoding, as another editor would have saved it.
std::string convert(const std::string& utf8, const char* to) {
    iconv_t cd = ::iconv_open(to, "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        ADD_FAILURE() << "no iconv for " << to;
        return {};
    }
    std::string out(utf8.size() * 4 + 16, '\0');
    char* in = const_cast<char*>(utf8.data());
    std::size_t inLeft = utf8.size();
    char* o = out.data();
    std::size_t outLeft = out.size();
    ::iconv(cd, &in, &inLeft, &o, &outLeft);
    ::iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
}

DataFileReport check(const std::string& bytes) { return checkDataFile(IniSnapshot(bytes)); }

// The findings of one level on one line whose text holds `part`.
int countFindings(const DataFileReport& r, FindingLevel level, std::size_t line, std::string_view part) {
    int n = 0;
    for (const Finding& f : r.findings) {
        n += f.level == level && f.line == line && f.text.find(part) != std::string::npos;
    }
    return n;
}

std::string dump(const DataFileReport& r) {
    std::string s;
    for (const Finding& f : r.findings) {
        if (f.text.find("вопросов:") == std::string::npos) {
            s += formatFinding("f", f) + "\n";
        }
    }
    return s;
}

#define EXPECT_FINDING(report, level, line, part) \
    EXPECT_EQ(countFindings(report, FindingLevel::level, line, part), 1) << dump(report)

TEST(DataFileCheck, CleanFileHasOnlyInformationAndExitsZero) {
    const DataFileReport r = check(cleanFile());
    EXPECT_EQ(r.exitStatus(), 0) << dump(r);
    EXPECT_EQ(r.count(FindingLevel::Warning), 0u);
    EXPECT_FINDING(r, Info, 0, "кодировка: UTF-8");
    EXPECT_FINDING(r, Info, 1, "восприятий: 2");
    EXPECT_FINDING(r, Info, 4, "[List1]: вопросов: 2");
    EXPECT_EQ(r.perceptions, 2u);
    EXPECT_EQ(r.questions[30], 2u);
}

TEST(DataFileCheck, SampleFilePassesWithExitZero) {
    const DataFileReport r = checkDataFile(std::string(MNEMORA_SOURCE_DIR) + "/examples/Mnemora.ini");
    EXPECT_EQ(r.exitStatus(), 0) << dump(r);
    EXPECT_GE(r.perceptions, 2u);
    for (int list = 1; list <= 30; ++list) {
        EXPECT_GE(r.questions[static_cast<std::size_t>(list)], 5u) << list;
    }
}

TEST(DataFileCheck, FilesThatCannotBeUsedExitTwo) {
    test::TempDir dir;
    EXPECT_FINDING(checkDataFile((dir / "none.ini").string()), Error, 0, "файла нет");
    EXPECT_FINDING(checkDataFile(dir.path().string()), Error, 0, "не обычный файл");
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    EXPECT_FINDING(checkDataFile((dir / "fifo").string()), Error, 0, "не обычный файл");
    EXPECT_EQ(checkDataFile("/dev/zero").exitStatus(), 2);
    test::writeBytes(dir / "big.ini", "[Disk]\r\n");
    std::filesystem::resize_file(dir / "big.ini", kMaxDataFileBytes + 1);
    EXPECT_FINDING(checkDataFile((dir / "big.ini").string()), Error, 0, "больше 64 МиБ");
    for (const char* name : {"none.ini", "fifo", "big.ini"}) {
        EXPECT_EQ(checkDataFile((dir / name).string()).exitStatus(), 2) << name;
    }
}

TEST(DataFileCheck, UnreadableFileExitsTwoForOthersThanRoot) {
    test::TempDir dir;
    test::writeBytes(dir / "f.ini", cleanFile());
    ::chmod((dir / "f.ini").c_str(), 0);
    const int status = test::runUnprivileged([&] {
        const DataFileReport r = checkDataFile((dir / "f.ini").string());
        return countFindings(r, FindingLevel::Error, 0, "не читается") == 1 ? r.exitStatus() : 99;
    });
    // The unprivileged user may not even reach the folder: either way it cannot read.
    EXPECT_EQ(status, 2);
}

TEST(DataFileCheck, FewerThanTwoPerceptionsIsAnError) {
    for (const std::string disk : {"[Disk]\r\n0=Зрение\r\n", "[Disk]\r\n", "[Disk]\r\n0=\r\n1=Слух\r\n"}) {
        const DataFileReport r = check(cleanFile(disk));
        EXPECT_FINDING(r, Error, 1, "восприятий меньше двух");
        EXPECT_EQ(r.exitStatus(), 2);
    }
    const DataFileReport none = check(cleanFile(""));
    EXPECT_FINDING(none, Error, 0, "нет раздела [Disk]");
    EXPECT_EQ(none.exitStatus(), 2);
}

TEST(DataFileCheck, NamesTheEncodingReadIn) {
    EXPECT_FINDING(check(*utf8ToCp1251(cleanFile())), Info, 0, "кодировка: Windows-1251");
    EXPECT_FINDING(check(cleanFile()), Info, 0, "кодировка: UTF-8");
    EXPECT_FINDING(check(kBom + cleanFile()), Info, 0, "с метки порядка байтов");
    EXPECT_EQ(check(kBom + cleanFile()).exitStatus(), 0);
}

TEST(DataFileCheck, HintsToConvertFilesThatLookLikeAnotherEncoding) {
    const std::string russian =
        cleanFile("[Disk]\r\n0=Зрение и всё, что мы видим вокруг\r\n1=Слух и звуки природы\r\n");
    EXPECT_FINDING(check(convert(russian, "KOI8-R")), Warning, 0, "iconv -f KOI8-R -t UTF-8");
    EXPECT_FINDING(check(convert(russian, "CP866")), Warning, 0, "iconv -f CP866 -t UTF-8");
    EXPECT_FINDING(check(convert(russian, "UTF-16")), Warning, 0, "iconv -f UTF-16 -t UTF-8");
    // UTF-8 with one stray Windows-1251 byte is read as Windows-1251 as a whole.
    const DataFileReport stray = check(russian + "; \xE0\r\n");
    EXPECT_FINDING(stray, Info, 0, "кодировка: Windows-1251");
    EXPECT_FINDING(stray, Warning, 0, "в строке 124 есть байты не UTF-8");
    // UTF-8 once taken for Windows-1251 and saved as UTF-8 again.
    EXPECT_FINDING(check(cp1251ToUtf8(russian)), Warning, 0, "iconv -f UTF-8 -t WINDOWS-1251");
    // The UTF-8 mark on a file that was never converted from Windows-1251.
    EXPECT_FINDING(check(kBom + *utf8ToCp1251(russian)), Warning, 0,
                   "tail -c +4 ФАЙЛ | iconv -f WINDOWS-1251 -t UTF-8");
    // Genuine files in either encoding get no hint.
    EXPECT_EQ(check(russian).exitStatus(), 0) << dump(check(russian));
    EXPECT_EQ(check(*utf8ToCp1251(russian)).exitStatus(), 0) << dump(check(*utf8ToCp1251(russian)));
}

TEST(DataFileCheck, ListsWithoutSectionHeaderOrQuestions) {
    const std::string file = "[Disk]\r\n0=a\r\n1=b\r\n"
                             "[List1]\r\n1=Q\r\n"         // 4: no header
                             "[List2]\r\n0=\r\n1=Q\r\n"   // 6: empty header
                             "[List3]\r\n0=H\r\n"         // 9: no question
                             "[List4]\r\n0=H\r\n1=\r\n";  // 11: empty question 1
    const DataFileReport r = check(file + cleanFile("", 5));
    EXPECT_FINDING(r, Warning, 4, "[List1]: нет заголовка (ключ 0): покажется «Можете ли Вы вспомнить:»");
    EXPECT_FINDING(r, Info, 4, "[List1]: вопросов: 1");
    EXPECT_FINDING(r, Warning, 7, "[List2]: заголовок (ключ 0) пуст");
    EXPECT_FINDING(r, Warning, 9, "[List3]: нет вопроса 1: список сразу закончится");
    EXPECT_FINDING(r, Warning, 11, "[List4]: нет вопроса 1");
    EXPECT_EQ(r.exitStatus(), 1);
    const DataFileReport missing = check(cleanFile("[Disk]\r\n0=a\r\n1=b\r\n", 8));
    for (int list = 1; list <= 7; ++list) {
        EXPECT_FINDING(missing, Warning, 0, "нет раздела [List" + std::to_string(list) + "]:");
    }
    EXPECT_EQ(missing.count(FindingLevel::Warning), 7u);
}

TEST(DataFileCheck, GapEndsAListAndNamesTheKeysNeverRead) {
    const std::string file = "[Disk]\r\n0=a\r\n1=b\r\n3=d\r\n"               // 1-4
                             "[List1]\r\n0=H\r\n1=Q1\r\n2=Q2\r\n4=Q4\r\n5=Q5\r\n6=Q6\r\n9=Q9\r\n"  // 5-12
                             "[List2]\r\n0=H\r\n1=Q1\r\n2=\r\n3=Q3\r\n";    // 13-17
    const DataFileReport r = check(file + cleanFile("", 3));
    EXPECT_FINDING(r, Warning, 3, "[Disk]: нет восприятия 2: восприятия кончаются на ключе 1, и ключ 3 (строка 4) не читается");
    EXPECT_FINDING(r, Warning, 8,
                   "[List1]: нет вопроса 3: список кончается на вопросе 2, и ключи 4–6 (строки 9–11), 9 (строка 12) не читаются");
    EXPECT_FINDING(r, Warning, 16, "[List2]: пустой вопрос 2: список кончается на вопросе 1, и ключ 3 (строка 17) не читается");
    EXPECT_EQ(r.perceptions, 2u);
    EXPECT_EQ(r.questions[1], 2u);
    EXPECT_EQ(r.questions[2], 1u);
}

TEST(DataFileCheck, KeysWithZeroSignOrBlanksAreNeverRead) {
    const DataFileReport r =
        check("[Disk]\r\n0=a\r\n1=b\r\n01=c\r\n+2=d\r\n-1=e\r\n1 0=f\r\n+007=g\r\nзаметка=h\r\n" + cleanFile("", 1));
    EXPECT_FINDING(r, Warning, 4, "ключ «01» никогда не читается: номер пишется без нулей впереди («1»)");
    EXPECT_FINDING(r, Warning, 5, "ключ «+2» никогда не читается: номер пишется без знака («2»)");
    EXPECT_FINDING(r, Warning, 6, "ключ «-1» никогда не читается: номер пишется без знака");
    EXPECT_FINDING(r, Warning, 7, "ключ «1 0» никогда не читается: номер пишется без пробелов («10»)");
    EXPECT_FINDING(r, Warning, 8, "номер пишется без знака и без нулей впереди («7»)");
    // A key of the author's own is allowed and left alone.
    EXPECT_EQ(countFindings(r, FindingLevel::Warning, 9, ""), 0) << dump(r);
}

TEST(DataFileCheck, DuplicateSectionsAndKeysSayWhichCounts) {
    const DataFileReport r = check(cleanFile("[Disk]\r\n0=a\r\n1=b\r\n1=B\r\n[disk]\r\n2=c\r\n[Прочее]\r\n[Прочее]\r\n"));
    EXPECT_FINDING(r, Warning, 4, "ключ 1 повторяется: читается первый, из строки 3");
    EXPECT_FINDING(r, Warning, 5, "раздел [disk] повторяется: читается только первый, [Disk] из строки 1");
    // Sections the reader never asks for may repeat.
    EXPECT_EQ(countFindings(r, FindingLevel::Warning, 8, ""), 0) << dump(r);
    EXPECT_EQ(r.perceptions, 2u);
}

TEST(DataFileCheck, ListSectionsNumberedOtherwiseAreNeverRead) {
    const DataFileReport r = check(cleanFile() + "[List07]\r\n[List 8]\r\n[List31]\r\n[List0]\r\n[Listing]\r\n");
    const std::size_t first = 1 + 3 + 30 * 4;
    EXPECT_FINDING(r, Warning, first, "раздел [List07] не читается: номер пишется без нулей впереди ([List7])");
    EXPECT_FINDING(r, Warning, first + 1, "раздел [List 8] не читается: номер пишется без пробелов ([List8])");
    EXPECT_FINDING(r, Warning, first + 2, "раздел [List31] не читается: списков 30");
    EXPECT_FINDING(r, Warning, first + 3, "раздел [List0] не читается");
    EXPECT_EQ(countFindings(r, FindingLevel::Warning, first + 4, ""), 0);
}

TEST(DataFileCheck, ValuesOver2047CharactersAreCutCountingCharacters) {
    std::string fits, over;
    for (int i = 0; i < 2047; ++i) {
        fits += "ж";
    }
    over = fits + "конец";
    // In UTF-8 the 2047 letters are 4094 bytes, and still read whole.
    const DataFileReport r = check(cleanFile("[Disk]\r\n0=" + fits + "\r\n1=" + over + "\r\n"));
    EXPECT_EQ(countFindings(r, FindingLevel::Warning, 2, ""), 0) << dump(r);
    EXPECT_FINDING(r, Warning, 3, "значение длиннее 2047 знаков (2052): покажутся только первые 2047");
    const DataFileReport cp = check(*utf8ToCp1251(cleanFile("[Disk]\r\n0=" + fits + "\r\n1=" + over + "\r\n")));
    EXPECT_FINDING(cp, Warning, 3, "значение длиннее 2047 знаков (2052)");
}

TEST(DataFileCheck, LinesOutsideSectionsAndLinesThatAreNeitherSectionNorKey) {
    const DataFileReport r = check("до раздела\r\n1=тоже\r\n; примечание\r\n\r\n" +
                                   cleanFile("[Disk]\r\n0=a\r\n1=b\r\nпросто текст\r\n# и это примечание\r\n"));
    EXPECT_FINDING(r, Warning, 1, "строка до первого раздела");
    EXPECT_FINDING(r, Warning, 2, "строка до первого раздела");
    EXPECT_FINDING(r, Warning, 8, "строка не раздел и не ключ");
    // Lines meant as notes are never read, as meant.
    EXPECT_EQ(countFindings(r, FindingLevel::Warning, 3, ""), 0);
    EXPECT_EQ(countFindings(r, FindingLevel::Warning, 9, ""), 0);
}

TEST(DataFileCheck, TextShownOtherwiseThanWritten) {
    const DataFileReport r = check(kBom + cleanFile("[Disk]\r\n0=\"В кавычках\"\r\n1=Том & Джерри\r\n2=Том && Джерри\r\n"
                                                    "3=обычно\r\n4=a\xFF" "b\r\n"));
    EXPECT_FINDING(r, Warning, 2, "кавычки по краям значения снимаются: покажется «В кавычках»");
    EXPECT_FINDING(r, Warning, 3, "одиночный «&»");
    EXPECT_EQ(countFindings(r, FindingLevel::Warning, 4, ""), 0) << dump(r);
    EXPECT_FINDING(r, Warning, 6, "байты не UTF-8");
    const std::string nul = cleanFile(std::string("[Disk]\r\n0=a\r\n1=до") + '\0' + "после\r\n");
    EXPECT_FINDING(check(nul), Warning, 3, "нулевой байт");
}

TEST(DataFileCheck, FindingsComeInLineOrderAndFormatLikeCompilerMessages) {
    const DataFileReport r = check("x\r\n" + cleanFile("", 2) + "[Disk]\r\n0=a\r\n1=b\r\n");
    for (std::size_t i = 1; i < r.findings.size(); ++i) {
        EXPECT_LE(r.findings[i - 1].line, r.findings[i].line);
    }
    EXPECT_EQ(formatFinding("d.ini", {FindingLevel::Warning, 12, "текст"}), "d.ini:12: предупреждение: текст");
    EXPECT_EQ(formatFinding("d.ini", {FindingLevel::Info, 0, "текст"}), "d.ini: сведения: текст");
    EXPECT_EQ(formatFinding("d.ini", {FindingLevel::Error, 1, "т"}), "d.ini:1: ошибка: т");
    EXPECT_EQ(formatSummary(r), "ошибок: 0, предупреждений: 2");
}

// The checker counts what a session will read; the reader is the judge.
TEST(DataFileCheck, CountsAgreeWithTheReader) {
    const std::string files[] = {
        "[disk]\r\n0=a\r\n 1 = b \r\n2=\"\"\r\n3=c\r\n[List1]\r\n1=x\r\n[LIST1]\r\n2=y\r\n",
        "[Disk]\r\n0=a\r\n0=\r\n1=b\r\n[List2]\r\n2=x\r\n1=y\r\n1=z\r\n3=\t'q'\r\n",
        kBom + "[Disk]\r0=а\r1=б\r[List3]\r1=в" + '\0' + "г\r2=\r",
    };
    for (const std::string& bytes : files) {
        const IniSnapshot file(bytes);
        const DataFileReport r = checkDataFile(file);
        std::uint64_t perceptions = 0;
        while (!file.value("Disk", std::to_string(perceptions)).value_or("").empty()) {
            ++perceptions;
        }
        EXPECT_EQ(r.perceptions, perceptions) << bytes;
        for (int list = 1; list <= 30; ++list) {
            std::uint64_t q = 0;
            while (!file.value("List" + std::to_string(list), std::to_string(q + 1)).value_or("").empty()) {
                ++q;
            }
            EXPECT_EQ(r.questions[static_cast<std::size_t>(list)], q) << bytes << " list " << list;
        }
    }
}

// A file of a great many faulty lines shows the first findings by line and
// counts every one; the exit status and the summary see them all.
TEST(DataFileCheck, ManyFaultyLinesShowTheFirstAndCountAll) {
    std::string bytes = "[Disk]\r\n0=a\r\n";
    for (std::size_t i = 0; i < kMaxShownFindings + 500; ++i) {
        bytes += i % 2 == 0 ? "1=b\r\n" : "junk\r\n";  // repeats of key 1, and lines without "="
    }
    bytes += cleanFile("", 1);
    const DataFileReport r = check(bytes);
    const std::size_t faulty = kMaxShownFindings + 500 - 1;  // the first "1=b" counts
    EXPECT_EQ(r.count(FindingLevel::Warning), faulty);
    EXPECT_EQ(r.exitStatus(), 1);
    EXPECT_EQ(r.perceptions, 2u);
    EXPECT_EQ(r.findingsLeftOut, r.count(FindingLevel::Info) + faulty - r.findings.size());
    ASSERT_EQ(r.findings.size(), kMaxShownFindings);
    for (std::size_t i = 1; i < r.findings.size(); ++i) {
        ASSERT_LE(r.findings[i - 1].line, r.findings[i].line);
    }
    // The encoding and the perceptions (line 1) first, then lines 4 on.
    EXPECT_EQ(r.findings.back().line, kMaxShownFindings + 1);
    EXPECT_NE(formatSummary(r).find("ещё " + std::to_string(r.findingsLeftOut) + " не показаны"), std::string::npos)
        << formatSummary(r);
}

}  // namespace
}  // namespace mnemora
