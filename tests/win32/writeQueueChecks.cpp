// The write queue behind os::WriteFile, over a named pipe standing in for a port: a
// pipe whose reader does not read holds writes pending, as a port under flow control.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/osApi.h"
#include "platform/win32/writeQueue.h"
#include "tests/win32/check.h"

namespace {

constexpr DWORD pipeBuffer = 4096;
constexpr DWORD waitLimit = 10000;  // ms; only reached when something is broken

struct Pipe {
    HANDLE reader = INVALID_HANDLE_VALUE;
    HANDLE writer = INVALID_HANDLE_VALUE;  // our side, opened like a port
    bool open() const { return reader != INVALID_HANDLE_VALUE && writer != INVALID_HANDLE_VALUE; }
};

Pipe openPipe() {
    static int made = 0;
    char name[80];
    std::snprintf(name, sizeof name, "\\\\.\\pipe\\korvane-smoke-%lu-%d",
                  static_cast<unsigned long>(::GetCurrentProcessId()), ++made);
    Pipe pipe;
    pipe.reader = ::CreateNamedPipeA(name, PIPE_ACCESS_INBOUND | FILE_FLAG_OVERLAPPED,
                                     PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, 1, 0, pipeBuffer, 0, nullptr);
    pipe.writer = os::CreateFileA(name, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    return pipe;
}

// Reads count bytes from the pipe, or what arrived before a read took too long.
std::string readBytes(HANDLE reader, std::size_t count) {
    std::string got;
    OVERLAPPED read{};
    read.hEvent = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    char buffer[4096];
    while (got.size() < count) {
        const DWORD want = static_cast<DWORD>(std::min(sizeof buffer, count - got.size()));
        DWORD n = 0;
        if (!::ReadFile(reader, buffer, want, nullptr, &read) && ::GetLastError() != ERROR_IO_PENDING) break;
        if (::WaitForSingleObject(read.hEvent, waitLimit) != WAIT_OBJECT_0) {
            ::CancelIoEx(reader, &read);
            ::GetOverlappedResult(reader, &read, &n, TRUE);
            break;
        }
        if (!::GetOverlappedResult(reader, &read, &n, FALSE)) break;
        got.append(buffer, n);
    }
    ::CloseHandle(read.hEvent);
    return got;
}

// Many writes through one record, each from a buffer wiped and freed at once: the
// bytes arrive whole and in call order, and the record reports the last write.
void checkOrderAndTakeOver() {
    Pipe pipe = openPipe();
    CHECK(pipe.open());
    if (!pipe.open()) return;
    OVERLAPPED record{};
    record.hEvent = os::CreateEventA(nullptr, TRUE, FALSE, nullptr);

    std::string expected;
    DWORD lastSize = 0;
    int pending = 0;
    for (int i = 0; i < 300; ++i) {
        const std::string text = "write " + std::to_string(i) + ":" + std::string(i % 61, char('a' + i % 26)) + "\n";
        char* buffer = new char[text.size()];
        std::memcpy(buffer, text.data(), text.size());
        const BOOL done = os::WriteFile(pipe.writer, buffer, static_cast<DWORD>(text.size()), nullptr, &record);
        const DWORD error = os::GetLastError();
        std::memset(buffer, '#', text.size());
        delete[] buffer;
        if (!done && error == ERROR_IO_PENDING) ++pending;
        expected += text;
        lastSize = static_cast<DWORD>(text.size());
    }
    CHECK(pending == 300);
    CHECK(readBytes(pipe.reader, expected.size()) == expected);

    CHECK(os::WaitForSingleObject(record.hEvent, waitLimit) == WAIT_OBJECT_0);
    DWORD written = 0;
    CHECK(os::GetOverlappedResult(pipe.writer, &record, &written, FALSE));
    CHECK(written == lastSize);

    CHECK(os::CloseHandle(pipe.writer));
    ::CloseHandle(pipe.reader);
    os::CloseHandle(record.hEvent);
}

// A record reused by a newer write is completed by that write only: the older write
// finishing first must not signal it.
void checkNewestWriteCompletesRecord() {
    Pipe pipe = openPipe();
    CHECK(pipe.open());
    if (!pipe.open()) return;
    OVERLAPPED record{};
    record.hEvent = os::CreateEventA(nullptr, TRUE, FALSE, nullptr);

    const std::string small(16, 's');               // fits the pipe's buffer
    const std::string large(16 * pipeBuffer, 'L');  // cannot finish until read
    os::WriteFile(pipe.writer, small.data(), static_cast<DWORD>(small.size()), nullptr, &record);
    os::WriteFile(pipe.writer, large.data(), static_cast<DWORD>(large.size()), nullptr, &record);
    CHECK(os::WaitForSingleObject(record.hEvent, 200) == WAIT_TIMEOUT);
    CHECK(record.Internal == STATUS_PENDING);

    CHECK(readBytes(pipe.reader, small.size() + large.size()) == small + large);
    CHECK(os::WaitForSingleObject(record.hEvent, waitLimit) == WAIT_OBJECT_0);
    DWORD written = 0;
    CHECK(os::GetOverlappedResult(pipe.writer, &record, &written, FALSE));
    CHECK(written == large.size());

    CHECK(os::CloseHandle(pipe.writer));
    ::CloseHandle(pipe.reader);
    os::CloseHandle(record.hEvent);
}

// With nobody reading, writes pile up to the quota and no further; a purge drops them
// and completes the record as aborted, and closing the port ends a write still held.
void checkQuotaPurgeAndClose() {
    Pipe pipe = openPipe();
    CHECK(pipe.open());
    if (!pipe.open()) return;
    OVERLAPPED record{};
    record.hEvent = os::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    const std::vector<char> bytes(writeQueue::quota + 1, 'q');

    CHECK(!os::WriteFile(pipe.writer, bytes.data(), writeQueue::quota + 1, nullptr, &record));
    CHECK(os::GetLastError() == ERROR_NOT_ENOUGH_QUOTA);

    const DWORD chunk = 64 * 1024;
    DWORD accepted = 0;
    DWORD error = ERROR_IO_PENDING;
    while (accepted < 2 * writeQueue::quota / chunk) {
        os::WriteFile(pipe.writer, bytes.data(), chunk, nullptr, &record);
        error = os::GetLastError();
        if (error != ERROR_IO_PENDING) break;
        ++accepted;
    }
    CHECK(error == ERROR_NOT_ENOUGH_QUOTA);
    CHECK(accepted >= writeQueue::quota / chunk);

    os::PurgeComm(pipe.writer, PURGE_TXABORT | PURGE_TXCLEAR);  // a pipe refuses it; our queue does not
    CHECK(os::WaitForSingleObject(record.hEvent, waitLimit) == WAIT_OBJECT_0);
    DWORD written = 1;
    CHECK(!os::GetOverlappedResult(pipe.writer, &record, &written, FALSE));
    CHECK(os::GetLastError() == ERROR_OPERATION_ABORTED);
    CHECK(written == 0);

    CHECK(!os::WriteFile(pipe.writer, bytes.data(), chunk, nullptr, &record));
    CHECK(os::GetLastError() == ERROR_IO_PENDING);
    CHECK(os::CloseHandle(pipe.writer));
    CHECK(os::WaitForSingleObject(record.hEvent, 0) == WAIT_OBJECT_0);
    CHECK(record.Internal != STATUS_PENDING);

    ::CloseHandle(pipe.reader);
    os::CloseHandle(record.hEvent);
}

void checkWithoutRecordAndBadHandle() {
    OVERLAPPED record{};
    CHECK(!os::WriteFile(INVALID_HANDLE_VALUE, "x", 1, nullptr, &record));
    CHECK(os::GetLastError() == ERROR_INVALID_HANDLE);

    Pipe pipe = openPipe();
    CHECK(pipe.open());
    if (!pipe.open()) return;
    DWORD written = 0;
    CHECK(os::WriteFile(pipe.writer, "hello", 5, &written, nullptr));
    CHECK(written == 5);
    CHECK(readBytes(pipe.reader, 5) == "hello");
    CHECK(os::CloseHandle(pipe.writer));
    ::CloseHandle(pipe.reader);
}

}  // namespace

void smoke::checkWriteQueue() {
    checkOrderAndTakeOver();
    checkNewestWriteCompletesRecord();
    checkQuotaPurgeAndClose();
    checkWithoutRecordAndBadHandle();
}
