#include "platform/win32/writeQueue.h"

#include <process.h>

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <new>
#include <unordered_map>
#include <vector>

namespace writeQueue {
namespace {

class Guard {
public:
    explicit Guard(SRWLOCK& lock) : lock_(lock) { AcquireSRWLockExclusive(&lock_); }
    ~Guard() { ReleaseSRWLockExclusive(&lock_); }
    Guard(const Guard&) = delete;
    Guard& operator=(const Guard&) = delete;

private:
    SRWLOCK& lock_;
};

struct Write {
    std::vector<std::uint8_t> bytes;
    OVERLAPPED* record;  // the caller's
    HANDLE event;        // the record's event at the call
    std::uint64_t number;
    DWORD sent = 0;      // bytes the device has taken so far
};

struct Port {
    HANDLE device = nullptr;
    SRWLOCK lock = SRWLOCK_INIT;
    std::deque<Write> writes;  // in call order; the front is in progress while busy
    bool busy = false;
    bool cancelled = false;  // the write in progress was cancelled by a purge or close
    bool stopping = false;
    DWORD heldBytes = 0;  // in writes
    std::uint64_t lastNumber = 0;
    std::unordered_map<OVERLAPPED*, std::uint64_t> newest;  // each record's newest write
    HANDLE wake = nullptr;                                  // auto-reset: work queued or stop
    OVERLAPPED overlapped{};                                // the writer's own record
    HANDLE thread = nullptr;

    Port() = default;
    Port(const Port&) = delete;
    Port& operator=(const Port&) = delete;
    ~Port() {
        for (HANDLE h : {thread, wake, overlapped.hEvent})
            if (h) ::CloseHandle(h);
    }
};

// Never destroyed: a writer may still be running while static objects are torn down at exit.
struct Registry {
    SRWLOCK lock = SRWLOCK_INIT;
    std::unordered_map<HANDLE, std::shared_ptr<Port>> ports;
};
Registry& registry() {
    static Registry* instance = new Registry;
    return *instance;
}

// GetOverlappedResult turns the record's status into the caller's error code.
ULONG_PTR statusOf(DWORD error) {
    constexpr ULONG_PTR statusCancelled = 0xC0000120;  // read back as ERROR_OPERATION_ABORTED
    if (error == ERROR_SUCCESS) return 0;
    if (error == ERROR_OPERATION_ABORTED) return statusCancelled;
    return 0x80070000u | (error & 0xFFFF);  // a Win32 error carried as a status
}

// Completes the caller's record, unless a newer write has taken it over. Port lock held.
void finish(Port& port, const Write& write, DWORD error, DWORD transferred) {
    const auto it = port.newest.find(write.record);
    if (it == port.newest.end() || it->second != write.number) return;
    port.newest.erase(it);
    write.record->InternalHigh = transferred;
    std::atomic_ref<ULONG_PTR>(write.record->Internal).store(statusOf(error), std::memory_order_release);
    if (write.event) ::SetEvent(write.event);
}

// Drops every write not yet begun, completing each as aborted. Port lock held.
void dropWaiting(Port& port) {
    const auto first = port.writes.begin() + (port.busy ? 1 : 0);
    for (auto it = first; it != port.writes.end(); ++it) {
        finish(port, *it, ERROR_OPERATION_ABORTED, 0);
        port.heldBytes -= static_cast<DWORD>(it->bytes.size());
    }
    port.writes.erase(first, port.writes.end());
}

// Ends the write in progress early (purge or close), so that it is not issued again
// for its rest. The port lock is held.
void cancelInProgress(Port& port) {
    if (!port.busy) return;
    port.cancelled = true;
    ::CancelIoEx(port.device, &port.overlapped);
}

std::atomic<unsigned> resumed{0};

// A write that ended on the port's write time-out. Windows reports it as done with fewer
// bytes; Wine as failed with a time-out error, the bytes taken in the count.
bool endedOnTimeout(DWORD error) {
    return error == ERROR_SUCCESS || error == ERROR_TIMEOUT || error == ERROR_SEM_TIMEOUT || error == WAIT_TIMEOUT;
}

// Hands the rest of the front write to the device. The port lock is held, so that purge and close
// either come first (and it is never issued) or find it in progress to cancel; on a
// handle opened for overlapped I/O the call returns at once. Returns ERROR_IO_PENDING
// while the write runs, or the error it ended with.
DWORD issueFront(Port& port) {
    const Write& next = port.writes.front();
    port.busy = true;
    if (next.bytes.empty()) return ERROR_SUCCESS;
    const HANDLE event = port.overlapped.hEvent;
    port.overlapped = OVERLAPPED{};
    port.overlapped.hEvent = event;
    if (::WriteFile(port.device, next.bytes.data() + next.sent, static_cast<DWORD>(next.bytes.size()) - next.sent,
                    nullptr, &port.overlapped))
        return ERROR_IO_PENDING;  // done already; the record holds the count
    return ::GetLastError();
}

unsigned WINAPI runWriter(void* argument) {
    Port& port = *static_cast<Port*>(argument);
    for (;;) {
        bool issued = false;
        DWORD error = ERROR_SUCCESS;
        {
            Guard guard(port.lock);
            if (port.stopping) return 0;
            if (!port.writes.empty()) {
                issued = true;
                error = issueFront(port);
            }
        }
        if (!issued) {
            ::WaitForSingleObject(port.wake, INFINITE);
            continue;
        }
        DWORD transferred = 0;
        if (error == ERROR_IO_PENDING)
            error = ::GetOverlappedResult(port.device, &port.overlapped, &transferred, TRUE) ? ERROR_SUCCESS
                                                                                             : ::GetLastError();
        Guard guard(port.lock);
        Write& front = port.writes.front();
        front.sent += transferred;
        // The write time-outs are set for fast lines: at a low rate a long write ends on its
        // time-out with bytes unsent. They were accepted, so the rest goes out now, ahead of
        // the later writes; only a purge or close (which cancel) ends the write early.
        if (front.sent < front.bytes.size() && endedOnTimeout(error) && !port.cancelled) {
            port.busy = false;
            resumed.fetch_add(1, std::memory_order_relaxed);
            continue;
        }
        finish(port, front, front.sent < front.bytes.size() ? error : ERROR_SUCCESS, front.sent);
        port.heldBytes -= static_cast<DWORD>(port.writes.front().bytes.size());
        port.writes.pop_front();
        port.busy = false;
        port.cancelled = false;
    }
}

// A port's queue with its writer running; null with the last error set on failure.
std::shared_ptr<Port> startWriter(HANDLE device) noexcept {
    // A handle that is not open fails now rather than on every queued write.
    if (::GetFileType(device) == FILE_TYPE_UNKNOWN && ::GetLastError() != NO_ERROR) return nullptr;
    std::shared_ptr<Port> port;
    try {
        port = std::make_shared<Port>();
    } catch (const std::bad_alloc&) {
        ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    port->device = device;
    port->wake = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
    port->overlapped.hEvent = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!port->wake || !port->overlapped.hEvent) return nullptr;
    port->thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, runWriter, port.get(), 0, nullptr));
    if (!port->thread) {
        if (::GetLastError() == ERROR_SUCCESS) ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    return port;
}

// The port's queue; with create, starting its writer on first use. Null with the last
// error set when it cannot be had.
std::shared_ptr<Port> portFor(HANDLE device, bool create) {
    Registry& r = registry();
    Guard guard(r.lock);
    if (const auto it = r.ports.find(device); it != r.ports.end()) return it->second;
    if (!create) return nullptr;
    // The slot comes first, so that a running writer is never left without one.
    std::unordered_map<HANDLE, std::shared_ptr<Port>>::iterator slot;
    try {
        slot = r.ports.try_emplace(device).first;
    } catch (const std::bad_alloc&) {
        ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    slot->second = startWriter(device);
    if (!slot->second) {
        r.ports.erase(slot);
        return nullptr;
    }
    return slot->second;
}

// Copies one write into the queue. Returns the error that refused it, if any.
DWORD enqueue(Port& port, LPCVOID buffer, DWORD count, OVERLAPPED* record) {
    try {
        Guard guard(port.lock);
        if (port.stopping) return ERROR_INVALID_HANDLE;
        if (count > quota - port.heldBytes) return ERROR_NOT_ENOUGH_QUOTA;
        const auto* bytes = static_cast<const std::uint8_t*>(buffer);
        const std::uint64_t number = port.lastNumber + 1;
        Write write{std::vector<std::uint8_t>(bytes, bytes + count), record, record->hEvent, number};
        std::uint64_t& newest = port.newest[record];
        port.writes.push_back(std::move(write));
        newest = port.lastNumber = number;
        port.heldBytes += count;
        record->InternalHigh = 0;
        record->Internal = STATUS_PENDING;
        if (record->hEvent) ::ResetEvent(record->hEvent);
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    ::SetEvent(port.wake);
    return ERROR_SUCCESS;
}

// A write without a record: queued behind the others like any write, then waited for.
BOOL writeAndWait(HANDLE device, LPCVOID buffer, DWORD count, LPDWORD written) {
    OVERLAPPED record{};
    record.hEvent = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!record.hEvent) return FALSE;
    BOOL done = write(device, buffer, count, nullptr, &record);
    DWORD error = ::GetLastError();
    DWORD transferred = 0;
    if (!done && error == ERROR_IO_PENDING) {
        done = ::GetOverlappedResult(device, &record, &transferred, TRUE);
        error = ::GetLastError();
    }
    if (written) *written = transferred;
    ::CloseHandle(record.hEvent);
    ::SetLastError(error);
    return done;
}

}  // namespace

BOOL write(HANDLE device, LPCVOID buffer, DWORD count, LPDWORD written, LPOVERLAPPED overlapped) {
    if (written) *written = 0;
    if (!overlapped) return writeAndWait(device, buffer, count, written);
    DWORD error = ERROR_SUCCESS;
    if (device == nullptr || device == INVALID_HANDLE_VALUE) error = ERROR_INVALID_HANDLE;
    else if (count > 0 && buffer == nullptr) error = ERROR_INVALID_PARAMETER;
    else if (const auto port = portFor(device, true); !port) error = ::GetLastError();
    else error = enqueue(*port, buffer, count, overlapped);
    ::SetLastError(error == ERROR_SUCCESS ? ERROR_IO_PENDING : error);
    return FALSE;
}

void purge(HANDLE device) {
    const auto port = portFor(device, false);
    if (!port) return;
    Guard guard(port->lock);
    dropWaiting(*port);
    cancelInProgress(*port);
}

DWORD waitingBytes(HANDLE device) {
    const auto port = portFor(device, false);
    if (!port) return 0;
    Guard guard(port->lock);
    return port->heldBytes - (port->busy ? static_cast<DWORD>(port->writes.front().bytes.size()) : 0);
}

unsigned resumedWrites() { return resumed.load(std::memory_order_relaxed); }

bool close(HANDLE device) {
    std::shared_ptr<Port> port;
    {
        Registry& r = registry();
        Guard guard(r.lock);
        const auto it = r.ports.find(device);
        if (it == r.ports.end()) return false;
        port = std::move(it->second);
        r.ports.erase(it);
    }
    {
        Guard guard(port->lock);
        port->stopping = true;
        dropWaiting(*port);
        cancelInProgress(*port);
    }
    ::SetEvent(port->wake);
    // The writer completes the write it had in progress, then sees stopping and ends.
    ::WaitForSingleObject(port->thread, INFINITE);
    return true;
}

}  // namespace writeQueue
