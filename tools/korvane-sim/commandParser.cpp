#include "tools/korvane-sim/commandParser.h"

#include <algorithm>

namespace sim {
namespace {

bool blank(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c == ' ' || c == '\t'; });
}

}  // namespace

void CommandParser::feed(std::string_view bytes, std::vector<Piece>& out) {
    for (char c : bytes) {
        if (depth_ > 0) feedObject(c, out);
        else if (c == '{') {
            object_.assign(1, '{');
            depth_ = 1;
        } else feedLine(c, out);
    }
    if (objectOnLine_ && !line_.empty()) {
        if (!blank(line_)) out.push_back({Piece::Kind::Line, line_});
        line_.clear();
    }
}

void CommandParser::feedObject(char c, std::vector<Piece>& out) {
    object_ += c;
    if (inString_) {
        if (escaped_) escaped_ = false;
        else if (c == '\\') escaped_ = true;
        else if (c == '"') inString_ = false;
    } else if (c == '"') {
        inString_ = true;
    } else if (c == '{') {
        ++depth_;
    } else if (c == '}' && --depth_ == 0) {
        out.push_back({Piece::Kind::Command, std::move(object_)});
        object_.clear();
        if (blank(line_)) line_.clear();  // blanks between objects are no text
        objectOnLine_ = true;
        return;
    }
    if (object_.size() > maxPiece) {
        out.push_back({Piece::Kind::TooLong, {}});
        object_.clear();
        depth_ = 0;
        inString_ = escaped_ = false;
    }
}

void CommandParser::feedLine(char c, std::vector<Piece>& out) {
    if (c == '\r' || c == '\n') {
        // CR LF ends one line: the LF then ends a blank one, which is ignored.
        if (!blank(line_)) out.push_back({Piece::Kind::Line, std::move(line_)});
        line_.clear();
        objectOnLine_ = false;
        return;
    }
    line_ += c;
    if (line_.size() >= maxPiece) {  // hand it on as it stands rather than grow; blanks are no text
        if (!blank(line_)) out.push_back({Piece::Kind::Line, std::move(line_)});
        line_.clear();
    }
}

}  // namespace sim
