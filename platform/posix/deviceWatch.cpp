#include "platform/posix/deviceWatch.h"

#include <libudev.h>
#include <sys/epoll.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace posix {
namespace {

// The udev daemon's control socket, which libudev itself looks for: without the daemon, its
// netlink group stays silent.
bool udevDaemonRuns() { return ::access("/run/udev/control", F_OK) == 0; }

bool addsOrRemoves(udev_device* device) {
    const char* action = udev_device_get_action(device);
    return action != nullptr && (std::strcmp(action, "add") == 0 || std::strcmp(action, "remove") == 0 ||
                                 std::strcmp(action, "move") == 0);
}

void waitOn(int epoll, int fd) {
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.fd = fd;
    epoll_ctl(epoll, EPOLL_CTL_ADD, fd, &event);
}

}  // namespace

DeviceWatch::DeviceWatch(const std::string& portFolder) : folder_(portFolder) {
    epoll_ = epoll_create1(EPOLL_CLOEXEC);
    if (epoll_ < 0) return;
    openMonitor();
    if (monitor_ != nullptr) waitOn(epoll_, udev_monitor_get_fd(monitor_));
    if (folder_.valid()) waitOn(epoll_, folder_.fd());
}

DeviceWatch::~DeviceWatch() {
    if (monitor_ != nullptr) udev_monitor_unref(monitor_);
    if (udev_ != nullptr) udev_unref(udev_);
    if (epoll_ >= 0) ::close(epoll_);
}

// The daemon's announcements come once a device is set up (its node, links and permissions);
// the kernel's come as it appears. Where no daemon runs (a container, a minimal system),
// the kernel's are all there is, and enough for a listing that reads sysfs.
void DeviceWatch::openMonitor() {
    udev_ = udev_new();
    if (udev_ == nullptr) return;
    const bool daemon = udevDaemonRuns();
    monitor_ = udev_monitor_new_from_netlink(udev_, daemon ? "udev" : "kernel");
    if (monitor_ != nullptr &&
        udev_monitor_filter_add_match_subsystem_devtype(monitor_, "tty", nullptr) >= 0 &&
        udev_monitor_enable_receiving(monitor_) >= 0) {
        source_ = daemon ? SystemSource::udev : SystemSource::kernel;
        return;
    }
    if (monitor_ != nullptr) udev_monitor_unref(monitor_);
    monitor_ = nullptr;
}

bool DeviceWatch::takeDeviceNotifications() {
    if (monitor_ == nullptr) return false;
    bool relevant = false;
    errno = 0;
    // Null once nothing waits: the socket does not block, and what the filter refuses is
    // skipped inside.
    while (udev_device* device = udev_monitor_receive_device(monitor_)) {
        relevant |= addsOrRemoves(device);
        udev_device_unref(device);
    }
    return relevant || errno == ENOBUFS;  // notifications were lost: anything may have changed
}

bool DeviceWatch::takeNotifications() {
    const bool devices = takeDeviceNotifications();
    return folder_.takeNotifications() || devices;
}

}  // namespace posix
