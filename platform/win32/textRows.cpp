#include "platform/win32/textRows.h"

#include <algorithm>

namespace win32 {

namespace {

bool isHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Chinese, Japanese and Korean text has no blanks: a line may break between any two of these.
bool isEastAsian(wchar_t c) { return (c >= 0x2E80 && c <= 0xD7FF) || (c >= 0xF900 && c <= 0xFFEF); }

}  // namespace

TextRows::TextRows(const AdvanceWidths& widths, int width) : widths_(widths), width_(width) {}

void TextRows::assign(std::wstring_view text) {
    // Fresh storage: emptying a box of megabytes gives their memory back.
    std::wstring(text).swap(text_);
    std::vector<std::size_t>{0}.swap(starts_);
    layOutFrom(0, {}, 0, 0);
}

void TextRows::layOut(int width) {
    width_ = width;
    starts_.assign(1, 0);
    layOutFrom(0, {}, 0, 0);
}

std::size_t TextRows::replace(std::size_t from, std::size_t to, std::wstring_view with) {
    from = std::min(from, size());
    to = std::clamp(to, from, size());
    // An edit in a row can change where the row before it ends (its last word may now fit), but
    // not the rows before that one; one more back covers an edit at a row's first character.
    std::size_t first = rowOf(from > 0 ? from - 1 : 0);
    if (first > 0) --first;
    const auto kept =
        std::lower_bound(starts_.begin() + static_cast<std::ptrdiff_t>(first) + 1, starts_.end(), to);
    std::vector<std::size_t> old(kept, starts_.end());
    starts_.resize(first + 1);
    text_.replace(from, to - from, with);
    layOutFrom(first, old, to, from + with.size());
    return first;
}

void TextRows::layOutFrom(std::size_t first, const std::vector<std::size_t>& old, std::size_t oldUnchanged,
                          std::size_t newUnchanged) {
    std::size_t k = 0;
    for (std::size_t start = starts_[first];;) {
        const std::size_t next = nextRowStart(start);
        if (next == npos) return;
        if (next >= newUnchanged) {
            // The text from here on is what followed the change: so are the rows, once one meets.
            while (k < old.size() && old[k] - oldUnchanged + newUnchanged < next) ++k;
            if (k < old.size() && old[k] - oldUnchanged + newUnchanged == next) {
                for (; k < old.size(); ++k) starts_.push_back(old[k] - oldUnchanged + newUnchanged);
                return;
            }
        }
        starts_.push_back(next);
        start = next;
    }
}

std::size_t TextRows::nextRowStart(std::size_t start) const {
    int x = 0;
    std::size_t breakAt = npos;  // after `start`: where this row may end when a character does not fit
    for (std::size_t i = start; i < text_.size(); ++i) {
        const wchar_t c = text_[i];
        if (c == L'\n') return i + 1;
        if (c == L'\r') return i + 1 < text_.size() && text_[i + 1] == L'\n' ? i + 2 : i + 1;
        if (isEastAsian(c) && i > start) breakAt = i;
        const int advance = widths_.of(c, x);
        // Blanks past the edge hang there: the next row starts with what follows them.
        if (c != L' ' && x + advance > width_ && i > start) {
            std::size_t cut = breakAt != npos ? breakAt : i;
            if (isLowSurrogate(text_[cut]) && cut - 1 > start && isHighSurrogate(text_[cut - 1])) --cut;
            return cut;
        }
        x += advance;
        if (c == L' ' || c == L'\t' || isEastAsian(c)) breakAt = i + 1;
    }
    return npos;
}

std::size_t TextRows::rowEnd(std::size_t row) const {
    if (row + 1 >= starts_.size()) return text_.size();
    const std::size_t next = starts_[row + 1];
    if (text_[next - 1] == L'\n')
        return next >= starts_[row] + 2 && text_[next - 2] == L'\r' ? next - 2 : next - 1;
    if (text_[next - 1] == L'\r') return next - 1;
    return next;
}

bool TextRows::wraps(std::size_t row) const {
    return row + 1 < starts_.size() && rowEnd(row) == starts_[row + 1];
}

std::size_t TextRows::rowOf(std::size_t offset) const {
    const auto after = std::upper_bound(starts_.begin(), starts_.end(), offset);
    return static_cast<std::size_t>(after - starts_.begin()) - 1;
}

int TextRows::xOf(std::size_t row, std::size_t offset) const {
    const std::size_t end = std::min(offset, rowEnd(row));
    int x = 0;
    for (std::size_t i = starts_[row]; i < end; ++i) x += widths_.of(text_[i], x);
    return x;
}

std::size_t TextRows::offsetAt(std::size_t row, int x) const {
    const std::size_t end = rowEnd(row);
    int left = 0;
    for (std::size_t i = starts_[row]; i < end;) {
        // A surrogate pair is one character: the caret never goes between its halves.
        const std::size_t units =
            isHighSurrogate(text_[i]) && i + 1 < end && isLowSurrogate(text_[i + 1]) ? 2 : 1;
        int advance = 0;
        for (std::size_t u = 0; u < units; ++u) advance += widths_.of(text_[i + u], left + advance);
        if (x < left + advance / 2) return i;
        left += advance;
        i += units;
    }
    return end;
}

}  // namespace win32
