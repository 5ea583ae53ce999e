// Helpers for running the built simulator as a child process: a private runtime
// folder, the child itself, and a client on the port it links.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace simtest {

using namespace std::chrono_literals;

// A fresh folder under /tmp, removed with everything in it.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// Points this process's virtual-port folder at the test's runtime folder for a scope.
class RuntimeDirForScope {
public:
    explicit RuntimeDirForScope(const std::string& path) {
        if (const char* old = std::getenv("XDG_RUNTIME_DIR")) saved_ = old;
        setenv("XDG_RUNTIME_DIR", path.c_str(), 1);
    }
    ~RuntimeDirForScope() {
        if (saved_) setenv("XDG_RUNTIME_DIR", saved_->c_str(), 1);
        else unsetenv("XDG_RUNTIME_DIR");
    }

private:
    std::optional<std::string> saved_;
};

// korvane-sim with XDG_RUNTIME_DIR set to runtimeDir; killed at the end if still running.
class SimChild {
public:
    SimChild(const std::string& runtimeDir, const std::vector<std::string>& args);
    // Another of our programs the same way, with `extraEnv` ("NAME=value") added.
    SimChild(const std::string& program, const std::string& runtimeDir, const std::vector<std::string>& args,
             const std::vector<std::string>& extraEnv);
    ~SimChild();
    SimChild(const SimChild&) = delete;
    SimChild& operator=(const SimChild&) = delete;

    // The next line of its standard output without the line end; nothing by the deadline.
    std::optional<std::string> readLine(std::chrono::milliseconds deadline = 20s);
    // Its wait status once it has ended; nothing by the deadline.
    std::optional<int> waitForExit(std::chrono::milliseconds deadline = 20s);
    void signal(int number);
    // What it wrote to standard error so far.
    std::string errorOutput() const;
    // Whether its standard error contains text by the deadline.
    bool waitForError(const std::string& text, std::chrono::milliseconds deadline = 20s) const;

private:
    pid_t pid_ = -1;
    bool reaped_ = false;
    int stdout_ = -1;
    std::string stdoutBuffer_;
    std::string errorFile_;
};

// The application side of the port: the link opened in raw mode, as Korvane would.
class PortClient {
public:
    explicit PortClient(const std::string& path);
    ~PortClient();
    PortClient(const PortClient&) = delete;
    PortClient& operator=(const PortClient&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    void send(const std::string& bytes);
    // Reads until complete(received) holds, then hands back and forgets the first
    // `complete` bytes of what was received; empty by the deadline.
    std::string readUntil(const std::function<std::size_t(const std::string&)>& complete,
                          std::chrono::milliseconds deadline = 20s);
    // The next line, CR LF included.
    std::string readLine();
    std::string readBytes(std::size_t count);
    // Bytes waiting in the port's input queue, not yet read.
    std::size_t waitingBytes() const;
    // Throws away what is waiting, as a purge at open does.
    void purge();

private:
    int fd_ = -1;
    std::string buffer_;
};

}  // namespace simtest
