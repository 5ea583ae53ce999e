#pragma once
// Text in native edit controls beyond what SetWindowTextW does.

#include <string_view>

#include <windows.h>

namespace win32 {

// A multi-line edit holds as much as memory allows, not the default 32 K characters.
void raiseTextLimit(HWND edit);

// Adds text at the end at the cost of the text only; the caret, the selection and the view
// stay where the user left them.
void appendToEdit(HWND edit, std::wstring_view text);

}  // namespace win32
