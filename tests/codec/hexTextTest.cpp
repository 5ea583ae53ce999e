#include "codec/hexText.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

// Reads hex text the way the transmit path does: compact, then convert.
Bytes readHex(std::string_view text) {
    const std::string compact = compactHexText(text);
    Bytes bytes(compact.size() / 2);
    hexTextToBytes(compact.data(), compact.size(), bytes.data());
    return bytes;
}

std::string writeHex(const Bytes& bytes) { return bytesToHexText(bytes.data(), bytes.size()); }

TEST(HexDigitValue, DigitsInBothCasesAndEverythingElseIsZero) {
    for (int c = 0; c < 256; ++c) {
        int expected = 0;
        if (c >= '0' && c <= '9') expected = c - '0';
        if (c >= 'A' && c <= 'F') expected = c - 'A' + 10;
        if (c >= 'a' && c <= 'f') expected = c - 'a' + 10;
        EXPECT_EQ(hexDigitValue(static_cast<unsigned char>(c)), expected) << "byte " << c;
    }
}

TEST(HexTextToBytes, ReadsPairsInEitherCase) {
    EXPECT_EQ(readHex("0a1B"), (Bytes{0x0A, 0x1B}));
    EXPECT_EQ(readHex("fF00"), (Bytes{0xFF, 0x00}));
}

TEST(HexTextToBytes, BlanksAnywhereAreIgnored) {
    EXPECT_EQ(readHex("0A 1B FF"), readHex("0A1BFF"));
    EXPECT_EQ(readHex(" 0 A1 B  F F "), (Bytes{0x0A, 0x1B, 0xFF}));
    EXPECT_EQ(compactHexText("1 2 3"), "123");  // odd: callers refuse it
    EXPECT_EQ(compactHexText("   "), "");
}

TEST(HexTextToBytes, NonDigitsCountAsZero) {
    EXPECT_EQ(readHex("G1"), (Bytes{0x01}));
    EXPECT_EQ(readHex("1Z"), (Bytes{0x10}));
    EXPECT_EQ(readHex("\xB0\xA1"), (Bytes{0x00}));  // a double-byte Chinese character
    EXPECT_EQ(readHex("\t7"), (Bytes{0x07}));
}

TEST(HexTextToBytes, LineBreaksAreCharactersNotSeparators) {
    // CR LF between pairs is a pair of its own and reads as 0x00.
    EXPECT_EQ(readHex("0A\r\n1B"), (Bytes{0x0A, 0x00, 0x1B}));
    // A lone line break shifts the pairing of everything after it.
    EXPECT_EQ(readHex("0A\n1B2C3"), (Bytes{0x0A, 0x01, 0xB2, 0xC3}));
}

TEST(HexTextToBytes, OddLengthStopsBeforeTheLoneCharacter) {
    std::uint8_t out[2] = {0xEE, 0xEE};
    hexTextToBytes("ABC", 3, out);
    EXPECT_EQ(out[0], 0xAB);
    EXPECT_EQ(out[1], 0xEE);
}

TEST(BytesToHexText, UpperCaseTwoDigitsAndABlankPerByte) {
    EXPECT_EQ(writeHex({0x00, 0xFF}), "00 FF ");
    EXPECT_EQ(writeHex({0x0A, 0x1B, 0x80, 0xC4}), "0A 1B 80 C4 ");
    EXPECT_EQ(writeHex({0x7}), "07 ");
    EXPECT_EQ(writeHex({}), "");
}

TEST(BytesToHexText, EveryByteValue) {
    Bytes all(256);
    for (int b = 0; b < 256; ++b) all[b] = static_cast<std::uint8_t>(b);
    const std::string text = writeHex(all);
    ASSERT_EQ(text.size(), 768u);
    char expected[4];
    for (int b = 0; b < 256; ++b) {
        std::snprintf(expected, sizeof expected, "%2.2X ", b);
        EXPECT_EQ(text.substr(3 * b, 3), expected);
    }
}

TEST(HexText, RandomByteStringsRoundTrip) {
    std::mt19937 random(20261207);
    std::uniform_int_distribution<int> byteValue(0, 255);
    std::uniform_int_distribution<int> lengthOf(1, 3000);
    for (int run = 0; run < 200; ++run) {
        Bytes bytes(lengthOf(random));
        for (auto& b : bytes) b = static_cast<std::uint8_t>(byteValue(random));
        const std::string text = writeHex(bytes);
        ASSERT_EQ(text.size(), 3 * bytes.size());
        ASSERT_EQ(readHex(text), bytes);
    }
}

}  // namespace
