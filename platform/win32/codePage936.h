#pragma once
// CP936 (GBK) bytes, the logic's texts, to and from the UTF-16 of the W functions. The code
// page is named, never the system's ANSI one, so the window reads the same on any locale.
//
// Every byte string survives the trip to UTF-16 and back: a byte that code page 936 does not
// decode (0xFF, a lead byte without its trail byte) becomes a lone low surrogate, U+DC00 plus
// the byte, which converts back to that byte. No CP936 character decodes to a surrogate, so
// the stand-ins never meet a real character (the user-defined GBK areas decode to U+E000..,
// which rules out a private-use stand-in here).

#include <string>
#include <string_view>

namespace cp936 {

// Bytes that are no CP936 become their stand-ins, one per byte, and decoding goes on.
std::wstring toUtf16(std::string_view bytes);

// Stand-ins become their bytes again; characters CP936 cannot hold become '?'.
std::string fromUtf16(std::wstring_view text);

// The stand-in for a byte that is no CP936.
constexpr wchar_t rawByteChar(unsigned char byte) { return static_cast<wchar_t>(0xDC00 + byte); }

}  // namespace cp936
