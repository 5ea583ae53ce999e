// The serial devices present on a Linux machine, as the device set-up calls report
// them: real ports from sysfs and the links of the virtual-port folder.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace posix {

// The longest device path the discovery code's detail record holds.
constexpr std::size_t maxDevicePath = 256;

struct SerialDevice {
    std::string devicePath;    // what CreateFileA opens
    std::string friendlyName;  // "<name> (COMn)", CP936
    std::string description;   // "<name>", CP936
    std::string location;      // begins with "USB" for USB devices
    int comNumber = 0;
};

// Lists the ports under sysfsRoot/class/tty that have a device behind them and a COM
// number by the fixed rule, leaving out 8250-family ttyS entries without a UART, and
// one port per link comN in virtualFolder. A link takes the place of a device with the
// same COM number. Ordered by COM number. Every device path fits maxDevicePath: a link
// whose own path is longer is reported by a shorter name that opens the same device,
// or left out when it has none.
std::vector<SerialDevice> listSerialDevices(const std::string& sysfsRoot, const std::string& virtualFolder);

// The COM number the fixed rule gives a tty name (ttyUSB0 -> 33), or 0.
int comNumberOfTty(const std::string& ttyName);

}  // namespace posix
