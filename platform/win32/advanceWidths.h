#pragma once
// How far each UTF-16 unit moves the pen in one font, asked of the system once per unit and
// remembered: laying out a megabyte of text then costs a table look-up per character.

#include <functional>
#include <vector>

namespace win32 {

class AdvanceWidths {
public:
    using Measure = std::function<int(wchar_t)>;

    // tabStop: the distance between tab stops, in pixels (at least 1).
    AdvanceWidths(Measure measure, int tabStop) { reset(std::move(measure), tabStop); }

    // Another font: every width is asked again.
    void reset(Measure measure, int tabStop) {
        measure_ = std::move(measure);
        tabStop_ = tabStop > 0 ? tabStop : 1;
        table_.assign(0x10000, unknown);
    }

    // The advance of c drawn at x pixels from the row's start; a tab reaches the next stop.
    int of(wchar_t c, int x) const {
        if (c == L'\t') return tabStop_ - x % tabStop_;
        short& width = table_[static_cast<unsigned short>(c)];
        if (width == unknown) width = static_cast<short>(measure_(c));
        return width;
    }

private:
    static constexpr short unknown = -1;

    Measure measure_;
    int tabStop_ = 1;
    mutable std::vector<short> table_;
};

}  // namespace win32
