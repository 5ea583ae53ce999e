// The operating-system operations the logic uses, by their Windows names and shapes.
//
// Every call goes through one table of function pointers, so that a test can replace
// a single operation (to make it fail, or to watch it) while the others stay real.
// On Windows the table holds the system's own functions, except WriteFile, which
// copies the bytes into a per-port write queue first; on Linux it holds platform/posix.
// The logic calls os::CreateFileA(...) and never the table directly.
#pragma once

#include "platform/winTypes.h"

using ThreadEntry = unsigned(WINAPI*)(void* argument);

struct OsApi {
    // Files and serial ports
    HANDLE(WINAPI* CreateFileA)(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                                DWORD disposition, DWORD flags, HANDLE templateFile);
    BOOL(WINAPI* CloseHandle)(HANDLE object);
    BOOL(WINAPI* GetCommState)(HANDLE port, LPDCB dcb);
    BOOL(WINAPI* SetCommState)(HANDLE port, LPDCB dcb);
    BOOL(WINAPI* SetupComm)(HANDLE port, DWORD inQueue, DWORD outQueue);
    BOOL(WINAPI* GetCommTimeouts)(HANDLE port, LPCOMMTIMEOUTS timeouts);
    BOOL(WINAPI* SetCommTimeouts)(HANDLE port, LPCOMMTIMEOUTS timeouts);
    BOOL(WINAPI* PurgeComm)(HANDLE port, DWORD flags);
    BOOL(WINAPI* SetCommMask)(HANDLE port, DWORD mask);
    BOOL(WINAPI* WaitCommEvent)(HANDLE port, LPDWORD eventWord, LPOVERLAPPED overlapped);
    BOOL(WINAPI* GetOverlappedResult)(HANDLE port, LPOVERLAPPED overlapped, LPDWORD transferred, BOOL wait);
    BOOL(WINAPI* ReadFile)(HANDLE port, LPVOID buffer, DWORD count, LPDWORD read, LPOVERLAPPED overlapped);
    BOOL(WINAPI* WriteFile)(HANDLE port, LPCVOID buffer, DWORD count, LPDWORD written,
                            LPOVERLAPPED overlapped);
    BOOL(WINAPI* ClearCommError)(HANDLE port, LPDWORD errors, LPCOMSTAT status);
    BOOL(WINAPI* GetCommModemStatus)(HANDLE port, LPDWORD modemStatus);

    // Events and threads
    HANDLE(WINAPI* CreateEventA)(LPSECURITY_ATTRIBUTES security, BOOL manualReset, BOOL initialState,
                                 LPCSTR name);
    BOOL(WINAPI* SetEvent)(HANDLE event);
    BOOL(WINAPI* ResetEvent)(HANDLE event);
    DWORD(WINAPI* WaitForSingleObject)(HANDLE object, DWORD milliseconds);
    // The C runtime's thread start: default stack, running at once. Null on failure.
    HANDLE (*BeginThread)(ThreadEntry entry, void* argument);
    BOOL(WINAPI* TerminateThread)(HANDLE thread, DWORD exitCode);
    BOOL(WINAPI* SetThreadPriority)(HANDLE thread, int priority);
    DWORD(WINAPI* GetLastError)();
    void(WINAPI* SetLastError)(DWORD error);

    // Windows and messages
    int(WINAPI* MessageBoxA)(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
    BOOL(WINAPI* IsWindow)(HWND window);
    BOOL(WINAPI* PostMessageA)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    // Port discovery: version, device set-up and the registry
    BOOL(WINAPI* GetVersionExA)(LPOSVERSIONINFOA info);
    HDEVINFO(WINAPI* SetupDiGetClassDevsA)(const GUID* classGuid, LPCSTR enumerator, HWND parent, DWORD flags);
    BOOL(WINAPI* SetupDiEnumDeviceInterfaces)(HDEVINFO set, PSP_DEVINFO_DATA device, const GUID* interfaceGuid,
                                              DWORD index, PSP_DEVICE_INTERFACE_DATA interfaceData);
    BOOL(WINAPI* SetupDiGetDeviceInterfaceDetailA)(HDEVINFO set, PSP_DEVICE_INTERFACE_DATA interfaceData,
                                                   PSP_DEVICE_INTERFACE_DETAIL_DATA_A detail, DWORD detailSize,
                                                   LPDWORD requiredSize, PSP_DEVINFO_DATA device);
    BOOL(WINAPI* SetupDiGetDeviceRegistryPropertyA)(HDEVINFO set, PSP_DEVINFO_DATA device, DWORD property,
                                                    LPDWORD type, BYTE* buffer, DWORD size, LPDWORD requiredSize);
    BOOL(WINAPI* SetupDiDestroyDeviceInfoList)(HDEVINFO set);
    LONG(WINAPI* RegOpenKeyExA)(HKEY parent, LPCSTR subKey, DWORD options, REGSAM access, PHKEY result);
    LONG(WINAPI* RegEnumKeyExA)(HKEY key, DWORD index, LPSTR name, LPDWORD nameLength, LPDWORD reserved,
                                LPSTR className, LPDWORD classLength, PFILETIME lastWrite);
    LONG(WINAPI* RegQueryValueExA)(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, BYTE* data,
                                   LPDWORD dataLength);
    LONG(WINAPI* RegCloseKey)(HKEY key);
};

// The table in use. It starts out holding the platform's operations.
OsApi& osApi();

// The platform's own operations, whatever the table holds now.
const OsApi& platformOsApi();

namespace os {

inline HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                          DWORD disposition, DWORD flags, HANDLE templateFile) {
    return osApi().CreateFileA(name, access, share, security, disposition, flags, templateFile);
}
inline BOOL CloseHandle(HANDLE object) { return osApi().CloseHandle(object); }
inline BOOL GetCommState(HANDLE port, LPDCB dcb) { return osApi().GetCommState(port, dcb); }
inline BOOL SetCommState(HANDLE port, LPDCB dcb) { return osApi().SetCommState(port, dcb); }
inline BOOL SetupComm(HANDLE port, DWORD inQueue, DWORD outQueue) {
    return osApi().SetupComm(port, inQueue, outQueue);
}
inline BOOL GetCommTimeouts(HANDLE port, LPCOMMTIMEOUTS timeouts) {
    return osApi().GetCommTimeouts(port, timeouts);
}
inline BOOL SetCommTimeouts(HANDLE port, LPCOMMTIMEOUTS timeouts) {
    return osApi().SetCommTimeouts(port, timeouts);
}
inline BOOL PurgeComm(HANDLE port, DWORD flags) { return osApi().PurgeComm(port, flags); }
inline BOOL SetCommMask(HANDLE port, DWORD mask) { return osApi().SetCommMask(port, mask); }
inline BOOL WaitCommEvent(HANDLE port, LPDWORD eventWord, LPOVERLAPPED overlapped) {
    return osApi().WaitCommEvent(port, eventWord, overlapped);
}
inline BOOL GetOverlappedResult(HANDLE port, LPOVERLAPPED overlapped, LPDWORD transferred, BOOL wait) {
    return osApi().GetOverlappedResult(port, overlapped, transferred, wait);
}
inline BOOL ReadFile(HANDLE port, LPVOID buffer, DWORD count, LPDWORD read, LPOVERLAPPED overlapped) {
    return osApi().ReadFile(port, buffer, count, read, overlapped);
}
inline BOOL WriteFile(HANDLE port, LPCVOID buffer, DWORD count, LPDWORD written, LPOVERLAPPED overlapped) {
    return osApi().WriteFile(port, buffer, count, written, overlapped);
}
inline BOOL ClearCommError(HANDLE port, LPDWORD errors, LPCOMSTAT status) {
    return osApi().ClearCommError(port, errors, status);
}
inline BOOL GetCommModemStatus(HANDLE port, LPDWORD modemStatus) {
    return osApi().GetCommModemStatus(port, modemStatus);
}
inline HANDLE CreateEventA(LPSECURITY_ATTRIBUTES security, BOOL manualReset, BOOL initialState,
                           LPCSTR name) {
    return osApi().CreateEventA(security, manualReset, initialState, name);
}
inline BOOL SetEvent(HANDLE event) { return osApi().SetEvent(event); }
inline BOOL ResetEvent(HANDLE event) { return osApi().ResetEvent(event); }
inline DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds) {
    return osApi().WaitForSingleObject(object, milliseconds);
}
inline HANDLE BeginThread(ThreadEntry entry, void* argument) { return osApi().BeginThread(entry, argument); }
inline BOOL TerminateThread(HANDLE thread, DWORD exitCode) { return osApi().TerminateThread(thread, exitCode); }
inline BOOL SetThreadPriority(HANDLE thread, int priority) { return osApi().SetThreadPriority(thread, priority); }
inline DWORD GetLastError() { return osApi().GetLastError(); }
inline void SetLastError(DWORD error) { osApi().SetLastError(error); }
inline int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    return osApi().MessageBoxA(owner, text, caption, type);
}
inline BOOL IsWindow(HWND window) { return osApi().IsWindow(window); }
inline BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return osApi().PostMessageA(window, message, wParam, lParam);
}

inline BOOL GetVersionExA(LPOSVERSIONINFOA info) { return osApi().GetVersionExA(info); }
inline HDEVINFO SetupDiGetClassDevsA(const GUID* classGuid, LPCSTR enumerator, HWND parent, DWORD flags) {
    return osApi().SetupDiGetClassDevsA(classGuid, enumerator, parent, flags);
}
inline BOOL SetupDiEnumDeviceInterfaces(HDEVINFO set, PSP_DEVINFO_DATA device, const GUID* interfaceGuid,
                                        DWORD index, PSP_DEVICE_INTERFACE_DATA interfaceData) {
    return osApi().SetupDiEnumDeviceInterfaces(set, device, interfaceGuid, index, interfaceData);
}
inline BOOL SetupDiGetDeviceInterfaceDetailA(HDEVINFO set, PSP_DEVICE_INTERFACE_DATA interfaceData,
                                             PSP_DEVICE_INTERFACE_DETAIL_DATA_A detail, DWORD detailSize,
                                             LPDWORD requiredSize, PSP_DEVINFO_DATA device) {
    return osApi().SetupDiGetDeviceInterfaceDetailA(set, interfaceData, detail, detailSize, requiredSize, device);
}
inline BOOL SetupDiGetDeviceRegistryPropertyA(HDEVINFO set, PSP_DEVINFO_DATA device, DWORD property,
                                              LPDWORD type, BYTE* buffer, DWORD size, LPDWORD requiredSize) {
    return osApi().SetupDiGetDeviceRegistryPropertyA(set, device, property, type, buffer, size, requiredSize);
}
inline BOOL SetupDiDestroyDeviceInfoList(HDEVINFO set) { return osApi().SetupDiDestroyDeviceInfoList(set); }
inline LONG RegOpenKeyExA(HKEY parent, LPCSTR subKey, DWORD options, REGSAM access, PHKEY result) {
    return osApi().RegOpenKeyExA(parent, subKey, options, access, result);
}
inline LONG RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameLength, LPDWORD reserved,
                          LPSTR className, LPDWORD classLength, PFILETIME lastWrite) {
    return osApi().RegEnumKeyExA(key, index, name, nameLength, reserved, className, classLength, lastWrite);
}
inline LONG RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, BYTE* data,
                             LPDWORD dataLength) {
    return osApi().RegQueryValueExA(key, valueName, reserved, type, data, dataLength);
}
inline LONG RegCloseKey(HKEY key) { return osApi().RegCloseKey(key); }

}  // namespace os
