// termios2 lives in the kernel's headers, which clash with the C library's <termios.h> and
// <sys/ioctl.h>; this file therefore uses only the kernel's and declares ioctl itself.
#include "serial/posix_tty.h"

#include <asm/termios.h>
#include <linux/serial.h>

#include "serial/line_settings.h"

extern "C" int ioctl(int fd, unsigned long request, ...) noexcept;

namespace korv::posix_tty {

bool configureLine(int fd, LineReport& report) {
    struct termios2 tio {};
    if (ioctl(fd, TCGETS2, &tio) != 0) return false;
    tio.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF |
                     IXANY | INPCK | IGNPAR);
    tio.c_oflag &= ~OPOST;
    tio.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    tio.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS | HUPCL | CBAUD | (CBAUD << IBSHIFT));
    tio.c_cflag |= CS8 | CREAD | CLOCAL | BOTHER | (BOTHER << IBSHIFT);
    tio.c_ispeed = line::kBaudRate;
    tio.c_ospeed = line::kBaudRate;
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    if (ioctl(fd, TCSETS2, &tio) != 0) return false;

    struct termios2 readBack {};
    if (ioctl(fd, TCGETS2, &readBack) == 0) {
        report.rateReadBack = readBack.c_ospeed == readBack.c_ispeed ? readBack.c_ospeed : 0;
    }

    int lines = TIOCM_DTR | TIOCM_RTS;
    report.modemLinesOff = ioctl(fd, TIOCMBIC, &lines) == 0;

    struct serial_struct serial {};
    if (ioctl(fd, TIOCGSERIAL, &serial) == 0) {
        serial.flags |= ASYNC_LOW_LATENCY;
        report.lowLatency = ioctl(fd, TIOCSSERIAL, &serial) == 0;
    }
    return true;
}

bool flushBoth(int fd) { return ioctl(fd, TCFLSH, TCIOFLUSH) == 0; }

void setExclusive(int fd, bool on) { ioctl(fd, on ? TIOCEXCL : TIOCNXCL); }

bool hasKnownUart(int fd) {
    struct serial_struct serial {};
    return ioctl(fd, TIOCGSERIAL, &serial) == 0 && serial.type != PORT_UNKNOWN;
}

}  // namespace korv::posix_tty
