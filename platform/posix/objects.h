// Kernel-object handles on Linux: every HANDLE the operations give out names an Object
// in one process-wide table. Handles are never reused, so a closed or made-up handle
// is reported as ERROR_INVALID_HANDLE instead of reaching freed memory.
#pragma once

#include <atomic>
#include <memory>

#include "platform/winTypes.h"

namespace posix {

class Object {
public:
    virtual ~Object() = default;
    // A descriptor that polls readable while the object is signalled, or -1.
    virtual int signalFd() const { return -1; }
    // Called once when the handle is closed; the object may live on while in use.
    virtual void close() {}
};

HANDLE addObject(std::shared_ptr<Object> object);
std::shared_ptr<Object> findObject(HANDLE handle);
std::shared_ptr<Object> removeObject(HANDLE handle);

// The object behind handle if it is a T; otherwise null, with ERROR_INVALID_HANDLE set.
template <class T>
std::shared_ptr<T> find(HANDLE handle);

DWORD lastError();
void setLastError(DWORD error);

// Sets the error and returns FALSE, for the failure paths of the operations.
inline BOOL fail(DWORD error) {
    setLastError(error);
    return FALSE;
}

// For tests: failures to inject into a system call, taken one at a time from any thread.
class InjectedFailures {
public:
    void set(int count) { left_ = count; }
    // True, using one up, while any are left.
    bool take() {
        for (int left = left_.load(); left > 0;)
            if (left_.compare_exchange_weak(left, left - 1)) return true;
        return false;
    }

private:
    std::atomic<int> left_{0};
};

// The system's own reason behind the last error this thread mapped from errno, kept for
// tests and debuggers: the errno value and the call that failed.
struct SystemError {
    int number = 0;
    const char* call = "";
};
SystemError lastSystemError();

// Maps an errno value to the nearest Windows error code; a non-zero value is kept, with
// the call that failed, as this thread's last system error.
DWORD errorFromErrno(int error, const char* call);

}  // namespace posix

template <class T>
std::shared_ptr<T> posix::find(HANDLE handle) {
    auto object = std::dynamic_pointer_cast<T>(findObject(handle));
    if (!object) setLastError(ERROR_INVALID_HANDLE);
    return object;
}
