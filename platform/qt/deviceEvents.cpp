#include "platform/qt/deviceEvents.h"

#include "platform/posix/portNames.h"

namespace {

// Long enough for a burst to end, short enough for the list to follow at once.
constexpr int settleMs = 150;

}  // namespace

DeviceEvents::DeviceEvents(std::function<void()> changed, QObject* parent)
    : QObject(parent), watch_(posix::virtualPortFolder()), changed_(std::move(changed)) {
    settle_.setSingleShot(true);
    settle_.setInterval(settleMs);
    connect(&settle_, &QTimer::timeout, this, [this] { changed_(); });
    if (watch_.fd() < 0) return;
    notifier_ = std::make_unique<QSocketNotifier>(watch_.fd(), QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &DeviceEvents::notified);
}

// Not restarted by later notifications: a steady stream of them still reaches the logic.
void DeviceEvents::notified() {
    if (watch_.takeNotifications() && !settle_.isActive()) settle_.start();
}
