// WindowsEndToEnd: the program's native window under Wine (the real Win32 host, the real main
// dialog and serial engine; bench/win32/windowRun.cpp) receiving from a pty that Wine maps as
// its COM port, which this side writes at a steady rate; prints the EndToEnd table.
//
// Rows: GBK text lines at 23 KB/s (23040 B/s) and 160 KB/s (160000 B/s) into a receive box that
// already holds 0, 1 or 4 MB (auto-clear off), 10 s each. Each row starts the window afresh
// under Wine (tests/wine/wine-run, the tests' prefix, on Xvfb unless DISPLAY is set).
//
// The window notes its display ticks by QueryPerformanceCounter, which Wine reads from
// CLOCK_MONOTONIC_RAW; this side notes its writes by steady_clock (CLOCK_MONOTONIC) and turns
// the one into the other, after checking that the window's "ready" time is a moment before
// this side saw it (else latency shows as 0).
//
// Like EndToEnd, a plain program that honours --benchmark_filter=REGEX (runs when
// "WindowsEndToEnd" matches) and --benchmark_list_tests; other flags are ignored.
#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "bench/endToEnd/pacedWriter.h"
#include "bench/endToEnd/report.h"
#include "bench/endToEnd/streams.h"
#include "bench/endToEnd/tableFlags.h"
#include "bench/processMeasures.h"
#include "tests/support/ptyPeer.h"
#include "tests/wine/wineChild.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::seconds;

constexpr std::uint64_t slowRate = 23040;   // 230400 baud
constexpr std::uint64_t fastRate = 160000;  // 1.6 Mbaud
constexpr std::size_t megabyte = 1000000;
constexpr int windowPort = 40;  // COM40 under Wine

struct Run {
    const char* name;
    std::uint64_t rate;
    std::size_t prefill;  // bytes of text in the receive box before the stream starts
    Clock::duration duration;
};

// What the window reported (windowRun.cpp's lines).
struct Report {
    long long readyAt = 0, frequency = 1;
    struct Tick {
        long long endedAt;
        std::uint64_t counted;
        double took;
    };
    std::vector<Tick> ticks;
    std::vector<double> inputDelays;
    std::uint64_t counted = 0, shown = 0;
    double cpu = 0, gui = 0;
    long long resident = 0;
    bool ended = false;
};

Report parse(const std::string& output) {
    Report report;
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string kind;
        words >> kind;
        if (kind == "READY") words >> report.readyAt >> report.frequency;
        if (kind == "INPUT") report.inputDelays.emplace_back(), words >> report.inputDelays.back();
        if (kind == "TICK") {
            Report::Tick t{};
            words >> t.endedAt >> t.counted >> t.took;
            report.ticks.push_back(t);
        }
        if (kind == "END") {
            words >> report.counted >> report.shown >> report.cpu >> report.gui >> report.resident;
            report.ended = !words.fail();
        }
    }
    return report;
}

double rawSeconds() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC_RAW, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// A folder for the control file, and its name as the window sees it (Wine's Z: is /).
class ControlFile {
public:
    ControlFile() {
        char folder[] = "/tmp/korvane-windows-bench-XXXXXX";
        if (mkdtemp(folder) != nullptr) folder_ = folder;
    }
    ~ControlFile() {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    std::string windowsPath() const {
        std::string path = "Z:" + folder_ + "/control";
        for (char& c : path) c = c == '/' ? '\\' : c;
        return path;
    }
    // Written whole, then renamed, so the window never reads half of it.
    void sayWritten(std::uint64_t bytes) const {
        { std::ofstream(folder_ + "/control.new") << "written " << bytes << "\n"; }
        std::filesystem::rename(folder_ + "/control.new", folder_ + "/control");
    }

private:
    std::string folder_;
};

void fill(Result& result, const Run& run, const Report& report, PacedWriter& writer,
          Clock::duration rawToSteady) {
    result.written = writer.written();
    result.counted = report.counted;
    result.shown = report.shown;
    result.inputDelays = report.inputDelays;
    for (const Report::Tick& t : report.ticks) {
        result.ticks.push_back(t.took);
        const auto at = std::chrono::duration<double>(static_cast<double>(t.endedAt) /
                                                      static_cast<double>(report.frequency));
        writer.takeArrivedAt(t.counted,
                             Clock::time_point(std::chrono::duration_cast<Clock::duration>(at) + rawToSteady),
                             result.latencies);
    }
    const double mb = static_cast<double>(result.counted) / megabyte;
    result.cpuPerMB = mb > 0 ? report.cpu / mb : 0;
    result.guiCpuPerMB = mb > 0 ? report.gui / mb : 0;
    const std::uint64_t inBox = result.shown + run.prefill;
    result.residentPerShown =
        inBox > 0 ? static_cast<double>(report.resident) / static_cast<double>(inBox) : 0;
}

// One row: a fresh peer and a fresh window under Wine.
Result measureWindow(const Run& run, const std::string& bytes) {
    Result result;
    PtyPeer peer(windowPort);
    const ControlFile control;
    WineChild window(
        {KORVANE_WINDOW_RUN, std::to_string(windowPort), std::to_string(run.prefill), control.windowsPath()},
        {.comPorts = {{windowPort, peer.slavePath()}}, .gui = true});
    if (!window.waitForOutput(" GO")) {  // the line's end: its numbers are in
        result.failure = "the window did not get ready: " + window.output();
        return result;
    }
    const Report ready = parse(window.output());
    const double raw = rawSeconds();
    const auto steady = Clock::now();
    const double readyAt = static_cast<double>(ready.readyAt) / static_cast<double>(ready.frequency);
    const bool sameClock = raw >= readyAt && raw - readyAt < 5;
    const auto rawToSteady = steady.time_since_epoch() -
                             std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(raw));

    PacedWriter writer(peer.masterFd(), bytes, run.rate, run.duration);
    eventually([&] { return writer.done(); },
               std::chrono::duration_cast<std::chrono::milliseconds>(run.duration + seconds(5)));
    control.sayWritten(writer.written());
    const int code = window.wait(seconds(120));
    const Report report = parse(window.output());
    if (code != 0 || !report.ended) {
        result.failure =
            "the window ended with " + std::to_string(code) + ": " + window.output().substr(0, 200);
        return result;
    }
    fill(result, run, report, writer, rawToSteady);
    if (!sameClock) result.latencies.clear();
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    const TableFlags flags = readTableFlags(argc, argv, "WindowsEndToEnd");
    if (!flags.selected) return 0;
    if (flags.listOnly) {
        std::puts("WindowsEndToEnd");
        return 0;
    }

    const std::string text = gbkTextLines(fastRate * 10);
    const Run runs[] = {
        {"text 23 KB/s, box 0 MB", slowRate, 0, seconds(10)},
        {"text 23 KB/s, box 1 MB", slowRate, 1 * megabyte, seconds(10)},
        {"text 23 KB/s, box 4 MB", slowRate, 4 * megabyte, seconds(10)},
        {"text 160 KB/s, box 0 MB", fastRate, 0, seconds(10)},
        {"text 160 KB/s, box 1 MB", fastRate, 1 * megabyte, seconds(10)},
        {"text 160 KB/s, box 4 MB", fastRate, 4 * megabyte, seconds(10)},
    };
    // Not shown: the first window after a while starts Wine's server and loads its fonts.
    measureWindow({"warm-up", slowRate, 0, seconds(2)}, text);

    printHeader(
        "WindowsEndToEnd: the native window under Wine (Win32 host, main dialog, serial engine), fed\n"
        "through a pty mapped as its COM port. CPU is the Wine process's (the wineserver's is not counted).");
    std::vector<Result> results;
    for (const Run& run : runs) {
        if (!std::regex_search(run.name, flags.rows)) continue;
        results.push_back(measureWindow(run, text));
        printRow(run.name, results.back());
    }
    if (results.size() != std::size(runs)) return 0;  // the ratios need every row

    for (std::size_t empty : {0u, 3u}) {
        const double emptyP99 = percentile(results[empty].ticks, 99);
        const double fullP99 = percentile(results[empty + 2].ticks, 99);
        std::printf("\n%s: tick p99, box 4 MB / box 0 MB: %.2fx (target <= 2x)",
                    empty == 0 ? "23 KB/s" : "160 KB/s", emptyP99 > 0 ? fullP99 / emptyP99 : 0.0);
    }
    std::uint64_t lost = 0;
    for (std::size_t i = 3; i < 6; ++i)
        lost += results[i].written - std::min(results[i].written, results[i].counted);
    std::printf("\nlost at 160 KB/s, all three rows: %llu bytes (target 0)\n",
                static_cast<unsigned long long>(lost));
    return 0;
}
