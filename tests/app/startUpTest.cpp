// The main window right after start: controls, defaults, the port list, the serial object,
// the display timer, the system menu and the icon.
#include <gtest/gtest.h>

#include "app/toolApp.h"
#include "resources/resourceIds.h"
#include "serial/rxQueue.h"
#include "tests/app/appTestSupport.h"
#include "tests/support/cp936.h"

namespace {

std::vector<std::string> entries(const FakeDialogHost& host, int id) { return host.control(id).entries; }

TEST(StartUp, EveryControlShowsItsDefault) {
    OpenedMainDialog opened({"Communications Port (COM1)"});
    const FakeDialogHost& host = opened.host;

    EXPECT_EQ(host.text(IDC_BAUD), "9600");
    EXPECT_EQ(host.comboSelection(IDC_BAUD), 3);
    EXPECT_EQ(host.text(IDC_PARITY), "NONE");
    EXPECT_EQ(host.text(IDC_DATABITS), "8");
    EXPECT_EQ(host.text(IDC_STOPBITS), "1");
    EXPECT_EQ(entries(host, IDC_BAUD),
              (std::vector<std::string>{"1200", "2400", "4800", "9600", "14400", "19200", "38400", "56000",
                                        "57600", "115200", "230400"}));
    EXPECT_EQ(entries(host, IDC_PARITY), (std::vector<std::string>{"NONE", "ODD", "EVEN"}));
    EXPECT_EQ(entries(host, IDC_DATABITS), (std::vector<std::string>{"8", "7", "6"}));
    EXPECT_EQ(entries(host, IDC_STOPBITS), (std::vector<std::string>{"1", "2"}));

    EXPECT_EQ(host.text(IDC_PACKETSIZE), "1");
    EXPECT_EQ(host.text(IDC_PERIOD), "1000");
    EXPECT_EQ(host.text(IDC_RXCOUNT), "0");
    EXPECT_EQ(host.text(IDC_TXCOUNT), "0");
    for (int id : {IDC_PAUSE, IDC_RXHEX, IDC_TXHEX, IDC_TIMEDSEND, IDC_AUTOCLEAR})
        EXPECT_EQ(host.checked(id), 0) << id;
    EXPECT_EQ(host.text(IDC_OPEN), cp936("打开"));
    EXPECT_EQ(host.text(IDC_STATUS), "");
    EXPECT_EQ(host.text(IDC_RXTEXT), "");
    EXPECT_EQ(host.text(IDC_TXTEXT), "");
    EXPECT_EQ(host.caption.rfind("KorvaneV3.1--", 0), 0u) << host.caption;

    const MainDialog& dialog = opened.dialog;
    EXPECT_EQ(dialog.rxPacketSize, 1);
    EXPECT_EQ(dialog.sendPeriodMs, 1000);
    EXPECT_EQ(dialog.rxCount, 0);
    EXPECT_EQ(dialog.txCount, 0);
    ASSERT_NE(dialog.comm, nullptr);
    EXPECT_FALSE(dialog.portOpen());
    EXPECT_EQ(dialog.comm->rxCallback, &receiveCallback);

    EXPECT_EQ(host.timers, (std::map<int, unsigned>{{TIMER_DISPLAY, 50}}));
    EXPECT_EQ(host.icon, FakeDialogToolkit::iconHandle(IDI_APP));
    EXPECT_EQ(dialog.icon, FakeDialogToolkit::iconHandle(IDI_APP));
    EXPECT_EQ(host.focus, 0) << "no box was focused for a failure";
    EXPECT_TRUE(host.messages.empty());
}

TEST(StartUp, SystemMenuGainsASeparatorTheAboutItemTheCaptureItemsAndTheReconnectSwitch) {
    OpenedMainDialog opened;
    const auto& menu = opened.host.menu;
    ASSERT_EQ(menu.size(), 5u);
    EXPECT_TRUE(menu[0].separator);
    const struct {
        int command;
        std::string text;
        bool checked;
    } items[] = {
        {IDM_ABOUT, cp936("关于 Korvane(&A)..."), false},
        {IDM_SAVE, cp936("保存接收数据(&S)..."), false},
        {IDM_TIMESTAMPS, cp936("保存时加时间戳(&T)"), false},
        {IDM_RECONNECT, cp936("断开后自动重连(&R)"), true},
    };
    for (std::size_t i = 0; i < std::size(items); ++i) {
        EXPECT_FALSE(menu[i + 1].separator);
        EXPECT_EQ(menu[i + 1].command, items[i].command);
        EXPECT_EQ(menu[i + 1].text, items[i].text);
        EXPECT_EQ(menu[i + 1].checked, items[i].checked);
    }
    EXPECT_TRUE(opened.host.watchingDevices);
}

TEST(StartUp, NoAboutItemWithoutSystemMenuOrString) {
    FakeDiscovery system;
    {
        FakeDialogToolkit toolkit;
        MainDialog dialog(toolkit);
        FakeDialogHost host(mainDialogTemplate, &toolkit);
        host.systemMenu = false;
        EXPECT_TRUE(host.initDialog(dialog));
        EXPECT_TRUE(host.menu.empty());
        EXPECT_EQ(host.timers.count(TIMER_DISPLAY), 1u) << "initialisation goes on";
    }
    {
        FakeDialogToolkit toolkit;
        toolkit.strings[IDS_ABOUT] = "";
        MainDialog dialog(toolkit);
        FakeDialogHost host(mainDialogTemplate, &toolkit);
        EXPECT_TRUE(host.initDialog(dialog));
        EXPECT_EQ(host.menuItem(IDM_ABOUT), nullptr);
        EXPECT_NE(host.menuItem(IDM_SAVE), nullptr) << "the capture does not hang on the About text";
        EXPECT_EQ(host.timers.count(TIMER_DISPLAY), 1u);
    }
}

TEST(StartUp, PortsAreListedByTheirComNamesAndTheLastIsSelected) {
    OpenedMainDialog opened({"Communications Port (COM1)", "USB Serial Port (COM12)", "COM7"});
    EXPECT_EQ(entries(opened.host, IDC_PORT), (std::vector<std::string>{"COM1", "COM12", "COM7"}));
    EXPECT_EQ(opened.host.comboSelection(IDC_PORT), 2);
    EXPECT_EQ(opened.host.text(IDC_PORT), "COM7");
}

TEST(StartUp, NoPortsLeavesAnEmptyListWithNoSelection) {
    OpenedMainDialog opened;
    EXPECT_TRUE(entries(opened.host, IDC_PORT).empty()) << "the template's COM1 to COM36 are replaced";
    EXPECT_EQ(opened.host.comboSelection(IDC_PORT), -1);
    EXPECT_EQ(opened.host.text(IDC_PORT), "");
    EXPECT_EQ(opened.host.timers.count(TIMER_DISPLAY), 1u);
    EXPECT_NE(opened.dialog.comm, nullptr);
}

TEST(StartUp, ListingFailureOpensTheWindowAndSaysWhy) {
    OpenedMainDialog opened({"Communications Port (COM1)"}, /*listingFails=*/true);
    EXPECT_TRUE(entries(opened.host, IDC_PORT).empty());
    EXPECT_EQ(opened.host.comboSelection(IDC_PORT), -1);
    const std::string status = opened.host.text(IDC_STATUS);
    const std::string prefix = cp936("无法列出串口：");
    ASSERT_EQ(status.rfind(prefix, 0), 0u) << status;
    EXPECT_GT(status.size(), prefix.size()) << "the system's reason follows";
    EXPECT_TRUE(opened.host.messages.empty());
    EXPECT_EQ(opened.host.timers.count(TIMER_DISPLAY), 1u);
    EXPECT_NE(opened.dialog.comm, nullptr);
}

TEST(StartUp, PortListEntryForms) {
    EXPECT_EQ(portListEntry("Communications Port (COM1)"), "COM1");
    EXPECT_EQ(portListEntry("USB Serial Port (COM12)"), "COM12");
    EXPECT_EQ(portListEntry("COM7"), "COM7");
    EXPECT_EQ(portListEntry("(COM5)"), "COM5");
    EXPECT_EQ(portListEntry("A (B) (COM3)"), "B) (COM3");  // from the first "("
    EXPECT_EQ(portListEntry("broken ("), "");
    EXPECT_EQ(portListEntry("broken (x"), "");
    EXPECT_EQ(portListEntry(""), "");
}

TEST(StartUp, ConstructionEmptiesTheReceiveQueue) {
    const std::uint8_t bytes[] = {1, 2, 3};
    put(&rxQueue, bytes, 3);
    FakeDialogToolkit toolkit;
    MainDialog dialog(toolkit);
    EXPECT_EQ(length(&rxQueue), 0);
    EXPECT_EQ(toolkit.iconsLoaded, (std::vector<int>{IDI_APP}));
}

TEST(StartUp, TheApplicationRunsTheMainDialogAndEnds) {
    FakeDiscovery system;
    FakeDialogToolkit toolkit;
    bool ran = false;
    toolkit.scripts[IDD_MAIN] = [&](FakeDialogHost& host) {
        ran = true;
        host.pressEscape();
    };
    EXPECT_FALSE(toolApp.initInstance(toolkit)) << "no message loop follows";
    EXPECT_TRUE(ran);
    ASSERT_EQ(toolkit.hosts.size(), 1u);
    EXPECT_EQ(toolkit.hosts[0]->endCode, dlg::idCancel);
}

}  // namespace
