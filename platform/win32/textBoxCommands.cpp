// What a text box does with the clipboard, and its context menu with the same commands.
#include <cstring>

#include "platform/win32/textBoxView.h"

namespace win32 {

namespace {

// The clipboard holds text up to its first NUL; the box keeps none.
std::wstring clipboardText(HWND owner) {
    std::wstring text;
    if (!OpenClipboard(owner)) return text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
            text.assign(chars, wcsnlen(chars, GlobalSize(data) / sizeof(wchar_t)));
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

void putOnClipboard(HWND owner, const std::wstring& text) {
    HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    if (data == nullptr) return;
    std::memcpy(GlobalLock(data), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(data);
    if (OpenClipboard(owner)) {
        EmptyClipboard();
        if (SetClipboardData(CF_UNICODETEXT, data) != nullptr) data = nullptr;  // the clipboard's now
        CloseClipboard();
    }
    if (data != nullptr) GlobalFree(data);
}

// The menu's commands, numbered as an edit control's.
enum MenuCommand : UINT {
    menuCut = WM_CUT,
    menuCopy = WM_COPY,
    menuPaste = WM_PASTE,
    menuDelete = WM_CLEAR,
    menuSelectAll = EM_SETSEL
};

}  // namespace

void TextBoxView::copy() const {
    if (anchor_ != caret_) putOnClipboard(window_, selectedText());
}

void TextBoxView::cut() {
    if (anchor_ == caret_ || !userMayEdit()) return;
    copy();
    deleteSelection();
}

void TextBoxView::paste() {
    if (!userMayEdit()) return;
    std::wstring text = clipboardText(window_);
    if (!text.empty()) replaceSelection(text);
}

void TextBoxView::deleteSelection() {
    if (anchor_ != caret_ && userMayEdit()) replaceSelection({});
}

void TextBoxView::contextMenu(POINT screen) {
    if (GetFocus() != window_) SetFocus(window_);
    if (screen.x == -1 && screen.y == -1) {  // from the keyboard: at the caret
        GetCaretPos(&screen);
        screen.y += lineHeight_;
        ClientToScreen(window_, &screen);
    }
    const bool selected = anchor_ != caret_;
    const bool editable = userMayEdit();
    const auto state = [](bool on) { return static_cast<UINT>(MF_STRING | (on ? MF_ENABLED : MF_GRAYED)); };
    HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, state(selected && editable), menuCut, L"剪切(&T)");
    AppendMenuW(menu, state(selected), menuCopy, L"复制(&C)");
    AppendMenuW(menu, state(editable && IsClipboardFormatAvailable(CF_UNICODETEXT) != FALSE), menuPaste,
                L"粘贴(&P)");
    AppendMenuW(menu, state(selected && editable), menuDelete, L"删除(&D)");
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, state(!text().empty()), menuSelectAll, L"全选(&A)");
    const auto chosen = static_cast<UINT>(TrackPopupMenu(
        menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, screen.x, screen.y, 0, window_, nullptr));
    DestroyMenu(menu);
    switch (chosen) {
        case menuCut: return cut();
        case menuCopy: return copy();
        case menuPaste: return paste();
        case menuDelete: return deleteSelection();
        case menuSelectAll: return selectAll();
        default: return;
    }
}

}  // namespace win32
