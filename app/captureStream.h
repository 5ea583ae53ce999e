#pragma once
// What a capture file holds for the bytes the display ticks take: the bytes as received, or,
// with time stamps on, each line preceded by "[yyyy-MM-dd HH:mm:ss.zzz] ", the local time of
// the tick that took the line's first byte. A stamped line ends at its LF or, once nothing has
// arrived for 200 ms, with an LF of the file's own. Stamps switched on or off apply from the
// next line.

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/winTypes.h"

// A line with time stamps that has had no byte for this long is ended.
inline constexpr std::uint64_t captureLineIdleMs = 200;

class CaptureStream {
public:
    void setTimeStamps(bool on) { stamps_ = on; }

    // The file's bytes for one tick: the bytes it took (none on an idle tick), the tick's local
    // time, and its time on a clock that never goes back, in milliseconds.
    std::string next(const std::uint8_t* bytes, std::size_t count, const SYSTEMTIME& local, std::uint64_t nowMs);

private:
    bool stamps_ = false;
    bool lineOpen_ = false;     // the file ends inside a line
    bool lineStamped_ = false;  // and that line began with a stamp
    std::uint64_t lastByteMs_ = 0;
};

// "[2026-12-08 09:10:45.123] "
std::string timeStamp(const SYSTEMTIME& local);
