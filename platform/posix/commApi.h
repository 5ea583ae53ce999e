// The serial-port operations on Linux, with their Windows names and shapes.
#pragma once

#include "platform/winTypes.h"

namespace posix {

HANDLE WINAPI CreateFileA(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                          DWORD disposition, DWORD flags, HANDLE templateFile);
BOOL WINAPI CloseHandle(HANDLE object);
BOOL WINAPI GetCommState(HANDLE port, LPDCB dcb);
BOOL WINAPI SetCommState(HANDLE port, LPDCB dcb);
BOOL WINAPI SetupComm(HANDLE port, DWORD inQueue, DWORD outQueue);
BOOL WINAPI GetCommTimeouts(HANDLE port, LPCOMMTIMEOUTS timeouts);
BOOL WINAPI SetCommTimeouts(HANDLE port, LPCOMMTIMEOUTS timeouts);
BOOL WINAPI PurgeComm(HANDLE port, DWORD flags);
BOOL WINAPI SetCommMask(HANDLE port, DWORD mask);
BOOL WINAPI WaitCommEvent(HANDLE port, LPDWORD eventWord, LPOVERLAPPED overlapped);
BOOL WINAPI GetOverlappedResult(HANDLE port, LPOVERLAPPED overlapped, LPDWORD transferred, BOOL wait);
// Waits at most milliseconds (INFINITE: no bound), then fails with WAIT_TIMEOUT; not alertable.
BOOL WINAPI GetOverlappedResultEx(HANDLE port, LPOVERLAPPED overlapped, LPDWORD transferred, DWORD milliseconds,
                                  BOOL alertable);
BOOL WINAPI ReadFile(HANDLE port, LPVOID buffer, DWORD count, LPDWORD read, LPOVERLAPPED overlapped);
BOOL WINAPI WriteFile(HANDLE port, LPCVOID buffer, DWORD count, LPDWORD written, LPOVERLAPPED overlapped);
BOOL WINAPI ClearCommError(HANDLE port, LPDWORD errors, LPCOMSTAT status);
BOOL WINAPI GetCommModemStatus(HANDLE port, LPDWORD modemStatus);

}  // namespace posix
