#pragma once
// A stand-in for the user while data streams in, for the native window: from its own thread,
// posts a key press (F24, which nothing acts on) to a control every 20 to 29 ms, never in step
// with the display timer, and notes, when the control's window procedure gets it, how late
// that is.

#include <windows.h>

#include <atomic>
#include <chrono>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

class KeyProbe {
public:
    explicit KeyProbe(HWND target);  // on the target's thread
    ~KeyProbe();                     // stops posting; key presses still queued are not counted
    KeyProbe(const KeyProbe&) = delete;
    KeyProbe& operator=(const KeyProbe&) = delete;

    void stop();
    // Delays of the key presses handled so far, in seconds.
    const std::vector<double>& delays() const { return delays_; }
    double cpuSeconds() const { return cpuSeconds_; }  // of the posting thread, once stopped

private:
    using Clock = std::chrono::steady_clock;
    static LRESULT CALLBACK watch(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                  DWORD_PTR self);
    void post();
    void handled();

    HWND target_;
    std::mutex postedLock_;
    std::deque<Clock::time_point> posted_;  // in the order the key presses were posted
    std::vector<double> delays_;
    std::atomic<bool> stopping_{false};
    double cpuSeconds_ = 0;
    std::thread thread_;
};
