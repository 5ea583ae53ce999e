// How a read's time-outs turn into its deadline and byte interval.
#include <gtest/gtest.h>

#include "platform/posix/readTimeouts.h"

namespace {

using posix::ReadTimeouts;
using Clock = ReadTimeouts::Clock;
using std::chrono::milliseconds;

constexpr DWORD MAXDWORD = 0xFFFFFFFF;
constexpr auto never = Clock::time_point::max();

struct Case {
    const char* name;
    COMMTIMEOUTS timeouts;  // interval, multiplier, constant
    DWORD count;
    bool atOnce, anyByte;
    long long deadlineMs;  // -1: none
    long long intervalMs;  // 0: none
};

TEST(ReadTimeouts, CommTimeoutsGiveTheDeadlineAndIntervalOfARead) {
    // clang-format off
    const Case cases[] = {
        {"all zero waits for every byte",               {0, 0, 0, 0, 0},                      10, false, false, -1, 0},
        {"interval MAXDWORD, totals 0 returns at once", {MAXDWORD, 0, 0, 0, 0},               10, true,  false, -1, 0},
        {"constant plus multiplier per byte",           {0, 7, 100, 0, 0},                    10, false, false, 170, 0},
        {"interval alone",                              {25, 0, 0, 0, 0},                     10, false, false, -1, 25},
        {"any byte completes, the constant bounds it",  {MAXDWORD, MAXDWORD, 300, 0, 0},      10, false, true,  300, 0},
        {"constant MAXDWORD makes it a plain total",    {MAXDWORD, MAXDWORD, MAXDWORD, 0, 0}, 10, false, false,
         11LL * MAXDWORD, 0},
        {"a total past decades means never",            {0, MAXDWORD, MAXDWORD, 0, 0}, 1000000, false, false, -1, 0},
    };
    // clang-format on
    const auto start = Clock::now();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ReadTimeouts::returnAtOnce(c.timeouts), c.atOnce);
        const auto r = ReadTimeouts::forRead(c.timeouts, c.count, start);
        EXPECT_EQ(r.anyByteCompletes, c.anyByte);
        EXPECT_EQ(r.deadline, c.deadlineMs < 0 ? never : start + milliseconds(c.deadlineMs));
        EXPECT_EQ(r.interval, milliseconds(c.intervalMs));
    }
}

TEST(ReadTimeouts, TheIntervalRunsFromTheLastByteOnceThereIsOne) {
    const auto start = Clock::now();
    const auto r = ReadTimeouts::forRead({25, 0, 1000, 0, 0}, 10, start);
    EXPECT_EQ(r.due(0, start), start + milliseconds(1000));
    const auto last = start + milliseconds(50);
    EXPECT_EQ(r.due(3, last), last + milliseconds(25));
    EXPECT_FALSE(r.expired(last + milliseconds(24), 3, last));
    EXPECT_TRUE(r.expired(last + milliseconds(25), 3, last));
    EXPECT_FALSE(r.expired(start + milliseconds(999), 0, start));
    EXPECT_TRUE(r.expired(start + milliseconds(1000), 0, start));
}

TEST(ReadTimeouts, AnyByteCompletesOnTheFirstByte) {
    const auto start = Clock::now();
    const auto r = ReadTimeouts::forRead({MAXDWORD, MAXDWORD, 300, 0, 0}, 10, start);
    EXPECT_FALSE(r.expired(start, 0, start));
    EXPECT_TRUE(r.expired(start, 1, start));
}

}  // namespace
