// The module's end of the wire: bytes go to the pty master only while the port's
// receive buffer has room, so output nobody reads is lost, as on a real line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "tools/korvane-sim/module.h"

namespace sim {

class PtySink : public ByteSink {
public:
    // Unread bytes the port keeps. The pty's line discipline holds at most 4095 in raw
    // mode; anything written beyond that waits in the pty's own buffer, where no ioctl
    // counts it and from where it would arrive stale after the next open and purge.
    static constexpr int portBuffer = 4095;

    PtySink(int master, int slave) : master_(master), slave_(slave) {}
    // Writes what fits and reports how many bytes that was.
    std::size_t take(std::string_view bytes) override;
    // Bytes per second at the speed and framing the client last set on the port; 0
    // while its speed is 0 (nothing to pace by).
    std::uint64_t lineRate() const;

private:
    int master_;
    int slave_;
};

}  // namespace sim
