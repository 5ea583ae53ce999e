// A Windows program run under Wine as a child of a Linux-side test, through
// tests/wine/wine-run (the tests' own prefix, COM ports linked to ptys, an X display).
//
//   WineChild child({"path/to/program.exe", "arg"}, {.comPorts = {{10, peer.slavePath()}}});
//   child.waitForOutput("HELD");            // optional: a line the program prints
//   const int code = child.wait();          // its exit code; output() is all it printed
//
// Every wait has a generous deadline; on expiry the child (with Wine's processes under it)
// is killed and wait() returns -1. The program must flush stdout for waitForOutput to see it.
#pragma once

#include <chrono>
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

struct WineOptions {
    std::vector<std::pair<int, std::string>> comPorts;  // COM number (>= 5) and the pty slave it names
    bool gui = false;                                   // give the program an X display
};

class WineChild {
public:
    static constexpr std::chrono::seconds defaultDeadline{300};

    // Starts the program; a child that cannot be started fails wait() with -1.
    explicit WineChild(const std::vector<std::string>& programAndArguments, const WineOptions& options = {});
    ~WineChild();  // kills a child still running
    WineChild(const WineChild&) = delete;
    WineChild& operator=(const WineChild&) = delete;

    // Reads the child's stdout until it holds text; false when the child ended or the
    // deadline passed first.
    bool waitForOutput(const std::string& text, std::chrono::seconds deadline = defaultDeadline);
    // Waits for the child to end: its exit code, 128 + the signal that ended it, or -1 when
    // it was killed at the deadline or never started.
    int wait(std::chrono::seconds deadline = defaultDeadline);
    // Everything the child printed on stdout so far.
    const std::string& output() const { return output_; }

private:
    bool readSome(std::chrono::steady_clock::time_point end);  // false at end of output or deadline
    void kill();

    pid_t pid_ = -1;
    int stdout_ = -1;
    int exited_ = -1;  // pidfd: readable once the child has exited
    int exitCode_ = -1;
    bool ended_ = false;
    std::string output_;
};

// Runs the program to its end: exit code (as wait()) and output.
std::pair<int, std::string> runWine(const std::vector<std::string>& programAndArguments,
                                    const WineOptions& options = {},
                                    std::chrono::seconds deadline = WineChild::defaultDeadline);
