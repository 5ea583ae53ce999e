// Hex text: the one rule for showing bytes as hexadecimal text and reading it back.
//
// Written: every byte as two upper-case digits followed by one blank ("0A 1B ").
// Read: blanks are removed first, then every two characters make one byte. Any
// character that is not a hex digit (line breaks, tabs, bytes 0x80-0xFF) counts as 0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The text with every blank (0x20) removed. Callers require the result to have an even,
// non-zero length before they convert it.
std::string compactHexText(std::string_view text);

// 0-9 for '0'-'9', 10-15 for 'A'-'F' and 'a'-'f', 0 for any other byte.
int hexDigitValue(unsigned char c);

// Reads length characters (even, 2 or more) two at a time into length / 2 bytes at out.
void hexTextToBytes(const char* text, std::size_t length, std::uint8_t* out);

// Three characters per byte: two upper-case hex digits and a blank.
std::string bytesToHexText(const std::uint8_t* bytes, std::size_t count);
