// What tells the program that serial devices came or went: tty devices added or removed (as
// the udev daemon announces them, or where none runs, as the kernel does) and the links of
// the virtual-port folder. One descriptor to wait on for all of it.
#pragma once

#include <string>

#include "platform/posix/portFolderWatch.h"

struct udev;
struct udev_monitor;

namespace posix {

class DeviceWatch {
public:
    enum class SystemSource { none, udev, kernel };

    // Watches from now on what it can; a source that cannot be had is left out.
    explicit DeviceWatch(const std::string& portFolder);
    ~DeviceWatch();
    DeviceWatch(const DeviceWatch&) = delete;
    DeviceWatch& operator=(const DeviceWatch&) = delete;

    // Polls readable while notifications wait; -1 when nothing could be watched.
    int fd() const { return epoll_; }
    SystemSource systemSource() const { return source_; }
    bool watchesFolder() const { return folder_.valid(); }

    // Reads every waiting notification without blocking. True when a serial device or a
    // virtual port may have come or gone.
    bool takeNotifications();

private:
    void openMonitor();
    bool takeDeviceNotifications();

    PortFolderWatch folder_;
    udev* udev_ = nullptr;
    udev_monitor* monitor_ = nullptr;
    SystemSource source_ = SystemSource::none;
    int epoll_ = -1;
};

}  // namespace posix
