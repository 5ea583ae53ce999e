// The Linux serial operations over real pseudo-terminals.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <numeric>
#include <thread>
#include <vector>

#include "platform/osApi.h"
#include "platform/posix/event.h"
#include "platform/posix/port.h"
#include "platform/posix/thread.h"
#include "tests/support/ptyPeer.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

HANDLE openPort(const std::string& path) {
    return os::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_FLAG_OVERLAPPED | FILE_ATTRIBUTE_NORMAL, nullptr);
}

DWORD queued(HANDLE port) {
    DWORD errors = 0;
    COMSTAT status{};
    return os::ClearCommError(port, &errors, &status) ? status.cbInQue : 0;
}

// An open port on a fresh pty, with one overlapped record and event, closed at the end.
class PortTest : public ::testing::Test {
protected:
    PtyPeer peer;
    HANDLE port = INVALID_HANDLE_VALUE;
    OVERLAPPED record{};

    void SetUp() override {
        port = openPort(peer.comPath());
        ASSERT_NE(port, INVALID_HANDLE_VALUE) << "error " << os::GetLastError();
        record.hEvent = os::CreateEventA(nullptr, TRUE, FALSE, nullptr);
        ASSERT_NE(record.hEvent, nullptr);
    }
    void TearDown() override {
        if (port != INVALID_HANDLE_VALUE) os::CloseHandle(port);
        os::CloseHandle(record.hEvent);
    }
};

TEST(PosixPortOpen, AbsentPortFailsWithNotFound) {
    PtyPeer peer(202);
    EXPECT_EQ(openPort("\\\\.\\COM203"), INVALID_HANDLE_VALUE);  // no link, beyond the fixed rule
    EXPECT_EQ(os::GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(openPort("\\\\.\\COM0"), INVALID_HANDLE_VALUE);
}

TEST(PosixPortOpen, PortIsExclusiveUntilClosed) {
    PtyPeer peer;
    const HANDLE first = openPort(peer.comPath());
    ASSERT_NE(first, INVALID_HANDLE_VALUE);
    EXPECT_EQ(openPort(peer.comPath()), INVALID_HANDLE_VALUE);
    EXPECT_EQ(os::GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(openPort(peer.slavePath()), INVALID_HANDLE_VALUE) << "the device path is the same port";
    ASSERT_TRUE(os::CloseHandle(first));
    const HANDLE again = openPort(peer.comPath());
    EXPECT_NE(again, INVALID_HANDLE_VALUE);
    os::CloseHandle(again);
}

TEST(PosixPortOpen, FailedThreadStartFailsTheOpenAndReleasesThePort) {
    PtyPeer peer;
    posix::failThreadStarts(1);
    const HANDLE port = openPort(peer.comPath());
    const DWORD error = os::GetLastError();
    posix::failThreadStarts(0);
    EXPECT_EQ(port, INVALID_HANDLE_VALUE);
    EXPECT_EQ(error, ERROR_NOT_ENOUGH_MEMORY);
    const HANDLE again = openPort(peer.comPath());
    EXPECT_NE(again, INVALID_HANDLE_VALUE) << "the failed open still holds the port: " << os::GetLastError();
    os::CloseHandle(port);
    os::CloseHandle(again);
}

// A device whose mode keeps the user out is told apart from a busy one (ERROR_ACCESS_DENIED,
// above), so the window can say what to do. Root passes any mode: then a child that has
// given up root tries.
TEST(PosixPortOpen, ADeviceTheUserMayNotOpenFailsWithNoPrivilege) {
    PtyPeer peer;
    ASSERT_EQ(chmod(peer.slavePath().c_str(), 0), 0);
    auto refusal = [&] {  // the device itself: nobody may not enter the virtual-port folder
        const HANDLE port = openPort(peer.slavePath());
        const DWORD error = os::GetLastError();
        if (port != INVALID_HANDLE_VALUE) os::CloseHandle(port);
        return port == INVALID_HANDLE_VALUE ? error : ERROR_SUCCESS;
    };
    if (geteuid() != 0) {
        EXPECT_EQ(refusal(), ERROR_PRIVILEGE_NOT_HELD);
        return;
    }
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const bool asNobody = setgid(65534) == 0 && setuid(65534) == 0;
        _exit(!asNobody ? 2 : refusal() == ERROR_PRIVILEGE_NOT_HELD ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_NE(WEXITSTATUS(status), 2) << "the child could not become nobody";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the open did not fail with ERROR_PRIVILEGE_NOT_HELD";
}

// Root gets past the kernel's check; the open must still respect the other holder.
TEST(PosixPortOpen, AnotherProgramsExclusiveHoldIsRespected) {
    PtyPeer peer;
    const int other = ::open(peer.slavePath().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(other, 0);
    ASSERT_EQ(ioctl(other, TIOCEXCL), 0);
    const HANDLE port = openPort(peer.comPath());
    const DWORD error = os::GetLastError();
    os::CloseHandle(port);
    EXPECT_EQ(port, INVALID_HANDLE_VALUE);
    EXPECT_EQ(error, ERROR_ACCESS_DENIED);
    int held = 0;
    EXPECT_EQ(ioctl(other, TIOCGEXCL, &held), 0);
    EXPECT_EQ(held, 1) << "the other program's hold was cleared";
    ::close(other);
}

// An open refused after the port took the exclusive flag (here: no descriptor left for its
// wake event) gives the device back as it found it.
TEST(PosixPortOpen, OpenRefusedLateLeavesTheDeviceAsItWas) {
    PtyPeer peer;
    const int other = ::open(peer.slavePath().c_str(), O_RDWR | O_NOCTTY);  // keeps the pty alive
    ASSERT_GE(other, 0);
    termios before{};
    ASSERT_EQ(tcgetattr(other, &before), 0);
    before.c_lflag |= ICANON | ECHO;  // cooked: the port would make it raw
    ASSERT_EQ(tcsetattr(other, TCSANOW, &before), 0);

    posix::failEventCreations(1);
    DWORD error = 0;
    const std::shared_ptr<posix::Port> port = posix::Port::open(peer.slavePath(), error);
    posix::failEventCreations(0);

    EXPECT_EQ(port, nullptr);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
    int held = 1;
    EXPECT_EQ(ioctl(other, TIOCGEXCL, &held), 0);
    EXPECT_EQ(held, 0) << "the exclusive flag was left behind";
    termios after{};
    ASSERT_EQ(tcgetattr(other, &after), 0);
    EXPECT_EQ(after.c_lflag, before.c_lflag) << "the settings were not put back";
    ::close(other);
}

TEST(PosixPortOpen, ClosedHandleIsInvalid) {
    PtyPeer peer;
    const HANDLE port = openPort(peer.comPath());
    ASSERT_TRUE(os::CloseHandle(port));
    EXPECT_FALSE(os::PurgeComm(port, PURGE_RXCLEAR));
    EXPECT_EQ(os::GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(os::CloseHandle(port));
}

TEST_F(PortTest, PseudoTerminalKeepsOnlyEightBitsWithoutParity) {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    ASSERT_TRUE(os::GetCommState(port, &dcb));
    dcb.BaudRate = 230400;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    EXPECT_TRUE(os::SetCommState(port, &dcb));
    DCB read{};
    ASSERT_TRUE(os::GetCommState(port, &read));
    EXPECT_EQ(read.BaudRate, 230400u);
    EXPECT_EQ(read.ByteSize, 8);
    EXPECT_EQ(read.Parity, NOPARITY);
    EXPECT_EQ(read.StopBits, ONESTOPBIT);

    dcb.BaudRate = 250000;  // not a standard rate
    EXPECT_TRUE(os::SetCommState(port, &dcb));
    ASSERT_TRUE(os::GetCommState(port, &read));
    EXPECT_EQ(read.BaudRate, 250000u);

    DCB seven = dcb;
    seven.ByteSize = 7;
    EXPECT_FALSE(os::SetCommState(port, &seven)) << "the pty turns 7 data bits into 8";
    DCB even = dcb;
    even.Parity = EVENPARITY;
    EXPECT_FALSE(os::SetCommState(port, &even));
    DCB oneAndAHalf = dcb;
    oneAndAHalf.StopBits = ONE5STOPBITS;
    EXPECT_FALSE(os::SetCommState(port, &oneAndAHalf));
    EXPECT_EQ(os::GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(PortTest, ArrivingBytesCompleteTheEventWaitAndAreRead) {
    ASSERT_TRUE(os::SetCommMask(port, EV_RXCHAR | EV_TXEMPTY));
    DWORD word = 0;
    ASSERT_FALSE(os::WaitCommEvent(port, &word, &record));
    ASSERT_EQ(os::GetLastError(), ERROR_IO_PENDING);
    peer.send("hello");
    DWORD n = 0;
    ASSERT_TRUE(os::GetOverlappedResult(port, &record, &n, TRUE));
    EXPECT_EQ(word, EV_RXCHAR);
    ASSERT_TRUE(eventually([&] { return queued(port) == 5; }));
    char text[8] = {};
    DWORD got = 0;
    EXPECT_TRUE(os::ReadFile(port, text, 5, &got, &record));
    EXPECT_EQ(got, 5u);
    EXPECT_STREQ(text, "hello");
    EXPECT_EQ(queued(port), 0u);
}

TEST_F(PortTest, EventsSeenWithoutAWaitAreReportedByTheNextWait) {
    ASSERT_TRUE(os::SetCommMask(port, EV_RXCHAR));
    peer.send("x");
    ASSERT_TRUE(eventually([&] { return queued(port) == 1; }));
    DWORD word = 0;
    EXPECT_TRUE(os::WaitCommEvent(port, &word, &record));
    EXPECT_EQ(word, EV_RXCHAR);
    // Nothing new has come: the next wait pends even though a byte is still queued.
    EXPECT_FALSE(os::WaitCommEvent(port, &word, &record));
    EXPECT_EQ(os::GetLastError(), ERROR_IO_PENDING);
    EXPECT_TRUE(os::SetCommMask(port, 0));
}

TEST_F(PortTest, BytesQueuedBeforeTheMaskAreReportedByTheFirstWait) {
    peer.send("early");
    ASSERT_TRUE(eventually([&] { return queued(port) == 5; }));
    ASSERT_TRUE(os::SetCommMask(port, 0x1FD));
    DWORD word = 0;
    EXPECT_TRUE(os::WaitCommEvent(port, &word, &record));
    EXPECT_EQ(word, EV_RXCHAR);
    EXPECT_TRUE(os::SetCommMask(port, 0));
}

TEST_F(PortTest, MaskZeroEndsAPendingWaitWithWordZero) {
    ASSERT_TRUE(os::SetCommMask(port, 0x1FD));
    DWORD word = 0xDEAD;
    ASSERT_FALSE(os::WaitCommEvent(port, &word, &record));
    ASSERT_TRUE(os::SetCommMask(port, 0));
    DWORD n = 0;
    EXPECT_TRUE(os::GetOverlappedResult(port, &record, &n, TRUE));
    EXPECT_EQ(word, 0u);
}

TEST_F(PortTest, SettingTheRecordsEventReleasesAResultWait) {
    ASSERT_TRUE(os::SetCommMask(port, EV_RXCHAR));
    DWORD word = 0;
    ASSERT_FALSE(os::WaitCommEvent(port, &word, &record));
    std::thread stopper([&] { os::SetEvent(record.hEvent); });
    DWORD n = 0;
    EXPECT_FALSE(os::GetOverlappedResult(port, &record, &n, TRUE));
    EXPECT_EQ(os::GetLastError(), ERROR_IO_INCOMPLETE);
    stopper.join();
    EXPECT_TRUE(os::SetCommMask(port, 0));
}

TEST_F(PortTest, ReadWaitsForMissingBytesUntilTheyComeOrTheTimeOut) {
    COMMTIMEOUTS timeouts{0, 0, 30000, 0, 0};
    ASSERT_TRUE(os::SetCommTimeouts(port, &timeouts));
    char text[8] = {};
    DWORD got = 0;
    ASSERT_FALSE(os::ReadFile(port, text, 6, &got, &record));
    ASSERT_EQ(os::GetLastError(), ERROR_IO_PENDING);
    peer.send("abc");
    peer.send("def");
    ASSERT_TRUE(os::GetOverlappedResult(port, &record, &got, TRUE));
    EXPECT_EQ(got, 6u);
    EXPECT_STREQ(text, "abcdef");

    timeouts = {0, 0, 20, 0, 0};  // nothing comes: the read ends after 20 ms with 0 bytes
    ASSERT_TRUE(os::SetCommTimeouts(port, &timeouts));
    ASSERT_FALSE(os::ReadFile(port, text, 4, &got, &record));
    EXPECT_TRUE(os::GetOverlappedResult(port, &record, &got, TRUE));
    EXPECT_EQ(got, 0u);
}

TEST_F(PortTest, PurgeAbandonsAPendingReadAndEmptiesTheInputQueue) {
    peer.send("12345");
    ASSERT_TRUE(eventually([&] { return queued(port) == 5; }));
    ASSERT_TRUE(os::PurgeComm(port, PURGE_RXCLEAR));
    EXPECT_EQ(queued(port), 0u);

    char text[4];
    DWORD got = 0;
    ASSERT_FALSE(os::ReadFile(port, text, 4, &got, &record));
    ASSERT_TRUE(os::PurgeComm(port, PURGE_RXABORT));
    EXPECT_FALSE(os::GetOverlappedResult(port, &record, &got, TRUE));
    EXPECT_EQ(os::GetLastError(), ERROR_OPERATION_ABORTED);
    EXPECT_FALSE(os::PurgeComm(port, 0x10));
}

TEST_F(PortTest, WritesTakeTheirBytesOverAndArriveInOrder) {
    Bytes expected;
    for (int i = 0; i < 300; ++i) {
        Bytes chunk(1 + i % 97);
        std::iota(chunk.begin(), chunk.end(), static_cast<std::uint8_t>(i));
        expected.insert(expected.end(), chunk.begin(), chunk.end());
        DWORD written = 0;
        const BOOL done = os::WriteFile(port, chunk.data(), static_cast<DWORD>(chunk.size()), &written, &record);
        EXPECT_TRUE(done || os::GetLastError() == ERROR_IO_PENDING);
        std::fill(chunk.begin(), chunk.end(), 0xEE);  // the caller may reuse its buffer at once
    }
    EXPECT_EQ(peer.receive(expected.size()), expected);
}

TEST_F(PortTest, WriteQueueIsBoundedAndDrainEndsInTxEmpty) {
    ASSERT_TRUE(os::SetCommMask(port, EV_TXEMPTY));
    // Nobody reads the far end, so the pty fills and the rest waits in the queue.
    const Bytes block(64 * 1024, 0x55);
    DWORD written = 0;
    std::size_t accepted = 0;
    for (int i = 0; i < 40; ++i) {
        if (!os::WriteFile(port, block.data(), static_cast<DWORD>(block.size()), &written, &record) &&
            os::GetLastError() == ERROR_NOT_ENOUGH_QUOTA)
            break;
        accepted += block.size();
    }
    EXPECT_LT(accepted, 40 * block.size()) << "the queue never filled";
    EXPECT_GE(accepted, 1024u * 1024u);
    DWORD errors = 0;
    COMSTAT status{};
    ASSERT_TRUE(os::ClearCommError(port, &errors, &status));
    EXPECT_GT(status.cbOutQue, 0u);

    // Once the far end reads everything, the wait reports the drain.
    DWORD word = 0;
    OVERLAPPED waitRecord{};
    waitRecord.hEvent = os::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    const BOOL already = os::WaitCommEvent(port, &word, &waitRecord);
    EXPECT_EQ(peer.receive(accepted).size(), accepted);
    DWORD n = 0;
    if (!already) {
        EXPECT_TRUE(os::GetOverlappedResult(port, &waitRecord, &n, TRUE));
    }
    EXPECT_EQ(word, EV_TXEMPTY);
    os::CloseHandle(waitRecord.hEvent);
}

TEST_F(PortTest, OneWriteBeyondTheQueueBoundIsTakenOnAnIdlePort) {
    Bytes block(posix::Port::writeQueueLimit + 1);
    std::iota(block.begin(), block.end(), std::uint8_t{0});
    DWORD written = 0;
    const BOOL done = os::WriteFile(port, block.data(), static_cast<DWORD>(block.size()), &written, &record);
    ASSERT_TRUE(done || os::GetLastError() == ERROR_IO_PENDING) << "error " << os::GetLastError();
    const Bytes arrived = peer.receive(block.size());
    EXPECT_EQ(arrived.size(), block.size());
    EXPECT_TRUE(arrived == block);
    ASSERT_TRUE(os::GetOverlappedResult(port, &record, &written, TRUE));
    EXPECT_EQ(written, block.size());
}

TEST_F(PortTest, FailedSettingsLeaveThePortAsItWas) {
    DCB dcb{};
    ASSERT_TRUE(os::GetCommState(port, &dcb));
    dcb.BaudRate = 230400;
    dcb.ByteSize = 8;
    ASSERT_TRUE(os::SetCommState(port, &dcb));
    DCB seven = dcb;
    seven.BaudRate = 9600;
    seven.ByteSize = 7;
    ASSERT_FALSE(os::SetCommState(port, &seven));
    DCB read{};
    ASSERT_TRUE(os::GetCommState(port, &read));
    EXPECT_EQ(read.BaudRate, 230400u) << "the rate of the refused settings stayed";
}

TEST(PosixPortOpen, ClosingPutsTheTerminalSettingsBack) {
    PtyPeer peer;
    const int slave = ::open(peer.slavePath().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(slave, 0);
    termios cooked{};
    tcgetattr(slave, &cooked);
    cooked.c_lflag |= ICANON | ECHO;
    cooked.c_oflag |= OPOST;
    tcsetattr(slave, TCSANOW, &cooked);
    // Opened without overlapping, as the port list's open check does.
    const HANDLE port = os::CreateFileA(peer.comPath().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                        OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(port, INVALID_HANDLE_VALUE);
    termios during{};
    tcgetattr(slave, &during);
    EXPECT_FALSE(during.c_lflag & ICANON) << "raw while open";
    os::CloseHandle(port);
    termios after{};
    tcgetattr(slave, &after);
    ::close(slave);
    EXPECT_TRUE(after.c_lflag & ICANON);
    EXPECT_TRUE(after.c_lflag & ECHO);
    EXPECT_TRUE(after.c_oflag & OPOST);
}

TEST_F(PortTest, ReadAfterTheDeviceWentFailsAtOnce) {
    peer.closeMaster();
    char text[4];
    DWORD got = 0;
    EXPECT_FALSE(os::ReadFile(port, text, 4, &got, &record));
    EXPECT_EQ(os::GetLastError(), ERROR_ACCESS_DENIED) << "not left pending on a dead port";
}

TEST_F(PortTest, HugeTotalTimeOutMeansNoTimeOut) {
    COMMTIMEOUTS timeouts{0, 0xFFFFFFFF, 0, 0, 0};
    ASSERT_TRUE(os::SetCommTimeouts(port, &timeouts));
    static char text[4096];
    DWORD got = 0;
    ASSERT_FALSE(os::ReadFile(port, text, sizeof text, &got, &record));
    peer.send("x");
    ASSERT_TRUE(eventually([&] { return queued(port) == 0 && record.InternalHigh == 1; }));
    ASSERT_TRUE(os::PurgeComm(port, PURGE_RXABORT));
    EXPECT_FALSE(os::GetOverlappedResult(port, &record, &got, TRUE)) << "the read had ended on its own";
    EXPECT_EQ(os::GetLastError(), ERROR_OPERATION_ABORTED);
    EXPECT_EQ(got, 1u);
}

TEST_F(PortTest, CallsWithoutARecordEachWaitForTheirOwnEnd) {
    COMMTIMEOUTS timeouts{0, 0, 0, 0, 0};  // a read waits for all its bytes
    ASSERT_TRUE(os::SetCommTimeouts(port, &timeouts));
    ASSERT_TRUE(os::SetCommMask(port, EV_RXCHAR));
    char text[5] = {};
    BOOL readDone = FALSE;
    std::thread reader([&] {
        DWORD got = 0;
        readDone = os::ReadFile(port, text, 4, &got, nullptr);
    });
    std::thread waiter([&] {
        DWORD word = 0;
        os::WaitCommEvent(port, &word, nullptr);
    });
    peer.send("a");
    waiter.join();  // its end must not end the read, which still lacks three bytes
    peer.send("bcd");
    reader.join();
    EXPECT_TRUE(readDone);
    EXPECT_STREQ(text, "abcd");
}

// A call without a record waits on an event of its own; when no event can be made,
// nothing could wake it, so the call is refused at once, with the bytes it moved.
TEST_F(PortTest, CallWithoutARecordIsRefusedWhenItsEventCannotBeMade) {
    COMMTIMEOUTS timeouts{0, 0, 200, 0, 0};  // a read would wait 200 ms for its bytes
    ASSERT_TRUE(os::SetCommTimeouts(port, &timeouts));
    ASSERT_TRUE(os::SetCommMask(port, EV_RXCHAR));
    const Bytes block(256 * 1024, 0x5A);  // more than the pty holds: the rest would wait
    struct Case {
        const char* what;
        std::function<BOOL(DWORD&)> call;
    };
    char text[8] = {};
    DWORD word = 0;
    const Case cases[] = {
        {"read", [&](DWORD& moved) { return os::ReadFile(port, text, sizeof text, &moved, nullptr); }},
        {"wait", [&](DWORD&) { return os::WaitCommEvent(port, &word, nullptr); }},
        {"write",
         [&](DWORD& moved) {
             return os::WriteFile(port, block.data(), static_cast<DWORD>(block.size()), &moved, nullptr);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DWORD moved = 0;
        posix::failEventCreations(1);
        const BOOL done = c.call(moved);
        const DWORD error = os::GetLastError();
        posix::failEventCreations(0);
        EXPECT_FALSE(done);
        EXPECT_EQ(error, ERROR_TOO_MANY_OPEN_FILES);
        EXPECT_EQ(peer.receive(moved).size(), moved);
        EXPECT_TRUE(peer.receiveAvailable().empty()) << "more bytes left than were reported";
    }
    peer.send("ok");  // the port still works
    DWORD got = 0;
    EXPECT_TRUE(os::ReadFile(port, text, 2, &got, nullptr));
    EXPECT_EQ(std::string(text, got), "ok");
}

// A write ended by a purge reports every byte it moved, those the call wrote itself too.
TEST_F(PortTest, AbortedWriteReportsTheBytesThatLeft) {
    const Bytes block(256 * 1024, 0xA5);
    DWORD written = 0;
    ASSERT_FALSE(os::WriteFile(port, block.data(), static_cast<DWORD>(block.size()), &written, &record));
    ASSERT_EQ(os::GetLastError(), ERROR_IO_PENDING);
    ASSERT_TRUE(os::PurgeComm(port, PURGE_TXABORT));  // the bytes already in the pty stay
    EXPECT_FALSE(os::GetOverlappedResult(port, &record, &written, TRUE));
    EXPECT_EQ(os::GetLastError(), ERROR_OPERATION_ABORTED);
    EXPECT_GT(written, 0u);
    EXPECT_EQ(peer.receive(written).size(), written);
    EXPECT_TRUE(peer.receiveAvailable().empty()) << "more bytes left than were reported";
}

TEST_F(PortTest, PseudoTerminalHasNoModemLines) {
    DWORD status = 0;
    EXPECT_FALSE(os::GetCommModemStatus(port, &status));
}

TEST_F(PortTest, PulledDeviceFailsCleanlyAndStillCloses) {
    ASSERT_TRUE(os::SetCommMask(port, EV_RXCHAR));
    DWORD word = 0;
    ASSERT_FALSE(os::WaitCommEvent(port, &word, &record));
    peer.closeMaster();
    DWORD n = 0;
    EXPECT_FALSE(os::GetOverlappedResult(port, &record, &n, TRUE));
    EXPECT_EQ(os::GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_FALSE(os::WaitCommEvent(port, &word, &record));
    EXPECT_EQ(os::GetLastError(), ERROR_ACCESS_DENIED);
    DWORD errors = 0;
    EXPECT_FALSE(os::ClearCommError(port, &errors, nullptr));
    EXPECT_FALSE(os::WriteFile(port, "x", 1, &n, &record));
    EXPECT_TRUE(os::CloseHandle(port));
    port = INVALID_HANDLE_VALUE;
}

TEST(PosixEvents, ManualResetEventsAndWaits) {
    const HANDLE event = os::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(os::WaitForSingleObject(event, 0), WAIT_TIMEOUT);
    EXPECT_EQ(os::WaitForSingleObject(event, 10), WAIT_TIMEOUT);
    ASSERT_TRUE(os::SetEvent(event));
    ASSERT_TRUE(os::SetEvent(event));
    EXPECT_EQ(os::WaitForSingleObject(event, 0), WAIT_OBJECT_0);
    EXPECT_EQ(os::WaitForSingleObject(event, INFINITE), WAIT_OBJECT_0) << "manual reset: stays set";
    ASSERT_TRUE(os::ResetEvent(event));
    EXPECT_EQ(os::WaitForSingleObject(event, 0), WAIT_TIMEOUT);
    ASSERT_TRUE(os::CloseHandle(event));
    EXPECT_EQ(os::WaitForSingleObject(event, 0), WAIT_FAILED);
}

TEST(PosixThreads, ThreadHandleSignalsItsEnd) {
    static HANDLE release;
    release = os::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    const HANDLE thread = os::BeginThread(
        [](void*) -> unsigned {
            os::WaitForSingleObject(release, INFINITE);
            return 7;
        },
        nullptr);
    ASSERT_NE(thread, nullptr);
    os::SetThreadPriority(thread, THREAD_PRIORITY_ABOVE_NORMAL);
    EXPECT_EQ(os::WaitForSingleObject(thread, 10), WAIT_TIMEOUT);
    EXPECT_FALSE(os::TerminateThread(thread, 0)) << "a running thread cannot be ended by force here";
    os::SetEvent(release);
    EXPECT_EQ(os::WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
    EXPECT_TRUE(os::TerminateThread(thread, 0));
    EXPECT_TRUE(os::CloseHandle(thread));
    os::CloseHandle(release);
}

}  // namespace
