#include "platform/posix/readTimeouts.h"

#include <algorithm>

namespace posix {
namespace {

constexpr DWORD MAXDWORD = 0xFFFFFFFF;
constexpr unsigned long long longestTimeoutMs = 1ull << 40;  // ~35 years; longer means never

}  // namespace

bool ReadTimeouts::returnAtOnce(const COMMTIMEOUTS& t) {
    return t.ReadIntervalTimeout == MAXDWORD && t.ReadTotalTimeoutMultiplier == 0 &&
           t.ReadTotalTimeoutConstant == 0;
}

ReadTimeouts ReadTimeouts::forRead(const COMMTIMEOUTS& t, DWORD count, Clock::time_point start) {
    ReadTimeouts r;
    r.anyByteCompletes = t.ReadIntervalTimeout == MAXDWORD && t.ReadTotalTimeoutMultiplier == MAXDWORD &&
                         t.ReadTotalTimeoutConstant != 0 && t.ReadTotalTimeoutConstant != MAXDWORD;
    unsigned long long totalMs = t.ReadTotalTimeoutConstant;
    if (!r.anyByteCompletes) totalMs += static_cast<unsigned long long>(t.ReadTotalTimeoutMultiplier) * count;
    if (totalMs > 0 && totalMs < longestTimeoutMs) r.deadline = start + std::chrono::milliseconds(totalMs);
    if (!r.anyByteCompletes && t.ReadIntervalTimeout != 0 && t.ReadIntervalTimeout != MAXDWORD)
        r.interval = std::chrono::milliseconds(t.ReadIntervalTimeout);
    return r;
}

ReadTimeouts::Clock::time_point ReadTimeouts::due(DWORD got, Clock::time_point lastByte) const {
    if (got > 0 && interval.count() > 0) return std::min(deadline, lastByte + interval);
    return deadline;
}

bool ReadTimeouts::expired(Clock::time_point now, DWORD got, Clock::time_point lastByte) const {
    return (anyByteCompletes && got > 0) || now >= due(got, lastByte);
}

}  // namespace posix
