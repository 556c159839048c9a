#include "sessions/session_engine.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <filesystem>

#include "core/cp1251.h"
#include "temp_dir.h"

#include <sys/stat.h>

namespace mnemora {
namespace {

using ::testing::ElementsAre;

const std::string kBase = "Мнемора (Версия 1.01) ";

// Records what the engine does to the window; answers error questions from a queue.
class FakeView : public SessionView {
public:
    std::string header, question, perception, caption;
    int helpContext = 0;
    bool visible = false;
    bool next = false, prior = false, brk = false, help = false, nt10 = true;
    std::vector<std::string> boxes;
    std::vector<std::string> errors;
    std::deque<Answer> answers;
    std::function<void()> onBox;

    void setHeaderText(const std::string& t) override { header = t; }
    void setQuestionText(const std::string& t) override { question = t; }
    std::string questionText() const override { return question; }
    void setPerceptionText(const std::string& t) override { perception = t; }
    void setWindowCaption(const std::string& t) override { caption = t; }
    void setWindowHelpContext(int c) override { helpContext = c; }
    void showWindow() override { visible = true; }
    void hideWindow() override { visible = false; }
    void setActionNextEnabled(bool on) override { next = on; }
    void setActionPriorEnabled(bool on) override { prior = on; }
    void setActionBreakEnabled(bool on) override { brk = on; }
    void setActionHelpContextEnabled(bool on) override { help = on; }
    void setNT10Enabled(bool on) override { nt10 = on; }
    void informationBox(const std::string& t) override {
        boxes.push_back(t);
        if (onBox) {
            onBox();
        }
    }
    Answer errorQuestion(const std::string& t, int ctx) override {
        errors.push_back(t);
        EXPECT_EQ(ctx, 1010);
        if (answers.empty()) {
            return Answer::Cancel;
        }
        const Answer a = answers.front();
        answers.pop_front();
        return a;
    }
};

class FakeSettings : public SessionSettings {
public:
    std::string path, defaultPath;
    int defaults = 0, saves = 0;
    std::string dataFile() const override { return path; }
    void setDefaultPaths() override {
        ++defaults;
        path = defaultPath;
    }
    void saveSettings() override { ++saves; }
};

std::string perceptionFile(int count) {
    std::string s = "[Disk]\r\n";
    for (int i = 0; i < count; ++i) {
        s += std::to_string(i) + "=P" + std::to_string(i) + "\r\n";
    }
    return s;
}

std::string listSection(int list, int questions, const std::string& header = "0=Header") {
    std::string s = "[List" + std::to_string(list) + "]\r\n" + header + "\r\n";
    for (int i = 1; i <= questions; ++i) {
        s += std::to_string(i) + "=Q" + std::to_string(i) + "\r\n";
    }
    return s;
}

class SessionTest : public ::testing::Test {
protected:
    void SetUp() override { settings.path = file(); }
    std::string file() const { return (dir / "Mnemora.ini").string(); }
    void write(const std::string& bytes) { test::writeBytes(file(), bytes); }
    void begin(int list = 1, int help = 1100) {
        engine.ClickSession({list, help, "Список " + std::to_string(list), "&Начать", "&Сессии"});
    }
    // Passes the gate at the current question and moves by `step`.
    void move(int step) {
        for (int i = 0; i < 3; ++i) {
            engine.ShowQuestion(step);
        }
    }
    void expectIdle() const {
        EXPECT_FALSE(engine.isRunning());
        EXPECT_FALSE(view.next || view.prior || view.brk || view.help);
        EXPECT_TRUE(view.nt10);
        EXPECT_FALSE(view.visible);
        EXPECT_EQ(view.caption, kBase);
        EXPECT_EQ(view.header, "");
        EXPECT_EQ(view.perception, "");
    }

    test::TempDir dir;
    FakeView view;
    FakeSettings settings;
    RandomGenerator random;
    SessionEngine engine{view, settings, random};
};

TEST_F(SessionTest, WindowCaptionIsSetWhenEngineIsMade) { EXPECT_EQ(view.caption, kBase); }

TEST_F(SessionTest, BeginningAListShowsHeaderFirstQuestionAndANonZeroPerception) {
    write(perceptionFile(3) + listSection(1, 3));
    engine.ClickSession({1, 1100, "Список 1. Общие случаи.", "&Начать", "&Сессии"});
    EXPECT_TRUE(engine.isRunning());
    EXPECT_TRUE(engine.hasReader());
    EXPECT_TRUE(view.visible);
    EXPECT_EQ(view.caption, kBase + "/Список 1. Общие случаи.");
    EXPECT_EQ(view.helpContext, 1100);
    EXPECT_EQ(engine.listHelpContext(), 1100);
    EXPECT_EQ(view.header, "Header");
    EXPECT_EQ(view.question, "Q1");
    EXPECT_NE(view.perception, "P0");
    EXPECT_FALSE(view.prior);
    EXPECT_TRUE(view.next && view.brk && view.help);
    EXPECT_FALSE(view.nt10);
    EXPECT_TRUE(view.boxes.empty());
}

TEST_F(SessionTest, CaptionPathSkipsMenuRootsAndRemovesMarks) {
    write(perceptionFile(2) + listSection(8, 1));
    engine.ClickSession({8, 1800, "Часть &1", "&5. Обоняние", "Список &3. Ориентация чувств."});
    EXPECT_EQ(view.caption, kBase + "/Список 3. Ориентация чувств./5. Обоняние/Часть 1");
    EXPECT_TRUE(SessionEngine::IsPathCaption("Сессии"));
    EXPECT_FALSE(SessionEngine::IsPathCaption("&Сессии"));
    EXPECT_FALSE(SessionEngine::IsPathCaption("&Начать"));
}

TEST_F(SessionTest, GateHoldsTwiceWithPromptsThenMoves) {
    write(perceptionFile(3) + listSection(1, 3));
    begin();
    const std::string firstPerception = view.perception;
    engine.ShowQuestion(1);
    engine.ShowQuestion(1);
    EXPECT_THAT(view.boxes, ElementsAre("Вспомните другой случай.", "Вспомните самый ранний случай."));
    EXPECT_EQ(view.question, "Q1");
    EXPECT_EQ(view.perception, firstPerception);
    engine.ShowQuestion(1);
    EXPECT_EQ(view.question, "Q2");
    EXPECT_NE(view.perception, firstPerception);
    EXPECT_TRUE(view.prior);
    EXPECT_EQ(engine.recallStage(), 0);
}

TEST_F(SessionTest, ForwardAndBackShareOneGateStage) {
    write(perceptionFile(3) + listSection(1, 3));
    begin();
    engine.ShowQuestion(1);
    engine.ShowQuestion(-1);
    EXPECT_THAT(view.boxes, ElementsAre("Вспомните другой случай.", "Вспомните самый ранний случай."));
    engine.ShowQuestion(1);
    EXPECT_EQ(view.question, "Q2");
    move(-1);
    EXPECT_EQ(view.question, "Q1");
    EXPECT_FALSE(view.prior);
    move(-1);
    EXPECT_EQ(engine.questionIndex(), 1);
    EXPECT_EQ(view.question, "Q1");
}

TEST_F(SessionTest, GateStageChangesOnlyAfterBoxCloses) {
    write(perceptionFile(3) + listSection(1, 3));
    begin();
    std::vector<int> stagesSeen;
    view.onBox = [&] { stagesSeen.push_back(engine.recallStage()); };
    engine.ShowQuestion(1);
    engine.ShowQuestion(1);
    EXPECT_THAT(stagesSeen, ElementsAre(0, 1));
}

TEST_F(SessionTest, GapInNumberingEndsListWithoutDrawingAPerception) {
    write(perceptionFile(3) + "[List1]\r\n0=H\r\n1=Q1\r\n2=Q2\r\n4=Q4\r\n");
    begin();
    move(1);
    const std::uint32_t seed = random.RandSeed;
    move(1);
    EXPECT_EQ(view.boxes.back(), "Список закончен.");
    EXPECT_EQ(random.RandSeed, seed);
    EXPECT_EQ(view.question, "");
    expectIdle();
    EXPECT_TRUE(engine.hasReader());
}

TEST_F(SessionTest, ListWithoutFirstQuestionEndsAtOnce) {
    write(perceptionFile(3) + "[List2]\r\n0=H\r\n2=Q2\r\n");
    begin(2);
    EXPECT_THAT(view.boxes, ElementsAre("Список закончен."));
    expectIdle();
}

TEST_F(SessionTest, MissingHeaderGivesDefaultButEmptyHeaderStaysEmpty) {
    write(perceptionFile(3) + listSection(5, 2, "") + listSection(6, 2, "0="));
    begin(5);
    EXPECT_EQ(view.header, "Можете ли Вы вспомнить:");
    engine.EndSession();
    begin(6);
    EXPECT_EQ(view.header, "");
    EXPECT_TRUE(engine.isRunning());
}

TEST_F(SessionTest, BreakKeepsQuestionTextAndSessionState) {
    write(perceptionFile(3) + listSection(1, 3));
    begin(1, 1234);
    move(1);
    const int perception = engine.perceptionIndex();
    engine.EndSession();
    expectIdle();
    EXPECT_EQ(view.question, "Q2");
    EXPECT_EQ(view.helpContext, 1234);
    EXPECT_EQ(engine.perceptionIndex(), perception);
    EXPECT_EQ(engine.listNumber(), 1);
}

TEST_F(SessionTest, QuestionsAreReadAfreshAndRemovedFileEndsTheSession) {
    write(perceptionFile(3) + listSection(1, 3));
    begin();
    write(perceptionFile(3) + "[List1]\r\n1=Q1\r\n2=Edited\r\n3=Q3\r\n");
    move(1);
    EXPECT_EQ(view.question, "Edited");
    std::filesystem::remove(file());
    move(1);
    EXPECT_EQ(view.boxes.back(), "Список закончен.");
    expectIdle();
}

TEST_F(SessionTest, TwoPerceptionsAlternate) {
    write(perceptionFile(2) + listSection(1, 6));
    begin();
    std::vector<std::string> seen{view.perception};
    for (int i = 0; i < 5; ++i) {
        move(1);
        seen.push_back(view.perception);
    }
    EXPECT_THAT(seen, ElementsAre("P1", "P0", "P1", "P0", "P1", "P0"));
}

std::vector<int> firstSessionIndices(SessionTest& t, RandomGenerator& random, SessionEngine& engine, int count) {
    (void)t;
    (void)random;
    std::vector<int> seen{engine.perceptionIndex()};
    const int steps[] = {1, 1, -1, 1, 1, -1, -1, 1, 1};
    for (const int step : steps) {
        for (int i = 0; i < 3; ++i) {
            engine.ShowQuestion(step);
        }
        seen.push_back(engine.perceptionIndex());
    }
    (void)count;
    return seen;
}

TEST_F(SessionTest, FirstSessionWithThreePerceptionsDrawsKnownSequence) {
    write(perceptionFile(3) + listSection(1, 5));
    begin();
    EXPECT_THAT(firstSessionIndices(*this, random, engine, 3), ElementsAre(2, 0, 2, 0, 1, 0, 1, 0, 2, 0));
}

TEST_F(SessionTest, FirstSessionWithTwelvePerceptionsDrawsKnownSequence) {
    write(perceptionFile(12) + listSection(1, 5));
    begin();
    EXPECT_THAT(firstSessionIndices(*this, random, engine, 12), ElementsAre(10, 2, 3, 8, 3, 1, 4, 5, 0, 5));
}

TEST_F(SessionTest, PerceptionHelpContextFollowsShownEntry) {
    write(perceptionFile(12) + listSection(1, 5));
    begin();
    move(1);
    move(1);
    ASSERT_EQ(engine.perceptionIndex(), 3);
    EXPECT_EQ(engine.PerceptionHelpContext(), 4030);
}

TEST_F(SessionTest, PerceptionsStopAtFirstMissingOrEmptyKey) {
    write("[Disk]\r\n0=A\r\n1=B\r\n3=D\r\n" + listSection(1, 2));
    begin();
    EXPECT_THAT(engine.perceptions(), ElementsAre("A", "B"));
    write("[Disk]\r\n0=A\r\n1=B\r\n2=\r\n3=D\r\n" + listSection(1, 2));
    engine.LoadPerceptions();
    EXPECT_THAT(engine.perceptions(), ElementsAre("A", "B"));
}

TEST_F(SessionTest, FewerThanTwoPerceptionsRefusesTheSession) {
    for (const int count : {0, 1}) {
        view.boxes.clear();
        write(perceptionFile(count) + listSection(1, 3));
        begin();
        EXPECT_THAT(view.boxes, ElementsAre("В файле данных должно быть не меньше двух восприятий."));
        expectIdle();
        EXPECT_FALSE(engine.hasReader());
        EXPECT_EQ(random.RandSeed, 0u);
    }
}

TEST_F(SessionTest, RefusalAfterAStoppedSessionShowsNothingOfAnySession) {
    write(perceptionFile(3) + listSection(1, 3) + listSection(5, 3));
    begin(1, 1100);
    move(1);
    engine.EndSession();  // "&Закончить": the question stays in the hidden window
    write(perceptionFile(1) + listSection(1, 3) + listSection(5, 3));
    bool windowShownDuringBox = true;
    bool anyActionDuringBox = true;
    std::string captionDuringBox;
    view.onBox = [&] {
        windowShownDuringBox = view.visible;
        anyActionDuringBox = view.next || view.prior || view.brk || view.help || !view.nt10;
        captionDuringBox = view.caption;
    };
    begin(5, 2050);
    EXPECT_FALSE(windowShownDuringBox);
    EXPECT_FALSE(anyActionDuringBox);
    EXPECT_EQ(captionDuringBox, kBase);
    expectIdle();
    // The refused list did not become the current one: F1 and the list help
    // still belong to the list last begun.
    EXPECT_EQ(engine.listNumber(), 1);
    EXPECT_EQ(view.helpContext, 1100);
}

TEST_F(SessionTest, PerceptionsAreReadAfreshAtEveryListBegun) {
    write(perceptionFile(3) + listSection(1, 3));
    begin();
    engine.EndSession();
    write("[Disk]\r\n0=Новое\r\n1=Другое\r\n" + listSection(1, 3));
    begin();
    EXPECT_THAT(engine.perceptions(), ElementsAre("Новое", "Другое"));
}

TEST_F(SessionTest, Utf8DataFileShowsItsRussianText) {
    for (const std::string mark : {"", "\xEF\xBB\xBF"}) {
        write(mark + "[Disk]\r\n0=Зрение\r\n1=Слух\r\n[List1]\r\n0=Вспомните:\r\n1=Утро?\r\n");
        begin();
        EXPECT_EQ(view.header, "Вспомните:");
        EXPECT_EQ(view.question, "Утро?");
        EXPECT_EQ(view.perception, "Слух");
        engine.EndSession();
    }
}

// The file test passed, but by the time the list begins the path is no
// longer a file that can be read: the list is refused at once, saying why.
class UnreadableDataFileTest : public SessionTest {
protected:
    SessionEngine lenient{view, settings, random, [](const std::string&) { return true; }};
};

TEST_F(UnreadableDataFileTest, FifoOrFolderIsRefusedWithoutBlocking) {
#ifdef _WIN32
    // No FIFOs here; a device name opens the device wherever it stands.
    settings.path = (dir / "com1.ini").string();
#else
    ASSERT_EQ(::mkfifo(file().c_str(), 0600), 0);
#endif
    const auto start = std::chrono::steady_clock::now();
    lenient.ClickSession({1, 1100, "Список 1", "&Начать", "&Сессии"});
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_THAT(view.boxes, ElementsAre("Не удалось прочитать файл данных " + settings.path + "."));
    EXPECT_FALSE(lenient.isRunning());
    settings.path = dir.path().string();
    view.boxes.clear();
    lenient.ClickSession({1, 1100, "Список 1", "&Начать", "&Сессии"});
    EXPECT_THAT(view.boxes, ElementsAre("Не удалось прочитать файл данных " + settings.path + "."));
}

TEST_F(UnreadableDataFileTest, FileOverTheCapIsRefusedByItsSize) {
    write(perceptionFile(3) + listSection(1, 3));
    std::filesystem::resize_file(file(), kMaxDataFileBytes + 1);
    lenient.ClickSession({1, 1100, "Список 1", "&Начать", "&Сессии"});
    EXPECT_THAT(view.boxes, ElementsAre("Файл данных " + file() + " больше 64 МиБ: Мнемора не читает таких файлов."));
    EXPECT_FALSE(lenient.isRunning());
}

class MissingFileTest : public SessionTest {
protected:
    void SetUp() override {
        settings.path = (dir / "gone.ini").string();
        settings.defaultPath = file();
    }
};

TEST_F(MissingFileTest, QuestionNamesThePath) {
    begin();
    ASSERT_EQ(view.errors.size(), 1u);
    EXPECT_EQ(view.errors[0], "Невозможно считать файл данных " + settings.path +
                                  ".\r\nПопробовать применить настройки \"По умолчанию\"?");
}

TEST_F(MissingFileTest, NoOrCancelLeavesEngineIdleWithoutReader) {
    write(perceptionFile(3) + listSection(1, 3));
    for (const Answer a : {Answer::No, Answer::Cancel}) {
        view.answers = {a};
        begin(3, 1300);
        EXPECT_FALSE(engine.hasReader());
        EXPECT_FALSE(engine.isRunning());
        EXPECT_FALSE(view.visible);
        EXPECT_EQ(engine.listNumber(), 0);
        EXPECT_EQ(engine.listHelpContext(), 0);
        EXPECT_EQ(settings.defaults, 0);
    }
}

TEST_F(MissingFileTest, YesAppliesDefaultsAndStartsWhenDefaultFileExists) {
    write(perceptionFile(3) + listSection(1, 3));
    view.answers = {Answer::Yes};
    begin();
    EXPECT_EQ(settings.defaults, 1);
    EXPECT_EQ(settings.saves, 1);
    EXPECT_TRUE(engine.isRunning());
    EXPECT_EQ(view.question, "Q1");
}

TEST_F(MissingFileTest, YesRepeatsQuestionWhileDefaultFileIsMissingToo) {
    view.answers = {Answer::Yes, Answer::Yes, Answer::No};
    begin();
    ASSERT_EQ(view.errors.size(), 3u);
    EXPECT_NE(view.errors[1].find(file() + "."), std::string::npos);
    EXPECT_EQ(settings.defaults, 2);
    EXPECT_EQ(settings.saves, 2);
    EXPECT_FALSE(engine.hasReader());
}

TEST_F(MissingFileTest, PreviousReaderIsReleasedWhenNextListIsRefused) {
    settings.path = file();
    write(perceptionFile(3) + listSection(1, 3));
    begin();
    engine.EndSession();
    ASSERT_TRUE(engine.hasReader());
    settings.path = (dir / "gone.ini").string();
    view.answers = {Answer::Cancel};
    begin();
    EXPECT_FALSE(engine.hasReader());
}

}  // namespace
}  // namespace mnemora
