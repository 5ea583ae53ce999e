// The serial engine under a real pseudo-terminal peer.
//
// BM_EngineReceive/<rate>: a peer writes a counting pattern for a few seconds at the
// given rate (bytes/s; 0 = as fast as the pty takes it) into an open xbeeCallbackComm
// whose callback counts and checks the bytes. Reports bytes delivered and lost, the
// engine's CPU per MB (every thread of the process but the peer and the benchmark's
// own), and, on the same kind of pty at the same rate, the CPU per MB of a minimal
// poll+read loop as the floor.
// BM_EngineIdlePort: CPU of an open port with nothing arriving, over 10 s.
// BM_EngineClosePort: the longest closePort of 100 open/close rounds.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "bench/processMeasures.h"
#include "serial/xbeeComm.h"
#include "tests/support/ptyPeer.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto runTime = std::chrono::seconds(4);

std::uint8_t patternByte(std::uint64_t i) { return static_cast<std::uint8_t>(i * 7 + (i >> 8)); }

// Writes the pattern into fd for runTime: at bytesPerSecond in one write per
// millisecond tick, as a USB adapter hands bytes over once per frame, or (rate 0) in
// 4096-byte writes as fast as the pty takes them. Returns the bytes written and the CPU
// the writer spent.
struct PeerResult {
    std::uint64_t written = 0;
    double cpu = 0;
};
PeerResult runPeer(int fd, std::uint64_t bytesPerSecond) {
    PeerResult result;
    const double cpu0 = threadCpuSeconds();
    std::vector<std::uint8_t> chunk(4096);
    const auto start = Clock::now();
    const auto end = start + runTime;
    auto tick = start;
    std::uint64_t ticks = 0;
    while (Clock::now() < end) {
        std::size_t size = chunk.size();
        if (bytesPerSecond != 0) {
            tick += std::chrono::milliseconds(1);
            std::this_thread::sleep_until(tick);
            ++ticks;
            const std::uint64_t due = ticks * bytesPerSecond / 1000;
            size = static_cast<std::size_t>(std::min<std::uint64_t>(due - std::min(due, result.written), chunk.size()));
            if (size == 0) continue;
        }
        for (std::size_t i = 0; i < size; ++i) chunk[i] = patternByte(result.written + i);
        std::size_t done = 0;
        while (done < size && Clock::now() < end + std::chrono::seconds(1)) {
            pollfd p{fd, POLLOUT, 0};
            if (::poll(&p, 1, 100) <= 0) continue;
            const ssize_t n = ::write(fd, chunk.data() + done, size - done);
            if (n > 0) done += static_cast<std::size_t>(n);
        }
        result.written += done;
    }
    result.cpu = threadCpuSeconds() - cpu0;
    return result;
}

// What the engine's callback saw.
std::atomic<std::uint64_t> delivered;
std::atomic<std::uint64_t> misordered;

std::int32_t countChunk(const std::uint8_t* bytes, std::uint32_t count) {
    std::uint64_t at = delivered.load(std::memory_order_relaxed);
    std::uint64_t wrong = 0;
    for (std::uint32_t i = 0; i < count; ++i) wrong += bytes[i] != patternByte(at + i);
    if (wrong != 0) misordered += wrong;
    delivered.store(at + count, std::memory_order_relaxed);
    return static_cast<std::int32_t>(count);
}

bool openEngine(xbeeCallbackComm& comm, const PtyPeer& peer, DWORD baud) {
    comm.rxCallback = countChunk;
    comm.portNumber = peer.portNumber();
    std::snprintf(comm.devicePath, sizeof comm.devicePath, "\\\\.\\COM%d", peer.portNumber());
    if (!comm.openPort() || !comm.setupPort()) return false;
    os::GetCommState(comm.handle, &comm.dcb);
    comm.dcb.BaudRate = baud;
    comm.dcb.ByteSize = 8;
    comm.dcb.Parity = NOPARITY;
    comm.dcb.StopBits = ONESTOPBIT;
    return os::SetCommState(comm.handle, &comm.dcb) != FALSE;
}

// The floor: the least a reader of the same pty at the same rate must spend.
double minimalReaderCpuPerMB(std::uint64_t bytesPerSecond) {
    PtyPeer peer(240);
    const int fd = ::open(peer.slavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    std::atomic<bool> stop{false};
    std::uint64_t got = 0;
    double cpu = 0;
    std::thread reader([&] {
        const double cpu0 = threadCpuSeconds();
        std::vector<std::uint8_t> buffer(4096);
        while (!stop.load(std::memory_order_relaxed)) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0) continue;
            const ssize_t n = ::read(fd, buffer.data(), buffer.size());
            if (n > 0) got += static_cast<std::uint64_t>(n);
        }
        cpu = threadCpuSeconds() - cpu0;
    });
    const PeerResult sent = runPeer(peer.masterFd(), bytesPerSecond);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));  // let the reader drain
    stop = true;
    reader.join();
    ::close(fd);
    return sent.written > 0 ? cpu / (static_cast<double>(sent.written) / 1e6) : 0;
}

void BM_EngineReceive(benchmark::State& state) {
    const auto rate = static_cast<std::uint64_t>(state.range(0));
    const DWORD baud = rate == 0 ? 4000000 : static_cast<DWORD>(rate * 10);
    for (auto _ : state) {
        PtyPeer peer(241);
        xbeeCallbackComm comm;
        delivered = 0;
        misordered = 0;
        if (!openEngine(comm, peer, baud)) {
            state.SkipWithError("could not open the pty as a port");
            return;
        }
        const double mainCpu0 = threadCpuSeconds();
        const double process0 = processCpuSeconds();
        PeerResult sent;
        std::thread writer([&] { sent = runPeer(peer.masterFd(), rate); });
        writer.join();
        eventually([&] { return delivered.load() >= sent.written; }, std::chrono::seconds(5));
        const double engineCpu = processCpuSeconds() - process0 - sent.cpu - (threadCpuSeconds() - mainCpu0);
        comm.closePort();
        const double mb = static_cast<double>(sent.written) / 1e6;
        state.counters["sent_bytes"] = static_cast<double>(sent.written);
        state.counters["delivered_bytes"] = static_cast<double>(delivered.load());
        state.counters["lost_bytes"] = static_cast<double>(sent.written - std::min(sent.written, delivered.load()));
        state.counters["wrong_bytes"] = static_cast<double>(misordered.load());
        state.counters["engine_cpu_s_per_MB"] = mb > 0 ? engineCpu / mb : 0;
        state.counters["floor_cpu_s_per_MB"] = minimalReaderCpuPerMB(rate);
        state.counters["MB_per_s"] = mb / std::chrono::duration<double>(runTime).count();
    }
}
BENCHMARK(BM_EngineReceive)->Arg(23040)->Arg(300000)->Arg(0)->Iterations(1)->Unit(benchmark::kSecond);

void BM_EngineIdlePort(benchmark::State& state) {
    for (auto _ : state) {
        PtyPeer peer(242);
        xbeeCallbackComm comm;
        if (!openEngine(comm, peer, 115200)) {
            state.SkipWithError("could not open the pty as a port");
            return;
        }
        const double process0 = processCpuSeconds();
        const double main0 = threadCpuSeconds();
        const auto start = Clock::now();
        std::this_thread::sleep_for(std::chrono::seconds(10));
        const double wall = std::chrono::duration<double>(Clock::now() - start).count();
        const double cpu = processCpuSeconds() - process0 - (threadCpuSeconds() - main0);
        comm.closePort();
        state.counters["idle_cpu_s"] = cpu;
        state.counters["idle_core_percent"] = 100.0 * cpu / wall;
    }
}
BENCHMARK(BM_EngineIdlePort)->Iterations(1)->Unit(benchmark::kSecond);

void BM_EngineClosePort(benchmark::State& state) {
    for (auto _ : state) {
        PtyPeer peer(243);
        xbeeCallbackComm comm;
        double worst = 0, total = 0;
        for (int i = 0; i < 100; ++i) {
            if (!openEngine(comm, peer, 115200)) {
                state.SkipWithError("could not open the pty as a port");
                return;
            }
            peer.send("some bytes on the line");
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            const auto start = Clock::now();
            comm.closePort();
            const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
            worst = std::max(worst, ms);
            total += ms;
        }
        state.counters["close_max_ms"] = worst;
        state.counters["close_mean_ms"] = total / 100;
    }
}
BENCHMARK(BM_EngineClosePort)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
