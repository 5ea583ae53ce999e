#include "bench/endToEnd/tableFlags.h"

#include <cstring>
#include <string_view>

TableFlags readTableFlags(int argc, char** argv, const char* name) {
    TableFlags flags;
    std::string filter;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg.starts_with("--benchmark_filter=")) filter = arg.substr(std::strlen("--benchmark_filter="));
        if (arg == "--benchmark_list_tests" || arg == "--benchmark_list_tests=true") flags.listOnly = true;
        if (arg.starts_with("--rows=")) flags.rows = std::regex(std::string(arg.substr(std::strlen("--rows="))));
    }
    if (!filter.empty() && filter != "all") {
        const bool negative = filter.front() == '-';
        if (negative) filter.erase(0, 1);
        flags.selected = std::regex_search(name, std::regex(filter)) != negative;
    }
    return flags;
}
