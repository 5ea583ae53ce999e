// The simulator's end of the wire over a real pseudo-terminal.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>

#include "platform/posix/lineSettings.h"
#include "tools/korvane-sim/ptySink.h"

namespace {

using namespace std::chrono_literals;

struct RawPty {
    int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    int slave = -1;
    RawPty() {
        if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) return;
        slave = ::open(::ptsname(master), O_RDWR | O_NOCTTY | O_NONBLOCK);
        termios raw{};
        if (slave >= 0 && ::tcgetattr(slave, &raw) == 0) {
            cfmakeraw(&raw);
            ::tcsetattr(slave, TCSANOW, &raw);
        }
    }
    ~RawPty() {
        if (slave >= 0) ::close(slave);
        if (master >= 0) ::close(master);
    }
};

// A reader that stops reading must not find a backlog later: once the port's buffer is
// full the sink refuses every byte, instead of parking some in the pty where they would
// arrive stale. What it did take all reaches the reader.
TEST(SimPtySink, RefusesEverythingOnceThePortBufferIsFull) {
    RawPty pty;
    ASSERT_GE(pty.slave, 0);
    sim::PtySink sink(pty.master, pty.slave);
    std::string sent;
    for (unsigned char next = 0; sent.size() < 2 * sim::PtySink::portBuffer; ++next)
        sent += static_cast<char>(next);

    // The pty passes the master's bytes on to the slave's buffer a moment later: before
    // each take, wait until the buffer shows what the sink wrote so far.
    const auto end = std::chrono::steady_clock::now() + 20s;
    auto shows = [&](std::size_t count) {
        for (int queued = -1; std::chrono::steady_clock::now() < end; std::this_thread::sleep_for(1ms))
            if (::ioctl(pty.slave, TIOCINQ, &queued) == 0 && static_cast<std::size_t>(queued) >= count)
                return true;
        return false;
    };
    std::size_t taken = 0;
    for (std::size_t n = 1; n > 0 && taken < sent.size(); taken += n) {
        ASSERT_TRUE(shows(std::min<std::size_t>(taken, sim::PtySink::portBuffer))) << "after " << taken;
        n = sink.take(std::string_view(sent).substr(taken, 100));
    }
    EXPECT_EQ(taken, static_cast<std::size_t>(sim::PtySink::portBuffer));
    for (int call = 0; call < 100; ++call) ASSERT_EQ(sink.take("more"), 0u) << "call " << call;

    std::string received;
    while (received.size() < taken && std::chrono::steady_clock::now() < end) {
        pollfd p{pty.slave, POLLIN, 0};
        ::poll(&p, 1, 100);
        char chunk[4096];
        const ssize_t n = ::read(pty.slave, chunk, sizeof chunk);
        if (n > 0) received.append(chunk, static_cast<std::size_t>(n));
    }
    EXPECT_EQ(received, sent.substr(0, taken));
}

// Paced output follows the speed and framing the client set, standard rates or not.
TEST(SimPtySink, LineRateFollowsTheClientsSettings) {
    RawPty pty;
    ASSERT_GE(pty.slave, 0);
    const sim::PtySink sink(pty.master, pty.slave);
    struct Case {
        DWORD baud;
        BYTE stopBits;
        std::uint64_t bytesPerSecond;
    };
    // 14400 is no standard rate: the pty keeps it as a number, not a rate code.
    for (const Case& c :
         {Case{9600, ONESTOPBIT, 960}, Case{14400, ONESTOPBIT, 1440}, Case{115200, TWOSTOPBITS, 10472}}) {
        SCOPED_TRACE(c.baud);
        DCB dcb{};
        ASSERT_TRUE(posix::readLineSettings(pty.slave, dcb));
        dcb.BaudRate = c.baud;
        dcb.ByteSize = 8;
        dcb.fParity = 0;
        dcb.Parity = NOPARITY;
        dcb.StopBits = c.stopBits;
        ASSERT_EQ(posix::writeLineSettings(pty.slave, dcb), static_cast<DWORD>(ERROR_SUCCESS));
        EXPECT_EQ(sink.lineRate(), c.bytesPerSecond);
    }
    termios hungUp{};
    ASSERT_EQ(::tcgetattr(pty.slave, &hungUp), 0);
    cfsetospeed(&hungUp, B0);
    ASSERT_EQ(::tcsetattr(pty.slave, TCSANOW, &hungUp), 0);
    EXPECT_EQ(sink.lineRate(), 0u) << "speed 0: nothing to pace by";
}

}  // namespace
