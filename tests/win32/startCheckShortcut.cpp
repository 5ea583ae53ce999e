// A Start-menu shortcut, read through the shell's own link object.
#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <string>

#include "tests/win32/startCheck.h"

namespace startCheck {

namespace {

bool samePath(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

bool readShortcut(const std::wstring& path, std::wstring& target, std::wstring& icon, int& iconIndex) {
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))))
        return false;
    IPersistFile* file = nullptr;
    bool ok = SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
              SUCCEEDED(file->Load(path.c_str(), STGM_READ));
    if (ok) {
        wchar_t text[MAX_PATH] = {};
        ok = SUCCEEDED(link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH));
        target = text;
        text[0] = L'\0';
        ok = ok && SUCCEEDED(link->GetIconLocation(text, MAX_PATH, &iconIndex));
        icon = text;
    }
    if (file != nullptr) file->Release();
    link->Release();
    return ok;
}

}  // namespace

bool checkShortcut(const std::wstring& link, const std::wstring& target) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::wstring gotTarget, icon;
    int iconIndex = -1;
    std::printf("%s:\n", utf8(link).c_str());
    const bool read = readShortcut(link, gotTarget, icon, iconIndex);
    CoUninitialize();
    if (!read) {
        std::printf("  cannot read the shortcut\n");
        return false;
    }
    const bool targetOk = samePath(gotTarget, target);
    std::printf("  target \"%s\"", utf8(gotTarget).c_str());
    if (!targetOk) std::printf(" -- expected \"%s\"", utf8(target).c_str());
    // The program's own first icon: its file, or no file at all (the target's icon).
    const bool iconOk = (icon.empty() || samePath(icon, target)) && iconIndex == 0;
    std::printf("\n  icon \"%s\",%d", utf8(icon).c_str(), iconIndex);
    if (!iconOk) std::printf(" -- expected \"%s\",0", utf8(target).c_str());
    std::printf("\n");
    return targetOk && iconOk;
}

}  // namespace startCheck
