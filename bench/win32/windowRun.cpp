// The Windows side of WindowsEndToEnd (bench/windowsEndToEnd_bench.cpp): the program's window
// (the real Win32 host, the real main dialog and serial engine) receiving on a COM port whose
// far end the Linux side writes, measured from inside.
//
//   korvane_win_window_run.exe N PREFILL CONTROL
//
// Opens COMN through the window, puts PREFILL bytes of text lines in the receive box as
// display ticks would, 8 KB at a time, and prints "READY <QueryPerformanceCounter> <its frequency> GO". Then
// it notes each display tick (when it ended, the bytes counted, the time it took) and the
// delays of key presses posted to the output box, until the file CONTROL says
// "written <bytes>" and that many are counted (or 2 s more have passed). It prints what it
// noted and closes the window.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/mainDialog.h"
#include "bench/endToEnd/observedDialog.h"
#include "bench/processMeasures.h"
#include "bench/win32/keyProbe.h"
#include "platform/win32/codePage936.h"
#include "platform/win32/dialogReadyHook.h"
#include "platform/win32/win32Toolkit.h"
#include "resources/resourceIds.h"

namespace {

struct Tick {
    LONGLONG endedAt;  // QueryPerformanceCounter
    std::uint32_t counted;
    double took;  // seconds
};

// The run's state: the UI thread's alone (timer callbacks, display ticks).
struct Run {
    int port = 0;
    std::size_t prefill = 0;
    std::string controlFile;
    MainDialog* dialog = nullptr;
    ObservedEvents* observed = nullptr;
    HWND window = nullptr;

    std::unique_ptr<KeyProbe> probe;
    std::vector<Tick> ticks;
    double cpu0 = 0, gui0 = 0;
    std::uint64_t resident0 = 0;
    long long written = -1;  // from the control file; -1 until it says
    ULONGLONG writtenSeenAt = 0;
    ULONGLONG startedAt = 0;
};
Run run;

enum TimerId : UINT_PTR { openTimer = 100, settleTimer, watchTimer };

LONGLONG performanceCounter() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

std::uint32_t counted() { return static_cast<std::uint32_t>(run.dialog->rxCount); }

// GBK text lines as a module would log them, as the Linux side sends (bench/endToEnd/streams.h).
std::string gbkTextLines(std::size_t size) {
    std::string lines;
    wchar_t line[160];
    for (int n = 0; lines.size() < size; ++n) {
        std::swprintf(line, 160, L"第%06d行 温度=%d.%d℃ 湿度=%d%% 状态=正常 ABCDEFGHIJ 0123456789\r\n", n,
                      20 + n % 10, n % 7, 40 + n % 30);
        lines += cp936::fromUtf16(line);
    }
    return lines;
}

void finish() {
    KillTimer(run.window, watchTimer);
    run.probe->stop();
    run.observed->afterDisplayTick = nullptr;
    const double cpu = processCpuSeconds() - run.cpu0 - run.probe->cpuSeconds();
    const double gui = threadCpuSeconds() - run.gui0;
    const long long resident =
        static_cast<long long>(residentBytes()) - static_cast<long long>(run.resident0);
    for (const Tick& t : run.ticks) std::printf("TICK %lld %u %.6f\n", t.endedAt, t.counted, t.took);
    for (double d : run.probe->delays()) std::printf("INPUT %.6f\n", d);
    std::printf("END %u %llu %.6f %.6f %lld\n", counted(),
                static_cast<unsigned long long>(run.observed->host->shownBytes), cpu, gui, resident);
    std::fflush(stdout);
    run.probe.reset();
    PostMessageW(run.window, WM_CLOSE, 0, 0);
}

// Every 100 ms: has the Linux side finished writing, and has all of it come?
void CALLBACK watch(HWND, UINT, UINT_PTR, DWORD) {
    if (run.written < 0) {
        std::ifstream control(run.controlFile);
        std::string word;
        long long bytes = -1;
        if (control >> word >> bytes && word == "written") {
            run.written = bytes;
            run.writtenSeenAt = GetTickCount64();
        } else if (GetTickCount64() - run.startedAt > 600000) {
            run.written = 0;  // the Linux side is gone: report what came
        }
        return;
    }
    if (counted() >= static_cast<unsigned long long>(run.written) ||
        GetTickCount64() - run.writtenSeenAt > 2000)
        finish();
}

// The window has shown its first frames: fill the box, then measure.
void CALLBACK settled(HWND window, UINT, UINT_PTR id, DWORD) {
    KillTimer(window, id);
    run.resident0 = residentBytes();
    // In the pieces a tick at 160 KB/s appends, as the Linux EndToEnd fills its box.
    constexpr std::size_t tickBytes = 8192;
    const std::string lines = gbkTextLines(run.prefill);
    for (std::size_t at = 0; at < run.prefill; at += tickBytes)
        run.observed->real->appendText(IDC_RXTEXT, std::string_view(lines).substr(at, tickBytes));
    run.cpu0 = processCpuSeconds();
    run.gui0 = threadCpuSeconds();
    run.probe = std::make_unique<KeyProbe>(GetDlgItem(window, IDC_TXTEXT));
    run.observed->afterDisplayTick = [](double took) {
        run.ticks.push_back({performanceCounter(), counted(), took});
    };
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    run.startedAt = GetTickCount64();
    std::printf("READY %lld %lld GO\n", performanceCounter(), frequency.QuadPart);
    std::fflush(stdout);
    SetTimer(window, watchTimer, 100, watch);
}

// Chooses the port in the list and presses 打开, as the user would.
void CALLBACK openPort(HWND window, UINT, UINT_PTR id, DWORD) {
    KillTimer(window, id);
    HWND ports = GetDlgItem(window, IDC_PORT);
    const std::wstring name = L"COM" + std::to_wstring(run.port);
    LRESULT at = SendMessageW(ports, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                              reinterpret_cast<LPARAM>(name.c_str()));
    if (at == CB_ERR) at = SendMessageW(ports, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    SendMessageW(ports, CB_SETCURSEL, at, 0);
    SendMessageW(GetDlgItem(window, IDC_OPEN), BM_CLICK, 0, 0);
    if (!run.dialog->portOpen()) {
        std::printf("FAILED COM%d did not open\n", run.port);
        std::fflush(stdout);
        PostMessageW(window, WM_CLOSE, 0, 0);
        return;
    }
    SetTimer(window, settleTimer, 500, settled);
}

void onDialogReady(HWND window, int templateId) {
    if (templateId != IDD_MAIN) return;
    run.window = window;
    SetTimer(window, openTimer, 1, openPort);  // once the dialog manager runs the window
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::printf("usage: korvane_win_window_run N PREFILL CONTROL\n");
        return 2;
    }
    run.port = std::atoi(argv[1]);
    run.prefill = std::strtoull(argv[2], nullptr, 10);
    run.controlFile = argv[3];
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                        ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);

    win32::setDialogReadyHook(onDialogReady);
    ObservedToolkit<win32::Win32Toolkit> toolkit([](ObservedEvents& events) { run.observed = &events; });
    MainDialog dialog(toolkit);
    run.dialog = &dialog;
    dialog.doModal();
    return run.written >= 0 ? 0 : 1;
}
