#include "platform/os/Shell.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace kv::os {

namespace {

ShellOpener& CurrentOpener() {
    static ShellOpener opener;
    return opener;
}

}  // namespace

void SetShellOpener(ShellOpener opener) {
    CurrentOpener() = std::move(opener);
}

bool ShellOpen(const std::string& file) {
    const ShellOpener& opener = CurrentOpener();
    return opener ? opener(file) : XdgOpen(file);
}

bool XdgOpen(const std::string& file) {
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
        // The intermediate child starts the program and leaves at once, so the program is
        // re-parented and never stays behind as a zombie of ours.
        ::close(fds[0]);
        ::setsid();
        const pid_t grandchild = ::fork();
        if (grandchild == 0) {
            ::execvp(argv[0], argv);
            const int err = errno;
            [[maybe_unused]] ssize_t n = ::write(fds[1], &err, sizeof err);
            ::_exit(127);
        }
        ::_exit(grandchild < 0 ? 1 : 0);
    }
    ::close(fds[1]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    int err = 0;
    ssize_t n;
    while ((n = ::read(fds[0], &err, sizeof err)) < 0 && errno == EINTR) {
    }
    ::close(fds[0]);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 && n == 0;
}

}  // namespace kv::os
