// Adapters coming and going, on the fake host: a pulled port is closed and told, comes back
// by itself while the reconnect switch is on, and the port list follows the devices.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "tests/app/appTestSupport.h"
#include "resources/texts.h"
#include "serial/rxQueue.h"
#include "tests/support/cp936.h"

namespace {

// The list the fake system gives for the length of one call.
template <class Action>
void whileListed(const std::vector<std::string>& names, Action action, bool listingFails = false) {
    FakeDiscovery system;
    for (std::size_t i = 0; i < names.size(); ++i)
        system.devices.push_back({"\\\\?\\port#" + std::to_string(i), names[i], "port", "PCI"});
    system.classDevsFails = listingFails;
    action();
}

std::vector<std::string> portEntries(FakeDialogHost& host) { return host.control(IDC_PORT).entries; }
std::string selectedPort(FakeDialogHost& host) {
    return host.comboEntry(IDC_PORT, host.comboSelection(IDC_PORT));
}

TEST(PortList, FollowsTheDevicesKeepingTheSelectedEntryWhileItIsListed) {
    OpenedMainDialog opened({"A (COM1)", "B (COM3)"});
    FakeDialogHost& host = opened.host;
    host.comboSelect(IDC_PORT, 0);
    const struct {
        std::vector<std::string> listed;
        bool fails;
        std::vector<std::string> entries;
        std::string selected;
    } steps[] = {
        {{"A (COM1)", "B (COM3)", "C (COM7)"}, false, {"COM1", "COM3", "COM7"}, "COM1"},  // plugged in
        {{"B (COM3)", "C (COM7)"}, false, {"COM3", "COM7"}, "COM7"},  // the selected one pulled
        {{}, true, {"COM3", "COM7"}, "COM7"},                       // no list now: the old one stays
        {{}, false, {}, ""},
        {{"D (COM9)"}, false, {"COM9"}, "COM9"},
    };
    for (const auto& step : steps) {
        whileListed(step.listed, [&] { host.devicesChanged(); }, step.fails);
        EXPECT_EQ(portEntries(host), step.entries);
        EXPECT_EQ(selectedPort(host), step.selected);
    }
    host.calls.clear();
    whileListed({"D (COM9)"}, [&] { host.devicesChanged(); });
    EXPECT_TRUE(host.calls.empty()) << "an unchanged list is left alone, an open drop-down too";
    EXPECT_TRUE(host.messages.empty());
}

#ifndef _WIN32  // the ports are pseudo-terminals

struct LosingWindow {
    DialogWithPort window;
    FakeDialogHost& host = window.host;
    MainDialog& dialog = window.dialog;

    std::string status() { return host.text(IDC_STATUS); }
    bool timerRuns(int id) { return host.timers.count(id) != 0; }
    // Pulls the adapter; display ticks run until the window has seen it and taken every byte,
    // and one more, which ends a capture.
    bool pull() {
        window.peer.pull();
        const bool seen = eventually([&] {
            host.tick(TIMER_DISPLAY);
            return !dialog.portOpen() && length(&rxQueue) == 0;
        });
        host.tick(TIMER_DISPLAY);
        return seen;
    }
    // Reconnect tries, each a second apart, until the port is open again.
    bool reconnected() {
        return eventually([&] {
            host.tick(TIMER_RECONNECT);
            return dialog.portOpen();
        });
    }
};

// As if the user had clicked 关闭, with the loss told in the status line and no message box.
TEST(LostPort, IsClosedWithTimedSendAndSavingStoppedAndTold) {
    for (const bool reconnect : {true, false}) {
        SCOPED_TRACE(reconnect);
        LosingWindow w;
        if (!reconnect) w.host.systemCommand(IDM_RECONNECT);
        ASSERT_TRUE(w.window.open());
        w.host.typeText(IDC_TXTEXT, "ping");
        w.host.click(IDC_TIMEDSEND);
        ASSERT_TRUE(w.timerRuns(TIMER_SEND));
        w.host.saveAnswer = "/docs/lost.txt";
        w.host.systemCommand(IDM_SAVE);
        w.window.peer.send("before the pull");
        ASSERT_TRUE(eventually([&] {
            w.host.tick(TIMER_DISPLAY);
            return w.dialog.rxCount == 15;
        }));

        ASSERT_TRUE(w.pull());
        EXPECT_EQ(w.status(), cp936(reconnect ? "COM201 已断开，等待重新连接…" : "COM201 连接已断开!"));
        EXPECT_EQ(w.host.text(IDC_OPEN), cp936("打开"));
        EXPECT_FALSE(w.timerRuns(TIMER_SEND));
        EXPECT_EQ(w.host.checked(IDC_TIMEDSEND), 0);
        for (int id : {IDC_PORT, IDC_BAUD, IDC_PARITY, IDC_DATABITS, IDC_STOPBITS}) EXPECT_TRUE(w.host.isEnabled(id));
        EXPECT_EQ(w.timerRuns(TIMER_RECONNECT), reconnect);
        EXPECT_EQ(w.host.menuItem(IDM_SAVE)->text, cp936("保存接收数据(&S)..."));
        const auto& file = *w.host.files.at("/docs/lost.txt");
        EXPECT_TRUE(eventually([&] {
            std::lock_guard<std::mutex> hold(file.lock);
            return file.closed;
        }));
        EXPECT_EQ(w.host.text(IDC_RXTEXT), "before the pull");
        EXPECT_TRUE(w.host.messages.empty());
    }
}

// Reopened with the settings it had, whatever the combos show meanwhile: by a hot-plug event
// at once, or by a try a second. Timed send and saving stay off.
TEST(LostPort, ComesBackWithItsSettingsOnceTheDeviceIsBack) {
    for (const bool byEvent : {true, false}) {
        SCOPED_TRACE(byEvent);
        LosingWindow w;
        w.host.comboSelect(IDC_BAUD, 7);
        ASSERT_TRUE(w.window.open());
        const DWORD baud = w.dialog.comm->dcb.BaudRate;
        w.host.click(IDC_TIMEDSEND);
        ASSERT_TRUE(w.pull());
        w.host.comboSelect(IDC_BAUD, 1);
        w.host.tick(TIMER_RECONNECT);
        w.host.devicesChanged();
        EXPECT_FALSE(w.dialog.portOpen()) << "the device is not back";

        w.window.peer.plugIn();
        if (byEvent) {
            w.host.devicesChanged();
            ASSERT_TRUE(w.dialog.portOpen());
        } else {
            ASSERT_TRUE(w.reconnected());
        }
        EXPECT_EQ(w.status(), cp936("COM201 已重新连接!"));
        EXPECT_EQ(w.host.text(IDC_OPEN), cp936("关闭"));
        EXPECT_FALSE(w.host.isEnabled(IDC_BAUD));
        EXPECT_EQ(w.host.comboSelection(IDC_BAUD), 7);
        EXPECT_EQ(selectedPort(w.host), "COM201");
        EXPECT_EQ(w.dialog.comm->dcb.BaudRate, baud);
        EXPECT_FALSE(w.timerRuns(TIMER_RECONNECT));
        EXPECT_FALSE(w.timerRuns(TIMER_SEND));
        EXPECT_EQ(w.host.menuItem(IDM_SAVE)->text, cp936("保存接收数据(&S)..."));

        w.window.peer.send("after");
        ASSERT_TRUE(eventually([&] {
            w.host.tick(TIMER_DISPLAY);
            return w.host.text(IDC_RXTEXT) == "after";
        }));
        w.host.click(IDC_OPEN);
        EXPECT_EQ(w.status(), cp936("COM201 成功关闭!"));
        EXPECT_TRUE(w.host.messages.empty());
    }
}

// The waiting ends when the user opens what is selected, closes the window or switches the
// reconnect off; switched on again, it waits again.
TEST(LostPort, WaitingEndsByOpenByCloseRequestOrBySwitchingOff) {
    const std::function<void(LosingWindow&)> ends[] = {
        [](LosingWindow& w) { w.host.click(IDC_OPEN); },
        [](LosingWindow& w) { w.host.requestClose(); },
        [](LosingWindow& w) { w.host.systemCommand(IDM_RECONNECT); },
    };
    for (std::size_t way = 0; way < std::size(ends); ++way) {
        SCOPED_TRACE(way);
        LosingWindow w;
        ASSERT_TRUE(w.window.open());
        ASSERT_TRUE(w.pull());
        ends[way](w);
        EXPECT_FALSE(w.timerRuns(TIMER_RECONNECT));
        w.window.peer.plugIn();
        w.host.devicesChanged();
        EXPECT_FALSE(w.dialog.portOpen()) << "no longer waited for";
        if (way == 2) {
            EXPECT_EQ(w.status(), cp936("COM201 连接已断开!"));
            EXPECT_FALSE(w.host.menuItem(IDM_RECONNECT)->checked);
            w.host.systemCommand(IDM_RECONNECT);
            EXPECT_EQ(w.status(), cp936("COM201 已断开，等待重新连接…"));
            EXPECT_TRUE(w.host.menuItem(IDM_RECONNECT)->checked);
            ASSERT_TRUE(w.reconnected());
        }
    }
}

// While the port is open the list stays as it is; it is read again when the port closes.
TEST(PortList, IsLeftAloneWhileThePortIsOpen) {
    DialogWithPort w;
    ASSERT_TRUE(w.open());
    const std::string folder = std::string(std::getenv("XDG_RUNTIME_DIR")) + "/korvane/ports";
    std::filesystem::create_symlink(w.peer.slavePath(), folder + "/com202");
    w.host.devicesChanged();
    EXPECT_EQ(portEntries(w.host), std::vector<std::string>{"COM201"});
    w.host.click(IDC_OPEN);
    const std::vector<std::string> entries = portEntries(w.host);
    EXPECT_NE(std::find(entries.begin(), entries.end(), "COM202"), entries.end());
    EXPECT_EQ(selectedPort(w.host), "COM201");
}

#endif

}  // namespace
