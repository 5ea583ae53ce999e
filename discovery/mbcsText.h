// Searching CP936 text: a lead byte (0x81-0xFE) and the byte after it are one
// character, so a match never starts on the second byte of a Chinese character.
#pragma once

#include <string>
#include <string_view>

// The byte position of the first occurrence of needle in text, or npos.
std::size_t findText(std::string_view text, std::string_view needle);
