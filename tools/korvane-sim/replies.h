// What the module answers to one complete piece of input.
#pragma once

#include <string>
#include <string_view>

#include "tools/korvane-sim/commandParser.h"

namespace sim {

struct Identity {
    std::string id;  // "KV-0099" for the module on COM99
};

Identity identityForPort(int port);

// The reply to a command: one JSON line ending in CR LF, carrying the command's "tid"
// as it was sent. Unknown or unreadable commands get an error reply.
std::string replyToCommand(std::string_view command, const Identity& identity);

// The reply to any piece: commands as above, text lines echoed with CR LF.
std::string replyTo(const Piece& piece, const Identity& identity);

}  // namespace sim
