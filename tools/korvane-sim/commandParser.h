// Splits the bytes the module receives into complete commands (JSON objects) and
// plain text lines. Bytes may arrive split anywhere; a command is complete when its
// outermost brace closes, with or without a line end after it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

struct Piece {
    enum class Kind {
        Command,  // one whole JSON object, from its opening to its closing brace
        Line,     // text outside any object, ended by CR or LF (or settled, below); never blank
        TooLong,  // an object that grew past maxPiece without closing; it is dropped
    };
    Kind kind;
    std::string text;

    bool operator==(const Piece&) const = default;
};

class CommandParser {
public:
    // A real module's input buffer is small too. The limit keeps a stray '{' from
    // swallowing every later command, and a stream without line ends from growing
    // the line without bound.
    static constexpr std::size_t maxPiece = 4096;

    // Appends to out every piece that these bytes complete. Text on the line of an object
    // that has closed, before it or after it, is settled at the end of each feed as that
    // line's text, however its bytes arrive, and never put in front of the next line.
    void feed(std::string_view bytes, std::vector<Piece>& out);

private:
    void feedObject(char c, std::vector<Piece>& out);
    void feedLine(char c, std::vector<Piece>& out);

    std::string object_;  // the object being collected, empty outside one
    int depth_ = 0;
    bool inString_ = false;
    bool escaped_ = false;
    std::string line_;          // text outside objects since the last line end or settling
    bool objectOnLine_ = false;  // an object has closed since the last line end
};

}  // namespace sim
