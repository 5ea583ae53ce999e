// The module as a whole without a device: replies queued for writing, the stream and
// its pacing, the command line.
#include "tools/korvane-sim/module.h"

#include <gtest/gtest.h>

#include <sstream>

#include "tools/korvane-sim/options.h"

namespace {

using namespace std::chrono_literals;
using sim::Clock;

std::string drain(sim::OutputQueue& output, std::size_t most = SIZE_MAX) {
    const std::size_t count = std::min(most, output.size());
    std::string bytes(output.data(), count);
    output.consume(count);
    return bytes;
}

TEST(SimModule, RepliesQueueInOrderAndAreLoggedOnlyWhenAsked) {
    std::ostringstream log;
    sim::Module module(sim::identityForPort(150), &log);
    module.receive(R"({"method":"get","at":"id","tid":1})");
    module.receive("ping\r");
    module.receive(R"({"method":"reboot","tid":2)");
    EXPECT_EQ(drain(module.output()), "{\"tid\":1,\"result\":{\"id\":\"KV-0150\"}}\r\nping\r\n");
    module.receive("}");
    EXPECT_EQ(drain(module.output()), "{\"tid\":2,\"result\":\"rebooting\"}\r\n");
    EXPECT_NE(log.str().find(R"({"method":"get","at":"id","tid":1})"), std::string::npos);
    EXPECT_NE(log.str().find("{\"tid\":2,\"result\":\"rebooting\"}\n"), std::string::npos);

    sim::Module quiet(sim::identityForPort(1), nullptr);
    quiet.receive("x\n");
    EXPECT_EQ(drain(quiet.output()), "x\r\n");
}

TEST(SimModule, QueueGivesBackBytesInOrderAcrossPartialWrites) {
    sim::OutputQueue output;
    std::string expected;
    std::string written;
    for (int round = 0; round < 200; ++round) {
        const std::string chunk(static_cast<std::size_t>(round % 17 + 1), static_cast<char>('a' + round % 26));
        output.append(chunk);
        expected += chunk;
        written += drain(output, static_cast<std::size_t>(round % 5));
    }
    written += drain(output);
    EXPECT_EQ(written, expected);
    EXPECT_TRUE(output.empty());
}

TEST(SimStream, CountingPatternRunsOnAcrossCalls) {
    sim::StreamSource source(sim::StreamKind::Counting);
    std::string bytes;
    for (std::size_t budget : {1, 300, 0, 7, 500}) EXPECT_EQ(source.produce(budget, bytes), budget);
    ASSERT_EQ(bytes.size(), 808u);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        ASSERT_EQ(static_cast<std::uint8_t>(bytes[i]), i % 256) << "at " << i;
}

TEST(SimStream, TextComesInWholeGbkLinesWithChangingNumbers) {
    sim::StreamSource source(sim::StreamKind::Text);
    std::string text;
    const std::size_t produced = source.produce(1, text);
    EXPECT_EQ(produced, text.size());
    const std::string first = text;
    EXPECT_EQ(first.substr(0, 5), "\xCE\xC2\xB6\xC8 ");  // 温度
    EXPECT_NE(first.find("\xA1\xE6 \xCA\xAA\xB6\xC8 "), std::string::npos);  // ℃ 湿度
    EXPECT_EQ(first.substr(first.size() - 3), "%\r\n");
    EXPECT_EQ(first.find('\n'), first.size() - 1) << "one line";

    text.clear();
    source.produce(1, text);
    EXPECT_NE(text, first);
}

TEST(SimStream, PacerHandsOutTheRateAndForgetsLongStalls) {
    const auto start = Clock::time_point{};
    sim::RatePacer pacer(1000, start);
    EXPECT_EQ(pacer.allowance(start), 0);
    EXPECT_EQ(pacer.allowance(start + 50ms), 50);
    pacer.spent(50);
    EXPECT_EQ(pacer.allowance(start + 60ms), 10);
    pacer.spent(30);  // a whole line beyond the credit
    EXPECT_EQ(pacer.allowance(start + 70ms), -10);
    EXPECT_EQ(pacer.allowance(start + 90ms), 10);
    EXPECT_EQ(pacer.allowance(start + 10s), 100) << "at most a tenth of a second's worth after a stall";
}

TEST(SimModule, StreamStopsGrowingWhileNothingIsWritten) {
    sim::Module module(sim::identityForPort(99), nullptr);
    const auto start = Clock::time_point{};
    module.startStream(sim::StreamKind::Counting, 1'000'000, start);
    std::size_t lastSize = 0;
    for (int tick = 1; tick <= 100; ++tick) {
        module.tick(start + tick * 10ms);
        EXPECT_GE(module.output().size(), lastSize);
        lastSize = module.output().size();
    }
    EXPECT_LE(lastSize, 64u * 1024) << "the queue is bounded when the reader stops";
    EXPECT_GT(lastSize, 0u);

    const std::string first = drain(module.output());
    module.tick(start + 2s);
    const std::string next = drain(module.output());
    ASSERT_FALSE(next.empty());
    EXPECT_EQ(static_cast<std::uint8_t>(next[0]), static_cast<std::uint8_t>(first.back() + 1))
        << "the pattern continues where it stopped";
}

// A port that takes at most `room` bytes at a time and keeps each piece it took.
struct FakePort : sim::ByteSink {
    std::size_t room = SIZE_MAX;
    std::vector<std::string> pieces;
    std::size_t take(std::string_view bytes) override {
        const std::size_t count = std::min(room, bytes.size());
        if (count > 0) pieces.emplace_back(bytes.substr(0, count));
        return count;
    }
    std::string all() const {
        std::string bytes;
        for (const auto& piece : pieces) bytes += piece;
        return bytes;
    }
};

TEST(SimModule, OutputThePortRefusesIsLostNotKeptForLater) {
    sim::Module module(sim::identityForPort(99), nullptr);
    const auto start = Clock::time_point{};
    module.startStream(sim::StreamKind::Counting, 1000, start);
    FakePort port;
    port.room = 0;  // nobody reads
    for (int tick = 1; tick <= 100; ++tick) {
        module.tick(start + tick * 10ms);
        module.send(start + tick * 10ms, port);
    }
    EXPECT_TRUE(module.output().empty());
    EXPECT_EQ(module.dropped(), 1000u);

    port.room = SIZE_MAX;
    module.tick(start + 1010ms);
    module.send(start + 1010ms, port);
    ASSERT_EQ(port.all().size(), 10u) << "only what is due now, nothing stale";
    EXPECT_EQ(static_cast<std::uint8_t>(port.all()[0]), 1000 % 256) << "the stream went on while it was lost";

    port.room = 3;
    module.receive("0123456789\n");
    module.send(start + 1010ms, port);
    EXPECT_EQ(port.pieces.back(), "012");
    EXPECT_EQ(module.dropped(), 1009u);
}

TEST(SimModule, PacedReplyLeavesInPiecesAtTheLineRate) {
    sim::Module module(sim::identityForPort(150), nullptr);
    const auto start = Clock::time_point{} + 1h;
    module.paceAt(sim::lineBytesPerSecond(9600, 8, false, false), start - 1s);  // an idle line
    module.receive(R"({"method":"get","params":"all","tid":1})");
    const std::size_t replySize = module.output().size();
    ASSERT_GT(replySize, 60u);
    FakePort port;
    for (int ms = 0; ms <= 200; ++ms) module.send(start + ms * 1ms, port);
    EXPECT_EQ(port.all().size(), replySize);
    EXPECT_LE(port.pieces.front().size(), 10u) << "an idle line saves up only a few characters";
    EXPECT_GT(port.pieces.size(), 10u);

    sim::Module flat(sim::identityForPort(150), nullptr);
    flat.paceAt(0, start);
    flat.receive(R"({"method":"get","params":"all","tid":1})");
    FakePort flatPort;
    flat.send(start, flatPort);
    EXPECT_EQ(flatPort.pieces.size(), 1u) << "unpaced: all at once";
}

TEST(SimModule, LineRateCountsStartParityAndStopBits) {
    EXPECT_EQ(sim::lineBytesPerSecond(9600, 8, false, false), 960u);
    EXPECT_EQ(sim::lineBytesPerSecond(115200, 8, true, true), 9600u);
    EXPECT_EQ(sim::lineBytesPerSecond(300, 7, true, false), 30u);
    EXPECT_EQ(sim::lineBytesPerSecond(1, 8, false, false), 1u) << "never zero";
}

std::optional<sim::Options> parse(std::vector<std::string> args, std::string* errorOut = nullptr) {
    std::string error;
    auto options = sim::parseOptions(args, error);
    if (errorOut != nullptr) *errorOut = error;
    return options;
}

TEST(SimOptions, DefaultsAndEachOption) {
    const auto plain = parse({});
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->port, 99);
    EXPECT_EQ(plain->streamRate, 0u);
    EXPECT_FALSE(plain->verbose);
    EXPECT_TRUE(plain->pace);
    EXPECT_FALSE(parse({"--no-pace"})->pace);
    EXPECT_TRUE(parse({"--no-pace", "--pace"})->pace);

    const auto all = parse({"--port", "150", "--stream=2000", "--text", "-v"});
    ASSERT_TRUE(all);
    EXPECT_EQ(all->port, 150);
    EXPECT_EQ(all->streamRate, 2000u);
    EXPECT_EQ(all->streamKind, sim::StreamKind::Text);
    EXPECT_TRUE(all->verbose);
    EXPECT_TRUE(parse({"--help"})->help);
}

TEST(SimOptions, BadCommandLinesAreRefusedWithAReason) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"--port", "0"}, {"--port", "1025"}, {"--port", "12x"}, {"--port"}, {"--stream", "0"},
             {"--stream", "-5"}, {"--text"}, {"--bogus"}, {"-v=1"}, {"--no-pace=1"}, {"extra"}}) {
        std::string error;
        EXPECT_FALSE(parse(args, &error)) << args[0];
        EXPECT_FALSE(error.empty());
    }
    EXPECT_TRUE(parse({"--port", "1"}));
    EXPECT_TRUE(parse({"--port", "1024"}));
}

}  // namespace
