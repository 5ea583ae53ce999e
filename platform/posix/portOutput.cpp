// The output side of a port: the queue a write leaves behind, the service thread that
// writes it as the device takes it, and the drain check that raises EV_TXEMPTY once the
// driver's own queue is empty.
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/posix/port.h"
#include "platform/posix/thread.h"

namespace posix {

bool Port::startService() {
    auto run = [](void* self) -> void* {
        static_cast<Port*>(self)->serve();
        return nullptr;
    };
    serviceStarted_ = startThread(&service_, run, this) == 0;
    return serviceStarted_;
}

void Port::serve() {
    std::unique_lock lock(mutex_);
    while (!closing_) {
        pollfd fds[2] = {{wake_.signalFd(), POLLIN, 0}, {fd_, 0, 0}};
        nfds_t count = 1;
        if (!gone_ && !writes_.empty()) {
            fds[1].events = POLLOUT;
            count = 2;
        }
        const int timeout = drainTimeoutMs(Clock::now());
        lock.unlock();
        const int ready = ::poll(fds, count, timeout);
        lock.lock();
        if (closing_) break;
        if (ready > 0 && fds[0].revents != 0) wake_.reset();
        if (ready > 0 && count == 2 && !gone_) {
            if (fds[1].revents & POLLOUT)
                pumpOutput();
            else if (fds[1].revents & (POLLHUP | POLLERR | POLLNVAL))
                markGone();
        }
        checkDrain(Clock::now());
    }
}

int Port::drainTimeoutMs(Clock::time_point now) const {
    if (!drainPending_ || !writes_.empty()) return -1;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(drainCheck_ - now).count();
    return static_cast<int>(std::clamp<long long>(left, 0, 1000));
}

void Port::pumpOutput() {
    while (!writes_.empty()) {
        PendingWrite& w = writes_.front();
        const ssize_t n = ::write(fd_, w.bytes.data() + w.done, w.bytes.size() - w.done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN) return;
        if (n <= 0) {
            markGone();
            return;
        }
        w.done += static_cast<std::size_t>(n);
        queuedBytes_ -= static_cast<std::size_t>(n);
        if (w.done < w.bytes.size()) return;
        if (w.overlapped != nullptr) complete(w.overlapped, ERROR_SUCCESS, w.total);
        writes_.pop_front();
    }
    startDrainCheck();
}

void Port::startDrainCheck() {
    drainPending_ = true;
    drainCheck_ = Clock::now();
    checkDrain(drainCheck_);
}

void Port::checkDrain(Clock::time_point now) {
    if (!drainPending_ || !writes_.empty() || now < drainCheck_) return;
    int waiting = 0;
    if (ioctl(fd_, TIOCOUTQ, &waiting) != 0 || waiting <= 0) {
        drainPending_ = false;
        drainCheck_ = Clock::time_point::max();
        raise(EV_TXEMPTY);
        return;
    }
    // Look again when the bytes still in the driver should have left at the line rate.
    const auto ms = 1 + 1000LL * waiting / bytesPerSecond(fd_);
    drainCheck_ = now + std::chrono::milliseconds(std::min<long long>(ms, 100));
}

void Port::abortWrites(DWORD status) {
    // Bytes moved: those the call wrote itself, ahead of the queue, and those served since.
    for (PendingWrite& w : writes_)
        if (w.overlapped != nullptr)
            complete(w.overlapped, status, w.total - static_cast<DWORD>(w.bytes.size() - w.done));
    writes_.clear();
    queuedBytes_ = 0;
}

}  // namespace posix
