// Watches the virtual-port folder with inotify for links comN made, removed or renamed in
// and out. The folder may be missing, or removed and made again while we watch: then the
// nearest folder above it that exists is watched for the way back down, so nothing polls.
#pragma once

#include <string>

namespace posix {

class PortFolderWatch {
public:
    // Watches folder from now on; valid() is false when inotify is not to be had.
    explicit PortFolderWatch(std::string folder);
    ~PortFolderWatch();
    PortFolderWatch(const PortFolderWatch&) = delete;
    PortFolderWatch& operator=(const PortFolderWatch&) = delete;

    bool valid() const { return fd_ >= 0; }
    int fd() const { return fd_; }  // polls readable while notifications wait

    // Reads every waiting notification without blocking, following the folder as it comes
    // and goes. True when the links may have changed.
    bool takeNotifications();

private:
    // Watches the folder, or the nearest folder above it that exists. True when the watch
    // is on the folder itself.
    bool arm();

    const std::string folder_;
    int fd_ = -1;
    int watch_ = -1;
    std::string watched_;  // the path under watch_
    bool onFolder_ = false;
};

}  // namespace posix
