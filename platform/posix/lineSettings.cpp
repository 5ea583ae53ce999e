// This file talks to the kernel's termios2 interface. Its headers clash with glibc's
// <termios.h> and <sys/ioctl.h>, so neither is included here.
#include "platform/posix/lineSettings.h"

#include <asm/ioctls.h>
#include <asm/termbits.h>

#include <cerrno>
#include <cstring>

#include "platform/posix/objects.h"

extern "C" int ioctl(int fd, unsigned long request, ...);

namespace posix {
namespace {

struct Rate {
    DWORD baud;
    unsigned code;
};

constexpr Rate standardRates[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},
    {150, B150},         {200, B200},         {300, B300},         {600, B600},
    {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
    {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
    {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
    {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
    {3500000, B3500000}, {4000000, B4000000},
};

bool get(int fd, termios2& t) { return ioctl(fd, TCGETS2, &t) == 0; }

DWORD baudOf(const termios2& t) {
    const unsigned code = t.c_cflag & CBAUD;
    if (code == BOTHER) return t.c_ospeed;
    for (const Rate& r : standardRates)
        if (r.code == code) return r.baud;
    return 0;
}

void setBaud(termios2& t, DWORD baud) {
    t.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
    unsigned code = BOTHER;
    for (const Rate& r : standardRates)
        if (r.baud == baud) code = r.code;
    t.c_cflag |= code;
    t.c_ispeed = t.c_ospeed = baud;
}

constexpr unsigned sizeFlags[] = {CS5, CS6, CS7, CS8};

// The settings a DCB asks for, applied to t.
void apply(const DCB& dcb, termios2& t) {
    setBaud(t, dcb.BaudRate);
    t.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    t.c_cflag |= sizeFlags[dcb.ByteSize - 5] | CREAD | CLOCAL;
    switch (dcb.Parity) {
    case ODDPARITY: t.c_cflag |= PARENB | PARODD; break;
    case EVENPARITY: t.c_cflag |= PARENB; break;
    case MARKPARITY: t.c_cflag |= PARENB | CMSPAR | PARODD; break;
    case SPACEPARITY: t.c_cflag |= PARENB | CMSPAR; break;
    default: break;
    }
    if (dcb.Parity != NOPARITY) t.c_iflag |= INPCK;
    else t.c_iflag &= ~INPCK;
    if (dcb.StopBits == TWOSTOPBITS) t.c_cflag |= CSTOPB;
    if (dcb.fOutxCtsFlow || dcb.fRtsControl == RTS_CONTROL_HANDSHAKE) t.c_cflag |= CRTSCTS;
    t.c_iflag &= ~(IXON | IXOFF | IXANY);
    if (dcb.fOutX) t.c_iflag |= IXON;
    if (dcb.fInX) t.c_iflag |= IXOFF;
    t.c_cc[VSTART] = static_cast<cc_t>(dcb.XonChar);
    t.c_cc[VSTOP] = static_cast<cc_t>(dcb.XoffChar);
}

// The fields that decide whether the device kept what was asked.
bool sameSettings(const termios2& a, const termios2& b) {
    constexpr unsigned cflags = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS;
    constexpr unsigned iflags = IXON | IXOFF;
    return (a.c_cflag & cflags) == (b.c_cflag & cflags) && (a.c_iflag & iflags) == (b.c_iflag & iflags) &&
           baudOf(a) == baudOf(b);
}

}  // namespace

static_assert(sizeof(termios2) <= sizeof(SavedSettings::bytes));

SavedSettings saveSettings(int fd) {
    SavedSettings saved;
    termios2 t{};
    if (get(fd, t)) {
        std::memcpy(saved.bytes.data(), &t, sizeof t);
        saved.valid = true;
    }
    return saved;
}

void restoreSettings(int fd, const SavedSettings& saved) {
    if (!saved.valid) return;
    termios2 t{};
    std::memcpy(&t, saved.bytes.data(), sizeof t);
    ioctl(fd, TCSETS2, &t);
}

bool makeRaw(int fd) {
    termios2 t{};
    if (!get(fd, t)) return false;
    t.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY);
    t.c_oflag &= ~OPOST;
    t.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag |= CREAD | CLOCAL;
    // VMIN 1: a non-blocking read with nothing there fails with EAGAIN instead of
    // returning 0, so 0 always means the line hung up.
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    return ioctl(fd, TCSETS2, &t) == 0;
}

bool readLineSettings(int fd, DCB& dcb) {
    termios2 t{};
    if (!get(fd, t)) return false;
    dcb.DCBlength = sizeof(DCB);
    dcb.BaudRate = baudOf(t);
    dcb.fBinary = 1;
    switch (t.c_cflag & CSIZE) {
    case CS5: dcb.ByteSize = 5; break;
    case CS6: dcb.ByteSize = 6; break;
    case CS7: dcb.ByteSize = 7; break;
    default: dcb.ByteSize = 8; break;
    }
    dcb.fParity = (t.c_cflag & PARENB) ? 1 : 0;
    if (!(t.c_cflag & PARENB)) dcb.Parity = NOPARITY;
    else if (t.c_cflag & CMSPAR) dcb.Parity = (t.c_cflag & PARODD) ? MARKPARITY : SPACEPARITY;
    else dcb.Parity = (t.c_cflag & PARODD) ? ODDPARITY : EVENPARITY;
    dcb.StopBits = (t.c_cflag & CSTOPB) ? TWOSTOPBITS : ONESTOPBIT;
    const bool handshake = (t.c_cflag & CRTSCTS) != 0;
    dcb.fOutxCtsFlow = handshake ? 1 : 0;
    if (handshake) dcb.fRtsControl = RTS_CONTROL_HANDSHAKE;
    else if (dcb.fRtsControl == RTS_CONTROL_HANDSHAKE) dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fOutX = (t.c_iflag & IXON) ? 1 : 0;
    dcb.fInX = (t.c_iflag & IXOFF) ? 1 : 0;
    dcb.XonChar = static_cast<char>(t.c_cc[VSTART]);
    dcb.XoffChar = static_cast<char>(t.c_cc[VSTOP]);
    return true;
}

DWORD writeLineSettings(int fd, const DCB& dcb) {
    if (dcb.BaudRate == 0 || dcb.ByteSize < 5 || dcb.ByteSize > 8 || dcb.Parity > SPACEPARITY ||
        (dcb.StopBits != ONESTOPBIT && dcb.StopBits != TWOSTOPBITS))
        return ERROR_INVALID_PARAMETER;
    termios2 before{};
    if (!get(fd, before)) return errorFromErrno(errno, "ioctl(TCGETS2)");
    termios2 asked = before;
    apply(dcb, asked);
    if (ioctl(fd, TCSETS2, &asked) != 0) return errorFromErrno(errno, "ioctl(TCSETS2)");
    termios2 kept{};
    if (get(fd, kept) && sameSettings(asked, kept)) return ERROR_SUCCESS;
    ioctl(fd, TCSETS2, &before);  // not kept: as it was
    return ERROR_INVALID_PARAMETER;
}

unsigned bytesPerSecond(int fd) {
    termios2 t{};
    if (!get(fd, t)) return 1;
    const DWORD baud = baudOf(t);
    return baud >= 10 ? baud / 10 : 1;
}

bool flushInput(int fd) { return ioctl(fd, TCFLSH, TCIFLUSH) == 0; }
bool flushOutput(int fd) { return ioctl(fd, TCFLSH, TCOFLUSH) == 0; }

}  // namespace posix
