// Reading the boxes back: whole numbers only, the ranges with their bounds in the message,
// the failing box focused with its text selected, the fields after it untouched; and OK.
#include <gtest/gtest.h>

#include "app/dataExchange.h"
#include "resources/resourceIds.h"
#include "tests/app/appTestSupport.h"
#include "tests/support/cp936.h"

namespace {

const std::string enterInteger = cp936("请键入一个整数。");
std::string enterBetween(const char* low, const char* high) {
    return cp936(std::string("“请填入一个在") + low + "和" + high + "之间的整数。”");
}

TEST(DataExchange, WholeNumbersWithSignAndBlanks) {
    EXPECT_EQ(parseWholeNumber("12"), 12);
    EXPECT_EQ(parseWholeNumber(" \t+12\t "), 12);
    EXPECT_EQ(parseWholeNumber("-7"), -7);
    EXPECT_EQ(parseWholeNumber("007"), 7);
    EXPECT_EQ(parseWholeNumber("2147483647"), 2147483647);
    EXPECT_EQ(parseWholeNumber("-2147483648"), -2147483648LL);
    EXPECT_GT(*parseWholeNumber("99999999999999999999999"), 2147483647) << "no wrap-around";
    for (const char* notOne : {"", " ", "+", "-", "abc", "1 2", "1.5", "0x10", "12a", "--1", "\n12", "１２"})
        EXPECT_EQ(parseWholeNumber(notOne), std::nullopt) << '"' << notOne << '"';
}

TEST(DataExchange, MessagesTakeTheirArguments) {
    EXPECT_EQ(formatMessage("%1-%2 %3 %", "a", "bc"), "a-bc %3 %");
}

TEST(DataExchange, ANonIntegerStopsTheExchangeAtItsBox) {
    for (const char* bad : {"", "abc", "1 2", "0x10"}) {
        OpenedMainDialog opened;
        FakeDialogHost& host = opened.host;
        MainDialog& dialog = opened.dialog;
        host.typeText(IDC_PACKETSIZE, bad);
        host.typeText(IDC_TXCOUNT, "55");
        host.typeText(IDC_PERIOD, "250");
        host.setChecked(IDC_PAUSE, 1);

        EXPECT_FALSE(dialog.updateData(true)) << bad;
        EXPECT_EQ(host.messages, std::vector<std::string>{enterInteger});
        EXPECT_EQ(host.focus, IDC_PACKETSIZE);
        EXPECT_EQ(dialog.rxPacketSize, 1) << "a box without a number leaves its field";
        EXPECT_EQ(dialog.txCount, 0) << "fields after the failing box keep their values";
        EXPECT_EQ(dialog.pauseDisplay, 0);
        EXPECT_EQ(dialog.sendPeriodMs, 1000);
    }
}

TEST(DataExchange, RangeMessagesCarryTheBounds) {
    struct Case {
        const char* packetSize;
        const char* period;
        std::string message;
        int focus;
    };
    const Case cases[] = {
        {"0", "1000", enterBetween("1", "1024"), IDC_PACKETSIZE},
        {"1025", "1000", enterBetween("1", "1024"), IDC_PACKETSIZE},
        {"-3", "1000", enterBetween("1", "1024"), IDC_PACKETSIZE},
        {"12", "0", enterBetween("1", "3600000"), IDC_PERIOD},
        {"12", "3600001", enterBetween("1", "3600000"), IDC_PERIOD},
    };
    for (const Case& c : cases) {
        OpenedMainDialog opened;
        opened.host.typeText(IDC_PACKETSIZE, c.packetSize);
        opened.host.typeText(IDC_PERIOD, c.period);
        opened.host.setChecked(IDC_RXHEX, 1);
        EXPECT_FALSE(opened.dialog.updateData(true));
        EXPECT_EQ(opened.host.messages, std::vector<std::string>{c.message}) << c.packetSize << " " << c.period;
        EXPECT_EQ(opened.host.focus, c.focus);
        EXPECT_EQ(opened.dialog.rxHex, 0) << "after the failing box";
    }
}

TEST(DataExchange, AnOutOfRangeNumberIsKeptButANumberBeyond32BitsIsNot) {
    OpenedMainDialog opened;
    opened.host.typeText(IDC_PACKETSIZE, "5000");
    EXPECT_FALSE(opened.dialog.updateData(true));
    EXPECT_EQ(opened.dialog.rxPacketSize, 5000) << "the caller decides what to do with the number read";

    opened.host.typeText(IDC_PACKETSIZE, "99999999999");
    EXPECT_FALSE(opened.dialog.updateData(true));
    EXPECT_EQ(opened.host.messages.back(), enterBetween("1", "1024"));
    EXPECT_EQ(opened.dialog.rxPacketSize, 5000);

    opened.host.typeText(IDC_PACKETSIZE, "8");
    opened.host.typeText(IDC_TXCOUNT, "99999999999");
    EXPECT_FALSE(opened.dialog.updateData(true));
    EXPECT_EQ(opened.host.messages.back(), enterInteger) << "a count has no range: it must fit";
    EXPECT_EQ(opened.host.focus, IDC_TXCOUNT);
    EXPECT_EQ(opened.dialog.txCount, 0);
    EXPECT_EQ(opened.dialog.rxPacketSize, 8) << "the box before the failing one was read";
}

TEST(DataExchange, ASuccessfulExchangeReadsEveryField) {
    OpenedMainDialog opened;
    FakeDialogHost& host = opened.host;
    host.typeText(IDC_PACKETSIZE, " 1024 ");
    host.typeText(IDC_TXCOUNT, "-4");
    host.typeText(IDC_PERIOD, "3600000");
    for (int id : {IDC_PAUSE, IDC_AUTOCLEAR, IDC_RXHEX, IDC_TXHEX, IDC_TIMEDSEND}) host.control(id).checked = 1;
    ASSERT_TRUE(opened.dialog.updateData(true));
    const MainDialog& d = opened.dialog;
    EXPECT_EQ(d.rxPacketSize, 1024);
    EXPECT_EQ(d.txCount, -4);
    EXPECT_EQ(d.sendPeriodMs, 3600000);
    EXPECT_EQ(d.pauseDisplay + d.autoClear + d.rxHex + d.txHex + d.timedSend, 5);
    EXPECT_TRUE(host.messages.empty());

    opened.dialog.sendPeriodMs = 20;
    opened.dialog.rxHex = 0;
    ASSERT_TRUE(opened.dialog.updateData(false));
    EXPECT_EQ(host.text(IDC_PERIOD), "20");
    EXPECT_EQ(host.text(IDC_PACKETSIZE), "1024") << "written back as plain decimal";
    EXPECT_EQ(host.checked(IDC_RXHEX), 0);
    EXPECT_EQ(host.checked(IDC_TXHEX), 1);
}

TEST(DataExchange, EnterWithZeroPacketSizeKeepsTheDialogOpen) {
    OpenedMainDialog opened;
    opened.host.typeText(IDC_PACKETSIZE, "0");
    opened.host.pressEnter();
    EXPECT_EQ(opened.host.messages, std::vector<std::string>{enterBetween("1", "1024")});
    EXPECT_EQ(opened.host.focus, IDC_PACKETSIZE);
    EXPECT_EQ(opened.host.endCode, 0) << "the dialog stays";

    opened.host.typeText(IDC_PACKETSIZE, "16");
    opened.host.pressEnter();
    EXPECT_EQ(opened.host.endCode, dlg::idOk);
    EXPECT_EQ(opened.host.messages.size(), 1u);
}

}  // namespace
