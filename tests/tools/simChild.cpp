#include "tests/tools/simChild.h"

#include <algorithm>
#include <string_view>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "tests/support/ptyPeer.h"

extern char** environ;

namespace simtest {
namespace {

using Clock = std::chrono::steady_clock;

int millisecondsLeft(Clock::time_point end) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Reads what fd has within the deadline into buffer; false once nothing more can come.
bool readSome(int fd, std::string& buffer, Clock::time_point end) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, millisecondsLeft(end)) <= 0) return Clock::now() < end;
    char chunk[4096];
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n > 0) buffer.append(chunk, static_cast<std::size_t>(n));
    return n > 0 || (n < 0 && (errno == EINTR || errno == EAGAIN));
}

}  // namespace

TempFolder::TempFolder() {
    char pattern[] = "/tmp/korvane-sim-test-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

SimChild::SimChild(const std::string& runtimeDir, const std::vector<std::string>& args)
    : SimChild(KORVANE_SIM_PATH, runtimeDir, args, {}) {}

SimChild::SimChild(const std::string& program, const std::string& runtimeDir, const std::vector<std::string>& args,
                   const std::vector<std::string>& extraEnv)
    : errorFile_(runtimeDir + "/sim-stderr-" + std::to_string(Clock::now().time_since_epoch().count())) {
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    stdout_ = pipeFds[0];

    std::vector<std::string> ours = extraEnv;
    ours.push_back("XDG_RUNTIME_DIR=" + runtimeDir);
    auto setByUs = [&ours](std::string_view entry) {
        const std::string_view name = entry.substr(0, entry.find('=') + 1);
        return std::any_of(ours.begin(), ours.end(), [name](const std::string& e) { return e.starts_with(name); });
    };
    std::vector<std::string> env;
    for (char** entry = environ; *entry != nullptr; ++entry)
        if (!setByUs(*entry)) env.emplace_back(*entry);
    env.insert(env.end(), ours.begin(), ours.end());
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), args.begin(), args.end());
    auto pointers = [](std::vector<std::string>& strings) {
        std::vector<char*> list;
        for (auto& s : strings) list.push_back(s.data());
        list.push_back(nullptr);
        return list;
    };
    auto envList = pointers(env);
    auto argList = pointers(argv);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errorFile_.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    const int failed = posix_spawn(&pid_, argList[0], &actions, nullptr, argList.data(), envList.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (failed != 0) throw std::runtime_error("cannot start " + program + ": " + std::strerror(failed));
}

SimChild::~SimChild() {
    if (!reaped_) {
        ::kill(pid_, SIGKILL);
        int status = 0;
        while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
    }
    ::close(stdout_);
}

std::optional<std::string> SimChild::readLine(std::chrono::milliseconds deadline) {
    const auto end = Clock::now() + deadline;
    for (;;) {
        if (const auto newline = stdoutBuffer_.find('\n'); newline != std::string::npos) {
            std::string line = stdoutBuffer_.substr(0, newline);
            stdoutBuffer_.erase(0, newline + 1);
            return line;
        }
        if (!readSome(stdout_, stdoutBuffer_, end)) return std::nullopt;
    }
}

std::optional<int> SimChild::waitForExit(std::chrono::milliseconds deadline) {
    int status = 0;
    if (!reaped_) reaped_ = eventually([&] { return ::waitpid(pid_, &status, WNOHANG) == pid_; }, deadline);
    if (!reaped_) return std::nullopt;
    return status;
}

void SimChild::signal(int number) { ::kill(pid_, number); }

std::string SimChild::errorOutput() const {
    std::ifstream file(errorFile_);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

bool SimChild::waitForError(const std::string& text, std::chrono::milliseconds deadline) const {
    const auto end = Clock::now() + deadline;
    for (;;) {
        if (errorOutput().find(text) != std::string::npos) return true;
        if (Clock::now() >= end) return false;
        std::this_thread::sleep_for(5ms);  // a file has nothing to wait on; look again shortly
    }
}

PortClient::PortClient(const std::string& path) {
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) return;
    termios settings{};
    if (::tcgetattr(fd_, &settings) == 0) {
        cfmakeraw(&settings);
        ::tcsetattr(fd_, TCSANOW, &settings);
    }
}

PortClient::~PortClient() {
    if (fd_ >= 0) ::close(fd_);
}

void PortClient::send(const std::string& bytes) {
    std::size_t done = 0;
    const auto end = Clock::now() + 20s;
    while (done < bytes.size() && Clock::now() < end) {
        const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EAGAIN) {
            pollfd p{fd_, POLLOUT, 0};
            ::poll(&p, 1, millisecondsLeft(end));
        } else if (!(n < 0 && errno == EINTR)) {
            throw std::runtime_error(std::string("write to the port failed: ") + std::strerror(errno));
        }
    }
}

std::string PortClient::readUntil(const std::function<std::size_t(const std::string&)>& complete,
                                  std::chrono::milliseconds deadline) {
    const auto end = Clock::now() + deadline;
    for (;;) {
        if (const std::size_t count = complete(buffer_); count > 0) {
            std::string taken = buffer_.substr(0, count);
            buffer_.erase(0, count);
            return taken;
        }
        if (!readSome(fd_, buffer_, end)) return {};
    }
}

std::string PortClient::readLine() {
    return readUntil([](const std::string& received) {
        const auto end = received.find("\r\n");
        return end == std::string::npos ? 0 : end + 2;
    });
}

std::string PortClient::readBytes(std::size_t count) {
    return readUntil([count](const std::string& received) { return received.size() >= count ? count : 0; });
}

std::size_t PortClient::waitingBytes() const {
    int count = 0;
    return ::ioctl(fd_, FIONREAD, &count) == 0 ? static_cast<std::size_t>(count) : 0;
}

void PortClient::purge() {
    ::tcflush(fd_, TCIFLUSH);
    buffer_.clear();
}

}  // namespace simtest
