// The operations table on Linux.
#include <cstdio>

#include "platform/osApi.h"
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

constexpr OsApi platformTable = {
    CreateFileA,   CloseHandle,  GetCommState,        SetCommState,        SetupComm,
    GetCommTimeouts, SetCommTimeouts, PurgeComm,      SetCommMask,         WaitCommEvent,
    GetOverlappedResult, ReadFile, WriteFile,         ClearCommError,      GetCommModemStatus,
    CreateEventA,  SetEvent,     ResetEvent,          WaitForSingleObject, BeginThread,
    TerminateThread, SetThreadPriority, getLastError, setLastErrorCode,    messageBox,
    isWindow,      postMessage,
    GetVersionExA, SetupDiGetClassDevsA, SetupDiEnumDeviceInterfaces, SetupDiGetDeviceInterfaceDetailA,
    SetupDiGetDeviceRegistryPropertyA, SetupDiDestroyDeviceInfoList,
    RegOpenKeyExA, RegEnumKeyExA,        RegQueryValueExA, RegCloseKey,
};

}  // namespace
}  // namespace posix

const OsApi& platformOsApi() { return posix::platformTable; }

OsApi& osApi() {
    static OsApi table = posix::platformTable;
    return table;
}
