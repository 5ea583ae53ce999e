#include "codec/hexText.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

constexpr std::array<std::uint8_t, 256> makeDigitValues() {
    std::array<std::uint8_t, 256> values{};  // every non-digit reads as 0
    for (int c = '0'; c <= '9'; ++c) values[c] = static_cast<std::uint8_t>(c - '0');
    for (int c = 'A'; c <= 'F'; ++c) values[c] = static_cast<std::uint8_t>(c - 'A' + 10);
    for (int c = 'a'; c <= 'f'; ++c) values[c] = static_cast<std::uint8_t>(c - 'a' + 10);
    return values;
}

// The text of each byte value, "00 " to "FF ", padded to four bytes so one aligned
// copy writes it.
constexpr std::array<std::array<char, 4>, 256> makeByteTexts() {
    constexpr char digits[] = "0123456789ABCDEF";
    std::array<std::array<char, 4>, 256> texts{};
    for (int b = 0; b < 256; ++b) texts[b] = {digits[b >> 4], digits[b & 15], ' ', ' '};
    return texts;
}

constexpr auto digitValues = makeDigitValues();
constexpr auto byteTexts = makeByteTexts();

}  // namespace

std::string compactHexText(std::string_view text) {
    std::string compact;
    compact.reserve(text.size());
    std::copy_if(text.begin(), text.end(), std::back_inserter(compact),
                 [](char c) { return c != ' '; });
    return compact;
}

int hexDigitValue(unsigned char c) { return digitValues[c]; }

void hexTextToBytes(const char* text, std::size_t length, std::uint8_t* out) {
    const auto* in = reinterpret_cast<const unsigned char*>(text);
    for (std::size_t k = 0; 2 * k + 1 < length; ++k)
        out[k] = static_cast<std::uint8_t>(digitValues[in[2 * k]] << 4 | digitValues[in[2 * k + 1]]);
}

std::string bytesToHexText(const std::uint8_t* bytes, std::size_t count) {
    std::string text(3 * count, '\0');
    if (count == 0) return text;
    char* out = text.data();
    // Four bytes are written per input byte and the next byte's text overwrites the
    // spare one; the last byte is written with three so nothing lands past the end.
    for (std::size_t i = 0; i + 1 < count; ++i, out += 3) std::memcpy(out, byteTexts[bytes[i]].data(), 4);
    std::memcpy(out, byteTexts[bytes[count - 1]].data(), 3);
    return text;
}
