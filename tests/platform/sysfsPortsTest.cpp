// Port listing on Linux, from fake sysfs trees and virtual-port folders.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "discovery/comPorts.h"
#include "platform/osApi.h"
#include "platform/posix/discoveryApi.h"
#include "platform/posix/sysfsPorts.h"
#include "tests/support/ptyPeer.h"

namespace {

namespace fs = std::filesystem;

const std::string virtualName = "\xD0\xE9\xC4\xE2\xB4\xAE\xBF\xDA";  // 虚拟串口

class FakeTree : public ::testing::Test {
protected:
    fs::path root;
    fs::path sys, ports;

    void SetUp() override {
        char folder[] = "/tmp/korvane-sysfs-XXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        root = folder;
        sys = root / "sys";
        ports = root / "ports";
        fs::create_directories(sys / "class" / "tty");
        fs::create_directories(ports);
    }
    void TearDown() override {
        posix::setDiscoveryRoots("/sys", "");
        fs::remove_all(root);
    }

    static void write(const fs::path& file, const std::string& text) {
        fs::create_directories(file.parent_path());
        std::ofstream(file) << text << "\n";
    }
    // A class/tty entry whose device link points at devicePath (under sys/devices).
    fs::path tty(const std::string& name, const std::string& devicePath) {
        const fs::path entry = sys / "class" / "tty" / name;
        fs::create_directories(entry);
        fs::create_directories(sys / "devices" / devicePath);
        fs::create_symlink(sys / "devices" / devicePath, entry / "device");
        return entry;
    }
    fs::path usbDevice(const std::string& path, const std::string& product, const std::string& maker) {
        const fs::path device = sys / "devices" / path;
        write(device / "idVendor", "0403");
        if (!product.empty()) write(device / "product", product);
        if (!maker.empty()) write(device / "manufacturer", maker);
        return device;
    }
    void buildMachine() {
        write(tty("ttyS0", "pnp0/00:01/00:01:0/00:01:0.0") / "type", "4");
        write(tty("ttyS1", "platform/serial8250/serial8250:0.1") / "type", "0");  // no UART
        fs::create_directories(sys / "class" / "tty" / "tty0");                    // no device: a console
        usbDevice("pci0000:00/usb1/1-2", "FT232R USB UART", "FTDI");
        tty("ttyUSB0", "pci0000:00/usb1/1-2/1-2:1.0/ttyUSB0");
        usbDevice("pci0000:00/usb1/1-3", "", "Acme");
        tty("ttyACM0", "pci0000:00/usb1/1-3/1-3:1.0");
        tty("ttyUSB40", "pci0000:00/usb1/1-4/1-4:1.0/ttyUSB40");  // beyond the COM rule
        fs::create_symlink("/dev/null", ports / "com99");
        fs::create_symlink(root / "gone", ports / "com98");  // left by a simulator that died
        fs::create_symlink("/dev/null", ports / "notaport");
    }
};

TEST_F(FakeTree, ListsRealAndVirtualPortsByComNumber) {
    buildMachine();
    const auto devices = posix::listSerialDevices(sys.string(), ports.string());
    ASSERT_EQ(devices.size(), 4u);
    EXPECT_EQ(devices[0].devicePath, "/dev/ttyS0");
    EXPECT_EQ(devices[0].friendlyName, "Communications Port (COM1)");
    EXPECT_EQ(devices[0].location.rfind("USB", 0), std::string::npos);
    EXPECT_EQ(devices[1].devicePath, "/dev/ttyUSB0");
    EXPECT_EQ(devices[1].friendlyName, "FT232R USB UART (COM33)");
    EXPECT_EQ(devices[1].description, "FT232R USB UART");
    EXPECT_EQ(devices[1].location, "USB 1-2");
    EXPECT_EQ(devices[2].devicePath, "/dev/ttyACM0");
    EXPECT_EQ(devices[2].friendlyName, "Acme USB Serial Port (COM65)");
    EXPECT_EQ(devices[2].location.rfind("USB", 0), 0u);
    EXPECT_EQ(devices[3].devicePath, (ports / "com99").string());
    EXPECT_EQ(devices[3].friendlyName, virtualName + " (COM99)");
    EXPECT_EQ(devices[3].description, virtualName);
}

TEST_F(FakeTree, VirtualLinkTakesThePlaceOfTheDeviceWithItsNumber) {
    buildMachine();
    fs::create_symlink("/dev/null", ports / "com33");
    const auto devices = posix::listSerialDevices(sys.string(), ports.string());
    ASSERT_EQ(devices.size(), 4u);
    EXPECT_EQ(devices[1].friendlyName, virtualName + " (COM33)");
}

TEST_F(FakeTree, MissingFoldersListNothing) {
    EXPECT_TRUE(posix::listSerialDevices((root / "none").string(), (root / "none").string()).empty());
}

TEST_F(FakeTree, ListComPortsReadsTheTreeThroughTheDeviceInterfaceCalls) {
    buildMachine();
    posix::setDiscoveryRoots(sys.string(), ports.string());
    ComPortList list;
    listComPorts(list, 0);
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[0].friendlyName, "Communications Port (COM1)");
    EXPECT_EQ(list[0].description, "Communications Port");
    EXPECT_EQ(list[0].isUsb, 0);
    EXPECT_EQ(list[1].isUsb, 1);
    EXPECT_EQ(list[2].isUsb, 1);
    EXPECT_EQ(list[3].friendlyName, virtualName + " (COM99)");
    EXPECT_EQ(list[3].portName, "");
}

TEST_F(FakeTree, AVirtualFolderWithALongPathStillListsAndOpensItsPort) {
    PtyPeer peer(8);  // its own folder links COM8; restores XDG_RUNTIME_DIR when it goes
    fs::path runtime = root;
    while (runtime.string().size() <= 260) runtime /= std::string(40, 'r');
    const fs::path longPorts = runtime / "korvane" / "ports";
    fs::create_directories(longPorts);
    fs::create_symlink(peer.slavePath(), longPorts / "com7");
    buildMachine();

    // A long folder given outright (only the link's target opens the pty), then the usual
    // folder under a long XDG_RUNTIME_DIR ("\\.\COM7" finds the link).
    for (const bool usualFolder : {false, true}) {
        SCOPED_TRACE(usualFolder ? "usual folder" : "folder given outright");
        if (usualFolder) setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
        posix::setDiscoveryRoots(sys.string(), usualFolder ? "" : longPorts.string());
        ComPortList list;
        ASSERT_NO_THROW(listComPorts(list, 0));
        ASSERT_EQ(list.size(), 4u) << "the ports beside the long link stay";
        EXPECT_EQ(list[1].friendlyName, virtualName + " (COM7)");
        EXPECT_EQ(list[1].devicePath, usualFolder ? "\\\\.\\COM7" : peer.slavePath());
        const HANDLE port = os::CreateFileA(list[1].devicePath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                            OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(port, INVALID_HANDLE_VALUE) << list[1].devicePath;
        peer.send("k");
        EXPECT_TRUE(eventually([&] {
            DWORD errors = 0;
            COMSTAT status{};
            return os::ClearCommError(port, &errors, &status) && status.cbInQue > 0;
        })) << list[1].devicePath << " opens the linked pty";
        os::CloseHandle(port);
    }
}

TEST(ComNumberOfTty, FollowsTheFixedRule) {
    EXPECT_EQ(posix::comNumberOfTty("ttyS0"), 1);
    EXPECT_EQ(posix::comNumberOfTty("ttyS31"), 32);
    EXPECT_EQ(posix::comNumberOfTty("ttyS32"), 0);
    EXPECT_EQ(posix::comNumberOfTty("ttyUSB0"), 33);
    EXPECT_EQ(posix::comNumberOfTty("ttyACM3"), 68);
    EXPECT_EQ(posix::comNumberOfTty("ttyAMA31"), 128);
    EXPECT_EQ(posix::comNumberOfTty("ttyS01"), 0);
    EXPECT_EQ(posix::comNumberOfTty("tty0"), 0);
    EXPECT_EQ(posix::comNumberOfTty("ttyUSBx"), 0);
}

TEST(LinuxRegistry, HasNoKeys) {
    HKEY key = nullptr;
    EXPECT_EQ(posix::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Enum", 0, KEY_READ, &key), static_cast<LONG>(ERROR_FILE_NOT_FOUND));
}

}  // namespace
