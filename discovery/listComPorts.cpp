#include <cstdio>
#include <string_view>

#include "discovery/comPorts.h"
#include "discovery/mbcsText.h"
#include "discovery/raiseError.h"
#include "platform/osApi.h"

void raiseWithCode(const char* format, DWORD code) {
    char text[128];
    std::snprintf(text, sizeof text, format, static_cast<unsigned long>(code));
    throw PortEnumError(text);
}

namespace {

// Whether devicePath can be opened right now; the handle is closed at once.
bool canOpen(const std::string& devicePath) {
    const HANDLE handle = os::CreateFileA(devicePath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                          OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    os::CloseHandle(handle);
    return true;
}

// A friendly name of the form "text (COMn)" gives "text" as the description.
void fillMissingNames(ComPortRecord& record) {
    if (record.friendlyName.empty()) record.friendlyName = record.portName;
    if (!record.description.empty()) return;
    record.description = record.friendlyName;
    const std::size_t open = findText(record.description, " (");
    const std::size_t close = findText(record.description, ")");
    if (open != std::string::npos && open > 0 && close != std::string::npos && close + 1 == record.description.size())
        record.description.resize(open);
}

}  // namespace

void listComPorts(ComPortList& list, int checkOpen) {
    list.clear();
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (!os::GetVersionExA(&version)) raiseWithCode("Could not get OS version. (err=%lx)", os::GetLastError());

    if (version.dwMajorVersion >= 5)
        enumerateInterfacePorts(list);
    else if (version.dwPlatformId == VER_PLATFORM_WIN32_NT)
        enumerateProbedPorts(list);
    else
        enumerateRegistryPorts(list);

    for (std::size_t i = 0; i < list.size();) {
        if (checkOpen != 0 && !canOpen(list[i].devicePath)) {
            list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
            continue;
        }
        fillMissingNames(list[i]);
        ++i;
    }
}

void enumerateProbedPorts(ComPortList& list) {
    for (int n = 1; n <= 16; ++n) {
        ComPortRecord record;
        record.portName = "COM" + std::to_string(n);
        record.devicePath = "\\\\.\\" + record.portName;
        list.push_back(std::move(record));
    }
}
