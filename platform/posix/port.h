// A serial port on Linux with the behaviour of a Windows comm driver: an input queue
// the device is read into, an event history for WaitCommEvent, overlapped reads with
// Windows time-outs, and an output queue that takes each write over at the call.
//
// Overlapped records must carry an event. Input is read by whoever needs it, so
// received bytes cost no hand-over between threads: a thread waiting in
// GetOverlappedResult on a pending event wait or read polls the device itself, and
// ClearCommError and ReadFile take what has come. An operation still pending completes
// through GetOverlappedResult (or SetCommMask, PurgeComm, a write's drain): waiting on
// its event alone does not read the device. One service thread per port writes the
// output queue and watches for the drain; it sleeps in poll and wakes on a timer only
// while a drain is due. Modem-line changes come from a ModemWatcher where the device
// has the lines. One lock per port guards everything here.
#pragma once

#include <chrono>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include <pthread.h>

#include "platform/posix/byteRing.h"
#include "platform/posix/event.h"
#include "platform/posix/lineSettings.h"
#include "platform/posix/modemWatcher.h"
#include "platform/posix/readTimeouts.h"

namespace posix {

class Port : public Object {
public:
    // Opens path exclusively in raw mode; null with error set when it cannot.
    static std::shared_ptr<Port> open(const std::string& path, DWORD& error);
    Port(int fd);
    ~Port() override;
    // Ends a pending wait (word 0), read and writes with ERROR_OPERATION_ABORTED, puts
    // the device's settings back and releases it.
    void close() override;

    // Every operation below fails with ERROR_INVALID_HANDLE once the port is closed and
    // with ERROR_ACCESS_DENIED once the device has gone, as Windows fails a pulled USB
    // adapter's calls; a device going also ends every pending operation with that error
    // (a pending wait with word 0). A call
    // that would block without a record waits on an event of its own; when none can be
    // made it fails with that error instead, reporting the bytes it already moved.

    // The device's line settings; DTR and RTS control as last set (enabled at open).
    BOOL getState(DCB& dcb);
    // Applies the line settings and raises or drops DTR and RTS as asked.
    BOOL setState(const DCB& dcb);
    // The queues are fixed; only a size of 0 is refused (ERROR_INVALID_PARAMETER).
    BOOL setup(DWORD inQueue, DWORD outQueue);
    BOOL getTimeouts(COMMTIMEOUTS& timeouts);
    // Applies to reads that start afterwards.
    BOOL setTimeouts(const COMMTIMEOUTS& timeouts);
    // TXABORT or TXCLEAR ends queued writes with ERROR_OPERATION_ABORTED (TXCLEAR also
    // drops the driver's output); RXABORT ends a pending read likewise, keeping what it
    // got; RXCLEAR drops all input. Other bits: ERROR_INVALID_PARAMETER.
    BOOL purge(DWORD flags);
    // Ends a pending wait with word 0 (success) and forgets events seen, except that
    // bytes already waiting count for a mask that newly asks for EV_RXCHAR. A mask of 0
    // also ends a pending read (ERROR_OPERATION_ABORTED); after a non-zero mask it makes
    // reads take what is there without waiting until a mask is set again.
    BOOL setMask(DWORD mask);
    // Events in the mask seen since the last wait complete it at once with them as the
    // word. Otherwise, with a record, it is pending (ERROR_IO_PENDING) until an event in
    // the mask arrives, setMask, close or the device going; without one it blocks.
    // No word, a mask of 0 or a wait already pending: ERROR_INVALID_PARAMETER.
    BOOL waitEvent(DWORD* eventWord, OVERLAPPED* overlapped);
    // The outcome of a record: ERROR_IO_INCOMPLETE while pending and not waiting. With
    // wait, reads the device for a pending wait or read until the record completes or
    // its event is set (ERROR_IO_INCOMPLETE if that alone ended it). A failed operation
    // reports its error, with the bytes it moved in transferred. The wait lasts at most waitMs
    // (INFINITE: no bound, 0: no wait), after which a record still pending fails with
    // WAIT_TIMEOUT.
    BOOL overlappedResult(OVERLAPPED* overlapped, DWORD* transferred, DWORD waitMs);
    // Completes at once with count bytes, with what is there under the "return at once"
    // time-outs or after a stop (see setMask); otherwise pending (or blocking without a
    // record) until count bytes or a time-out, which completes with success and the
    // bytes so far. One read at a time: another is ERROR_INVALID_PARAMETER.
    BOOL read(void* buffer, DWORD count, DWORD* read, OVERLAPPED* overlapped);
    // Takes all count bytes: complete when the device took them at once, otherwise
    // pending (or blocking without a record) until they are written. A record reused
    // while pending follows the newer write. A backlog past writeQueueLimit is refused
    // with ERROR_NOT_ENOUGH_QUOTA. EV_TXEMPTY follows once the driver has drained.
    BOOL write(const void* buffer, DWORD count, DWORD* written, OVERLAPPED* overlapped);
    // CE_ bits since the last call (then cleared); cbInQue counts bytes still in the
    // device, cbOutQue the queued bytes and the driver's.
    BOOL clearError(DWORD* errors, COMSTAT* status);
    // MS_ bits; a device without modem lines (a pty) fails with its system error.
    BOOL modemStatus(DWORD* status);

    static constexpr std::size_t inputCapacity = 64 * 1024;
    static constexpr std::size_t writeQueueLimit = 1024 * 1024;

private:
    using Clock = ReadTimeouts::Clock;

    struct PendingRead {
        OVERLAPPED* overlapped = nullptr;
        unsigned char* buffer = nullptr;
        DWORD wanted = 0;
        DWORD got = 0;
        ReadTimeouts timeouts;
        Clock::time_point lastByte{};
    };
    struct PendingWrite {
        OVERLAPPED* overlapped;  // null once a newer write took the record over
        std::vector<unsigned char> bytes;
        std::size_t done;
        DWORD total;
    };

    bool startService();
    void serve();
    int readTimeoutMs(Clock::time_point now) const;
    int drainTimeoutMs(Clock::time_point now) const;
    void pumpInput();
    void pumpOutput();
    void noteLineErrors();
    void raise(DWORD events);
    void endWait(DWORD word, DWORD status);
    void feedRead(Clock::time_point now);
    void startDrainCheck();
    void checkDrain(Clock::time_point now);
    void markGone();
    void abortRead(DWORD status);
    void abortWrites(DWORD status);
    void complete(OVERLAPPED* overlapped, DWORD status, DWORD bytes);
    std::unique_lock<std::mutex> lockForOperation(const OVERLAPPED* record = nullptr);
    BOOL usable();
    BOOL checkRecord(const OVERLAPPED* overlapped);
    BOOL doneAtOnce(OVERLAPPED* overlapped, DWORD transferred, DWORD* reported);
    void startPending(OVERLAPPED* record, DWORD transferred);
    BOOL awaitResult(std::unique_lock<std::mutex>& lock, OVERLAPPED* record, DWORD* transferred, bool wait,
                     bool untilDone, Clock::time_point deadline = Clock::time_point::max());
    void startCounters();

    const int fd_;
    std::mutex mutex_;
    Event wake_;  // tells the service thread to look again
    SavedSettings saved_{};
    pthread_t service_{};
    bool serviceStarted_ = false;
    std::unique_ptr<ModemWatcher> modem_;  // only for devices with modem lines

    bool closing_ = false;
    bool gone_ = false;  // the device went away (adapter pulled, pty master closed)
    DCB dcb_{};
    COMMTIMEOUTS timeouts_{};
    DWORD mask_ = 0;
    bool stopping_ = false;  // mask set to 0 after a mask: reads do not wait
    DWORD history_ = 0;      // events seen since the last wait took them
    DWORD errors_ = 0;       // CE_ bits since the last ClearCommError
    DWORD* waitWord_ = nullptr;
    OVERLAPPED* waitRecord_ = nullptr;
    PendingRead read_;
    ByteRing input_{inputCapacity};
    std::deque<PendingWrite> writes_;
    std::size_t queuedBytes_ = 0;
    bool drainPending_ = false;  // a write finished; EV_TXEMPTY follows the drain
    Clock::time_point drainCheck_ = Clock::time_point::max();
    bool countersWork_ = true;  // TIOCGICOUNT; ptys and most USB adapters lack it
    struct Counters {
        int frame, overrun, parity, brk, bufOverrun;
    } counters_{};
};

}  // namespace posix
