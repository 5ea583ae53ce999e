// A scripted platform for port discovery: the OS version, device interfaces with
// their properties, a registry tree and the ports that can be opened. It installs
// itself into the operations table for its lifetime and counts every set, key and
// handle it hands out and takes back.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "tests/support/scopedOsApi.h"

class FakeDiscovery {
public:
    struct Device {
        std::string path;
        std::optional<std::string> friendlyName, description, location;  // nullopt: the read fails
    };
    struct Key {
        std::string name;
        std::map<std::string, std::string> values;
        std::vector<std::unique_ptr<Key>> children;  // stable addresses: open keys point at them
        bool openFails = false;
        Key& child(const std::string& childName);  // adds it at the end when missing
    };

    FakeDiscovery();
    ~FakeDiscovery();
    FakeDiscovery(const FakeDiscovery&) = delete;
    FakeDiscovery& operator=(const FakeDiscovery&) = delete;

    // The version
    bool versionFails = false;
    DWORD majorVersion = 6;
    DWORD platformId = VER_PLATFORM_WIN32_NT;

    // The device interfaces
    std::vector<Device> devices;
    bool classDevsFails = false;
    int enumFailsAt = -1;    // this member index fails with error 5
    int detailFailsAt = -1;  // this member's detail read fails with error 31

    // The registry: the children of HKEY_LOCAL_MACHINE ("Enum" and below)
    Key machine;

    // Device paths that CreateFileA can open
    std::set<std::string> openable;

    // What was handed out and taken back
    int setsCreated = 0, setsDestroyed = 0;
    int keysOpened = 0, keysClosed = 0;
    int handlesOpened = 0, handlesClosed = 0;
    std::vector<std::string> openAttempts;

    bool balanced() const {
        return setsCreated == setsDestroyed && keysOpened == keysClosed && handlesOpened == handlesClosed;
    }

private:
    ScopedOsApi api_;
};
