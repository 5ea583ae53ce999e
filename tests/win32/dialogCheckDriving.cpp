// Working the window from the driving thread: waiting, reading texts, clicks, keys and the
// program's message boxes.
#include <vector>

#include "platform/win32/programName.h"
#include "tests/win32/dialogCheck.h"

namespace dialogCheck {

bool waitFor(const std::function<bool()>& condition, int seconds) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(seconds) * 1000;
    while (!condition()) {
        if (GetTickCount64() > deadline) return false;
        Sleep(10);  // a poll interval, not a wait for something to happen
    }
    return true;
}

std::wstring windowText(HWND window) {
    // WM_GETTEXT reaches the UI thread even while it runs a modal box.
    std::wstring text(GetWindowTextLengthW(window) + 1, L'\0');
    text.resize(GetWindowTextW(window, text.data(), static_cast<int>(text.size())));
    return text;
}

std::wstring itemText(HWND dialog, int id) {
    HWND item = GetDlgItem(dialog, id);
    return item != nullptr ? windowText(item) : L"<no control>";
}

bool waitForItemText(HWND dialog, int id, const std::wstring& text) {
    return waitFor([&] { return itemText(dialog, id) == text; });
}

void click(HWND dialog, int id) { PostMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

void pressKey(HWND control, WPARAM virtualKey) {
    const UINT scan = MapVirtualKeyW(static_cast<UINT>(virtualKey), MAPVK_VK_TO_VSC);
    PostMessageW(control, WM_KEYDOWN, virtualKey, 1 | (static_cast<LPARAM>(scan) << 16));
    PostMessageW(control, WM_KEYUP, virtualKey, 1 | (static_cast<LPARAM>(scan) << 16) | (3LL << 30));
}

void focus(HWND dialog, int id) {
    PostMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, id)), TRUE);
    waitFor([&] { return focusedWindow() == GetDlgItem(dialog, id); });
}

HWND focusedWindow() {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    const DWORD uiThread = GetWindowThreadProcessId(mainWindow(), nullptr);
    return GetGUIThreadInfo(uiThread, &info) ? info.hwndFocus : nullptr;
}

namespace {

BOOL CALLBACK findMessageBox(HWND window, LPARAM found) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    const bool ours = process == GetCurrentProcessId() && std::wstring(className) == L"#32770";
    if (ours && window != mainWindow() && window != aboutWindow() && IsWindowVisible(window) &&
        windowText(window) == win32::programName()) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

HWND messageBoxShown() {
    HWND found = nullptr;
    EnumWindows(findMessageBox, reinterpret_cast<LPARAM>(&found));  // the UI and monitor threads' both
    return found;
}

std::wstring messageBoxText(HWND box) { return itemText(box, 0xFFFF); }  // its text's static

std::wstring dismissMessageBox() {
    HWND box = nullptr;
    if (!waitFor([&] { return (box = messageBoxShown()) != nullptr; })) return {};
    const std::wstring text = messageBoxText(box);
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    waitFor([&] { return !IsWindow(box); });
    return text;
}

}  // namespace dialogCheck
