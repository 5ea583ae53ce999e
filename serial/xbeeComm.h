// The serial port object: xbeeComm owns one port (its handle, line settings, time-outs,
// three overlapped records with their events) and its monitor thread, and hands every
// serial event to a virtual hook. By default a hook posts a notification to ownerWindow
// (which nothing sets, so nothing is posted). xbeeCallbackComm reads received bytes in
// chunks of at most 1024 and hands each chunk to rxCallback.
//
// Everything but the hooks and monitorLoop runs on the UI thread. The two threads share
// `running`, `deviceLost`, `rxThreshold` and the port handle; reads, writes and event waits each have
// their own overlapped record.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/osApi.h"
#include "serial/rxCallback.h"
#include "serial/rxQueue.h"

// Notification messages posted to ownerWindow; wParam is the port number.
inline constexpr UINT WM_COMM_RXCHAR = WM_USER + 618;   // lParam 0
inline constexpr UINT WM_COMM_CTS = WM_USER + 619;      // lParam 1 when CTS is on
inline constexpr UINT WM_COMM_DSR = WM_USER + 621;      // lParam 1 when DSR is on
inline constexpr UINT WM_COMM_RING = WM_USER + 623;     // lParam 0
inline constexpr UINT WM_COMM_RLSD = WM_USER + 624;     // lParam 0
inline constexpr UINT WM_COMM_BREAK = WM_USER + 625;    // lParam 0
inline constexpr UINT WM_COMM_TXEMPTY = WM_USER + 626;  // lParam 0
inline constexpr UINT WM_COMM_ERROR = WM_USER + 627;    // lParam: the CE_ error bits

// Every event from EV_RXCHAR to EV_RING but EV_RXFLAG.
inline constexpr DWORD defaultEventMask =
    EV_RXCHAR | EV_TXEMPTY | EV_CTS | EV_DSR | EV_RLSD | EV_BREAK | EV_ERR | EV_RING;
static_assert(defaultEventMask == 0x1FD);

class xbeeComm {
public:
    std::int32_t portNumber;
    std::atomic<HANDLE> handle;  // INVALID_HANDLE_VALUE while closed
    char devicePath[64];         // "\\.\COM" followed by portNumber
    DCB dcb;
    COMMTIMEOUTS timeouts;
    DWORD createFlags;
    OVERLAPPED readOverlapped;   // the monitor thread's reads
    OVERLAPPED writeOverlapped;  // the UI thread's writes
    HANDLE threadHandle;         // the monitor thread, or null
    HWND ownerWindow;
    std::atomic<std::uint32_t> rxThreshold;  // least bytes waiting before onReceive runs
    DWORD eventMask;
    std::atomic<bool> running;  // the monitor thread loops while this is true
    // Set by the monitor thread when the device has gone (an adapter pulled), after which
    // the thread ends; the handle stays open until closePort. Cleared by openPort.
    std::atomic<bool> deviceLost;
    DWORD openError;  // the system's error when the last openPort got no handle, else 0
    bool startThread;
    OVERLAPPED waitOverlapped;  // the event wait; its event is also the stop signal

    xbeeComm();
    xbeeComm(const xbeeComm&) = delete;
    xbeeComm& operator=(const xbeeComm&) = delete;

    virtual ~xbeeComm();
    virtual void closePort();
    virtual void initState();
    virtual void releaseState();
    virtual bool openPort();
    virtual bool setupPort();
    virtual void onReceive(DWORD count);
    virtual void onDsr();
    virtual void onCts();
    virtual void onBreak();
    virtual void onTxEmpty();
    virtual void onError();
    virtual void onRing();
    virtual void onRlsd();
    virtual DWORD monitorLoop();

protected:
    // Hands one completed event word to the hooks.
    void dispatch(DWORD eventWord);
    // After a failed call on the monitor thread: true, with deviceLost set, when the port no
    // longer answers at all (its device went away); false when it still does or is stopping.
    bool noticeLoss();
    void waitForStaleThread();

private:
    void postToOwner(UINT message, LPARAM lParam);
    void postModemLine(UINT message, DWORD line);
    // Once the port is closed: waits, a second at most, until the stopped event wait has
    // ended in the system, which then no longer writes into this object.
    void settleEventWait();

    // Error bits cleared while handling received bytes, kept for onError (monitor thread).
    DWORD unreportedErrors_ = 0;
    // The event wait's word, which the system writes when the wait ends. It outlives the
    // monitor thread, as a stopped thread may leave its wait pending until the port closes.
    DWORD waitEventWord_ = 0;
};

class xbeeCallbackComm : public xbeeComm {
public:
    static constexpr DWORD rxBufferSize = 1024;

    std::uint8_t* rxBuffer;  // rxBufferSize bytes, or null when it could not be allocated
    RxCallback rxCallback;

    xbeeCallbackComm();
    ~xbeeCallbackComm() override;
    void onReceive(DWORD count) override;
};

// The monitor thread's start function: runs the object's monitorLoop.
unsigned WINAPI monitorThreadEntry(void* object);
