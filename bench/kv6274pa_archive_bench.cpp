// The performance figures of the archive and their targets: drawing a trend chart of four curves
// with a day of samples each (86,400 at a 1 s cycle), persisting and loading those samples with
// the instance, and the memory each sample takes. After the benchmarks ran, a table sets every
// figure beside its target.

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/controls/Archive.h"
#include "platform/controls/widgets/Trend.h"
#include "platform/runtime/PropertyBag.h"

namespace kv::bench {
namespace {

constexpr int64_t kT0 = 1'767'225'600'000;
constexpr int kCurves = 4;
const char* const kPaths[kCurves] = {"FUNC/1/AO/SP/Value", "FUNC/1/AO/READBACK/Value",
                                     "FUNC/1/AO/CHECK_BACK/CB_CONTR_ERR",
                                     "PHYS/DIAGNOSIS/DIA_ZERO_ERR"};

// A day at 1 s per curve: moving values as singles, a few failed reads, a unit change in the
// first two curves, and a second recording.
void FillDay(Archive& archive) {
    for (int c = 0; c < kCurves; ++c) {
        ArchiveTrace& trace = archive.Trace(kPaths[c]);
        for (int64_t i = 0; i < static_cast<int64_t>(ArchiveTrace::kCapacity); ++i) {
            ArchiveSample s;
            s.timeMs = kT0 + i * 1000;
            s.unitCode = (c < 2 && i > 60'000) ? 1001 : 1342;
            const bool failed = i % 5000 == 17;
            if (!failed) {
                s.flags = ArchiveSample::kValid;
                s.value = c < 2 ? static_cast<float>(50 + 45 * std::sin(i / (700.0 + 90 * c)))
                                : static_cast<float>((i / (900 + 100 * c)) % 2);
            }
            if (i == 0 || i == 43'200)
                s.flags |= ArchiveSample::kStartsRecording;
            trace.Append(s);
        }
        trace.SetUnitText(1342, "%");
        trace.SetUnitText(1001, "\u00B0C");
    }
}

Archive& Day() {
    static Archive archive;
    static bool filled = false;
    if (!filled) {
        FillDay(archive);
        filled = true;
    }
    return archive;
}

// --- drawing ---

std::unique_ptr<Trend> DayChart(int width, int height) {
    auto trend = std::make_unique<Trend>();
    trend->resize(width, height);
    std::vector<Trend::Curve> curves;
    const double ranges[kCurves][2] = {{0, 100}, {0, 100}, {-1.5, 7.5}, {0, 9}};
    for (int c = 0; c < kCurves; ++c) {
        Trend::Curve curve;
        curve.index = c;
        curve.trace = Day().FindTrace(kPaths[c]);
        curve.caption = kPaths[c];
        curve.unitText = "%";
        curve.unitCode = 1342;
        curve.scaleMin = curve.actMin = ranges[c][0];
        curve.scaleMax = curve.actMax = ranges[c][1];
        curves.push_back(curve);
    }
    trend->SetCurves(std::move(curves));
    trend->ShowAll();  // every sample in view
    trend->SetCursorTime(kT0 + 40'000'000);
    return trend;
}

void BM_DrawDayChart(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    std::unique_ptr<Trend> trend = DayChart(width, height);
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter painter(&image);
        trend->Paint(painter);
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["samples"] = static_cast<double>(kCurves * ArchiveTrace::kCapacity);
}
BENCHMARK(BM_DrawDayChart)->Args({1280, 600})->Args({1920, 1000})->Unit(benchmark::kMillisecond);

// --- persistence ---

void BM_SaveDay(benchmark::State& state) {
    Archive& archive = Day();
    for (auto _ : state) {
        PropertyBag bag;
        archive.Save(bag);
        benchmark::DoNotOptimize(bag.Count());
    }
}
BENCHMARK(BM_SaveDay)->Unit(benchmark::kMillisecond);

void BM_LoadDay(benchmark::State& state) {
    PropertyBag bag;
    Day().Save(bag);
    for (auto _ : state) {
        Archive loaded;
        if (!loaded.Load(bag) || !loaded.LoadProblems().empty())
            throw std::runtime_error("the day's samples do not load");
        benchmark::DoNotOptimize(loaded.FindTrace(kPaths[0]));
    }
    state.counters["bytes"] =
        static_cast<double>(bag.Read("Archive.Trace1.Samples")->bytes().bytes.size() * kCurves);
}
BENCHMARK(BM_LoadDay)->Unit(benchmark::kMillisecond);

// The same through the project file's text form of the bag.
void BM_SaveLoadDayAsProjectText(benchmark::State& state) {
    for (auto _ : state) {
        PropertyBag bag;
        Day().Save(bag);
        const std::string xml = bag.ToXml();
        PropertyBag reread;
        reread.LoadXml(xml);
        Archive loaded;
        loaded.Load(reread);
        benchmark::DoNotOptimize(loaded.FindTrace(kPaths[0]));
    }
}
BENCHMARK(BM_SaveLoadDayAsProjectText)->Unit(benchmark::kMillisecond);

// --- memory ---

struct MemoryFigures {
    double heapPerSample = 0;
    double heldPerSample = 0;
};

// Heap in use, the blocks the allocator maps for large arrays included.
size_t HeapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

MemoryFigures MeasureMemory() {
    malloc_trim(0);
    const size_t heap0 = HeapInUse();
    auto archive = std::make_unique<Archive>();
    FillDay(*archive);
    const size_t heap1 = HeapInUse();
    size_t held = 0, samples = 0;
    for (const char* path : kPaths) {
        held += archive->FindTrace(path)->MemoryBytes();
        samples += archive->FindTrace(path)->Size();
    }
    MemoryFigures m;
    m.heapPerSample = (static_cast<double>(heap1) - static_cast<double>(heap0)) / samples;
    m.heldPerSample = static_cast<double>(held) / samples;
    return m;
}

// --- summary ---

struct Result {
    double realSeconds = 0;  // per iteration
};

class RecordingReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred || run.iterations == 0)
                continue;
            results[run.benchmark_name()] =
                Result{run.real_accumulated_time / static_cast<double>(run.iterations)};
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, Result> results;
};

struct Row {
    std::string figure;
    double value;
    std::string unit;
    double target;  // the largest value that meets it
};

int PrintSummary(const std::vector<Row>& rows) {
    int missed = 0;
    std::printf("\n%-62s %14s %14s  %s\n", "figure", "measured", "target", "result");
    std::printf("%s\n", std::string(104, '-').c_str());
    for (const Row& r : rows) {
        char value[64], target[64];
        std::snprintf(value, sizeof value, "%.2f %s", r.value, r.unit.c_str());
        std::snprintf(target, sizeof target, "<= %.0f %s", r.target, r.unit.c_str());
        const bool met = r.value >= 0 && r.value <= r.target;
        missed += met ? 0 : 1;
        std::printf("%-62s %14s %14s  %s\n", r.figure.c_str(), value, target,
                    met ? "met" : "MISSED");
    }
    return missed;
}

}  // namespace
}  // namespace kv::bench

int main(int argc, char** argv) {
    using namespace kv::bench;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    try {
        const MemoryFigures memory = MeasureMemory();
        RecordingReporter reporter;
        benchmark::RunSpecifiedBenchmarks(&reporter);
        benchmark::Shutdown();
        auto ms = [&](const std::string& name) {
            auto it = reporter.results.find(name);
            return it == reporter.results.end() ? -1.0 : it->second.realSeconds * 1e3;
        };
        std::vector<Row> rows;
        auto add = [&](const std::string& name, const std::string& figure, double target) {
            if (reporter.results.count(name))
                rows.push_back({figure, ms(name), "ms", target});
        };
        add("BM_DrawDayChart/1280/600", "draw 4 curves x 86,400 samples, 1280 x 600 image", 50);
        add("BM_DrawDayChart/1920/1000", "draw 4 curves x 86,400 samples, 1920 x 1000 image", 50);
        if (reporter.results.count("BM_SaveDay") && reporter.results.count("BM_LoadDay"))
            rows.push_back({"persist and load 4 x 86,400 samples (property bag)",
                            ms("BM_SaveDay") + ms("BM_LoadDay"), "ms", 100});
        add("BM_SaveLoadDayAsProjectText", "the same through the project file's text form", 100);
        rows.push_back(
            {"memory per sample (heap taken by a day's archive)", memory.heapPerSample, "B", 32});
        rows.push_back({"memory per sample (held by the rings)", memory.heldPerSample, "B", 32});
        return PrintSummary(rows) == 0 ? 0 : 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "benchmark failed: %s\n", e.what());
        return 1;
    }
}
