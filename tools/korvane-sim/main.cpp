// korvane-sim: a radio module on the far end of a virtual serial port.
//
// It opens a pty, links its slave as comN in Korvane's virtual-port folder, answers
// commands arriving on the master and, if asked, streams at a steady rate.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "platform/posix/portNames.h"
#include "tools/korvane-sim/module.h"
#include "tools/korvane-sim/options.h"
#include "tools/korvane-sim/ptySink.h"
#include "tools/korvane-sim/virtualLink.h"

namespace {

using namespace std::chrono_literals;
using sim::Clock;

constexpr auto streamTick = 10ms;
// After the master reports a hang-up, how long to wait before looking again.
constexpr auto hangUpPause = 100ms;

struct Pty {
    int master = -1;
    int slave = -1;
    std::string slavePath;
};

bool openPty(Pty& pty) {
    termios raw{};
    cfmakeraw(&raw);
    if (openpty(&pty.master, &pty.slave, nullptr, &raw, nullptr) != 0) return false;
    // We keep the slave open for our whole life and never read it: otherwise the master
    // polls POLLHUP without pause while no client has the port open, and the pty would
    // lose its settings each time the client closes.
    fcntl(pty.master, F_SETFL, fcntl(pty.master, F_GETFL) | O_NONBLOCK);
    fcntl(pty.master, F_SETFD, FD_CLOEXEC);
    fcntl(pty.slave, F_SETFD, FD_CLOEXEC);
    const char* name = ttyname(pty.slave);
    if (name == nullptr) return false;
    pty.slavePath = name;
    return true;
}

// SIGINT, SIGTERM and SIGHUP arrive as readable data on the returned fd, so the loop
// ends through its normal path and the link is removed.
int stopSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);
    if (sigprocmask(SIG_BLOCK, &set, nullptr) != 0) return -1;
    signal(SIGPIPE, SIG_IGN);  // a closed stdout must not kill us before cleanup
    return signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK);
}

// The poll timeout for waking at the earlier of two moments; either may be absent.
int timeoutFor(std::optional<Clock::time_point> first, std::optional<Clock::time_point> second,
               Clock::time_point now) {
    if (!first) first = second;
    if (!first) return -1;
    const auto when = second ? std::min(*first, *second) : *first;
    if (when <= now) return 0;
    return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(when - now).count());
}

// Reads what has arrived on the master. False when the master reports a hang-up.
bool readMaster(int master, sim::Module& module) {
    char buffer[4096];
    for (int round = 0; round < 16; ++round) {  // bounded, so the stream is not starved
        const ssize_t n = ::read(master, buffer, sizeof buffer);
        if (n > 0) module.receive({buffer, static_cast<std::size_t>(n)});
        else if (n < 0 && errno == EINTR) continue;
        else return n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
    }
    return true;
}

// While paced output waits, how often to hand on the next bytes.
constexpr auto paceTick = 2ms;

void serve(const Pty& pty, int signals, sim::Module& module, bool pace) {
    const int master = pty.master;
    sim::PtySink port(pty.master, pty.slave);
    auto nextTick = Clock::now() + streamTick;
    Clock::time_point pausedUntil{};
    for (;;) {
        const auto now = Clock::now();
        const bool paused = now < pausedUntil;
        pollfd fds[2] = {{signals, POLLIN, 0}, {master, POLLIN, 0}};
        std::optional<Clock::time_point> wake = module.streaming() ? std::optional(nextTick) : std::nullopt;
        if (!module.output().empty()) wake = now + (module.pacing() ? paceTick : 0ms);
        const int timeout = timeoutFor(wake, paused ? std::optional(pausedUntil) : std::nullopt, now);
        if (::poll(fds, paused ? 1 : 2, timeout) < 0 && errno != EINTR) return;
        if (fds[0].revents & POLLIN) return;

        bool alive = true;
        if (!paused && (fds[1].revents & (POLLIN | POLLHUP | POLLERR))) alive = readMaster(master, module);
        if (module.streaming()) {
            // Topping up on every wake-up keeps a fast reader fed; the tick only makes
            // sure there is a wake-up when nothing else happens.
            module.tick(Clock::now());
            if (Clock::now() >= nextTick) nextTick = std::max(nextTick + streamTick, Clock::now());
        }
        if (alive && !paused) {
            // The client may have changed the line settings since the last look.
            if (pace) module.paceAt(port.lineRate(), Clock::now());
            module.send(Clock::now(), port);
        }
        if (!alive) pausedUntil = Clock::now() + hangUpPause;
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::string error;
    const auto options = sim::parseOptions(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        std::cerr << "korvane-sim: " << error << "\n" << sim::usage();
        return 2;
    }
    if (options->help) {
        std::cout << sim::usage();
        return 0;
    }

    const int signals = stopSignals();  // before the link exists, so no signal can strand it
    Pty pty;
    if (signals < 0 || !openPty(pty)) {
        std::cerr << "korvane-sim: 无法创建伪终端: " << std::strerror(errno) << "\n";
        return 1;
    }
    const auto link = sim::VirtualLink::create(posix::virtualPortFolder(), options->port, pty.slavePath, error);
    if (!link) {
        std::cerr << "korvane-sim: " << error << "\n";
        return 1;
    }

    sim::Module module(sim::identityForPort(options->port), options->verbose ? &std::cerr : nullptr);
    if (options->streamRate > 0) module.startStream(options->streamKind, options->streamRate, Clock::now());

    std::cout << "模拟模块已就绪: COM" << options->port << " -> " << pty.slavePath << std::endl;
    serve(pty, signals, module, options->pace);
    if (options->verbose && module.dropped() > 0)
        std::cerr << "端口未接收, 共丢弃 " << module.dropped() << " 字节\n";

    ::close(pty.master);
    ::close(pty.slave);
    ::close(signals);
    return 0;  // the link goes with `link`
}
