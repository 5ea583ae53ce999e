// The receive display: what each display tick takes from the receive queue, counts and shows;
// the options, the clear and reset buttons, and the receive packet size.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

#include "serial/rxQueue.h"
#include "tests/app/appTestSupport.h"
#include "tests/support/cp936.h"
#include "tests/support/scopedOsApi.h"

namespace {

void queue(const std::string& bytes) {
    ASSERT_EQ(put(&rxQueue, reinterpret_cast<const std::uint8_t*>(bytes.data()),
                  static_cast<std::uint32_t>(bytes.size())),
              bytes.size());
}

void check(FakeDialogHost& host, int id) { host.control(id).checked = 1; }

// A tick takes all that waits, up to its bound (enough for 1.2 MB/s and a stall); the rest
// waits for the next tick.
TEST(ReceiveDisplay, TickTakesWhatWaitsUpToItsBoundAndCountsIt) {
    const std::vector<std::size_t> cases[] = {
        {10000},                   // more than the 8192 a tick once took: all of it
        {displayChunkMax, 1808},  // more than the bound
    };
    for (const std::vector<std::size_t>& ticks : cases) {
        OpenedMainDialog opened;
        std::string data;
        for (std::size_t taken : ticks) data.append(taken, 'x');
        for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>('a' + i % 26);
        queue(data);
        std::size_t shown = 0;
        for (std::size_t taken : ticks) {
            shown += taken;
            opened.host.tick(TIMER_DISPLAY);
            EXPECT_EQ(opened.host.text(IDC_RXCOUNT), std::to_string(shown));
            EXPECT_EQ(opened.host.text(IDC_RXTEXT), data.substr(0, shown));
        }
        opened.host.calls.clear();
        opened.host.tick(TIMER_DISPLAY);
        EXPECT_TRUE(opened.host.calls.empty()) << "an empty queue changes nothing";
    }
    static_assert(displayChunkMax >= 2 * 60000, "twice what a tick finds at 1.2 MB/s");
}

TEST(ReceiveDisplay, ZeroBytesShowAsDotsInTextAndAsPairsInHex) {
    OpenedMainDialog opened;
    queue(std::string("A\0B", 3));
    opened.host.tick(TIMER_DISPLAY);
    EXPECT_EQ(opened.host.text(IDC_RXTEXT), "A.B");
    opened.host.click(IDC_RXCLEAR);
    check(opened.host, IDC_RXHEX);
    opened.host.click(IDC_RXHEX);  // turns it off again: the option is read at the click
    opened.host.click(IDC_RXHEX);
    queue(std::string("A\0B\xFF", 4));
    opened.host.tick(TIMER_DISPLAY);
    EXPECT_EQ(opened.host.text(IDC_RXTEXT), "41 00 42 FF ");
}

// A double-byte character cut by a tick's end is shown whole with the next tick.
TEST(ReceiveDisplay, CharacterSplitAcrossTicksIsShownWhole) {
    const std::string text = cp936("串口") + "\x81" + " A" + cp936("数据");  // 81 20: no character
    for (std::size_t cut = 1; cut < text.size(); ++cut) {
        OpenedMainDialog opened;
        queue(text.substr(0, cut));
        opened.host.tick(TIMER_DISPLAY);
        const std::string first = opened.host.text(IDC_RXTEXT);
        EXPECT_EQ(first, text.substr(0, wholeCharactersLength(text.substr(0, cut)))) << cut;
        EXPECT_EQ(opened.dialog.rxCount, static_cast<std::int32_t>(cut)) << "counted when taken";
        queue(text.substr(cut));
        opened.host.tick(TIMER_DISPLAY);
        EXPECT_EQ(opened.host.text(IDC_RXTEXT), text) << cut;
    }
    EXPECT_EQ(wholeCharactersLength(cp936("串") + "\xB4"), 2u);
    EXPECT_EQ(wholeCharactersLength("\x81\x20\xB4"), 2u);
    EXPECT_EQ(wholeCharactersLength("\xB4\xFF\xB4\xAE"), 4u) << "FF is no trail byte";
}

// A lead byte at a tick's end waits one tick for its trail byte; then it is shown alone, also
// when that tick is paused, and in hex when hex was switched on meanwhile. Clearing the box
// drops it.
TEST(ReceiveDisplay, HeldLeadByteWaitsOneTickAtMost) {
    enum Action { tick, pausedTick, hexTick, clear };
    struct Step {
        Action action;
        std::string bytes;
    };
    struct Case {
        std::vector<Step> steps;
        std::vector<std::string> appended;
    };
    const std::string lead = "\xB4", trail = "\xAE";  // 串; "1" is no trail byte
    const Case cases[] = {
        {{{tick, "A" + lead}, {tick, trail + "B"}}, {"A", lead + trail + "B"}},
        {{{tick, "A" + lead}, {tick, ""}, {tick, trail + "1"}}, {"A", lead, trail + "1"}},
        {{{tick, lead}, {tick, ""}}, {lead}},
        {{{tick, "A" + lead}, {pausedTick, trail + "B"}, {tick, "C"}}, {"A", lead, "C"}},
        {{{tick, "A" + lead}, {clear, ""}, {tick, trail + "1"}}, {"A", trail + "1"}},
        {{{tick, "A" + lead}, {hexTick, ""}}, {"A", "B4 "}},
        {{{tick, "A" + lead}, {hexTick, trail}}, {"A", "B4 AE "}},
        {{{tick, lead + trail + lead}, {tick, lead}, {tick, ""}}, {lead + trail, lead + lead}},
    };
    for (const Case& c : cases) {
        OpenedMainDialog opened;
        for (const Step& step : c.steps) {
            if (step.action == clear) {
                opened.host.click(IDC_RXCLEAR);
                continue;
            }
            opened.dialog.pauseDisplay = step.action == pausedTick;
            opened.dialog.rxHex = step.action == hexTick;
            if (!step.bytes.empty()) queue(step.bytes);
            opened.host.tick(TIMER_DISPLAY);
        }
        EXPECT_EQ(opened.host.appended, c.appended) << c.steps[0].bytes << " in " << c.steps.size() << " steps";
    }
}

TEST(ReceiveDisplay, PausedBytesAreCountedButNeverShown) {
    OpenedMainDialog opened;
    opened.host.typeText(IDC_RXTEXT, "old");
    check(opened.host, IDC_PAUSE);
    opened.dialog.pauseDisplay = 1;
    queue("during\xB4");
    opened.host.tick(TIMER_DISPLAY);
    EXPECT_EQ(opened.host.text(IDC_RXTEXT), "old");
    EXPECT_EQ(opened.dialog.rxCount, 7);
    opened.dialog.pauseDisplay = 0;
    queue("after");
    opened.host.tick(TIMER_DISPLAY);
    EXPECT_EQ(opened.host.text(IDC_RXTEXT), "oldafter");
    EXPECT_EQ(opened.host.text(IDC_RXCOUNT), "12");
}

TEST(ReceiveDisplay, AutoClearEmptiesABoxLongerThan4096BeforeTheAppend) {
    struct Case {
        bool autoClear;
        std::size_t held;
        std::string after;
    };
    const Case cases[] = {{true, 4096, std::string(4096, 'o') + "new"},
                          {true, 4097, "new"},
                          {false, 100000, std::string(100000, 'o') + "new"}};
    for (const Case& c : cases) {
        OpenedMainDialog opened;
        opened.dialog.autoClear = c.autoClear;
        opened.host.typeText(IDC_RXTEXT, std::string(c.held, 'o'));
        queue("new");
        opened.host.calls.clear();
        opened.host.tick(TIMER_DISPLAY);
        EXPECT_EQ(opened.host.text(IDC_RXTEXT), c.after) << c.held;
        if (!c.autoClear) {  // the box is appended to, never rewritten
            EXPECT_EQ(opened.host.calls, (std::vector<std::string>{"setText 1010", "appendText 1014"}));
        }
    }
}

TEST(ReceiveDisplay, ClearAndResetTouchOnlyTheirOwn) {
    OpenedMainDialog opened;
    queue("abc");
    opened.host.tick(TIMER_DISPLAY);
    queue("de");
    opened.dialog.txCount = 9;
    opened.host.click(IDC_RXCLEAR);
    EXPECT_EQ(opened.host.text(IDC_RXTEXT), "");
    EXPECT_EQ(opened.dialog.rxCount, 3);
    EXPECT_EQ(length(&rxQueue), 2) << "queued bytes stay";

    opened.host.calls.clear();
    opened.host.click(IDC_RESETCOUNT);
    EXPECT_EQ(opened.host.calls, (std::vector<std::string>{"setText 1010", "setText 1011"}));
    EXPECT_EQ(opened.host.text(IDC_RXCOUNT), "0");
    EXPECT_EQ(opened.host.text(IDC_TXCOUNT), "0");
    EXPECT_EQ(opened.dialog.txCount, 0);
    opened.host.tick(TIMER_DISPLAY);
    EXPECT_EQ(opened.host.text(IDC_RXCOUNT), "2");
    EXPECT_EQ(opened.host.text(IDC_RXTEXT), "de");

    opened.dialog.rxCount = INT_MAX;
    queue("f");
    opened.host.tick(TIMER_DISPLAY);
    EXPECT_EQ(opened.host.text(IDC_RXCOUNT), "-2147483648") << "the counter wraps";
}

TEST(ReceiveDisplay, PacketSizeNeedsAnOpenPort) {
    OpenedMainDialog opened;
    queue("kept");
    opened.host.typeText(IDC_PACKETSIZE, "100");
    opened.host.click(IDC_SETPACKET);
    EXPECT_EQ(opened.host.messages, std::vector<std::string>{cp936("串口设备没有打开")});
    EXPECT_EQ(opened.dialog.comm->rxThreshold, 1u);
    EXPECT_EQ(length(&rxQueue), 4);
    EXPECT_EQ(opened.host.text(IDC_STATUS), "");
}

#ifndef _WIN32  // the port is a pseudo-terminal
// A valid size is applied and what was received before it is dropped; a size the box does
// not hold as 1 to 1024 is refused without a word of success.
TEST(ReceiveDisplay, PacketSizeIsAppliedOnlyWhenTheBoxHoldsAValidSize) {
    static std::vector<DWORD> purges;
    ScopedOsApi api;  // outlives the port's monitor thread
    api->PurgeComm = [](HANDLE port, DWORD flags) {
        purges.push_back(flags);
        return platformOsApi().PurgeComm(port, flags);
    };
    DialogWithPort window;
    ASSERT_TRUE(window.open());
    for (const char* rejected : {"0", "-5", "5000", "abc", ""}) {
        purges.clear();
        window.host.messages.clear();
        window.host.setText(IDC_STATUS, "");
        queue("kept");
        window.host.typeText(IDC_PACKETSIZE, rejected);
        window.host.click(IDC_SETPACKET);
        EXPECT_EQ(window.host.messages.size(), 1u) << rejected << ": the box's own message";
        EXPECT_EQ(window.dialog.comm->rxThreshold, 1u) << rejected;
        EXPECT_EQ(window.dialog.rxPacketSize, 1) << rejected;
        EXPECT_TRUE(purges.empty()) << rejected;
        EXPECT_EQ(length(&rxQueue), 4) << rejected;
        EXPECT_EQ(window.host.text(IDC_STATUS), "") << rejected;
        reset(&rxQueue);
    }

    purges.clear();
    queue("dropped\xB4");
    window.host.tick(TIMER_DISPLAY);  // leaves the lead byte held
    queue("dropped too");
    window.host.typeText(IDC_PACKETSIZE, "100");
    window.host.click(IDC_SETPACKET);
    EXPECT_EQ(window.dialog.comm->rxThreshold, 100u);
    EXPECT_EQ(purges, (std::vector<DWORD>{PURGE_RXABORT | PURGE_RXCLEAR, PURGE_TXABORT | PURGE_TXCLEAR}));
    EXPECT_EQ(length(&rxQueue), 0);
    EXPECT_EQ(window.host.text(IDC_STATUS), cp936("接收包大小设置成功!"));
    queue("Z");
    window.host.tick(TIMER_DISPLAY);
    EXPECT_EQ(window.host.text(IDC_RXTEXT), "droppedZ") << "the held byte went with the queue";
}

// The real engine: bytes written at the far end reach the box through the monitor thread.
TEST(ReceiveDisplay, BytesFromThePortReachTheBox) {
    DialogWithPort window;
    ASSERT_TRUE(window.open());
    const std::string text = cp936("模块回复: OK\r\n");
    window.peer.send(text.substr(0, 1));
    window.peer.send(text.substr(1));
    EXPECT_TRUE(eventually([&] {
        window.host.tick(TIMER_DISPLAY);
        return window.host.text(IDC_RXTEXT).size() >= text.size();
    }));
    EXPECT_EQ(window.host.text(IDC_RXTEXT), text);
    EXPECT_EQ(window.host.text(IDC_RXCOUNT), std::to_string(text.size()));
}

// Dropped bytes are told once per tick that finds more of them, as the total since the port
// was opened; the queue here is small enough to overflow.
TEST(ReceiveDisplay, DroppedBytesAreToldOncePerTickWithTheTotalSinceOpening) {
    DialogWithPort window;
    static std::uint8_t small[16];
    init(&rxQueue, small, sizeof small);
    const std::string bytes(20, 'z');
    queue(bytes.substr(0, 16));
    EXPECT_EQ(receiveCallback(reinterpret_cast<const std::uint8_t*>(bytes.data()), 4), 0);  // 4 dropped
    window.host.tick(TIMER_DISPLAY);
    EXPECT_EQ(window.host.text(IDC_STATUS), cp936("接收溢出，已丢失 4 字节"));
    window.host.setText(IDC_STATUS, "");
    window.host.tick(TIMER_DISPLAY);
    EXPECT_EQ(window.host.text(IDC_STATUS), "") << "nothing more was dropped";
    queue(bytes.substr(0, 16));
    receiveCallback(reinterpret_cast<const std::uint8_t*>(bytes.data()), 20);
    window.host.tick(TIMER_DISPLAY);
    EXPECT_EQ(window.host.text(IDC_STATUS), cp936("接收溢出，已丢失 24 字节"));
    EXPECT_EQ(window.dialog.rxCount, 32) << "what was kept is counted";

    ASSERT_TRUE(window.open());
    receiveCallback(reinterpret_cast<const std::uint8_t*>(bytes.data()), 20);  // 4 more than fit
    window.host.tick(TIMER_DISPLAY);
    EXPECT_EQ(window.host.text(IDC_STATUS), cp936("接收溢出，已丢失 4 字节")) << "counted from the opening";
    EXPECT_TRUE(window.host.messages.empty()) << "no message box";
    EXPECT_TRUE(window.dialog.portOpen());
    window.host.click(IDC_OPEN);
    init(&rxQueue, rxQueueStorage, rxQueueCapacity);
}
#endif

}  // namespace
