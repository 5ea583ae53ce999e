// The user's keys and mouse in a text box, as an edit control takes them: arrows, Home, End,
// Page Up and Page Down move the caret (with Ctrl by words or to the text's ends, with Shift
// selecting); typed characters replace the selection; Backspace and Delete remove a character
// or the selection; the mouse selects by clicking and dragging, a double click selects a word.
#include <algorithm>

#include "platform/win32/textBoxView.h"

namespace win32 {

namespace {

bool down(int key) { return (GetKeyState(key) & 0x8000) != 0; }

}  // namespace

void TextBoxView::key(WPARAM key) {
    const bool shift = down(VK_SHIFT);
    const bool control = down(VK_CONTROL);
    const auto page = static_cast<std::ptrdiff_t>(visibleRows());
    switch (key) {
        case VK_LEFT: return moveCaret(control ? wordBefore(caret_) : before(caret_), shift);
        case VK_RIGHT: return moveCaret(control ? wordAfter(caret_) : after(caret_), shift);
        case VK_UP: return moveVertically(-1, shift);
        case VK_DOWN: return moveVertically(1, shift);
        case VK_PRIOR: scrollRows(-page); return moveVertically(-page, shift);
        case VK_NEXT: scrollRows(page); return moveVertically(page, shift);
        case VK_HOME: return moveCaret(control ? 0 : rows_.rowStart(caretRow()), shift);
        case VK_END: {
            if (control) return moveCaret(text().size(), shift);
            const std::size_t row = caretRow();
            return moveCaret(rows_.rowEnd(row), shift, rows_.wraps(row));
        }
        case VK_DELETE:
            if (shift) return cut();
            if (anchor_ == caret_ && userMayEdit()) return edit(caret_, after(caret_), {});
            return deleteSelection();
        case VK_INSERT:
            if (control) return copy();
            if (shift) return paste();
            return;
        default: return;
    }
}

void TextBoxView::character(wchar_t c) {
    constexpr wchar_t ctrlA = 0x01, ctrlC = 0x03, ctrlV = 0x16, ctrlX = 0x18, backspace = 0x08;
    switch (c) {
        case ctrlA: return selectAll();
        case ctrlC: return copy();
        case ctrlV: return paste();
        case ctrlX: return cut();
        default: break;
    }
    if (!userMayEdit()) return;
    switch (c) {
        case backspace:
            if (anchor_ == caret_) return edit(before(caret_), caret_, {});
            return deleteSelection();
        case L'\r': return replaceSelection(L"\r\n");  // comes only with ES_WANTRETURN
        default:
            if (c >= L' ' && c != 0x7F) replaceSelection(std::wstring_view(&c, 1));
            return;
    }
}

void TextBoxView::mouseDown(POINT at, bool extend) {
    if (GetFocus() != window_) SetFocus(window_);
    bool atRowEnd = false;
    const std::size_t offset = offsetAtPoint(at, atRowEnd);
    moveCaret(offset, extend, atRowEnd);
    goalX_ = -1;
    dragging_ = true;
    dragAt_ = at;
    SetCapture(window_);
}

void TextBoxView::mouseMove(POINT at) {
    if (!dragging_) return;
    dragAt_ = at;
    RECT client{};
    GetClientRect(window_, &client);
    // Above or below the box the timer scrolls; the caret follows the pointer meanwhile.
    if (at.y < 0 || at.y >= client.bottom)
        SetTimer(window_, dragTimer, 50, nullptr);
    else
        KillTimer(window_, dragTimer);
    bool atRowEnd = false;
    const std::size_t offset = offsetAtPoint(at, atRowEnd);
    if (offset != caret_ || atRowEnd != caretAtRowEnd_) moveCaret(offset, true, atRowEnd);
}

void TextBoxView::dragTick() {
    if (!dragging_) {
        KillTimer(window_, dragTimer);
        return;
    }
    RECT client{};
    GetClientRect(window_, &client);
    if (dragAt_.y < 0)
        scrollRows(-1);
    else if (dragAt_.y >= client.bottom)
        scrollRows(1);
    bool atRowEnd = false;
    moveCaret(offsetAtPoint(dragAt_, atRowEnd), true, atRowEnd);
}

void TextBoxView::mouseUp() {
    if (dragging_) ReleaseCapture();  // captureLost ends the drag
}

void TextBoxView::captureLost() {
    dragging_ = false;
    KillTimer(window_, dragTimer);
}

void TextBoxView::doubleClick(POINT at) {
    bool atRowEnd = false;
    const std::size_t offset = offsetAtPoint(at, atRowEnd);
    const std::size_t row = rows_.rowOf(offset);
    const std::wstring& t = text();
    // The run of characters of the clicked kind, blanks or not, within the row.
    const auto blank = [&](std::size_t i) { return t[i] == L' ' || t[i] == L'\t'; };
    const std::size_t rowStart = rows_.rowStart(row);
    const std::size_t rowEnd = rows_.rowEnd(row);
    const std::size_t probe = offset < rowEnd ? offset : (offset > rowStart ? offset - 1 : offset);
    if (probe >= rowEnd) return;
    const bool kind = blank(probe);
    std::size_t from = probe;
    std::size_t to = probe + 1;
    while (from > rowStart && blank(from - 1) == kind) --from;
    while (to < rowEnd && blank(to) == kind) ++to;
    anchor_ = from;
    moveCaret(to, true, rows_.wraps(row) && to == rowEnd);
}

}  // namespace win32
