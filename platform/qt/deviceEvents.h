#pragma once
// Serial devices coming and going, as the Qt event loop learns of them: waits on the
// system's notifications on the UI thread and gathers a burst of them (an adapter brings
// several devices, a folder several links) into one call.

#include <functional>
#include <memory>

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include "platform/posix/deviceWatch.h"

class DeviceEvents final : public QObject {
public:
    // changed runs on the UI thread, at most once per burst.
    explicit DeviceEvents(std::function<void()> changed, QObject* parent = nullptr);

    const posix::DeviceWatch& watch() const { return watch_; }

private:
    void notified();

    posix::DeviceWatch watch_;
    std::function<void()> changed_;
    std::unique_ptr<QSocketNotifier> notifier_;  // none when nothing could be watched
    QTimer settle_;
};
