// Port discovery: the serial ports present on the machine, found by one of three
// strategies chosen from the operating system's version. Every failure is raised as a
// PortEnumError carrying one English message; what a strategy holds (keys, handles,
// buffers) is released before its error leaves it.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/winTypes.h"

struct ComPortRecord {
    std::string devicePath;    // what CreateFileA opens
    std::string portName;      // COM3; empty from the device-interface strategy
    std::string friendlyName;  // the display name, "text (COMn)" where the system gives one
    std::int32_t isUsb = 0;    // nonzero when the port sits on USB
    std::string description;   // the device description
};

using ComPortList = std::vector<ComPortRecord>;

class PortEnumError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Empties list, fills it by the strategy the OS version selects, then (checkOpen
// nonzero) drops the ports that cannot be opened and fills missing names.
void listComPorts(ComPortList& list, int checkOpen);

// Windows 2000 and later: the present serial-port device interfaces.
void enumerateInterfacePorts(ComPortList& list);
// NT 4 and older: COM1 to COM16, without looking at the hardware.
void enumerateProbedPorts(ComPortList& list);
// Windows 95/98/Me: the legacy hardware tree under HKEY_LOCAL_MACHINE\Enum.
void enumerateRegistryPorts(ComPortList& list);
// One device key's instances, merged into list by port name.
void readDeviceInstances(HKEY deviceKey, int usb, ComPortList& list);
