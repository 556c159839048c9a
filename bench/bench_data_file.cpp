// What a click on ">" costs: one read of the data file and one perception draw.
// Each figure stands next to the floor of opening and reading the same file
// once, so the ratio, not the absolute time, is what to compare.
#include <benchmark/benchmark.h>

#include "ratio_reporter.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/cp1251.h"
#include "core/random.h"
#include "sessions/ini_file.h"
#include "sessions/session_engine.h"

namespace {

using namespace mnemora;

constexpr int kQuestionsPerList = 620;

const std::string& dataFilePath() {
    static const std::string path = [] {
        const auto p = std::filesystem::temp_directory_path() / "mnemora-bench-data.ini";
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
        const std::string bytes = *utf8ToCp1251(text);
        std::ofstream(p, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        std::printf("data file: %zu bytes\n", bytes.size());
        return p.string();
    }();
    return path;
}

void BM_Floor_OpenAndReadOnce(benchmark::State& state) {
    for (auto _ : state) {
        std::ifstream in(dataFilePath(), std::ios::binary | std::ios::ate);
        std::string bytes(static_cast<std::size_t>(in.tellg()), '\0');
        in.seekg(0);
        in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        benchmark::DoNotOptimize(bytes);
    }
}
BENCHMARK(BM_Floor_OpenAndReadOnce);

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
    std::string dataFile() const override { return dataFilePath(); }
    void setDefaultPaths() override {}
    void saveSettings() override {}
};

// One move to the next question of the last list: the two held requests cost
// no read, so each iteration is the three clicks that make one move.
void BM_ShowQuestion_MoveOnLastList(benchmark::State& state) {
    NullView view;
    FixedSettings settings;
    RandomGenerator random;
    SessionEngine engine(view, settings, random);
    const MenuItemData item{30, 2300, "Список для &завершения сессии.", "&Начать", "&Сессии"};
    engine.ClickSession(item);
    for (auto _ : state) {
        engine.ShowQuestion(+1);
        engine.ShowQuestion(+1);
        engine.ShowQuestion(+1);
        if (!engine.isRunning()) {
            state.PauseTiming();
            engine.ClickSession(item);
            state.ResumeTiming();
        }
    }
}
BENCHMARK(BM_ShowQuestion_MoveOnLastList);

}  // namespace

int main(int argc, char** argv) {
    return mnemora::bench::runWithRatios(
        argc, argv,
        {{"ReadString first key", "BM_ReadString_FirstKey", "BM_Floor_OpenAndReadOnce"},
         {"ReadString last key", "BM_ReadString_LastKey", "BM_Floor_OpenAndReadOnce"},
         {"ShowQuestion(+1)", "BM_ShowQuestion_MoveOnLastList", "BM_Floor_OpenAndReadOnce"}});
}
