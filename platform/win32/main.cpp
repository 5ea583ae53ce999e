// Korvane on Windows: the application object runs the main dialog over the native toolkit.
#include <windows.h>
#include <commctrl.h>

#include "app/toolApp.h"
#include "platform/win32/win32Toolkit.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // The manifest asks for common controls 6; they draw with the system's theme once loaded.
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    win32::Win32Toolkit toolkit;
    toolApp.initInstance(toolkit);
    return 0;
}
