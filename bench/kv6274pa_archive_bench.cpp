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

#include "BenchSummary.h"

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

}  // namespace
}  // namespace kv::bench

int main(int argc, char** argv) {
    using namespace kv::bench;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const MemoryFigures memory = MeasureMemory();
    return BenchMain(argc, argv, [&memory](Summary& summary) {
        summary
            .Time("BM_DrawDayChart/1280/600", "draw 4 curves x 86,400 samples, 1280 x 600 image",
                  50, Ms)
            .Time("BM_DrawDayChart/1920/1000", "draw 4 curves x 86,400 samples, 1920 x 1000 image",
                  50, Ms);
        const Result* save = summary.Find("BM_SaveDay");
        const Result* load = summary.Find("BM_LoadDay");
        if (save != nullptr && load != nullptr)
            summary.Add("persist and load 4 x 86,400 samples (property bag)",
                        (save->realSeconds + load->realSeconds) * 1e3, "ms", 100);
        summary
            .Time("BM_SaveLoadDayAsProjectText", "the same through the project file's text form",
                  100, Ms)
            .Add("memory per sample (heap taken by a day's archive)", memory.heapPerSample, "B", 32)
            .Add("memory per sample (held by the rings)", memory.heldPerSample, "B", 32);
        return summary.Print() == 0 ? 0 : 2;
    });
}
