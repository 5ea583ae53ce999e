// The built program itself, as scripts/run starts it: with the module simulator on COM99, on
// the offscreen platform, taking its screenshot and closing through its close request.
#include <sys/wait.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "tests/tools/simChild.h"

namespace {

using namespace std::chrono_literals;

TEST(Program, StartsBesideTheSimulatorShowsItsWindowAndEndsCleanly) {
    simtest::TempFolder runtime;
    simtest::SimChild sim(runtime.path(), {});
    const auto ready = sim.readLine();
    ASSERT_TRUE(ready.has_value()) << sim.errorOutput();
    ASSERT_NE(ready->find("COM99"), std::string::npos) << *ready;

    const std::string shot = runtime.path() + "/korvane.png";
    simtest::SimChild korvane(KORVANE_PATH, runtime.path(), {},
                              {"QT_QPA_PLATFORM=offscreen", "KORVANE_SCREENSHOT=" + shot});
    const auto said = korvane.readLine(120s);
    ASSERT_TRUE(said.has_value()) << korvane.errorOutput();
    EXPECT_EQ(*said, "Screenshot saved: " + shot);
    const auto status = korvane.waitForExit(120s);
    ASSERT_TRUE(status.has_value()) << "the window did not close itself";
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << *status << "\n" << korvane.errorOutput();
    EXPECT_GT(std::filesystem::file_size(shot), 1000u);
    EXPECT_FALSE(sim.waitForExit(0ms).has_value()) << "the simulator is not korvane's to end";
}

}  // namespace
