// Which Linux device a Windows port name such as "\\.\COM12" stands for.
//
// Fixed rule: ttyS0..31 are COM1..32, ttyUSB0..31 COM33..64, ttyACM0..31 COM65..96,
// ttyAMA0..31 COM97..128. A symbolic link comN in the virtual-port folder adds or
// overrides COMn; that is how the module simulator and socat-made ports appear.
#pragma once

#include <optional>
#include <string>

namespace posix {

// $XDG_RUNTIME_DIR/korvane/ports, or /tmp/korvane-$UID/ports without it.
std::string virtualPortFolder();

// The device for port n by the fixed rule, or empty for numbers outside it.
std::string fixedComDevice(int n);

// The port number in "\\.\COMn" or "COMn" (n from 1 to 1024), or nothing.
std::optional<int> comPortNumber(const std::string& name);

// The path to open for a name given to CreateFileA: a COM name is mapped (the virtual
// link first, then the fixed rule); any other name is used as it stands.
std::string devicePathFor(const std::string& name);

}  // namespace posix
