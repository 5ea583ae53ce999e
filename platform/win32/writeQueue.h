// Writes to a port that take the caller's bytes over at the call.
//
// Callers free their buffer as soon as WriteFile returns and may write again at once
// with the same OVERLAPPED record while an earlier write is pending. Handing such
// writes straight to the system interleaves their bytes or sends freed memory, so each
// write is copied into its port's queue, and one writer thread per port issues the
// queued writes in call order, one at a time, with an OVERLAPPED record of its own.
//
// The caller's record only reports: it reads as pending from the call on and completes
// (status, byte count, event set) when that write is done, so GetOverlappedResult and
// waits on its event behave as usual. When a newer write reuses the record before an
// older one is done, only the newest completes it.
//
// A write is sent whole: one that ends on the port's write time-out with bytes unsent (a
// long write at a low rate) is issued again for the rest, until a purge or close.
#pragma once

#include "platform/winTypes.h"

namespace writeQueue {

// Bytes a port may hold in its queue, the write in progress included.
inline constexpr DWORD quota = 1u << 20;

// WriteFile's shape. With a record: FALSE and ERROR_IO_PENDING once queued. Without one:
// queues, then waits until written. A write that would take the queue past the quota
// fails with ERROR_NOT_ENOUGH_QUOTA and queues nothing.
BOOL write(HANDLE port, LPCVOID buffer, DWORD count, LPDWORD written, LPOVERLAPPED overlapped);

// Drops the writes not yet begun and cancels the one in progress; their records
// complete as aborted. Nothing happens for a port that was never written to.
void purge(HANDLE port);

// Bytes queued and not yet handed to the device.
DWORD waitingBytes(HANDLE port);

// How often, on any port, a write ended on its time-out with bytes unsent and the rest was
// issued again (tests watch it to know a slow line has held a write past its time-out).
unsigned resumedWrites();

// Stops the port's writer, completes what it still held as aborted and frees the queue.
// The port handle itself stays open. False when the port had no queue.
bool close(HANDLE port);

}  // namespace writeQueue
