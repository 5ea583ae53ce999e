#include "tests/wine/wineChild.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#ifndef KORVANE_WINE_RUN
#error "KORVANE_WINE_RUN must name tests/wine/wine-run"
#endif

WineChild::WineChild(const std::vector<std::string>& programAndArguments, const WineOptions& options) {
    std::vector<std::string> command{KORVANE_WINE_RUN};
    for (const auto& [number, path] : options.comPorts) {
        command.push_back("--com");
        command.push_back(std::to_string(number) + "=" + path);
    }
    if (options.gui) command.push_back("--gui");
    command.push_back("--");
    command.insert(command.end(), programAndArguments.begin(), programAndArguments.end());
    std::vector<char*> argv;
    for (std::string& word : command) argv.push_back(word.data());
    argv.push_back(nullptr);

    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
        ::setpgid(0, 0);  // its own group, so a kill reaches Wine's processes under it
        ::dup2(pipeFds[1], STDOUT_FILENO);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    if (pid_ < 0) {
        ::close(pipeFds[0]);
        return;
    }
    ::setpgid(pid_, pid_);
    stdout_ = pipeFds[0];
    exited_ = static_cast<int>(::syscall(SYS_pidfd_open, pid_, 0));
}

WineChild::~WineChild() {
    if (pid_ > 0 && !ended_) kill();
    if (stdout_ >= 0) ::close(stdout_);
    if (exited_ >= 0) ::close(exited_);
}

// Wine's server may inherit the program's stdout and outlive it, so the output's end is
// not the program's end: the child's own exit (its pidfd) ends the reading too, after
// what is already in the pipe has been taken.
bool WineChild::readSome(std::chrono::steady_clock::time_point end) {
    if (stdout_ < 0) return false;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    pollfd p[2]{{stdout_, POLLIN, 0}, {exited_, POLLIN, 0}};
    const int ready = ::poll(p, exited_ >= 0 ? 2 : 1, static_cast<int>(left.count()));
    if (ready < 0) return errno == EINTR;
    if (ready == 0) return false;
    if (!(p[0].revents & (POLLIN | POLLHUP))) {  // exited, nothing left unread
        ::close(stdout_);
        stdout_ = -1;
        return false;
    }
    char buffer[4096];
    const ssize_t n = ::read(stdout_, buffer, sizeof buffer);
    if (n < 0) return errno == EINTR || errno == EAGAIN;
    if (n == 0) {
        ::close(stdout_);
        stdout_ = -1;
        return false;
    }
    output_.append(buffer, static_cast<std::size_t>(n));
    return true;
}

bool WineChild::waitForOutput(const std::string& text, std::chrono::seconds deadline) {
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (output_.find(text) == std::string::npos)
        if (!readSome(end)) return output_.find(text) != std::string::npos;
    return true;
}

int WineChild::wait(std::chrono::seconds deadline) {
    if (pid_ <= 0) return -1;
    if (ended_) return exitCode_;
    const auto end = std::chrono::steady_clock::now() + deadline;
    // The output ends when the program and every Wine process holding its stdout are gone.
    while (stdout_ >= 0 && readSome(end)) {
    }
    if (stdout_ >= 0) {  // the deadline passed
        kill();
        return exitCode_;
    }
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    ended_ = true;
    exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1;
    return exitCode_;
}

void WineChild::kill() {
    ::kill(-pid_, SIGKILL);
    while (::waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
    }
    ended_ = true;
    exitCode_ = -1;
}

std::pair<int, std::string> runWine(const std::vector<std::string>& programAndArguments, const WineOptions& options,
                                    std::chrono::seconds deadline) {
    WineChild child(programAndArguments, options);
    const int code = child.wait(deadline);
    return {code, child.output()};
}
