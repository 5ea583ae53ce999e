#pragma once
// The save-file dialog of the Windows host: the common dialog, opening in the user's documents
// folder with a file name filled in, asking before it replaces a file.

#include <string>

#include <windows.h>

namespace win32 {

// The full path the user chose, or an empty string when they cancelled.
std::wstring askSaveFilePath(HWND owner, const std::wstring& fileName);

// The path as UTF-8, the host's own form of it for createOutputFile.
std::string utf8(const std::wstring& text);

}  // namespace win32
