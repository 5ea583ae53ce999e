#include "platform/posix/port.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>

#include "platform/posix/lineSettings.h"

namespace posix {
namespace {

constexpr DWORD purgeFlags = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;
// What Windows reports for every call on a port whose USB adapter was pulled.
constexpr DWORD deviceGone = ERROR_ACCESS_DENIED;
// A device the user may not open (not in its group, dialout for serial ports) is told apart
// from a busy one, which fails with ERROR_ACCESS_DENIED as on Windows. A COM port's open on
// Windows does not fail with this code, so only here does the window add its hint.
constexpr DWORD noPermission = ERROR_PRIVILEGE_NOT_HELD;

// The record of a call made without one: an event of its own, for that call only.
// Without a descriptor for the event nothing could wake the call, so it is refused.
class OwnRecord {
public:
    OwnRecord() {
        auto event = std::make_shared<Event>();
        if (event->valid()) record.hEvent = addObject(std::move(event));
        else error = errorFromErrno(errno, "eventfd");
    }
    ~OwnRecord() {
        if (record.hEvent != nullptr) removeObject(record.hEvent);
    }
    OwnRecord(const OwnRecord&) = delete;
    OwnRecord& operator=(const OwnRecord&) = delete;
    OVERLAPPED record{};
    DWORD error = ERROR_SUCCESS;
};

// Raises or drops DTR and RTS as the DCB asks; handshake and toggle modes are left to
// the driver. Devices without modem lines (ptys) ignore it.
void applyControlLines(int fd, const DCB& dcb) {
    int dtr = TIOCM_DTR, rts = TIOCM_RTS;
    if (dcb.fDtrControl == DTR_CONTROL_ENABLE) ioctl(fd, TIOCMBIS, &dtr);
    if (dcb.fDtrControl == DTR_CONTROL_DISABLE) ioctl(fd, TIOCMBIC, &dtr);
    if (dcb.fRtsControl == RTS_CONTROL_ENABLE) ioctl(fd, TIOCMBIS, &rts);
    if (dcb.fRtsControl == RTS_CONTROL_DISABLE) ioctl(fd, TIOCMBIC, &rts);
}

}  // namespace

std::shared_ptr<Port> Port::open(const std::string& path, DWORD& error) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int cause = errno;
        error = errorFromErrno(cause, "open");
        if (cause == EACCES || cause == EPERM) error = noPermission;
        return nullptr;
    }
    auto refuse = [&](DWORD code) {
        ::close(fd);
        error = code;
        return nullptr;
    };
    if (!isatty(fd)) return refuse(ERROR_FILE_NOT_FOUND);  // not a serial device
    // Exclusive: flock keeps out every other opener, this process included;
    // TIOCEXCL also keeps out programs that do not use flock.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) return refuse(ERROR_ACCESS_DENIED);
    // The kernel lets root past another program's TIOCEXCL: honour it here.
    int heldElsewhere = 0;
    if (ioctl(fd, TIOCGEXCL, &heldElsewhere) == 0 && heldElsewhere != 0) return refuse(ERROR_ACCESS_DENIED);
    const SavedSettings saved = saveSettings(fd);  // put back at close
    if (ioctl(fd, TIOCEXCL) != 0) return refuse(errorFromErrno(errno, "ioctl(TIOCEXCL)"));
    // From here a refusal also gives the device back as it found it: no exclusive flag (it
    // outlives this descriptor while the other side holds the pty), its own settings.
    auto giveBack = [&](DWORD code) {
        restoreSettings(fd, saved);
        ioctl(fd, TIOCNXCL);
        return refuse(code);
    };
    if (!makeRaw(fd)) return giveBack(errorFromErrno(errno, "ioctl(TCGETS2/TCSETS2)"));
    auto port = std::make_shared<Port>(fd);
    if (!port->wake_.valid()) return giveBack(ERROR_NOT_ENOUGH_MEMORY);
    port->saved_ = saved;
    port->dcb_.fDtrControl = DTR_CONTROL_ENABLE;  // Linux raises both lines at open
    port->dcb_.fRtsControl = RTS_CONTROL_ENABLE;
    readLineSettings(fd, port->dcb_);
    port->startCounters();
    DWORD started = ERROR_SUCCESS;
    port->modem_ = ModemWatcher::start(
        fd,
        [raw = port.get()](DWORD events) {
            std::lock_guard lock(raw->mutex_);
            if (!raw->closing_) raw->raise(events);
        },
        started);
    if (started == ERROR_SUCCESS && !port->startService()) started = ERROR_NOT_ENOUGH_MEMORY;
    if (started != ERROR_SUCCESS) {
        port->close();  // puts the settings back and releases the device
        error = started;
        return nullptr;
    }
    error = ERROR_SUCCESS;
    return port;
}

Port::Port(int fd) : fd_(fd) {}

Port::~Port() {
    if (serviceStarted_) close();
}

void Port::close() {
    {
        std::lock_guard lock(mutex_);
        if (closing_) return;
        closing_ = true;
        endWait(0, ERROR_OPERATION_ABORTED);
        abortRead(ERROR_OPERATION_ABORTED);
        abortWrites(ERROR_OPERATION_ABORTED);
    }
    wake_.set();
    modem_.reset();
    if (serviceStarted_) pthread_join(service_, nullptr);
    serviceStarted_ = false;
    // Settings first, while the device is still ours alone: another program may open it
    // once the flag is gone, and its settings must not be overwritten.
    restoreSettings(fd_, saved_);  // a port that was only looked at stays as it was
    ioctl(fd_, TIOCNXCL);          // the flag is ours: open refuses a device held by another
    ::close(fd_);                  // also releases the flock
}

int Port::readTimeoutMs(Clock::time_point now) const {
    if (read_.overlapped == nullptr) return -1;
    const Clock::time_point due = read_.timeouts.due(read_.got, read_.lastByte);
    if (due == Clock::time_point::max()) return -1;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(due - now).count();
    return static_cast<int>(std::clamp<long long>(left, 0, 60000));
}

void Port::pumpInput() {
    std::size_t total = 0;
    for (;;) {
        iovec segments[2];
        const int n = input_.freeSegments(segments);
        if (n == 0) break;
        const std::size_t room = segments[0].iov_len + segments[1].iov_len;
        const ssize_t got = ::readv(fd_, segments, n);
        if (got > 0) {
            input_.commit(static_cast<std::size_t>(got));
            total += static_cast<std::size_t>(got);
            if (static_cast<std::size_t>(got) < room) break;  // drained for now
            continue;
        }
        if (got < 0 && errno == EINTR) continue;
        if (got < 0 && errno == EAGAIN) break;
        markGone();  // 0 (hang-up) or EIO/ENXIO: the device is no longer there
        break;
    }
    if (total == 0) return;
    noteLineErrors();
    raise(EV_RXCHAR);
    feedRead(Clock::now());
}

// The driver's counters run across opens: errors from before this open are not news.
void Port::startCounters() {
    serial_icounter_struct now{};
    countersWork_ = ioctl(fd_, TIOCGICOUNT, &now) == 0;
    counters_ = {now.frame, now.overrun, now.parity, now.brk, now.buf_overrun};
}

// Line errors and breaks come from the driver's counters, where it keeps them.
void Port::noteLineErrors() {
    if (!countersWork_) return;
    serial_icounter_struct now{};
    if (ioctl(fd_, TIOCGICOUNT, &now) != 0) {
        countersWork_ = false;
        return;
    }
    DWORD bits = 0;
    if (now.frame != counters_.frame) bits |= CE_FRAME;
    if (now.overrun != counters_.overrun || now.buf_overrun != counters_.bufOverrun) bits |= CE_OVERRUN;
    if (now.parity != counters_.parity) bits |= CE_RXPARITY;
    if (now.brk != counters_.brk) bits |= CE_BREAK;
    counters_ = {now.frame, now.overrun, now.parity, now.brk, now.buf_overrun};
    errors_ |= bits;
    DWORD events = 0;
    if (bits & (CE_FRAME | CE_OVERRUN | CE_RXPARITY)) events |= EV_ERR;
    if (bits & CE_BREAK) events |= EV_BREAK;
    if (events != 0) raise(events);
}

void Port::raise(DWORD events) {
    history_ |= events & mask_;
    if (waitRecord_ != nullptr && history_ != 0) {
        endWait(history_, ERROR_SUCCESS);
        history_ = 0;
    }
}

// Completes the pending event wait, if any, with word.
void Port::endWait(DWORD word, DWORD status) {
    if (waitRecord_ == nullptr) return;
    *waitWord_ = word;
    complete(waitRecord_, status, status == ERROR_SUCCESS ? sizeof(DWORD) : 0);
    waitRecord_ = nullptr;
}

void Port::feedRead(Clock::time_point now) {
    PendingRead& r = read_;
    if (r.overlapped == nullptr) return;
    const auto moved = static_cast<DWORD>(input_.take(r.buffer + r.got, r.wanted - r.got));
    if (moved > 0) {
        r.got += moved;
        r.lastByte = now;
        r.overlapped->InternalHigh = r.got;  // progress so far, as the record shows it
    }
    if (r.got < r.wanted && !r.timeouts.expired(now, r.got, r.lastByte)) return;
    complete(r.overlapped, ERROR_SUCCESS, r.got);
    r = PendingRead{};
}

void Port::markGone() {
    gone_ = true;
    endWait(0, deviceGone);
    abortRead(deviceGone);
    abortWrites(deviceGone);
    drainPending_ = false;
}

void Port::abortRead(DWORD status) {
    if (read_.overlapped == nullptr) return;
    complete(read_.overlapped, status, read_.got);
    read_ = PendingRead{};
}

void Port::complete(OVERLAPPED* overlapped, DWORD status, DWORD bytes) {
    overlapped->InternalHigh = bytes;
    overlapped->Internal = status;
    signalEventHandle(overlapped->hEvent);
}

// ---- the operations ----------------------------------------------------------------

BOOL Port::usable() {
    if (closing_) return fail(ERROR_INVALID_HANDLE);
    if (gone_) return fail(deviceGone);
    return TRUE;
}

// Locks the port for an operation. The lock comes back empty, with the error set, when
// the port is closed or its device gone, or when record is given without an event.
std::unique_lock<std::mutex> Port::lockForOperation(const OVERLAPPED* record) {
    std::unique_lock lock(mutex_);
    if (!usable() || !checkRecord(record)) lock.unlock();
    return lock;
}

// A pending operation needs its record's event: that is how its completion is told.
BOOL Port::checkRecord(const OVERLAPPED* overlapped) {
    if (overlapped != nullptr && overlapped->hEvent == nullptr) return fail(ERROR_INVALID_PARAMETER);
    return TRUE;
}

// An operation that completed within its call: as on Windows, its record (if any)
// completes too, and the call reports success.
BOOL Port::doneAtOnce(OVERLAPPED* overlapped, DWORD transferred, DWORD* reported) {
    if (reported != nullptr) *reported = transferred;
    if (overlapped != nullptr) complete(overlapped, ERROR_SUCCESS, transferred);
    return TRUE;
}

void Port::startPending(OVERLAPPED* record, DWORD transferred) {
    record->Internal = STATUS_PENDING;
    record->InternalHigh = transferred;
    posix::ResetEvent(record->hEvent);
}

// Waits (when asked) for record to complete, reading the device meanwhile when the
// record is the pending event wait or read, and reports its outcome. As on Windows,
// the record's event being set also ends the wait, complete or not, unless the call
// waits for its own record (untilDone), or the deadline passing.
BOOL Port::awaitResult(std::unique_lock<std::mutex>& lock, OVERLAPPED* record, DWORD* transferred, bool wait,
                       bool untilDone, Clock::time_point deadline) {
    const auto event = std::dynamic_pointer_cast<Event>(findObject(record->hEvent));
    if (wait && record->Internal == STATUS_PENDING && !event) return fail(ERROR_INVALID_HANDLE);
    const int eventFd = event ? event->signalFd() : -1;
    while (wait && record->Internal == STATUS_PENDING) {
        const bool drive = !gone_ && !closing_ && (record == waitRecord_ || record == read_.overlapped);
        pollfd fds[2] = {{eventFd, POLLIN, 0}, {fd_, POLLIN, 0}};
        nfds_t count = 1;
        if (drive && input_.freeSpace() > 0) count = 2;
        const Clock::time_point now = Clock::now();
        if (now >= deadline) return fail(WAIT_TIMEOUT);
        int timeout = drive ? readTimeoutMs(now) : -1;
        if (deadline != Clock::time_point::max()) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count();
            const int bound = static_cast<int>(std::min<long long>(left, 60000));
            timeout = timeout < 0 ? bound : std::min(timeout, bound);
        }
        lock.unlock();
        const int ready = ::poll(fds, count, timeout);
        lock.lock();
        if (ready > 0 && count == 2 && !gone_ && !closing_) {
            if (fds[1].revents & POLLIN)
                pumpInput();
            else if (fds[1].revents & (POLLHUP | POLLERR | POLLNVAL))
                markGone();
        }
        feedRead(Clock::now());
        if (!untilDone && ready > 0 && fds[0].revents != 0) break;  // the event is set
    }
    if (record->Internal == STATUS_PENDING) return fail(ERROR_IO_INCOMPLETE);
    if (transferred != nullptr) *transferred = static_cast<DWORD>(record->InternalHigh);
    if (record->Internal != ERROR_SUCCESS) return fail(static_cast<DWORD>(record->Internal));
    return TRUE;
}

BOOL Port::getState(DCB& dcb) {
    const auto lock = lockForOperation();
    if (!lock) return FALSE;
    DCB current = dcb_;
    if (!readLineSettings(fd_, current)) return fail(errorFromErrno(errno, "ioctl(TCGETS2)"));
    dcb = current;
    return TRUE;
}

BOOL Port::setState(const DCB& dcb) {
    const auto lock = lockForOperation();
    if (!lock) return FALSE;
    const DWORD error = writeLineSettings(fd_, dcb);
    if (error != ERROR_SUCCESS) return fail(error);
    applyControlLines(fd_, dcb);
    dcb_ = dcb;
    return TRUE;
}

BOOL Port::setup(DWORD inQueue, DWORD outQueue) {
    const auto lock = lockForOperation();
    if (!lock) return FALSE;
    // The queues here are fixed (64 KiB in, 1 MiB out), at least what any caller asks.
    if (inQueue == 0 || outQueue == 0) return fail(ERROR_INVALID_PARAMETER);
    return TRUE;
}

BOOL Port::getTimeouts(COMMTIMEOUTS& timeouts) {
    const auto lock = lockForOperation();
    if (!lock) return FALSE;
    timeouts = timeouts_;
    return TRUE;
}

BOOL Port::setTimeouts(const COMMTIMEOUTS& timeouts) {
    const auto lock = lockForOperation();
    if (!lock) return FALSE;
    timeouts_ = timeouts;
    return TRUE;
}

BOOL Port::purge(DWORD flags) {
    const auto lock = lockForOperation();
    if (!lock) return FALSE;
    if ((flags & ~purgeFlags) != 0) return fail(ERROR_INVALID_PARAMETER);
    if (flags & (PURGE_TXABORT | PURGE_TXCLEAR)) {
        abortWrites(ERROR_OPERATION_ABORTED);
        if (flags & PURGE_TXCLEAR) flushOutput(fd_);
    }
    if (flags & PURGE_RXABORT) abortRead(ERROR_OPERATION_ABORTED);
    if (flags & PURGE_RXCLEAR) {
        input_.clear();
        flushInput(fd_);
    }
    wake_.set();
    return TRUE;
}

BOOL Port::setMask(DWORD mask) {
    const auto lock = lockForOperation();
    if (!lock) return FALSE;
    // Bytes already waiting count as arrived for a mask that newly asks for EV_RXCHAR:
    // a monitor that sets its mask just after they came must still hear of them.
    const bool rxNewlyAsked = (mask & EV_RXCHAR) && !(mask_ & EV_RXCHAR) && input_.size() > 0;
    const DWORD previous = mask_;
    mask_ = mask;
    history_ = rxNewlyAsked ? EV_RXCHAR : 0;
    endWait(0, ERROR_SUCCESS);  // a pending wait ends with the word 0
    // Mask 0 after a mask is how a monitor thread is stopped: a read it may be blocked
    // in ends too, and until a mask is set again reads take what is there and do not
    // wait, so a stop that comes just before a read cannot hold the thread either.
    stopping_ = mask == 0 && (stopping_ || previous != 0);
    if (mask == 0) abortRead(ERROR_OPERATION_ABORTED);
    return TRUE;
}

BOOL Port::waitEvent(DWORD* eventWord, OVERLAPPED* overlapped) {
    auto lock = lockForOperation(overlapped);
    if (!lock) return FALSE;
    if (eventWord == nullptr || mask_ == 0 || waitRecord_ != nullptr) return fail(ERROR_INVALID_PARAMETER);
    if (history_ != 0) {
        *eventWord = history_;
        history_ = 0;
        if (overlapped != nullptr) complete(overlapped, ERROR_SUCCESS, sizeof(DWORD));
        return TRUE;
    }
    std::optional<OwnRecord> own;
    if (overlapped == nullptr && own.emplace().error != ERROR_SUCCESS) return fail(own->error);
    OVERLAPPED* record = overlapped != nullptr ? overlapped : &own->record;
    startPending(record, 0);
    waitWord_ = eventWord;
    waitRecord_ = record;
    if (own) return awaitResult(lock, record, nullptr, true, true);
    return fail(ERROR_IO_PENDING);
}

BOOL Port::overlappedResult(OVERLAPPED* overlapped, DWORD* transferred, DWORD waitMs) {
    std::unique_lock lock(mutex_);
    const Clock::time_point deadline =
        waitMs == INFINITE ? Clock::time_point::max() : Clock::now() + std::chrono::milliseconds(waitMs);
    return awaitResult(lock, overlapped, transferred, waitMs != 0, false, deadline);
}

BOOL Port::read(void* buffer, DWORD count, DWORD* read, OVERLAPPED* overlapped) {
    if (read != nullptr) *read = 0;
    auto lock = lockForOperation(overlapped);
    if (!lock) return FALSE;
    if (read_.overlapped != nullptr) return fail(ERROR_INVALID_PARAMETER);  // one read at a time

    const bool atOnce = ReadTimeouts::returnAtOnce(timeouts_);
    if (input_.size() < count) {
        pumpInput();  // bytes in the device count as queued
        if (gone_) return fail(deviceGone);
    }
    const auto got = static_cast<DWORD>(input_.take(buffer, count));
    if (got == count || atOnce || stopping_) {
        return doneAtOnce(overlapped, got, read);
    }

    std::optional<OwnRecord> own;
    if (overlapped == nullptr && own.emplace().error != ERROR_SUCCESS) {
        if (read != nullptr) *read = got;
        return fail(own->error);
    }
    OVERLAPPED* record = overlapped != nullptr ? overlapped : &own->record;
    PendingRead r;
    r.overlapped = record;
    r.buffer = static_cast<unsigned char*>(buffer);
    r.wanted = count;
    r.got = got;
    const auto now = Clock::now();
    r.lastByte = now;
    r.timeouts = ReadTimeouts::forRead(timeouts_, count, now);
    if (r.timeouts.anyByteCompletes && got > 0) return doneAtOnce(overlapped, got, read);

    startPending(record, got);
    read_ = r;
    if (own) return awaitResult(lock, record, read, true, true);
    return fail(ERROR_IO_PENDING);
}

BOOL Port::write(const void* buffer, DWORD count, DWORD* written, OVERLAPPED* overlapped) {
    if (written != nullptr) *written = 0;
    auto lock = lockForOperation(overlapped);
    if (!lock) return FALSE;
    // A write of any size is taken on an idle port; only a backlog is bounded.
    if (queuedBytes_ > 0 && queuedBytes_ + count > writeQueueLimit) return fail(ERROR_NOT_ENOUGH_QUOTA);
    const auto* bytes = static_cast<const unsigned char*>(buffer);

    // Straight to the device while nothing is queued ahead; the rest is queued.
    std::size_t done = 0;
    while (writes_.empty() && done < count) {
        const ssize_t n = ::write(fd_, bytes + done, count - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN) break;
        markGone();
        if (written != nullptr) *written = static_cast<DWORD>(done);
        return fail(deviceGone);
    }
    if (done == count) {
        startDrainCheck();
        if (drainPending_) wake_.set();  // the service thread looks again later
        return doneAtOnce(overlapped, count, written);
    }

    std::optional<OwnRecord> own;
    if (overlapped == nullptr && own.emplace().error != ERROR_SUCCESS) {
        if (written != nullptr) *written = static_cast<DWORD>(done);
        return fail(own->error);
    }
    OVERLAPPED* record = overlapped != nullptr ? overlapped : &own->record;
    for (PendingWrite& w : writes_)
        if (w.overlapped == record) w.overlapped = nullptr;  // the record now follows this write
    writes_.push_back({record, std::vector<unsigned char>(bytes + done, bytes + count), 0, count});
    queuedBytes_ += count - done;
    startPending(record, static_cast<DWORD>(done));
    wake_.set();
    if (own) return awaitResult(lock, record, written, true, true);
    return fail(ERROR_IO_PENDING);
}

BOOL Port::clearError(DWORD* errors, COMSTAT* status) {
    const auto lock = lockForOperation();
    if (!lock) return FALSE;
    pumpInput();  // so cbInQue counts what the device holds too
    if (gone_) return fail(deviceGone);
    if (errors != nullptr) *errors = errors_;
    errors_ = 0;
    if (status != nullptr) {
        *status = COMSTAT{};
        status->cbInQue = static_cast<DWORD>(input_.size());
        // Once a drain has been seen and nothing was written since, the driver's
        // output queue is empty: no need to ask it.
        int waiting = 0;
        if ((drainPending_ || !writes_.empty()) && (ioctl(fd_, TIOCOUTQ, &waiting) != 0 || waiting < 0))
            waiting = 0;
        status->cbOutQue = static_cast<DWORD>(queuedBytes_ + static_cast<std::size_t>(waiting));
    }
    return TRUE;
}

BOOL Port::modemStatus(DWORD* status) {
    const auto lock = lockForOperation();
    if (!lock) return FALSE;
    int lines = 0;
    if (ioctl(fd_, TIOCMGET, &lines) != 0)
        return fail(errorFromErrno(errno, "ioctl(TIOCMGET)"));  // no modem lines
    DWORD bits = 0;
    if (lines & TIOCM_CTS) bits |= MS_CTS_ON;
    if (lines & TIOCM_DSR) bits |= MS_DSR_ON;
    if (lines & TIOCM_RI) bits |= MS_RING_ON;
    if (lines & TIOCM_CD) bits |= MS_RLSD_ON;
    if (status != nullptr) *status = bits;
    return TRUE;
}

}  // namespace posix
