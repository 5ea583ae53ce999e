#pragma once
// CP936 (GBK) bytes, the logic's texts, to and from Qt's Unicode strings. Only the Qt host
// converts; the conversion itself is glibc's iconv.
//
// Every byte string survives the trip to Unicode and back unchanged: a byte that is not CP936
// (0xFF, a lead byte without its trail byte) becomes a character of its own, U+E000 plus the
// byte, which converts back to that byte. glibc's CP936 neither decodes to nor encodes any
// private-use character, so these never meet a real one; in practice only bytes 0x81..0xFF
// are ever bad, shown as U+E081..U+E0FF.

#include <string>
#include <string_view>

#include <QChar>
#include <QString>

// The stand-in for a byte that is not CP936.
inline QChar rawByteChar(unsigned char byte) { return QChar(0xE000 + byte); }

// Characters CP936 cannot hold become '?'; stand-ins become their bytes again.
std::string toCp936(const QString& text);

// Bytes that are not CP936 become their stand-ins, one per bad byte, and decoding goes on.
QString fromCp936(std::string_view bytes);

// Decodes CP936 that arrives in pieces split anywhere: a lead byte at the end of one piece
// waits for its trail byte at the start of the next.
class Cp936Decoder {
public:
    QString decode(std::string_view bytes);
    // Ends the stream: a lead byte still waiting becomes its stand-in.
    QString flush();
    void reset() { pending_.clear(); }
    // The bytes given but not decoded yet: at most one lead byte.
    const std::string& pending() const { return pending_; }

private:
    std::string pending_;
};
