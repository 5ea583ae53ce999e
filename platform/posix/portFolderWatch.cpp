#include "platform/posix/portFolderWatch.h"

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace posix {
namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t folderEvents =
    IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
// Above the folder only the next step down matters.
constexpr std::uint32_t aboveEvents = IN_CREATE | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
constexpr std::uint32_t watchEnded = IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED;

// The listing takes only links named com<number>; anything else in the folder changes nothing.
bool mayBePortLink(const inotify_event& event) {
    return event.len > 0 && std::strncmp(event.name, "com", 3) == 0;
}

// The entry of `above` on the way down to folder.
fs::path nextStep(const fs::path& folder, const fs::path& above) {
    fs::path step = folder;
    while (step.parent_path() != above && step.parent_path() != step) step = step.parent_path();
    return step;
}

// Absolute, without dot steps or a trailing slash, so that walking up ends at "/".
std::string normalFolder(const std::string& folder) {
    std::error_code error;
    fs::path path = fs::absolute(folder, error).lexically_normal();
    if (!path.has_filename() && path.has_parent_path()) path = path.parent_path();
    return path.string();
}

bool isDirectory(const fs::path& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

PortFolderWatch::PortFolderWatch(std::string folder) : folder_(normalFolder(folder)) {
    fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ >= 0) arm();
}

PortFolderWatch::~PortFolderWatch() {
    if (fd_ >= 0) ::close(fd_);
}

bool PortFolderWatch::arm() {
    if (watch_ >= 0) inotify_rm_watch(fd_, watch_);  // its last notifications are skipped as stale
    watch_ = -1;
    onFolder_ = false;
    const fs::path folder = folder_;
    for (fs::path path = folder;;) {
        const bool isFolder = path == folder;
        watch_ = inotify_add_watch(fd_, path.c_str(), isFolder ? folderEvents : aboveEvents);
        if (watch_ < 0) {
            // Missing (or a file in the way): one step up. Anything else (no permission, no
            // watches left) leaves the folder unwatched.
            if ((errno != ENOENT && errno != ENOTDIR) || path == path.parent_path()) return false;
            path = path.parent_path();
            continue;
        }
        watched_ = path.string();
        onFolder_ = isFolder;
        if (isFolder) return true;
        // The next step down may have been made between the two calls, with no one left to tell.
        if (!isDirectory(nextStep(folder, path))) return false;
        inotify_rm_watch(fd_, watch_);
        watch_ = -1;
        path = folder;
    }
}

bool PortFolderWatch::takeNotifications() {
    if (fd_ < 0) return false;
    bool relevant = false;
    bool rearm = false;
    const std::string step = watch_ >= 0 && !onFolder_ ? nextStep(folder_, watched_).filename().string() : "";
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd_, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        for (const char* p = buffer; p < buffer + n;) {
            const auto& event = *reinterpret_cast<const inotify_event*>(p);
            p += sizeof(inotify_event) + event.len;
            if (event.mask & IN_Q_OVERFLOW) rearm = true;  // lost track: look again
            if (event.wd != watch_) continue;              // a watch given up
            if (event.mask & watchEnded)
                rearm = true;
            else if (onFolder_)
                relevant |= mayBePortLink(event);
            else if (event.len > 0 && step == event.name)
                rearm = true;
        }
    }
    if (rearm) {
        const bool wasOnFolder = onFolder_;  // its links went with it
        if (arm() || wasOnFolder) relevant = true;
    }
    return relevant;
}

}  // namespace posix
