// Threads behind handles: a thread's handle polls signalled once the thread has ended,
// so WaitForSingleObject works on it as on Windows. Linux cannot end a thread by force
// safely, so TerminateThread succeeds only for a thread that has already ended.
#pragma once

#include <pthread.h>

#include "platform/osApi.h"

namespace posix {

// Starts run(argument) on a new thread: 0, or the error pthread_create gave. Every
// thread of this layer starts here.
int startThread(pthread_t* id, void* (*run)(void*), void* argument);
// For tests: the next count thread starts fail with EAGAIN, as when threads run out.
void failThreadStarts(int count);

HANDLE BeginThread(ThreadEntry entry, void* argument);
BOOL WINAPI TerminateThread(HANDLE thread, DWORD exitCode);
BOOL WINAPI SetThreadPriority(HANDLE thread, int priority);

}  // namespace posix
