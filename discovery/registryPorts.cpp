// The registry strategy: the legacy hardware tree under HKEY_LOCAL_MACHINE\Enum.
#include <algorithm>
#include <cstring>
#include <string>

#include "discovery/comPorts.h"
#include "platform/osApi.h"

namespace {

constexpr DWORD nameSize = 128;  // key names and values; longer ones fail their call

// An open registry key, closed however the walk ends.
class Key {
public:
    Key() = default;
    ~Key() {
        if (key_ != nullptr) os::RegCloseKey(key_);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;

    bool open(HKEY parent, const std::string& name) {
        return os::RegOpenKeyExA(parent, name.c_str(), 0, KEY_READ, &key_) == ERROR_SUCCESS;
    }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

// The name of subkey index, or false when enumeration stops (at the end, or on a name
// too long for the buffer).
bool subkeyName(HKEY key, DWORD index, std::string& name) {
    char buffer[nameSize];
    DWORD length = nameSize;
    if (os::RegEnumKeyExA(key, index, buffer, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return false;
    name.assign(buffer, strnlen(buffer, std::min<DWORD>(length, nameSize)));
    return true;
}

bool readValue(HKEY key, const char* valueName, std::string& value) {
    char buffer[nameSize];
    DWORD length = nameSize;
    if (os::RegQueryValueExA(key, valueName, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &length) !=
        ERROR_SUCCESS)
        return false;
    value.assign(buffer, strnlen(buffer, std::min<DWORD>(length, nameSize)));
    return true;
}

// The first record with the same port name takes the new fields; otherwise it is added.
void merge(ComPortList& list, ComPortRecord record) {
    for (ComPortRecord& existing : list) {
        if (existing.portName == record.portName) {
            existing = std::move(record);
            return;
        }
    }
    list.push_back(std::move(record));
}

}  // namespace

void enumerateRegistryPorts(ComPortList& list) {
    const std::string enumPath = "Enum";
    Key enumKey;
    if (!enumKey.open(HKEY_LOCAL_MACHINE, enumPath)) throw PortEnumError("Could not read from HKLM\\Enum");
    std::string bus;
    for (DWORD b = 0; subkeyName(enumKey.get(), b, bus); ++b) {
        Key busKey;
        if (!busKey.open(enumKey.get(), bus)) throw PortEnumError("Could not read from HKLM\\Enum\\" + bus);
        const bool usbPorts = bus == "USBPORTS";
        std::string device;
        for (DWORD d = 0; subkeyName(busKey.get(), d, device); ++d) {
            if (!usbPorts && device != "*PNP0500" && device != "*PNP0501") continue;
            Key deviceKey;
            if (!deviceKey.open(busKey.get(), device))
                throw PortEnumError("Could not read from HKLM\\Enum\\" + bus + "\\" + device);
            readDeviceInstances(deviceKey.get(), usbPorts ? 1 : 0, list);
        }
    }
}

void readDeviceInstances(HKEY deviceKey, int usb, ComPortList& list) {
    std::string instance;
    for (DWORD i = 0; subkeyName(deviceKey, i, instance); ++i) {
        Key instanceKey;
        if (!instanceKey.open(deviceKey, instance))
            throw PortEnumError("Could not read from HKLM\\Enum\\...\\" + instance);
        ComPortRecord record;
        if (!readValue(instanceKey.get(), "PORTNAME", record.portName)) continue;
        if (!readValue(instanceKey.get(), "FRIENDLYNAME", record.friendlyName)) record.friendlyName.clear();
        record.devicePath = "\\\\.\\" + record.portName;
        record.isUsb = usb;
        merge(list, std::move(record));
    }
}
