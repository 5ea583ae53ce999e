// The serial engine of the Windows build under Wine, through the real Win32 calls, with a
// pty as its COM port and this test as the far end. The Windows side is
// korvane_win_serial_check (tests/win32/serialCheck.cpp); it checks what it receives,
// this side checks what it sends. Each case has its own COM number so ctest can run
// them side by side.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/ptyPeer.h"
#include "tests/win32/streamPattern.h"
#include "tests/wine/wineChild.h"

namespace {

const std::string serialCheck = std::string(KORVANE_WIN_TESTS_DIR) + "/korvane_win_serial_check.exe";
constexpr auto peerDeadline = std::chrono::seconds(120);

std::vector<std::uint8_t> stream(std::size_t count, std::size_t from = 0) {
    std::vector<std::uint8_t> bytes(count);
    for (std::size_t i = 0; i < count; ++i) bytes[i] = streamByte(from + i);
    return bytes;
}

// Writes all of bytes to the peer's master unless the deadline passes first (the Windows
// side may have stopped reading: it failed or crashed).
bool sendAll(PtyPeer& peer, const std::vector<std::uint8_t>& bytes) {
    const auto end = std::chrono::steady_clock::now() + peerDeadline;
    // Non-blocking: a pty write blocks until all of it fits, which never happens once the
    // Windows side has stopped reading.
    ::fcntl(peer.masterFd(), F_SETFL, ::fcntl(peer.masterFd(), F_GETFL) | O_NONBLOCK);
    std::size_t done = 0;
    while (done < bytes.size() && std::chrono::steady_clock::now() < end) {
        pollfd p{peer.masterFd(), POLLOUT, 0};
        if (::poll(&p, 1, 100) <= 0) continue;
        const ssize_t n = ::write(peer.masterFd(), bytes.data() + done, std::min<std::size_t>(4096, bytes.size() - done));
        if (n > 0) done += static_cast<std::size_t>(n);
        else if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
    }
    return done == bytes.size();
}

std::string text(const std::vector<std::uint8_t>& bytes) { return {bytes.begin(), bytes.end()}; }

// The first position where got differs from the stream, or got's size when it is a prefix.
std::size_t firstDifference(const std::vector<std::uint8_t>& got) {
    std::size_t i = 0;
    while (i < got.size() && got[i] == streamByte(i)) ++i;
    return i;
}

// The far end of COMn. This side also holds the pty's slave open (never reading it), so the
// master does not read as hung up before Wine opens the port or between its openings.
class Peer : public PtyPeer {
public:
    explicit Peer(int portNumber)
        : PtyPeer(portNumber), slave_(::open(slavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC)) {}
    ~Peer() { ::close(slave_); }

private:
    int slave_;
};

class WineEngine : public ::testing::Test {
protected:
    // The Windows side on COMn = the peer, with its mode and amount.
    WineChild start(PtyPeer& peer, const char* mode, std::size_t amount) {
        return WineChild({serialCheck, mode, std::to_string(peer.portNumber()), std::to_string(amount)},
                         {.comPorts = {{peer.portNumber(), peer.slavePath()}}});
    }
    bool peerSawReady(PtyPeer& peer) { return text(peer.receive(readyLength, peerDeadline)) == readyLine; }
};

TEST_F(WineEngine, ReceivesAMebibyteWholeAndInOrder) {
    Peer peer(10);
    constexpr std::size_t count = 1 << 20;
    WineChild child = start(peer, "receive", count);
    ASSERT_TRUE(peerSawReady(peer)) << child.output();
    // Block by block, each but the last answered once the Windows side has taken it from the
    // queue; its output tells whether it took the last.
    const std::vector<std::uint8_t> bytes = stream(count);
    for (std::size_t at = 0; at < count; at += receiveBlock) {
        const std::size_t end = std::min(count, at + receiveBlock);
        ASSERT_TRUE(sendAll(peer, {bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.begin() + static_cast<std::ptrdiff_t>(end)}))
            << child.output();
        if (end == count) break;
        ASSERT_EQ(peer.receive(1, peerDeadline), std::vector<std::uint8_t>{blockAck}) << "after byte " << end << "\n"
                                                                                   << child.output();
    }
    EXPECT_EQ(child.wait(), 0) << child.output();
    EXPECT_NE(child.output().find("received 1048576 of 1048576 bytes, overflow 0"), std::string::npos)
        << child.output();
}

TEST_F(WineEngine, SendsHalfAMebibyteOfOverlappedWritesInOrder) {
    Peer peer(11);
    constexpr std::size_t count = 512 << 10;
    WineChild child = start(peer, "send", count);
    const std::vector<std::uint8_t> got = peer.receive(count, peerDeadline);
    peer.send("A");
    EXPECT_EQ(got.size(), count);
    EXPECT_EQ(firstDifference(got), got.size());
    EXPECT_EQ(child.wait(), 0) << child.output();
}

// Each opening must receive and send again: the peer answers every "open i" line.
TEST_F(WineEngine, OpensAndClosesFiftyTimes) {
    Peer peer(12);
    constexpr int times = 50;
    WineChild child = start(peer, "openclose", times);
    for (int i = 0; i < times; ++i) {
        const std::string line = "open " + std::to_string(i) + "\n";
        ASSERT_EQ(text(peer.receive(line.size(), peerDeadline)), line) << child.output();
        peer.send("A");
    }
    EXPECT_EQ(child.wait(), 0) << child.output();
}

// A pulled adapter: the pty goes, with the link that names it, and a new one comes back
// under the same name once the Windows side has told the loss and failed to open it again.
TEST_F(WineEngine, APulledPortIsToldAndOpensAgainByTrying) {
    PtyPeer peer(15);
    const std::string link = std::string(std::getenv("XDG_RUNTIME_DIR")) + "/korvane/ports/com15";
    int slave = ::open(peer.slavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);  // held, as Peer does
    constexpr int times = 3;
    WineChild child({serialCheck, "lost", "15", std::to_string(times)}, {.comPorts = {{15, link}}});
    for (int i = 0; i < times; ++i) {
        const std::string line = "open " + std::to_string(i) + "\n";
        ASSERT_EQ(text(peer.receive(line.size(), peerDeadline)), line) << child.output();
        ::close(slave);
        peer.pull();
        ASSERT_TRUE(child.waitForOutput("lost " + std::to_string(i))) << child.output();
        if (i + 1 == times) break;
        ASSERT_TRUE(child.waitForOutput("waiting " + std::to_string(i + 1))) << child.output();
        peer.plugIn();
        slave = ::open(peer.slavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    }
    ::close(slave);
    EXPECT_EQ(child.wait(), 0) << child.output();
    std::printf("%s", child.output().c_str());
}

// Writes the stream to the peer's master without end until stopped, never blocking long,
// so the port is closed again and again while bytes arrive.
class Streamer {
public:
    explicit Streamer(int master) : thread_([this, master] {
        ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);  // a stop is never stuck in a write
        run(master);
    }) {}
    ~Streamer() {
        stop_ = true;
        thread_.join();
    }

private:
    void run(int master) {
        const std::vector<std::uint8_t> bytes = stream(4096);
        while (!stop_) {
            pollfd p{master, POLLOUT, 0};
            if (::poll(&p, 1, 10) <= 0) continue;
            if (::write(master, bytes.data(), bytes.size()) < 0 && errno != EAGAIN && errno != EINTR && errno != EIO)
                return;
        }
    }
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// A monitor thread stopped with its event wait pending must not leave the system writing
// into memory that is gone: a crash shows as a non-zero exit code.
TEST_F(WineEngine, ClosesWhileBytesStreamIn) {
    Peer peer(13);
    Streamer streamer(peer.masterFd());
    const auto [code, output] =
        runWine({serialCheck, "closestream", "13", "400"}, {.comPorts = {{13, peer.slavePath()}}});
    EXPECT_EQ(code, 0) << output;
    EXPECT_NE(output.find("closed 400 times while receiving"), std::string::npos) << output;
}

// At 4800 baud the port's write time-out (1 ms a byte + 1 s) is shorter than the write.
// A pty does not pace by baud rate, so the peer holds the write with XOFF until the
// Windows side has seen the time-out pass, then lets it go: every byte must arrive.
TEST_F(WineEngine, LongWriteAtLowRateIsNotCutByItsTimeout) {
    Peer peer(14);
    constexpr std::size_t count = 2000;
    WineChild child = start(peer, "lowrate", count);
    ASSERT_TRUE(peerSawReady(peer)) << child.output();
    peer.send(std::vector<std::uint8_t>{xoffChar, 'G'});
    ASSERT_TRUE(child.waitForOutput("HELD")) << child.output();
    EXPECT_EQ(child.output().find("HELD resumed 0"), std::string::npos) << "the write never reached its time-out";
    peer.send(std::vector<std::uint8_t>{xonChar});
    const std::vector<std::uint8_t> got = peer.receive(count, peerDeadline);
    peer.send("A");
    EXPECT_EQ(got.size(), count);
    EXPECT_EQ(firstDifference(got), got.size());
    EXPECT_EQ(child.wait(), 0) << child.output();
}

}  // namespace
