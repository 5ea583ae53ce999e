// One producer and one consumer hammer a queue for a couple of seconds, the way the
// monitor thread and the display timer do, with the consumer also emptying the queue
// now and then. Afterwards the bytes the consumer saw must be the producer's stored
// bytes in order: gaps only where a put reported fewer bytes stored or a reset
// discarded them. The consumer keeps a running hash of what it saw, with checkpoints,
// rather than the bytes themselves, so the run can last seconds. Runs under TSan in CI,
// which checks the index ordering itself.
#include "serial/rxQueue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <random>
#include <thread>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

constexpr std::uint32_t capacity = 16384;
constexpr std::size_t checkpointEvery = 1u << 20;
constexpr std::uint32_t startIndex = 0xFFFFFFFFu - 40000;  // the indices wrap early on
constexpr std::size_t storedLimit = 512u << 20;            // bounds the run's memory and time

// A byte that depends on its whole stream position: no period, so a byte left over
// from one lap of the ring earlier never passes for the expected one.
std::uint8_t patternByte(std::uint64_t position) {
    std::uint64_t x = (position + 1) * 0x9E3779B97F4A7C15ull;
    x ^= x >> 29;
    x *= 0xBF58476D1CE4E5B9ull;
    return static_cast<std::uint8_t>(x >> 56);
}

struct StoredRun {
    std::uint64_t position;  // stream position of the run's first byte
    std::uint32_t length;
};

// FNV-1a over the stream of bytes, with a checkpoint every checkpointEvery bytes.
struct StreamHash {
    std::uint64_t value = 0xCBF29CE484222325ull;
    std::size_t count = 0;
    std::vector<std::uint64_t> checkpoints;

    void add(std::uint8_t byte) {
        value = (value ^ byte) * 0x100000001B3ull;
        if (++count % checkpointEvery == 0) checkpoints.push_back(value);
    }
};

struct Skip {
    std::size_t atReceived;  // number of bytes received before the reset
    std::uint32_t length;    // bytes the reset discarded
};

TEST(RxQueueStress, ConcurrentPutGetAndResetKeepOrder) {
    static std::uint8_t storage[capacity];
    RxQueue queue;
    init(&queue, storage, capacity);
    queue.in.store(startIndex);
    queue.out.store(startIndex);

    std::atomic<bool> producerDone{false};
    std::vector<StoredRun> stored;
    std::size_t droppingPuts = 0;
    std::size_t storedTotal = 0;

    std::thread producer([&] {
        std::minstd_rand random(1);
        std::uniform_int_distribution<std::uint32_t> chunkSize(1, 2048);
        Bytes chunk(2048);
        std::uint64_t position = 0;
        const auto deadline = Clock::now() + std::chrono::seconds(3);
        while (storedTotal < storedLimit && Clock::now() < deadline) {
            const std::uint32_t size = chunkSize(random);
            for (std::uint32_t i = 0; i < size; ++i) chunk[i] = patternByte(position + i);
            const std::uint32_t n = put(&queue, chunk.data(), size);
            if (n > size) {
                ADD_FAILURE() << "put stored " << n << " of " << size;
                break;
            }
            if (n > 0) stored.push_back({position, n});
            if (n < size) ++droppingPuts;
            storedTotal += n;
            position += size;  // the dropped tail is a gap in the stream
        }
        producerDone.store(true, std::memory_order_release);
    });

    StreamHash received;
    std::vector<Skip> skips;
    std::size_t fullWaits = 0;
    // A lambda, so that a failed assertion leaves it and the producer is still joined.
    auto consume = [&] {
        std::minstd_rand random(2);
        std::uniform_int_distribution<std::uint32_t> pieceSize(1, 9000);
        std::uniform_int_distribution<int> action(0, 999);
        Bytes piece(9000);
        for (;;) {
            const bool done = producerDone.load(std::memory_order_acquire);
            const int what = action(random);
            if (what == 0) {
                // `out` is the consumer's own index, so reading it around reset is exact.
                const std::uint32_t before = queue.out.load();
                reset(&queue);
                skips.push_back({received.count, queue.out.load() - before});
                ASSERT_LE(skips.back().length, capacity);
            } else if (what < 3 && !done) {
                // Let the producer fill the queue, so that its puts come up short.
                ++fullWaits;
                while (length(&queue) < static_cast<std::int32_t>(capacity) &&
                       !producerDone.load(std::memory_order_acquire))
                    std::this_thread::yield();
            }
            const std::uint32_t n = get(&queue, piece.data(), pieceSize(random));
            ASSERT_LE(length(&queue), static_cast<std::int32_t>(capacity));
            for (std::uint32_t i = 0; i < n; ++i) received.add(piece[i]);
            if (done && length(&queue) == 0) break;
        }
    };
    consume();
    producer.join();
    ASSERT_FALSE(HasFatalFailure());

    // Replay the stored runs, skipping what each reset discarded, and hash the result.
    StreamHash expected;
    auto skip = skips.begin();
    std::uint64_t toSkip = 0;
    for (const StoredRun& run : stored) {
        for (std::uint32_t i = 0; i < run.length; ++i) {
            while (skip != skips.end() && skip->atReceived == expected.count)
                toSkip += (skip++)->length;
            if (toSkip > 0)
                --toSkip;
            else
                expected.add(patternByte(run.position + i));
        }
    }
    while (skip != skips.end()) toSkip += (skip++)->length;
    EXPECT_EQ(toSkip, 0u) << "a reset discarded more than was stored";
    ASSERT_EQ(received.count, expected.count) << "bytes received vs bytes stored";
    for (std::size_t c = 0; c < expected.checkpoints.size(); ++c)
        ASSERT_EQ(received.checkpoints[c], expected.checkpoints[c])
            << "the received stream differs within its MiB number " << c;
    EXPECT_EQ(received.value, expected.value) << "the received stream differs in its last MiB";

    std::printf("%zu bytes stored, %zu received, %zu short puts, %zu resets\n", storedTotal,
                received.count, droppingPuts, skips.size());
    // The run must have exercised what it is about.
    EXPECT_GT(droppingPuts, 0u);
    EXPECT_GT(skips.size(), 0u);
    EXPECT_GT(fullWaits, 0u);
    EXPECT_GT(storedTotal, std::size_t{0xFFFFFFFFu - startIndex}) << "the indices did not wrap";
}

}  // namespace
