// A main dialog initialised on a fake host, with the ports the fake system lists.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/mainDialog.h"
#include "resources/dialogs.h"
#include "tests/support/fakeDialogHost.h"
#include "tests/support/fakeDiscovery.h"

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
