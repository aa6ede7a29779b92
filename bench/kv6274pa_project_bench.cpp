// The performance figures of the reference frame's project at plant scale and their targets:
// opening and saving a project of 1,000 instances (the demonstration's instance after its upload,
// repeated under tags of their own), how both grow with the project (their time per instance at
// 1,000 instances against that at 250), and the memory each instance takes: the heap the opened
// project holds, and the peak of the resident memory while it is opened and saved.
// After the benchmarks ran, a table sets every figure beside its target.

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>

#include "frame/DeviceSession.h"
#include "frame/FrameProject.h"
#include "frame/FrameWords.h"
#include "frame/ReferenceFrame.h"
#include "frame/ScriptedPrompt.h"
#include "platform/runtime/ManualEventLoop.h"
#include "sim/SimulatedPositioner.h"

#include "BenchFiles.h"
#include "BenchSummary.h"

namespace kv::bench {
namespace {

namespace fs = std::filesystem;

const char* const kUserInformation = R"(<FDT><UserInformation role="Maintenance"/></FDT>)";
constexpr int kPlant = 1000;
constexpr int kSmall = 250;

// A frame as the program sets it up.
struct Frame {
    std::shared_ptr<ManualEventLoop> loop = std::make_shared<ManualEventLoop>();
    std::unique_ptr<ReferenceFrame> frame =
        std::make_unique<ReferenceFrame>(loop, std::make_shared<ScriptedPrompt>());
    Frame() {
        frame->SetUserInformation(kUserInformation);
        frame->SetLanguage(langEnglish);
    }
    void Open(const std::string& path) {
        FrameFault error;
        Require(frame->LoadProject(path, error), error);
        loop->RunUntilIdle();
    }
    void Save(const std::string& path) {
        FrameFault error;
        Require(frame->SaveProject(path, error), error);
    }
    // Ends every instance and what they posted.
    void Close() {
        frame.reset();
        loop->RunUntilIdle();
    }
};

// The project file of 'count' instances: the demonstration's instance, connected to the
// simulated positioner and uploaded, saved under the tags PV-0001, PV-0002, ...
std::string ProjectOf(int count) {
    static std::map<int, std::string> made;
    if (auto it = made.find(count); it != made.end())
        return it->second;
    static const ProjectInstance demo = [] {
        Frame f;
        FrameFault error;
        FrameInstance* instance = f.frame->AddInstance("PV-101", "KV6274PA", error);
        Require(instance != nullptr, error);
        auto device = std::make_shared<SimulatedPositioner>();
        SetUpDemonstrationProcess(*device);
        {
            DeviceSession session(f.loop, *instance, device);
            Require(session.SetCommunication() && session.Connect(), "not connected");
            Require(session.Upload("upload-1") == std::optional<bool>(true), "upload failed");
            Require(session.Disconnect(), "not disconnected");
        }
        const std::string path = Temp().File("demo.kvproj");
        f.Save(path);
        f.Close();
        FrameProject project;
        Require(project.Load(path, error), error);
        Require(project.instances.size() == 1, "the demonstration's project is not one instance");
        return project.instances.front();
    }();
    FrameProject project;
    for (int n = 1; n <= count; ++n) {
        char tag[16];
        std::snprintf(tag, sizeof tag, "PV-%04d", n);
        ProjectInstance instance = demo;
        instance.systemTag = tag;
        project.instances.push_back(std::move(instance));
    }
    const std::string path = Temp().File("plant-" + std::to_string(count) + ".kvproj");
    FrameFault error;
    Require(project.Save(path, error), error);
    return made[count] = path;
}

// A new frame opens the project: its file is read and every instance is created, loads its
// stored data and gets its environment, user and language.
void BM_OpenProject(benchmark::State& state) {
    const std::string path = ProjectOf(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        Frame f;
        f.Open(path);
        benchmark::DoNotOptimize(f.frame->Instances().size());
        state.PauseTiming();
        f.Close();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenProject)->Arg(kSmall)->Arg(kPlant)->Unit(benchmark::kMillisecond);

// Every instance of the opened project saves itself, and the project file is written.
void BM_SaveProject(benchmark::State& state) {
    const std::string path = ProjectOf(static_cast<int>(state.range(0)));
    const std::string saved = Temp().File("saved.kvproj");
    Frame f;
    f.Open(path);
    for (auto _ : state)
        f.Save(saved);
    f.Close();
}
BENCHMARK(BM_SaveProject)->Arg(kSmall)->Arg(kPlant)->Unit(benchmark::kMillisecond);

// The heap that an opened project of 'count' instances holds, per instance.
double HeapPerInstance(int count) {
    const std::string path = ProjectOf(count);
    {
        Frame warm;  // dictionaries and other per-process data are loaded
        warm.Open(ProjectOf(1));
        warm.Close();
    }
    malloc_trim(0);
    const double before = static_cast<double>(mallinfo2().uordblks);
    Frame f;
    f.Open(path);
    const double held = static_cast<double>(mallinfo2().uordblks) - before;
    f.Close();
    return held / count;
}

// A figure of /proc/self/status in KB ("VmRSS", "VmHWM"); -1 when it cannot be read.
double StatusKb(const std::string& name) {
    std::ifstream in("/proc/self/status");
    for (std::string line; std::getline(in, line);) {
        if (line.compare(0, name.size() + 1, name + ":") == 0)
            return std::atof(line.c_str() + name.size() + 1);
    }
    return -1;
}

// The peak of the resident memory while a new frame opens the project of 'count' instances and
// saves it, above what the process held before, per instance; -1 when the peak cannot be reset.
double PeakPerInstance(int count) {
    const std::string path = ProjectOf(count);
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";  // the peak starts again from the current size
    const double before = StatusKb("VmRSS");
    if (before < 0 || StatusKb("VmHWM") > before * 1.01)
        return -1;
    Frame f;
    f.Open(path);
    f.Save(Temp().File("saved.kvproj"));
    const double peak = StatusKb("VmHWM");
    f.Close();
    return (peak - before) * 1024 / count;
}

// The time per instance at the plant's size against that at the small one.
double Growth(const Summary& summary, const std::string& benchmark) {
    const Result* small = summary.Find(benchmark + "/" + std::to_string(kSmall));
    const Result* plant = summary.Find(benchmark + "/" + std::to_string(kPlant));
    if (small == nullptr || plant == nullptr || small->realSeconds <= 0)
        return -1;
    return (plant->realSeconds / kPlant) / (small->realSeconds / kSmall);
}

}  // namespace
}  // namespace kv::bench

int main(int argc, char** argv) {
    using namespace kv::bench;
    return BenchMain(argc, argv, [](Summary& summary) {
        const std::string plant = std::to_string(kPlant);
        // The save's real time includes the flush of the whole file to the disk, which the
        // CPU time leaves out.
        summary.Time("BM_OpenProject/" + plant, "open a project of 1000 instances", 500, Ms)
            .Time("BM_SaveProject/" + plant, "save a project of 1000 instances", 500, Ms)
            .Time("BM_SaveProject/" + plant, "  the same, CPU time (no wait for the disk)", 500, Ms,
                  true);
        if (const double g = Growth(summary, "BM_OpenProject"); g >= 0)
            summary.Add("open: time per instance at 1000 / at 250", g, "", 1.25);
        if (const double g = Growth(summary, "BM_SaveProject"); g >= 0)
            summary.Add("save: time per instance at 1000 / at 250", g, "", 1.25);
        summary.Add("heap per instance of an opened project (1000 instances)",
                    HeapPerInstance(kPlant) / 1024.0, "KB", 400);
        if (const double peak = PeakPerInstance(kPlant); peak >= 0)
            summary.Add("peak RSS per instance, open and save (1000 instances)", peak / 1024.0,
                        "KB", 400);
        else
            std::printf("\nThe peak of the resident memory cannot be reset: no peak figure.\n");
        return ReportMisses(summary);
    });
}
