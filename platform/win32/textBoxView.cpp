#include "platform/win32/textBoxView.h"

#include <algorithm>
#include <climits>

namespace win32 {

namespace {

int measure(HDC dc, wchar_t c) {
    SIZE size{};
    GetTextExtentPoint32W(dc, &c, 1, &size);
    return size.cx;
}

bool isBreak(wchar_t c) { return c == L'\r' || c == L'\n'; }
bool isBlank(wchar_t c) { return c == L' ' || c == L'\t' || isBreak(c); }
bool isHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

}  // namespace

TextBoxView::TextBoxView(HWND window)
    : window_(window),
      measureDc_(CreateCompatibleDC(nullptr)),
      widths_([this](wchar_t c) { return measure(measureDc_, c); }, 1),
      rows_(widths_, 1) {
    useFont(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));  // until WM_SETFONT
}

TextBoxView::~TextBoxView() { DeleteDC(measureDc_); }

// ---- text

void TextBoxView::setText(std::wstring_view text) {
    rows_.assign(text);
    anchor_ = caret_ = 0;
    caretAtRowEnd_ = false;
    goalX_ = -1;
    top_ = 0;
    InvalidateRect(window_, nullptr, FALSE);
    updateScrollBar();
    placeCaret();
}

void TextBoxView::append(std::wstring_view text) {
    if (text.empty()) return;
    changed(rows_.append(text));
}

void TextBoxView::replaceSelection(std::wstring_view text) {
    const auto [from, to] = selection();
    edit(from, to, text);
}

void TextBoxView::edit(std::size_t from, std::size_t to, std::wstring_view with) {
    const std::size_t first = rows_.replace(from, to, with);
    anchor_ = caret_ = from + with.size();
    caretAtRowEnd_ = false;
    goalX_ = -1;
    if (top_ > lastTop()) {  // the text got shorter than the view
        top_ = lastTop();
        InvalidateRect(window_, nullptr, FALSE);
    }
    changed(first);
    scrollToCaret();
}

void TextBoxView::changed(std::size_t firstRow) {
    invalidateRowsFrom(firstRow);
    updateScrollBar();
    placeCaret();
}

// ---- selection

std::pair<std::size_t, std::size_t> TextBoxView::selection() const { return std::minmax(anchor_, caret_); }

void TextBoxView::select(std::size_t anchor, std::size_t caret) {
    anchor_ = std::min(anchor, text().size());
    caret_ = std::min(caret, text().size());
    caretAtRowEnd_ = false;
    goalX_ = -1;
    InvalidateRect(window_, nullptr, FALSE);
    placeCaret();
}

void TextBoxView::moveCaret(std::size_t to, bool extend, bool atRowEnd) {
    caret_ = std::min(to, text().size());
    if (!extend) anchor_ = caret_;
    caretAtRowEnd_ = atRowEnd;
    InvalidateRect(window_, nullptr, FALSE);
    scrollToCaret();
    placeCaret();
}

void TextBoxView::moveVertically(std::ptrdiff_t rows, bool extend) {
    const std::size_t from = caretRow();
    const int x = goalX_ >= 0 ? goalX_ : rows_.xOf(from, caret_);
    const auto last = static_cast<std::ptrdiff_t>(rowCount()) - 1;
    const auto row = static_cast<std::size_t>(
        std::clamp(static_cast<std::ptrdiff_t>(from) + rows, std::ptrdiff_t{0}, last));
    const std::size_t to = rows_.offsetAt(row, x);
    moveCaret(to, extend, rows_.wraps(row) && to == rows_.rowEnd(row));
    goalX_ = x;
}

std::size_t TextBoxView::caretRow() const {
    const std::size_t row = rows_.rowOf(caret_);
    const bool wrappedEnd = row > 0 && rows_.rowStart(row) == caret_ && rows_.wraps(row - 1);
    return caretAtRowEnd_ && wrappedEnd ? row - 1 : row;
}

std::size_t TextBoxView::before(std::size_t offset) const {
    const std::wstring& t = text();
    if (offset == 0) return 0;
    if (offset >= 2 && t[offset - 1] == L'\n' && t[offset - 2] == L'\r') return offset - 2;
    if (offset >= 2 && isLowSurrogate(t[offset - 1]) && isHighSurrogate(t[offset - 2])) return offset - 2;
    return offset - 1;
}

std::size_t TextBoxView::after(std::size_t offset) const {
    const std::wstring& t = text();
    if (offset >= t.size()) return t.size();
    if (offset + 1 < t.size() && t[offset] == L'\r' && t[offset + 1] == L'\n') return offset + 2;
    if (offset + 1 < t.size() && isHighSurrogate(t[offset]) && isLowSurrogate(t[offset + 1]))
        return offset + 2;
    return offset + 1;
}

// Words are what lies between blanks and line breaks.
std::size_t TextBoxView::wordBefore(std::size_t offset) const {
    const std::wstring& t = text();
    while (offset > 0 && isBlank(t[offset - 1])) --offset;
    while (offset > 0 && !isBlank(t[offset - 1])) --offset;
    return offset;
}

std::size_t TextBoxView::wordAfter(std::size_t offset) const {
    const std::wstring& t = text();
    while (offset < t.size() && !isBlank(t[offset])) ++offset;
    while (offset < t.size() && isBlank(t[offset])) ++offset;
    return offset;
}

// ---- view

int TextBoxView::clientWidth() const {
    RECT client{};
    GetClientRect(window_, &client);
    return client.right;
}

int TextBoxView::visibleRows() const {
    RECT client{};
    GetClientRect(window_, &client);
    return std::max(1, static_cast<int>(client.bottom) / lineHeight_);
}

std::size_t TextBoxView::lastTop() const {
    const auto shown = static_cast<std::size_t>(visibleRows());
    return rowCount() > shown ? rowCount() - shown : 0;
}

void TextBoxView::scrollTo(std::size_t row) {
    row = std::min(row, lastTop());
    if (row == top_) return;
    top_ = row;
    InvalidateRect(window_, nullptr, FALSE);
    updateScrollBar();
    placeCaret();
}

void TextBoxView::scrollRows(std::ptrdiff_t rows) {
    const auto to = static_cast<std::ptrdiff_t>(top_) + rows;
    scrollTo(to < 0 ? 0 : static_cast<std::size_t>(to));
}

void TextBoxView::scrollToCaret() {
    const std::size_t row = caretRow();
    const auto shown = static_cast<std::size_t>(visibleRows());
    if (row < top_)
        scrollTo(row);
    else if (row >= top_ + shown)
        scrollTo(row - shown + 1);
}

void TextBoxView::verticalScroll(int request) {
    const auto page = static_cast<std::ptrdiff_t>(visibleRows());
    switch (request) {
        case SB_LINEUP: return scrollRows(-1);
        case SB_LINEDOWN: return scrollRows(1);
        case SB_PAGEUP: return scrollRows(-page);
        case SB_PAGEDOWN: return scrollRows(page);
        case SB_TOP: return scrollTo(0);
        case SB_BOTTOM: return scrollTo(lastTop());
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: {
            // The message carries 16 bits of the position; the bar holds all 32.
            SCROLLINFO info{sizeof info, SIF_TRACKPOS, 0, 0, 0, 0, 0};
            GetScrollInfo(window_, SB_VERT, &info);
            return scrollTo(static_cast<std::size_t>(std::max(0, info.nTrackPos)));
        }
        default: return;
    }
}

void TextBoxView::wheel(int delta) {
    UINT perNotch = 3;
    SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &perNotch, 0);
    if (perNotch == WHEEL_PAGESCROLL) perNotch = static_cast<UINT>(visibleRows());
    wheelRest_ += delta;
    const int notches = wheelRest_ / WHEEL_DELTA;
    wheelRest_ -= notches * WHEEL_DELTA;
    scrollRows(-static_cast<std::ptrdiff_t>(notches) * static_cast<std::ptrdiff_t>(perNotch));
}

void TextBoxView::updateScrollBar() {
    if (!(GetWindowLongW(window_, GWL_STYLE) & WS_VSCROLL)) return;
    // Kept when the text fits, only disabled: the rows' width never changes with it.
    SCROLLINFO bar{sizeof bar,
                   SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL,
                   0,
                   static_cast<int>(std::min<std::size_t>(rowCount() - 1, INT_MAX)),
                   static_cast<UINT>(visibleRows()),
                   static_cast<int>(std::min<std::size_t>(top_, INT_MAX)),
                   0};
    if (bar.nMax == shownBar_.nMax && bar.nPage == shownBar_.nPage && bar.nPos == shownBar_.nPos) return;
    shownBar_ = bar;
    // Drawing the bar costs more than the rest of an append (4 ms under Wine), and with a long
    // text most appends leave its thumb where it was: then it is not drawn.
    SetScrollInfo(window_, SB_VERT, &bar, FALSE);
    SCROLLBARINFO now{};
    now.cbSize = sizeof now;
    GetScrollBarInfo(window_, OBJID_VSCROLL, &now);
    const bool same = now.xyThumbTop == shownThumb_.xyThumbTop &&
                      now.xyThumbBottom == shownThumb_.xyThumbBottom &&
                      now.rgstate[0] == shownThumb_.rgstate[0];
    if (same) return;
    shownThumb_ = now;
    SetScrollInfo(window_, SB_VERT, &bar, TRUE);
}

void TextBoxView::invalidateRowsFrom(std::size_t row) {
    const auto shown = static_cast<std::size_t>(visibleRows());
    if (row > top_ + shown) return;  // below the view: nothing shows it
    RECT area{};
    GetClientRect(window_, &area);
    if (row > top_) area.top = static_cast<LONG>((row - top_) * static_cast<std::size_t>(lineHeight_));
    InvalidateRect(window_, &area, FALSE);
}

// ---- font, size and caret

void TextBoxView::useFont(HFONT font) {
    font_ = font;
    SelectObject(measureDc_, font != nullptr ? font : GetStockObject(SYSTEM_FONT));
    TEXTMETRICW metrics{};
    GetTextMetricsW(measureDc_, &metrics);
    lineHeight_ = std::max(1, static_cast<int>(metrics.tmHeight));
    // Tab stops every 8 average characters, as in an edit control.
    widths_.reset([this](wchar_t c) { return measure(measureDc_, c); }, 8 * metrics.tmAveCharWidth);
    rows_.layOut(std::max(1, clientWidth() - 2 * margin));
    top_ = std::min(top_, lastTop());
}

void TextBoxView::setFont(HFONT font, bool redraw) {
    useFont(font);
    updateScrollBar();
    if (focused_) {
        DestroyCaret();
        CreateCaret(window_, nullptr, 1, lineHeight_);
        ShowCaret(window_);
        placeCaret();
    }
    if (redraw) InvalidateRect(window_, nullptr, FALSE);
}

void TextBoxView::resized() {
    rows_.layOut(std::max(1, clientWidth() - 2 * margin));
    top_ = std::min(top_, lastTop());
    InvalidateRect(window_, nullptr, FALSE);
    updateScrollBar();
    placeCaret();
}

void TextBoxView::focusChanged(bool focused) {
    focused_ = focused;
    InvalidateRect(window_, nullptr, FALSE);  // the selection shows only with the focus
    if (!focused) {
        DestroyCaret();
        return;
    }
    CreateCaret(window_, nullptr, 1, lineHeight_);
    placeCaret();
    ShowCaret(window_);
}

void TextBoxView::placeCaret() {
    if (!focused_) return;
    const std::size_t row = caretRow();
    const auto shown = static_cast<std::size_t>(visibleRows());
    if (row < top_ || row >= top_ + shown) {
        SetCaretPos(-lineHeight_, -lineHeight_);  // out of view, as the row is
        return;
    }
    SetCaretPos(margin + rows_.xOf(row, caret_), static_cast<int>(row - top_) * lineHeight_);
}

POINT TextBoxView::pointOf(std::size_t offset) const {
    const std::size_t row = rows_.rowOf(offset);
    const auto y = (static_cast<std::ptrdiff_t>(row) - static_cast<std::ptrdiff_t>(top_)) * lineHeight_;
    return {margin + rows_.xOf(row, offset), static_cast<LONG>(y)};
}

std::size_t TextBoxView::offsetAtPoint(POINT at, bool& atRowEnd) const {
    const std::ptrdiff_t row = static_cast<std::ptrdiff_t>(top_) + (at.y >= 0 ? at.y / lineHeight_ : -1);
    const auto last = static_cast<std::ptrdiff_t>(rowCount()) - 1;
    const auto clamped = static_cast<std::size_t>(std::clamp(row, std::ptrdiff_t{0}, last));
    const std::size_t offset = rows_.offsetAt(clamped, at.x - margin);
    atRowEnd = rows_.wraps(clamped) && offset == rows_.rowEnd(clamped);
    return offset;
}

std::wstring TextBoxView::selectedText() const {
    const auto [from, to] = selection();
    std::wstring out;
    out.reserve(to - from);
    const std::wstring& t = text();
    for (std::size_t i = from; i < to; ++i) {
        if (t[i] == L'\r' && i + 1 < to && t[i + 1] == L'\n') continue;  // written with the '\n'
        if (isBreak(t[i]))
            out += L"\r\n";
        else
            out += t[i];
    }
    return out;
}

}  // namespace win32
