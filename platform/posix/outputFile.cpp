#include "platform/posix/outputFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace posix {

namespace {

class PosixOutputFile : public dlg::OutputFile {
public:
    explicit PosixOutputFile(int fd) : fd_(fd) {}
    ~PosixOutputFile() override {
        if (fd_ >= 0) ::close(fd_);
    }
    PosixOutputFile(const PosixOutputFile&) = delete;
    PosixOutputFile& operator=(const PosixOutputFile&) = delete;

    bool write(const char* bytes, std::size_t count, dlg::FileError& error) override {
        while (count > 0) {
            const ssize_t n = ::write(fd_, bytes, count);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) return failed(errno, error);
            bytes += n;
            count -= static_cast<std::size_t>(n);
        }
        return true;
    }

    // Not only into the page cache: a stick pulled after this loses nothing written so far,
    // and a stick pulled before it says so here.
    bool flush(dlg::FileError& error) override {
        if (::fdatasync(fd_) == 0 || errno == EINVAL) return true;  // EINVAL: a pipe or the like
        return failed(errno, error);
    }

    bool close(dlg::FileError& error) override {
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) == 0 || errno == EINTR) return true;
        return failed(errno, error);
    }

private:
    static bool failed(int number, dlg::FileError& error) {
        error = fileError(number);
        return false;
    }

    int fd_;
};

}  // namespace

dlg::FileError fileError(int number) {
    using dlg::FileFailure;
    FileFailure failure = FileFailure::other;
    switch (number) {
        case ENOENT:
        case ENOTDIR: failure = FileFailure::folderMissing; break;
        case EACCES:
        case EPERM:
        case EROFS: failure = FileFailure::denied; break;
        case ENOSPC:
        case EDQUOT:
        case EFBIG: failure = FileFailure::diskFull; break;
        case EIO:
        case ENODEV:
        case ENXIO:
        case ESTALE: failure = FileFailure::deviceGone; break;
        default: break;
    }
    return {failure, number};
}

std::unique_ptr<dlg::OutputFile> createOutputFile(const std::string& path, dlg::FileError& error) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        error = fileError(errno);
        return nullptr;
    }
    return std::make_unique<PosixOutputFile>(fd);
}

}  // namespace posix
