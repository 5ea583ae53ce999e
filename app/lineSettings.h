#pragma once
// The port and line settings as the five combos of the serial group give them.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/dialogHost.h"

struct LineSettings {
    std::int64_t portNumber = 0;   // 1 to 1024 names a port; anything else fails the open
    std::uint32_t baudRate = 0;
    std::uint8_t dataBits = 0;
    std::uint8_t parity = 0;    // NOPARITY, ODDPARITY or EVENPARITY: the entry's index
    std::uint8_t stopBits = 0;  // ONESTOPBIT or TWOSTOPBITS
};

// Reads the selected entries (never the combos' edit fields): the port number from the text
// after "COM", the baud rate and the data bits from their entries' texts, the parity and
// stop bits from their entries' indices. A combo without a selection reads as empty text,
// or as index -1, which no port accepts.
LineSettings readLineSettings(const dlg::DialogHost& host);

// The number a text starts with, as atoi reads it: blanks skipped, an optional sign, the
// digits up to the first other character; 0 without digits. Saturates far beyond 32 bits.
std::int64_t leadingNumber(std::string_view text);

// "\\.\COMn".
std::string devicePathFor(std::int64_t portNumber);

inline constexpr std::int64_t firstPort = 1;
inline constexpr std::int64_t lastPort = 1024;
