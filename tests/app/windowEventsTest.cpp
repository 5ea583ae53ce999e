// The window's own events: the About item, painting the minimized window, the drag icon, the
// close request, OK and Cancel.
#include <gtest/gtest.h>

#include <algorithm>

#include "resources/resourceIds.h"
#include "tests/app/appTestSupport.h"
#include "tests/support/cp936.h"
#include "tests/support/scopedOsApi.h"
#ifndef _WIN32
#include "tests/support/ptyPeer.h"
#endif

namespace {

constexpr int systemClose = 0xF060;  // SC_CLOSE, which <windows.h> makes a macro

TEST(WindowEvents, AboutItemOpensANewAboutBoxEachTime) {
    OpenedMainDialog opened;
    int shown = 0;
    opened.toolkit.scripts[IDD_ABOUTBOX] = [&](FakeDialogHost& about) {
        ++shown;
        EXPECT_EQ(about.text(IDC_ABOUT_OK), cp936("确定"));
        EXPECT_EQ(about.caption, cp936("关于"));
        about.pressEnter();
    };
    EXPECT_TRUE(opened.host.systemCommand(IDM_ABOUT).handled);
    EXPECT_TRUE(opened.host.systemCommand(IDM_ABOUT | 0xF).handled) << "the low four bits are the system's";
    EXPECT_EQ(shown, 2);
    EXPECT_EQ(opened.host.modalRuns, (std::vector<int>{IDD_ABOUTBOX, IDD_ABOUTBOX}));
    EXPECT_EQ(opened.host.endCode, 0) << "the main window stays";
}

TEST(WindowEvents, OtherSystemCommandsGoToTheDefaultProcessing) {
    OpenedMainDialog opened;
    EXPECT_FALSE(opened.host.systemCommand(systemClose).handled);
    EXPECT_FALSE(opened.host.systemCommand(IDM_RECONNECT + 0x10).handled);
    EXPECT_TRUE(opened.host.modalRuns.empty());
}

TEST(WindowEvents, AboutBoxEndsWithOkButtonEnterOrEscape) {
    OpenedMainDialog opened;
    std::vector<std::function<void(FakeDialogHost&)>> ways = {
        [](FakeDialogHost& about) { about.click(IDC_ABOUT_OK); },
        [](FakeDialogHost& about) { about.pressEnter(); },
        [](FakeDialogHost& about) { about.pressEscape(); },
    };
    for (auto& way : ways) opened.toolkit.scripts[IDD_ABOUTBOX] = way, opened.host.systemCommand(IDM_ABOUT);
    ASSERT_EQ(opened.toolkit.hosts.size(), 3u);
    EXPECT_EQ(opened.toolkit.hosts[0]->endCode, dlg::idOk);
    EXPECT_EQ(opened.toolkit.hosts[1]->endCode, dlg::idOk);
    EXPECT_EQ(opened.toolkit.hosts[2]->endCode, dlg::idCancel);
    EXPECT_TRUE(opened.toolkit.hosts[0]->messages.empty());
}

TEST(WindowEvents, MinimizedWindowDrawsItsIconCentred) {
    OpenedMainDialog opened;
    FakeDialogHost& host = opened.host;
    host.minimized = true;
    host.client = {36, 36};
    host.calls.clear();
    EXPECT_TRUE(host.paint().handled);
    EXPECT_EQ(host.calls,
              (std::vector<std::string>{"beginPaint", "eraseIconBackground", "drawIcon 2 2 window icon", "endPaint"}));

    host.minimized = false;
    host.calls.clear();
    EXPECT_FALSE(host.paint().handled) << "a shown window paints as any dialog";
    EXPECT_TRUE(host.calls.empty());
}

TEST(WindowEvents, MinimizedIconPositionRoundsTowardZero) {
    EXPECT_EQ(minimizedIconPosition({36, 36}, {32, 32}), (IconPosition{2, 2}));
    EXPECT_EQ(minimizedIconPosition({37, 40}, {32, 32}), (IconPosition{3, 4}));
    EXPECT_EQ(minimizedIconPosition({20, 31}, {32, 32}), (IconPosition{-5, 0}));
}

TEST(WindowEvents, DragIconIsTheWindowIcon) {
    OpenedMainDialog opened;
    const dlg::EventResult result = opened.host.queryDragIcon();
    EXPECT_TRUE(result.handled);
    EXPECT_EQ(result.icon, opened.dialog.icon);
    EXPECT_NE(result.icon, nullptr);
}

TEST(WindowEvents, EveryControlEventIsRouted) {
    OpenedMainDialog opened;
    for (int id : {IDC_OPEN, IDC_SEND, IDC_RXCLEAR, IDC_SETPACKET, IDC_RESETCOUNT, IDC_PAUSE, IDC_TXCLEAR,
                   IDC_TIMEDSEND, IDC_RXHEX, IDC_TXHEX, IDC_AUTOCLEAR, IDC_FILL})
        EXPECT_TRUE(opened.host.click(id).handled) << id;
    EXPECT_FALSE(opened.host.click(IDC_STATUS).handled) << "the status line has no action";
    EXPECT_TRUE(opened.host.tick(TIMER_SEND).handled);
    EXPECT_TRUE(opened.host.tick(TIMER_DISPLAY).handled);
    EXPECT_EQ(opened.host.endCode, 0);
}

// Records the port's closing into the host's call log, so its place among the steps shows.
struct ClosingWatch {
    ScopedOsApi api;
    static inline FakeDialogHost* log = nullptr;
    static inline BOOL (*realCloseHandle)(HANDLE) = nullptr;
    explicit ClosingWatch(FakeDialogHost& host) {
        log = &host;
        realCloseHandle = api->CloseHandle;
        api->CloseHandle = [](HANDLE h) {
            log->calls.push_back("CloseHandle");
            return realCloseHandle(h);
        };
    }
};

std::vector<std::string> closeSteps(const std::vector<std::string>& calls) {
    std::vector<std::string> steps;
    const std::vector<std::string> wanted = {"killTimer 1", "enable 1008", "setChecked 1024 0", "killTimer 2",
                                             "endDialog 2"};
    bool portClosed = false;
    for (const std::string& call : calls) {
        if (std::find(wanted.begin(), wanted.end(), call) != wanted.end()) steps.push_back(call);
        if (call == "CloseHandle" && !portClosed) steps.push_back("port closed"), portClosed = true;
    }
    return steps;
}

#ifndef _WIN32  // the port is a pseudo-terminal
TEST(WindowEvents, CloseRequestStopsTimedSendThenPortThenDisplay) {
    PtyPeer peer;
    OpenedMainDialog opened;
    MainDialog& dialog = opened.dialog;
    FakeDialogHost& host = opened.host;
    dialog.comm->portNumber = peer.portNumber();
    std::snprintf(dialog.comm->devicePath, sizeof dialog.comm->devicePath, "\\\\.\\COM%d", peer.portNumber());
    ASSERT_TRUE(dialog.comm->openPort());
    ASSERT_TRUE(dialog.portOpen());
    host.click(IDC_TIMEDSEND);
    ASSERT_EQ(host.timers.count(TIMER_SEND), 1u);

    ClosingWatch watch(host);
    host.calls.clear();
    host.requestClose();

    EXPECT_EQ(closeSteps(host.calls), (std::vector<std::string>{"killTimer 1", "enable 1008", "setChecked 1024 0",
                                                                 "port closed", "killTimer 2", "endDialog 2"}));
    EXPECT_EQ(dialog.timedSend, 0);
    EXPECT_EQ(host.checked(IDC_TIMEDSEND), 0);
    EXPECT_TRUE(host.isEnabled(IDC_PERIOD));
    EXPECT_FALSE(dialog.portOpen());
    EXPECT_EQ(dialog.comm->threadHandle, nullptr) << "the monitor thread has ended";
    EXPECT_TRUE(host.timers.empty());
    EXPECT_EQ(host.endCode, dlg::idCancel);
}
#endif

TEST(WindowEvents, CloseRequestWithThePortClosedStillStopsTheDisplay) {
    OpenedMainDialog opened;
    ClosingWatch watch(opened.host);
    opened.host.calls.clear();
    opened.host.requestClose();
    EXPECT_EQ(closeSteps(opened.host.calls), (std::vector<std::string>{"killTimer 2", "endDialog 2"}));
    EXPECT_TRUE(opened.host.timers.empty());
}

TEST(WindowEvents, OkAndCancelEndWithoutTheCloseSteps) {
    for (bool ok : {true, false}) {
        OpenedMainDialog opened;
        opened.dialog.timedSend = 1;
        opened.host.setTimer(TIMER_SEND, 1000);
        opened.host.calls.clear();
        ok ? opened.host.pressEnter() : opened.host.pressEscape();
        EXPECT_EQ(opened.host.endCode, ok ? dlg::idOk : dlg::idCancel);
        EXPECT_EQ(opened.host.calls, std::vector<std::string>{ok ? "endDialog 1" : "endDialog 2"});
        EXPECT_EQ(opened.host.timers.size(), 2u) << "the timers end with the window";
    }
}

}  // namespace
