#include "platform/posix/sysfsPorts.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>

#include "platform/posix/portNames.h"

namespace posix {
namespace fs = std::filesystem;
namespace {

// "虚拟串口" (virtual serial port) in CP936.
constexpr const char* virtualPortName = "\xD0\xE9\xC4\xE2\xB4\xAE\xBF\xDA";

std::string readLine(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r' || line.back() == ' ')) line.pop_back();
    return line;
}

// Keeps printable ASCII only: names go into CP936 texts, and USB strings are not CP936.
std::string asciiOnly(const std::string& text) {
    std::string clean;
    for (char c : text)
        if (c >= 0x20 && c < 0x7F) clean += c;
    return clean;
}

// An 8250-family port without a UART behind it (most ttyS entries on a PC). The sysfs
// "type" says so; without it, TIOCGSERIAL on a read-only, non-blocking open does, on
// the machine's own sysfs only (a test tree's names are not this machine's devices).
bool hasNoUart(const fs::path& ttyFolder, const std::string& ttyName, bool ownSysfs) {
    std::error_code error;
    if (fs::exists(ttyFolder / "type", error)) return readLine(ttyFolder / "type") == "0";
    if (!ownSysfs) return false;
    const int fd = ::open(("/dev/" + ttyName).c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return true;
    serial_struct info{};
    const bool unknown = ioctl(fd, TIOCGSERIAL, &info) != 0 || info.type == PORT_UNKNOWN;
    ::close(fd);
    return unknown;
}

struct Naming {
    std::string name;
    std::string location;
};

// The USB device folder above a tty's device (the one with idVendor), if any.
fs::path usbDeviceOf(const fs::path& device) {
    std::error_code error;
    for (fs::path p = fs::canonical(device, error); !error && p.has_relative_path(); p = p.parent_path()) {
        if (fs::exists(p / "idVendor", error)) return p;
        if (p.filename() == "devices") break;
    }
    return {};
}

std::string driverOf(const fs::path& device) {
    std::error_code error;
    for (fs::path p = fs::canonical(device, error); !error && p.has_relative_path(); p = p.parent_path()) {
        const fs::path driver = fs::read_symlink(p / "driver", error);
        if (!error && driver.filename() != "port") return driver.filename().string();
        error.clear();
        if (p.filename() == "devices") break;
    }
    return {};
}

Naming nameOf(const fs::path& ttyFolder, const std::string& ttyName) {
    const fs::path device = ttyFolder / "device";
    if (const fs::path usb = usbDeviceOf(device); !usb.empty()) {
        std::string name = asciiOnly(readLine(usb / "product"));
        if (name.empty()) {
            const std::string maker = asciiOnly(readLine(usb / "manufacturer"));
            name = maker.empty() ? "USB Serial Port" : maker + " USB Serial Port";
        }
        return {name, "USB " + usb.filename().string()};
    }
    if (ttyName.rfind("ttyS", 0) == 0) return {"Communications Port", "Serial port " + ttyName};
    const std::string driver = driverOf(device);
    return {driver.empty() ? "Serial Port" : driver, "Device " + ttyName};
}

bool allDigits(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string withCom(const std::string& name, int n) { return name + " (COM" + std::to_string(n) + ")"; }

// What CreateFileA is to open for link comN. A long folder (a long XDG_RUNTIME_DIR)
// gives the link a path the detail record cannot hold; then "\\.\COMn", when CreateFileA
// resolves it through this very link, or else the device the link points at. Empty: none fits.
std::string linkDevicePath(const fs::path& link, int n) {
    if (link.string().size() <= maxDevicePath) return link.string();
    const std::string comName = "\\\\.\\COM" + std::to_string(n);
    if (fs::path(devicePathFor(comName)).lexically_normal() == link.lexically_normal()) return comName;
    std::error_code error;
    const std::string target = fs::canonical(link, error).string();
    return !error && target.size() <= maxDevicePath ? target : std::string();
}

}  // namespace

int comNumberOfTty(const std::string& ttyName) {
    static const std::pair<const char*, int> families[] = {{"ttyUSB", 33}, {"ttyACM", 65}, {"ttyAMA", 97}, {"ttyS", 1}};
    for (const auto& [prefix, first] : families) {
        const std::string p = prefix;
        if (ttyName.rfind(p, 0) != 0) continue;
        const std::string digits = ttyName.substr(p.size());
        if (digits.empty() || digits.size() > 2 || !allDigits(digits)) return 0;
        if (digits.size() > 1 && digits[0] == '0') return 0;
        const int index = std::stoi(digits);
        return index < 32 ? first + index : 0;
    }
    return 0;
}

std::vector<SerialDevice> listSerialDevices(const std::string& sysfsRoot, const std::string& virtualFolder) {
    std::map<int, SerialDevice> byNumber;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(fs::path(sysfsRoot) / "class" / "tty", error)) {
        const std::string ttyName = entry.path().filename().string();
        const int n = comNumberOfTty(ttyName);
        if (n == 0 || !fs::exists(entry.path() / "device", error)) continue;
        if (ttyName.rfind("ttyS", 0) == 0 && hasNoUart(entry.path(), ttyName, sysfsRoot == "/sys")) continue;
        const Naming naming = nameOf(entry.path(), ttyName);
        byNumber[n] = {"/dev/" + ttyName, withCom(naming.name, n), naming.name, naming.location, n};
    }
    for (const auto& entry : fs::directory_iterator(virtualFolder, error)) {
        const std::string name = entry.path().filename().string();
        if (name.size() < 4 || name.rfind("com", 0) != 0 || !entry.is_symlink(error)) continue;
        if (!fs::exists(entry.path(), error)) continue;  // left behind by a simulator that died
        const std::string digits = name.substr(3);
        if (digits.size() > 4 || digits[0] == '0' || !allDigits(digits)) continue;
        const int n = std::stoi(digits);
        if (n < 1 || n > 1024) continue;
        std::string devicePath = linkDevicePath(entry.path(), n);
        if (devicePath.empty()) continue;
        byNumber[n] = {std::move(devicePath), withCom(virtualPortName, n), virtualPortName, "Virtual port", n};
    }
    std::vector<SerialDevice> devices;
    for (auto& [n, device] : byNumber) devices.push_back(std::move(device));
    return devices;
}

}  // namespace posix
