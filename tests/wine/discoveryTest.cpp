// Port discovery of the Windows build under Wine, through the real version, SetupAPI and
// registry calls. Wine reports a Windows version per program name (AppDefaults), so one
// program built under three names meets each of the three strategies.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/wine/wineChild.h"

namespace {

const std::string programs = KORVANE_WIN_TESTS_DIR;

// A legacy hardware tree as Windows 98 keeps it: ports under two buses, a USB port, a port
// name claimed again by a USB device (the later one wins), and a keyboard that is no port.
const char* const registryTree = R"reg(Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\Wine\AppDefaults\korvane_win_discovery_nt4.exe]
"Version"="nt40"

[HKEY_CURRENT_USER\Software\Wine\AppDefaults\korvane_win_discovery_win98.exe]
"Version"="win98"

[HKEY_LOCAL_MACHINE\Enum\BIOS\*PNP0501\0D]
"PORTNAME"="COM7"
"FRIENDLYNAME"="Communications Port (COM7)"

[HKEY_LOCAL_MACHINE\Enum\ROOT\*PNP0500\0000]
"PORTNAME"="COM8"

[HKEY_LOCAL_MACHINE\Enum\ROOT\*PNP0303\0000]
"PORTNAME"="COM20"
"FRIENDLYNAME"="Keyboard (COM20)"

[HKEY_LOCAL_MACHINE\Enum\USBPORTS\VID_067B\0000]
"PORTNAME"="COM9"
"FRIENDLYNAME"="USB-Serial Controller (COM9)"

[HKEY_LOCAL_MACHINE\Enum\USBPORTS\VID_0403\0000]
"PORTNAME"="COM7"
"FRIENDLYNAME"="USB Serial Port (COM7)"
)reg";

// Wine's regedit reads a .reg file as UTF-16LE with a byte-order mark.
void importRegistry(const std::string& text) {
    char folder[] = "/tmp/korvane-wine-reg-XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    const std::string path = std::string(folder) + "/tree.reg";
    {
        std::ofstream file(path, std::ios::binary);
        file.put('\xFF').put('\xFE');
        for (char c : text) {
            if (c == '\n') file.put('\r').put('\0');
            file.put(c).put('\0');
        }
    }
    std::string windowsPath = "Z:" + path;
    std::replace(windowsPath.begin(), windowsPath.end(), '/', '\\');
    const auto [code, output] = runWine({"regedit", "/S", windowsPath});
    ::unlink(path.c_str());
    ::rmdir(folder);
    ASSERT_EQ(code, 0) << output;
}

struct Listing {
    int code;
    std::string version;             // the "version ..." line
    std::vector<std::string> ports;  // "name|path|usb|description", sorted
    std::string output;
};

Listing listUnder(const std::string& programName) {
    const auto [code, output] = runWine({programs + "/" + programName});
    Listing listing{code, "", {}, output};
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind("version ", 0) == 0) listing.version = line;
        if (line.rfind("port ", 0) == 0) listing.ports.push_back(line.substr(5));
    }
    std::sort(listing.ports.begin(), listing.ports.end());
    return listing;
}

class WineDiscovery : public ::testing::Test {
protected:
    static void SetUpTestSuite() { importRegistry(registryTree); }
};

// Wine's SetupAPI has no serial-port interfaces: an empty list, and no error.
TEST_F(WineDiscovery, DeviceInterfacesListNothingUnderWine) {
    const Listing listing = listUnder("korvane_win_discovery_check.exe");
    EXPECT_EQ(listing.code, 0) << listing.output;
    EXPECT_EQ(listing.version.rfind("version 6.", 0), 0u) << listing.output;
    EXPECT_TRUE(listing.ports.empty()) << listing.output;
}

// NT 4 lists COM1 to COM16 by name, opening none of them.
TEST_F(WineDiscovery, NT4ListsSixteenPortsByName) {
    const Listing listing = listUnder("korvane_win_discovery_nt4.exe");
    EXPECT_EQ(listing.code, 0) << listing.output;
    EXPECT_EQ(listing.version, "version 4.0 build 1381 platform 2") << listing.output;
    std::vector<std::string> expected;
    for (int n = 1; n <= 16; ++n) {
        const std::string name = "COM" + std::to_string(n);
        expected.push_back(name + "|\\\\.\\" + name + "|0|" + name);
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(listing.ports, expected) << listing.output;
}

TEST_F(WineDiscovery, Windows98ReadsTheHardwareTree) {
    const Listing listing = listUnder("korvane_win_discovery_win98.exe");
    EXPECT_EQ(listing.code, 0) << listing.output;
    EXPECT_EQ(listing.version.rfind("version 4.10 ", 0), 0u) << listing.output;
    EXPECT_NE(listing.version.find("platform 1"), std::string::npos) << listing.output;
    const std::vector<std::string> expected{
        "COM8|\\\\.\\COM8|0|COM8",
        "USB Serial Port (COM7)|\\\\.\\COM7|1|USB Serial Port",
        "USB-Serial Controller (COM9)|\\\\.\\COM9|1|USB-Serial Controller",
    };
    EXPECT_EQ(listing.ports, expected) << listing.output;
}

}  // namespace
