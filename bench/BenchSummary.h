#pragma once
// The summary of a benchmark program: it runs the program's benchmarks, keeps each one's times
// and counters by its name ("BM_Name", "BM_Name/1280/600"), and prints every figure beside its
// target in a table. A figure is one line:
//
//     int main(int argc, char** argv) {
//         return BenchMain(argc, argv, [](Summary& summary) {
//             summary.Time("BM_BindPage", "bind a page of 100 rows", 10, Ms);
//             summary.Add("memory per sample", bytes, "B", 32);
//             return ReportMisses(summary);
//         });
//     }

#include <benchmark/benchmark.h>

#include <cstdio>
#include <exception>
#include <map>
#include <string>
#include <vector>

namespace kv::bench {

// The times per iteration of one benchmark and its counters.
struct Result {
    double cpuSeconds = 0;
    double realSeconds = 0;
    std::map<std::string, double> counters;
};

// Reports on the console as usual and keeps every result by the benchmark's name.
class RecordingReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred || run.iterations == 0)
                continue;
            Result r;
            const double n = static_cast<double>(run.iterations);
            r.cpuSeconds = run.cpu_accumulated_time / n;
            r.realSeconds = run.real_accumulated_time / n;
            for (const auto& [name, counter] : run.counters)
                r.counters[name] = counter.value;
            results[run.benchmark_name()] = r;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, Result> results;
};

// Runs the benchmarks that the command line selects (after benchmark::Initialize).
inline std::map<std::string, Result> RunBenchmarks() {
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return std::move(reporter.results);
}

// The unit of a time figure.
struct TimeUnit {
    const char* name;
    double perSecond;
};
inline constexpr TimeUnit Us{"us", 1e6};
inline constexpr TimeUnit Ms{"ms", 1e3};

class Summary {
  public:
    explicit Summary(std::map<std::string, Result> results) : results_(std::move(results)) {}

    // The result of a benchmark; nullptr when it did not run.
    const Result* Find(const std::string& benchmark) const {
        auto it = results_.find(benchmark);
        return it == results_.end() ? nullptr : &it->second;
    }
    // The real time per iteration of a benchmark as a figure (the CPU time with cpu); nothing
    // when the benchmark did not run. A target below 0 is none.
    Summary& Time(const std::string& benchmark, const std::string& figure, double target,
                  TimeUnit unit = Us, bool cpu = false) {
        if (const Result* r = Find(benchmark))
            Add(figure, (cpu ? r->cpuSeconds : r->realSeconds) * unit.perSecond, unit.name, target);
        return *this;
    }
    // A figure the program worked out itself.
    Summary& Add(const std::string& figure, double value, const std::string& unit, double target) {
        rows_.push_back({figure, value, unit, target});
        return *this;
    }

    // Prints the table; the number of figures that missed their targets.
    int Print() const {
        int missed = 0;
        std::printf("\n%-62s %14s %14s  %s\n", "figure", "measured", "target", "result");
        std::printf("%s\n", std::string(104, '-').c_str());
        for (const Row& r : rows_) {
            char value[64], target[64];
            std::snprintf(value, sizeof value, "%.2f %s", r.value, r.unit.c_str());
            if (r.target >= 0)
                std::snprintf(target, sizeof target, "<= %g %s", r.target, r.unit.c_str());
            else
                std::snprintf(target, sizeof target, "-");
            const bool met = r.target < 0 || (r.value >= 0 && r.value <= r.target);
            missed += met ? 0 : 1;
            std::printf("%-62s %14s %14s  %s\n", r.figure.c_str(), value, target,
                        r.target < 0 ? "(no target)"
                        : met        ? "met"
                                     : "MISSED");
        }
        return missed;
    }

  private:
    struct Row {
        std::string figure;
        double value;
        std::string unit;
        double target;  // the largest value that meets it; < 0: none
    };
    std::map<std::string, Result> results_;
    std::vector<Row> rows_;
};

// Prints the table; a missed target is reported, not an error (timings depend on the machine's
// load): the program's exit code 0.
inline int ReportMisses(const Summary& summary) {
    const int missed = summary.Print();
    std::printf("\n%d figures missed their targets.\n", missed);
    return 0;
}

// The main program of a benchmark program: runs the benchmarks that the command line selects,
// then report(summary) adds the figures, prints them and gives the exit code. An error ends
// the program with 1.
template <typename Report>
int BenchMain(int argc, char** argv, Report&& report) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    try {
        Summary summary(RunBenchmarks());
        return report(summary);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "benchmark failed: %s\n", e.what());
        return 1;
    }
}

}  // namespace kv::bench
