#pragma once
// What a benchmark reads of its own process: CPU time, resident memory, and percentiles.

#include <cstdint>
#include <vector>

double threadCpuSeconds();   // the calling thread's
double processCpuSeconds();  // every thread's, user and system
std::uint64_t residentBytes();  // VmRSS

// The p-th percentile (0..100) of the values, nearest rank; 0 for none.
double percentile(std::vector<double> values, double p);
