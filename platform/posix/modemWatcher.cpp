#include "platform/posix/modemWatcher.h"

#include <linux/serial.h>
#include <signal.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <mutex>

#include "platform/posix/thread.h"

namespace posix {
namespace {

constexpr int watchedLines = TIOCM_CTS | TIOCM_DSR | TIOCM_CD | TIOCM_RNG;

// TIOCMIWAIT ends only on a change, a hang-up or a signal. Stopping a watcher sends it
// this signal, whose handler does nothing but interrupt the wait.
int wakeSignal() { return SIGRTMIN + 4; }

void installWakeHandler() {
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction action {};
        action.sa_handler = [](int) {};
        sigemptyset(&action.sa_mask);
        action.sa_flags = 0;  // no SA_RESTART: the ioctl must return EINTR
        sigaction(wakeSignal(), &action, nullptr);
    });
}

DWORD eventsBetween(int before, int after) {
    const int changed = before ^ after;
    DWORD events = 0;
    if (changed & TIOCM_CTS) events |= EV_CTS;
    if (changed & TIOCM_DSR) events |= EV_DSR;
    if (changed & TIOCM_CD) events |= EV_RLSD;
    if (changed & TIOCM_RNG) events |= EV_RING;
    return events;
}

// Changes told by the driver's counters, which also catch pulses too short to see
// as a level (a ring, a CTS glitch).
DWORD eventsBetween(const serial_icounter_struct& before, const serial_icounter_struct& after) {
    DWORD events = 0;
    if (after.cts != before.cts) events |= EV_CTS;
    if (after.dsr != before.dsr) events |= EV_DSR;
    if (after.dcd != before.dcd) events |= EV_RLSD;
    if (after.rng != before.rng) events |= EV_RING;
    return events;
}

}  // namespace

std::unique_ptr<ModemWatcher> ModemWatcher::start(int fd, Report report, DWORD& error) {
    error = ERROR_SUCCESS;
    int lines = 0;
    if (ioctl(fd, TIOCMGET, &lines) != 0) return nullptr;  // no modem lines
    installWakeHandler();
    std::unique_ptr<ModemWatcher> watcher(new ModemWatcher(fd, std::move(report)));
    if (!watcher->ended_.valid()) {
        error = errorFromErrno(errno, "eventfd");
        return nullptr;
    }
    if (const int failed = startThread(&watcher->thread_, run, watcher.get()); failed != 0) {
        error = errorFromErrno(failed, "pthread_create");
        return nullptr;
    }
    watcher->started_ = true;
    return watcher;
}

ModemWatcher::~ModemWatcher() {
    if (!started_) return;
    stop_ = true;
    // The signal may land just before the thread enters its wait, so send it until
    // the thread is seen to end.
    while (!waitReadable(ended_.signalFd(), 0)) {
        pthread_kill(thread_, wakeSignal());
        waitReadable(ended_.signalFd(), 5);
    }
    pthread_join(thread_, nullptr);
}

void* ModemWatcher::run(void* self) {
    auto* watcher = static_cast<ModemWatcher*>(self);
    watcher->watch();
    watcher->ended_.set();
    return nullptr;
}

void ModemWatcher::watch() {
    int lines = 0;
    serial_icounter_struct counts{};
    const bool counters = ioctl(fd_, TIOCGICOUNT, &counts) == 0;
    if (ioctl(fd_, TIOCMGET, &lines) != 0) return;
    while (!stop_) {
        if (ioctl(fd_, TIOCMIWAIT, watchedLines) != 0) {
            if (errno == EINTR) continue;
            return;  // no TIOCMIWAIT in this driver, or the device is gone
        }
        int now = 0;
        if (ioctl(fd_, TIOCMGET, &now) != 0) return;
        DWORD events = eventsBetween(lines, now);
        serial_icounter_struct nowCounts{};
        if (counters && ioctl(fd_, TIOCGICOUNT, &nowCounts) == 0) {
            events |= eventsBetween(counts, nowCounts);
            counts = nowCounts;
        }
        lines = now;
        if (events != 0) report_(events);
    }
}

}  // namespace posix
