// A main dialog initialised on a fake host, with the ports the fake system lists, and (on
// Linux only) one with a pseudo-terminal for a port.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/mainDialog.h"
#include "resources/dialogs.h"
#include "resources/resourceIds.h"
#include "tests/support/fakeDialogHost.h"
#include "tests/support/fakeDiscovery.h"
#ifndef _WIN32
#include "tests/support/ptyPeer.h"
#endif

struct OpenedMainDialog {
    FakeDialogToolkit toolkit;
    MainDialog dialog{toolkit};
    FakeDialogHost host{mainDialogTemplate, &toolkit};

    // Each name is one port's display name, in the order the system lists them.
    explicit OpenedMainDialog(const std::vector<std::string>& portNames = {}, bool listingFails = false) {
        FakeDiscovery system;  // only while the list is made: it stands in for the whole system
        for (std::size_t i = 0; i < portNames.size(); ++i)
            system.devices.push_back({"\\\\?\\port#" + std::to_string(i), portNames[i], "port", "PCI"});
        system.classDevsFails = listingFails;
        host.initDialog(dialog);
    }
};

#ifndef _WIN32
// The main dialog with a pseudo-terminal listed (and selected) as COMn.
struct DialogWithPort {
    PtyPeer peer;
    OpenedMainDialog opened;
    FakeDialogHost& host = opened.host;
    MainDialog& dialog = opened.dialog;

    explicit DialogWithPort(int number = 201)
        : peer(number), opened({"USB Serial Port (COM" + std::to_string(number) + ")"}) {}
    // Clicks the open button; true when the port is open afterwards.
    bool open() {
        host.click(IDC_OPEN);
        return dialog.portOpen();
    }
};
#endif

// The bytes as "41 42 " text, for readable failures.
inline std::string hexOf(const std::vector<std::uint8_t>& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (std::uint8_t b : bytes) text += {digits[b >> 4], digits[b & 15], ' '};
    return text;
}
