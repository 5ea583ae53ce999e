// The system's reason kept beside the Windows code it was mapped to.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "platform/posix/port.h"

namespace {

TEST(SystemError, AFailedOpenKeepsItsErrnoAndCall) {
    DWORD error = ERROR_SUCCESS;
    EXPECT_EQ(posix::Port::open("/nonexistent/korvane-port", error), nullptr);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    const posix::SystemError kept = posix::lastSystemError();
    EXPECT_EQ(kept.number, ENOENT);
    EXPECT_STREQ(kept.call, "open");
}

}  // namespace
