#include "bench/endToEnd/pacedWriter.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>

#include "bench/processMeasures.h"

PacedWriter::PacedWriter(int fd, const std::string& stream, std::uint64_t bytesPerSecond,
                         Clock::duration duration)
    : thread_([=, this, &stream] { run(fd, stream, bytesPerSecond, duration); }) {}

PacedWriter::~PacedWriter() { thread_.join(); }

void PacedWriter::run(int fd, const std::string& stream, std::uint64_t bytesPerSecond,
                      Clock::duration duration) {
    const double cpu0 = threadCpuSeconds();
    const auto start = Clock::now();
    const auto end = start + duration;
    std::uint64_t ticks = 0;
    std::uint64_t written = 0;
    while (Clock::now() < end) {
        ++ticks;
        std::this_thread::sleep_until(start + std::chrono::milliseconds(ticks));
        const std::uint64_t due = ticks * bytesPerSecond / 1000;
        while (written < due && Clock::now() < end + std::chrono::seconds(1)) {
            const std::size_t at = written % stream.size();
            const std::size_t size = std::min<std::uint64_t>(due - written, stream.size() - at);
            pollfd p{fd, POLLOUT, 0};
            if (::poll(&p, 1, 100) <= 0) continue;  // the pty is full: the reader lags
            const ssize_t n = ::write(fd, stream.data() + at, size);
            if (n <= 0) continue;
            written += static_cast<std::uint64_t>(n);
            const std::lock_guard<std::mutex> lock(marksLock_);
            marks_.push_back({written, Clock::now()});
        }
    }
    written_ = written;
    cpuSeconds_ = threadCpuSeconds() - cpu0;
    done_ = true;
}

void PacedWriter::takeArrivedAt(std::uint64_t received, Clock::time_point at, std::vector<double>& latencies) {
    const std::lock_guard<std::mutex> lock(marksLock_);
    while (!marks_.empty() && marks_.front().end <= received) {
        latencies.push_back(std::chrono::duration<double>(at - marks_.front().at).count());
        marks_.pop_front();
    }
}
