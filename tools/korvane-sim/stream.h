// The steady stream the module can send for benchmarks and demonstrations, and the
// pacing that spreads it over time.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

namespace sim {

using Clock = std::chrono::steady_clock;

enum class StreamKind {
    Counting,  // bytes 0, 1, ... 255, 0, 1, ... without a break
    Text,      // GBK (CP936) sensor lines with changing numbers, each ending CR LF
};

class StreamSource {
public:
    explicit StreamSource(StreamKind kind) : kind_(kind) {}

    // Appends about budget bytes to out and returns how many it appended: exactly budget
    // when counting, whole lines (at least one if budget > 0) for text.
    std::size_t produce(std::size_t budget, std::string& out);

private:
    std::string nextLine();

    StreamKind kind_;
    std::uint8_t nextByte_ = 0;
    std::uint32_t lineNumber_ = 0;
};

// Hands out bytes at `rate` per second of elapsed time. Credit that is not used (the
// reader stalled, the line was idle) is capped at maxCredit's worth, so a pause is not
// followed by a burst; spending more than the credit (a whole text line) is repaid later.
class RatePacer {
public:
    // bytesPerSecond: up to 10^9, which keeps the arithmetic in 64 bits.
    RatePacer(std::uint64_t bytesPerSecond, Clock::time_point start,
              Clock::duration maxCredit = std::chrono::milliseconds(100));

    // How many bytes are due by now; zero or less while earlier spending is repaid.
    std::int64_t allowance(Clock::time_point now);
    void spent(std::size_t bytes) { spent_ += static_cast<std::int64_t>(bytes); }
    std::uint64_t rate() const { return static_cast<std::uint64_t>(rate_); }

private:
    std::int64_t rate_;
    std::int64_t maxCredit_;
    Clock::time_point start_;
    std::int64_t spent_ = 0;
};

}  // namespace sim
