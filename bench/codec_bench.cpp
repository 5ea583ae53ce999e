// Hex text throughput, in bytes of input per second.
#include "codec/hexText.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace {

std::vector<std::uint8_t> randomBytes(std::size_t count) {
    std::mt19937 random(7);
    std::vector<std::uint8_t> bytes(count);
    for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
    return bytes;
}

void BM_BytesToHexText(benchmark::State& state) {
    const auto bytes = randomBytes(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(bytesToHexText(bytes.data(), bytes.size()));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_BytesToHexText)->Arg(8192)->Arg(1 << 20);

void BM_HexTextToBytes(benchmark::State& state) {
    const auto bytes = randomBytes(static_cast<std::size_t>(state.range(0)));
    const std::string text = compactHexText(bytesToHexText(bytes.data(), bytes.size()));
    std::vector<std::uint8_t> out(bytes.size());
    for (auto _ : state) {
        hexTextToBytes(text.data(), text.size(), out.data());
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_HexTextToBytes)->Arg(8192)->Arg(1 << 20);

}  // namespace
