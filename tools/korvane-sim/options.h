// The simulator's command line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/korvane-sim/stream.h"

namespace sim {

struct Options {
    int port = 99;                  // COM99 lists last, so Korvane preselects it
    std::uint64_t streamRate = 0;   // bytes per second; 0: no stream
    StreamKind streamKind = StreamKind::Counting;
    bool pace = true;               // output at the byte rate of the port's line settings
    bool verbose = false;
    bool help = false;
};

// The options in args (without the program name), or nothing with the reason in error.
std::optional<Options> parseOptions(const std::vector<std::string>& args, std::string& error);

std::string usage();

}  // namespace sim
