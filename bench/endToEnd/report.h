#pragma once
// The benchmark's table: one row per run.

#include <cstdint>
#include <string>
#include <vector>

struct Result {
    bool ofWindow = true;  // false: the engine alone, without display columns
    std::uint64_t written = 0;  // by the peer
    std::uint64_t counted = 0;  // in rxCount (the engine's callback, alone)
    std::uint64_t shown = 0;    // appended to the receive box
    std::vector<double> ticks, latencies, inputDelays;  // seconds
    double cpuPerMB = 0;
    double guiCpuPerMB = 0;  // of it, the GUI thread's
    double residentPerShown = 0;
    std::string failure;  // the run could not be made
    std::string capture;  // what the capture file held, for runs that saved
};

// what: the first sentence, what the rows measure.
void printHeader(const char* what);
void printRow(const char* name, const Result& result);
