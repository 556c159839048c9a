// What the data file costs the user: beginning a list (the perceptions, the
// header and the first question) and a click on ">" (one read of the data file
// and one perception draw). Each figure stands next to the floor of opening
// and reading the same file once, so the ratio, not the absolute time, is
// what to compare.
#include <benchmark/benchmark.h>

#include "ratio_reporter.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "core/cp1251.h"
#include "core/random.h"
#include "sessions/ini_file.h"
#include "sessions/session_engine.h"

namespace {

using namespace mnemora;

constexpr int kQuestionsPerList = 620;
constexpr int kShortListQuestions = 20;

void writeFile(const std::filesystem::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Twelve perceptions and 30 long lists: about 1 MiB, every question read;
// in Windows-1251, or in UTF-8, where every byte is checked before the
// encoding is known.
std::string longListsText() {
    std::string text = "[Disk]\r\n";
    for (int i = 0; i < 12; ++i) {
        text += std::to_string(i) + "=Восприятие " + std::to_string(i) + "\r\n";
    }
    for (int list = 1; list <= 30; ++list) {
        text += "[List" + std::to_string(list) + "]\r\n0=Можете ли Вы вспомнить:\r\n";
        for (int q = 1; q <= kQuestionsPerList; ++q) {
            text += std::to_string(q) + "=Вопрос номер " + std::to_string(q) +
                    " о времени, когда вы были довольны\r\n";
        }
    }
    return text;
}

const std::string& dataFilePath() {
    static const std::string path = [] {
        const auto p = std::filesystem::temp_directory_path() / "mnemora-bench-data.ini";
        const std::string bytes = *utf8ToCp1251(longListsText());
        writeFile(p, bytes);
        std::printf("data file: %zu bytes\n", bytes.size());
        return p.string();
    }();
    return path;
}

const std::string& utf8DataFilePath() {
    static const std::string path = [] {
        const auto p = std::filesystem::temp_directory_path() / "mnemora-bench-data-utf8.ini";
        const std::string bytes = longListsText();
        writeFile(p, bytes);
        std::printf("UTF-8 data file: %zu bytes\n", bytes.size());
        return p.string();
    }();
    return path;
}

// `count` perceptions, then 30 short lists: a file of many small keys, where
// beginning a list reads every perception.
const std::string& perceptionFilePath(int count) {
    static std::map<int, std::string> paths;
    auto& path = paths[count];
    if (path.empty()) {
        const auto p = std::filesystem::temp_directory_path() /
                       ("mnemora-bench-perceptions-" + std::to_string(count) + ".ini");
        std::string text = "[Disk]\r\n";
        for (int i = 0; i < count; ++i) {
            text += std::to_string(i) + "=Звук " + std::to_string(i) + "\r\n";
        }
        for (int list = 1; list <= 30; ++list) {
            text += "[List" + std::to_string(list) + "]\r\n0=Можете ли Вы вспомнить:\r\n";
            for (int q = 1; q <= kShortListQuestions; ++q) {
                text += std::to_string(q) + "=Вопрос " + std::to_string(q) + "\r\n";
            }
        }
        const std::string bytes = *utf8ToCp1251(text);
        writeFile(p, bytes);
        std::printf("data file of %d perceptions: %zu bytes\n", count, bytes.size());
        path = p.string();
    }
    return path;
}

std::string readOnce(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    std::string bytes(static_cast<std::size_t>(in.tellg()), '\0');
    in.seekg(0);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

void BM_Floor_OpenAndReadOnce(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(readOnce(dataFilePath()));
    }
}
BENCHMARK(BM_Floor_OpenAndReadOnce);

void BM_Floor_Perceptions(benchmark::State& state) {
    const std::string& path = perceptionFilePath(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(readOnce(path));
    }
}
BENCHMARK(BM_Floor_Perceptions)->Arg(10000)->Arg(100000);

void BM_ReadString_FirstKey(benchmark::State& state) {
    const TIniFile ini(dataFilePath());
    for (auto _ : state) {
        benchmark::DoNotOptimize(ini.ReadString("Disk", "0", ""));
    }
}
BENCHMARK(BM_ReadString_FirstKey);

void BM_ReadString_LastKey(benchmark::State& state) {
    const TIniFile ini(dataFilePath());
    const std::string key = std::to_string(kQuestionsPerList);
    if (ini.ReadString("List30", key, "").empty()) {
        state.SkipWithError("last key not found");
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(ini.ReadString("List30", key, ""));
    }
}
BENCHMARK(BM_ReadString_LastKey);

void BM_Floor_OpenAndReadOnceUtf8(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(readOnce(utf8DataFilePath()));
    }
}
BENCHMARK(BM_Floor_OpenAndReadOnceUtf8);

void BM_ReadString_LastKeyUtf8(benchmark::State& state) {
    const TIniFile ini(utf8DataFilePath());
    const std::string key = std::to_string(kQuestionsPerList);
    if (ini.ReadString("List30", key, "").empty()) {
        state.SkipWithError("last key not found");
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(ini.ReadString("List30", key, ""));
    }
}
BENCHMARK(BM_ReadString_LastKeyUtf8);

class NullView : public SessionView {
public:
    void setHeaderText(const std::string&) override {}
    void setQuestionText(const std::string& t) override { question = t; }
    std::string questionText() const override { return question; }
    void setPerceptionText(const std::string&) override {}
    void setWindowCaption(const std::string&) override {}
    void setWindowHelpContext(int) override {}
    void showWindow() override {}
    void hideWindow() override {}
    void setActionNextEnabled(bool) override {}
    void setActionPriorEnabled(bool) override {}
    void setActionBreakEnabled(bool) override {}
    void setActionHelpContextEnabled(bool) override {}
    void setNT10Enabled(bool) override {}
    void informationBox(const std::string&) override {}
    Answer errorQuestion(const std::string&, int) override { return Answer::No; }
    std::string question;
};

class FixedSettings : public SessionSettings {
public:
    explicit FixedSettings(std::string path) : path_(std::move(path)) {}
    std::string dataFile() const override { return path_; }
    void setDefaultPaths() override {}
    void saveSettings() override {}

private:
    std::string path_;
};

const MenuItemData kLastList{30, 2300, "Список для &завершения сессии.", "&Начать", "&Сессии"};

// One move to the next question of the last list: the two held requests cost
// no read, so each iteration is the three clicks that make one move.
void moveOnLastList(benchmark::State& state, const std::string& path) {
    NullView view;
    FixedSettings settings(path);
    RandomGenerator random;
    SessionEngine engine(view, settings, random);
    engine.ClickSession(kLastList);
    for (auto _ : state) {
        engine.ShowQuestion(+1);
        engine.ShowQuestion(+1);
        engine.ShowQuestion(+1);
        if (!engine.isRunning()) {
            state.PauseTiming();
            engine.ClickSession(kLastList);
            state.ResumeTiming();
        }
    }
}

void BM_ShowQuestion_MoveOnLastList(benchmark::State& state) { moveOnLastList(state, dataFilePath()); }
BENCHMARK(BM_ShowQuestion_MoveOnLastList);

// The same on a file of many perceptions. The walk turns at either end of
// the list instead of beginning it again, which would read every perception.
void BM_ShowQuestion_Perceptions(benchmark::State& state) {
    NullView view;
    FixedSettings settings(perceptionFilePath(static_cast<int>(state.range(0))));
    RandomGenerator random;
    SessionEngine engine(view, settings, random);
    engine.ClickSession(kLastList);
    std::int32_t step = +1;
    for (auto _ : state) {
        if (engine.questionIndex() == kShortListQuestions) {
            step = -1;
        } else if (engine.questionIndex() == 1) {
            step = +1;
        }
        engine.ShowQuestion(step);
        engine.ShowQuestion(step);
        engine.ShowQuestion(step);
    }
    if (!engine.isRunning()) {
        state.SkipWithError("the list ended");
    }
}
BENCHMARK(BM_ShowQuestion_Perceptions)->Arg(10000)->Arg(100000);

// A click on a list in the menu up to its first question on screen: the file
// test, every perception, the header and question 1.
void BM_BeginList_Perceptions(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    NullView view;
    FixedSettings settings(perceptionFilePath(count));
    RandomGenerator random;
    SessionEngine engine(view, settings, random);
    for (auto _ : state) {
        engine.ClickSession(kLastList);
        state.PauseTiming();
        if (!engine.isRunning() || engine.perceptions().size() != static_cast<std::size_t>(count)) {
            state.SkipWithError("the list did not begin with every perception");
            break;
        }
        engine.EndSession();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_BeginList_Perceptions)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return mnemora::bench::runWithRatios(
        argc, argv,
        {{"ReadString first key", "BM_ReadString_FirstKey", "BM_Floor_OpenAndReadOnce"},
         {"ReadString last key", "BM_ReadString_LastKey", "BM_Floor_OpenAndReadOnce"},
         {"Last key, UTF-8", "BM_ReadString_LastKeyUtf8", "BM_Floor_OpenAndReadOnceUtf8"},
         {"ShowQuestion(+1)", "BM_ShowQuestion_MoveOnLastList", "BM_Floor_OpenAndReadOnce"},
         {"Begin list, 10k", "BM_BeginList_Perceptions/10000", "BM_Floor_Perceptions/10000"},
         {"Begin list, 100k", "BM_BeginList_Perceptions/100000", "BM_Floor_Perceptions/100000"},
         {"ShowQuestion, 10k", "BM_ShowQuestion_Perceptions/10000", "BM_Floor_Perceptions/10000"},
         {"ShowQuestion, 100k", "BM_ShowQuestion_Perceptions/100000", "BM_Floor_Perceptions/100000"}});
}
