#include "platform/os/Shell.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <vector>

#include "platform/os/IEventLoop.h"

namespace kv::os {

namespace {

ShellOpener& CurrentOpener() {
    static ShellOpener opener;
    return opener;
}

// How often the loop looks whether a started opener has ended.
constexpr int32_t kExitPollMs = 200;

// Collects the exit status of the started opener on the loop, without waiting for it.
void WatchExit(pid_t child, IEventLoop& loop, ShellOpenEnded ended) {
    auto timer = std::make_shared<int32_t>(0);
    *timer = loop.StartTimer(kExitPollMs, [child, &loop, timer, ended = std::move(ended)] {
        int status = 0;
        const pid_t done = ::waitpid(child, &status, WNOHANG);
        if (done == 0 || (done < 0 && errno == EINTR))
            return;  // still running
        // A status that cannot be had (the child reaped elsewhere) says nothing about the file.
        const bool reaped = done == child;
        // The timer goes first: what it holds must not be used after it has stopped.
        const ShellOpenEnded tell = ended;
        IEventLoop& owner = loop;
        owner.StopTimer(*timer);
        if (reaped && tell)
            tell(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    });
}

}  // namespace

void SetShellOpener(ShellOpener opener) {
    CurrentOpener() = std::move(opener);
}

bool ShellOpen(const std::string& file, IEventLoop& loop, ShellOpenEnded ended) {
    const ShellOpener& opener = CurrentOpener();
    return opener ? opener(file, loop, std::move(ended)) : XdgOpen(file, loop, std::move(ended));
}

bool XdgOpen(const std::string& file, IEventLoop& loop, ShellOpenEnded ended) {
    struct stat st {};
    if (file.empty() || ::stat(file.c_str(), &st) != 0) {
        return false;
    }
    // A name starting with '-' would be read as an option.
    const std::string arg = file.front() == '-' ? "./" + file : file;
    std::vector<char> program{'x', 'd', 'g', '-', 'o', 'p', 'e', 'n', '\0'};
    std::vector<char> argument(arg.begin(), arg.end());
    argument.push_back('\0');
    char* argv[] = {program.data(), argument.data(), nullptr};

    // The exec status comes back through a close-on-exec pipe: end of file means the program runs.
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        return false;
    }
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        return false;
    }
    if (child == 0) {
        // The program runs in a session of its own, so that the terminal's signals do not end
        // the viewer it starts.
        ::close(fds[0]);
        ::setsid();
        // What the opener and the viewer print is theirs: the program's output stays its own.
        const int null = ::open("/dev/null", O_RDWR);
        if (null >= 0) {
            for (int fd = 0; fd <= 2; ++fd)
                ::dup2(null, fd);
            if (null > 2)
                ::close(null);
        }
        ::execvp(argv[0], argv);
        const int err = errno;
        [[maybe_unused]] ssize_t n = ::write(fds[1], &err, sizeof err);
        ::_exit(127);
    }
    ::close(fds[1]);
    int err = 0;
    ssize_t n;
    while ((n = ::read(fds[0], &err, sizeof err)) < 0 && errno == EINTR) {
    }
    ::close(fds[0]);
    if (n != 0) {
        // Not started: the child has ended already.
        int status = 0;
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
        return false;
    }
    WatchExit(child, loop, std::move(ended));
    return true;
}

}  // namespace kv::os
