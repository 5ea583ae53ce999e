// The receive box's rows (platform/win32/textRows.h) with made-up widths: where lines break and
// wrap, and that laying out only around a change gives the rows a whole new layout gives.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/win32/textRows.h"
#include "tests/win32/check.h"

namespace {

using win32::AdvanceWidths;
using win32::TextRows;

// 10 pixels a unit, 20 for Chinese; tab stops every 40.
int fakeWidth(wchar_t c) { return c >= 0x2E80 && c <= 0x9FFF ? 20 : 10; }

AdvanceWidths& widths() {
    static AdvanceWidths table(fakeWidth, 40);
    return table;
}

// The rows' characters, each row ended by '|' but the last.
std::wstring shown(const TextRows& rows) {
    std::wstring out;
    for (std::size_t r = 0; r < rows.rowCount(); ++r) {
        if (r > 0) out += L'|';
        out.append(rows.text(), rows.rowStart(r), rows.rowEnd(r) - rows.rowStart(r));
    }
    return out;
}

std::vector<std::size_t> startsOf(const TextRows& rows) {
    std::vector<std::size_t> starts;
    for (std::size_t r = 0; r < rows.rowCount(); ++r) starts.push_back(rows.rowStart(r));
    return starts;
}

void expectRows(const TextRows& rows, const std::wstring& expected, const char* name) {
    const std::wstring got = shown(rows);
    CHECK(got == expected);
    if (got != expected) {
        std::printf("  \"%s\" shows as:", name);
        for (wchar_t c : got) std::printf(c < 0x80 ? " %c" : " U+%04X", static_cast<unsigned>(c));
        std::printf("\n");
    }
}

struct LayoutCase {
    const char* name;
    std::vector<std::wstring> pieces;  // appended one after the other
    int width;
    std::wstring rows;
};

const LayoutCase layoutCases[] = {
    {"CR LF, LF and CR each end a line", {L"a\r\nb\nc\rd"}, 100, L"a|b|c|d"},
    {"a break at the end leaves an empty last row", {L"a\r\n"}, 100, L"a|"},
    {"an empty text is one empty row", {L""}, 100, L""},
    {"a line wraps after its last blank that fits", {L"aaa bbb ccc"}, 50, L"aaa |bbb |ccc"},
    {"a word longer than the row breaks where it is full", {L"abcdefgh"}, 50, L"abcde|fgh"},
    {"blanks past the edge hang there", {L"abcde   f"}, 50, L"abcde   |f"},
    {"Chinese breaks between any two characters", {L"中文测试"}, 50, L"中文|测试"},
    {"a tab reaches the next stop and may end a row", {L"a\tb"}, 45, L"a\t|b"},
    {"a surrogate pair is never cut", {L"abcd\xD83D\xDE00"}, 50, L"abcd|\xD83D\xDE00"},
    {"a CR at a piece's end and an LF starting the next are one break", {L"a\r", L"\nb"}, 100, L"a|b"},
    {"a piece that starts a row in the middle of a long word", {L"abc", L"defgh", L"ij"}, 50, L"abcde|fghij"},
};

void checkLayout() {
    for (const LayoutCase& c : layoutCases) {
        TextRows rows(widths(), c.width);
        for (const std::wstring& piece : c.pieces) rows.append(piece);
        expectRows(rows, c.rows, c.name);
    }
    TextRows crLf(widths(), 100);
    crLf.append(L"a\r");
    crLf.append(L"\nb");
    CHECK(crLf.text() == L"a\r\nb");
}

void checkPositions() {
    TextRows rows(widths(), 100);
    rows.assign(L"ab\tc\r\nd");
    CHECK(rows.xOf(0, 2) == 20);
    CHECK(rows.xOf(0, 3) == 40);  // after the tab: its stop
    CHECK(rows.xOf(0, 6) == 50);  // past the row's characters: their end
    // The nearer edge of the character under x.
    CHECK(rows.offsetAt(0, 4) == 0);
    CHECK(rows.offsetAt(0, 6) == 1);
    CHECK(rows.offsetAt(0, 200) == 4);  // right of the row: before its line break
    CHECK(rows.rowOf(5) == 0 && rows.rowOf(6) == 1);
    CHECK(!rows.wraps(0));
}

// A small text generator: words, Chinese, blanks, all three line breaks and long runs.
struct Random {
    std::uint32_t state = 936;
    std::uint32_t next(std::uint32_t below) {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) % below;
    }
};

std::wstring randomPiece(Random& random) {
    static const wchar_t* const parts[] = {L"word ", L"longerword", L"中文", L"\r\n", L"\n",
                                           L"\r",    L" ",          L"\t",   L"x",    L"0123456789abcdef",
                                           L"行"};
    std::wstring piece;
    for (std::uint32_t n = random.next(6); n > 0; --n) piece += parts[random.next(std::size(parts))];
    return piece;
}

// After every edit the rows must be those of the whole text laid out anew.
void checkEditsKeepTheLayout() {
    Random random;
    TextRows rows(widths(), 73);
    int mismatches = 0;
    for (int step = 0; step < 2000; ++step) {
        const std::size_t size = rows.size();
        const std::size_t from = size > 0 ? random.next(static_cast<std::uint32_t>(size + 1)) : 0;
        const std::size_t to = from + (random.next(3) == 0 ? random.next(8) : 0);
        if (random.next(2) == 0)
            rows.append(randomPiece(random));
        else
            rows.replace(from, to, randomPiece(random));
        TextRows fresh(widths(), 73);
        fresh.assign(rows.text());
        if (startsOf(rows) != startsOf(fresh) && mismatches++ < 3)
            std::printf("  step %d: the rows differ\n", step);
    }
    CHECK(mismatches == 0);
    // And after the width changes.
    rows.layOut(131);
    TextRows fresh(widths(), 131);
    fresh.assign(rows.text());
    CHECK(startsOf(rows) == startsOf(fresh));
}

}  // namespace

void smoke::checkTextRows() {
    checkLayout();
    checkPositions();
    checkEditsKeepTheLayout();
}
