// Watches a serial device's modem lines (CTS, DSR, carrier detect, ring) from a thread
// of its own, blocked in TIOCMIWAIT, and reports every change. Devices without modem
// lines (pseudo-terminals) and drivers without TIOCMIWAIT get no watcher at all.
#pragma once

#include <pthread.h>

#include <atomic>
#include <functional>
#include <memory>

#include "platform/posix/event.h"

namespace posix {

class ModemWatcher {
public:
    // Receives the Windows EV_CTS / EV_DSR / EV_RLSD / EV_RING bits of what changed.
    using Report = std::function<void(DWORD events)>;

    // A running watcher for fd, or null when the device has no modem lines (error stays
    // ERROR_SUCCESS) or the watcher could not start (error says why).
    static std::unique_ptr<ModemWatcher> start(int fd, Report report, DWORD& error);
    ~ModemWatcher();  // stops and joins the thread
    ModemWatcher(const ModemWatcher&) = delete;
    ModemWatcher& operator=(const ModemWatcher&) = delete;

private:
    ModemWatcher(int fd, Report report) : fd_(fd), report_(std::move(report)) {}
    static void* run(void* self);
    void watch();

    const int fd_;
    const Report report_;
    pthread_t thread_{};
    bool started_ = false;
    std::atomic<bool> stop_{false};
    Event ended_;
};

}  // namespace posix
