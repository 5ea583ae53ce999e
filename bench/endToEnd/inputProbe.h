#pragma once
// A stand-in for the user while data streams in: from its own thread, posts a key press to a
// widget every 20 to 29 ms (never in step with the display timer) and notes, when the GUI
// thread hands the event to the widget, how late that is.

#include <atomic>
#include <chrono>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include <QObject>

class QWidget;

class InputProbe : public QObject {
public:
    explicit InputProbe(QWidget* target);
    ~InputProbe() override;  // stops posting; events still queued are not counted

    // Delays of the events handled so far, in seconds.
    const std::vector<double>& delays() const { return delays_; }
    double cpuSeconds() const { return cpuSeconds_; }  // of the posting thread, once stopped
    void stop();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using Clock = std::chrono::steady_clock;
    void post();

    QWidget* target_;
    std::mutex postedLock_;
    std::deque<Clock::time_point> posted_;  // in the order the events were posted
    std::vector<double> delays_;
    std::atomic<bool> stopping_{false};
    double cpuSeconds_ = 0;
    std::thread thread_;
};
