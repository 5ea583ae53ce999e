// The serial engine on a real COM port, through the Win32 calls, as the program uses it:
// xbeeCallbackComm with receiveCallback filling rxQueue, openPort, setupPort, the line
// settings the dialog writes, and writes through the operations table (the write queue).
// Run under Wine by tests/wine with a pty as the port; the peer is the Linux-side test.
//
//   korvane_win_serial_check receive  <COM> <bytes>    the peer sends the stream by blocks; all of it arrives
//   korvane_win_serial_check send     <COM> <bytes>    the stream goes out through overlapped writes
//   korvane_win_serial_check openclose <COM> <times>   each opening writes "open i", then closes
//   korvane_win_serial_check closestream <COM> <times> opens, receives, closes while the peer streams
//   korvane_win_serial_check lowrate  <COM> <bytes>    a write held by XOFF past its time-out at 4800 baud
//   korvane_win_serial_check lost     <COM> <times>    each opening writes "open i", sees the peer pull
//                                                       the pty, closes and tries again each second
//
// Prints what it saw; exits 0 only when every check passed. A crash exits non-zero too.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/osApi.h"
#include "platform/win32/writeQueue.h"
#include "serial/xbeeComm.h"
#include "tests/win32/streamPattern.h"

namespace {

// Only reached when something is broken; the Linux side waits longer still.
constexpr DWORD deadlineMs = 120000;

bool fail(const char* what) {
    std::printf("FAILED: %s (error %lu)\n", what, static_cast<unsigned long>(::GetLastError()));
    std::fflush(stdout);
    return false;
}

// Opens and sets the port up the way the dialog's Open does, with the receive queue as the
// callback's target.
bool openLikeDialog(xbeeCallbackComm& comm, int number, DWORD baudRate) {
    comm.portNumber = number;
    std::snprintf(comm.devicePath, sizeof comm.devicePath, "\\\\.\\COM%d", number);
    comm.rxCallback = receiveCallback;
    reset(&rxQueue);
    if (!comm.openPort()) return fail("openPort");
    if (!comm.setupPort()) return fail("setupPort");
    if (!os::GetCommState(comm.handle, &comm.dcb)) return fail("GetCommState");
    comm.dcb.BaudRate = baudRate;
    comm.dcb.ByteSize = 8;
    comm.dcb.Parity = NOPARITY;
    comm.dcb.StopBits = ONESTOPBIT;
    if (!os::SetCommState(comm.handle, &comm.dcb)) return fail("SetCommState");
    return true;
}

// Queues bytes through the operations table with the object's write record.
bool queueWrite(xbeeCallbackComm& comm, const void* bytes, DWORD count) {
    if (os::WriteFile(comm.handle, bytes, count, nullptr, &comm.writeOverlapped)) return true;
    return os::GetLastError() == ERROR_IO_PENDING || fail("WriteFile");
}

// Waits for the newest write on the object's record; its byte count, or -1 when it failed.
long finishWrite(xbeeCallbackComm& comm) {
    if (::WaitForSingleObject(comm.writeOverlapped.hEvent, deadlineMs) != WAIT_OBJECT_0) return fail("write wait"), -1;
    DWORD written = 0;
    if (!os::GetOverlappedResult(comm.handle, &comm.writeOverlapped, &written, FALSE)) {
        std::printf("write failed after %lu bytes\n", static_cast<unsigned long>(written));
        return fail("GetOverlappedResult"), -1;
    }
    return static_cast<long>(written);
}

bool writeAll(xbeeCallbackComm& comm, const void* bytes, DWORD count) {
    return queueWrite(comm, bytes, count) && finishWrite(comm) == static_cast<long>(count);
}

// Takes what rxQueue holds until it holds count bytes in all, or the deadline passes.
std::vector<std::uint8_t> takeReceived(std::size_t count) {
    std::vector<std::uint8_t> got;
    static std::uint8_t chunk[rxQueueCapacity];  // too big for a thread's stack
    const DWORD start = ::GetTickCount();
    while (got.size() < count && ::GetTickCount() - start < deadlineMs) {
        const std::uint32_t n = get(&rxQueue, chunk, static_cast<std::uint32_t>(std::min(sizeof chunk, count - got.size())));
        if (n == 0) ::Sleep(1);
        got.insert(got.end(), chunk, chunk + n);
    }
    return got;
}

// A close purges output the peer has not read yet, so each case closes only after the
// peer has answered with this byte for what it got.
constexpr std::uint8_t peerAck = 'A';

bool peerAnswered() {
    if (takeReceived(1) == std::vector<std::uint8_t>{peerAck}) return true;
    return fail("no answer from the peer");
}

bool receiveStream(int number, std::size_t count) {
    xbeeCallbackComm comm;
    if (!openLikeDialog(comm, number, 115200) || !writeAll(comm, readyLine, readyLength)) return false;
    std::size_t taken = 0;
    static std::uint8_t chunk[rxQueueCapacity];  // too big for a thread's stack
    const DWORD start = ::GetTickCount();
    while (taken < count && ::GetTickCount() - start < deadlineMs) {
        const std::uint32_t n = get(&rxQueue, chunk, sizeof chunk);
        if (n == 0) ::SwitchToThread();
        for (std::uint32_t i = 0; i < n; ++i, ++taken) {
            if (taken < count && chunk[i] == streamByte(taken)) continue;
            std::printf("received byte %zu is %u, not %u (overflow %d)\n", taken, chunk[i], streamByte(taken),
                        static_cast<int>(rxQueue.overflow.load()));
            return false;
        }
        // Each whole block taken lets the peer send the next. None follows the last, so it gets
        // no answer: the close would purge an answer the peer has not read yet.
        if (n > 0 && taken % receiveBlock == 0 && taken < count && !writeAll(comm, &blockAck, 1)) return false;
    }
    std::printf("received %zu of %zu bytes, overflow %d\n", taken, count, static_cast<int>(rxQueue.overflow.load()));
    comm.closePort();
    return taken == count && rxQueue.overflow.load() == 0;
}

bool sendStream(int number, std::size_t count) {
    xbeeCallbackComm comm;
    if (!openLikeDialog(comm, number, 115200)) return false;
    // Pieces of the sizes the send box makes, each freed as soon as it is queued.
    std::size_t queued = 0;
    for (std::size_t piece = 1; queued < count; piece = piece * 3 % 4093 + 1) {
        const std::size_t size = std::min(piece, count - queued);
        std::vector<std::uint8_t> bytes(size);
        for (std::size_t i = 0; i < size; ++i) bytes[i] = streamByte(queued + i);
        if (!queueWrite(comm, bytes.data(), static_cast<DWORD>(size))) return false;
        queued += size;
    }
    const long last = finishWrite(comm);  // the newest write completes after every earlier one
    std::printf("queued %zu bytes, last write %ld\n", queued, last);
    const bool answered = last >= 0 && peerAnswered();
    comm.closePort();
    return answered;
}

bool openAndClose(int number, int times) {
    xbeeCallbackComm comm;
    for (int i = 0; i < times; ++i) {
        if (!openLikeDialog(comm, number, 115200)) return false;
        const std::string line = "open " + std::to_string(i) + "\n";
        if (!writeAll(comm, line.data(), static_cast<DWORD>(line.size())) || !peerAnswered()) return false;
        comm.closePort();
        if (comm.handle != INVALID_HANDLE_VALUE || comm.threadHandle != nullptr) return fail("closePort left state");
    }
    std::printf("opened and closed %d times\n", times);
    return true;
}

// Each close comes while bytes arrive, so the monitor thread is stopped with its event
// wait pending or about to be.
bool closeWhileStreaming(int number, int times) {
    xbeeCallbackComm comm;
    std::size_t total = 0;
    for (int i = 0; i < times; ++i) {
        if (!openLikeDialog(comm, number, 115200)) return false;
        const std::size_t got = takeReceived(1 + i % 7 * 500).size();
        if (got == 0) return fail("nothing received while the peer streams");
        total += got;
        comm.closePort();
        // Once closed, the system must be done with the object: a wait it still held would
        // write into it later, when the object may be gone.
        if (comm.waitOverlapped.Internal == STATUS_PENDING) return fail("the event wait still pending after closePort");
    }
    std::printf("closed %d times while receiving, %zu bytes taken\n", times, total);
    return true;
}

// The peer stops our output with XOFF, so a write at 4800 baud runs past its time-out
// (1 ms per byte + 1000 ms); after "HELD" the peer sends XON and must get every byte.
bool writeHeldPastTimeout(int number, std::size_t count) {
    xbeeCallbackComm comm;
    if (!openLikeDialog(comm, number, 4800)) return false;
    comm.dcb.fOutX = TRUE;
    comm.dcb.XonChar = static_cast<char>(xonChar);
    comm.dcb.XoffChar = static_cast<char>(xoffChar);
    if (!os::SetCommState(comm.handle, &comm.dcb)) return fail("SetCommState with XON/XOFF");
    if (!writeAll(comm, readyLine, readyLength)) return false;
    // The peer sends XOFF then "G": once "G" is here, the XOFF has stopped our output.
    if (takeReceived(1) != std::vector<std::uint8_t>{'G'}) return fail("the peer's go-ahead");

    std::vector<std::uint8_t> bytes(count);
    for (std::size_t i = 0; i < count; ++i) bytes[i] = streamByte(i);
    const unsigned resumedBefore = writeQueue::resumedWrites();
    if (!queueWrite(comm, bytes.data(), static_cast<DWORD>(count))) return false;
    // Held until its time-out has passed: the queue issues the rest again, or (had it cut
    // the write) the record completes.
    const DWORD start = ::GetTickCount();
    while (writeQueue::resumedWrites() == resumedBefore &&
           ::WaitForSingleObject(comm.writeOverlapped.hEvent, 1) == WAIT_TIMEOUT && ::GetTickCount() - start < deadlineMs) {
    }
    std::printf("HELD resumed %u\n", writeQueue::resumedWrites() - resumedBefore);
    std::fflush(stdout);
    const long written = finishWrite(comm);
    std::printf("write reported %ld of %zu bytes\n", written, count);
    const bool answered = written == static_cast<long>(count) && peerAnswered();
    comm.closePort();
    return answered;
}

// The peer pulls the pty after each "open i" line and plugs a new one in under the same name
// once a try to open it again has failed ("waiting i"): the loss must be told, and the port
// must open again by trying.
bool loseAndReopen(int number, int times) {
    xbeeCallbackComm comm;
    for (int i = 0; i < times; ++i) {
        const DWORD start = ::GetTickCount();
        std::snprintf(comm.devicePath, sizeof comm.devicePath, "\\\\.\\COM%d", number);
        int tries = 1;
        for (; !comm.openPort(); ++tries) {
            if (tries == 1) {
                std::printf("waiting %d\n", i);  // the peer plugs in now
                std::fflush(stdout);
            }
            if (::GetTickCount() - start > deadlineMs) return fail("reopen");
            ::Sleep(1000);  // as the window tries
        }
        if (!openLikeDialog(comm, number, 9600)) return false;
        char line[32];
        const int length = std::snprintf(line, sizeof line, "open %d\n", i);
        if (!writeAll(comm, line, static_cast<DWORD>(length))) return false;
        const DWORD written = ::GetTickCount();
        while (!comm.deviceLost && ::GetTickCount() - written < deadlineMs) ::Sleep(10);
        if (!comm.deviceLost) return fail("the loss was not told");
        std::printf("lost %d after %lu ms, opened at try %d\n", i, static_cast<unsigned long>(::GetTickCount() - written),
                    tries);
        std::fflush(stdout);
        comm.closePort();
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::printf("usage: korvane_win_serial_check receive|send|openclose|closestream|lowrate|lost COM amount\n");
        return 2;
    }
    const std::string mode = argv[1];
    const int number = std::atoi(argv[2]);
    const long amount = std::atol(argv[3]);
    if (number < 5 || amount <= 0) {
        std::printf("refused: COM%d (COM1-COM4 are the machine's own), amount %ld\n", number, amount);
        return 2;
    }
    init(&rxQueue, rxQueueStorage, rxQueueCapacity);  // as the dialog does at start-up
    bool passed = false;
    if (mode == "receive") passed = receiveStream(number, static_cast<std::size_t>(amount));
    else if (mode == "send") passed = sendStream(number, static_cast<std::size_t>(amount));
    else if (mode == "openclose") passed = openAndClose(number, static_cast<int>(amount));
    else if (mode == "closestream") passed = closeWhileStreaming(number, static_cast<int>(amount));
    else if (mode == "lowrate") passed = writeHeldPastTimeout(number, static_cast<std::size_t>(amount));
    else if (mode == "lost") passed = loseAndReopen(number, static_cast<int>(amount));
    else std::printf("unknown mode %s\n", mode.c_str());
    std::printf("%s\n", passed ? "PASSED" : "FAILED");
    return passed ? 0 : 1;
}
