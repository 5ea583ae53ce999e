// Opening the port object when the system runs short of events.
#include <gtest/gtest.h>

#include <cstdio>

#include "serial/xbeeComm.h"
#include "tests/support/ptyPeer.h"
#include "tests/support/scopedOsApi.h"

namespace {

int eventsLeft = 0;  // events the system can still make; -1: no shortage

TEST(XbeeOpenFailure, RecordWithoutItsEventFailsTheOpenUntilOneCanBeMade) {
    PtyPeer peer;
    ScopedOsApi api;
    static HANDLE(WINAPI * makeEvent)(LPSECURITY_ATTRIBUTES, BOOL, BOOL, LPCSTR);
    makeEvent = api->CreateEventA;
    api->CreateEventA = [](LPSECURITY_ATTRIBUTES security, BOOL manual, BOOL initial, LPCSTR name) -> HANDLE {
        if (eventsLeft == 0) return nullptr;
        if (eventsLeft > 0) --eventsLeft;
        return makeEvent(security, manual, initial, name);
    };
    eventsLeft = 2;  // the last of the three records gets none
    xbeeCallbackComm comm;
    std::snprintf(comm.devicePath, sizeof comm.devicePath, "\\\\.\\COM%d", peer.portNumber());

    EXPECT_FALSE(comm.openPort());
    EXPECT_EQ(comm.handle.load(), INVALID_HANDLE_VALUE);

    eventsLeft = -1;
    EXPECT_TRUE(comm.openPort());
    comm.closePort();
}

}  // namespace
