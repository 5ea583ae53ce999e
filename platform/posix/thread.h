// Threads behind handles: a thread's handle polls signalled once the thread has ended,
// so WaitForSingleObject works on it as on Windows. Linux cannot end a thread by force
// safely, so TerminateThread succeeds only for a thread that has already ended.
#pragma once

#include "platform/osApi.h"

namespace posix {

HANDLE BeginThread(ThreadEntry entry, void* argument);
BOOL WINAPI TerminateThread(HANDLE thread, DWORD exitCode);
BOOL WINAPI SetThreadPriority(HANDLE thread, int priority);

}  // namespace posix
