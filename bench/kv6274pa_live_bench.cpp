// The load of the user interface's thread while live pages refresh, and its targets: the
// functions "Trend", "Measured values" and "Diagnosis" open in tabs of the frame's window, each
// cycling at the shortest interval (100 ms) against the simulated positioner while the simulated
// control system moves its setpoint, with Qt's own event loop on the offscreen platform, as the
// program runs them. One benchmark per page in front (the two others refresh behind it). Per
// second of wall time: the main thread's processor time, and the calls through which a library
// makes the C library read the time zone anew (tzset, localtime, mktime: each looks at
// /etc/localtime when TZ is not set). After the benchmarks ran, a table sets every figure beside
// its target.

#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTabWidget>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <ctime>
#include <functional>
#include <memory>
#include <string>

#include "frame/ReferenceFrame.h"
#include "frame/window/FrameWindow.h"
#include "frame/window/WindowPrompt.h"
#include "platform/controls/widgets/PageRegistry.h"
#include "platform/controls/widgets/QtEventLoop.h"
#include "platform/controls/widgets/ctlNavigation.h"
#include "sim/SimulatedPositioner.h"
#include "ui/framework/widgets/FrameworkUserInterfaces.h"
#include "ui/framework/widgets/ctlNavigationMain.h"
#include "ui/onlinepages/OnlinePages.h"
#include "ui/parameterpages/ParameterPages.h"

#include "BenchFiles.h"
#include "BenchSummary.h"

namespace {

std::atomic<long> zoneReads{0};

template <typename Fn>
Fn Next(const char* name) {
    return reinterpret_cast<Fn>(dlsym(RTLD_NEXT, name));
}

}  // namespace

// The C library's calls that read the time zone anew, counted and passed on.
extern "C" {
void tzset() noexcept {
    static const auto next = Next<void (*)()>("tzset");
    ++zoneReads;
    next();
}
struct tm* localtime(const time_t* t) noexcept {
    static const auto next = Next<struct tm* (*)(const time_t*)>("localtime");
    ++zoneReads;
    return next(t);
}
time_t mktime(struct tm* tm) noexcept {
    static const auto next = Next<time_t (*)(struct tm*)>("mktime");
    ++zoneReads;
    return next(tm);
}
}

namespace kv::bench {
namespace {

// The functions of the live pages, in the order of their tabs.
constexpr int32_t kFunctions[] = {8, 7, 5};
const char* const kFunctionNames[] = {"Trend", "Measured values", "Diagnosis"};
constexpr int32_t kIntervalMs = 100;
constexpr int64_t kSetpointCycleMs = 60000;
// The main thread may take this share of a core.
constexpr double kTargetPercent = 25;
// Each page reads the device at every tick: at least this many requests a second.
constexpr size_t kLeastRequests = 3 * 1000 / kIntervalMs;

// Lets Qt's loop run for this many milliseconds of wall time.
void RunFor(int ms) {
    QEventLoop wait;
    QTimer::singleShot(ms, &wait, &QEventLoop::quit);
    wait.exec();
}

// Lets Qt's loop run until done() holds; throws after maxMs.
void RunUntil(const std::function<bool()>& done, const std::string& what, int maxMs = 30000) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        Require(clock.elapsed() < maxMs, what);
        RunFor(10);
    }
}

double ThreadCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// The frame's window with the instance connected and the three live pages open and cycling.
struct LiveWindow {
    PageRegistry registry;
    std::shared_ptr<QtEventLoop> loop = std::make_shared<QtEventLoop>();
    std::shared_ptr<WindowPrompt> prompt = std::make_shared<WindowPrompt>();
    ReferenceFrame frame{loop, prompt};
    std::shared_ptr<SimulatedPositioner> device = std::make_shared<SimulatedPositioner>();
    std::unique_ptr<FrameWindow> window;

    LiveWindow() {
        RegisterFrameworkUserInterfaces(registry);
        RegisterParameterPages(registry);
        RegisterOnlinePages(registry);
        FrameFault error;
        Require(frame.AddInstance("PV-101", "KV6274PA", error) != nullptr, error);
        device->SetSetpointCycle(kSetpointCycleMs);
        window = std::make_unique<FrameWindow>(frame, loop, device, prompt,
                                               Temp().File("project.xml"), &registry);
        window->resize(1280, 860);
        window->show();
        Require(window->Connect(), "the window did not connect");
        RunUntil([this] { return !window->Busy(); }, "the connection did not end");
        Require(window->IsConnected(), "the instance is not connected");
        for (int32_t function : kFunctions) {
            auto* main = dynamic_cast<ctlNavigationMain*>(window->OpenFunction(function));
            Require(main != nullptr, "function " + std::to_string(function) + " did not open");
            ICyclePane& cycle = main->NavigationControl().dtmInfo().Cycle();
            cycle.SetInterval(kIntervalMs);
            cycle.SetCyclicRefresh(1);
        }
    }
    ~LiveWindow() {
        window->ReleaseAll();
        window.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

// Made at its first use, released before Qt ends.
std::unique_ptr<LiveWindow> live;

LiveWindow& Live() {
    if (!live)
        live = std::make_unique<LiveWindow>();
    return *live;
}

// One iteration is a second of wall time with the page of the function kFunctions[range(0)] in
// front.
void BM_LivePages(benchmark::State& state) {
    LiveWindow& pages = Live();
    pages.window->Tabs()->setCurrentIndex(static_cast<int>(state.range(0)));
    RunFor(1000);  // the page in front laid out and painted once
    double cpu = 0;
    long reads = 0;
    size_t requests = SimulatedPositioner::kLogCapacity;  // the fewest of a second
    for (auto _ : state) {
        pages.device->ClearLog();
        const long reads0 = zoneReads;
        const double cpu0 = ThreadCpuSeconds();
        RunFor(1000);
        cpu += ThreadCpuSeconds() - cpu0;
        reads += zoneReads - reads0;
        requests = std::min(requests, pages.device->Log().size());
    }
    const auto n = static_cast<double>(state.iterations());
    state.counters["cpu_percent"] = 100 * cpu / n;
    state.counters["zone_reads"] = static_cast<double>(reads) / n;
    state.counters["requests"] = static_cast<double>(requests);
    if (requests < kLeastRequests)
        state.SkipWithError("the pages are not refreshed");
}
BENCHMARK(BM_LivePages)->DenseRange(0, 2)->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kv::bench

int main(int argc, char** argv) {
    using namespace kv::bench;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int status = BenchMain(argc, argv, [](Summary& summary) {
        for (int i = 0; i < 3; ++i) {
            const Result* r = summary.Find("BM_LivePages/" + std::to_string(i) + "/iterations:5");
            if (r == nullptr)
                continue;
            const std::string front = std::string(kFunctionNames[i]) + " in front";
            summary
                .Add("main thread CPU, three pages at 100 ms, " + front,
                     r->counters.at("cpu_percent"), "%", kTargetPercent)
                .Add("  time zone reads per second", r->counters.at("zone_reads"), "", 0);
        }
        return ReportMisses(summary);
    });
    live.reset();
    return status;
}
