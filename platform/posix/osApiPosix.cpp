// The operations table on Linux.
#include <cstdio>

#include "platform/osApi.h"
#include "platform/posix/clocks.h"
#include "platform/posix/commApi.h"
#include "platform/posix/discoveryApi.h"
#include "platform/posix/event.h"
#include "platform/posix/thread.h"

namespace posix {
namespace {

DWORD WINAPI getLastError() { return lastError(); }
void WINAPI setLastErrorCode(DWORD error) { setLastError(error); }

// Until a window host takes messages over, they go to standard error.
int WINAPI messageBox(HWND, LPCSTR text, LPCSTR caption, UINT) {
    std::fprintf(stderr, "[%s] %s\n", caption != nullptr ? caption : "", text != nullptr ? text : "");
    return IDOK;
}

// This layer has no windows of its own; a window host answers for its windows.
BOOL WINAPI isWindow(HWND) { return FALSE; }
BOOL WINAPI postMessage(HWND, UINT, WPARAM, LPARAM) { return fail(ERROR_INVALID_HANDLE); }

// Filled by name: an entry given to the wrong operation does not compile unless the two
// share a signature, and then it reads wrong.
constexpr OsApi platformTable = {
    .CreateFileA = CreateFileA,
    .CloseHandle = CloseHandle,
    .GetCommState = GetCommState,
    .SetCommState = SetCommState,
    .SetupComm = SetupComm,
    .GetCommTimeouts = GetCommTimeouts,
    .SetCommTimeouts = SetCommTimeouts,
    .PurgeComm = PurgeComm,
    .SetCommMask = SetCommMask,
    .WaitCommEvent = WaitCommEvent,
    .GetOverlappedResult = GetOverlappedResult,
    .GetOverlappedResultEx = GetOverlappedResultEx,
    .ReadFile = ReadFile,
    .WriteFile = WriteFile,
    .ClearCommError = ClearCommError,
    .GetCommModemStatus = GetCommModemStatus,
    .CreateEventA = CreateEventA,
    .SetEvent = SetEvent,
    .ResetEvent = ResetEvent,
    .WaitForSingleObject = WaitForSingleObject,
    .BeginThread = BeginThread,
    .TerminateThread = TerminateThread,
    .SetThreadPriority = SetThreadPriority,
    .GetLastError = getLastError,
    .SetLastError = setLastErrorCode,
    .GetLocalTime = GetLocalTime,
    .GetTickCount64 = GetTickCount64,
    .MessageBoxA = messageBox,
    .IsWindow = isWindow,
    .PostMessageA = postMessage,
    .GetVersionExA = GetVersionExA,
    .SetupDiGetClassDevsA = SetupDiGetClassDevsA,
    .SetupDiEnumDeviceInterfaces = SetupDiEnumDeviceInterfaces,
    .SetupDiGetDeviceInterfaceDetailA = SetupDiGetDeviceInterfaceDetailA,
    .SetupDiGetDeviceRegistryPropertyA = SetupDiGetDeviceRegistryPropertyA,
    .SetupDiDestroyDeviceInfoList = SetupDiDestroyDeviceInfoList,
    .RegOpenKeyExA = RegOpenKeyExA,
    .RegEnumKeyExA = RegEnumKeyExA,
    .RegQueryValueExA = RegQueryValueExA,
    .RegCloseKey = RegCloseKey,
};

}  // namespace
}  // namespace posix

const OsApi& platformOsApi() { return posix::platformTable; }

OsApi& osApi() {
    static OsApi table = posix::platformTable;
    return table;
}
