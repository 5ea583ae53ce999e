// How a read's COMMTIMEOUTS become its deadline and byte interval, as a Windows comm
// driver applies them. Pure arithmetic on a clock reading: no device, no lock.
#pragma once

#include <chrono>

#include "platform/winTypes.h"

namespace posix {

struct ReadTimeouts {
    using Clock = std::chrono::steady_clock;

    // Interval MAXDWORD with both totals 0: take what is there and never wait.
    static bool returnAtOnce(const COMMTIMEOUTS& t);
    // The rules for a read of count bytes that starts waiting at start.
    static ReadTimeouts forRead(const COMMTIMEOUTS& t, DWORD count, Clock::time_point start);

    // When the read must end: at its deadline, or one interval after its last byte
    // once it has any; max when nothing but its bytes ends it.
    Clock::time_point due(DWORD got, Clock::time_point lastByte) const;
    // Whether a read that has got bytes (the last at lastByte) ends now, short of all.
    bool expired(Clock::time_point now, DWORD got, Clock::time_point lastByte) const;

    bool anyByteCompletes = false;  // the "return as soon as a byte is there" time-outs
    Clock::time_point deadline = Clock::time_point::max();
    Clock::duration interval{};  // 0: no interval time-out
};

}  // namespace posix
