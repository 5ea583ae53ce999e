#pragma once
// The program's name: its file name without folder and extension, the caption of its message
// boxes.

#include <string>

namespace win32 {

std::wstring programName();

}  // namespace win32
