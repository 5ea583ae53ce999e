#include "tools/korvane-sim/replies.h"

#include <cstdio>

#include "tools/korvane-sim/jsonMembers.h"

namespace sim {
namespace {

using Members = std::map<std::string, JsonValue>;

// The fixed settings the module reports besides its id.
constexpr std::string_view firmware = "3.1.0";
constexpr int power = 14;
constexpr int channel = 11;
constexpr std::string_view panId = "7A3F";

bool hasString(const Members& members, const std::string& name, std::string_view value) {
    const auto found = members.find(name);
    return found != members.end() && found->second.isString && found->second.text == value;
}

// Appended rather than "\"" + text: GCC 12 warns falsely (-Wrestrict) on that form at -O2.
std::string quoted(std::string_view text) {
    std::string out = "\"";
    out.append(text).push_back('"');
    return out;
}

// Builds {"tid":..., <body>} CR LF, leaving out the tid when the command had none.
std::string line(const Members* members, const std::string& body) {
    std::string reply = "{";
    if (members != nullptr) {
        if (const auto tid = members->find("tid"); tid != members->end())
            reply += "\"tid\":" + tid->second.compact + ",";
    }
    return reply + body + "}\r\n";
}

std::string error(const Members* members, std::string_view message) {
    return line(members, "\"error\":" + quoted(message));
}

std::string get(const Members& members, const Identity& identity) {
    if (hasString(members, "params", "all")) {
        return line(&members, "\"result\":{\"id\":" + quoted(identity.id) + ",\"fw\":" + quoted(firmware) +
                                  ",\"power\":" + std::to_string(power) + ",\"channel\":" +
                                  std::to_string(channel) + ",\"pan\":" + quoted(panId) + "}");
    }
    if (hasString(members, "at", "id")) return line(&members, "\"result\":{\"id\":" + quoted(identity.id) + "}");
    return error(&members, "unknown parameter");
}

}  // namespace

Identity identityForPort(int port) {
    char id[16];
    std::snprintf(id, sizeof id, "KV-%04d", port);
    return {id};
}

std::string replyToCommand(std::string_view command, const Identity& identity) {
    const auto members = readObjectMembers(command);
    if (!members) return error(nullptr, "invalid json");
    if (hasString(*members, "method", "get")) return get(*members, identity);
    if (hasString(*members, "method", "set")) {
        if (members->contains("password")) return line(&*members, "\"result\":\"ok\"");
        return error(&*members, "password required");
    }
    if (hasString(*members, "method", "reboot")) return line(&*members, "\"result\":\"rebooting\"");
    return error(&*members, "unknown method");
}

std::string replyTo(const Piece& piece, const Identity& identity) {
    switch (piece.kind) {
    case Piece::Kind::Command: return replyToCommand(piece.text, identity);
    case Piece::Kind::Line: return piece.text + "\r\n";
    case Piece::Kind::TooLong: return error(nullptr, "command too long");
    }
    return {};
}

}  // namespace sim
