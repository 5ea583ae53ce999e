// The operations table on Windows: the system's own functions, with writes going
// through the per-port write queue, and the calls that touch a port's output (purge,
// queue status, close) taking that queue into account.
#include "platform/osApi.h"

#include <process.h>

#include "platform/win32/writeQueue.h"

namespace {

HANDLE beginThread(ThreadEntry entry, void* argument) {
    return reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, entry, argument, 0, nullptr));
}

BOOL WINAPI writeFile(HANDLE port, LPCVOID buffer, DWORD count, LPDWORD written, LPOVERLAPPED overlapped) {
    return writeQueue::write(port, buffer, count, written, overlapped);
}

BOOL WINAPI purgeComm(HANDLE port, DWORD flags) {
    // Bytes still in our queue are output the device has not been given yet.
    if (flags & (PURGE_TXABORT | PURGE_TXCLEAR)) writeQueue::purge(port);
    return ::PurgeComm(port, flags);
}

BOOL WINAPI clearCommError(HANDLE port, LPDWORD errors, LPCOMSTAT status) {
    if (!::ClearCommError(port, errors, status)) return FALSE;
    if (status) status->cbOutQue += writeQueue::waitingBytes(port);
    return TRUE;
}

// GetOverlappedResultEx without its alertable wait, which is all the engine asks of it; the
// system's own needs Windows 8.
BOOL WINAPI overlappedResultWithin(HANDLE port, LPOVERLAPPED overlapped, LPDWORD transferred, DWORD milliseconds,
                                   BOOL) {
    if (::WaitForSingleObject(overlapped->hEvent, milliseconds) == WAIT_TIMEOUT) {
        ::SetLastError(WAIT_TIMEOUT);
        return FALSE;
    }
    return ::GetOverlappedResult(port, overlapped, transferred, FALSE);
}

BOOL WINAPI closeHandle(HANDLE object) {
    // The writer must be gone before the handle value can be reused.
    writeQueue::close(object);
    return ::CloseHandle(object);
}

}  // namespace

const OsApi& platformOsApi() {
    static const OsApi table{
        .CreateFileA = ::CreateFileA,
        .CloseHandle = closeHandle,
        .GetCommState = ::GetCommState,
        .SetCommState = ::SetCommState,
        .SetupComm = ::SetupComm,
        .GetCommTimeouts = ::GetCommTimeouts,
        .SetCommTimeouts = ::SetCommTimeouts,
        .PurgeComm = purgeComm,
        .SetCommMask = ::SetCommMask,
        .WaitCommEvent = ::WaitCommEvent,
        .GetOverlappedResult = ::GetOverlappedResult,
        .GetOverlappedResultEx = overlappedResultWithin,
        .ReadFile = ::ReadFile,
        .WriteFile = writeFile,
        .ClearCommError = clearCommError,
        .GetCommModemStatus = ::GetCommModemStatus,
        .CreateEventA = ::CreateEventA,
        .SetEvent = ::SetEvent,
        .ResetEvent = ::ResetEvent,
        .WaitForSingleObject = ::WaitForSingleObject,
        .BeginThread = beginThread,
        .TerminateThread = ::TerminateThread,
        .SetThreadPriority = ::SetThreadPriority,
        .GetLastError = ::GetLastError,
        .SetLastError = ::SetLastError,
        .GetLocalTime = ::GetLocalTime,
        .GetTickCount64 = ::GetTickCount64,
        .MessageBoxA = ::MessageBoxA,
        .IsWindow = ::IsWindow,
        .PostMessageA = ::PostMessageA,
        .GetVersionExA = ::GetVersionExA,
        .SetupDiGetClassDevsA = ::SetupDiGetClassDevsA,
        .SetupDiEnumDeviceInterfaces = ::SetupDiEnumDeviceInterfaces,
        .SetupDiGetDeviceInterfaceDetailA = ::SetupDiGetDeviceInterfaceDetailA,
        .SetupDiGetDeviceRegistryPropertyA = ::SetupDiGetDeviceRegistryPropertyA,
        .SetupDiDestroyDeviceInfoList = ::SetupDiDestroyDeviceInfoList,
        .RegOpenKeyExA = ::RegOpenKeyExA,
        .RegEnumKeyExA = ::RegEnumKeyExA,
        .RegQueryValueExA = ::RegQueryValueExA,
        .RegCloseKey = ::RegCloseKey,
    };
    return table;
}

OsApi& osApi() {
    static OsApi table = platformOsApi();
    return table;
}
