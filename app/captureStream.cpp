#include "app/captureStream.h"

#include <cstdio>
#include <cstring>

std::string timeStamp(const SYSTEMTIME& t) {
    char text[64];
    std::snprintf(text, sizeof text, "[%04u-%02u-%02u %02u:%02u:%02u.%03u] ", t.wYear, t.wMonth, t.wDay, t.wHour,
                  t.wMinute, t.wSecond, t.wMilliseconds);
    return text;
}

std::string CaptureStream::next(const std::uint8_t* bytes, std::size_t count, const SYSTEMTIME& local,
                                std::uint64_t nowMs) {
    std::string out;
    if (lineOpen_ && (stamps_ || lineStamped_) && nowMs - lastByteMs_ >= captureLineIdleMs) {
        out += '\n';
        lineOpen_ = false;
    }
    if (count == 0) return out;
    lastByteMs_ = nowMs;
    const std::string stamp = stamps_ ? timeStamp(local) : std::string();
    out.reserve(out.size() + count + (stamps_ ? 64 : 0));
    const char* at = reinterpret_cast<const char*>(bytes);
    const char* const end = at + count;
    while (at < end) {
        if (!lineOpen_) {
            lineStamped_ = stamps_;
            out += stamp;
            lineOpen_ = true;
        }
        const void* lf = std::memchr(at, '\n', static_cast<std::size_t>(end - at));
        const char* lineEnd = lf != nullptr ? static_cast<const char*>(lf) + 1 : end;
        out.append(at, lineEnd);
        if (lf != nullptr) lineOpen_ = false;
        at = lineEnd;
    }
    return out;
}
