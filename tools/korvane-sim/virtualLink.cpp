#include "tools/korvane-sim/virtualLink.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>

namespace sim {
namespace {

// mkdir -p, private to this user: the fallback folder lives under the shared /tmp.
bool makeFolders(const std::string& folder) {
    for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        const std::string prefix = folder.substr(0, slash);
        if (::mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) return false;
        if (slash == std::string::npos) return true;
    }
}

std::optional<std::string> linkTarget(const std::string& path) {
    char target[4096];
    const ssize_t n = ::readlink(path.c_str(), target, sizeof target);
    if (n < 0 || static_cast<std::size_t>(n) == sizeof target) return std::nullopt;
    return std::string(target, static_cast<std::size_t>(n));
}

// Holds the folder's flock for one scope.
class FolderLock {
public:
    explicit FolderLock(int fd) : fd_(fd) {
        while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
        }
    }
    ~FolderLock() { ::flock(fd_, LOCK_UN); }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    int fd_;
};

std::string systemError(const std::string& what) { return what + ": " + std::strerror(errno); }

// Makes path a link to device, replacing a dangling link; the reason when it cannot.
// The caller holds the folder lock.
std::optional<std::string> placeLink(const std::string& path, const std::string& device, int port) {
    for (int attempt = 0; attempt < 8; ++attempt) {
        if (::symlink(device.c_str(), path.c_str()) == 0) return std::nullopt;
        if (errno != EEXIST) return systemError("无法创建链接 " + path);
        struct stat status {};
        if (::lstat(path.c_str(), &status) != 0) continue;  // gone meanwhile: try again
        if (!S_ISLNK(status.st_mode)) return path + " 已存在且不是链接, 不予覆盖";
        const auto target = linkTarget(path);
        // A stale link may name the very pty number we were just given.
        const bool live = ::stat(path.c_str(), &status) == 0 && target != device;
        if (live) {
            return "COM" + std::to_string(port) + " 已被占用: " + path + " -> " + target.value_or("?") +
                   " (若确已无人使用, 请删除该链接)";
        }
        if (::unlink(path.c_str()) != 0 && errno != ENOENT) return systemError("无法删除失效链接 " + path);
    }
    return path + " 不断被其他程序改动";
}

}  // namespace

std::unique_ptr<VirtualLink> VirtualLink::create(const std::string& folder, int port, const std::string& device,
                                                 std::string& error) {
    if (!makeFolders(folder)) {
        error = systemError("无法创建虚拟端口目录 " + folder);
        return nullptr;
    }
    const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd < 0) {
        error = systemError("无法打开虚拟端口目录 " + folder);
        return nullptr;
    }
    const std::string path = folder + "/com" + std::to_string(port);
    std::optional<std::string> refusal;
    {
        FolderLock lock(folderFd);
        refusal = placeLink(path, device, port);
    }
    if (refusal) {
        ::close(folderFd);
        error = *refusal;
        return nullptr;
    }
    return std::unique_ptr<VirtualLink>(new VirtualLink(folderFd, path, device));
}

VirtualLink::VirtualLink(int folderFd, std::string path, std::string device)
    : folderFd_(folderFd), path_(std::move(path)), device_(std::move(device)) {}

VirtualLink::~VirtualLink() {
    {
        FolderLock lock(folderFd_);
        if (linkTarget(path_) == device_) ::unlink(path_.c_str());
    }
    ::close(folderFd_);
}

}  // namespace sim
