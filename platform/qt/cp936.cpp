#include "platform/qt/cp936.h"

#include <algorithm>
#include <cerrno>

#include <iconv.h>

#include "codec/cp936Bytes.h"

namespace {

// One iconv conversion; its own descriptor per call keeps it thread-safe.
class Iconv {
public:
    Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Iconv() {
        if (ok()) iconv_close(cd_);
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;

    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts as much of [in, in + inLeft) as it can into out (grown as needed). Stops at
    // the first byte it cannot convert or at an incomplete sequence; errno says which.
    bool convert(char*& in, size_t& inLeft, std::string& out, size_t& used) {
        for (;;) {
            char* outPtr = out.data() + used;
            size_t outLeft = out.size() - used;
            const size_t result = iconv(cd_, &in, &inLeft, &outPtr, &outLeft);
            used = out.size() - outLeft;
            if (result != static_cast<size_t>(-1)) return true;
            if (errno != E2BIG) return false;
            out.resize(out.size() * 2 + 16);
        }
    }

private:
    iconv_t cd_;
};

void appendRaw(std::string& out, size_t& used, std::string_view bytes) {
    if (out.size() < used + bytes.size()) out.resize(used + bytes.size() + 16);
    out.replace(used, bytes.size(), bytes);
    used += bytes.size();
}

// A bad byte's stand-in, U+E000 + byte, in UTF-8: EE 80 80 .. EE 83 BF.
void appendRawByteChar(std::string& out, size_t& used, unsigned char byte) {
    const char utf8[] = {'\xEE', static_cast<char>(0x80 | byte >> 6),
                         static_cast<char>(0x80 | (byte & 0x3F))};
    appendRaw(out, used, std::string_view(utf8, sizeof utf8));
}

// A pair's stand-in, U+F0000 + lead * 256 + trail, in UTF-8: F3 B0..BF xx xx.
void appendRawPairChar(std::string& out, size_t& used, unsigned char lead, unsigned char trail) {
    const unsigned value = lead << 8 | trail;
    const char utf8[] = {'\xF3', static_cast<char>(0xB0 | value >> 12), static_cast<char>(0x80 | (value >> 6 & 0x3F)),
                         static_cast<char>(0x80 | (value & 0x3F))};
    appendRaw(out, used, std::string_view(utf8, sizeof utf8));
}

// The bytes the stand-in at the start of this UTF-8 text stands for; empty if there is none.
std::string_view rawBytesAt(const char* utf8, size_t left, char (&bytes)[2]) {
    const auto* in = reinterpret_cast<const unsigned char*>(utf8);
    if (left >= 3 && in[0] == 0xEE && (in[1] & 0xFC) == 0x80) {
        bytes[0] = static_cast<char>((in[1] & 0x03) << 6 | (in[2] & 0x3F));
        return {bytes, 1};
    }
    if (left < 4 || in[0] != 0xF3 || (in[1] & 0xF0) != 0xB0 || (in[2] & 0xC0) != 0x80 || (in[3] & 0xC0) != 0x80)
        return {};
    const auto lead = static_cast<unsigned char>((in[1] & 0x0F) << 4 | (in[2] & 0x3F) >> 2);
    const auto trail = static_cast<unsigned char>((in[2] & 0x03) << 6 | (in[3] & 0x3F));
    if (!isLeadByte(lead) || !isTrailByte(trail)) return {};  // typed by hand: no pair of ours
    bytes[0] = static_cast<char>(lead);
    bytes[1] = static_cast<char>(trail);
    return {bytes, 2};
}

// The length of the UTF-8 sequence that starts with this byte.
size_t utf8Length(unsigned char lead) {
    if (lead < 0xC0) return 1;
    if (lead < 0xE0) return 2;
    if (lead < 0xF0) return 3;
    return 4;
}

}  // namespace

std::string toCp936(const QString& text) {
    std::string in = text.toUtf8().toStdString();  // lone surrogates arrive as U+FFFD
    Iconv conv("CP936", "UTF-8");
    if (!conv.ok()) return text.toLatin1().toStdString();
    std::string out(in.size() + 16, '\0');
    size_t used = 0;
    char* inPtr = in.data();
    size_t inLeft = in.size();
    while (inLeft > 0 && !conv.convert(inPtr, inLeft, out, used)) {
        // A character CP936 has no code for (or broken UTF-8): a stand-in's bytes, or one '?'
        // for the whole character.
        const size_t skip = std::min(utf8Length(static_cast<unsigned char>(*inPtr)), inLeft);
        char bytes[2];
        const std::string_view raw = rawBytesAt(inPtr, inLeft, bytes);
        appendRaw(out, used, raw.empty() ? "?" : raw);
        inPtr += skip;
        inLeft -= skip;
    }
    out.resize(used);
    return out;
}

QString fromCp936(std::string_view bytes) {
    std::string in(bytes);
    Iconv conv("UTF-8", "CP936");
    if (!conv.ok()) return QString::fromLatin1(in.data(), static_cast<qsizetype>(in.size()));
    std::string out(in.size() * 3 + 16, '\0');  // a CP936 byte never needs more than 3 UTF-8 bytes
    size_t used = 0;
    char* inPtr = in.data();
    size_t inLeft = in.size();
    // iconv stops at a sequence it does not know (EILSEQ) or at a lead byte at the end (EINVAL).
    while (inLeft > 0 && !conv.convert(inPtr, inLeft, out, used)) {
        const auto* at = reinterpret_cast<const unsigned char*>(inPtr);
        const size_t skip = inLeft >= 2 && isLeadByte(at[0]) && isTrailByte(at[1]) ? 2 : 1;
        if (skip == 2)
            appendRawPairChar(out, used, at[0], at[1]);
        else
            appendRawByteChar(out, used, at[0]);
        inPtr += skip;
        inLeft -= skip;
    }
    return QString::fromUtf8(out.data(), static_cast<qsizetype>(used));
}
