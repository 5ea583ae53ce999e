#include "platform/win32/win32Toolkit.h"

#include <windows.h>

#include "platform/win32/codePage936.h"
#include "platform/win32/win32Dialog.h"

namespace win32 {

dlg::IconHandle Win32Toolkit::loadIcon(int iconId) {
    return LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(iconId));
}

std::string Win32Toolkit::loadString(int stringId) {
    // With no buffer, LoadStringW hands out the resource's own text, which is not terminated.
    const wchar_t* text = nullptr;
    const int length = LoadStringW(GetModuleHandleW(nullptr), static_cast<UINT>(stringId),
                                   reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || text == nullptr) return {};
    return cp936::fromUtf16(std::wstring_view(text, static_cast<std::size_t>(length)));
}

int Win32Toolkit::runModal(const dlg::DialogTemplate& dialog, dlg::DialogEvents& events) {
    return Win32Dialog::run(dialog, events, nullptr);
}

}  // namespace win32
