// Line settings of a tty through termios2: raw mode at open, and the DCB fields the
// program uses mapped to and from the terminal's settings.
#pragma once

#include "platform/winTypes.h"

#include <array>

namespace posix {

// A terminal's settings as they were, to be put back later.
struct SavedSettings {
    alignas(8) std::array<unsigned char, 64> bytes{};
    bool valid = false;
};
SavedSettings saveSettings(int fd);
void restoreSettings(int fd, const SavedSettings& saved);

// Raw mode, receiver on, modem control lines ignored for open/read. False on failure.
bool makeRaw(int fd);

// Fills the terminal-backed fields of dcb (the rest stay as given). False on failure.
bool readLineSettings(int fd, DCB& dcb);

// Applies dcb, then reads the settings back. ERROR_SUCCESS when the device kept every
// field that was asked; otherwise a Windows error code (87 for values out of range or a
// device that changed them, or the ioctl's error), with the earlier settings put back.
DWORD writeLineSettings(int fd, const DCB& dcb);

// Bytes per second at the current settings (at least 1), for drain-time estimates.
unsigned bytesPerSecond(int fd);

// Terminal ioctls that must come from the kernel's own termios headers.
bool flushInput(int fd);
bool flushOutput(int fd);

}  // namespace posix
