#include "bench/endToEnd/report.h"

#include <algorithm>
#include <cstdio>

#include "bench/processMeasures.h"

namespace {

using ull = unsigned long long;

// "p50/p99" in milliseconds.
std::string medianAndTail(const std::vector<double>& seconds, const char* format) {
    char text[40];
    std::snprintf(text, sizeof text, format, percentile(seconds, 50) * 1000, percentile(seconds, 99) * 1000);
    return text;
}

}  // namespace

void printHeader(const char* what) {
    std::printf("%s\n"
                "KB = 1000 bytes. Times in ms: tick = a display tick's logic and append; latency = from\n"
                "a peer's write to its last byte in the box; input = from posting a key press to its\n"
                "handling. CPU = the process's CPU seconds per MB counted (the peer's thread left out),\n"
                "GUI = the GUI thread's part of it. RSS = resident bytes added per byte in the box\n"
                "(shown + pre-filled); meaningful where megabytes were shown.\n\n",
                what);
    std::printf("%-26s %8s %8s %8s %5s %13s %14s %13s %8s %8s %7s\n", "run", "written", "counted", "shown",
                "lost", "tick p50/p99", "latency p50/99", "input p50/99", "CPU s/MB", "GUI s/MB", "RSS B/B");
}

void printRow(const char* name, const Result& r) {
    if (!r.failure.empty()) {
        std::printf("%-26s %s\n", name, r.failure.c_str());
    } else if (!r.ofWindow) {
        std::printf("%-26s %8llu %8llu %8s %5llu %13s %14s %13s %8.3f %8s %7s\n", name, ull(r.written),
                    ull(r.counted), "-", ull(r.written - std::min(r.written, r.counted)), "-", "-", "-",
                    r.cpuPerMB, "-", "-");
    } else {
        std::printf("%-26s %8llu %8llu %8llu %5llu %13s %14s %13s %8.3f %8.3f %7.2f\n", name, ull(r.written),
                    ull(r.counted), ull(r.shown), ull(r.written - std::min(r.written, r.counted)),
                    medianAndTail(r.ticks, "%.2f/%.2f").c_str(),
                    medianAndTail(r.latencies, "%.1f/%.1f").c_str(),
                    medianAndTail(r.inputDelays, "%.2f/%.2f").c_str(), r.cpuPerMB, r.guiCpuPerMB,
                    r.residentPerShown);
    }
    if (!r.capture.empty()) std::printf("%-26s capture file: %s\n", "", r.capture.c_str());
    std::fflush(stdout);
}
