// The Windows build's cp936(): the system's code page 936 conversion, through UTF-16. The
// program itself converts only in the dialog hosts, so the logic's tests stay independent of it.
#include "tests/support/cp936.h"

#include <stdexcept>
#include <string>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

std::string cp936(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int inLength = static_cast<int>(utf8.size());
    const int wideLength = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), inLength, nullptr, 0);
    if (wideLength == 0) throw std::runtime_error("not UTF-8");
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), inLength, wide.data(), wideLength);

    // Without a default character a character that CP936 lacks would come out as '?'.
    BOOL lost = FALSE;
    const int outLength = WideCharToMultiByte(936, 0, wide.data(), wideLength, nullptr, 0, nullptr, &lost);
    if (outLength == 0 || lost) throw std::runtime_error("not convertible to CP936");
    std::string out(static_cast<std::size_t>(outLength), '\0');
    WideCharToMultiByte(936, 0, wide.data(), wideLength, out.data(), outLength, nullptr, nullptr);
    return out;
}
