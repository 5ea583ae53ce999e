#pragma once
// For test programs: a function the host calls with each dialog window once the logic has
// initialised it, just before it shows. The program itself sets none.

#include <windows.h>

namespace win32 {

using DialogReadyHook = void (*)(HWND window, int templateId);
void setDialogReadyHook(DialogReadyHook hook);
void dialogReady(HWND window, int templateId);

}  // namespace win32
