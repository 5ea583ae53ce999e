#include "serial/xbeeComm.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <new>

namespace {

constexpr DWORD stopWaitMs = 100;
// Longest closePort waits for a stopped event wait to finish in the system.
constexpr DWORD settleWaitMs = 1000;

void giveEvent(OVERLAPPED& record) {
    std::memset(&record, 0, sizeof record);
    record.hEvent = os::CreateEventA(nullptr, TRUE, FALSE, nullptr);
}

// Every record needs its event: without one, each wait and read fails at once and the
// monitor thread would spin. An event that could not be made before gets another try.
bool haveEvents(std::initializer_list<OVERLAPPED*> records) {
    for (OVERLAPPED* record : records) {
        if (record->hEvent == nullptr) giveEvent(*record);
        if (record->hEvent == nullptr) return false;
    }
    return true;
}

}  // namespace

xbeeComm::xbeeComm() {
    createFlags = FILE_FLAG_OVERLAPPED;
    startThread = true;
    openError = ERROR_SUCCESS;
    running = false;
    deviceLost = false;
    xbeeComm::initState();
}

xbeeComm::~xbeeComm() {
    xbeeComm::closePort();
    waitForStaleThread();
    xbeeComm::releaseState();
}

// A thread that outlived closePort's 100 ms still uses this object: it must end
// before the object goes. It stops at its next turn, as `running` is false.
void xbeeComm::waitForStaleThread() {
    if (threadHandle == nullptr) return;
    running = false;
    os::SetEvent(waitOverlapped.hEvent);
    os::WaitForSingleObject(threadHandle, INFINITE);
    os::CloseHandle(threadHandle);
    threadHandle = nullptr;
}

void xbeeComm::initState() {
    std::memset(devicePath, 0, sizeof devicePath);
    std::memset(&dcb, 0, sizeof dcb);
    dcb.DCBlength = sizeof(DCB);
    handle = INVALID_HANDLE_VALUE;
    giveEvent(readOverlapped);
    giveEvent(writeOverlapped);
    ownerWindow = nullptr;
    rxThreshold = 1;
    eventMask = defaultEventMask;
    threadHandle = nullptr;
    portNumber = 0;
    giveEvent(waitOverlapped);
}

void xbeeComm::releaseState() {
    for (OVERLAPPED* record : {&readOverlapped, &writeOverlapped, &waitOverlapped}) {
        if (record->hEvent != nullptr) os::CloseHandle(record->hEvent);
        record->hEvent = nullptr;
    }
}

bool xbeeComm::openPort() {
    if (handle != INVALID_HANDLE_VALUE) closePort();
    openError = ERROR_SUCCESS;
    if (!haveEvents({&readOverlapped, &writeOverlapped, &waitOverlapped})) return false;
    handle = os::CreateFileA(devicePath, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                             createFlags | FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) openError = os::GetLastError();
    if (!startThread) return handle != INVALID_HANDLE_VALUE;
    if (handle != INVALID_HANDLE_VALUE && threadHandle == nullptr) {
        deviceLost = false;
        running = true;
        threadHandle = os::BeginThread(monitorThreadEntry, this);
        if (threadHandle != nullptr) os::SetThreadPriority(threadHandle, THREAD_PRIORITY_ABOVE_NORMAL);
        if (threadHandle != nullptr) return true;
    }
    // Not opened, a stale thread still recorded, or no thread: close again.
    closePort();
    return false;
}

bool xbeeComm::setupPort() {
    if (handle == INVALID_HANDLE_VALUE) return false;
    if (!os::SetupComm(handle, 4096, 4096)) return false;
    if (!os::GetCommTimeouts(handle, &timeouts)) return false;
    timeouts.ReadIntervalTimeout = 0;
    timeouts.ReadTotalTimeoutMultiplier = 1;
    timeouts.ReadTotalTimeoutConstant = 1000;
    timeouts.WriteTotalTimeoutMultiplier = 1;
    timeouts.WriteTotalTimeoutConstant = 1000;
    if (!os::SetCommTimeouts(handle, &timeouts)) return false;
    return os::PurgeComm(handle, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR) != FALSE;
}

void xbeeComm::closePort() {
    if (handle == INVALID_HANDLE_VALUE) return;
    os::PurgeComm(handle, PURGE_TXABORT | PURGE_TXCLEAR);
    if (threadHandle != nullptr) {
        running = false;
        os::SetCommMask(handle, 0);            // ends a pending event wait with the word 0
        os::SetEvent(waitOverlapped.hEvent);   // and releases a wait on its result
        const DWORD waited = os::WaitForSingleObject(threadHandle, stopWaitMs);
        if (waited == WAIT_OBJECT_0 || os::TerminateThread(threadHandle, 0)) {
            os::CloseHandle(threadHandle);
            os::ResetEvent(waitOverlapped.hEvent);
            threadHandle = nullptr;
        }
        // Otherwise the thread stays recorded, and the next openPort tries again.
    }
    os::CloseHandle(handle);
    handle = INVALID_HANDLE_VALUE;
    if (threadHandle == nullptr) settleEventWait();
}

// Under Wine an event wait that closePort released can still be pending in the system after
// the thread has ended; the system writes its word and record when the wait ends, which
// closing the handle brings about. Until then the object must not be reused or freed: seen as
// a stack overwritten after a closed port's object was gone.
void xbeeComm::settleEventWait() {
    auto pending = [this] { return static_cast<volatile ULONG_PTR&>(waitOverlapped.Internal) == STATUS_PENDING; };
    for (DWORD waited = 0; pending() && waited < settleWaitMs; ++waited)
        os::WaitForSingleObject(waitOverlapped.hEvent, 1);  // the system ends it on this call
}

// ---- notification hooks ------------------------------------------------------------

void xbeeComm::postToOwner(UINT message, LPARAM lParam) {
    if (os::IsWindow(ownerWindow))
        os::PostMessageA(ownerWindow, message, static_cast<WPARAM>(portNumber), lParam);
}

void xbeeComm::postModemLine(UINT message, DWORD line) {
    if (!os::IsWindow(ownerWindow)) return;
    DWORD status = 0;
    if (!os::GetCommModemStatus(handle, &status)) return;
    os::PostMessageA(ownerWindow, message, static_cast<WPARAM>(portNumber), (status & line) ? 1 : 0);
}

void xbeeComm::onReceive(DWORD) { postToOwner(WM_COMM_RXCHAR, 0); }
void xbeeComm::onDsr() { postModemLine(WM_COMM_DSR, MS_DSR_ON); }
void xbeeComm::onCts() { postModemLine(WM_COMM_CTS, MS_CTS_ON); }
void xbeeComm::onBreak() { postToOwner(WM_COMM_BREAK, 0); }
void xbeeComm::onTxEmpty() { postToOwner(WM_COMM_TXEMPTY, 0); }
void xbeeComm::onRing() { postToOwner(WM_COMM_RING, 0); }
void xbeeComm::onRlsd() { postToOwner(WM_COMM_RLSD, 0); }

void xbeeComm::onError() {
    // Clearing the error state lets reading and writing go on, window or not.
    DWORD errors = 0;
    os::ClearCommError(handle, &errors, nullptr);
    errors |= unreportedErrors_;
    unreportedErrors_ = 0;
    postToOwner(WM_COMM_ERROR, static_cast<LPARAM>(errors));
}

// ---- xbeeCallbackComm --------------------------------------------------------------

xbeeCallbackComm::xbeeCallbackComm() {
    rxCallback = nullptr;
    rxBuffer = new (std::nothrow) std::uint8_t[rxBufferSize];
    if (rxBuffer == nullptr) std::puts("\xC4\xDA\xB4\xE6\xB7\xD6\xC5\xE4\xCA\xA7\xB0\xDC!");  // 内存分配失败!
}

xbeeCallbackComm::~xbeeCallbackComm() {
    // The thread may still read into rxBuffer until the port is closed and it has ended.
    xbeeComm::closePort();
    waitForStaleThread();
    delete[] rxBuffer;
    rxBuffer = nullptr;
}
