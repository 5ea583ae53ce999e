// Reads the top-level members of one JSON object, which is all a command needs.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace sim {

struct JsonValue {
    bool isString = false;
    std::string text;     // a string's decoded contents (UTF-8); empty for other values
    std::string compact;  // the value as JSON on one line, whitespace outside strings removed
};

// The members of the object that makes up all of json (surrounding whitespace aside),
// by name; a repeated name keeps its last value. Nothing when json is not one valid object.
std::optional<std::map<std::string, JsonValue>> readObjectMembers(std::string_view json);

}  // namespace sim
