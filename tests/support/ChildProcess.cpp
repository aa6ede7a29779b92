#include "support/ChildProcess.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <memory>
#include <system_error>

extern char** environ;

namespace kv::test_support {

namespace {

// An unnamed file, removed once closed.
using File = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

File Unnamed() {
    File file(std::tmpfile(), &std::fclose);
    if (!file)
        throw std::system_error(errno, std::generic_category(), "no file for a program's output");
    return file;
}

std::string TextOf(std::FILE* file) {
    std::string text;
    std::rewind(file);
    char buffer[4096];
    for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
        text.append(buffer, got);
    return text;
}

// This process's environment with the setting's variables set, as "name=value".
std::vector<std::string> EnvironmentOf(const ProgramSetting& setting) {
    std::vector<std::string> variables;
    for (char** v = environ; *v != nullptr; ++v) {
        const std::string variable = *v;
        bool replaced = false;
        for (const auto& [name, value] : setting.environment)
            replaced = replaced || variable.compare(0, name.size() + 1, name + "=") == 0;
        if (!replaced)
            variables.push_back(variable);
    }
    for (const auto& [name, value] : setting.environment)
        variables.push_back(name + "=" + value);
    return variables;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

}  // namespace

ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const ProgramSetting& setting) {
    const File out = Unnamed();
    const File err = Unnamed();
    std::vector<std::string> arguments{program};
    arguments.insert(arguments.end(), args.begin(), args.end());
    std::vector<std::string> variables = EnvironmentOf(setting);
    const std::vector<char*> argv = Pointers(arguments);
    const std::vector<char*> envp = Pointers(variables);
    const auto start = std::chrono::steady_clock::now();
    // The child calls only what may be called between fork and exec in a process with threads.
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int in = ::open("/dev/null", O_RDONLY);
        if (in < 0 || ::dup2(in, STDIN_FILENO) < 0 ||
            ::dup2(fileno(out.get()), STDOUT_FILENO) < 0 ||
            ::dup2(fileno(err.get()), STDERR_FILENO) < 0)
            ::_exit(127);
        if (!setting.folder.empty() && ::chdir(setting.folder.c_str()) != 0)
            ::_exit(127);
        if (setting.fileSizeLimit > 0) {
            rlimit limit{};
            ::getrlimit(RLIMIT_FSIZE, &limit);
            limit.rlim_cur = static_cast<rlim_t>(setting.fileSizeLimit);
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        ::execve(program.c_str(), argv.data(), envp.data());
        ::_exit(127);
    }
    if (pid < 0)
        throw std::system_error(errno, std::generic_category(), program + " cannot be started");
    int status = 0;
    rusage usage{};
    while (::wait4(pid, &status, 0, &usage) < 0) {
        if (errno != EINTR)
            throw std::system_error(errno, std::generic_category(), "the end of " + program);
    }
    ProgramRun run;
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    run.cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    run.peakKb = static_cast<double>(usage.ru_maxrss);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = TextOf(out.get());
    run.err = TextOf(err.get());
    return run;
}

}  // namespace kv::test_support
