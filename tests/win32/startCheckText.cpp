// Printing what a check saw.
#include <windows.h>

#include <cstdio>

#include "tests/win32/startCheck.h"

namespace startCheck {

bool expectText(const char* what, const std::wstring& got, const std::wstring& expected) {
    const bool ok = got == expected;
    std::printf("  %s \"%s\"", what, utf8(got).c_str());
    if (!ok) std::printf(" -- expected \"%s\"", utf8(expected).c_str());
    std::printf("\n");
    return ok;
}

}  // namespace startCheck
