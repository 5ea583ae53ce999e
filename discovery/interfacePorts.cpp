// The device-interface strategy: the present members of the serial-port interface class.
#include <cstddef>
#include <cstring>
#include <vector>

#include "discovery/comPorts.h"
#include "discovery/raiseError.h"
#include "platform/osApi.h"

namespace {

// {86E0D1E0-8089-11D0-9CE4-08003E301F73}
constexpr GUID comPortInterface = {0x86E0D1E0, 0x8089, 0x11D0, {0x9C, 0xE4, 0x08, 0x00, 0x3E, 0x30, 0x1F, 0x73}};

// The detail record: its header, then a device path of up to 256 characters and its end.
constexpr std::size_t detailSize = offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath) + 256 + 1;
constexpr DWORD propertySize = 256;

// Destroys the device information set however the walk ends.
class DeviceSetGuard {
public:
    explicit DeviceSetGuard(HDEVINFO set) : set_(set) {}
    ~DeviceSetGuard() { os::SetupDiDestroyDeviceInfoList(set_); }
    DeviceSetGuard(const DeviceSetGuard&) = delete;
    DeviceSetGuard& operator=(const DeviceSetGuard&) = delete;

private:
    HDEVINFO set_;
};

bool readProperty(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD property, std::string& value) {
    char buffer[propertySize];
    if (!os::SetupDiGetDeviceRegistryPropertyA(set, &device, property, nullptr, reinterpret_cast<BYTE*>(buffer),
                                               propertySize, nullptr))
        return false;
    value.assign(buffer, strnlen(buffer, propertySize));
    return true;
}

}  // namespace

void enumerateInterfacePorts(ComPortList& list) {
    const HDEVINFO set =
        os::SetupDiGetClassDevsA(&comPortInterface, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE) raiseWithCode("SetupDiGetClassDevs failed. (err=%lx)", os::GetLastError());
    const DeviceSetGuard guard(set);

    std::vector<std::byte> detailBuffer(detailSize);  // freed with the vector, error or not
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(detailBuffer.data());
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);

    for (DWORD index = 0;; ++index) {
        SP_DEVICE_INTERFACE_DATA interfaceData{};
        interfaceData.cbSize = sizeof interfaceData;
        if (!os::SetupDiEnumDeviceInterfaces(set, nullptr, &comPortInterface, index, &interfaceData)) {
            const DWORD error = os::GetLastError();
            if (error == ERROR_NO_MORE_ITEMS) break;
            raiseWithCode("SetupDiEnumDeviceInterfaces failed. (err=%lx)", error);
        }
        SP_DEVINFO_DATA device{};
        device.cbSize = sizeof device;
        if (!os::SetupDiGetDeviceInterfaceDetailA(set, &interfaceData, detail, static_cast<DWORD>(detailSize),
                                                  nullptr, &device))
            raiseWithCode("SetupDiGetDeviceInterfaceDetail failed. (err=%lx)", os::GetLastError());

        ComPortRecord record;
        record.devicePath.assign(detail->DevicePath, strnlen(detail->DevicePath, 256));
        const bool listed = readProperty(set, device, SPDRP_FRIENDLYNAME, record.friendlyName) &&
                            readProperty(set, device, SPDRP_DEVICEDESC, record.description);
        std::string location;
        record.isUsb = readProperty(set, device, SPDRP_LOCATION_INFORMATION, location) &&
                       location.compare(0, 3, "USB") == 0;
        if (listed) list.push_back(std::move(record));
    }
}
