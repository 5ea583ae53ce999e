#include "platform/posix/objects.h"

#include <cerrno>
#include <cstdint>
#include <mutex>
#include <unordered_map>

namespace posix {
namespace {

std::mutex tableMutex;
std::unordered_map<HANDLE, std::shared_ptr<Object>> table;
std::uintptr_t nextHandle = 0x100;  // clear of null and of small integers

thread_local DWORD threadLastError = 0;
thread_local SystemError threadSystemError;

}  // namespace

HANDLE addObject(std::shared_ptr<Object> object) {
    std::lock_guard lock(tableMutex);
    const auto handle = reinterpret_cast<HANDLE>(nextHandle);
    nextHandle += 4;
    table.emplace(handle, std::move(object));
    return handle;
}

std::shared_ptr<Object> findObject(HANDLE handle) {
    std::lock_guard lock(tableMutex);
    const auto found = table.find(handle);
    return found == table.end() ? nullptr : found->second;
}

std::shared_ptr<Object> removeObject(HANDLE handle) {
    std::lock_guard lock(tableMutex);
    const auto found = table.find(handle);
    if (found == table.end()) return nullptr;
    auto object = std::move(found->second);
    table.erase(found);
    return object;
}

DWORD lastError() { return threadLastError; }
void setLastError(DWORD error) { threadLastError = error; }

SystemError lastSystemError() { return threadSystemError; }

DWORD errorFromErrno(int error, const char* call) {
    if (error != 0) threadSystemError = {error, call};
    switch (error) {
        case 0: return ERROR_SUCCESS;
        case ENOENT:
        case ENOTDIR:
        case ENODEV:
        case ENXIO: return ERROR_FILE_NOT_FOUND;
        case EACCES:
        case EPERM:
        case EBUSY: return ERROR_ACCESS_DENIED;
        case EBADF: return ERROR_INVALID_HANDLE;
        case EMFILE:
        case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
        case EAGAIN:  // out of threads or other resources; a port in use is EBUSY
        case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
        case EINVAL: return ERROR_INVALID_PARAMETER;
        case ENOTTY: return ERROR_INVALID_FUNCTION;
        case EIO: return ERROR_BAD_COMMAND;
        case ETIMEDOUT: return ERROR_TIMEOUT;
        default: return ERROR_GEN_FAILURE;
    }
}

}  // namespace posix
