#pragma once
// CP936 (GBK) bytes, the logic's texts, to and from Qt's Unicode strings. Only the Qt host
// converts; the conversion itself is glibc's iconv.

#include <string>
#include <string_view>

#include <QString>

// Characters CP936 cannot hold become '?'.
std::string toCp936(const QString& text);

// Bytes that are not CP936 become U+FFFD, one per bad byte, and decoding goes on.
QString fromCp936(std::string_view bytes);

// Decodes CP936 that arrives in pieces split anywhere: a lead byte at the end of one piece
// waits for its trail byte at the start of the next.
class Cp936Decoder {
public:
    QString decode(std::string_view bytes);
    // Ends the stream: a lead byte still waiting becomes U+FFFD.
    QString flush();
    void reset() { pending_.clear(); }

private:
    std::string pending_;  // at most one lead byte
};
