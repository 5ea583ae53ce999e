#pragma once
// The clocks, as Windows reads them.

#include "platform/winTypes.h"

namespace posix {

// The local date and time (the TZ rules), to the millisecond.
void WINAPI GetLocalTime(LPSYSTEMTIME time);
// Milliseconds of a clock that never goes back: the time since boot.
ULONGLONG WINAPI GetTickCount64();

}  // namespace posix
