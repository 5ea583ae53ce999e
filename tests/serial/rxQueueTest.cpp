#include "serial/rxQueue.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes counting(std::size_t count, std::uint8_t first = 0) {
    Bytes bytes(count);
    std::iota(bytes.begin(), bytes.end(), first);
    return bytes;
}

// A small queue over its own storage, so indices and positions are easy to reason about.
class RxQueueTest : public ::testing::Test {
protected:
    static constexpr std::uint32_t capacity = 64;
    std::uint8_t storage[capacity] = {};
    RxQueue queue;

    void SetUp() override { ASSERT_EQ(init(&queue, storage, capacity), &queue); }

    std::uint32_t putBytes(const Bytes& bytes) {
        return put(&queue, bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    }
    Bytes getBytes(std::uint32_t count) {
        Bytes bytes(count);
        bytes.resize(get(&queue, bytes.data(), count));
        return bytes;
    }
    // Places both indices at `index`, as if that many bytes had passed through.
    void startAt(std::uint32_t index) {
        queue.in.store(index);
        queue.out.store(index);
    }
};

TEST_F(RxQueueTest, StartsEmpty) {
    EXPECT_EQ(length(&queue), 0);
    EXPECT_EQ(queue.overflow.load(), 0);
    EXPECT_TRUE(getBytes(10).empty());
}

TEST_F(RxQueueTest, FirstInFirstOutAcrossManyPutsAndGets) {
    EXPECT_EQ(putBytes(counting(10, 0)), 10u);
    EXPECT_EQ(putBytes(counting(5, 10)), 5u);
    EXPECT_EQ(length(&queue), 15);
    EXPECT_EQ(getBytes(4), counting(4, 0));
    EXPECT_EQ(putBytes(counting(3, 15)), 3u);
    EXPECT_EQ(getBytes(100), counting(14, 4));  // more than held: takes what is held
    EXPECT_EQ(length(&queue), 0);
}

TEST_F(RxQueueTest, PutOfNothingChangesNothing) {
    queue.overflow.store(1);
    EXPECT_EQ(put(&queue, nullptr, 0), 0u);
    EXPECT_EQ(length(&queue), 0);
    EXPECT_EQ(queue.overflow.load(), 1);
}

TEST_F(RxQueueTest, PutThatCrossesThePhysicalEndWrapsItsTail) {
    startAt(60);  // write position 60 of 64
    EXPECT_EQ(putBytes(counting(10, 100)), 10u);
    EXPECT_EQ(Bytes(storage + 60, storage + 64), counting(4, 100));
    EXPECT_EQ(Bytes(storage, storage + 6), counting(6, 104));
    EXPECT_EQ(getBytes(10), counting(10, 100));
}

TEST_F(RxQueueTest, GetThatCrossesThePhysicalEndReadsInOrder) {
    startAt(50);
    ASSERT_EQ(putBytes(counting(30, 1)), 30u);
    EXPECT_EQ(getBytes(10), counting(10, 1));
    EXPECT_EQ(getBytes(20), counting(20, 11));  // 4 before the end, 16 after
}

TEST_F(RxQueueTest, PutLargerThanTheFreeSpaceKeepsTheFirstBytes) {
    ASSERT_EQ(putBytes(counting(40, 0)), 40u);
    EXPECT_EQ(queue.overflow.load(), 0);
    EXPECT_EQ(putBytes(counting(50, 40)), 24u);  // 24 free: the last 26 are dropped
    EXPECT_EQ(queue.overflow.load(), 1);
    EXPECT_EQ(droppedBytes(&queue), 26u);
    EXPECT_EQ(length(&queue), 64);
    EXPECT_EQ(getBytes(64), counting(64, 0));
}

// The drop count adds up every byte that found no room, across resets, until init.
TEST_F(RxQueueTest, FullQueueStoresNothingAndOverflowStaysUntilReset) {
    ASSERT_EQ(putBytes(counting(64)), 64u);
    EXPECT_EQ(putBytes(counting(1, 200)), 0u);
    EXPECT_EQ(putBytes(counting(10, 200)), 0u);
    EXPECT_EQ(queue.overflow.load(), 1);
    EXPECT_EQ(droppedBytes(&queue), 11u);
    EXPECT_EQ(getBytes(64), counting(64));
    EXPECT_EQ(putBytes(counting(8)), 8u);
    EXPECT_EQ(queue.overflow.load(), 1) << "overflow is sticky until reset";
    EXPECT_EQ(reset(&queue), &queue);
    EXPECT_EQ(queue.overflow.load(), 0);
    ASSERT_EQ(putBytes(counting(70)), 64u);
    EXPECT_EQ(droppedBytes(&queue), 17u) << "reset is the consumer's; the count is the producer's";
    init(&queue, storage, capacity);
    EXPECT_EQ(droppedBytes(&queue), 0u);
}

TEST_F(RxQueueTest, ResetEmptiesTheQueueAndLaterBytesFlowNormally) {
    startAt(30);
    ASSERT_EQ(putBytes(counting(50)), 50u);
    reset(&queue);
    EXPECT_EQ(length(&queue), 0);
    EXPECT_TRUE(getBytes(64).empty());
    EXPECT_EQ(putBytes(counting(64, 7)), 64u) << "the whole capacity is free again";
    EXPECT_EQ(getBytes(64), counting(64, 7));
}

TEST_F(RxQueueTest, IndicesPassingTwoToThe32ndKeepEverythingIntact) {
    startAt(0xFFFFFFF0u);
    for (int round = 0; round < 5; ++round) {
        const auto first = static_cast<std::uint8_t>(round * 50);
        ASSERT_EQ(putBytes(counting(50, first)), 50u);
        EXPECT_EQ(length(&queue), 50);
        ASSERT_EQ(putBytes(counting(20)), 14u);  // free space is still right after the wrap
        EXPECT_EQ(getBytes(64), [&] {
            Bytes expected = counting(50, first);
            const Bytes tail = counting(14);
            expected.insert(expected.end(), tail.begin(), tail.end());
            return expected;
        }());
    }
    EXPECT_LT(queue.in.load(), 0x1000u) << "the index wrapped";
}

TEST_F(RxQueueTest, InitWithANullQueueWritesNothing) {
    EXPECT_EQ(init(nullptr, storage, capacity), nullptr);
}

TEST_F(RxQueueTest, InitEmptiesAUsedQueue) {
    ASSERT_EQ(putBytes(counting(70)), 64u);
    init(&queue, storage, capacity);
    EXPECT_EQ(length(&queue), 0);
    EXPECT_EQ(queue.overflow.load(), 0);
    EXPECT_EQ(queue.in.load(), 0u);
}

TEST(ProcessWideRxQueue, ReceiveCallbackFillsRxQueueUpToItsCapacity) {
    ASSERT_EQ(init(&rxQueue, rxQueueStorage, rxQueueCapacity), &rxQueue);
    const Bytes chunk = counting(1024);
    const int chunks = rxQueueCapacity / 1024;
    std::int64_t stored = 0;
    for (int i = 0; i <= chunks; ++i) stored += receiveCallback(chunk.data(), 1024);
    EXPECT_EQ(stored, rxQueueCapacity);
    EXPECT_EQ(length(&rxQueue), static_cast<std::int32_t>(rxQueueCapacity));
    EXPECT_EQ(rxQueue.overflow.load(), 1);
    EXPECT_EQ(droppedBytes(&rxQueue), 1024u);
    Bytes out(8192);
    ASSERT_EQ(get(&rxQueue, out.data(), 8192), 8192u);
    EXPECT_EQ(Bytes(out.begin(), out.begin() + 1024), chunk);
    reset(&rxQueue);
    EXPECT_EQ(length(&rxQueue), 0);
}

}  // namespace
