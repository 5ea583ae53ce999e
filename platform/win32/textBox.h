#pragma once
// The receive box: a multi-line text box of our own window class, for text that grows by
// megabytes. The system's edit control lays out and walks its whole text on every change (under
// Wine an 8 KB append of text lines took 40 ms empty and 210 ms at 4 MB); this one keeps its
// text and rows itself (textRows.h), so adding at the end costs what is added, and it paints
// only the rows in view.
//
// It answers the messages the dialog manager and the host send an edit control: WM_SETTEXT,
// WM_GETTEXT, WM_GETTEXTLENGTH, WM_SETFONT, WM_GETFONT, WM_GETDLGCODE, EM_GETSEL, EM_SETSEL,
// EM_REPLACESEL, EM_GETFIRSTVISIBLELINE, EM_LINESCROLL, EM_GETLINECOUNT, EM_SCROLLCARET,
// EM_POSFROMCHAR, EM_CHARFROMPOS, EM_SETLIMITTEXT (no limit is kept), WM_COPY, WM_CUT,
// WM_PASTE, WM_CLEAR. Its lines are its rows, as wrapped. The text reads back
// exactly as it was given or typed: each line break as it came ("\r\n", "\n" or "\r").
// The user selects with the mouse and the keys, copies, cuts, pastes, deletes and types; Enter
// is the dialog's unless the style has ES_WANTRETURN; with ES_READONLY the user only selects
// and copies. There is no undo.

#include <string_view>

#include <windows.h>

namespace win32 {

// Registers the class once per process; the name a dialog template gives its controls.
const wchar_t* textBoxClass();

bool isTextBox(HWND window);

// Adds text at the end at the cost of the text only; the caret, the selection and the view
// stay where the user left them.
void appendToTextBox(HWND box, std::wstring_view text);

}  // namespace win32
