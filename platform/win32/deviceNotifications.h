#pragma once
// Hot-plug notices for one dialog window: the system's WM_DEVICECHANGE messages about serial
// ports, folded into one announcement per burst. One adapter plugged in or pulled arrives as
// several messages (its port interface, its port, the device tree) spread over some tens of
// milliseconds; the window hears of it once, when a short quiet time has followed the last.

#include <windows.h>

namespace win32 {

// Whether a WM_DEVICECHANGE (its wParam and lParam) says serial ports may have come or gone.
bool isSerialDeviceChange(WPARAM event, LPARAM data);

class DeviceNotifications {
public:
    // The window timer that ends a burst, far above the dialog logic's timer identifiers
    // (small numbers), and its period.
    static constexpr UINT_PTR quietTimer = 0x4B44;
    static constexpr UINT quietMs = 200;

    // From now on the window's notices count; it is registered for the serial-port interface
    // class, whose arrivals and removals reach only windows that ask for them.
    void watch(HWND window);
    // The window goes: no more notices, and the registration with it.
    void stop();

    // A WM_DEVICECHANGE to the window: (re)starts the quiet time when it counts.
    void onDeviceChange(WPARAM event, LPARAM data);
    // A WM_TIMER to the window: true when the quiet time has ended a burst, which the window
    // then announces.
    bool endsBurst(WPARAM timer);

private:
    HWND window_ = nullptr;  // while watching
    HDEVNOTIFY registration_ = nullptr;
};

}  // namespace win32
