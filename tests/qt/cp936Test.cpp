// CP936 to and from Unicode: known GBK codes, unrepresentable characters, bad bytes, and
// text that arrives split inside a character (more of that in the edit box tests).
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/qt/cp936.h"
#include "tests/qt/qtTestSupport.h"
#include "resources/texts.h"

using namespace std::string_literals;

namespace {

QString u(const char* utf8) { return QString::fromUtf8(utf8); }

TEST(Cp936, ChineseTextHasItsGbkBytesBothWays) {
    const std::string bytes = "COM1 \xB4\xAE\xBF\xDA\xBA\xC5 \xD2\xD1\xB4\xF2\xBF\xAA";
    EXPECT_EQ(toCp936(u("COM1 串口号 已打开")), bytes);
    EXPECT_EQ(fromCp936(bytes), u("COM1 串口号 已打开"));
    EXPECT_EQ(fromCp936("\x80"), u("€"));  // CP936's single-byte euro sign
    EXPECT_EQ(fromCp936(text::aboutMenuItem), u("关于 Korvane(&A)..."));
    EXPECT_EQ(fromCp936(text::enterIntegerInRange), u("“请填入一个在%1和%2之间的整数。”"));
}

TEST(Cp936, CharactersCp936CannotHoldBecomeOneQuestionMarkEach) {
    EXPECT_EQ(toCp936(u("A한B")), "A?B");
    EXPECT_EQ(toCp936(u("😀x")), "?x");                          // a surrogate pair is one character
    EXPECT_EQ(toCp936(QString(QChar(0xD800)) + u("y")), "?y");  // a lone surrogate
    EXPECT_EQ(toCp936(u("é")), "\xA8\xA6");                     // pinyin letters are in GBK
    // Private-use characters other than the bad bytes' stand-ins are not CP936 either.
    EXPECT_EQ(toCp936(QString(QChar(0xE100)) + QChar(0xF8FF)), "??");
    EXPECT_EQ(toCp936(rawPairChar(0x41, 0x42) + rawPairChar(0xB4, 0x7F)), "??") << "no pair a decode makes";
}

TEST(Cp936, BadBytesBecomeStandInsAndDecodingGoesOn) {
    auto raw = [](unsigned char byte) { return QString(rawByteChar(byte)); };
    EXPECT_EQ(fromCp936("A\xFF"
                        "B"),
              u("A") + raw(0xFF) + u("B"));
    EXPECT_EQ(fromCp936("\x81\n\xB4\xAE"), raw(0x81) + u("\n串"));  // a lead byte without its trail
    // A pair glibc does not decode (GBK's user-defined areas) is one character, and the text
    // after it keeps its alignment.
    auto pair = [](unsigned char lead, unsigned char trail) { return rawPairChar(lead, trail); };
    EXPECT_EQ(fromCp936("\xAA\xA1\xB0\xA1OK"), pair(0xAA, 0xA1) + u("啊OK"));
    EXPECT_EQ(fromCp936("\xA1\x40\xF8\xA1\xFE\x50"), pair(0xA1, 0x40) + pair(0xF8, 0xA1) + pair(0xFE, 0x50));
    EXPECT_EQ(fromCp936("\xA1\x7F"), raw(0xA1) + u("\x7F")) << "7F is no trail byte";
    EXPECT_EQ(fromCp936("\xFF\xFE"), raw(0xFF) + raw(0xFE));
    EXPECT_EQ(fromCp936("ok\xB4"), u("ok") + raw(0xB4));  // cut off at the end
    EXPECT_EQ(fromCp936(std::string("a\0b", 3)), QString::fromUtf8("a\0b", 3));
}

// Byte strings that are CP936, or not, or partly: each comes back from Unicode as it was, also
// when it is decoded in two pieces cut anywhere.
TEST(Cp936, EveryByteStringSurvivesTheTripThroughUnicode) {
    std::vector<std::string> cases = everyNonZeroByte();
    cases.push_back("\x81 \xA1\x40\x80\xFF\xFE\x81\x40\xB4\xAE\0\xFE\xFE\xB4"s);
    cases.push_back("\xAA\xA1\xB0\xA1OK\xF8\xA1\xFE\x50\xA2\xA1\xA1"s);
    for (const std::string& bytes : cases) {
        EXPECT_EQ(toCp936(fromCp936(bytes)), bytes);
        for (std::size_t cut = 0; cut <= bytes.size(); ++cut) {
            const std::string_view whole(bytes);
            const QString text = fromCp936(whole.substr(0, cut)) + fromCp936(whole.substr(cut));
            EXPECT_EQ(toCp936(text), bytes) << "cut at " << cut;
        }
    }
}

}  // namespace
