// Port discovery against the system's own device set-up calls.
#include <cstdio>

#include "discovery/comPorts.h"
#include "tests/win32/check.h"

namespace smoke {

void checkDiscovery() {
    ComPortList list(2);  // emptied first
    try {
        listComPorts(list, 0);
        for (const ComPortRecord& port : list) {
            CHECK(!port.friendlyName.empty());
            CHECK(!port.description.empty());
            std::printf("   %s | %s | usb=%d\n", port.friendlyName.c_str(), port.devicePath.c_str(),
                        static_cast<int>(port.isUsb));
        }
        std::printf("   %zu port(s)\n", list.size());
        CHECK(true);
    } catch (const PortEnumError& error) {
        std::printf("   PortEnumError: %s\n", error.what());
        CHECK(false);
    }
}

}  // namespace smoke
