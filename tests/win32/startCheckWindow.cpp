// The program as a user starts it: its main window, its caption, its end on the close request.
#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/win32/codePage936.h"
#include "resources/texts.h"
#include "tests/win32/startCheck.h"

namespace startCheck {

namespace {

// Generous: the first start in a fresh Wine prefix on a loaded machine takes a while.
constexpr ULONGLONG deadlineMs = 120'000;
// How often the window list is looked at while the process runs.
constexpr DWORD pollMs = 100;

struct Search {
    DWORD processId;
    HWND found;
};

// A visible top-level window of the process that no other window owns: the main dialog,
// not a message box over it.
BOOL CALLBACK findMainWindow(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<Search*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window) || GetWindow(window, GW_OWNER) != nullptr) return TRUE;
    search->found = window;
    return FALSE;
}

std::wstring windowText(HWND window) {
    std::wstring text(GetWindowTextLengthW(window) + 1, L'\0');
    text.resize(GetWindowTextW(window, text.data(), static_cast<int>(text.size())));
    return text;
}

// The main window, or nullptr when the process ended first or the deadline passed.
HWND waitForMainWindow(const PROCESS_INFORMATION& process) {
    const ULONGLONG until = GetTickCount64() + deadlineMs;
    while (GetTickCount64() < until) {
        Search search{process.dwProcessId, nullptr};
        EnumWindows(findMainWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr) return search.found;
        if (WaitForSingleObject(process.hProcess, pollMs) == WAIT_OBJECT_0) {
            std::printf("  the process ended before it showed a window\n");
            return nullptr;
        }
    }
    std::printf("  no window within %llu s\n", deadlineMs / 1000);
    return nullptr;
}

bool closeAndWait(const PROCESS_INFORMATION& process, HWND window) {
    PostMessageW(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, static_cast<DWORD>(deadlineMs)) != WAIT_OBJECT_0) {
        std::printf("  still running %llu s after the close request\n", deadlineMs / 1000);
        TerminateProcess(process.hProcess, 1);
        return false;
    }
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    std::printf("  closed on WM_CLOSE, exit code %lu\n", code);
    return code == 0;
}

}  // namespace

bool checkStart(const std::wstring& exe) {
    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::printf("%s:\n", utf8(exe).c_str());
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        std::printf("  cannot start it (error %lu)\n", GetLastError());
        return false;
    }
    bool ok = false;
    if (HWND window = waitForMainWindow(process)) {
        const std::wstring caption = windowText(window);
        const std::wstring expected = cp936::toUtf16(text::mainCaption);
        ok = expectText("window caption", caption, expected);
        ok &= closeAndWait(process, window);
    } else {
        TerminateProcess(process.hProcess, 1);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return ok;
}

}  // namespace startCheck
