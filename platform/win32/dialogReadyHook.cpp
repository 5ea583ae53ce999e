#include "platform/win32/dialogReadyHook.h"

#include <atomic>

namespace win32 {

namespace {
std::atomic<DialogReadyHook> readyHook{nullptr};
}

void setDialogReadyHook(DialogReadyHook hook) { readyHook = hook; }

void dialogReady(HWND window, int templateId) {
    if (DialogReadyHook hook = readyHook) hook(window, templateId);
}

}  // namespace win32
