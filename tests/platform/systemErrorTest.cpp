// The system's reason kept beside the Windows code it was mapped to.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "platform/osApi.h"
#include "platform/posix/event.h"
#include "platform/posix/port.h"
#include "platform/posix/thread.h"

namespace {

TEST(SystemError, AFailedOpenKeepsItsErrnoAndCall) {
    DWORD error = ERROR_SUCCESS;
    EXPECT_EQ(posix::Port::open("/nonexistent/korvane-port", error), nullptr);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    const posix::SystemError kept = posix::lastSystemError();
    EXPECT_EQ(kept.number, ENOENT);
    EXPECT_STREQ(kept.call, "open");
}

// Threads and events that cannot be made read as Windows reports them, not as "access denied".
TEST(SystemError, FailedResourceCreationsNameTheirCall) {
    struct Case {
        const char* what;
        void (*failNext)(int);
        int number;
        const char* call;
        DWORD code;
    };
    const Case cases[] = {
        {"event", posix::failEventCreations, EMFILE, "eventfd", ERROR_TOO_MANY_OPEN_FILES},
        {"thread", posix::failThreadStarts, EAGAIN, "pthread_create", ERROR_NOT_ENOUGH_MEMORY},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.failNext(1);
        const HANDLE thread = os::BeginThread([](void*) -> unsigned { return 0; }, nullptr);
        const DWORD error = os::GetLastError();
        c.failNext(0);
        EXPECT_EQ(thread, nullptr);
        EXPECT_EQ(error, c.code);
        const posix::SystemError kept = posix::lastSystemError();
        EXPECT_EQ(kept.number, c.number);
        EXPECT_STREQ(kept.call, c.call);
    }
}

}  // namespace
