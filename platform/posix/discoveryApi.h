// Port discovery's operations on Linux: an NT-family version of 6, the serial-port
// device interfaces answered from sysfs and the virtual-port folder, and a registry
// that has no keys.
#pragma once

#include <string>

#include "platform/winTypes.h"

namespace posix {

// Where the device-interface calls look; tests point them at fake trees.
void setDiscoveryRoots(const std::string& sysfsRoot, const std::string& virtualFolder);

BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA info);
HDEVINFO WINAPI SetupDiGetClassDevsA(const GUID* classGuid, LPCSTR enumerator, HWND parent, DWORD flags);
BOOL WINAPI SetupDiEnumDeviceInterfaces(HDEVINFO set, PSP_DEVINFO_DATA device, const GUID* interfaceGuid,
                                        DWORD index, PSP_DEVICE_INTERFACE_DATA interfaceData);
BOOL WINAPI SetupDiGetDeviceInterfaceDetailA(HDEVINFO set, PSP_DEVICE_INTERFACE_DATA interfaceData,
                                             PSP_DEVICE_INTERFACE_DETAIL_DATA_A detail, DWORD detailSize,
                                             LPDWORD requiredSize, PSP_DEVINFO_DATA device);
BOOL WINAPI SetupDiGetDeviceRegistryPropertyA(HDEVINFO set, PSP_DEVINFO_DATA device, DWORD property, LPDWORD type,
                                              BYTE* buffer, DWORD size, LPDWORD requiredSize);
BOOL WINAPI SetupDiDestroyDeviceInfoList(HDEVINFO set);
LONG WINAPI RegOpenKeyExA(HKEY parent, LPCSTR subKey, DWORD options, REGSAM access, PHKEY result);
LONG WINAPI RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameLength, LPDWORD reserved,
                          LPSTR className, LPDWORD classLength, PFILETIME lastWrite);
LONG WINAPI RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, BYTE* data,
                             LPDWORD dataLength);
LONG WINAPI RegCloseKey(HKEY key);

}  // namespace posix
