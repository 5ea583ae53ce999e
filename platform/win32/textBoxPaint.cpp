// Painting a text box: only the rows the update region holds, each in at most three pieces
// (before, in and after the selection), with the widths the rows were laid out with.
#include <algorithm>
#include <vector>

#include "platform/win32/textBoxView.h"

namespace win32 {

namespace {

// Fills the rectangle and writes the characters at its left edge, clipped to it.
void drawPiece(HDC dc, RECT area, const wchar_t* chars, UINT count, const INT* advances) {
    ExtTextOutW(dc, area.left, area.top, ETO_OPAQUE | ETO_CLIPPED, &area, chars, count, advances);
}

}  // namespace

void TextBoxView::paint() {
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(window_, &paint);
    // The parent chooses the colours, as it does for an edit control (for a disabled one, those
    // of static text).
    const bool enabled = IsWindowEnabled(window_) != FALSE;
    auto brush = reinterpret_cast<HBRUSH>(
        SendMessageW(GetParent(window_), enabled ? WM_CTLCOLOREDIT : WM_CTLCOLORSTATIC,
                     reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(window_)));
    if (brush == nullptr) brush = GetSysColorBrush(enabled ? COLOR_WINDOW : COLOR_BTNFACE);
    if (!enabled) SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    const HGDIOBJ oldFont = SelectObject(dc, font_);

    const int width = clientWidth();
    std::size_t row = top_ + static_cast<std::size_t>(std::max(0L, paint.rcPaint.top) / lineHeight_);
    int y = static_cast<int>(row - top_) * lineHeight_;
    for (; row < rowCount() && y < paint.rcPaint.bottom; ++row, y += lineHeight_) paintRow(dc, row, y, width);
    if (y < paint.rcPaint.bottom) {
        const RECT rest{paint.rcPaint.left, y, paint.rcPaint.right, paint.rcPaint.bottom};
        FillRect(dc, &rest, brush);
    }
    SelectObject(dc, oldFont);
    EndPaint(window_, &paint);
}

void TextBoxView::paintRow(HDC dc, std::size_t row, int y, int width) {
    const std::size_t start = rows_.rowStart(row);
    const std::size_t end = rows_.rowEnd(row);
    std::wstring chars(text(), start, end - start);
    std::vector<INT> advances(chars.size());
    std::vector<int> at(chars.size() + 1, margin);  // where each character starts
    for (std::size_t i = 0; i < chars.size(); ++i) {
        advances[i] = widths_.of(chars[i], at[i] - margin);
        at[i + 1] = at[i] + advances[i];
        if (chars[i] == L'\t') chars[i] = L' ';  // a tab is room, not a glyph
    }
    // The selection shows only while the box has the focus, as in an edit control.
    auto [from, to] = focused_ ? selection() : std::pair<std::size_t, std::size_t>{0, 0};
    from = std::clamp(from, start, end) - start;
    to = std::clamp(to, start, end) - start;
    const int bottom = y + lineHeight_;

    drawPiece(dc, {0, y, margin, bottom}, nullptr, 0, nullptr);
    if (from > 0)
        drawPiece(dc, {at[0], y, at[from], bottom}, chars.data(), static_cast<UINT>(from), advances.data());
    if (to > from) {
        const COLORREF text = SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
        const COLORREF back = SetBkColor(dc, GetSysColor(COLOR_HIGHLIGHT));
        drawPiece(dc, {at[from], y, at[to], bottom}, chars.data() + from, static_cast<UINT>(to - from),
                  advances.data() + from);
        SetTextColor(dc, text);
        SetBkColor(dc, back);
    }
    const std::size_t rest = std::max(from, to);
    drawPiece(dc, {at[rest], y, std::max(width, at.back()), bottom}, chars.data() + rest,
              static_cast<UINT>(chars.size() - rest), advances.data() + rest);
}

}  // namespace win32
