// The serial port object and its monitor thread over real pseudo-terminals.
#include "serial/xbeeComm.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <numeric>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/ptyPeer.h"
#include "tests/support/scopedOsApi.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// What the receive callback was handed, chunk by chunk.
struct Received {
    std::mutex mutex;
    std::vector<Bytes> chunks;

    void clear() {
        std::lock_guard lock(mutex);
        chunks.clear();
    }
    std::vector<Bytes> snapshot() {
        std::lock_guard lock(mutex);
        return chunks;
    }
    std::size_t bytes() {
        std::lock_guard lock(mutex);
        std::size_t n = 0;
        for (const Bytes& c : chunks) n += c.size();
        return n;
    }
};
Received received;

std::int32_t recordChunk(const std::uint8_t* bytes, std::uint32_t count) {
    std::lock_guard lock(received.mutex);
    received.chunks.emplace_back(bytes, bytes + count);
    return static_cast<std::int32_t>(count);
}

Bytes counting(std::size_t n) {
    Bytes bytes(n);
    std::iota(bytes.begin(), bytes.end(), std::uint8_t{1});
    return bytes;
}

DWORD queuedIn(HANDLE port) {
    DWORD errors = 0;
    COMSTAT status{};
    return os::ClearCommError(port, &errors, &status) ? status.cbInQue : 0;
}

void setPath(xbeeComm& comm, const PtyPeer& peer) {
    comm.portNumber = peer.portNumber();
    std::snprintf(comm.devicePath, sizeof comm.devicePath, "\\\\.\\COM%d", peer.portNumber());
}

// The highest count of queued bytes the monitor thread had taken when it went back to its
// event wait: once it reaches n, the receive step for n bytes is over, whatever it did.
std::atomic<DWORD> lastCount, countBeforeWait;
void watchReceiveSteps(ScopedOsApi& api) {
    lastCount = 0;
    countBeforeWait = 0;
    api->ClearCommError = [](HANDLE port, LPDWORD errors, LPCOMSTAT status) -> BOOL {
        const BOOL ok = platformOsApi().ClearCommError(port, errors, status);
        if (ok && status != nullptr) lastCount = status->cbInQue;
        return ok;
    };
    api->WaitCommEvent = [](HANDLE port, LPDWORD word, LPOVERLAPPED record) -> BOOL {
        if (lastCount > countBeforeWait) countBeforeWait = lastCount.load();
        return platformOsApi().WaitCommEvent(port, word, record);
    };
}

// Counts of calls the tests watch, through the operations table.
std::atomic<int> terminateCalls;
std::atomic<int> messageBoxes;
std::atomic<int> posts;
std::string lastBoxText, lastBoxCaption;

class XbeeCommTest : public ::testing::Test {
protected:
    PtyPeer peer;
    ScopedOsApi api;
    xbeeCallbackComm comm;

    void SetUp() override {
        received.clear();
        terminateCalls = 0;
        messageBoxes = 0;
        posts = 0;
        api->TerminateThread = [](HANDLE thread, DWORD code) -> BOOL {
            ++terminateCalls;
            return platformOsApi().TerminateThread(thread, code);
        };
        api->MessageBoxA = [](HWND, LPCSTR text, LPCSTR caption, UINT) -> int {
            lastBoxText = text;
            lastBoxCaption = caption;
            ++messageBoxes;
            return IDOK;
        };
        api->PostMessageA = [](HWND, UINT, WPARAM, LPARAM) -> BOOL {
            ++posts;
            return TRUE;
        };
        comm.rxCallback = recordChunk;
        setPath(comm, peer);
    }
    void TearDown() override { comm.closePort(); }

    void open() {
        ASSERT_TRUE(comm.openPort());
        ASSERT_TRUE(comm.setupPort());
    }
};

TEST(XbeeCommState, ConstructedClosedWithItsDefaults) {
    xbeeCallbackComm comm;
    EXPECT_EQ(comm.handle, INVALID_HANDLE_VALUE);
    EXPECT_EQ(comm.portNumber, 0);
    EXPECT_EQ(comm.threadHandle, nullptr);
    EXPECT_EQ(comm.ownerWindow, nullptr);
    EXPECT_EQ(comm.rxThreshold, 1u);
    EXPECT_EQ(comm.eventMask, 0x1FDu);
    EXPECT_EQ(comm.createFlags, FILE_FLAG_OVERLAPPED);
    EXPECT_TRUE(comm.startThread);
    EXPECT_EQ(comm.dcb.DCBlength, 28u);
    EXPECT_EQ(comm.devicePath[0], '\0');
    EXPECT_NE(comm.rxBuffer, nullptr);
    EXPECT_EQ(comm.rxCallback, nullptr);
    // Three distinct events, so a read, a write and a wait can be pending at once.
    EXPECT_NE(comm.readOverlapped.hEvent, nullptr);
    EXPECT_NE(comm.readOverlapped.hEvent, comm.writeOverlapped.hEvent);
    EXPECT_NE(comm.waitOverlapped.hEvent, comm.writeOverlapped.hEvent);
    EXPECT_NE(comm.waitOverlapped.hEvent, comm.readOverlapped.hEvent);
}

TEST(XbeeCommState, ClosingAClosedPortCallsNothing) {
    ScopedOsApi api;
    static int calls;
    calls = 0;
    xbeeCallbackComm comm;
    api->PurgeComm = [](HANDLE, DWORD) -> BOOL { return ++calls, TRUE; };
    api->CloseHandle = [](HANDLE) -> BOOL { return ++calls, TRUE; };
    comm.closePort();
    EXPECT_EQ(calls, 0);
    api->CloseHandle = platformOsApi().CloseHandle;
}

TEST_F(XbeeCommTest, QueuedBytesReachTheCallbackInChunksOfAtMost1024) {
    comm.rxThreshold = 2500;  // so the hook runs once, on all 2500 bytes
    watchReceiveSteps(api);
    open();
    const Bytes sent = counting(2500);
    peer.send(sent);
    // All bytes were handed on, or the thread passed over all 2500 of them.
    ASSERT_TRUE(eventually([] { return received.bytes() == 2500 || countBeforeWait == 2500; }));
    const auto chunks = received.snapshot();
    ASSERT_EQ(chunks.size(), 3u);
    EXPECT_EQ(chunks[0].size(), 1024u);
    EXPECT_EQ(chunks[1].size(), 1024u);
    EXPECT_EQ(chunks[2].size(), 452u);
    Bytes joined;
    for (const Bytes& c : chunks) joined.insert(joined.end(), c.begin(), c.end());
    EXPECT_EQ(joined, sent);
}

TEST_F(XbeeCommTest, BytesBelowTheThresholdWaitForMore) {
    comm.rxThreshold = 10;
    watchReceiveSteps(api);
    open();
    peer.send(Bytes(7, 'a'));
    ASSERT_TRUE(eventually([] { return countBeforeWait == 7; }));
    ASSERT_EQ(received.bytes(), 0u) << "7 bytes were read below the threshold";
    peer.send(Bytes(3, 'b'));
    ASSERT_TRUE(eventually([] { return countBeforeWait == 10; }));
    const auto chunks = received.snapshot();
    ASSERT_EQ(chunks.size(), 1u) << "the first 7 bytes were read on their own";
    EXPECT_EQ(chunks[0], (Bytes{'a', 'a', 'a', 'a', 'a', 'a', 'a', 'b', 'b', 'b'}));
}

TEST_F(XbeeCommTest, EveryBitOfACombinedEventWordIsHandled) {
    class Watched : public xbeeCallbackComm {
    public:
        std::atomic<int> txEmpty{0};
        void onTxEmpty() override { ++txEmpty; }
    } watched;
    watched.rxCallback = recordChunk;
    setPath(watched, peer);
    // The first wait reports receive and transmit-empty together, once bytes are queued.
    static std::atomic<bool> first;
    first = true;
    api->WaitCommEvent = [](HANDLE port, LPDWORD word, LPOVERLAPPED record) -> BOOL {
        if (!first.exchange(false)) return platformOsApi().WaitCommEvent(port, word, record);
        eventually([&] {
            DWORD errors = 0;
            COMSTAT status{};
            return platformOsApi().ClearCommError(port, &errors, &status) && status.cbInQue == 4;
        });
        *word = EV_RXCHAR | EV_TXEMPTY;
        return TRUE;
    };
    ASSERT_TRUE(watched.openPort());
    peer.send("ping");
    ASSERT_TRUE(eventually([] { return received.bytes() == 4; }));
    EXPECT_TRUE(eventually([&] { return watched.txEmpty >= 1; }));
    watched.closePort();
}

TEST_F(XbeeCommTest, CloseDuringAnIdleWaitEndsTheThreadWithoutForceAndReopens) {
    open();
    const HANDLE firstThread = comm.threadHandle;
    ASSERT_NE(firstThread, nullptr);
    comm.closePort();
    EXPECT_EQ(comm.handle, INVALID_HANDLE_VALUE);
    EXPECT_EQ(comm.threadHandle, nullptr);
    EXPECT_EQ(terminateCalls, 0) << "the thread did not end within 100 ms";
    EXPECT_EQ(os::WaitForSingleObject(comm.waitOverlapped.hEvent, 0), WAIT_TIMEOUT) << "stop signal left set";

    open();
    peer.send("again");
    EXPECT_TRUE(eventually([] { return received.bytes() == 5; }));
}

TEST_F(XbeeCommTest, CloseDuringAReadThatWaitsEndsTheThreadWithoutForce) {
    // The input is emptied between the count and the read (as a purge from the window
    // would do), so the read has to wait for bytes that never come.
    static std::atomic<bool> reading;
    reading = false;
    api->ReadFile = [](HANDLE port, LPVOID buffer, DWORD count, LPDWORD read, LPOVERLAPPED record) -> BOOL {
        platformOsApi().PurgeComm(port, PURGE_RXCLEAR);
        reading = true;
        return platformOsApi().ReadFile(port, buffer, count, read, record);
    };
    open();
    peer.send("lost");
    ASSERT_TRUE(eventually([] { return reading.load(); }));
    comm.closePort();
    EXPECT_EQ(comm.handle, INVALID_HANDLE_VALUE);
    EXPECT_EQ(comm.threadHandle, nullptr) << "the thread was still reading";
    EXPECT_EQ(terminateCalls, 0);
}

TEST_F(XbeeCommTest, ClosingEndsTheThreadBeforeThePortHandleGoes) {
    static std::atomic<bool> loopEnded;
    static std::atomic<int> endedAtPortClose;  // -1 until the port handle is closed
    static std::atomic<HANDLE> port;
    loopEnded = false;
    endedAtPortClose = -1;
    port = INVALID_HANDLE_VALUE;
    class Watched : public xbeeCallbackComm {
    public:
        DWORD monitorLoop() override {
            const DWORD result = xbeeCallbackComm::monitorLoop();
            loopEnded = true;
            return result;
        }
    } watched;
    setPath(watched, peer);
    api->CloseHandle = [](HANDLE object) -> BOOL {
        if (object == port.load()) endedAtPortClose = loopEnded ? 1 : 0;
        return platformOsApi().CloseHandle(object);
    };
    ASSERT_TRUE(watched.openPort());
    port = watched.handle.load();
    watched.closePort();
    EXPECT_EQ(endedAtPortClose, 1) << "the port handle went while the thread could still use it";
}

TEST_F(XbeeCommTest, CloseInTheMiddleOfAReceiveReadsNoFurtherChunk) {
    static HANDLE closing;
    closing = os::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    comm.rxCallback = [](const std::uint8_t* bytes, std::uint32_t count) -> std::int32_t {
        recordChunk(bytes, count);
        os::WaitForSingleObject(closing, INFINITE);
        return static_cast<std::int32_t>(count);
    };
    // The stop request lets the first chunk's callback return, while 2 chunks are still queued.
    api->SetCommMask = [](HANDLE port, DWORD mask) -> BOOL {
        if (mask == 0) os::SetEvent(closing);
        return platformOsApi().SetCommMask(port, mask);
    };
    comm.rxThreshold = 3000;
    open();
    peer.send(counting(3000));
    ASSERT_TRUE(eventually([] { return received.bytes() > 0; }));
    const HANDLE thread = comm.threadHandle;
    comm.closePort();
    if (comm.threadHandle != nullptr) {  // a loaded machine may take longer than the stop wait
        ASSERT_TRUE(eventually([&] { return os::WaitForSingleObject(thread, 0) == WAIT_OBJECT_0; }));
    }
    EXPECT_EQ(received.snapshot().size(), 1u) << "the thread read on after the stop";
    os::CloseHandle(closing);
}

TEST_F(XbeeCommTest, OpenPortOnAnOpenObjectClosesFirst) {
    open();
    const HANDLE before = comm.handle;
    ASSERT_TRUE(comm.openPort());
    EXPECT_NE(comm.handle, before);
    EXPECT_NE(comm.threadHandle, nullptr);
    EXPECT_EQ(terminateCalls, 0);
}

TEST_F(XbeeCommTest, SecondOpenOfAnOpenPortFails) {
    open();
    xbeeCallbackComm other;
    setPath(other, peer);
    EXPECT_FALSE(other.openPort());
    EXPECT_EQ(other.handle, INVALID_HANDLE_VALUE);
    EXPECT_EQ(other.threadHandle, nullptr);
}

TEST_F(XbeeCommTest, FailedEventMaskGivesOneMessageAndClosingStillWorks) {
    api->SetCommMask = [](HANDLE port, DWORD mask) -> BOOL {
        if (mask != 0) {
            os::SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        return platformOsApi().SetCommMask(port, mask);
    };
    ASSERT_TRUE(comm.openPort());
    ASSERT_TRUE(eventually([] { return messageBoxes == 1; }));
    EXPECT_EQ(lastBoxCaption, "Class xbeeComm");
    const std::string expectedStart = "xbeeComm(";
    EXPECT_EQ(lastBoxText.rfind(expectedStart, 0), 0u) << lastBoxText;
    EXPECT_NE(lastBoxText.find(") : COM201 Call WINAPI SetCommMask("), std::string::npos) << lastBoxText;
    EXPECT_NE(lastBoxText.find(", 1fd) Fail, thread work invalid! GetLastError() = 87;"), std::string::npos)
        << lastBoxText;
    EXPECT_EQ(os::WaitForSingleObject(comm.threadHandle, INFINITE), WAIT_OBJECT_0) << "the thread ended";
    comm.closePort();
    EXPECT_EQ(comm.handle, INVALID_HANDLE_VALUE);
    EXPECT_EQ(comm.threadHandle, nullptr);
    EXPECT_EQ(messageBoxes, 1);
}

TEST_F(XbeeCommTest, MonitorLoopReturnsOneWhenTheMaskCannotBeSet) {
    api->SetCommMask = [](HANDLE, DWORD) -> BOOL { return FALSE; };
    comm.startThread = false;
    ASSERT_TRUE(comm.openPort());
    EXPECT_EQ(comm.monitorLoop(), 1u);
    EXPECT_EQ(messageBoxes, 1);
}

TEST_F(XbeeCommTest, NothingIsPostedWithoutAnOwnerWindow) {
    xbeeComm plain;  // its hooks would post every event
    setPath(plain, peer);
    static std::atomic<int> errorsCleared;
    errorsCleared = 0;
    api->ClearCommError = [](HANDLE port, LPDWORD errors, LPCOMSTAT status) -> BOOL {
        if (status == nullptr) ++errorsCleared;
        return platformOsApi().ClearCommError(port, errors, status);
    };
    ASSERT_TRUE(plain.openPort());
    peer.send("x");
    DWORD written = 0;
    os::WriteFile(plain.handle, "y", 1, &written, &plain.writeOverlapped);
    EXPECT_EQ(peer.receive(1), Bytes{'y'});
    // An error event still clears the port's error state.
    plain.onError();
    EXPECT_EQ(errorsCleared, 1);
    plain.closePort();
    EXPECT_EQ(posts, 0);
}

TEST_F(XbeeCommTest, HooksPostToAnOwnerWindow) {
    class Posting : public xbeeComm {
    public:
        using xbeeComm::dispatch;
    } plain;
    setPath(plain, peer);
    static std::vector<UINT> messages;
    messages.clear();
    api->IsWindow = [](HWND window) -> BOOL { return window != nullptr; };
    api->PostMessageA = [](HWND, UINT message, WPARAM wParam, LPARAM) -> BOOL {
        if (wParam == 201) messages.push_back(message);
        return TRUE;
    };
    plain.startThread = false;
    ASSERT_TRUE(plain.openPort());
    plain.ownerWindow = reinterpret_cast<HWND>(0x1234);
    peer.send("z");
    ASSERT_TRUE(eventually([&] { return queuedIn(plain.handle) == 1; }));
    plain.dispatch(EV_RXCHAR | EV_TXEMPTY | EV_BREAK | EV_ERR | EV_RING | EV_RLSD | EV_CTS | EV_DSR);
    // CTS and DSR read the modem lines first; a pseudo-terminal has none, so they post nothing.
    EXPECT_EQ(messages, (std::vector<UINT>{1642, 1650, 1648, 1649, 1651, 1647}));
    plain.closePort();
}

TEST_F(XbeeCommTest, BackToBackWritesArriveCompleteAndInOrder) {
    open();
    Bytes expected;
    for (int i = 0; i < 2000; ++i) {
        const std::string line = "{\"tid\":" + std::to_string(1000 + i) + ",\"cmd\":\"get\"}";
        expected.insert(expected.end(), line.begin(), line.end());
        auto* buffer = new char[line.size()];
        std::memcpy(buffer, line.data(), line.size());
        DWORD written = 0;
        os::WriteFile(comm.handle, buffer, static_cast<DWORD>(line.size()), &written, &comm.writeOverlapped);
        delete[] buffer;  // as the transmit path does, at once
    }
    EXPECT_EQ(peer.receive(expected.size()), expected);
}

TEST_F(XbeeCommTest, PulledDeviceDoesNotStopClosing) {
    open();
    peer.send("before");
    ASSERT_TRUE(eventually([] { return received.bytes() == 6; }));
    peer.closeMaster();
    comm.closePort();
    EXPECT_EQ(comm.handle, INVALID_HANDLE_VALUE);
    EXPECT_EQ(comm.threadHandle, nullptr);
    EXPECT_EQ(terminateCalls, 0);
}

// However the far end goes, the monitor thread tells it in deviceLost and ends; the figure
// printed is how long that took (it should be well under a second).
TEST_F(XbeeCommTest, APulledDeviceIsToldAndItsThreadEnds) {
    enum class Doing { idle, receiving, writing };
    for (const Doing doing : {Doing::idle, Doing::receiving, Doing::writing}) {
        SCOPED_TRACE(static_cast<int>(doing));
        peer.plugIn();
        open();
        EXPECT_FALSE(comm.deviceLost);
        const Bytes bytes = counting(256 * 1024);
        if (doing == Doing::receiving) {
            peer.send(Bytes(bytes.begin(), bytes.begin() + 4096));
            ASSERT_TRUE(eventually([] { return received.bytes() > 0; }));
        }
        if (doing == Doing::writing) {
            // More than the pty takes while its far end does not read: the write stays pending.
            DWORD written = 0;
            ASSERT_FALSE(os::WriteFile(comm.handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                                       &comm.writeOverlapped));
            ASSERT_EQ(os::GetLastError(), ERROR_IO_PENDING);
        }
        const auto pulled = std::chrono::steady_clock::now();
        peer.pull();
        ASSERT_TRUE(eventually([this] { return comm.deviceLost.load(); }));
        const auto noticed = std::chrono::steady_clock::now();
        EXPECT_EQ(os::WaitForSingleObject(comm.threadHandle, 20000), WAIT_OBJECT_0) << "the thread ends";
        std::printf("loss noticed after %.1f ms\n",
                    std::chrono::duration<double, std::milli>(noticed - pulled).count());
        comm.closePort();
        EXPECT_EQ(terminateCalls, 0);
        received.clear();
    }
}

// Pulled before the monitor thread could set its mask: told as a loss, not as a failed mask.
TEST_F(XbeeCommTest, ADeviceGoneAsThePortOpensIsToldAsALoss) {
    static PtyPeer* pulledOnMask;
    pulledOnMask = &peer;
    api->SetCommMask = [](HANDLE port, DWORD mask) -> BOOL {
        if (mask != 0 && pulledOnMask != nullptr) {
            std::exchange(pulledOnMask, nullptr)->pull();
            DWORD errors = 0;
            platformOsApi().ClearCommError(port, &errors, nullptr);  // the port has seen it go
        }
        return platformOsApi().SetCommMask(port, mask);
    };
    ASSERT_TRUE(comm.openPort());
    ASSERT_TRUE(eventually([this] { return comm.deviceLost.load(); }, std::chrono::seconds(5)));
    EXPECT_EQ(messageBoxes, 0);
}

// A user who pulls and plugs the adapter all day leaks nothing: no descriptor, no thread.
TEST_F(XbeeCommTest, PullingAndPluggingFiftyTimesLeavesNothingBehind) {
    const auto entries = [](const char* folder) {
        return std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator{});
    };
    // Counted after the first cycle: a sanitizer's runtime starts a thread of its own then.
    std::ptrdiff_t fdsBefore = 0, threadsBefore = 0;
    for (int cycle = 0; cycle < 51; ++cycle) {
        if (cycle == 1) {
            fdsBefore = entries("/proc/self/fd");
            threadsBefore = entries("/proc/self/task");
        }
        open();
        peer.send("x");
        ASSERT_TRUE(eventually([] { return received.bytes() == 1; }));
        received.clear();
        peer.pull();
        ASSERT_TRUE(eventually([this] { return comm.deviceLost.load(); })) << "cycle " << cycle;
        comm.closePort();
        ASSERT_FALSE(comm.openPort()) << "the device is gone";
        peer.plugIn();
    }
    EXPECT_EQ(entries("/proc/self/fd"), fdsBefore);
    EXPECT_EQ(entries("/proc/self/task"), threadsBefore);
    EXPECT_EQ(terminateCalls, 0);
}

TEST_F(XbeeCommTest, PulledDeviceInTheMiddleOfAReceiveHandsOnNothingTwice) {
    // After the first chunk the adapter goes, and the window looks at the port, while
    // the monitor thread still has chunks of that receive to read.
    static HANDLE firstChunk, pulled;
    firstChunk = os::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    pulled = os::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    comm.rxCallback = [](const std::uint8_t* bytes, std::uint32_t count) -> std::int32_t {
        recordChunk(bytes, count);
        if (received.snapshot().size() == 1) {
            os::SetEvent(firstChunk);
            os::WaitForSingleObject(pulled, INFINITE);
        }
        return static_cast<std::int32_t>(count);
    };
    // The thread's next event wait shows that it is done with that receive.
    static std::atomic<bool> afterPull;
    static std::atomic<int> waitsAfterPull;
    afterPull = false;
    waitsAfterPull = 0;
    api->WaitCommEvent = [](HANDLE port, LPDWORD word, LPOVERLAPPED record) -> BOOL {
        if (afterPull) ++waitsAfterPull;
        return platformOsApi().WaitCommEvent(port, word, record);
    };
    comm.rxThreshold = 3000;
    open();
    const Bytes sent = counting(3000);
    peer.send(sent);
    ASSERT_EQ(os::WaitForSingleObject(firstChunk, 20000), WAIT_OBJECT_0);
    peer.closeMaster();
    DWORD errors = 0;
    os::ClearCommError(comm.handle, &errors, nullptr);
    afterPull = true;
    os::SetEvent(pulled);
    ASSERT_TRUE(eventually([this] { return comm.deviceLost.load(); }));
    EXPECT_EQ(os::WaitForSingleObject(comm.threadHandle, 20000), WAIT_OBJECT_0);
    EXPECT_EQ(waitsAfterPull, 0) << "no wait on a lost port";
    comm.closePort();
    Bytes joined;
    for (const Bytes& c : received.snapshot()) joined.insert(joined.end(), c.begin(), c.end());
    ASSERT_LE(joined.size(), sent.size());
    EXPECT_TRUE(std::equal(joined.begin(), joined.end(), sent.begin())) << "a chunk was handed on twice";
    os::CloseHandle(firstChunk);
    os::CloseHandle(pulled);
}

TEST_F(XbeeCommTest, ErrorBitsClearedWhileReceivingStillReachOnError) {
    class Posting : public xbeeComm {
    public:
        using xbeeComm::dispatch;
    } plain;
    setPath(plain, peer);
    static LPARAM postedErrors;
    postedErrors = -1;
    api->IsWindow = [](HWND window) -> BOOL { return window != nullptr; };
    api->PostMessageA = [](HWND, UINT message, WPARAM, LPARAM lParam) -> BOOL {
        if (message == WM_COMM_ERROR) postedErrors = lParam;
        return TRUE;
    };
    // The receive step's ClearCommError is the one that sees the framing error.
    api->ClearCommError = [](HANDLE port, LPDWORD errors, LPCOMSTAT status) -> BOOL {
        const BOOL ok = platformOsApi().ClearCommError(port, errors, status);
        if (errors != nullptr) *errors = status != nullptr ? CE_FRAME : 0;
        return ok;
    };
    plain.startThread = false;
    ASSERT_TRUE(plain.openPort());
    plain.ownerWindow = reinterpret_cast<HWND>(0x1234);
    plain.dispatch(EV_RXCHAR | EV_ERR);
    EXPECT_EQ(postedErrors, static_cast<LPARAM>(CE_FRAME));
    plain.closePort();
}

TEST_F(XbeeCommTest, DestroyingTheObjectWaitsForAThreadThatOutlivedClosing) {
    static HANDLE release;
    static std::atomic<bool> inCallback, destroying, bufferKept;
    static xbeeCallbackComm* object;
    release = os::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    inCallback = false;
    destroying = false;
    bufferKept = false;
    auto doomed = std::make_unique<xbeeCallbackComm>();
    object = doomed.get();
    setPath(*doomed, peer);
    doomed->rxCallback = [](const std::uint8_t* bytes, std::uint32_t count) -> std::int32_t {
        inCallback = true;
        os::WaitForSingleObject(release, INFINITE);
        bufferKept = object->rxBuffer == bytes;
        return static_cast<std::int32_t>(count);
    };
    // The destructor's stop signal lets the held callback go on while the object is destroyed.
    api->SetEvent = [](HANDLE event) -> BOOL {
        if (destroying) platformOsApi().SetEvent(release);
        return platformOsApi().SetEvent(event);
    };
    ASSERT_TRUE(doomed->openPort());
    peer.send("x");
    ASSERT_TRUE(eventually([] { return inCallback.load(); }));
    doomed->closePort();
    ASSERT_NE(doomed->threadHandle, nullptr);
    destroying = true;
    doomed.reset();
    EXPECT_TRUE(bufferKept) << "the buffer was freed while the thread still used it";
    os::CloseHandle(release);
}

TEST_F(XbeeCommTest, StaleThreadBlocksOpeningUntilItEnds) {
    // A callback that holds the monitor thread past the 100 ms stop wait.
    static HANDLE release;
    release = os::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    static std::atomic<bool> inCallback;
    inCallback = false;
    comm.rxCallback = [](const std::uint8_t*, std::uint32_t count) -> std::int32_t {
        inCallback = true;
        os::WaitForSingleObject(release, INFINITE);
        return static_cast<std::int32_t>(count);
    };
    open();
    peer.send("x");
    ASSERT_TRUE(eventually([] { return inCallback.load(); }));
    comm.closePort();
    EXPECT_EQ(comm.handle, INVALID_HANDLE_VALUE);
    EXPECT_NE(comm.threadHandle, nullptr) << "the thread could not be ended and stays recorded";
    EXPECT_EQ(terminateCalls, 1);
    EXPECT_FALSE(comm.openPort()) << "opening retries the stop and fails while the thread runs";
    EXPECT_EQ(comm.handle, INVALID_HANDLE_VALUE);

    os::SetEvent(release);
    ASSERT_TRUE(eventually([&] { return os::WaitForSingleObject(comm.threadHandle, 0) == WAIT_OBJECT_0; }));
    EXPECT_FALSE(comm.openPort()) << "this open only clears the ended thread";
    EXPECT_EQ(comm.threadHandle, nullptr);
    EXPECT_TRUE(comm.openPort());
    os::CloseHandle(release);
}

}  // namespace
