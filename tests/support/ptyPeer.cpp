#include "tests/support/ptyPeer.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

std::string linkPath(const std::string& runtimeDir, int portNumber) {
    return runtimeDir + "/korvane/ports/com" + std::to_string(portNumber);
}

}  // namespace

PtyPeer::PtyPeer(int portNumber) : portNumber_(portNumber) {
    char folder[] = "/tmp/korvane-test-XXXXXX";
    if (mkdtemp(folder) == nullptr) throw std::runtime_error("mkdtemp failed");
    runtimeDir_ = folder;
    fs::create_directories(runtimeDir_ + "/korvane/ports");
    plugIn();
    if (const char* old = std::getenv("XDG_RUNTIME_DIR")) {
        hadRuntimeDir_ = true;
        savedRuntimeDir_ = old;
    }
    setenv("XDG_RUNTIME_DIR", runtimeDir_.c_str(), 1);
}

void PtyPeer::plugIn() {
    pull();
    int slave = -1;
    termios raw{};
    cfmakeraw(&raw);
    if (openpty(&master_, &slave, nullptr, &raw, nullptr) != 0) throw std::runtime_error("openpty failed");
    slavePath_ = ttyname(slave);
    ::close(slave);  // the port under test opens it by path
    // A child process (Wine) must not inherit the master: a pull would not hang the pty up.
    ::fcntl(master_, F_SETFD, FD_CLOEXEC);
    fs::create_symlink(slavePath_, linkPath(runtimeDir_, portNumber_));
}

void PtyPeer::pull() {
    if (master_ >= 0) closeMaster();
    std::error_code ignored;
    fs::remove(linkPath(runtimeDir_, portNumber_), ignored);
}

PtyPeer::~PtyPeer() {
    if (hadRuntimeDir_) setenv("XDG_RUNTIME_DIR", savedRuntimeDir_.c_str(), 1);
    else unsetenv("XDG_RUNTIME_DIR");
    std::error_code ignored;
    fs::remove_all(runtimeDir_, ignored);
    if (master_ >= 0) ::close(master_);
}

std::string PtyPeer::comPath() const { return "\\\\.\\COM" + std::to_string(portNumber_); }

void PtyPeer::send(const std::vector<std::uint8_t>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw std::runtime_error("pty write failed");
        done += static_cast<std::size_t>(n);
    }
}

void PtyPeer::send(const std::string& text) { send(std::vector<std::uint8_t>(text.begin(), text.end())); }

std::vector<std::uint8_t> PtyPeer::receive(std::size_t count, std::chrono::milliseconds deadline) {
    std::vector<std::uint8_t> bytes;
    const auto end = std::chrono::steady_clock::now() + deadline;
    std::uint8_t buffer[4096];
    while (bytes.size() < count) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        pollfd p{master_, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
        const ssize_t n = ::read(master_, buffer, std::min(sizeof buffer, count - bytes.size()));
        if (n > 0) bytes.insert(bytes.end(), buffer, buffer + n);
        else if (n < 0 && errno != EINTR && errno != EAGAIN) break;
    }
    return bytes;
}

std::vector<std::uint8_t> PtyPeer::receiveAvailable() {
    std::vector<std::uint8_t> bytes;
    std::uint8_t buffer[4096];
    for (;;) {
        pollfd p{master_, POLLIN, 0};
        if (::poll(&p, 1, 0) <= 0) return bytes;
        const ssize_t n = ::read(master_, buffer, sizeof buffer);
        if (n > 0) bytes.insert(bytes.end(), buffer, buffer + n);
        else if (n == 0 || (errno != EINTR && errno != EAGAIN)) return bytes;
    }
}

void PtyPeer::closeMaster() {
    ::close(master_);
    master_ = -1;
}
