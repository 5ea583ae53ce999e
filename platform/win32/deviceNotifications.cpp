#include "platform/win32/deviceNotifications.h"

#include <cstddef>

#include <dbt.h>

namespace win32 {

namespace {

// {86E0D1E0-8089-11D0-9CE4-08003E301F73}: the serial-port interface class. The system header
// that names it (ntddser.h) is a driver kit's and needs the kit's types.
constexpr GUID comPortInterface = {0x86E0D1E0, 0x8089, 0x11D0, {0x9C, 0xE4, 0x08, 0x00, 0x3E, 0x30, 0x1F, 0x73}};

}  // namespace

bool isSerialDeviceChange(WPARAM event, LPARAM data) {
    // Some virtual-port drivers tell of a new port only as a change of the device tree, sent
    // to every top-level window whether it registered or not.
    if (event == DBT_DEVNODES_CHANGED) return true;
    if (event != DBT_DEVICEARRIVAL && event != DBT_DEVICEREMOVECOMPLETE) return false;
    const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(data);
    if (header == nullptr) return false;
    if (header->dbch_devicetype == DBT_DEVTYP_PORT) return true;
    if (header->dbch_devicetype != DBT_DEVTYP_DEVICEINTERFACE ||
        header->dbch_size < offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name))
        return false;
    const auto* device = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*>(data);
    return IsEqualGUID(device->dbcc_classguid, comPortInterface) != FALSE;
}

void DeviceNotifications::watch(HWND window) {
    if (window_ != nullptr) return;
    window_ = window;
    DEV_BROADCAST_DEVICEINTERFACE_W filter{};
    filter.dbcc_size = sizeof filter;
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = comPortInterface;
    // Without the registration the port and device-tree broadcasts still come.
    registration_ = RegisterDeviceNotificationW(window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
}

void DeviceNotifications::stop() {
    if (registration_ != nullptr) UnregisterDeviceNotification(registration_);
    registration_ = nullptr;
    if (window_ != nullptr) KillTimer(window_, quietTimer);
    window_ = nullptr;
}

void DeviceNotifications::onDeviceChange(WPARAM event, LPARAM data) {
    // Setting the running timer again starts its period anew: the burst goes on.
    if (window_ != nullptr && isSerialDeviceChange(event, data)) SetTimer(window_, quietTimer, quietMs, nullptr);
}

bool DeviceNotifications::endsBurst(WPARAM timer) {
    if (timer != quietTimer || window_ == nullptr) return false;
    KillTimer(window_, quietTimer);
    return true;
}

}  // namespace win32
