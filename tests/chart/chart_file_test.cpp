#include "chart/chart_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "core/cp1251.h"
#include "core/error.h"
#include "as_users.h"
#include "temp_dir.h"

namespace mnemora {
namespace {

using namespace std::string_literals;
using test::readBytes;
using test::TempDir;
using test::writeBytes;

TToneChart resetChart() {
    TToneChart chart;
    chart.ClearInputCells();
    return chart;
}

// The chart as the window holds it after opening these bytes: replayed into a
// reset chart, then the result recomputed.
TToneChart replay(std::string_view bytes) {
    TToneChart chart = resetChart();
    for (int n : parseChartBytes(bytes).toggles) {
        chart.ToggleCell(n);
    }
    chart.RecalcTone();
    return chart;
}

std::vector<int> markedInputCells(const TToneChart& chart) {
    std::vector<int> cells;
    for (int n = 1; n <= TToneChart::kCellCount; ++n) {
        if (TToneChart::isInputCell(n) && chart.marked(n)) {
            cells.push_back(n);
        }
    }
    return cells;
}

std::vector<int> marks(std::string_view bytes) { return markedInputCells(replay(bytes)); }

std::string cp1251(std::string_view utf8) { return *utf8ToCp1251(utf8); }

// --- Writing -------------------------------------------------------------

TEST(ChartFileWrite, DateNoteAndAscendingCellsEachEndedByCrLf) {
    TToneChart chart = resetChart();
    for (int n : {210, 1, 31}) {
        chart.ToggleCell(n);
    }
    chart.RecalcTone();  // result cells 21..26 are marked now and must not be written
    EXPECT_EQ(buildChartBytes("07.12.2026 09:05", "тест", chart),
              "_DateCreate=07.12.2026 09:05\r\n_Primet=\xF2\xE5\xF1\xF2\r\n1\r\n31\r\n210\r\n");
}

TEST(ChartFileWrite, ChartWithoutMarksIsTwoLines) {
    EXPECT_EQ(buildChartBytes("", "", resetChart()), "_DateCreate=\r\n_Primet=\r\n");
}

TEST(ChartFileWrite, NoteThatCp1251CannotHoldIsRefused) {
    EXPECT_THROW(buildChartBytes("01.01.2026 10:00", "日本", resetChart()), EncodingError);
}

// --- Round trips -----------------------------------------------------------

TEST(ChartFileRoundTrip, MarksDateAndCyrillicNoteComeBack) {
    TempDir dir;
    const auto path = dir / "chart.ton";
    TToneChart written = resetChart();
    for (int n : {4, 31, 11, 64, 90, 116, 142, 168, 194, 220, 228, 19}) {
        written.ToggleCell(n);
    }
    const std::string note = "Ёжик в тумане: ЁЛКА=ёлка, №5 «да» — €";
    WriteChartFile(path, "07.12.2026 09:05", note, written);

    TToneChart read = resetChart();
    const ChartTexts texts = ReadChartFile(path, read);
    EXPECT_EQ(texts.date, "07.12.2026 09:05");
    EXPECT_EQ(texts.note, note);
    EXPECT_EQ(markedInputCells(read), markedInputCells(written));
    for (int n = 1; n <= TToneChart::kCellCount; ++n) {
        EXPECT_EQ(read.shade(n), written.shade(n)) << "cell " << n;
    }
}

TEST(ChartFileRoundTrip, FileWithoutDateIsSavedWithAnEmptyDate) {
    const ParsedChartFile parsed = parseChartBytes("_Primet=x\r\n7\r\n");
    EXPECT_EQ(parsed.texts.date, "");
    EXPECT_EQ(buildChartBytes(parsed.texts.date, parsed.texts.note, replay("7\r\n")),
              "_DateCreate=\r\n_Primet=x\r\n7\r\n");
}

TEST(ChartFileRoundTrip, ResultCellLineIsDroppedOnTheNextSave) {
    const TToneChart chart = replay("_DateCreate=d\r\n21\r\n");
    EXPECT_EQ(chart.markCount(), 0) << "recomputing overwrites the toggled result mark";
    EXPECT_EQ(buildChartBytes("d", "", chart), "_DateCreate=d\r\n_Primet=\r\n");
}

// --- Line ends and NUL -----------------------------------------------------

TEST(ChartFileLines, CrOnlyLfOnlyAndMixedEndsReadLikeCrLf) {
    const std::string crlf = "_DateCreate=d\r\n_Primet=n\r\n1\r\n31\r\n210\r\n";
    const std::vector<int> expected = {1, 31, 210};
    for (const std::string& bytes :
         {crlf, "_DateCreate=d\r_Primet=n\r1\r31\r210\r"s, "_DateCreate=d\n_Primet=n\n1\n31\n210\n"s,
          "_DateCreate=d\n\r_Primet=n\r\r\n1\n31\r210"s}) {
        SCOPED_TRACE(bytes);
        const ParsedChartFile parsed = parseChartBytes(bytes);
        EXPECT_EQ(parsed.texts.date, "d");
        EXPECT_EQ(parsed.texts.note, "n");
        EXPECT_EQ(marks(bytes), expected);
    }
}

TEST(ChartFileLines, LoneCrEndsTheValueLine) {
    // Were the CR kept inside the line, the note would read "a\r5" and cell 5 stay empty.
    const std::string bytes = "_Primet=a\r5";
    EXPECT_EQ(parseChartBytes(bytes).texts.note, "a");
    EXPECT_EQ(marks(bytes), std::vector<int>{5});
}

TEST(ChartFileLines, BlanksStayPartOfTheLine) {
    EXPECT_EQ(marks(" 5\r\n6 \r\n\t7\r\n8\r\n"), std::vector<int>{8});
    EXPECT_EQ(parseChartBytes("_Primet=  two blanks  \r\n").texts.note, "  two blanks  ");
}

TEST(ChartFileLines, TextEndsAtTheFirstNul) {
    const std::string bytes = "_Primet=ab\0cd\r\n1\r\n_DateCreate=late\r\n"s;
    const ParsedChartFile parsed = parseChartBytes(bytes);
    EXPECT_EQ(parsed.texts.note, "ab");
    EXPECT_EQ(parsed.texts.date, "");
    EXPECT_TRUE(parsed.toggles.empty());

    EXPECT_EQ(marks("1\r\n2\0\r\n3\r\n"s), (std::vector<int>{1, 2}));
}

TEST(ChartFileLines, EmptyFileGivesAnEmptyChart) {
    const ParsedChartFile parsed = parseChartBytes("");
    EXPECT_FALSE(parsed.formatError);
    EXPECT_TRUE(parsed.toggles.empty());
    EXPECT_EQ(parsed.texts.date, "");
    EXPECT_EQ(parsed.texts.note, "");
}

// --- Replaying cell lines --------------------------------------------------

TEST(ChartFileReplay, UnderscoreLinesAreNotCells) {
    const ParsedChartFile parsed = parseChartBytes("_5\r\n_anel3\r\n_\r\n6\r\n");
    EXPECT_FALSE(parsed.formatError) << "a skipped line cannot name a panel";
    EXPECT_EQ(parsed.toggles, std::vector<int>{6});
}

TEST(ChartFileReplay, LinesThatNameNoPanelAreIgnored) {
    for (const char* line : {"0", "235", "01", "+5", "-5", "x", "", "5x", "p5", "P5", "anel", "anel30",
                             "anel03", "anel52", "anel262", "anel+3", "anel 3", "panel3", "1e2", "99999"}) {
        SCOPED_TRACE(line);
        const ParsedChartFile parsed = parseChartBytes(std::string(line) + "\r\n");
        EXPECT_FALSE(parsed.formatError);
        EXPECT_TRUE(parsed.toggles.empty());
    }
}

TEST(ChartFileReplay, NumberTwiceLeavesTheCellEmptyAndItsSubColumnPlain) {
    const TToneChart chart = replay("5\r\n5\r\n");
    EXPECT_FALSE(chart.marked(5));
    for (int r = 0; r < TToneChart::kRows; ++r) {
        EXPECT_EQ(chart.shade(TToneChart::cellNumber(r, 5)), TToneChart::Shade::Plain) << "row " << r;
    }
}

TEST(ChartFileReplay, LaterNumberOfASubColumnWins) {
    EXPECT_EQ(marks("187\r\n31\r\n"), std::vector<int>{31});
    EXPECT_EQ(marks("31\r\n187\r\n"), std::vector<int>{187});
}

TEST(ChartFileReplay, ResultCellLineShadesItsSubColumnUntilRepeated) {
    TToneChart once = replay("47\r\n");
    EXPECT_EQ(once.shade(21), TToneChart::Shade::Shaded);
    EXPECT_EQ(once.markCount(), 0);
    TToneChart twice = replay("47\r\n47\r\n");
    for (int r = 0; r < TToneChart::kRows; ++r) {
        EXPECT_EQ(twice.shade(TToneChart::cellNumber(r, 21)), TToneChart::Shade::Plain) << "row " << r;
    }
    EXPECT_EQ(twice.shade(22), TToneChart::Shade::Shaded);
}

TEST(ChartFileReplay, EveryCellNumberResolvesToItsCell) {
    for (int n = 1; n <= TToneChart::kCellCount; ++n) {
        EXPECT_EQ(resolveChartLine(std::to_string(n)), n);
    }
}

// --- Names of the window's other panels --------------------------------------

TEST(ChartFilePanelNames, OtherPanelNamesInAnyCaseAreAFormatFailure) {
    for (const char* line : {"anel1", "anel3", "ANEL3", "aNeL29", "anel53", "anel54", "anel183", "anel184",
                             "anel235", "anel236", "anel261"}) {
        SCOPED_TRACE(line);
        EXPECT_EQ(resolveChartLine(line), -1);
        EXPECT_TRUE(parseChartBytes(std::string(line) + "\r\n").formatError);
    }
}

TEST(ChartFilePanelNames, FailureKeepsEarlierCellsAndDropsTheRestAndTheTexts) {
    const ParsedChartFile parsed =
        parseChartBytes("_DateCreate=d\r\n_Primet=n\r\n5\r\n60\r\nAnel27\r\n7\r\n_Primet=late\r\n");
    EXPECT_TRUE(parsed.formatError);
    EXPECT_EQ(parsed.toggles, (std::vector<int>{5, 60}));
    EXPECT_EQ(parsed.texts.date, "");
    EXPECT_EQ(parsed.texts.note, "");
}

TEST(ChartFilePanelNames, ReaderAppliesTheCellsBeforeTheFailingLine) {
    TempDir dir;
    const auto path = dir / "bad.ton";
    writeBytes(path, "_DateCreate=d\r\n5\r\nanel3\r\n7\r\n");
    TToneChart chart = resetChart();
    try {
        ReadChartFile(path, chart);
        FAIL() << "no format failure";
    } catch (const ChartFormatError& e) {
        EXPECT_STREQ(e.what(), "Ошибка. Файл неизвестного формата.");
    }
    EXPECT_TRUE(chart.marked(5));
    EXPECT_FALSE(chart.marked(7));
    EXPECT_FALSE(chart.marked(21)) << "the reader itself recomputes nothing";
}

// --- The two value lines -----------------------------------------------------

TEST(ChartFileValues, FirstValueLineWinsAndNamesIgnoreCase) {
    const ParsedChartFile parsed = parseChartBytes(
        "_datecreate=01.01.2001 10:00\r\n_DateCreate=02.02.2002 11:00\r\n_PRIMET=first\r\n_Primet=second\r\n");
    EXPECT_EQ(parsed.texts.date, "01.01.2001 10:00");
    EXPECT_EQ(parsed.texts.note, "first");
}

TEST(ChartFileValues, ValueIsEverythingAfterTheFirstEqualsSign) {
    EXPECT_EQ(parseChartBytes("_Primet=a=b\r\n").texts.note, "a=b");
    EXPECT_EQ(parseChartBytes("_Primet=\r\n_Primet=later\r\n").texts.note, "") << "an empty first value still wins";
}

TEST(ChartFileValues, LineMustSpellTheNameExactlyBeforeTheEqualsSign) {
    const ParsedChartFile parsed = parseChartBytes("_DateCreate =x\r\n _Primet=y\r\n_DateCreate\r\n_PrimetX=z\r\n");
    EXPECT_EQ(parsed.texts.date, "");
    EXPECT_EQ(parsed.texts.note, "");
}

TEST(ChartFileValues, ValueLinesAreFoundAnywhereAndDecodedFromCp1251) {
    const ParsedChartFile parsed =
        parseChartBytes("12\r\n" + cp1251("_Primet=Заметка о дне") + "\r\n13\r\n_DateCreate=вчера\r\n");
    EXPECT_EQ(parsed.texts.note, "Заметка о дне");
    EXPECT_EQ(parsed.texts.date, cp1251ToUtf8("вчера")) << "UTF-8 bytes are read as cp1251 characters";
    EXPECT_EQ(parsed.toggles, (std::vector<int>{12, 13}));
}

// --- Files that cannot be opened or replaced ---------------------------------

TEST(ChartFileOpen, MissingFileOrFolderCannotBeOpened) {
    TempDir dir;
    for (const auto& path : {dir / "missing.ton", dir.path()}) {
        TToneChart chart = resetChart();
        chart.ToggleCell(9);
        try {
            ReadChartFile(path, chart);
            FAIL() << "opened " << path;
        } catch (const FileError& e) {
            EXPECT_EQ(e.what(), "Cannot open file " + path.string());
        }
        EXPECT_EQ(markedInputCells(chart), std::vector<int>{9}) << "the chart stays as the caller left it";
    }
}

// What opening gives: the failure's text, or "opened"; the chart must keep
// its one mark when the file cannot be opened.
std::string openOutcome(const std::filesystem::path& path) {
    TToneChart chart = resetChart();
    chart.ToggleCell(9);
    try {
        ReadChartFile(path, chart);
        return "opened";
    } catch (const FileError& e) {
        if (markedInputCells(chart) != std::vector<int>{9}) {
            return "chart changed";
        }
        return e.what();
    } catch (const std::exception& e) {
        return std::string("unexpected failure: ") + e.what();
    }
}

TEST(ChartFileOpen, FifoDeviceLoopOrOversizedFileCannotBeOpenedAndNothingWaits) {
    test::expectAsRootAndAsUser([](const std::filesystem::path& dir, test::Findings& f) {
        ::mkfifo((dir / "fifo.ton").c_str(), 0666);  // no writer: an ordinary open would wait for ever
        std::filesystem::create_symlink("fifo.ton", dir / "to-fifo.ton");
        std::filesystem::create_symlink("/dev/zero", dir / "zero.ton");
        std::filesystem::create_symlink("loop.ton", dir / "loop.ton");
        writeBytes(dir / "huge.ton", "_DateCreate=x\r\n5\r\n");
        std::filesystem::resize_file(dir / "huge.ton", kChartMaxBytes + 1);  // sparse
        std::filesystem::create_directory(dir / "folder.ton");
        for (const auto& path : {dir / "fifo.ton", dir / "to-fifo.ton", dir / "zero.ton", std::filesystem::path("/dev/zero"),
                                 dir / "loop.ton", dir / "huge.ton", dir / "folder.ton"}) {
            f.expectEq(openOutcome(path), "Cannot open file " + path.string(), path.string());
        }
        std::filesystem::resize_file(dir / "huge.ton", kChartMaxBytes);
        f.expectEq(openOutcome(dir / "huge.ton"), std::string("opened"), "a file of exactly the bound");
    });
}

TEST(ChartFileOpen, FileWithoutReadRightCannotBeOpened) {
    test::expectAsUser([](const std::filesystem::path& dir, test::Findings& f) {
        writeBytes(dir / "secret.ton", "5\r\n");
        ::chmod((dir / "secret.ton").c_str(), 0200);
        f.expectEq(openOutcome(dir / "secret.ton"), "Cannot open file " + (dir / "secret.ton").string(), "no read right");
    });
}

// The chart and texts a read gives when the bytes come in pieces of `size`.
ParsedChartFile readInPieces(std::string_view bytes, std::size_t size) {
    ParsedChartFile result;
    ChartScanner scanner([&](int n) { result.toggles.push_back(n); });
    for (std::size_t at = 0; at < bytes.size(); at += size) {
        if (!scanner.feed(bytes.substr(at, size))) {
            break;
        }
    }
    result.texts = scanner.finish();
    result.formatError = scanner.formatError();
    return result;
}

TEST(ChartFileLines, PiecesOfAnySizeReadAsTheWholeFile) {
    const std::string longNote(100000, '\xE9');
    const std::vector<std::string> files = {
        "_DateCreate=01.02.2003 04:05\r\n_Primet=" + longNote + "\r\n1\r\n31\r\n\r\n210",
        "\r\n\n\r5\r\r\n" + std::string(5000, 'x') + "\n_primet=a=b\r_Primet=second\n_DATECREATE=d\n7",
        "_DateCreatex=no\r\n_Date=no\r\n_DateCreate=yes\r\n12\r\nanel3\r\n13\r\n_Primet=after the failure\r\n",
        "_Primet=cut\0 here\r\n5\r\n"s + "6\r\n",
        "anel30\r\nANEL30\r\n" + std::string(20, '_') + "=x\r\n99\r\n_Primet",
        "",
    };
    for (const std::string& bytes : files) {
        const ParsedChartFile whole = parseChartBytes(bytes);
        for (std::size_t size : {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{7}, std::size_t{64}}) {
            const ParsedChartFile pieces = readInPieces(bytes, size);
            EXPECT_EQ(pieces.toggles, whole.toggles) << size << " " << bytes.substr(0, 40);
            EXPECT_EQ(pieces.formatError, whole.formatError) << size;
            EXPECT_EQ(pieces.texts.date, whole.texts.date) << size;
            EXPECT_EQ(pieces.texts.note, whole.texts.note) << size;
        }
    }
    const ParsedChartFile first = parseChartBytes(files[0]);
    EXPECT_EQ(first.toggles, (std::vector<int>{1, 31, 210}));
    EXPECT_EQ(first.texts.note, cp1251ToUtf8(longNote));
    const ParsedChartFile second = parseChartBytes(files[1]);
    EXPECT_EQ(second.toggles, (std::vector<int>{5, 7}));
    EXPECT_EQ(second.texts.note, "a=b");
    EXPECT_EQ(second.texts.date, "d");
    const ParsedChartFile third = parseChartBytes(files[2]);
    EXPECT_TRUE(third.formatError);
    EXPECT_EQ(third.toggles, std::vector<int>{12});
    EXPECT_EQ(parseChartBytes(files[3]).texts.note, "cut");
    EXPECT_TRUE(parseChartBytes(files[3]).toggles.empty());
}

// How much more memory a child process holds at its peak after reading the
// file, in kilobytes.
long peakGrowthReading(const std::filesystem::path& path) {
    int fds[2];
    if (::pipe(fds) != 0) {
        return -1;
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        rusage before{};
        ::getrusage(RUSAGE_SELF, &before);
        TToneChart chart = resetChart();
        long growth = -2;
        try {
            ReadChartFile(path, chart);
            rusage after{};
            ::getrusage(RUSAGE_SELF, &after);
            growth = after.ru_maxrss - before.ru_maxrss;
        } catch (const std::exception&) {
        }
        (void)!::write(fds[1], &growth, sizeof growth);
        ::_exit(0);
    }
    ::close(fds[1]);
    long growth = -1;
    if (::read(fds[0], &growth, sizeof growth) != sizeof growth) {
        growth = -1;
    }
    ::close(fds[0]);
    ::waitpid(pid, nullptr, 0);
    return growth;
}

TEST(ChartFileOpen, MemoryDoesNotGrowWithTheLinesOfTheFile) {
    TempDir dir;
    const std::size_t size = 32u << 20;
    std::string bytes;
    bytes.reserve(size);
    while (bytes.size() < size) {
        bytes += "\r\n";
    }
    bytes += "5\r\n";
    writeBytes(dir / "empty-lines.ton", bytes);
    bytes.clear();
    while (bytes.size() < size) {
        bytes += "not a cell and not a value, only a long line of text\n";
    }
    writeBytes(dir / "long-lines.ton", bytes);
    bytes = std::string();
    // Holding the file, or a record per line, would take 32 MB and more.
    for (const char* name : {"empty-lines.ton", "long-lines.ton"}) {
        const long growth = peakGrowthReading(dir / name);
        EXPECT_GE(growth, 0) << name;
        EXPECT_LT(growth, 8 * 1024) << name << ": kilobytes more at the peak";
    }
}

TEST(ChartFileSave, LinkLoopFifoOrFolderWithoutSearchRightSaysCannotCreate) {
    test::expectAsRootAndAsUser([](const std::filesystem::path& dir, test::Findings& f) {
        TToneChart chart = resetChart();
        chart.ToggleCell(31);
        const auto outcome = [&](const std::filesystem::path& path) -> std::string {
            try {
                WriteChartFile(path, "d", "n", chart);
                return "saved";
            } catch (const FileError& e) {
                return e.what();
            } catch (const std::exception& e) {
                return std::string("unexpected failure: ") + e.what();
            }
        };
        std::filesystem::create_symlink("b.ton", dir / "a.ton");
        std::filesystem::create_symlink("a.ton", dir / "b.ton");
        ::mkfifo((dir / "fifo.ton").c_str(), 0666);
        for (const char* name : {"a.ton", "fifo.ton"}) {
            f.expectEq(outcome(dir / name), "Cannot create file " + (dir / name).string(), name);
        }
        std::filesystem::create_directory(dir / "closed");
        ::chmod((dir / "closed").c_str(), 0600);
        const std::string closed = outcome(dir / "closed" / "chart.ton");
        f.expectEq(closed, ::geteuid() == 0 ? "saved" : "Cannot create file " + (dir / "closed" / "chart.ton").string(),
                   "folder without search right");
        ::chmod((dir / "closed").c_str(), 0700);
        // A chain of links is followed to its end and stays a chain.
        writeBytes(dir / "real.ton", "old");
        std::filesystem::create_symlink("real.ton", dir / "one.ton");
        std::filesystem::create_symlink("one.ton", dir / "two.ton");
        f.expectEq(outcome(dir / "two.ton"), std::string("saved"), "through two links");
        f.expect(std::filesystem::is_symlink(dir / "one.ton") && std::filesystem::is_symlink(dir / "two.ton"),
                 "both links kept");
        f.expectEq(markedInputCells(replay(readBytes(dir / "real.ton"))), std::vector<int>{31}, "saved at the end");
    });
}

class ChartFileSaveFailure : public ::testing::Test {
protected:
    void SetUp() override {
        writeBytes(target, old);
        chart.ToggleCell(100);
    }
    int filesInFolder() const {
        int n = 0;
        for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
            (void)e;
            ++n;
        }
        return n;
    }

    TempDir dir;
    const std::filesystem::path target = dir / "chart.ton";
    const std::string old = "_DateCreate=old\r\n_Primet=\r\n5\r\n";
    TToneChart chart = resetChart();
};

TEST_F(ChartFileSaveFailure, ShortWriteSaysStreamWriteErrorAndKeepsTheOldFile) {
    SafeSaveOptions halfThenNothing;
    bool first = true;
    halfThenNothing.write = [&](NativeFile fd, const void* data, std::size_t size) -> std::ptrdiff_t {
        if (!first) {
            return 0;
        }
        first = false;
        return writeSome(fd, data, size / 2);
    };
    try {
        WriteChartFile(target, "new", "note", chart, halfThenNothing);
        FAIL() << "no failure reported";
    } catch (const FileError& e) {
        EXPECT_STREQ(e.what(), "Stream write error");
    }
    EXPECT_EQ(readBytes(target), old);
    EXPECT_EQ(filesInFolder(), 1) << "the half-written temporary file is removed";
}

TEST_F(ChartFileSaveFailure, FullDiskSaysStreamWriteErrorAndKeepsTheOldFile) {
    SafeSaveOptions full;
    full.write = [](NativeFile, const void*, std::size_t) -> std::ptrdiff_t {
        errno = ENOSPC;
        return -1;
    };
    EXPECT_THROW(WriteChartFile(target, "new", "", chart, full), FileError);
    EXPECT_EQ(readBytes(target), old);
    EXPECT_EQ(filesInFolder(), 1);
}

TEST_F(ChartFileSaveFailure, ReadOnlyFolderSaysCannotCreateAndKeepsTheOldFile) {
    ::chmod(target.c_str(), 0666);
    ::chmod(dir.path().c_str(), 0555);
    const int rc = test::runUnprivileged([&] {
        try {
            WriteChartFile(target, "new", "", chart);
            return 1;
        } catch (const FileError& e) {
            return std::string(e.what()) == "Cannot create file " + target.string() ? 0 : 2;
        }
    });
    ::chmod(dir.path().c_str(), 0755);
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(readBytes(target), old);
}

TEST_F(ChartFileSaveFailure, MissingFolderSaysCannotCreate) {
    const auto path = dir / "gone" / "chart.ton";
    try {
        WriteChartFile(path, "new", "", chart);
        FAIL() << "no failure reported";
    } catch (const FileError& e) {
        EXPECT_EQ(e.what(), "Cannot create file " + path.string());
    }
}

// --- The sample chart shipped with the program ---------------------------------

TEST(ChartFileSample, SampleChartIsWhatTheWriterProduces) {
    const std::string bytes = readBytes(std::filesystem::path(MNEMORA_SOURCE_DIR) / "examples" / "sample.ton");
    ASSERT_FALSE(bytes.empty());
    const ParsedChartFile parsed = parseChartBytes(bytes);
    ASSERT_FALSE(parsed.formatError);
    const TToneChart chart = replay(bytes);
    EXPECT_GE(markedInputCells(chart).size(), 10u);
    EXPECT_GT(chart.markCount(), static_cast<int>(markedInputCells(chart).size())) << "some row is the result";
    EXPECT_FALSE(parsed.texts.date.empty());
    EXPECT_FALSE(parsed.texts.note.empty());
    EXPECT_EQ(buildChartBytes(parsed.texts.date, parsed.texts.note, chart), bytes)
        << "cp1251, CR LF and ascending cells, as a save would write it";
}

}  // namespace
}  // namespace mnemora
