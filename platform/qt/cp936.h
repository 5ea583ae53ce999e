#pragma once
// CP936 (GBK) bytes, the logic's texts, to and from Qt's Unicode strings. Only the Qt host
// converts; the conversion itself is glibc's iconv.
//
// Every byte string survives the trip to Unicode and back unchanged:
// - a byte that is not CP936 (0xFF, a lead byte without its trail byte) becomes a character of
//   its own, U+E000 plus the byte, which converts back to that byte;
// - a lead byte (81..FE) and a trail byte (40..7E, 80..FE) that glibc does not decode (GBK's
//   user-defined areas such as AA A1 or A1 40, codes it leaves unassigned) make one character,
//   U+F0000 plus lead * 256 plus trail, which converts back to the pair. The pair is never
//   split, so the text after it keeps its alignment.
// glibc's CP936 neither decodes to nor encodes any private-use character, so these never meet
// a real one; in practice only bytes 0x81..0xFF are ever bad alone, shown as U+E081..U+E0FF.

#include <string>
#include <string_view>

#include <QChar>
#include <QString>

// The stand-in for a byte that is not CP936.
inline QChar rawByteChar(unsigned char byte) { return QChar(0xE000 + byte); }

// The stand-in for a lead and trail byte that glibc does not decode (two UTF-16 units).
inline QString rawPairChar(unsigned char lead, unsigned char trail) {
    const char32_t character = 0xF0000 + (static_cast<char32_t>(lead) << 8) + trail;
    return QString::fromUcs4(&character, 1);
}

// Characters CP936 cannot hold become '?'; stand-ins become their bytes again.
std::string toCp936(const QString& text);

// Bytes that are not CP936 become their stand-ins and decoding goes on. The bytes are taken
// as whole: a lead byte at their end is a bad byte.
QString fromCp936(std::string_view bytes);
