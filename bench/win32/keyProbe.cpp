#include "bench/win32/keyProbe.h"

#include <commctrl.h>

#include "bench/processMeasures.h"

namespace {
constexpr UINT_PTR subclassId = 0x4B50;  // "KP"
}

KeyProbe::KeyProbe(HWND target) : target_(target) {
    SetWindowSubclass(target_, &KeyProbe::watch, subclassId, reinterpret_cast<DWORD_PTR>(this));
    thread_ = std::thread([this] { post(); });
}

KeyProbe::~KeyProbe() {
    stop();
    RemoveWindowSubclass(target_, &KeyProbe::watch, subclassId);
}

void KeyProbe::stop() {
    if (!thread_.joinable()) return;
    stopping_ = true;
    thread_.join();
}

void KeyProbe::post() {
    const double cpu0 = threadCpuSeconds();
    for (int i = 0; !stopping_; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20 + i % 10));
        const std::lock_guard<std::mutex> lock(postedLock_);  // held so the stamps keep the posting order
        posted_.push_back(Clock::now());
        PostMessageW(target_, WM_KEYDOWN, VK_F24, 1);
    }
    cpuSeconds_ = threadCpuSeconds() - cpu0;
}

void KeyProbe::handled() {
    const auto now = Clock::now();
    const std::lock_guard<std::mutex> lock(postedLock_);
    if (posted_.empty()) return;
    delays_.push_back(std::chrono::duration<double>(now - posted_.front()).count());
    posted_.pop_front();
}

LRESULT CALLBACK KeyProbe::watch(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                 DWORD_PTR self) {
    if (message == WM_KEYDOWN && wParam == VK_F24) reinterpret_cast<KeyProbe*>(self)->handled();
    return DefSubclassProc(window, message, wParam, lParam);
}
