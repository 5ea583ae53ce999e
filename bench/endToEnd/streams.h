#pragma once
// What the benchmark's peer sends.

#include <cstddef>
#include <string>

// GBK text lines as a module would log them: numbered, CR LF ended, about 70 bytes each.
std::string gbkTextLines(std::size_t size);
// Bytes of every value, the same on every run.
std::string randomBytes(std::size_t size);
