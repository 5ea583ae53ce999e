// Port discovery on a scripted platform.
#include "discovery/comPorts.h"

#include <gtest/gtest.h>

#include "tests/support/fakeDiscovery.h"

namespace {

using Device = FakeDiscovery::Device;

std::vector<std::string> field(const ComPortList& list, std::string ComPortRecord::*member) {
    std::vector<std::string> values;
    for (const ComPortRecord& r : list) values.push_back(r.*member);
    return values;
}

std::string errorOf(FakeDiscovery& fake, ComPortList& list, int checkOpen = 0) {
    try {
        listComPorts(list, checkOpen);
    } catch (const PortEnumError& error) {
        EXPECT_TRUE(fake.balanced()) << "sets " << fake.setsCreated << "/" << fake.setsDestroyed << ", keys "
                                     << fake.keysOpened << "/" << fake.keysClosed;
        return error.what();
    }
    return "no error";
}

// ---- strategy choice and the probe list --------------------------------------------

TEST(ListComPorts, NtFourProbesComOneToSixteen) {
    FakeDiscovery fake;
    fake.majorVersion = 4;
    fake.platformId = VER_PLATFORM_WIN32_NT;
    fake.devices = {{"\\\\?\\acpi#pnp0501", "Communications Port (COM1)", "Communications Port", "x"}};
    ComPortList list;
    listComPorts(list, 0);
    ASSERT_EQ(list.size(), 16u);
    for (int n = 1; n <= 16; ++n) {
        const ComPortRecord& r = list[n - 1];
        const std::string name = "COM" + std::to_string(n);
        EXPECT_EQ(r.portName, name);
        EXPECT_EQ(r.devicePath, "\\\\.\\" + name);
        EXPECT_EQ(r.friendlyName, name);
        EXPECT_EQ(r.description, name);
        EXPECT_EQ(r.isUsb, 0);
    }
    EXPECT_EQ(fake.setsCreated, 0) << "the probe does not look at devices";
    EXPECT_TRUE(fake.openAttempts.empty()) << "open check off: nothing is opened";
}

TEST(ListComPorts, VersionFiveOrMoreUsesDeviceInterfaces) {
    FakeDiscovery fake;
    fake.majorVersion = 5;
    fake.platformId = VER_PLATFORM_WIN32_WINDOWS;  // the version decides, not the platform
    fake.devices = {{"\\\\?\\usb#vid_0403", "USB Serial Port (COM12)", "USB Serial Port", "USB 1-2"}};
    ComPortList list;
    listComPorts(list, 0);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].devicePath, "\\\\?\\usb#vid_0403");
    EXPECT_EQ(list[0].portName, "");
    EXPECT_EQ(list[0].friendlyName, "USB Serial Port (COM12)");
    EXPECT_EQ(list[0].description, "USB Serial Port");
    EXPECT_EQ(list[0].isUsb, 1);
    EXPECT_TRUE(fake.balanced());
}

TEST(ListComPorts, NinetyFiveFamilyWalksTheRegistry) {
    FakeDiscovery fake;
    fake.majorVersion = 4;
    fake.platformId = VER_PLATFORM_WIN32_WINDOWS;
    fake.machine.child("Enum").child("Root").child("*PNP0501").child("0000").values = {{"PORTNAME", "COM2"}};
    ComPortList list;
    listComPorts(list, 0);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].devicePath, "\\\\.\\COM2");
    EXPECT_EQ(list[0].friendlyName, "COM2");
    EXPECT_EQ(list[0].description, "COM2");
    EXPECT_TRUE(fake.balanced());
}

TEST(ListComPorts, EmptiesAListThatHeldRecords) {
    FakeDiscovery fake;
    fake.devices = {{"\\\\?\\a", "A (COM3)", "A", "PCI"}};
    ComPortList list(3);
    list[0].portName = "old";
    listComPorts(list, 0);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].friendlyName, "A (COM3)");
}

// ---- device interfaces ---------------------------------------------------------------

TEST(InterfacePorts, DevicesWithoutBothNamesAreLeftOutAndUsbComesFromTheLocation) {
    FakeDiscovery fake;
    fake.devices = {
        {"p0", std::nullopt, "no friendly name", "USB 1"},
        {"p1", "no description (COM5)", std::nullopt, "USB 2"},
        {"p2", "Listed (COM6)", "Listed, not cut (COM6)", std::nullopt},
        {"p3", "Usb lower (COM7)", "d3", "usb 1-1"},
        {"p4", "Usb (COM8)", "d4", "USB"},
    };
    ComPortList list;
    listComPorts(list, 0);
    EXPECT_EQ(field(list, &ComPortRecord::devicePath), (std::vector<std::string>{"p2", "p3", "p4"}));
    EXPECT_EQ(list[0].description, "Listed, not cut (COM6)") << "a description read from the device stays";
    EXPECT_EQ(list[0].isUsb, 0);
    EXPECT_EQ(list[1].isUsb, 0) << "the USB test is case-sensitive";
    EXPECT_EQ(list[2].isUsb, 1);
    EXPECT_TRUE(fake.balanced());
}

TEST(InterfacePorts, PropertyOfTwoHundredFiftySixBytesIsTooLong) {
    FakeDiscovery fake;
    fake.devices = {{"p0", std::string(255, 'n'), "fits", ""}, {"p1", std::string(256, 'n'), "too long", ""}};
    ComPortList list;
    listComPorts(list, 0);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].devicePath, "p0");
}

TEST(InterfacePorts, ErrorsCarryTheirCodeAndReleaseTheSet) {
    {
        FakeDiscovery fake;
        fake.classDevsFails = true;
        ComPortList list;
        EXPECT_EQ(errorOf(fake, list), "SetupDiGetClassDevs failed. (err=e000020b)");
    }
    {
        FakeDiscovery fake;
        fake.devices = {{"p0", "A (COM1)", "A", ""}, {"p1", "B (COM2)", "B", ""}};
        fake.enumFailsAt = 1;
        ComPortList list;
        EXPECT_EQ(errorOf(fake, list), "SetupDiEnumDeviceInterfaces failed. (err=5)");
        EXPECT_EQ(fake.setsDestroyed, 1);
        ASSERT_EQ(list.size(), 1u) << "what was appended before the error stays";
        EXPECT_EQ(list[0].description, "A");
        EXPECT_EQ(list[0].friendlyName, "A (COM1)");
    }
    {
        FakeDiscovery fake;
        fake.devices = {{"p0", "A (COM1)", "A", ""}};
        fake.detailFailsAt = 0;
        ComPortList list;
        EXPECT_EQ(errorOf(fake, list), "SetupDiGetDeviceInterfaceDetail failed. (err=1f)");
    }
    {
        FakeDiscovery fake;
        fake.devices = {{std::string(256, 'p'), "fits (COM1)", "A", ""}, {std::string(257, 'p'), "B (COM2)", "B", ""}};
        ComPortList list;
        EXPECT_EQ(errorOf(fake, list), "SetupDiGetDeviceInterfaceDetail failed. (err=7a)");
        EXPECT_EQ(list.size(), 1u);
    }
    {
        FakeDiscovery fake;
        fake.versionFails = true;
        ComPortList list;
        EXPECT_EQ(errorOf(fake, list), "Could not get OS version. (err=47e)");
    }
}

// ---- the clean-up pass -----------------------------------------------------------------

TEST(CleanUp, DescriptionIsTheFriendlyNameWithoutItsPortSuffix) {
    FakeDiscovery fake;
    fake.majorVersion = 4;
    fake.platformId = VER_PLATFORM_WIN32_WINDOWS;
    auto& device = fake.machine.child("Enum").child("Root").child("*PNP0501");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"Communications Port (COM1)", "Communications Port"},
        {"No suffix", "No suffix"},
        {" (COM3)", " (COM3)"},                          // " (" at position 0
        {"Odd (COM4) port", "Odd (COM4) port"},          // ")" is not the last character
        {"Two (a) (COM5)", "Two (a) (COM5)"},             // the first ")" is not the last
        {"\xB4\xAE\xBF\xDA (COM6)", "\xB4\xAE\xBF\xDA"},  // 串口, a Chinese name
        {"\xA8\x20(x)", "\xA8\x20(x)"},                   // " (" only across a character's two bytes
    };
    for (std::size_t i = 0; i < cases.size(); ++i)
        device.child("000" + std::to_string(i)).values = {{"PORTNAME", "COM" + std::to_string(i + 1)},
                                                          {"FRIENDLYNAME", cases[i].first}};
    ComPortList list;
    listComPorts(list, 0);
    ASSERT_EQ(list.size(), cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(list[i].friendlyName, cases[i].first);
        EXPECT_EQ(list[i].description, cases[i].second) << "case " << i;
    }
}

TEST(CleanUp, OpenCheckDropsPortsThatCannotBeOpenedAndKeepsTheOrder) {
    FakeDiscovery fake;
    fake.majorVersion = 4;
    fake.openable = {"\\\\.\\COM2", "\\\\.\\COM5", "\\\\.\\COM6"};
    ComPortList list;
    listComPorts(list, 1);
    EXPECT_EQ(field(list, &ComPortRecord::portName), (std::vector<std::string>{"COM2", "COM5", "COM6"}));
    EXPECT_EQ(fake.openAttempts.size(), 16u);
    EXPECT_TRUE(fake.balanced()) << "every opened port is closed again";

    fake.openable.clear();
    listComPorts(list, 1);
    EXPECT_TRUE(list.empty());
}

// ---- the registry walk ---------------------------------------------------------------

class RegistryPorts : public ::testing::Test {
protected:
    FakeDiscovery fake;
    FakeDiscovery::Key& enumKey = fake.machine.child("Enum");
    ComPortList list;

    void SetUp() override {
        fake.majorVersion = 4;
        fake.platformId = VER_PLATFORM_WIN32_WINDOWS;
    }
    static void port(FakeDiscovery::Key& device, const std::string& instance, const std::string& portName,
                     const std::string& friendly = "") {
        auto& key = device.child(instance);
        if (!portName.empty()) key.values["PORTNAME"] = portName;
        if (!friendly.empty()) key.values["FRIENDLYNAME"] = friendly;
    }
};

TEST_F(RegistryPorts, MergesByExactPortNameAndMarksUsbPorts) {
    auto& root = enumKey.child("Root");
    port(root.child("*PNP0500"), "0000", "COM1", "Port one (COM1)");
    port(root.child("*PNP0500"), "0001", "", "no port name");
    port(root.child("*PNP0501"), "0000", "COM2", "Port two (COM2)");
    port(root.child("*PNP0502"), "0000", "COM9", "not a serial port id");
    port(root.child("*PNP0501"), "0001", "com1", "lower case is another port");
    auto& usb = enumKey.child("USBPORTS");
    port(usb.child("VID_0403"), "0000", "COM2", "USB two (COM2)");
    port(usb.child("VID_067B"), "0000", "COM7", "USB seven (COM7)");
    port(enumKey.child("usbports").child("VID_1111"), "0000", "COM8", "wrong case: not the USB bus");

    listComPorts(list, 0);
    EXPECT_EQ(field(list, &ComPortRecord::portName), (std::vector<std::string>{"COM1", "COM2", "com1", "COM7"}));
    EXPECT_EQ(list[1].friendlyName, "USB two (COM2)") << "the later instance's fields, the earlier place";
    EXPECT_EQ(list[1].isUsb, 1);
    EXPECT_EQ(list[0].isUsb, 0);
    EXPECT_EQ(list[3].isUsb, 1);
    EXPECT_EQ(list[3].devicePath, "\\\\.\\COM7");
    EXPECT_TRUE(fake.balanced());
}

TEST_F(RegistryPorts, AKeyNameOfOneHundredTwentyEightCharactersEndsItsLevelQuietly) {
    auto& root = enumKey.child("Root");
    port(root.child("*PNP0501"), "0000", "COM1");
    port(root.child("*PNP0501"), std::string(127, 'i'), "COM2");  // 127 + terminator fits
    port(root.child("*PNP0501"), std::string(128, 'i'), "COM3");  // ends the instances
    port(root.child("*PNP0501"), "0003", "COM4");
    port(enumKey.child(std::string(128, 'b')).child("*PNP0501"), "0000", "COM5");  // ends the buses
    port(enumKey.child("Later").child("*PNP0501"), "0000", "COM6");
    listComPorts(list, 0);
    EXPECT_EQ(field(list, &ComPortRecord::portName), (std::vector<std::string>{"COM1", "COM2"}));
    EXPECT_TRUE(fake.balanced());
}

TEST_F(RegistryPorts, OverLongValuesAreReadAsMissing) {
    auto& device = enumKey.child("Root").child("*PNP0501");
    port(device, "0000", std::string(128, 'C'));                 // port name too long: skipped
    port(device, "0001", "COM3", std::string(128, 'f'));         // friendly name too long: empty
    listComPorts(list, 0);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].friendlyName, "COM3");
}

TEST_F(RegistryPorts, EveryOpenFailureNamesItsKeyAndClosesWhatIsOpen) {
    auto& root = enumKey.child("Root");
    port(root.child("*PNP0501"), "0000", "COM1");
    port(root.child("*PNP0501"), "0001", "COM2");

    root.child("*PNP0501").child("0001").openFails = true;
    EXPECT_EQ(errorOf(fake, list), "Could not read from HKLM\\Enum\\...\\0001");
    EXPECT_EQ(field(list, &ComPortRecord::portName), (std::vector<std::string>{"COM1"}));
    EXPECT_EQ(list[0].friendlyName, "") << "no clean-up after an error";

    root.child("*PNP0501").openFails = true;
    EXPECT_EQ(errorOf(fake, list), "Could not read from HKLM\\Enum\\Root\\*PNP0501");

    root.openFails = true;
    EXPECT_EQ(errorOf(fake, list), "Could not read from HKLM\\Enum\\Root");

    enumKey.openFails = true;
    EXPECT_EQ(errorOf(fake, list), "Could not read from HKLM\\Enum");
    EXPECT_TRUE(fake.balanced());
}

}  // namespace
