#pragma once
// The command line of a benchmark that prints one table instead of being a Google Benchmark,
// read so that scripts/bench can pick it like the others: --benchmark_filter=REGEX (a regular
// expression searched in the name, or after a leading '-' one that must not be found),
// --benchmark_list_tests, and --rows=REGEX for the rows to run. Other flags are ignored.

#include <regex>
#include <string>

struct TableFlags {
    bool selected = true;   // the filter picks this benchmark
    bool listOnly = false;  // print the name and end
    std::regex rows{"."};
};

TableFlags readTableFlags(int argc, char** argv, const char* name);
