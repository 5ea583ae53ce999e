#include "platform/win32/outputFile.h"

namespace win32 {

namespace {

std::wstring wide(const std::string& utf8) {
    const int count = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring text(static_cast<std::size_t>(count), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), text.data(), count);
    return text;
}

class Win32OutputFile : public dlg::OutputFile {
public:
    explicit Win32OutputFile(HANDLE file) : file_(file) {}
    ~Win32OutputFile() override {
        if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
    }
    Win32OutputFile(const Win32OutputFile&) = delete;
    Win32OutputFile& operator=(const Win32OutputFile&) = delete;

    bool write(const char* bytes, std::size_t count, dlg::FileError& error) override {
        while (count > 0) {
            const DWORD piece = count > (1u << 30) ? (1u << 30) : static_cast<DWORD>(count);
            DWORD written = 0;
            if (!WriteFile(file_, bytes, piece, &written, nullptr)) return failed(error);
            if (written == 0) return failed(error, ERROR_DISK_FULL);
            bytes += written;
            count -= written;
        }
        return true;
    }

    bool flush(dlg::FileError& error) override { return FlushFileBuffers(file_) || failed(error); }

    bool close(dlg::FileError& error) override {
        const HANDLE file = file_;
        file_ = INVALID_HANDLE_VALUE;
        return CloseHandle(file) || failed(error);
    }

private:
    static bool failed(dlg::FileError& error, DWORD code = GetLastError()) {
        error = fileError(code);
        return false;
    }

    HANDLE file_;
};

}  // namespace

dlg::FileError fileError(DWORD code) {
    using dlg::FileFailure;
    FileFailure failure = FileFailure::other;
    switch (code) {
        case ERROR_PATH_NOT_FOUND:
        case ERROR_FILE_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH: failure = FileFailure::folderMissing; break;
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
        case ERROR_SHARING_VIOLATION: failure = FileFailure::denied; break;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL: failure = FileFailure::diskFull; break;
        case ERROR_DEV_NOT_EXIST:
        case ERROR_NOT_READY:
        case ERROR_NETNAME_DELETED:
        case ERROR_UNEXP_NET_ERR:
        case ERROR_GEN_FAILURE: failure = FileFailure::deviceGone; break;
        default: break;
    }
    return {failure, static_cast<std::int64_t>(code)};
}

std::unique_ptr<dlg::OutputFile> createOutputFile(const std::string& path, dlg::FileError& error) {
    const HANDLE file = CreateFileW(wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = fileError(GetLastError());
        return nullptr;
    }
    return std::make_unique<Win32OutputFile>(file);
}

}  // namespace win32
