// The operating-system operations the logic uses, by their Windows names and shapes.
//
// Every call goes through one table of function pointers, so that a test can replace
// a single operation (to make it fail, or to watch it) while the others stay real.
// On Windows the table holds the system's own functions, except WriteFile, which
// copies the bytes into a per-port write queue first; on Linux it holds platform/posix.
// The logic calls os::CreateFileA(...) and never the table directly.
//
// Each operation is declared once, in KORVANE_OS_OPERATIONS; the table's members and the
// os:: forwarders are made from that list. Adding an operation is one line here and one
// named entry in each platform's table (osApiWin32.cpp, osApiPosix.cpp).
#pragma once

#include "platform/winTypes.h"

using ThreadEntry = unsigned(WINAPI*)(void* argument);

// X(result, calling convention, name, (parameters), (arguments))
#define KORVANE_OS_OPERATIONS(X) \
    /* files and serial ports */ \
    X(HANDLE, WINAPI, CreateFileA, \
      (LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD disposition, DWORD flags, HANDLE templateFile), \
      (name, access, share, security, disposition, flags, templateFile)) \
    X(BOOL, WINAPI, CloseHandle, (HANDLE object), (object)) \
    X(BOOL, WINAPI, GetCommState, (HANDLE port, LPDCB dcb), (port, dcb)) \
    X(BOOL, WINAPI, SetCommState, (HANDLE port, LPDCB dcb), (port, dcb)) \
    X(BOOL, WINAPI, SetupComm, (HANDLE port, DWORD inQueue, DWORD outQueue), (port, inQueue, outQueue)) \
    X(BOOL, WINAPI, GetCommTimeouts, (HANDLE port, LPCOMMTIMEOUTS timeouts), (port, timeouts)) \
    X(BOOL, WINAPI, SetCommTimeouts, (HANDLE port, LPCOMMTIMEOUTS timeouts), (port, timeouts)) \
    X(BOOL, WINAPI, PurgeComm, (HANDLE port, DWORD flags), (port, flags)) \
    X(BOOL, WINAPI, SetCommMask, (HANDLE port, DWORD mask), (port, mask)) \
    X(BOOL, WINAPI, WaitCommEvent, \
      (HANDLE port, LPDWORD eventWord, LPOVERLAPPED overlapped), \
      (port, eventWord, overlapped)) \
    X(BOOL, WINAPI, GetOverlappedResult, \
      (HANDLE port, LPOVERLAPPED overlapped, LPDWORD transferred, BOOL wait), \
      (port, overlapped, transferred, wait)) \
    X(BOOL, WINAPI, GetOverlappedResultEx, \
      (HANDLE port, LPOVERLAPPED overlapped, LPDWORD transferred, DWORD milliseconds, BOOL alertable), \
      (port, overlapped, transferred, milliseconds, alertable)) \
    X(BOOL, WINAPI, ReadFile, \
      (HANDLE port, LPVOID buffer, DWORD count, LPDWORD read, LPOVERLAPPED overlapped), \
      (port, buffer, count, read, overlapped)) \
    X(BOOL, WINAPI, WriteFile, \
      (HANDLE port, LPCVOID buffer, DWORD count, LPDWORD written, LPOVERLAPPED overlapped), \
      (port, buffer, count, written, overlapped)) \
    X(BOOL, WINAPI, ClearCommError, (HANDLE port, LPDWORD errors, LPCOMSTAT status), (port, errors, status)) \
    X(BOOL, WINAPI, GetCommModemStatus, (HANDLE port, LPDWORD modemStatus), (port, modemStatus)) \
    /* events and threads */ \
    X(HANDLE, WINAPI, CreateEventA, \
      (LPSECURITY_ATTRIBUTES security, BOOL manualReset, BOOL initialState, LPCSTR name), \
      (security, manualReset, initialState, name)) \
    X(BOOL, WINAPI, SetEvent, (HANDLE event), (event)) \
    X(BOOL, WINAPI, ResetEvent, (HANDLE event), (event)) \
    X(DWORD, WINAPI, WaitForSingleObject, (HANDLE object, DWORD milliseconds), (object, milliseconds)) \
    /* the C runtime's thread start: default stack, running at once; null on failure */ \
    X(HANDLE, , BeginThread, (ThreadEntry entry, void* argument), (entry, argument)) \
    X(BOOL, WINAPI, TerminateThread, (HANDLE thread, DWORD exitCode), (thread, exitCode)) \
    X(BOOL, WINAPI, SetThreadPriority, (HANDLE thread, int priority), (thread, priority)) \
    X(DWORD, WINAPI, GetLastError, (), ()) \
    X(void, WINAPI, SetLastError, (DWORD error), (error)) \
    /* clocks: the local date and time, and milliseconds since start-up */ \
    X(void, WINAPI, GetLocalTime, (LPSYSTEMTIME time), (time)) \
    X(ULONGLONG, WINAPI, GetTickCount64, (), ()) \
    /* windows and messages */ \
    X(int, WINAPI, MessageBoxA, \
      (HWND owner, LPCSTR text, LPCSTR caption, UINT type), \
      (owner, text, caption, type)) \
    X(BOOL, WINAPI, IsWindow, (HWND window), (window)) \
    X(BOOL, WINAPI, PostMessageA, \
      (HWND window, UINT message, WPARAM wParam, LPARAM lParam), \
      (window, message, wParam, lParam)) \
    /* port discovery: version, device set-up and the registry */ \
    X(BOOL, WINAPI, GetVersionExA, (LPOSVERSIONINFOA info), (info)) \
    X(HDEVINFO, WINAPI, SetupDiGetClassDevsA, \
      (const GUID* classGuid, LPCSTR enumerator, HWND parent, DWORD flags), \
      (classGuid, enumerator, parent, flags)) \
    X(BOOL, WINAPI, SetupDiEnumDeviceInterfaces, \
      (HDEVINFO set, PSP_DEVINFO_DATA device, const GUID* interfaceGuid, DWORD index, PSP_DEVICE_INTERFACE_DATA interfaceData), \
      (set, device, interfaceGuid, index, interfaceData)) \
    X(BOOL, WINAPI, SetupDiGetDeviceInterfaceDetailA, \
      (HDEVINFO set, PSP_DEVICE_INTERFACE_DATA interfaceData, PSP_DEVICE_INTERFACE_DETAIL_DATA_A detail, DWORD detailSize, LPDWORD requiredSize, PSP_DEVINFO_DATA device), \
      (set, interfaceData, detail, detailSize, requiredSize, device)) \
    X(BOOL, WINAPI, SetupDiGetDeviceRegistryPropertyA, \
      (HDEVINFO set, PSP_DEVINFO_DATA device, DWORD property, LPDWORD type, BYTE* buffer, DWORD size, LPDWORD requiredSize), \
      (set, device, property, type, buffer, size, requiredSize)) \
    X(BOOL, WINAPI, SetupDiDestroyDeviceInfoList, (HDEVINFO set), (set)) \
    X(LONG, WINAPI, RegOpenKeyExA, \
      (HKEY parent, LPCSTR subKey, DWORD options, REGSAM access, PHKEY result), \
      (parent, subKey, options, access, result)) \
    X(LONG, WINAPI, RegEnumKeyExA, \
      (HKEY key, DWORD index, LPSTR name, LPDWORD nameLength, LPDWORD reserved, LPSTR className, LPDWORD classLength, PFILETIME lastWrite), \
      (key, index, name, nameLength, reserved, className, classLength, lastWrite)) \
    X(LONG, WINAPI, RegQueryValueExA, \
      (HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, BYTE* data, LPDWORD dataLength), \
      (key, valueName, reserved, type, data, dataLength)) \
    X(LONG, WINAPI, RegCloseKey, (HKEY key), (key))

struct OsApi {
#define KORVANE_OS_MEMBER(result, convention, name, parameters, arguments) result(convention* name) parameters;
    KORVANE_OS_OPERATIONS(KORVANE_OS_MEMBER)
#undef KORVANE_OS_MEMBER
};

// The table in use. It starts out holding the platform's operations.
OsApi& osApi();

// The platform's own operations, whatever the table holds now.
const OsApi& platformOsApi();

namespace os {

#define KORVANE_OS_FORWARDER(result, convention, name, parameters, arguments) \
    inline result name parameters { return osApi().name arguments; }
KORVANE_OS_OPERATIONS(KORVANE_OS_FORWARDER)
#undef KORVANE_OS_FORWARDER

}  // namespace os
