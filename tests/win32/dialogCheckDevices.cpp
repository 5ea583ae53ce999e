// Hot-plug notices: which WM_DEVICECHANGE messages tell of serial ports, and what the logic of
// a window of its own hears of them on the UI thread: nothing before watchDevices, then one
// devicesChanged per burst. Every one is answered TRUE, which grants the queries among them.
// Then the real main window's port list following a port that comes and goes.
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include <windows.h>
#include <dbt.h>

#include "platform/win32/deviceNotifications.h"
#include "platform/win32/win32Dialog.h"
#include "resources/dialogs.h"
#include "resources/resourceIds.h"
#include "tests/win32/dialogCheck.h"

namespace dialogCheck {

namespace {

constexpr GUID comPortClass = {0x86E0D1E0, 0x8089, 0x11D0, {0x9C, 0xE4, 0x08, 0x00, 0x3E, 0x30, 0x1F, 0x73}};
constexpr GUID hidClass = {0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};

// A broadcast record as the system sends it: a header, then a name; the size counts both.
std::vector<DWORD> record(DWORD type, const GUID* interfaceClass, const wchar_t* name) {
    const std::size_t header = interfaceClass != nullptr ? offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name)
                                                         : offsetof(DEV_BROADCAST_PORT_W, dbcp_name);
    const std::size_t size = header + (std::wcslen(name) + 1) * sizeof(wchar_t);
    std::vector<DWORD> words((size + 3) / 4);
    auto* bytes = reinterpret_cast<char*>(words.data());
    const DEV_BROADCAST_HDR start{static_cast<DWORD>(size), type, 0};
    std::memcpy(bytes, &start, sizeof start);
    if (interfaceClass != nullptr)
        std::memcpy(bytes + offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_classguid), interfaceClass, sizeof(GUID));
    std::memcpy(bytes + header, name, (std::wcslen(name) + 1) * sizeof(wchar_t));
    return words;
}

struct Notice {
    const char* name;
    WPARAM event;
    std::vector<DWORD> data;  // empty: lParam 0
    bool serial;              // tells of serial ports
    LPARAM lParam() const { return data.empty() ? 0 : reinterpret_cast<LPARAM>(data.data()); }
};

const wchar_t adapter[] = L"\\\\?\\FTDIBUS#VID_0403+PID_6001+A1B2C3#0000#{86e0d1e0-8089-11d0-9ce4-08003e301f73}";

const Notice notices[] = {
    {"the device tree changed", DBT_DEVNODES_CHANGED, {}, true},
    {"a port interface arrived", DBT_DEVICEARRIVAL, record(DBT_DEVTYP_DEVICEINTERFACE, &comPortClass, adapter), true},
    {"a port interface went", DBT_DEVICEREMOVECOMPLETE, record(DBT_DEVTYP_DEVICEINTERFACE, &comPortClass, adapter), true},
    {"a port arrived", DBT_DEVICEARRIVAL, record(DBT_DEVTYP_PORT, nullptr, L"COM9"), true},
    {"a port went", DBT_DEVICEREMOVECOMPLETE, record(DBT_DEVTYP_PORT, nullptr, L"COM9"), true},
    {"a HID interface arrived", DBT_DEVICEARRIVAL, record(DBT_DEVTYP_DEVICEINTERFACE, &hidClass, L"\\\\?\\HID#1"), false},
    {"a volume arrived", DBT_DEVICEARRIVAL, record(DBT_DEVTYP_VOLUME, nullptr, L""), false},
    {"an arrival without a record", DBT_DEVICEARRIVAL, {}, false},
    {"may a port interface go", DBT_DEVICEQUERYREMOVE, record(DBT_DEVTYP_DEVICEINTERFACE, &comPortClass, adapter), false},
    {"may the configuration change", DBT_QUERYCHANGECONFIG, {}, false},
};

void checkWhichNoticesCount() {
    for (const Notice& n : notices) {
        const bool serial = win32::isSerialDeviceChange(n.event, n.lParam());
        CHECK(serial == n.serial);
        if (serial != n.serial) std::printf("  %s: %s\n", n.name, serial ? "counts" : "does not count");
    }
}

// Rounds of notices, each sent at once, then the announcements the logic has heard in all.
struct Round {
    bool watchFirst;
    bool allNotices;  // else the device tree's change alone
    int announced;
};
const Round rounds[] = {{false, true, 0}, {true, true, 1}, {false, false, 2}};

// The logic's side. Between polls the quiet time ends many times over, so an announcement
// that should not come has come by the next poll; one that should is waited for.
class DeviceChecks final : public dlg::DialogEvents {
public:
    bool onInitDialog(dlg::DialogHost& host) override {
        host_ = &host;
        host.setTimer(pollTimer, 1);
        return true;
    }
    dlg::EventResult onEvent(const dlg::DialogEvent& event) override {
        if (event.kind == dlg::EventKind::devicesChanged) {
            ++announced_;
            return {};
        }
        if (event.kind != dlg::EventKind::timer || event.id != pollTimer) return dlg::EventResult::defaultProcessing();
        if (round_ >= 0) {
            const int expected = rounds[round_].announced;
            if (announced_ < expected && GetTickCount64() < deadline_) return {};
            CHECK(announced_ == expected);
            if (announced_ != expected) std::printf("  round %d: %d announcements\n", round_ + 1, announced_);
        }
        if (++round_ == static_cast<int>(std::size(rounds))) {
            host_->killTimer(pollTimer);
            host_->endDialog(dlg::idOk);
            return {};
        }
        startRound(rounds[round_]);
        return {};
    }
    void onOk() override {}
    void onCancel() override {}

private:
    static constexpr int pollTimer = 1;

    void startRound(const Round& round) {
        if (round.watchFirst) host_->watchDevices();
        HWND window = static_cast<win32::Win32Dialog*>(host_)->window();
        const int before = announced_;
        for (const Notice& n : notices) {
            if (!round.allNotices && n.event != DBT_DEVNODES_CHANGED) continue;
            CHECK(SendMessageW(window, WM_DEVICECHANGE, n.event, n.lParam()) == TRUE);
        }
        CHECK(announced_ == before);  // told after the quiet time, never while the burst goes on
        deadline_ = GetTickCount64() + 60000;
        host_->setTimer(pollTimer, 5 * win32::DeviceNotifications::quietMs);
    }

    dlg::DialogHost* host_ = nullptr;
    int round_ = -1;
    int announced_ = 0;
    ULONGLONG deadline_ = 0;
};

// A serial port as Wine's device set-up calls list it: the device's key, and an interface of
// the serial-port class that names it and is linked. The device path is never opened.
const wchar_t addedDevice[] = L"System\\CurrentControlSet\\Enum\\ROOT\\PORTS\\KORVANE23";
const wchar_t addedInterface[] =
    L"System\\CurrentControlSet\\Control\\DeviceClasses\\{86e0d1e0-8089-11d0-9ce4-08003e301f73}\\"
    L"##?#ROOT#PORTS#KORVANE23#{86e0d1e0-8089-11d0-9ce4-08003e301f73}";
const wchar_t addedLink[] = L"\\\\?\\ROOT#PORTS#KORVANE23#{86e0d1e0-8089-11d0-9ce4-08003e301f73}";

bool setValue(const std::wstring& key, const wchar_t* name, const wchar_t* text) {
    const auto size = static_cast<DWORD>((std::wcslen(text) + 1) * sizeof(wchar_t));
    return RegSetKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), name, REG_SZ, text, size) == ERROR_SUCCESS;
}

bool addPort() {
    const DWORD linked = 1;
    const std::wstring reference = std::wstring(addedInterface) + L"\\#";
    return setValue(addedDevice, L"FriendlyName", L"Korvane test port (COM23)") &&
           setValue(addedDevice, L"DeviceDesc", L"Korvane test port") &&
           setValue(addedDevice, L"ClassGUID", L"{4d36e978-e325-11ce-bfc1-08002be10318}") &&  // Ports
           setValue(addedInterface, L"DeviceInstance", L"ROOT\\PORTS\\KORVANE23") &&
           setValue(reference, L"SymbolicLink", addedLink) &&
           RegSetKeyValueW(HKEY_LOCAL_MACHINE, (reference + L"\\Control").c_str(), L"Linked", REG_DWORD, &linked,
                           sizeof linked) == ERROR_SUCCESS;
}

void removePort() {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, addedInterface);
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, addedDevice);
}

bool listsPort(HWND window) {
    return SendMessageW(GetDlgItem(window, IDC_PORT), CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                        reinterpret_cast<LPARAM>(L"COM23")) != CB_ERR;
}

}  // namespace

// The port list of the real main window, its port closed, follows a port that comes and goes:
// the device set-up calls list it, then the system's notice of it reaches the window.
void checkPortListFollows(HWND window) {
    removePort();  // one a failed run left
    const std::vector<DWORD> notice = record(DBT_DEVTYP_DEVICEINTERFACE, &comPortClass, addedLink);
    const auto data = reinterpret_cast<LPARAM>(notice.data());
    CHECK(!listsPort(window));
    CHECK(addPort());
    SendMessageW(window, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, data);
    CHECK(waitFor([&] { return listsPort(window); }));
    removePort();
    SendMessageW(window, WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, data);
    CHECK(waitFor([&] { return !listsPort(window); }));
}

void checkDeviceNotices() {
    checkWhichNoticesCount();
    DeviceChecks checks;
    CHECK(win32::Win32Dialog::run(mainDialogTemplate, checks, nullptr) == dlg::idOk);
}

}  // namespace dialogCheck
