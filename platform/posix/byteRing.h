// A fixed-size byte ring for a port's input queue. Not thread-safe: the port's lock
// guards it. The device is read straight into its free space (two segments at most).
#pragma once

#include <sys/uio.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

namespace posix {

class ByteRing {
public:
    explicit ByteRing(std::size_t capacity) : bytes_(capacity) {}

    std::size_t size() const { return size_; }
    std::size_t freeSpace() const { return bytes_.size() - size_; }

    // The free space as up to two segments, in order; returns how many.
    int freeSegments(iovec (&segments)[2]) {
        const std::size_t end = (head_ + size_) % bytes_.size();
        const std::size_t free = freeSpace();
        const std::size_t first = std::min(free, bytes_.size() - end);
        segments[0] = {bytes_.data() + end, first};
        segments[1] = {bytes_.data(), free - first};
        return free == 0 ? 0 : (free > first ? 2 : 1);
    }
    // Counts n bytes written into the free segments as held.
    void commit(std::size_t n) { size_ += n; }

    // Moves up to n of the oldest bytes to out; returns how many.
    std::size_t take(void* out, std::size_t n) {
        n = std::min(n, size_);
        if (n == 0) return 0;
        const std::size_t first = std::min(n, bytes_.size() - head_);
        std::memcpy(out, bytes_.data() + head_, first);
        std::memcpy(static_cast<char*>(out) + first, bytes_.data(), n - first);
        head_ = (head_ + n) % bytes_.size();
        size_ -= n;
        return n;
    }

    void clear() { head_ = size_ = 0; }

private:
    std::vector<unsigned char> bytes_;
    std::size_t head_ = 0;
    std::size_t size_ = 0;
};

}  // namespace posix
