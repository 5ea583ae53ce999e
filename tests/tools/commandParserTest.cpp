// Splitting received bytes into commands and lines.
#include "tools/korvane-sim/commandParser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using sim::CommandParser;
using sim::Piece;
using Kind = sim::Piece::Kind;

const std::string getAll = R"({"method":"get","params":"all","tid":1001})";
const std::string setPassword = R"({"method":"set","password":"739251","tid":1001,"xxx":"yyy"})";

std::vector<Piece> feedAll(CommandParser& parser, const std::string& bytes) {
    std::vector<Piece> pieces;
    parser.feed(bytes, pieces);
    return pieces;
}

std::vector<Piece> feedByteByByte(CommandParser& parser, const std::string& bytes) {
    std::vector<Piece> pieces;
    for (char c : bytes) parser.feed(std::string_view(&c, 1), pieces);
    return pieces;
}

Piece command(const std::string& text) { return {Kind::Command, text}; }
Piece line(const std::string& text) { return {Kind::Line, text}; }

TEST(SimParser, CommandWithoutLineEndIsCompleteWhenItsBraceCloses) {
    CommandParser parser;
    EXPECT_EQ(feedAll(parser, getAll), std::vector{command(getAll)});

    CommandParser byBytes;
    const auto pieces = feedByteByByte(byBytes, setPassword);
    EXPECT_EQ(pieces, std::vector{command(setPassword)});
}

TEST(SimParser, CommandSplitAnywhereWaitsForItsEnd) {
    for (std::size_t cut = 1; cut < getAll.size(); ++cut) {
        CommandParser parser;
        EXPECT_TRUE(feedAll(parser, getAll.substr(0, cut)).empty()) << "cut at " << cut;
        EXPECT_EQ(feedAll(parser, getAll.substr(cut)), std::vector{command(getAll)}) << "cut at " << cut;
    }
}

TEST(SimParser, SeveralCommandsInOneChunkComeOutInOrder) {
    CommandParser parser;
    const auto pieces = feedAll(parser, getAll + setPassword + "\r\n" + getAll);
    EXPECT_EQ(pieces, (std::vector{command(getAll), command(setPassword), command(getAll)}));
}

TEST(SimParser, BracesAndQuotesInsideStringsDoNotCount) {
    CommandParser parser;
    const std::string tricky = R"({"method":"set","password":"}{\"}\\","note":"{{","tid":5})";
    EXPECT_EQ(feedByteByByte(parser, tricky), std::vector{command(tricky)});

    const std::string nested = R"({"a":{"b":{"c":"}"}},"tid":6})";
    EXPECT_TRUE(feedAll(parser, nested.substr(0, nested.size() - 1)).empty());
    EXPECT_EQ(feedAll(parser, "}"), std::vector{command(nested)});
}

TEST(SimParser, TextOutsideObjectsIsCollectedIntoLines) {
    CommandParser parser;
    EXPECT_EQ(feedAll(parser, "AT+ID\r\n"), std::vector{line("AT+ID")}) << "CR LF ends one line";
    EXPECT_EQ(feedAll(parser, "one\rtwo\nthree"), (std::vector{line("one"), line("two")}));
    EXPECT_EQ(feedAll(parser, "\n"), std::vector{line("three")});

    EXPECT_TRUE(feedByteByByte(parser, "\r\n\n  \t\r\n").empty()) << "blank lines are ignored";
    EXPECT_TRUE(feedAll(parser, getAll + "  \r\n").size() == 1) << "spaces after a command are no line";
}

TEST(SimParser, PartialInputAnswersNothing) {
    CommandParser parser;
    EXPECT_TRUE(feedAll(parser, "hello").empty());
    EXPECT_TRUE(feedAll(parser, R"({"method":"get","params":"all")").empty());
    EXPECT_TRUE(feedAll(parser, R"({"tid":"}")").empty()) << "the brace is inside a string";
}

// Text on a command's line, before the command or after it, is settled with that line, however
// its bytes arrive; it never waits to be put in front of the next line.
TEST(SimParser, TextOnACommandsLineIsSettledHoweverItsBytesArrive) {
    struct Case {
        std::vector<std::string> writes;
        std::vector<Piece> pieces;
    };
    const std::string nuls("\0\0", 2), high(279, '\x80');
    const Case cases[] = {
        {{nuls + getAll, "BBBB\r\n"}, {command(getAll), line(nuls), line("BBBB")}},
        {{"junk " + getAll, " tail\n"}, {command(getAll), line("junk "), line(" tail")}},
        {{"{}" + high}, {command("{}"), line(high)}},
        {{"{}", high}, {command("{}"), line(high)}},
        {{"{}", high, "\r\nAT", "\r"}, {command("{}"), line(high), line("AT")}},
    };
    for (const Case& c : cases) {
        CommandParser parser;
        std::vector<Piece> pieces;
        for (const std::string& bytes : c.writes) parser.feed(bytes, pieces);
        EXPECT_EQ(pieces, c.pieces) << c.writes.size() << " writes, the first " << c.writes[0].size() << " bytes";
    }
}

TEST(SimParser, LeftoversAfterAnObjectDoNotPrefixTheNextLine) {
    struct Case {
        std::string first;
        std::vector<Piece> firstPieces;
    };
    for (const Case& c : std::vector<Case>{
             {getAll + "}}}", {command(getAll), line("}}}")}},
             {getAll + " " + getAll, {command(getAll), command(getAll)}},
             {getAll + " \t", {command(getAll)}},
             {"junk " + getAll + " tail", {command(getAll), line("junk  tail")}},
         }) {
        CommandParser parser;
        EXPECT_EQ(feedAll(parser, c.first), c.firstPieces) << c.first;
        EXPECT_EQ(feedAll(parser, "AT\r"), std::vector{line("AT")}) << "after " << c.first;
    }
}

TEST(SimParser, RunawayObjectIsDroppedAndLaterCommandsStillWork) {
    CommandParser parser;
    std::vector<Piece> pieces;
    parser.feed("{", pieces);
    parser.feed(std::string(CommandParser::maxPiece, 'x'), pieces);
    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_EQ(pieces[0].kind, Kind::TooLong);
    EXPECT_EQ(feedAll(parser, getAll + "\r\n"), std::vector{command(getAll)});

    const auto longLine = feedAll(parser, std::string(CommandParser::maxPiece + 10, 'y'));
    ASSERT_EQ(longLine.size(), 1u) << "a line without end is handed on, not kept growing";
    EXPECT_EQ(longLine[0].text.size(), CommandParser::maxPiece);

    CommandParser blanks;
    EXPECT_TRUE(feedAll(blanks, std::string(3 * CommandParser::maxPiece, ' ')).empty()) << "blanks are no text";
    EXPECT_EQ(feedAll(blanks, "AT\r"), std::vector{line("AT")}) << "and leave nothing behind";
}

}  // namespace
