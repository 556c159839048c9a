// One file operation as the program does it, for timing hostile files with
// /usr/bin/time (bench/hostile_files.sh): prints what the user would see.
//
//   file_probe load-store <path>   start-up's LoadSettings, then a SaveSettings
//   file_probe open-chart <path>   the chart window's Open
//   file_probe save-chart <path>   the chart window's Save
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include "chart/chart_file.h"
#include "core/error.h"
#include "settings/file_store.h"
#include "settings/settings.h"
#include "settings_fakes.h"

namespace {

using namespace mnemora;

std::string oneLine(std::string text) {
    for (char& c : text) {
        if (c == '\n') {
            c = ' ';
        }
    }
    return text;
}

std::string loadStore(const char* path) {
    FileRegistryStore store(path);
    std::string said;
    store.onDamaged = [&](const DamagedStore& d) { said = "message: " + oneLine(damagedStoreMessage(d)) + "; "; };
    TParamValues values;
    test::RecordingTarget target;
    try {
        LoadSettings(values, store, test::FixedEnvironment(), target);
    } catch (const Error& e) {
        return said + "fatal box: " + e.what();
    }
    said += values.DataFile == "/cwd/Mnemora.ini" ? "defaults; " : "loaded; ";
    values.DataFile = "/saved";
    try {
        SaveSettings(values, store);
        said += "save gives no message";
    } catch (const Error& e) {
        said += std::string("save: error box \"") + e.what() + "\"";
    }
    return said;
}

std::string openChart(const char* path) {
    TToneChart chart;
    chart.ClearInputCells();
    try {
        const ChartTexts texts = ReadChartFile(path, chart);
        return "opened, " + std::to_string(chart.markCount()) + " marks, note of " + std::to_string(texts.note.size()) +
               " bytes";
    } catch (const ChartFormatError& e) {
        return std::string("message: ") + e.what();
    } catch (const Error& e) {
        return std::string("error box \"") + e.what() + "\"";
    }
}

std::string saveChart(const char* path) {
    TToneChart chart;
    chart.ClearInputCells();
    chart.ToggleCell(31);
    try {
        WriteChartFile(path, "07.12.2026 09:05", "note", chart);
        return "saved";
    } catch (const Error& e) {
        return std::string("error box \"") + e.what() + "\"";
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: file_probe load-store|open-chart|save-chart <path>\n");
        return 2;
    }
    try {
        const std::string op = argv[1];
        const std::string said = op == "load-store"   ? loadStore(argv[2])
                                 : op == "open-chart" ? openChart(argv[2])
                                 : op == "save-chart" ? saveChart(argv[2])
                                                      : "unknown operation";
        std::printf("%s\n", said.c_str());
    } catch (const std::exception& e) {
        // Anything here would reach the user as a raw library text.
        std::printf("ESCAPED: %s\n", e.what());
        return 1;
    }
    return 0;
}
