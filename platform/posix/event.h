// Manual-reset events over eventfd: signalled exactly while the descriptor polls
// readable, so one poll can wait on an event together with a device or another event.
#pragma once

#include <mutex>

#include "platform/posix/objects.h"

namespace posix {

class Event : public Object {
public:
    Event();
    ~Event() override;
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    bool valid() const { return fd_ >= 0; }
    int signalFd() const override { return fd_; }
    void set();
    void reset();

private:
    int fd_;
    // Mirrors the descriptor's state, so that setting a set event or resetting a reset
    // one costs no system call.
    std::mutex mutex_;
    bool signalled_ = false;
};

// For tests: the next count events get no descriptor (EMFILE), as when descriptors run out.
void failEventCreations(int count);

// SetEvent on a handle that may name an event, as the I/O completion paths need it.
void signalEventHandle(HANDLE event);

// Waits until fd polls readable or timeoutMs passes (INFINITE: no limit). True when readable.
bool waitReadable(int fd, DWORD timeoutMs);

HANDLE WINAPI CreateEventA(LPSECURITY_ATTRIBUTES, BOOL manualReset, BOOL initialState, LPCSTR name);
BOOL WINAPI SetEvent(HANDLE event);
BOOL WINAPI ResetEvent(HANDLE event);
DWORD WINAPI WaitForSingleObject(HANDLE object, DWORD milliseconds);

}  // namespace posix
