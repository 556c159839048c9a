#pragma once

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace mnemora::bench {

// One figure to print as a multiple of its floor, both by benchmark name.
struct Ratio {
    std::string what;
    std::string figure;
    std::string floor;
};

// Prints the usual table, then each figure as a multiple of its floor, so
// that a run on any machine gives comparable numbers.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    explicit RatioReporter(std::vector<Ratio> ratios)
        : ConsoleReporter(::isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular), ratios_(std::move(ratios)) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (!run.error_occurred && run.iterations > 0) {
                seconds_[run.benchmark_name()] = run.real_accumulated_time / static_cast<double>(run.iterations);
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        for (const Ratio& r : ratios_) {
            const auto f = seconds_.find(r.figure);
            const auto g = seconds_.find(r.floor);
            if (f == seconds_.end() || g == seconds_.end() || g->second <= 0) {
                continue;
            }
            std::printf("%-22s %10.2f us = %6.2f x %s (%.2f us)\n", r.what.c_str(), f->second * 1e6,
                        f->second / g->second, r.floor.c_str(), g->second * 1e6);
        }
    }

private:
    std::vector<Ratio> ratios_;
    std::map<std::string, double> seconds_;
};

// The main of a bench program: run everything, then print the ratios.
inline int runWithRatios(int argc, char** argv, std::vector<Ratio> ratios) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    RatioReporter reporter(std::move(ratios));
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}

}  // namespace mnemora::bench
