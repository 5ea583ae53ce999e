// Port discovery through the real Win32 calls: prints the Windows version the program is
// given and each port listed, one "name|device path|usb|description" line per port. The
// Linux side chooses the version (per program name, in Wine's registry) and judges the
// list. Exits 0 when listing raised no error; ports are never opened (COM1-COM4 are the
// machine's own under Wine).
#include <cstdio>

#include "discovery/comPorts.h"
#include "platform/osApi.h"

int main() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (!os::GetVersionExA(&version)) {
        std::printf("FAILED: GetVersionExA\n");
        return 1;
    }
    std::printf("version %lu.%lu build %lu platform %lu\n", static_cast<unsigned long>(version.dwMajorVersion),
                static_cast<unsigned long>(version.dwMinorVersion), static_cast<unsigned long>(version.dwBuildNumber),
                static_cast<unsigned long>(version.dwPlatformId));
    ComPortList list(3);  // emptied by the listing
    try {
        listComPorts(list, 0);
    } catch (const PortEnumError& error) {
        std::printf("FAILED: PortEnumError: %s\n", error.what());
        return 1;
    }
    for (const ComPortRecord& port : list)
        std::printf("port %s|%s|%d|%s\n", port.friendlyName.c_str(), port.devicePath.c_str(), static_cast<int>(port.isUsb),
                    port.description.c_str());
    std::printf("%zu ports\n", list.size());
    return 0;
}
