#include "platform/posix/portNames.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace posix {

std::string virtualPortFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && *runtime != '\0') return std::string(runtime) + "/korvane/ports";
    return "/tmp/korvane-" + std::to_string(getuid()) + "/ports";
}

std::string fixedComDevice(int n) {
    static const char* const families[] = {"ttyS", "ttyUSB", "ttyACM", "ttyAMA"};
    if (n < 1 || n > 128) return {};
    return std::string("/dev/") + families[(n - 1) / 32] + std::to_string((n - 1) % 32);
}

std::optional<int> comPortNumber(const std::string& name) {
    std::string_view rest = name;
    if (rest.starts_with("\\\\.\\")) rest.remove_prefix(4);
    if (rest.size() < 4 || rest.size() > 7) return std::nullopt;
    for (int i = 0; i < 3; ++i)
        if ((rest[i] & ~0x20) != "COM"[i]) return std::nullopt;
    rest.remove_prefix(3);
    if (rest[0] == '0') return std::nullopt;  // no leading zeros
    int n = 0;
    for (char c : rest) {
        if (c < '0' || c > '9') return std::nullopt;
        n = n * 10 + (c - '0');
    }
    if (n < 1 || n > 1024) return std::nullopt;
    return n;
}

std::string devicePathFor(const std::string& name) {
    const auto n = comPortNumber(name);
    if (!n) return name;
    const std::string link = virtualPortFolder() + "/com" + std::to_string(*n);
    std::error_code error;
    if (std::filesystem::is_symlink(link, error)) return link;  // open follows it
    return fixedComDevice(*n);
}

}  // namespace posix
