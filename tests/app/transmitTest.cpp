// Sending the output box once and on the timer, the hex switch, fill and clear. What is sent
// is read at the far end of a pseudo-terminal (those cases are Linux-only).
#include <gtest/gtest.h>

#include <climits>

#include "tests/app/appTestSupport.h"
#include "tests/support/cp936.h"
#include "tests/support/scopedOsApi.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Sets the output box and the hex switch as the user would have left them.
void setOutput(FakeDialogHost& host, MainDialog& dialog, int hex, const std::string& text) {
    host.control(IDC_TXHEX).checked = hex;
    dialog.txHex = hex;
    host.typeText(IDC_TXTEXT, text);
}

#ifndef _WIN32  // the port is a pseudo-terminal
TEST(Transmit, ManualSendWritesTheBoxAsTextOrAsTheBytesItsHexSpells) {
    struct Case {
        int hex;
        std::string box;
        Bytes sent;  // empty: nothing written or counted
        bool lengthMessage;
    };
    const Case cases[] = {
        {0, "AB\r\nC", {0x41, 0x42, 0x0D, 0x0A, 0x43}, false},
        {0, cp936("串口"), {0xB4, 0xAE, 0xBF, 0xDA}, false},
        {0, "", {}, false},
        {1, "41 42 43 ", {0x41, 0x42, 0x43}, false},
        {1, "G1", {0x01}, false},             // a non-digit counts as 0
        {1, "41\r\n42", {0x41, 0x00, 0x42}, false},  // the line break is a pair
        {1, "41 424", {}, true},
        {1, "   ", {}, true},
    };
    DialogWithPort window;
    ASSERT_TRUE(window.open());
    Bytes expected;
    std::int32_t count = 0;
    for (const Case& c : cases) {
        setOutput(window.host, window.dialog, c.hex, c.box);
        window.host.messages.clear();
        window.host.click(IDC_SEND);
        EXPECT_EQ(window.host.messages.size(), c.lengthMessage ? 1u : 0u) << c.box;
        if (c.lengthMessage) {
            EXPECT_EQ(window.host.messages[0], cp936("十六进制数据长度无效!"));
        }
        expected.insert(expected.end(), c.sent.begin(), c.sent.end());
        count += static_cast<std::int32_t>(c.sent.size());
        EXPECT_EQ(window.dialog.txCount, count) << c.box;
        EXPECT_EQ(window.host.text(IDC_TXCOUNT), std::to_string(count)) << c.box;
    }
    EXPECT_EQ(hexOf(window.peer.receive(expected.size())), hexOf(expected));
    EXPECT_TRUE(window.peer.receive(1, std::chrono::milliseconds(100)).empty()) << "nothing more";
}
#endif

TEST(Transmit, ManualSendWithThePortClosedSaysSo) {
    OpenedMainDialog opened;
    opened.host.typeText(IDC_TXTEXT, "AT");
    opened.host.click(IDC_SEND);
    EXPECT_EQ(opened.host.messages, std::vector<std::string>{cp936("串口设备没有打开")});
    EXPECT_EQ(opened.dialog.txCount, 0);
}

#ifndef _WIN32  // the port is a pseudo-terminal
// The write is not awaited: its bytes count whatever becomes of it. Line errors left over
// drop the driver's output first.
TEST(Transmit, WritesCountWhenTheyFailAndLineErrorsPurgeFirst) {
    static std::vector<std::string> calls;
    ScopedOsApi api;  // outlives the port's monitor thread
    api->ClearCommError = [](HANDLE, LPDWORD errors, LPCOMSTAT) -> BOOL {
        if (errors != nullptr) *errors = CE_FRAME;
        return TRUE;
    };
    api->PurgeComm = [](HANDLE, DWORD flags) -> BOOL {
        calls.push_back("PurgeComm " + std::to_string(flags));
        return TRUE;
    };
    api->WriteFile = [](HANDLE, LPCVOID, DWORD count, LPDWORD written, LPOVERLAPPED) -> BOOL {
        calls.push_back("WriteFile " + std::to_string(count) + " written " + std::to_string(*written));
        return FALSE;
    };
    DialogWithPort window;
    ASSERT_TRUE(window.open());
    calls.clear();
    window.dialog.txCount = INT_MAX;
    window.host.typeText(IDC_TXTEXT, "A");
    window.host.click(IDC_SEND);
    EXPECT_EQ(calls, (std::vector<std::string>{"PurgeComm 5", "WriteFile 1 written 0"}));
    EXPECT_EQ(window.host.text(IDC_TXCOUNT), "-2147483648") << "the counter wraps";
}

TEST(Transmit, TimedSendRepeatsTheBoxWhileOn) {
    DialogWithPort window;
    ASSERT_TRUE(window.open());
    window.host.typeText(IDC_TXTEXT, "hello");
    window.host.typeText(IDC_PERIOD, "20");
    window.host.click(IDC_TIMEDSEND);
    EXPECT_EQ(window.host.timers.at(TIMER_SEND), 20u);
    EXPECT_FALSE(window.host.isEnabled(IDC_PERIOD));
    for (int i = 0; i < 3; ++i) window.host.tick(TIMER_SEND);
    EXPECT_EQ(window.dialog.txCount, 15);
    const Bytes got = window.peer.receive(15);
    EXPECT_EQ(std::string(got.begin(), got.end()), "hellohellohello");

    window.host.click(IDC_TIMEDSEND);
    EXPECT_EQ(window.host.timers.count(TIMER_SEND), 0u);
    EXPECT_TRUE(window.host.isEnabled(IDC_PERIOD));
}
#endif

#ifndef _WIN32  // the port is a pseudo-terminal
// What the user does, step by step; after each step the send timer must run exactly while the
// switch is on and the port is open, with 周期 locked while it runs.
struct UserStep {
    enum Kind { click, type, sendTick, portGoes } kind;
    int id = 0;
    const char* text = "";
};

TEST(Transmit, SendTimerRunsExactlyWhileTheSwitchIsOnAndThePortIsOpen) {
    using S = UserStep;
    const std::vector<std::vector<UserStep>> sessions = {
        // Switched off while 接收包大小 holds a rejected value, mended, the exchange run again
        // by another click, then the port closed and a stray tick.
        {{S::click, IDC_OPEN}, {S::type, IDC_TXTEXT, "hello"}, {S::click, IDC_TIMEDSEND},
         {S::type, IDC_PACKETSIZE, "0"}, {S::click, IDC_TIMEDSEND}, {S::type, IDC_PACKETSIZE, "1"},
         {S::click, IDC_PAUSE}, {S::click, IDC_OPEN}, {S::sendTick}},
        // Switched on while 周期 or an earlier box is rejected: no timer, never a 0 ms one.
        {{S::click, IDC_OPEN}, {S::type, IDC_TXTEXT, "hello"}, {S::type, IDC_PERIOD, "0"},
         {S::click, IDC_TIMEDSEND}, {S::click, IDC_TIMEDSEND}, {S::type, IDC_PERIOD, "1000"},
         {S::type, IDC_PACKETSIZE, "0"}, {S::click, IDC_TIMEDSEND}, {S::click, IDC_OPEN}},
        // The port goes from under the running timer: the next tick stops it.
        {{S::click, IDC_OPEN}, {S::type, IDC_TXTEXT, "hello"}, {S::click, IDC_TIMEDSEND}, {S::portGoes},
         {S::sendTick}},
    };
    for (std::size_t session = 0; session < sessions.size(); ++session) {
        DialogWithPort window;
        for (std::size_t i = 0; i < sessions[session].size(); ++i) {
            const UserStep& step = sessions[session][i];
            const std::int32_t sentBefore = window.dialog.txCount;
            switch (step.kind) {
            case S::click: window.host.click(step.id); break;
            case S::type: window.host.typeText(step.id, step.text); break;
            case S::sendTick: window.host.tick(TIMER_SEND); break;
            case S::portGoes: window.dialog.comm->closePort(); break;
            }
            SCOPED_TRACE("session " + std::to_string(session) + ", step " + std::to_string(i));
            if (step.kind == S::portGoes) continue;  // the timer learns it at its next tick
            const bool on = window.host.checked(IDC_TIMEDSEND) != 0;
            const bool running = window.host.timers.count(TIMER_SEND) == 1;
            EXPECT_EQ(running, on && window.dialog.portOpen());
            EXPECT_EQ(window.dialog.timedSend, on ? 1 : 0);
            EXPECT_EQ(window.host.isEnabled(IDC_PERIOD), !running);
            if (running) {
                EXPECT_EQ(window.host.timers.at(TIMER_SEND), 1000u);
            }
            if (!window.dialog.portOpen()) {
                EXPECT_EQ(window.dialog.txCount, sentBefore) << "nothing sent";
            }
        }
        EXPECT_FALSE(window.dialog.portOpen());
        EXPECT_TRUE(window.peer.receive(1, std::chrono::milliseconds(100)).empty()) << "nothing was written";
    }
}
#endif

TEST(Transmit, TimedSendWithThePortClosedIsRefused) {
    OpenedMainDialog opened;
    opened.host.click(IDC_TIMEDSEND);
    EXPECT_EQ(opened.host.messages, std::vector<std::string>{cp936("串口设备没有打开成功")});
    EXPECT_EQ(opened.dialog.timedSend, 0);
    EXPECT_EQ(opened.host.checked(IDC_TIMEDSEND), 0);
    EXPECT_EQ(opened.host.timers.count(TIMER_SEND), 0u);
}

#ifndef _WIN32  // the port is a pseudo-terminal
// A modal message lets timers run: ticks meanwhile must not stack messages or send.
TEST(Transmit, TicksWhileTheLengthMessageIsUpDoNothing) {
    DialogWithPort window;
    ASSERT_TRUE(window.open());
    setOutput(window.host, window.dialog, 1, "414");
    window.host.click(IDC_TIMEDSEND);
    int nested = 0;
    window.host.onMessage = [&](std::string_view) {
        if (nested++ < 3) window.host.tick(TIMER_SEND);
    };
    window.host.tick(TIMER_SEND);
    EXPECT_EQ(window.host.messages.size(), 1u);
    EXPECT_EQ(window.dialog.txCount, 0);
    window.host.tick(TIMER_SEND);
    EXPECT_EQ(window.host.messages.size(), 2u) << "once it is dismissed, the next tick tells again";
}
#endif

TEST(Transmit, HexSwitchConvertsTheBoxBothWays) {
    struct Case {
        std::string before;
        int hexBefore;
        std::string after;
        int hexAfter;
    };
    const Case cases[] = {
        {"AB", 0, "41 42 ", 1},
        {"", 0, "", 1},
        {"\xB4\xAE", 0, "B4 AE ", 1},  // each byte of a character is a pair
        {"41 42 ", 1, "AB", 0},
        {"41 00 42", 1, "AB", 0},  // 00 vanishes
        {"0A", 1, "\n", 0},
        {"   ", 1, "   ", 0},         // no digits: left alone
        {"41 424", 1, "41 424", 1},   // odd: the switch turns itself back on
    };
    for (const Case& c : cases) {
        OpenedMainDialog opened;
        setOutput(opened.host, opened.dialog, c.hexBefore, c.before);
        opened.host.click(IDC_TXHEX);
        EXPECT_EQ(opened.host.text(IDC_TXTEXT), c.after) << c.before;
        EXPECT_EQ(opened.dialog.txHex, c.hexAfter) << c.before;
        EXPECT_EQ(opened.host.checked(IDC_TXHEX), c.hexAfter) << c.before;
        EXPECT_TRUE(opened.host.messages.empty());
    }

    OpenedMainDialog opened;
    std::string every;
    for (int b = 1; b < 256; ++b) every += static_cast<char>(b);
    opened.host.typeText(IDC_TXTEXT, every);
    opened.host.click(IDC_TXHEX);
    opened.host.click(IDC_TXHEX);
    EXPECT_EQ(opened.host.text(IDC_TXTEXT), every) << "every non-zero byte comes back";
}

TEST(Transmit, FillCyclesThroughTheTestCommandsAndSwitchesHexOff) {
    OpenedMainDialog opened;
    const std::vector<std::string> commands = {
        R"({"method":"get","params":"all","tid":1001})",
        R"({"method":"set","password":"739251","tid":1001,"xxx":"yyy"})",
        R"({"method":"get","at":"id","tid":1001})",
        R"({"method":"reboot","params":"save","tid":1001})",
    };
    MainDialog::fillIndex = 0;
    for (int press = 0; press < 5; ++press) {
        setOutput(opened.host, opened.dialog, 1, "41 ");
        opened.host.click(IDC_FILL);
        EXPECT_EQ(opened.host.text(IDC_TXTEXT), commands[press % 4]) << press;
        EXPECT_EQ(opened.dialog.txHex, 0);
        EXPECT_EQ(opened.host.checked(IDC_TXHEX), 0);
    }
    EXPECT_EQ(opened.dialog.txCount, 0) << "fill sends nothing";

    opened.host.click(IDC_TXCLEAR);
    EXPECT_EQ(opened.host.text(IDC_TXTEXT), "");
    EXPECT_EQ(MainDialog::fillIndex, 5) << "clear leaves the fill order";
}

}  // namespace
