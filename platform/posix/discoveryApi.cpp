#include "platform/posix/discoveryApi.h"

#include <cstddef>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/posix/objects.h"
#include "platform/posix/portNames.h"
#include "platform/posix/sysfsPorts.h"

namespace posix {
namespace {

// {86E0D1E0-8089-11D0-9CE4-08003E301F73}: the serial-port device-interface class.
constexpr GUID comPortClass = {0x86E0D1E0, 0x8089, 0x11D0, {0x9C, 0xE4, 0x08, 0x00, 0x3E, 0x30, 0x1F, 0x73}};

bool isComPortClass(const GUID* guid) { return guid != nullptr && std::memcmp(guid, &comPortClass, sizeof(GUID)) == 0; }

std::mutex rootsMutex;
std::string sysfsRoot = "/sys";
std::string virtualFolderOverride;  // empty: the usual folder

// A device information set: the devices present when it was made.
class DeviceSet : public Object {
public:
    explicit DeviceSet(std::vector<SerialDevice> devices) : devices(std::move(devices)) {}
    const std::vector<SerialDevice> devices;
};

const SerialDevice* deviceAt(const DeviceSet& set, ULONG_PTR index) {
    return index < set.devices.size() ? &set.devices[index] : nullptr;
}

}  // namespace

void setDiscoveryRoots(const std::string& sysfs, const std::string& virtualFolder) {
    std::lock_guard lock(rootsMutex);
    sysfsRoot = sysfs;
    virtualFolderOverride = virtualFolder;
}

BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA info) {
    if (info == nullptr || info->dwOSVersionInfoSize < sizeof(OSVERSIONINFOA)) return fail(ERROR_INSUFFICIENT_BUFFER);
    std::memset(&info->dwMajorVersion, 0, sizeof(OSVERSIONINFOA) - offsetof(OSVERSIONINFOA, dwMajorVersion));
    info->dwMajorVersion = 6;
    info->dwMinorVersion = 1;
    info->dwPlatformId = VER_PLATFORM_WIN32_NT;
    return TRUE;
}

HDEVINFO WINAPI SetupDiGetClassDevsA(const GUID* classGuid, LPCSTR, HWND, DWORD flags) {
    if (!isComPortClass(classGuid) || !(flags & DIGCF_DEVICEINTERFACE)) {
        setLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    std::string sysfs, folder;
    {
        std::lock_guard lock(rootsMutex);
        sysfs = sysfsRoot;
        folder = virtualFolderOverride.empty() ? virtualPortFolder() : virtualFolderOverride;
    }
    return addObject(std::make_shared<DeviceSet>(listSerialDevices(sysfs, folder)));
}

BOOL WINAPI SetupDiEnumDeviceInterfaces(HDEVINFO handle, PSP_DEVINFO_DATA, const GUID* interfaceGuid, DWORD index,
                                        PSP_DEVICE_INTERFACE_DATA interfaceData) {
    const auto set = find<DeviceSet>(handle);
    if (!set) return FALSE;
    if (interfaceData == nullptr || interfaceData->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA))
        return fail(ERROR_INVALID_USER_BUFFER);
    if (!isComPortClass(interfaceGuid) || index >= set->devices.size()) return fail(ERROR_NO_MORE_ITEMS);
    interfaceData->InterfaceClassGuid = comPortClass;
    interfaceData->Flags = 1;  // active
    interfaceData->Reserved = index;
    return TRUE;
}

BOOL WINAPI SetupDiGetDeviceInterfaceDetailA(HDEVINFO handle, PSP_DEVICE_INTERFACE_DATA interfaceData,
                                             PSP_DEVICE_INTERFACE_DETAIL_DATA_A detail, DWORD detailSize,
                                             LPDWORD requiredSize, PSP_DEVINFO_DATA device) {
    const auto set = find<DeviceSet>(handle);
    if (!set) return FALSE;
    const SerialDevice* found = interfaceData != nullptr ? deviceAt(*set, interfaceData->Reserved) : nullptr;
    if (found == nullptr) return fail(ERROR_INVALID_PARAMETER);
    const DWORD needed = static_cast<DWORD>(offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath) +
                                            found->devicePath.size() + 1);
    if (requiredSize != nullptr) *requiredSize = needed;
    if (detail == nullptr || detailSize < needed) return fail(ERROR_INSUFFICIENT_BUFFER);
    if (detail->cbSize != sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A)) return fail(ERROR_INVALID_USER_BUFFER);
    std::memcpy(detail->DevicePath, found->devicePath.c_str(), found->devicePath.size() + 1);
    if (device != nullptr) {
        if (device->cbSize != sizeof(SP_DEVINFO_DATA)) return fail(ERROR_INVALID_USER_BUFFER);
        device->ClassGuid = comPortClass;
        device->DevInst = static_cast<DWORD>(interfaceData->Reserved);
        device->Reserved = interfaceData->Reserved;
    }
    return TRUE;
}

BOOL WINAPI SetupDiGetDeviceRegistryPropertyA(HDEVINFO handle, PSP_DEVINFO_DATA device, DWORD property,
                                              LPDWORD type, BYTE* buffer, DWORD size, LPDWORD requiredSize) {
    const auto set = find<DeviceSet>(handle);
    if (!set) return FALSE;
    const SerialDevice* found = device != nullptr ? deviceAt(*set, device->Reserved) : nullptr;
    if (found == nullptr) return fail(ERROR_INVALID_PARAMETER);
    const std::string* value = nullptr;
    switch (property) {
    case SPDRP_FRIENDLYNAME: value = &found->friendlyName; break;
    case SPDRP_DEVICEDESC: value = &found->description; break;
    case SPDRP_LOCATION_INFORMATION: value = &found->location; break;
    default: return fail(ERROR_INVALID_PARAMETER);
    }
    const auto needed = static_cast<DWORD>(value->size() + 1);
    if (requiredSize != nullptr) *requiredSize = needed;
    if (type != nullptr) *type = 1;  // REG_SZ
    if (buffer == nullptr || size < needed) return fail(ERROR_INSUFFICIENT_BUFFER);
    std::memcpy(buffer, value->c_str(), needed);
    return TRUE;
}

BOOL WINAPI SetupDiDestroyDeviceInfoList(HDEVINFO handle) {
    if (!find<DeviceSet>(handle)) return FALSE;
    removeObject(handle);
    return TRUE;
}

// Linux has no registry: every key is absent.
LONG WINAPI RegOpenKeyExA(HKEY, LPCSTR, DWORD, REGSAM, PHKEY) { return ERROR_FILE_NOT_FOUND; }
LONG WINAPI RegEnumKeyExA(HKEY, DWORD, LPSTR, LPDWORD, LPDWORD, LPSTR, LPDWORD, PFILETIME) {
    return ERROR_INVALID_HANDLE;
}
LONG WINAPI RegQueryValueExA(HKEY, LPCSTR, LPDWORD, LPDWORD, BYTE*, LPDWORD) { return ERROR_INVALID_HANDLE; }
LONG WINAPI RegCloseKey(HKEY) { return ERROR_INVALID_HANDLE; }

}  // namespace posix
