#include "tools/korvane-sim/ptySink.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/posix/lineSettings.h"

namespace sim {

std::size_t PtySink::take(std::string_view bytes) {
    int queued = 0;
    if (::ioctl(slave_, TIOCINQ, &queued) != 0) queued = 0;
    const auto room = static_cast<std::size_t>(std::max(0, portBuffer - queued));
    const std::size_t count = std::min(bytes.size(), room);
    std::size_t written = 0;
    while (written < count) {
        const ssize_t n = ::write(master_, bytes.data() + written, count - written);
        if (n > 0)
            written += static_cast<std::size_t>(n);
        else if (n < 0 && errno == EINTR)
            continue;
        else
            break;
    }
    return written;
}

std::uint64_t PtySink::lineRate() const {
    DCB dcb{};
    if (!posix::readLineSettings(slave_, dcb) || dcb.BaudRate == 0) return 0;
    return lineBytesPerSecond(dcb.BaudRate, dcb.ByteSize, dcb.fParity != 0, dcb.StopBits == TWOSTOPBITS);
}

}  // namespace sim
