#pragma once
// A text and the rows it shows as in a box of a given width: lines end at "\r\n", a lone "\n"
// or a lone "\r" (received data has all three, and they read back as they came), and a line
// too long for the width wraps after its last blank that fits, between two East Asian
// characters, or else after the last character that fits.
//
// Rows are laid out greedily, so a row depends only on where it starts and on the text after
// that: a change lays out the rows from just before it until a row starts where one started
// before. Adding at the end therefore costs what is added, whatever the text holds already.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win32/advanceWidths.h"

namespace win32 {

class TextRows {
public:
    static constexpr std::size_t npos = std::wstring::npos;

    // The widths are the box's; they must outlive the rows.
    TextRows(const AdvanceWidths& widths, int width);

    const std::wstring& text() const { return text_; }
    std::size_t size() const { return text_.size(); }

    // Replaces [from, to) with `with` (both clamped to the text) and lays out again what that
    // changes; returns the first row that changed.
    std::size_t replace(std::size_t from, std::size_t to, std::wstring_view with);
    std::size_t append(std::wstring_view piece) { return replace(size(), size(), piece); }
    void assign(std::wstring_view text);
    // The box is this many pixels wide now, or its font changed: every row is laid out again.
    void layOut(int width);

    std::size_t rowCount() const { return starts_.size(); }
    std::size_t rowStart(std::size_t row) const { return starts_[row]; }
    // Where the row's characters end: before its line break, or where the next row starts.
    std::size_t rowEnd(std::size_t row) const;
    // True when the row ends because the line was too long, not at a line break.
    bool wraps(std::size_t row) const;
    // The row that holds the offset; an offset where a row starts is in that row.
    std::size_t rowOf(std::size_t offset) const;

    // Pixels from the row's start to the offset (clamped to the row's characters).
    int xOf(std::size_t row, std::size_t offset) const;
    // The offset in the row nearest to x pixels from its start.
    std::size_t offsetAt(std::size_t row, int x) const;

private:
    // Where the next row starts when one starts at `start`; npos when it runs to the text's end.
    std::size_t nextRowStart(std::size_t start) const;
    // Lays out the rows after row `first`. `old` holds the former starts in the text that followed
    // the change, which began at oldUnchanged and begins at newUnchanged now: once a new row
    // starts where one of them does, the rest are those, moved.
    void layOutFrom(std::size_t first, const std::vector<std::size_t>& old, std::size_t oldUnchanged,
                    std::size_t newUnchanged);

    const AdvanceWidths& widths_;
    int width_;
    std::wstring text_;
    std::vector<std::size_t> starts_{0};  // where each row starts, ascending; the first at 0
};

}  // namespace win32
