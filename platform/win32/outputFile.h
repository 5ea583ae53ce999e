#pragma once
// Output files on Windows: WriteFile into a file made with CreateFileW, FlushFileBuffers to flush.

#include <memory>
#include <string>

#include <windows.h>

#include "platform/outputFile.h"

namespace win32 {

// Creates the file at path (UTF-8), emptying one that is there; others may read it meanwhile.
std::unique_ptr<dlg::OutputFile> createOutputFile(const std::string& path, dlg::FileError& error);

// The reason the program gives for a system error code.
dlg::FileError fileError(DWORD code);

}  // namespace win32
