// Checks a packaged program under Windows or Wine; the exit code is 0 when the check passed.
//   korvane_win_start_check version EXE          the version record (also of the installer)
//   korvane_win_start_check start EXE            the main window appears and closes
//   korvane_win_start_check shortcut LNK TARGET  the shortcut opens TARGET with its icon
#include <cstdio>
#include <string>

#include "tests/win32/startCheck.h"

int wmain(int argc, wchar_t** argv) {
    const std::wstring mode = argc > 1 ? argv[1] : L"";
    bool ok = false;
    if (mode == L"version" && argc == 3)
        ok = startCheck::checkVersion(argv[2]);
    else if (mode == L"start" && argc == 3)
        ok = startCheck::checkStart(argv[2]);
    else if (mode == L"shortcut" && argc == 4)
        ok = startCheck::checkShortcut(argv[2], argv[3]);
    else {
        std::fputs("usage: korvane_win_start_check version EXE | start EXE | shortcut LNK TARGET\n", stderr);
        return 2;
    }
    std::fflush(stdout);
    return ok ? 0 : 1;
}
