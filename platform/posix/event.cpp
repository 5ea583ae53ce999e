#include "platform/posix/event.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>

namespace posix {

namespace {

InjectedFailures eventFailures;

int newEventFd() {
    if (eventFailures.take()) {
        errno = EMFILE;
        return -1;
    }
    return eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
}

}  // namespace

void failEventCreations(int count) { eventFailures.set(count); }

Event::Event() : fd_(newEventFd()) {}

Event::~Event() {
    if (fd_ >= 0) ::close(fd_);
}

void Event::set() {
    std::lock_guard lock(mutex_);
    if (signalled_) return;
    signalled_ = true;
    const std::uint64_t one = 1;
    // A full counter (never reached in practice) is still signalled, so the result can go.
    [[maybe_unused]] const ssize_t n = ::write(fd_, &one, sizeof one);
}

void Event::reset() {
    std::lock_guard lock(mutex_);
    if (!signalled_) return;
    signalled_ = false;
    std::uint64_t value;
    [[maybe_unused]] const ssize_t n = ::read(fd_, &value, sizeof value);  // EAGAIN: already reset
}

void signalEventHandle(HANDLE event) {
    if (auto e = std::dynamic_pointer_cast<Event>(findObject(event))) e->set();
}

bool waitReadable(int fd, DWORD timeoutMs) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int wait = -1;
        if (timeoutMs != INFINITE) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
            wait = left > 0 ? static_cast<int>(left) : 0;
        }
        pollfd p{fd, POLLIN, 0};
        const int n = ::poll(&p, 1, wait);
        if (n > 0) return true;
        if (n == 0) return false;
        if (errno != EINTR) return false;
    }
}

HANDLE WINAPI CreateEventA(LPSECURITY_ATTRIBUTES, BOOL manualReset, BOOL initialState, LPCSTR name) {
    // Only what the program uses: unnamed manual-reset events.
    if (!manualReset || name != nullptr) {
        setLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    auto event = std::make_shared<Event>();
    if (!event->valid()) {
        setLastError(errorFromErrno(errno, "eventfd"));
        return nullptr;
    }
    if (initialState) event->set();
    return addObject(std::move(event));
}

BOOL WINAPI SetEvent(HANDLE handle) {
    const auto event = find<Event>(handle);
    if (!event) return FALSE;
    event->set();
    return TRUE;
}

BOOL WINAPI ResetEvent(HANDLE handle) {
    const auto event = find<Event>(handle);
    if (!event) return FALSE;
    event->reset();
    return TRUE;
}

DWORD WINAPI WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
    const auto object = findObject(handle);
    if (!object || object->signalFd() < 0) {
        setLastError(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    return waitReadable(object->signalFd(), milliseconds) ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}

}  // namespace posix
