// The receive queue against plain memcpy of the same bytes: the monitor thread's
// 1024-byte puts and the display tick's 8192-byte gets, on one thread.
#include "serial/rxQueue.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

namespace {

constexpr std::uint32_t chunkSize = 1024;
constexpr std::uint32_t tickSize = 8192;

void BM_QueuePut1024Get8192(benchmark::State& state) {
    std::vector<std::uint8_t> chunk(chunkSize, 0x5A);
    std::vector<std::uint8_t> tick(tickSize);
    init(&rxQueue, rxQueueStorage, rxQueueCapacity);
    for (auto _ : state) {
        for (std::uint32_t i = 0; i < tickSize / chunkSize; ++i)
            receiveCallback(chunk.data(), chunkSize);
        benchmark::DoNotOptimize(get(&rxQueue, tick.data(), tickSize));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * tickSize);
}
BENCHMARK(BM_QueuePut1024Get8192);

// The floor: the same copies into and out of a 16384-byte ring, with no index logic.
void BM_MemcpyPut1024Get8192(benchmark::State& state) {
    std::vector<std::uint8_t> chunk(chunkSize, 0x5A);
    std::vector<std::uint8_t> tick(tickSize);
    static std::uint8_t ring[rxQueueCapacity];
    std::uint32_t at = 0;
    for (auto _ : state) {
        for (std::uint32_t i = 0; i < tickSize / chunkSize; ++i)
            std::memcpy(ring + (at + i * chunkSize) % rxQueueCapacity, chunk.data(), chunkSize);
        std::memcpy(tick.data(), ring + at, tickSize);
        at = (at + tickSize) % rxQueueCapacity;
        benchmark::DoNotOptimize(tick.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * tickSize);
}
BENCHMARK(BM_MemcpyPut1024Get8192);

}  // namespace
