#pragma once
// The far end of the port for the benchmark: writes a prepared stream into a pty master at a
// steady rate, on its own thread, once per millisecond as a USB adapter hands bytes over once
// per frame. Each write is noted with the time it went into the pty, so that the receiving
// side can tell how long the bytes took to reach the screen.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class PacedWriter {
public:
    using Clock = std::chrono::steady_clock;

    // Starts writing stream (repeated as needed) into fd at bytesPerSecond for duration.
    PacedWriter(int fd, const std::string& stream, std::uint64_t bytesPerSecond, Clock::duration duration);
    ~PacedWriter();
    PacedWriter(const PacedWriter&) = delete;
    PacedWriter& operator=(const PacedWriter&) = delete;

    bool done() const { return done_.load(); }
    // Once done: the bytes written and the CPU the writing thread spent.
    std::uint64_t written() const { return written_; }
    double cpuSeconds() const { return cpuSeconds_; }

    // How long ago each write that ends at or before `received` bytes went in, in seconds;
    // those writes are forgotten. Called from the receiving side.
    void takeArrived(std::uint64_t received, std::vector<double>& latencies) {
        takeArrivedAt(received, Clock::now(), latencies);
    }
    // The same for `received` bytes noted at `at` (by another process, on this clock).
    void takeArrivedAt(std::uint64_t received, Clock::time_point at, std::vector<double>& latencies);

private:
    struct Mark {
        std::uint64_t end;  // bytes written once this write was done
        Clock::time_point at;
    };

    void run(int fd, const std::string& stream, std::uint64_t bytesPerSecond, Clock::duration duration);

    std::mutex marksLock_;
    std::deque<Mark> marks_;
    std::uint64_t written_ = 0;
    double cpuSeconds_ = 0;
    std::atomic<bool> done_{false};
    std::thread thread_;
};
