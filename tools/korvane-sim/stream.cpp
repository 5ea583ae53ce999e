#include "tools/korvane-sim/stream.h"

#include <algorithm>

namespace sim {
namespace {

// "温度 25.3℃ 湿度 40%" in CP936, in pieces around the numbers.
constexpr std::string_view temperatureLabel = "\xCE\xC2\xB6\xC8 ";  // 温度
constexpr std::string_view degrees = "\xA1\xE6";                    // ℃
constexpr std::string_view humidityLabel = " \xCA\xAA\xB6\xC8 ";    // 湿度

}  // namespace

std::size_t StreamSource::produce(std::size_t budget, std::string& out) {
    if (kind_ == StreamKind::Counting) {
        for (std::size_t i = 0; i < budget; ++i) out += static_cast<char>(nextByte_++);
        return budget;
    }
    std::size_t produced = 0;
    while (produced < budget) {
        const std::string line = nextLine();
        out += line;
        produced += line.size();
    }
    return produced;
}

std::string StreamSource::nextLine() {
    // Numbers that wander over plausible ranges: 20.0..29.9 degrees, 35..59 percent.
    const std::uint32_t n = lineNumber_++;
    const std::uint32_t tenths = 200 + (n * 37) % 100;
    const std::uint32_t humidity = 35 + (n * 7) % 25;
    std::string line(temperatureLabel);
    line += std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
    line += degrees;
    line += humidityLabel;
    line += std::to_string(humidity) + "%\r\n";
    return line;
}

RatePacer::RatePacer(std::uint64_t bytesPerSecond, Clock::time_point start, Clock::duration maxCredit)
    : rate_(static_cast<std::int64_t>(bytesPerSecond)),
      maxCredit_(std::max<std::int64_t>(
          1, rate_ * std::chrono::duration_cast<std::chrono::microseconds>(maxCredit).count() / 1'000'000)),
      start_(start) {}

std::int64_t RatePacer::allowance(Clock::time_point now) {
    constexpr std::int64_t second = 1'000'000'000;
    const std::int64_t ns = std::max<std::int64_t>(0, std::chrono::nanoseconds(now - start_).count());
    // Whole seconds and the rest apart, so that neither product overflows.
    const std::int64_t due = rate_ * (ns / second) + rate_ * (ns % second) / second;
    if (due - spent_ > maxCredit_) spent_ = due - maxCredit_;
    return due - spent_;
}

}  // namespace sim
