#pragma once
// Output files on Linux: write(2) into a file opened for writing, fdatasync(2) to flush.

#include <memory>
#include <string>

#include "platform/outputFile.h"

namespace posix {

// Creates the file at path (the file system's own bytes), emptying one that is there.
std::unique_ptr<dlg::OutputFile> createOutputFile(const std::string& path, dlg::FileError& error);

// The reason the program gives for an errno.
dlg::FileError fileError(int number);

}  // namespace posix
