// The version record, as Explorer's Properties page reads it.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/win32/startCheck.h"

namespace startCheck {

namespace {

std::wstring widen(const char* text) { return std::wstring(text, text + std::char_traits<char>::length(text)); }

std::wstring dotted(DWORD high, DWORD low) {
    return std::to_wstring(HIWORD(high)) + L"." + std::to_wstring(LOWORD(high)) + L"." +
           std::to_wstring(HIWORD(low)) + L"." + std::to_wstring(LOWORD(low));
}

// A string of the record's first language, empty when it has none.
std::wstring stringValue(const std::vector<char>& record, const wchar_t* name) {
    struct Translation {
        WORD language;
        WORD codePage;
    }* translation = nullptr;
    UINT size = 0;
    if (!VerQueryValueW(record.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &size) ||
        size < sizeof *translation)
        return {};
    wchar_t path[64];
    swprintf(path, 64, L"\\StringFileInfo\\%04x%04x\\%ls", translation->language, translation->codePage, name);
    wchar_t* value = nullptr;
    if (!VerQueryValueW(record.data(), path, reinterpret_cast<void**>(&value), &size) || size == 0) return {};
    return value;
}

}  // namespace

bool checkVersion(const std::wstring& exe) {
    DWORD unused = 0;
    const DWORD size = GetFileVersionInfoSizeW(exe.c_str(), &unused);
    std::vector<char> record(size);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    if (size == 0 || !GetFileVersionInfoW(exe.c_str(), 0, size, record.data()) ||
        !VerQueryValueW(record.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixedSize) || fixedSize < sizeof *fixed) {
        std::printf("%s: no version record (error %lu)\n", utf8(exe).c_str(), GetLastError());
        return false;
    }
    const std::wstring version = widen(KORVANE_VERSION);
    std::printf("%s:\n", utf8(exe).c_str());
    bool ok = expectText("fixed FileVersion", dotted(fixed->dwFileVersionMS, fixed->dwFileVersionLS), version);
    ok &= expectText("fixed ProductVersion", dotted(fixed->dwProductVersionMS, fixed->dwProductVersionLS), version);
    ok &= expectText("FileVersion", stringValue(record, L"FileVersion"), version);
    ok &= expectText("ProductVersion", stringValue(record, L"ProductVersion"), version);
    ok &= expectText("ProductName", stringValue(record, L"ProductName"), widen(KORVANE_PRODUCT_NAME));
    return ok;
}

}  // namespace startCheck
