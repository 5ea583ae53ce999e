#include "platform/posix/commApi.h"

#include "platform/posix/port.h"
#include "platform/posix/portNames.h"

namespace posix {

HANDLE WINAPI CreateFileA(LPCSTR name, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD disposition, DWORD,
                          HANDLE) {
    if (name == nullptr || disposition != OPEN_EXISTING) {
        setLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    DWORD error = ERROR_SUCCESS;
    auto port = Port::open(devicePathFor(name), error);
    if (!port) {
        setLastError(error);
        return INVALID_HANDLE_VALUE;
    }
    return addObject(std::move(port));
}

BOOL WINAPI CloseHandle(HANDLE handle) {
    const auto object = removeObject(handle);
    if (!object) return fail(ERROR_INVALID_HANDLE);
    object->close();
    return TRUE;
}

BOOL WINAPI GetCommState(HANDLE handle, LPDCB dcb) {
    const auto port = find<Port>(handle);
    if (!port) return FALSE;
    if (dcb == nullptr) return fail(ERROR_INVALID_PARAMETER);
    return port->getState(*dcb);
}

BOOL WINAPI SetCommState(HANDLE handle, LPDCB dcb) {
    const auto port = find<Port>(handle);
    if (!port) return FALSE;
    if (dcb == nullptr) return fail(ERROR_INVALID_PARAMETER);
    return port->setState(*dcb);
}

BOOL WINAPI SetupComm(HANDLE handle, DWORD inQueue, DWORD outQueue) {
    const auto port = find<Port>(handle);
    return port ? port->setup(inQueue, outQueue) : FALSE;
}

BOOL WINAPI GetCommTimeouts(HANDLE handle, LPCOMMTIMEOUTS timeouts) {
    const auto port = find<Port>(handle);
    if (!port) return FALSE;
    if (timeouts == nullptr) return fail(ERROR_INVALID_PARAMETER);
    return port->getTimeouts(*timeouts);
}

BOOL WINAPI SetCommTimeouts(HANDLE handle, LPCOMMTIMEOUTS timeouts) {
    const auto port = find<Port>(handle);
    if (!port) return FALSE;
    if (timeouts == nullptr) return fail(ERROR_INVALID_PARAMETER);
    return port->setTimeouts(*timeouts);
}

BOOL WINAPI PurgeComm(HANDLE handle, DWORD flags) {
    const auto port = find<Port>(handle);
    return port ? port->purge(flags) : FALSE;
}

BOOL WINAPI SetCommMask(HANDLE handle, DWORD mask) {
    const auto port = find<Port>(handle);
    return port ? port->setMask(mask) : FALSE;
}

BOOL WINAPI WaitCommEvent(HANDLE handle, LPDWORD eventWord, LPOVERLAPPED overlapped) {
    const auto port = find<Port>(handle);
    return port ? port->waitEvent(eventWord, overlapped) : FALSE;
}

BOOL WINAPI GetOverlappedResult(HANDLE handle, LPOVERLAPPED overlapped, LPDWORD transferred, BOOL wait) {
    const auto port = find<Port>(handle);
    if (!port) return FALSE;
    if (overlapped == nullptr) return fail(ERROR_INVALID_PARAMETER);
    return port->overlappedResult(overlapped, transferred, wait ? INFINITE : 0);
}

BOOL WINAPI GetOverlappedResultEx(HANDLE handle, LPOVERLAPPED overlapped, LPDWORD transferred, DWORD milliseconds,
                                  BOOL) {
    const auto port = find<Port>(handle);
    if (!port) return FALSE;
    if (overlapped == nullptr) return fail(ERROR_INVALID_PARAMETER);
    return port->overlappedResult(overlapped, transferred, milliseconds);
}

BOOL WINAPI ReadFile(HANDLE handle, LPVOID buffer, DWORD count, LPDWORD read, LPOVERLAPPED overlapped) {
    const auto port = find<Port>(handle);
    if (!port) return FALSE;
    if (buffer == nullptr && count > 0) return fail(ERROR_INVALID_PARAMETER);
    return port->read(buffer, count, read, overlapped);
}

BOOL WINAPI WriteFile(HANDLE handle, LPCVOID buffer, DWORD count, LPDWORD written, LPOVERLAPPED overlapped) {
    const auto port = find<Port>(handle);
    if (!port) return FALSE;
    if (buffer == nullptr && count > 0) return fail(ERROR_INVALID_PARAMETER);
    return port->write(buffer, count, written, overlapped);
}

BOOL WINAPI ClearCommError(HANDLE handle, LPDWORD errors, LPCOMSTAT status) {
    const auto port = find<Port>(handle);
    return port ? port->clearError(errors, status) : FALSE;
}

BOOL WINAPI GetCommModemStatus(HANDLE handle, LPDWORD modemStatus) {
    const auto port = find<Port>(handle);
    return port ? port->modemStatus(modemStatus) : FALSE;
}

}  // namespace posix
