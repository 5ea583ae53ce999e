// The built simulator end to end: its link, its pty, its stream, and how it ends.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/osApi.h"
#include "tests/tools/simChild.h"
#include "tools/korvane-sim/ptySink.h"

namespace {

namespace fs = std::filesystem;
using simtest::PortClient;
using simtest::SimChild;

constexpr const char* readyPrefix = "模拟模块已就绪: COM150 -> ";

bool exitedWith(const std::optional<int>& status, int code) {
    return status && WIFEXITED(*status) && WEXITSTATUS(*status) == code;
}

std::string target(const std::string& link) {
    std::error_code error;
    return fs::read_symlink(link, error).string();
}

// A simulator on COM150 in a private runtime folder, ready to be talked to.
class SimProcess : public ::testing::Test {
protected:
    simtest::TempFolder runtime;  // declared first: the children go before their folder
    std::string link = runtime.path() + "/korvane/ports/com150";
    std::optional<SimChild> sim;
    std::string device;  // the pty the simulator reported

    void start(std::vector<std::string> extra = {}) {
        std::vector<std::string> args{"--port", "150"};
        args.insert(args.end(), extra.begin(), extra.end());
        sim.emplace(runtime.path(), args);
        const auto ready = sim->readLine();
        ASSERT_TRUE(ready) << "no ready line; stderr: " << sim->errorOutput();
        ASSERT_TRUE(ready->starts_with(readyPrefix)) << *ready;
        device = ready->substr(std::string(readyPrefix).size());
        EXPECT_TRUE(device.starts_with("/dev/pts/")) << device;
        ASSERT_EQ(target(link), device);
    }

    void TearDown() override {
        if (HasFailure() && sim) std::cerr << "simulator stderr:\n" << sim->errorOutput();
    }
};

TEST_F(SimProcess, AnswersCommandsOverItsPortAcrossReconnects) {
    ASSERT_NO_FATAL_FAILURE(start());
    {
        PortClient client(link);
        ASSERT_TRUE(client.isOpen());
        client.send(R"({"method":"get","at":"id","tid":4242})");  // no line end, as the transmit path sends it
        EXPECT_EQ(client.readLine(), "{\"tid\":4242,\"result\":{\"id\":\"KV-0150\"}}\r\n");

        client.send(R"({"method":"get","params":"all","tid":1})" R"({"method":"set","password":"739251","tid":2})"
                    "hello\r\n" R"({"method":"reboot","params":"save","tid":3})");
        EXPECT_TRUE(client.readLine().starts_with("{\"tid\":1,\"result\":{\"id\":\"KV-0150\",\"fw\":"));
        EXPECT_EQ(client.readLine(), "{\"tid\":2,\"result\":\"ok\"}\r\n");
        EXPECT_EQ(client.readLine(), "hello\r\n");
        EXPECT_EQ(client.readLine(), "{\"tid\":3,\"result\":\"rebooting\"}\r\n");
    }
    // The application closes the port and opens it again; the module is still there.
    PortClient again(link);
    ASSERT_TRUE(again.isOpen());
    again.send(R"({"method":"reboot",)");
    again.send(R"("tid":"x9"})");
    EXPECT_EQ(again.readLine(), "{\"tid\":\"x9\",\"result\":\"rebooting\"}\r\n");
}

TEST_F(SimProcess, StreamsTheCountingPattern) {
    ASSERT_NO_FATAL_FAILURE(start({"--stream", "50000"}));
    PortClient client(link);
    ASSERT_TRUE(client.isOpen());
    const std::string bytes = client.readBytes(6000);
    ASSERT_EQ(bytes.size(), 6000u);
    for (std::size_t i = 1; i < bytes.size(); ++i) {
        ASSERT_EQ(static_cast<std::uint8_t>(bytes[i]), static_cast<std::uint8_t>(bytes[i - 1] + 1)) << "at " << i;
    }
}

TEST_F(SimProcess, TextStreamKeepsWholeLinesAndStillAnswers) {
    ASSERT_NO_FATAL_FAILURE(start({"--stream", "3000", "--text", "--no-pace"}));
    PortClient client(link);
    ASSERT_TRUE(client.isOpen());
    const std::string temperature = "\xCE\xC2\xB6\xC8 ";  // 温度 in GBK
    EXPECT_TRUE(client.readLine().starts_with(temperature));

    client.send(R"({"method":"get","at":"id","tid":77})");
    std::string line;
    for (int lines = 0; lines < 10000; ++lines) {
        line = client.readLine();
        if (line.empty() || !line.starts_with(temperature)) break;
    }
    EXPECT_EQ(line, "{\"tid\":77,\"result\":{\"id\":\"KV-0150\"}}\r\n");
}

// As on a wire, a module's output that nobody reads is lost: what waits at the port is
// bounded, and after a purge the reader gets fresh output, not a backlog.
TEST_F(SimProcess, OutputNobodyReadsIsDroppedAtThePort) {
    ASSERT_NO_FATAL_FAILURE(start({"--stream", "20000", "-v"}));
    PortClient client(link);
    ASSERT_TRUE(client.isOpen());
    ASSERT_TRUE(sim->waitForError("端口未接收, 开始丢弃输出"));
    EXPECT_LE(client.waitingBytes(), static_cast<std::size_t>(sim::PtySink::portBuffer));

    client.purge();
    const std::string fresh = client.readBytes(1000);
    ASSERT_EQ(fresh.size(), 1000u);
    for (std::size_t i = 1; i < fresh.size(); ++i)
        ASSERT_EQ(static_cast<std::uint8_t>(fresh[i]), static_cast<std::uint8_t>(fresh[i - 1] + 1)) << "at " << i;
    EXPECT_TRUE(sim->waitForError("已丢弃 ")) << "output getting through again reports what was lost";
}

TEST_F(SimProcess, SecondSimulatorOnTheSamePortIsRefused) {
    ASSERT_NO_FATAL_FAILURE(start());
    SimChild second(runtime.path(), {"--port", "150"});
    EXPECT_TRUE(exitedWith(second.waitForExit(), 1));
    EXPECT_NE(second.errorOutput().find("com150"), std::string::npos) << second.errorOutput();
    EXPECT_EQ(target(link), device) << "the first simulator's link is untouched";

    sim->signal(SIGTERM);
    EXPECT_TRUE(exitedWith(sim->waitForExit(), 0));
    EXPECT_FALSE(fs::is_symlink(link)) << "the link goes when the simulator ends";
}

TEST_F(SimProcess, DanglingLinkIsReplacedAndAForeignOneLeftInPlace) {
    fs::create_directories(runtime.path() + "/korvane/ports");
    fs::create_symlink(runtime.path() + "/gone", link);  // left behind by a killed simulator
    ASSERT_NO_FATAL_FAILURE(start());

    // Someone else takes the name while the simulator runs; it must not remove theirs.
    const std::string other = runtime.path() + "/other";
    fs::remove(link);
    fs::create_symlink(other, link);
    sim->signal(SIGINT);
    EXPECT_TRUE(exitedWith(sim->waitForExit(), 0));
    EXPECT_EQ(target(link), other);
}

// The simulator keeps the pty open itself, so the pty outlives each opening: the
// exclusive mode Korvane sets must not outlive Korvane's own handle. (Root may open
// an exclusive tty anyway, so this only bites when run as a normal user.)
TEST_F(SimProcess, KorvaneOpensThePortTimeAfterTime) {
    ASSERT_NO_FATAL_FAILURE(start());
    simtest::RuntimeDirForScope folder(runtime.path());
    for (int round = 0; round < 3; ++round) {
        const HANDLE port = os::CreateFileA("\\\\.\\COM150", GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                            OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
        ASSERT_NE(port, INVALID_HANDLE_VALUE) << "round " << round << ", error " << os::GetLastError();
        ASSERT_TRUE(os::CloseHandle(port));
    }
    PortClient client(link);
    ASSERT_TRUE(client.isOpen());
    client.send(R"({"method":"get","at":"id","tid":5})");
    EXPECT_EQ(client.readLine(), "{\"tid\":5,\"result\":{\"id\":\"KV-0150\"}}\r\n");
}

TEST_F(SimProcess, CommandLineMistakesExitWithUsage) {
    SimChild bad(runtime.path(), {"--port", "150", "--bogus"});
    EXPECT_TRUE(exitedWith(bad.waitForExit(), 2));
    EXPECT_NE(bad.errorOutput().find("--stream"), std::string::npos) << "usage on standard error";
    EXPECT_FALSE(fs::exists(fs::symlink_status(link)));

    SimChild help(runtime.path(), {"--help"});
    EXPECT_TRUE(exitedWith(help.waitForExit(), 0));
    const auto first = help.readLine();
    ASSERT_TRUE(first);
    EXPECT_NE(first->find("--port"), std::string::npos);
}

}  // namespace
