#include "platform/win32/codePage936.h"

#include <windows.h>

#include "codec/cp936Bytes.h"

namespace cp936 {

namespace {

constexpr UINT codePage = 936;

// The whole of bytes as UTF-16, or false when code page 936 rejects any of it.
bool decodeStrict(std::string_view bytes, std::wstring& out) {
    if (bytes.empty()) return true;
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
    if (length <= 0) return false;
    const std::size_t at = out.size();
    out.resize(at + length);
    MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), size, out.data() + at, length);
    return true;
}

std::string encode(std::wstring_view text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int length = WideCharToMultiByte(codePage, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string out(length > 0 ? length : 0, '\0');
    if (length > 0) WideCharToMultiByte(codePage, 0, text.data(), size, out.data(), length, nullptr, nullptr);
    return out;
}

// One character at the start of bytes (one or two bytes) if it decodes and encodes back to
// the same bytes; its length in bytes, or 0.
std::size_t decodeOne(std::string_view bytes, std::wstring& out) {
    const std::size_t length = isLeadByte(static_cast<unsigned char>(bytes[0])) ? 2 : 1;
    if (bytes.size() < length) return 0;
    std::wstring one;
    if (!decodeStrict(bytes.substr(0, length), one) || encode(one) != bytes.substr(0, length)) return 0;
    out += one;
    return length;
}

}  // namespace

std::wstring toUtf16(std::string_view bytes) {
    std::wstring out;
    // Nearly always the whole text converts and converts back; then once is enough.
    if (decodeStrict(bytes, out) && encode(out) == bytes) return out;
    out.clear();
    for (std::size_t i = 0; i < bytes.size();) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte < 0x80) {
            out += static_cast<wchar_t>(byte);
            ++i;
        } else if (const std::size_t used = decodeOne(bytes.substr(i), out); used > 0) {
            i += used;
        } else {
            out += rawByteChar(byte);
            ++i;
        }
    }
    return out;
}

std::string fromUtf16(std::wstring_view text) {
    std::string out;
    std::size_t run = 0;  // where the characters not yet encoded begin
    for (std::size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        const bool afterHigh = i > 0 && text[i - 1] >= 0xD800 && text[i - 1] <= 0xDBFF;
        if (c < 0xDC80 || c > 0xDCFF || afterHigh) continue;  // 0x00..0x7F are never stand-ins
        out += encode(text.substr(run, i - run));
        out += static_cast<char>(c - 0xDC00);
        run = i + 1;
    }
    out += encode(text.substr(run));
    return out;
}

}  // namespace cp936
