// The performance figures of a plant's run of the program kv6274pa-frame, end to end, and their
// targets: the built program, started as a user starts it, opens a project of 1,000 instances
// (the instance of a fresh demonstration project repeated under tags of their own), connects
// the first one to the simulated positioner, uploads it, saves the project and writes the
// parameter document, and ends; then the same with the project's lines indented otherwise, as
// an XML tool leaves them. The run's time is that of the whole process, from its start to its
// end; its memory is the peak of its resident memory. The settings file is there (the
// station address may be edited), as on a machine that has it.
// After the benchmark ran, a table sets every figure beside its target.

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "frame/FrameProject.h"

#include "BenchFiles.h"
#include "BenchSummary.h"
#include "support/ChildProcess.h"

#ifndef KV_FRAME_PROGRAM
#error "KV_FRAME_PROGRAM names the built program"
#endif

namespace kv::bench {
namespace {

namespace fs = std::filesystem;

constexpr int kPlant = 1000;
constexpr int kRuns = 5;  // runs of the program that the figures are taken from

// Runs the built program with the arguments; throws when it does not end with status 0.
test_support::ProgramRun RunProgram(const std::vector<std::string>& args) {
    const test_support::ProgramRun run = test_support::RunProgram(KV_FRAME_PROGRAM, args);
    Require(run.status == 0, "the program failed: " + run.err);
    return run;
}

// The plant's project file: the program's first run in an empty folder creates the
// demonstration project (one instance, uploaded); its instance is then written 1,000 times
// under the tags PV-0001, PV-0002, ... A part at a time, so that this process stays small
// beside the program it measures.
const std::string& WrittenPlantProject() {
    static const std::string path = [] {
        const std::string demo = Temp().File("demo.xml");
        RunProgram({"--project", demo});
        FrameProject project;
        FrameFault fault;
        Require(project.Load(demo, fault), fault);
        Require(project.instances.size() == 1, "the demonstration's project is not one instance");
        const ProjectInstance& instance = project.instances.front();
        const std::string plant = Temp().File("plant.xml");
        std::ofstream file(plant, std::ios::binary);
        const TextSink write = [&](std::string_view piece) {
            file.write(piece.data(), static_cast<std::streamsize>(piece.size()));
            return static_cast<bool>(file);
        };
        ProjectWriter writer;
        for (int n = 1; n <= kPlant; ++n) {
            char tag[16];
            std::snprintf(tag, sizeof tag, "PV-%04d", n);
            writer.Add(tag, instance.deviceType, instance.bag);
            Require(writer.WriteOut(write), "the plant's project cannot be written");
        }
        Require(write(writer.Finish()) && file.flush(), "the plant's project cannot be written");
        return plant;
    }();
    return path;
}

// The plant's project file laid out anew, as an XML tool that indents by four leaves it: every
// line's indentation doubled. A line at a time, as above.
const std::string& RelaidPlantProject() {
    static const std::string path = [] {
        std::ifstream written(WrittenPlantProject(), std::ios::binary);
        const std::string relaid = Temp().File("relaid.xml");
        std::ofstream file(relaid, std::ios::binary);
        for (std::string line; std::getline(written, line);) {
            const size_t spaces = std::min(line.find_first_not_of(' '), line.size());
            file << std::string(2 * spaces, ' ') << std::string_view(line).substr(spaces) << '\n';
        }
        Require(static_cast<bool>(file.flush()), "the relaid project cannot be written");
        return relaid;
    }();
    return path;
}

// The peak of this process's resident memory in KB.
double OwnPeakKb() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss);
}

// The plant's run, each time on the same project file: the program opens it, connects and
// uploads its first instance, saves the project over it and writes the parameter document.
// The figures are the process's own: its time is the benchmark's, its peak of resident memory
// ("peak_kb", the largest of the runs) and its CPU time ("cpu_s") are counters. A child's peak
// starts from the size of the process that starts it, so it holds only where this process
// stayed smaller ("own_peak_kb").
void BM_PlantRun(benchmark::State& state, const std::string& (*plantProject)()) {
    const std::string master = plantProject();
    const std::string project = Temp().File("run.xml");
    double peakKb = 0;
    double cpuSeconds = 0;
    for (auto _ : state) {
        fs::copy_file(master, project, fs::copy_options::overwrite_existing);
        const test_support::ProgramRun run = RunProgram({"--project", project});
        state.SetIterationTime(run.seconds);
        peakKb = std::max(peakKb, run.peakKb);
        cpuSeconds += run.cpuSeconds;
    }
    state.counters["peak_kb"] = peakKb;
    state.counters["cpu_s"] = cpuSeconds / static_cast<double>(state.iterations());
    state.counters["own_peak_kb"] = OwnPeakKb();
}
BENCHMARK_CAPTURE(BM_PlantRun, written, WrittenPlantProject)
    ->UseManualTime()
    ->Iterations(kRuns)
    ->Unit(benchmark::kMillisecond);
// The same project laid out otherwise opens as fast, and in as little memory.
BENCHMARK_CAPTURE(BM_PlantRun, relaid, RelaidPlantProject)
    ->UseManualTime()
    ->Iterations(kRuns)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kv::bench

int main(int argc, char** argv) {
    using namespace kv::bench;
    // The machine's settings file: the station address may be edited.
    const std::string settings = Temp().File("registry.conf");
    std::ofstream(settings) << "DPAddressEnable=1\n";
    ::setenv("KV6274PA_CONFIG", settings.c_str(), 1);
    return BenchMain(argc, argv, [](Summary& summary) {
        const auto run = [](const char* layout) {
            return "BM_PlantRun/" + std::string(layout) + "/iterations:" + std::to_string(kRuns) +
                   "/manual_time";
        };
        summary.Time(run("written"), "plant run: open 1000 instances, upload one, save, document",
                     1000, Ms);
        const Result* written = summary.Find(run("written"));
        const Result* relaid = summary.Find(run("relaid"));
        // A child's peak counts where this process stayed smaller.
        const auto peakMb = [](const Result* r) {
            const double peak = r->counters.at("peak_kb");
            return peak > r->counters.at("own_peak_kb") ? peak / 1024.0 : -1;
        };
        if (written) {
            summary.Add("  the same, CPU time (user and system)",
                        written->counters.at("cpu_s") * 1e3, "ms", -1);
            if (peakMb(written) >= 0)
                summary.Add("  the same, peak resident memory", peakMb(written), "MB", 300);
            else
                std::printf("\nThe benchmark outgrew the program: no figure of its memory.\n");
        }
        if (written && relaid) {
            summary.Add("  the same, its project re-indented (at most 1.2 times)",
                        relaid->realSeconds * 1e3, "ms", 1.2 * written->realSeconds * 1e3);
            if (peakMb(written) >= 0 && peakMb(relaid) >= 0)
                summary.Add("  the same, re-indented, peak resident memory", peakMb(relaid), "MB",
                            1.2 * peakMb(written));
        }
        return ReportMisses(summary);
    });
}
