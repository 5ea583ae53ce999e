#include "platform/win32/editText.h"

#include <string>

namespace win32 {

void raiseTextLimit(HWND edit) { SendMessageW(edit, EM_SETLIMITTEXT, 0, 0); }

void appendToEdit(HWND edit, std::wstring_view text) {
    if (text.empty()) return;
    const std::wstring piece(text);  // EM_REPLACESEL takes a terminated string
    DWORD selectionStart = 0;
    DWORD selectionEnd = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&selectionStart),
                 reinterpret_cast<LPARAM>(&selectionEnd));
    const LRESULT firstVisible = SendMessageW(edit, EM_GETFIRSTVISIBLELINE, 0, 0);

    // Replacing the selection scrolls to it: nothing is drawn until the view is back.
    SendMessageW(edit, WM_SETREDRAW, FALSE, 0);
    const int end = GetWindowTextLengthW(edit);
    SendMessageW(edit, EM_SETSEL, end, end);
    SendMessageW(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(piece.c_str()));
    SendMessageW(edit, EM_SETSEL, selectionStart, selectionEnd);
    const LRESULT nowVisible = SendMessageW(edit, EM_GETFIRSTVISIBLELINE, 0, 0);
    if (nowVisible != firstVisible) SendMessageW(edit, EM_LINESCROLL, 0, firstVisible - nowVisible);
    SendMessageW(edit, WM_SETREDRAW, TRUE, 0);
    RedrawWindow(edit, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME);  // the scroll bar changed too
}

}  // namespace win32
