// The package check's Windows side (tests/packages/check-windows): an installed or unpacked
// program's version record, its first window, its Start-menu shortcut. Each check prints what
// it saw and returns whether it matched.
#pragma once

#include <string>

#include "platform/win32/saveDialog.h"  // win32::utf8

namespace startCheck {

using win32::utf8;  // for printing

// The file's version record: FileVersion and ProductVersion (fixed part and strings) are the
// project's version, ProductName the project's name.
bool checkVersion(const std::wstring& exe);

// Starts the program, waits for its main window, compares the caption with the program's
// own, asks the window to close and waits for the process to end with exit code 0.
bool checkStart(const std::wstring& exe);

// The shortcut opens TARGET and shows TARGET's first icon.
bool checkShortcut(const std::wstring& link, const std::wstring& target);

// Prints what was seen as WHAT, and what was expected when it differs; true when it matched.
bool expectText(const char* what, const std::wstring& got, const std::wstring& expected);

}  // namespace startCheck
