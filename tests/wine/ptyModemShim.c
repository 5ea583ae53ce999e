/* Preloaded into Wine by tests/wine/wine-run: gives pseudo-terminal slaves the modem lines
 * that Wine's serial layer asks for. A pty has none, so Wine fails WaitCommEvent at once
 * (error 50) when the mask holds modem events, and a Windows program that waits for them,
 * as ours does, never receives a byte. Here a pty slave answers TIOCMGET with CTS, DSR and
 * DCD on and keeps what TIOCMSET/TIOCMBIS/TIOCMBIC set for DTR and RTS. Every other
 * descriptor and request goes to the real ioctl. Test support only; never shipped. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdarg.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>

/* Unix98 pty slaves are character devices with majors 136 to 143. */
static int isPtySlave(int fd) {
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) return 0;
    return major(st.st_rdev) >= 136 && major(st.st_rdev) <= 143;
}

static int outputLines = TIOCM_DTR | TIOCM_RTS;
static const int inputLines = TIOCM_CTS | TIOCM_DSR | TIOCM_CAR;

int ioctl(int fd, unsigned long request, ...) {
    static int (*realIoctl)(int, unsigned long, ...);
    if (!realIoctl) realIoctl = (int (*)(int, unsigned long, ...))dlsym(RTLD_NEXT, "ioctl");
    va_list args;
    va_start(args, request);
    void* argument = va_arg(args, void*);
    va_end(args);

    if ((request == TIOCMGET || request == TIOCMSET || request == TIOCMBIS || request == TIOCMBIC) &&
        isPtySlave(fd)) {
        int* lines = (int*)argument;
        const int settable = TIOCM_DTR | TIOCM_RTS;
        switch (request) {
        case TIOCMGET: *lines = __atomic_load_n(&outputLines, __ATOMIC_RELAXED) | inputLines; break;
        case TIOCMSET: __atomic_store_n(&outputLines, *lines & settable, __ATOMIC_RELAXED); break;
        case TIOCMBIS: __atomic_fetch_or(&outputLines, *lines & settable, __ATOMIC_RELAXED); break;
        case TIOCMBIC: __atomic_fetch_and(&outputLines, ~(*lines & settable), __ATOMIC_RELAXED); break;
        }
        return 0;
    }
    return realIoctl(fd, request, argument);
}
