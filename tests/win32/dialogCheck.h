// The dialog check program (dialogCheckMain.cpp): what its parts share. The driving thread
// works the window with window messages only, as a user's input would arrive; it never calls
// the host's objects, which belong to the UI thread.
#pragma once

#include <functional>
#include <string>

#include <windows.h>

#include "tests/win32/check.h"

namespace dlg {
class DialogHost;
}

namespace dialogCheck {

// The windows the host reported ready (dialogReadyHook.h); 0 until then.
HWND mainWindow();
HWND aboutWindow();
void forgetAboutWindow();

// Polls the condition until it holds or a generous deadline passes (a loaded machine).
bool waitFor(const std::function<bool()>& condition, int seconds = 60);

std::wstring windowText(HWND window);
std::wstring itemText(HWND dialog, int id);
bool waitForItemText(HWND dialog, int id, const std::wstring& text);

// Input as the user gives it. Posted: the handler may open a modal box, which would block a
// sent message until someone dismisses it.
void click(HWND dialog, int id);
void pressKey(HWND control, WPARAM virtualKey);  // key down and up, through the dialog manager
void focus(HWND dialog, int id);
HWND focusedWindow();  // the UI thread's keyboard focus

// The program's message box (caption = the program's name) that is up now, or 0; its text.
HWND messageBoxShown();
std::wstring messageBoxText(HWND box);
// Waits for a message box, returns its text and dismisses it with OK; empty if none came.
std::wstring dismissMessageBox();

// The groups of checks.
void checkHost();                    // on the UI thread, in a window of its own
void checkReceiveBox(dlg::DialogHost& host, HWND window);  // part of checkHost
void checkDeviceNotices();           // on the UI thread, in a window of its own
void checkStartUp(HWND window);
void checkFailedOpen(HWND window);
void checkExchange(HWND window, int port);
void checkCapture(HWND window, int port);
void checkPortListFollows(HWND window);
void checkEnterKeys(HWND window);
void checkAboutBox(HWND window);
void checkCloseRequest(HWND window, int port);

}  // namespace dialogCheck
