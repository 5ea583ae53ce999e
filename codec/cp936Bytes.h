#pragma once
// The shape of CP936 (GBK) text: a lead byte and the trail byte after it make one character;
// every other byte is a character of its own.

#include <cstdint>

constexpr bool isLeadByte(std::uint8_t b) { return b >= 0x81 && b <= 0xFE; }
constexpr bool isTrailByte(std::uint8_t b) { return b >= 0x40 && b <= 0xFE && b != 0x7F; }
