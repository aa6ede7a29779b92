// The frame's window at plant scale and over a day of commissioning, and its targets: the window
// opened on a project of 1,000 instances, and what 600 uploads and downloads through the window
// leave behind in the heap and in the resident memory. The widgets are real, on the offscreen
// platform, and the loop is a manual one that lets the simulated positioner's time pass at once.
// After the benchmarks ran, a table sets every figure beside its target.

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <QApplication>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "frame/FrameWords.h"
#include "frame/ReferenceFrame.h"
#include "frame/window/FrameWindow.h"
#include "frame/window/WindowPrompt.h"
#include "platform/controls/widgets/PageRegistry.h"
#include "platform/runtime/IPrompt.h"
#include "platform/runtime/ManualEventLoop.h"
#include "sim/SimulatedPositioner.h"

#include "BenchFiles.h"
#include "BenchMemory.h"
#include "BenchSummary.h"

namespace kv::bench {
namespace {

constexpr int kPlant = 1000;
constexpr int kTransfers = 600;
// Transfers before the soak's start is measured: the caches of the first ones filled.
constexpr int kWarmUp = 20;

// A frame of 'count' new instances "PV-0001", ... and its window, on a manual loop.
struct Window {
    std::shared_ptr<ManualEventLoop> loop = std::make_shared<ManualEventLoop>();
    std::shared_ptr<WindowPrompt> prompt = std::make_shared<WindowPrompt>();
    ReferenceFrame frame{loop, prompt};
    std::shared_ptr<SimulatedPositioner> device = std::make_shared<SimulatedPositioner>();
    PageRegistry registry;
    std::unique_ptr<FrameWindow> window;

    explicit Window(int count) {
        frame.SetUserInformation(R"(<FDT><UserInformation role="Maintenance"/></FDT>)");
        for (int n = 1; n <= count; ++n) {
            char tag[16];
            std::snprintf(tag, sizeof tag, "PV-%04d", n);
            FrameFault error;
            Require(frame.AddInstance(tag, "KV6274PA", error) != nullptr, error);
        }
        loop->RunUntilIdle();
        // The data uploaded is not kept when the window goes.
        prompt->SetAsker([](const std::string&, int32_t) { return int32_t{mbaNo}; });
    }
    ~Window() {
        if (window)
            window->ReleaseAll();
        window.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        loop->RunUntilIdle();
    }
    void Open() {
        window = std::make_unique<FrameWindow>(frame, loop, device, prompt,
                                               Temp().File("project.xml"), &registry);
    }
    // Lets the loop and Qt run until the window's action ended.
    void Idle() {
        const int64_t end = loop->NowMs() + 60000;
        while (window->Busy() && loop->NowMs() < end) {
            loop->RunUntilIdle();
            QApplication::processEvents();
            // What the program's event loop does between turns: the objects left to be
            // deleted later (the style's animations, say) go.
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            if (window->Busy() && !loop->HasPending())
                loop->Advance(10);
        }
        Require(!window->Busy(), "the window's action did not end");
    }
    // An upload or a download through the window, to its end.
    void Transfer(bool upload) {
        Require(upload ? window->Upload() : window->Download(), "the transfer did not start");
        Idle();
    }
};

// The window opened on the frame's 1,000 instances: its list, the first one selected.
void BM_OpenWindowOnPlant(benchmark::State& state) {
    Window w(kPlant);
    for (auto _ : state) {
        w.Open();
        QApplication::processEvents();
        state.PauseTiming();
        w.window.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenWindowOnPlant)->Unit(benchmark::kMillisecond);

struct Soak {
    double heapGrowth = 0;
    double residentGrowth = 0;
};

// Uploads and downloads in turn through the window of one connected instance: how much more
// heap and resident memory the process holds after them than before.
Soak SoakTransfers(int transfers) {
    Window w(1);
    w.Open();
    w.window->show();
    Require(w.window->Connect(), "the window did not connect");
    w.Idle();
    Require(w.window->IsConnected(), "the instance is not connected");
    for (int i = 0; i < kWarmUp; ++i)
        w.Transfer(i % 2 == 0);
    malloc_trim(0);
    const double heap0 = static_cast<double>(HeapInUse());
    const double resident0 = static_cast<double>(ResidentBytes());
    for (int i = 0; i < transfers; ++i)
        w.Transfer(i % 2 == 0);
    malloc_trim(0);
    return {static_cast<double>(HeapInUse()) - heap0,
            static_cast<double>(ResidentBytes()) - resident0};
}

}  // namespace
}  // namespace kv::bench

int main(int argc, char** argv) {
    using namespace kv::bench;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return BenchMain(argc, argv, [](Summary& summary) {
        summary.Time("BM_OpenWindowOnPlant", "open the window on 1000 instances", 100, Ms);
        const Soak soak = SoakTransfers(kTransfers);
        summary.Add("heap growth over 600 uploads and downloads", soak.heapGrowth / 1024, "KB", 256)
            .Add("RSS growth over 600 uploads and downloads", soak.residentGrowth / 1024, "KB",
                 512);
        return ReportMisses(summary);
    });
}
