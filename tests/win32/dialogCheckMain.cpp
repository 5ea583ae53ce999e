// korvane_win_dialog_check.exe: the native window checked under Windows or Wine.
//
//   korvane_win_dialog_check.exe N
//
// N is a COM port number (5 or more; never COM1-COM4, which are the machine's own under Wine)
// whose far end is the module simulator: `korvane-sim --port N` from the Linux build, its pty
// linked as COMN. Needs a display (Xvfb) and, under Wine, the modem-line shim for ptys and the
// Chinese font replacement; tests/wine/with-sim and tests/wine/wine-run provide all three:
//
//   tests/wine/with-sim build/release/tools/korvane-sim 12 --gui --
//       build/windows/tests/win32/korvane_win_dialog_check.exe 12
//
// First the host's own promises, in a window of their own on the main thread
// (dialogCheckHost.cpp), and what a window's logic hears of hot-plug notices
// (dialogCheckDevices.cpp). Then the program as korvane.exe runs it: the Win32 toolkit and the
// application object on the main thread, driven from a second thread with window messages
// (dialogCheckWindow.cpp). Prints each failed check and a tally; exits 0 only when every check
// passed.
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include <windows.h>
#include <commctrl.h>

#include "app/toolApp.h"
#include "platform/win32/dialogReadyHook.h"
#include "platform/win32/win32Toolkit.h"
#include "resources/resourceIds.h"
#include "tests/win32/dialogCheck.h"

smoke::Tally& smoke::tally() {
    static Tally counts;
    return counts;
}

namespace dialogCheck {

namespace {

std::atomic<HWND> readyMain{nullptr};
std::atomic<HWND> readyAbout{nullptr};

void onDialogReady(HWND window, int templateId) {
    if (templateId == IDD_MAIN) readyMain = window;
    if (templateId == IDD_ABOUTBOX) readyAbout = window;
}

// Whatever failed, the window must end, or the program would not.
void endTheWindow(HWND window) {
    while (IsWindow(window)) {
        if (HWND box = messageBoxShown()) PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        if (HWND about = aboutWindow(); about != nullptr && IsWindow(about))
            PostMessageW(about, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        PostMessageW(window, WM_CLOSE, 0, 0);
        waitFor([&] { return !IsWindow(window); }, 5);
    }
}

void drive(int port) {
    HWND window = nullptr;
    CHECK(waitFor([&] { return (window = mainWindow()) != nullptr && IsWindowVisible(window); }));
    if (window == nullptr) return;
    checkStartUp(window);
    checkFailedOpen(window);
    checkExchange(window, port);
    checkCapture(window, port);
    checkPortListFollows(window);
    checkEnterKeys(window);
    checkAboutBox(window);
    checkCloseRequest(window, port);
    endTheWindow(window);
}

}  // namespace

HWND mainWindow() { return readyMain; }
HWND aboutWindow() { return readyAbout; }
void forgetAboutWindow() { readyAbout = nullptr; }

}  // namespace dialogCheck

int main(int argc, char** argv) {
    const int port = argc == 2 ? std::atoi(argv[1]) : 0;
    if (port < 5) {
        std::printf("usage: korvane_win_dialog_check N   (COMN: the module simulator, N >= 5)\n");
        return 2;
    }
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);

    dialogCheck::checkHost();
    dialogCheck::checkDeviceNotices();

    win32::setDialogReadyHook(&dialogCheck::onDialogReady);
    std::thread driver(dialogCheck::drive, port);
    win32::Win32Toolkit toolkit;
    toolApp.initInstance(toolkit);
    driver.join();

    const smoke::Tally& counts = smoke::tally();
    std::printf("korvane_win_dialog_check: %d passed, %d failed\n", counts.passed, counts.failed);
    return counts.failed == 0 && counts.passed > 0 ? 0 : 1;
}
