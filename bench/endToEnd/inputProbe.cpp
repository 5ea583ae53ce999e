#include "bench/endToEnd/inputProbe.h"

#include <QCoreApplication>
#include <QInputDevice>
#include <QKeyEvent>
#include <QWidget>

#include "bench/processMeasures.h"

namespace {
// A key nothing in the window acts on: the event is delivered and ignored.
constexpr int probeKey = Qt::Key_F35;
}  // namespace

InputProbe::InputProbe(QWidget* target) : target_(target) {
    // A key event made on another thread must find the keyboard device Qt creates on first use,
    // as a child of the application: create it here, on the GUI thread.
    QInputDevice::primaryKeyboard();
    target_->installEventFilter(this);
    thread_ = std::thread([this] { post(); });
}

InputProbe::~InputProbe() {
    stop();
    target_->removeEventFilter(this);
}

void InputProbe::stop() {
    if (!thread_.joinable()) return;
    stopping_ = true;
    thread_.join();
}

void InputProbe::post() {
    const double cpu0 = threadCpuSeconds();
    for (int i = 0; !stopping_; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20 + i % 10));
        const std::lock_guard<std::mutex> lock(postedLock_);  // held so the stamps keep the posting order
        posted_.push_back(Clock::now());
        QCoreApplication::postEvent(target_, new QKeyEvent(QEvent::KeyPress, probeKey, Qt::NoModifier));
    }
    cpuSeconds_ = threadCpuSeconds() - cpu0;
}

bool InputProbe::eventFilter(QObject* watched, QEvent* event) {
    if (watched == target_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == probeKey) {
        const auto now = Clock::now();
        const std::lock_guard<std::mutex> lock(postedLock_);
        if (!posted_.empty()) {
            delays_.push_back(std::chrono::duration<double>(now - posted_.front()).count());
            posted_.pop_front();
        }
    }
    return false;
}
