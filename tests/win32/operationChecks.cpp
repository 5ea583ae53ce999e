// Events, threads and files through the operations table, and replacing one entry.
#include <atomic>
#include <cstring>

#include "platform/osApi.h"
#include "tests/win32/check.h"

namespace {

void checkEvents() {
    const HANDLE manual = os::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    CHECK(manual != nullptr);
    CHECK(os::WaitForSingleObject(manual, 0) == WAIT_TIMEOUT);
    CHECK(os::WaitForSingleObject(manual, 20) == WAIT_TIMEOUT);
    CHECK(os::SetEvent(manual));
    CHECK(os::WaitForSingleObject(manual, 0) == WAIT_OBJECT_0);
    CHECK(os::WaitForSingleObject(manual, 0) == WAIT_OBJECT_0);  // stays set until reset
    CHECK(os::ResetEvent(manual));
    CHECK(os::WaitForSingleObject(manual, 0) == WAIT_TIMEOUT);
    CHECK(os::CloseHandle(manual));

    const HANDLE automatic = os::CreateEventA(nullptr, FALSE, TRUE, nullptr);
    CHECK(automatic != nullptr);
    CHECK(os::WaitForSingleObject(automatic, 0) == WAIT_OBJECT_0);
    CHECK(os::WaitForSingleObject(automatic, 0) == WAIT_TIMEOUT);  // the wait consumed it
    CHECK(os::CloseHandle(automatic));
}

struct ThreadProbe {
    HANDLE done;
    std::atomic<int> runs{0};
};

unsigned WINAPI probeThread(void* argument) {
    auto* probe = static_cast<ThreadProbe*>(argument);
    probe->runs.fetch_add(1);
    os::SetEvent(probe->done);
    return 42;
}

void checkThread() {
    ThreadProbe probe;
    probe.done = os::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    const HANDLE thread = os::BeginThread(probeThread, &probe);
    CHECK(thread != nullptr);
    if (!thread) return;
    CHECK(os::WaitForSingleObject(probe.done, 10000) == WAIT_OBJECT_0);
    CHECK(os::WaitForSingleObject(thread, 10000) == WAIT_OBJECT_0);
    DWORD exitCode = 0;
    CHECK(::GetExitCodeThread(thread, &exitCode) && exitCode == 42);
    CHECK(probe.runs.load() == 1);
    CHECK(os::CloseHandle(thread));
    CHECK(os::CloseHandle(probe.done));
}

void checkAbsentPort() {
    const HANDLE port = os::CreateFileA("\\\\.\\COM250", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_OVERLAPPED, nullptr);
    CHECK(port == INVALID_HANDLE_VALUE);
    CHECK(os::GetLastError() != ERROR_SUCCESS);
}

int fakeOpens = 0;
HANDLE WINAPI refusingCreateFile(LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE) {
    ++fakeOpens;
    ::SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
}

bool tableIsPlatforms() { return std::memcmp(&osApi(), &platformOsApi(), sizeof(OsApi)) == 0; }

void checkOverride() {
    CHECK(tableIsPlatforms());
    const OsApi saved = osApi();
    osApi().CreateFileA = refusingCreateFile;
    CHECK(platformOsApi().CreateFileA != refusingCreateFile);

    HANDLE file = os::CreateFileA("NUL", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    CHECK(file == INVALID_HANDLE_VALUE);
    CHECK(os::GetLastError() == ERROR_ACCESS_DENIED);
    CHECK(fakeOpens == 1);

    osApi() = saved;
    CHECK(tableIsPlatforms());
    file = os::CreateFileA("NUL", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    CHECK(file != INVALID_HANDLE_VALUE);
    CHECK(fakeOpens == 1);
    if (file != INVALID_HANDLE_VALUE) CHECK(os::CloseHandle(file));
}

void checkLastError() {
    os::SetLastError(ERROR_GEN_FAILURE);
    CHECK(os::GetLastError() == ERROR_GEN_FAILURE);
    CHECK(::GetLastError() == ERROR_GEN_FAILURE);  // the thread's own error word
}

}  // namespace

void smoke::checkOperations() {
    checkEvents();
    checkThread();
    checkAbsentPort();
    checkOverride();
    checkLastError();
}
