// Opening and closing the port through the button, over a real pseudo-terminal; failures and
// the settings the port is given through operations that watch or refuse. The cases with a
// pseudo-terminal are Linux-only.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/app/appTestSupport.h"
#include "tests/support/cp936.h"
#include "tests/support/scopedOsApi.h"

namespace {

const int combos[] = {IDC_PORT, IDC_BAUD, IDC_PARITY, IDC_DATABITS, IDC_STOPBITS};

#ifndef _WIN32  // the port is a pseudo-terminal
std::vector<std::string> enableCalls(const std::vector<std::string>& calls) {
    std::vector<std::string> found;
    for (const std::string& call : calls)
        if (call.rfind("enable 100", 0) == 0 || call.rfind("disable 100", 0) == 0) found.push_back(call);
    return found;
}

TEST(PortActions, OpenAndCloseShowTheStateInCaptionStatusAndCombos) {
    DialogWithPort window;
    window.host.calls.clear();
    ASSERT_TRUE(window.open()) << window.host.text(IDC_STATUS);
    EXPECT_EQ(window.host.text(IDC_OPEN), cp936("关闭"));
    EXPECT_EQ(window.host.text(IDC_STATUS), cp936("COM201 成功打开!"));
    EXPECT_STREQ(window.dialog.comm->devicePath, "\\\\.\\COM201");
    EXPECT_EQ(window.dialog.comm->portNumber, 201);
    EXPECT_EQ(window.dialog.comm->rxThreshold, 1u);
    EXPECT_EQ(enableCalls(window.host.calls), (std::vector<std::string>{"disable 1000", "disable 1004",
                                                                        "disable 1003", "disable 1002",
                                                                        "disable 1001"}));
    window.host.calls.clear();
    window.host.click(IDC_OPEN);
    EXPECT_FALSE(window.dialog.portOpen());
    EXPECT_EQ(window.host.text(IDC_OPEN), cp936("打开"));
    EXPECT_EQ(window.host.text(IDC_STATUS), cp936("COM201 成功关闭!"));
    EXPECT_EQ(enableCalls(window.host.calls), (std::vector<std::string>{"enable 1000", "enable 1004",
                                                                        "enable 1003", "enable 1002",
                                                                        "enable 1001"}));
    EXPECT_TRUE(window.host.messages.empty());
    EXPECT_TRUE(window.open()) << "the port opens again";
}

// The dialog asks for the port by its number, whatever it is; here COM12 leads to the pty.
TEST(PortActions, TwoDigitPortIsOpenedAndReportedByItsNumber) {
    PtyPeer peer;
    OpenedMainDialog opened({"USB Serial Port (COM12)"});
    ScopedOsApi api;
    static std::string asked;
    static std::string pty;
    pty = peer.comPath();
    api->CreateFileA = [](LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                          DWORD disposition, DWORD flags, HANDLE templateFile) {
        asked = name;
        return platformOsApi().CreateFileA(pty.c_str(), access, share, security, disposition, flags,
                                           templateFile);
    };
    opened.host.click(IDC_OPEN);
    EXPECT_EQ(asked, "\\\\.\\COM12");
    EXPECT_EQ(opened.host.text(IDC_STATUS), cp936("COM12 成功打开!"));
    opened.host.click(IDC_OPEN);
    EXPECT_EQ(opened.host.text(IDC_STATUS), cp936("COM12 成功关闭!"));
}
#endif

void expectFailedOpen(OpenedMainDialog& opened, const char* why) {
    EXPECT_FALSE(opened.dialog.portOpen()) << why;
    EXPECT_EQ(opened.host.text(IDC_STATUS), cp936("没有发现此串口或被占用")) << why;
    EXPECT_EQ(opened.host.messages, std::vector<std::string>{cp936("没有发现此串口或被占用")}) << why;
    EXPECT_EQ(opened.host.text(IDC_OPEN), cp936("打开")) << why;
    for (int id : combos) EXPECT_TRUE(opened.host.isEnabled(id)) << why << " " << id;
}

TEST(PortActions, NoPortListedOrNoNumberFailsWithoutTouchingThePort) {
    for (const auto& names : {std::vector<std::string>{}, std::vector<std::string>{"COM"},
                              std::vector<std::string>{"COM1025"}, std::vector<std::string>{"COM-3"}}) {
        OpenedMainDialog opened(names);
        opened.host.click(IDC_OPEN);
        expectFailedOpen(opened, names.empty() ? "no port" : names[0].c_str());
        EXPECT_EQ(opened.dialog.comm->portNumber, 0) << "comm is not touched";
    }
}

#ifndef _WIN32  // the port is a pseudo-terminal
TEST(PortActions, PortHeldByAnotherFails) {
    DialogWithPort window;
    xbeeCallbackComm other;
    std::snprintf(other.devicePath, sizeof other.devicePath, "%s", window.peer.comPath().c_str());
    ASSERT_TRUE(other.openPort());
    EXPECT_FALSE(window.open());
    expectFailedOpen(window.opened, "held");
}

// A device the user may not open (Linux: not in the dialout group) adds the hint to the status
// line; the message box keeps the plain text.
TEST(PortActions, AnOpenRefusedForLackOfPermissionSaysWhyInTheStatusLine) {
    DialogWithPort window;
    {
        ScopedOsApi api;
        api->CreateFileA = [](LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE) {
            os::SetLastError(ERROR_PRIVILEGE_NOT_HELD);
            return INVALID_HANDLE_VALUE;
        };
        EXPECT_FALSE(window.open());
    }
    EXPECT_EQ(window.host.text(IDC_STATUS), cp936("没有发现此串口或被占用（无权限：请将用户加入 dialout 组）"));
    EXPECT_EQ(window.host.messages, std::vector<std::string>{cp936("没有发现此串口或被占用")});
    window.host.messages.clear();
    xbeeCallbackComm other;  // then held by another: the plain text again
    std::snprintf(other.devicePath, sizeof other.devicePath, "%s", window.peer.comPath().c_str());
    ASSERT_TRUE(other.openPort());
    EXPECT_FALSE(window.open());
    expectFailedOpen(window.opened, "held after a refusal");
}

// Steps after the port opened can fail: the port is closed again, so that the button's
// "open" is true and the next click opens instead of reporting a close.
TEST(PortActions, LateFailureClosesThePortAgain) {
    struct Case {
        const char* what;
        void (*refuse)(OsApi&);
    };
    const Case cases[] = {
        {"setup", [](OsApi& api) { api.SetupComm = [](HANDLE, DWORD, DWORD) -> BOOL { return FALSE; }; }},
        {"state read", [](OsApi& api) { api.GetCommState = [](HANDLE, LPDCB) -> BOOL { return FALSE; }; }},
        {"state read not exactly 1", [](OsApi& api) { api.GetCommState = [](HANDLE, LPDCB) -> BOOL { return 2; }; }},
        {"baud rate 230400", [](OsApi& api) {
             api.SetCommState = [](HANDLE port, LPDCB dcb) -> BOOL {
                 return dcb->BaudRate == 230400 ? FALSE : platformOsApi().SetCommState(port, dcb);
             };
         }},
    };
    for (const Case& c : cases) {
        DialogWithPort window;
        window.host.comboSelect(IDC_BAUD, 10);  // 230400
        {
            ScopedOsApi api;
            c.refuse(*api);
            EXPECT_FALSE(window.open()) << c.what;
        }
        expectFailedOpen(window.opened, c.what);
        xbeeCallbackComm other;  // the port is free again
        std::snprintf(other.devicePath, sizeof other.devicePath, "%s", window.peer.comPath().c_str());
        EXPECT_TRUE(other.openPort()) << c.what;
        other.closePort();
        EXPECT_TRUE(window.open()) << c.what << ": the next click opens";
    }
}

// The probe proves 8N1 at the chosen rate; then the chosen framing is written. A pty refuses
// it and the port runs at 8N1.
TEST(PortActions, ChosenFramingReachesThePortAfterThe8N1Probe) {
    struct Case {
        int parity, dataBits, stopBits;
        BYTE wantParity, wantByteSize, wantStopBits;
    };
    const Case cases[] = {{0, 0, 1, NOPARITY, 8, TWOSTOPBITS},
                          {2, 0, 0, EVENPARITY, 8, ONESTOPBIT},
                          {1, 1, 0, ODDPARITY, 7, ONESTOPBIT},
                          {0, 2, 0, NOPARITY, 6, ONESTOPBIT}};
    for (const Case& c : cases) {
        DialogWithPort window;
        window.host.comboSelect(IDC_BAUD, 9);  // 115200
        window.host.comboSelect(IDC_PARITY, c.parity);
        window.host.comboSelect(IDC_DATABITS, c.dataBits);
        window.host.comboSelect(IDC_STOPBITS, c.stopBits);
        static std::vector<DCB> written;
        written.clear();
        ScopedOsApi api;
        api->SetCommState = [](HANDLE port, LPDCB dcb) {
            written.push_back(*dcb);
            return platformOsApi().SetCommState(port, dcb);
        };
        ASSERT_TRUE(window.open());
        ASSERT_EQ(written.size(), 2u);
        EXPECT_EQ(written[0].BaudRate, 115200u);
        EXPECT_EQ(written[0].ByteSize, 8);
        EXPECT_EQ(written[0].Parity, NOPARITY);
        EXPECT_EQ(written[0].StopBits, ONESTOPBIT);
        EXPECT_EQ(written[1].BaudRate, 115200u);
        EXPECT_EQ(written[1].Parity, c.wantParity);
        EXPECT_EQ(written[1].ByteSize, c.wantByteSize);
        EXPECT_EQ(written[1].StopBits, c.wantStopBits);
        DCB now{};
        now.DCBlength = sizeof now;
        ASSERT_TRUE(os::GetCommState(window.dialog.comm->handle, &now));
        EXPECT_EQ(now.ByteSize, 8) << "the pty keeps 8N1";
        EXPECT_EQ(now.Parity, NOPARITY);
        EXPECT_EQ(window.host.text(IDC_STATUS), cp936("COM201 成功打开!"));
        window.host.click(IDC_OPEN);
    }
}

TEST(PortActions, OpeningAgainResetsThePacketSizeToOne) {
    DialogWithPort window;
    ASSERT_TRUE(window.open());
    window.host.typeText(IDC_PACKETSIZE, "100");
    window.host.click(IDC_SETPACKET);
    ASSERT_EQ(window.dialog.comm->rxThreshold, 100u);
    window.host.click(IDC_OPEN);
    ASSERT_TRUE(window.open());
    EXPECT_EQ(window.host.text(IDC_PACKETSIZE), "1");
    EXPECT_EQ(window.dialog.rxPacketSize, 1);
    EXPECT_EQ(window.dialog.comm->rxThreshold, 1u);
}

TEST(PortActions, ClosingStopsTimedSendFirst) {
    DialogWithPort window;
    ASSERT_TRUE(window.open());
    window.host.click(IDC_TIMEDSEND);
    ASSERT_EQ(window.host.timers.count(TIMER_SEND), 1u);
    window.host.calls.clear();
    window.host.click(IDC_OPEN);
    const std::vector<std::string> first(window.host.calls.begin(), window.host.calls.begin() + 3);
    EXPECT_EQ(first, (std::vector<std::string>{"killTimer 1", "enable 1008", "setChecked 1024 0"}));
    EXPECT_EQ(window.dialog.timedSend, 0);
    EXPECT_EQ(window.host.timers.count(TIMER_SEND), 0u);
    EXPECT_EQ(window.host.timers.count(TIMER_DISPLAY), 1u);
}

TEST(PortActions, RejectedBoxShowsItsMessageAndThePortOpensAllTheSame) {
    DialogWithPort window;
    window.host.typeText(IDC_PERIOD, "0");
    EXPECT_TRUE(window.open());
    EXPECT_EQ(window.host.messages, std::vector<std::string>{cp936("“请填入一个在1和3600000之间的整数。”")});
    EXPECT_EQ(window.host.text(IDC_STATUS), cp936("COM201 成功打开!"));
}
#endif

TEST(PortActions, SettingsAreReadFromTheSelectedEntries) {
    EXPECT_EQ(leadingNumber("  -12abc"), -12);
    EXPECT_EQ(leadingNumber("+7"), 7);
    EXPECT_EQ(leadingNumber("x1"), 0);
    EXPECT_EQ(leadingNumber(""), 0);
    EXPECT_GT(leadingNumber("99999999999999999999999"), 1024) << "saturates instead of overflowing";

    OpenedMainDialog opened({"COM3"});
    opened.host.comboSelect(IDC_PARITY, -1);
    opened.host.typeText(IDC_BAUD, "300");  // the edit field is not read
    const LineSettings settings = readLineSettings(opened.host);
    EXPECT_EQ(settings.portNumber, 3);
    EXPECT_EQ(settings.baudRate, 9600u);
    EXPECT_EQ(settings.parity, 0xFF) << "no selection reads as index -1";
    EXPECT_EQ(settings.dataBits, 8);
    EXPECT_EQ(settings.stopBits, ONESTOPBIT);
}

}  // namespace
