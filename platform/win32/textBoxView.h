#pragma once
// One text box window (textBox.h): its text and rows, selection, view, font and caret. The
// window procedure (textBoxWindow.cpp) hands each message to one of these; they are spread over
// textBoxView.cpp (text, selection, view, caret), textBoxPaint.cpp, textBoxInput.cpp (keys and
// mouse) and textBoxCommands.cpp (clipboard and context menu).

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

#include <windows.h>

#include "platform/win32/advanceWidths.h"
#include "platform/win32/textRows.h"

namespace win32 {

class TextBoxView {
public:
    explicit TextBoxView(HWND window);
    ~TextBoxView();
    TextBoxView(const TextBoxView&) = delete;
    TextBoxView& operator=(const TextBoxView&) = delete;

    // ---- text
    const std::wstring& text() const { return rows_.text(); }
    void setText(std::wstring_view text);           // the caret at the start, the view at the top
    void append(std::wstring_view text);            // nothing the user sees moves
    void replaceSelection(std::wstring_view text);  // the caret after it, in view

    // ---- selection, in UTF-16 units; the caret is at `caret`, the other end at `anchor`
    std::pair<std::size_t, std::size_t> selection() const;  // ascending
    void select(std::size_t anchor, std::size_t caret);
    void selectAll() { select(0, text().size()); }

    // ---- view: whole rows, the first one shown at the top
    std::size_t firstVisibleRow() const { return top_; }
    std::size_t rowCount() const { return rows_.rowCount(); }
    // Where the offset's character shows (its row's top left), in client coordinates; the row
    // may be out of view.
    POINT pointOf(std::size_t offset) const;
    // The offset under a point of the client area; atRowEnd tells that it is a wrapped row's end.
    std::size_t offsetAtPoint(POINT at, bool& atRowEnd) const;
    std::size_t rowOf(std::size_t offset) const { return rows_.rowOf(offset); }
    void scrollRows(std::ptrdiff_t rows);
    void scrollToCaret();
    void verticalScroll(int request);  // a WM_VSCROLL request
    void wheel(int delta);

    // ---- font and size
    void setFont(HFONT font, bool redraw);
    HFONT font() const { return font_; }
    void resized();

    // ---- window events
    void paint();
    void focusChanged(bool focused);
    void enabledChanged() { InvalidateRect(window_, nullptr, FALSE); }
    void key(WPARAM key);
    void character(wchar_t c);
    void mouseDown(POINT at, bool extend);
    void mouseMove(POINT at);
    void mouseUp();
    void captureLost();
    void doubleClick(POINT at);
    void dragTick();  // the timer that scrolls while a drag is above or below the box
    void contextMenu(POINT screen);

    // ---- commands
    void copy() const;
    void cut();
    void paste();
    void deleteSelection();

    static constexpr UINT_PTR dragTimer = 1;
    static constexpr int margin = 2;  // pixels left and right of the rows

private:
    void useFont(HFONT font);  // measures with it and lays the rows out again
    // Not with ES_READONLY; the program changes the text either way.
    bool userMayEdit() const { return !(GetWindowLongW(window_, GWL_STYLE) & ES_READONLY); }
    int visibleRows() const;  // whole rows that fit, at least one
    std::size_t lastTop() const;
    // The row the caret shows in: at a wrapped row's end it may show after that row's last
    // character rather than before the next row's first.
    std::size_t caretRow() const;
    int clientWidth() const;
    // Moves the caret; extend keeps the anchor (Shift), otherwise the selection collapses.
    void moveCaret(std::size_t to, bool extend, bool atRowEnd = false);
    void moveVertically(std::ptrdiff_t rows, bool extend);
    std::size_t before(std::size_t offset) const;  // one character back: "\r\n" and pairs are one
    std::size_t after(std::size_t offset) const;
    std::size_t wordBefore(std::size_t offset) const;
    std::size_t wordAfter(std::size_t offset) const;
    // The user's edit: replaces [from, to), leaves the caret after it and shows it.
    void edit(std::size_t from, std::size_t to, std::wstring_view with);
    void changed(std::size_t firstRow);  // after the rows from this one on changed
    void scrollTo(std::size_t row);
    void updateScrollBar();
    void placeCaret();
    void invalidateRowsFrom(std::size_t row);
    void paintRow(HDC dc, std::size_t row, int y, int width);
    std::wstring selectedText() const;  // line breaks as "\r\n", as the clipboard has them

    HWND window_;
    HDC measureDc_;
    HFONT font_ = nullptr;
    int lineHeight_ = 16;
    AdvanceWidths widths_;
    TextRows rows_;  // measured with widths_
    std::size_t anchor_ = 0;
    std::size_t caret_ = 0;
    bool caretAtRowEnd_ = false;
    int goalX_ = -1;  // where up and down keep the caret, from the last move across rows; -1 none
    std::size_t top_ = 0;
    bool focused_ = false;
    bool dragging_ = false;
    POINT dragAt_{};
    int wheelRest_ = 0;           // of a wheel turned less than a notch
    SCROLLINFO shownBar_{};       // what the scroll bar was last given
    SCROLLBARINFO shownThumb_{};  // and how it was last drawn
};

// The view of a text box window; nullptr for another window.
TextBoxView* textBoxView(HWND window);

}  // namespace win32
