#pragma once
// A file the program writes into (the capture of received bytes), as the platform makes it.
// Every call may block on a slow or stalled disk, so the program makes them off the UI thread.
// Hosts create them (DialogHost::createFile): platform/posix/outputFile, platform/win32/outputFile.

#include <cstddef>
#include <cstdint>

namespace dlg {

// Why a file could not be made or written, as the program tells the user.
enum class FileFailure { folderMissing, denied, diskFull, deviceGone, other };

struct FileError {
    FileFailure failure = FileFailure::other;
    std::int64_t code = 0;  // the system's own number: errno, or GetLastError
};

class OutputFile {
public:
    virtual ~OutputFile() = default;  // closes the file if close was not called
    // All count bytes at the end of the file, or false and why.
    virtual bool write(const char* bytes, std::size_t count, FileError& error) = 0;
    // What was written is handed to the disk.
    virtual bool flush(FileError& error) = 0;
    virtual bool close(FileError& error) = 0;
};

}  // namespace dlg
