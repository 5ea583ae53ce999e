// Printing what a check saw.
#include <windows.h>

#include <cstdio>

#include "tests/win32/startCheck.h"

namespace startCheck {

std::string utf8(const std::wstring& text) {
    const int size = static_cast<int>(text.size());
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string bytes(length, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), size, bytes.data(), length, nullptr, nullptr);
    return bytes;
}

bool expectText(const char* what, const std::wstring& got, const std::wstring& expected) {
    const bool ok = got == expected;
    std::printf("  %s \"%s\"", what, utf8(got).c_str());
    if (!ok) std::printf(" -- expected \"%s\"", utf8(expected).c_str());
    std::printf("\n");
    return ok;
}

}  // namespace startCheck
