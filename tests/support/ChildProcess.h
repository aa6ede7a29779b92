#pragma once
// A program run as a user runs it, in a process of its own, and waited for: for the tests and the
// benchmarks that run the built program.

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace kv::test_support {

// How a program runs.
struct ProgramSetting {
    std::string folder{};  // the folder it runs in; empty: this process's
    std::vector<std::pair<std::string, std::string>> environment{};  // variables set for it
    size_t fileSizeLimit = 0;  // the largest file it may write, in bytes; 0: no other than ours
};

// How a program's run ended.
struct ProgramRun {
    int status = -1;        // its exit status; -1 where it did not end by exit (a signal ended it)
    std::string out;        // what it wrote to its standard output
    std::string err;        // what it wrote to its standard error
    double seconds = 0;     // from its start to its end
    double cpuSeconds = 0;  // its user and system time
    double peakKb = 0;      // the peak of its resident memory
};

// Runs 'program' with 'args', with no input, and waits for its end. Throws std::system_error
// where it cannot be started.
ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const ProgramSetting& setting = {});

}  // namespace kv::test_support
