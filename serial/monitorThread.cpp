// The port monitor thread: waits for serial events and hands each to the object's hooks.
#include <cstdint>
#include <cstdio>

#include "serial/xbeeComm.h"

namespace {

// A failed event wait on a port that still answers is retried after this pause, so a driver
// that keeps failing does not keep a core busy at raised priority. The stop signal cuts the
// pause short.
constexpr DWORD failedWaitPauseMs = 10;
// While an event wait is pending the port is asked this often whether it still answers:
// some drivers (Wine's among them) never end a wait when the device goes.
constexpr DWORD lossCheckMs = 500;

}  // namespace

unsigned WINAPI monitorThreadEntry(void* object) { return static_cast<xbeeComm*>(object)->monitorLoop(); }

DWORD xbeeComm::monitorLoop() {
    if (!os::SetCommMask(handle, eventMask)) {
        const DWORD error = os::GetLastError();
        if (noticeLoss()) return 0;  // the device went just as the port opened
        char text[256];
        std::snprintf(text, sizeof text,
                      "%s(%d) : COM%d Call WINAPI SetCommMask(%x, %x) Fail, thread work invalid! "
                      "GetLastError() = %d;",
                      "xbeeComm", __LINE__, portNumber,
                      static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(handle.load())),
                      static_cast<unsigned>(eventMask), static_cast<int>(error));
        os::MessageBoxA(nullptr, text, "Class xbeeComm", MB_OK);
        return 1;
    }
    // The word lives in the object, not on this stack: a wait that closePort's SetEvent
    // released may still be pending in the system, which writes the word when it ends,
    // possibly after this thread has returned.
    DWORD& eventWord = waitEventWord_;
    eventWord = 0;
    while (running) {
        const HANDLE port = handle;
        if (port == INVALID_HANDLE_VALUE) break;
        if (!os::WaitCommEvent(port, &eventWord, &waitOverlapped)) {
            if (os::GetLastError() != ERROR_IO_PENDING) {
                if (noticeLoss()) break;
                // The event may be left set by the failed operation; only a stop sets it
                // again, and closePort clears `running` before that.
                os::ResetEvent(waitOverlapped.hEvent);
                if (running) os::WaitForSingleObject(waitOverlapped.hEvent, failedWaitPauseMs);
                eventWord = 0;
                continue;
            }
            DWORD transferred = 0;
            BOOL done = FALSE;
            while (!(done = os::GetOverlappedResultEx(port, &waitOverlapped, &transferred, lossCheckMs, FALSE)) &&
                   os::GetLastError() == WAIT_TIMEOUT && running && !noticeLoss()) {
            }
            // A wait the driver ends with an error (the device going) has no word to dispatch.
            if (deviceLost || (!done && noticeLoss())) break;
        }
        dispatch(eventWord);
        eventWord = 0;
        if (deviceLost) break;
    }
    return 0;
}

// A live port always answers for its state and its queues; one that does not has lost its
// device. Error bits cleared here are kept for onError.
bool xbeeComm::noticeLoss() {
    if (!running || deviceLost) return deviceLost;
    DWORD errors = 0;
    DCB state{};
    state.DCBlength = sizeof state;
    const bool answers = os::ClearCommError(handle, &errors, nullptr) && os::GetCommState(handle, &state);
    unreportedErrors_ |= errors;
    if (answers || !running) return false;  // !running: closePort closed the handle meanwhile
    deviceLost = true;
    return true;
}

// Drivers often report several events in one word (EV_RXCHAR | EV_TXEMPTY is common),
// so each bit is handled: received bytes first, then the other hooks in a fixed order.
void xbeeComm::dispatch(DWORD eventWord) {
    if (eventWord & EV_RXCHAR) {
        DWORD errors = 0;
        COMSTAT status{};
        // Without the queued count there is nothing sound to read.
        if (os::ClearCommError(handle, &errors, &status)) {
            unreportedErrors_ |= errors;  // this call cleared them; onError reports them
            if (status.cbInQue >= rxThreshold) onReceive(status.cbInQue);
        } else if (noticeLoss()) {
            return;
        }
    }
    if (eventWord & EV_TXEMPTY) onTxEmpty();
    if (eventWord & EV_CTS) onCts();
    if (eventWord & EV_DSR) onDsr();
    if (eventWord & EV_RLSD) onRlsd();
    if (eventWord & EV_BREAK) onBreak();
    if (eventWord & EV_ERR) onError();
    if (eventWord & EV_RING) onRing();
}

void xbeeCallbackComm::onReceive(DWORD count) {
    if (rxBuffer == nullptr) return;  // nothing to read into
    auto remaining = static_cast<std::int32_t>(count);
    // The loop also ends when the port is being closed, so a stop never waits for the
    // remaining chunks.
    while (remaining > 0 && running) {
        const std::int32_t chunk = remaining >= 1024 ? 1024 : remaining;
        DWORD delivered = 0;
        bool lost = false;
        const HANDLE port = handle;
        if (port != INVALID_HANDLE_VALUE) {
            // A read that failed outright read nothing; its record still holds the
            // previous read's result, so it must not be asked (the port went away).
            if (!os::ReadFile(port, rxBuffer, static_cast<DWORD>(chunk), &delivered, &readOverlapped) &&
                os::GetLastError() != ERROR_IO_PENDING) {
                noticeLoss();
                break;
            }
            // A read that ends with an error still hands over the bytes it moved.
            lost = !os::GetOverlappedResult(port, &readOverlapped, &delivered, TRUE) && noticeLoss();
        }
        if (rxCallback != nullptr) rxCallback(rxBuffer, delivered);
        if (lost) break;
        remaining -= chunk;
    }
}
