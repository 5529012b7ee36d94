// Only the kernel's own termios2 definitions here: <termios.h> would clash with them.
#include "platform/win32/Win32Tty.h"

#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <linux/serial.h>

extern "C" int ioctl(int fd, unsigned long request, ...);

namespace win32::tty {

bool MakeRaw(int fd) {
    struct termios2 t {};
    if (ioctl(fd, TCGETS2, &t) != 0) return false;
    t.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY);
    t.c_oflag &= ~OPOST;
    t.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag &= ~(CSIZE | PARENB | CRTSCTS);
    t.c_cflag |= CS8 | CLOCAL | CREAD;
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    return ioctl(fd, TCSETS2, &t) == 0;
}

bool Apply(int fd, const LineSettings& s, std::uint32_t* actualBaud) {
    struct termios2 t {};
    if (ioctl(fd, TCGETS2, &t) != 0) return false;
    t.c_cflag &= ~(CBAUD | CIBAUD | CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    t.c_cflag |= BOTHER | (BOTHER << IBSHIFT) | CLOCAL | CREAD;
    t.c_ispeed = s.baud;
    t.c_ospeed = s.baud;
    switch (s.byteSize) {
    case 5:
        t.c_cflag |= CS5;
        break;
    case 6:
        t.c_cflag |= CS6;
        break;
    case 7:
        t.c_cflag |= CS7;
        break;
    default:
        t.c_cflag |= CS8;
        break;
    }
    switch (s.parity) {
    case 1:
        t.c_cflag |= PARENB | PARODD;
        break;
    case 2:
        t.c_cflag |= PARENB;
        break;
    case 3:
        t.c_cflag |= PARENB | PARODD | CMSPAR;
        break;
    case 4:
        t.c_cflag |= PARENB | CMSPAR;
        break;
    default:
        break;
    }
    if (s.stopBits != 0) t.c_cflag |= CSTOPB;
    if (s.ctsFlow) t.c_cflag |= CRTSCTS;
    t.c_iflag &= ~(IXON | IXOFF | INPCK | IGNPAR);
    if (s.parity != 0) t.c_iflag |= INPCK;
    if (s.xonOut) t.c_iflag |= IXON;
    if (s.xonIn) t.c_iflag |= IXOFF;
    t.c_cc[VSTART] = static_cast<cc_t>(s.xonChar);
    t.c_cc[VSTOP] = static_cast<cc_t>(s.xoffChar);
    if (ioctl(fd, TCSETS2, &t) != 0) return false;
    struct termios2 back {};
    if (ioctl(fd, TCGETS2, &back) != 0) return false;
    if (actualBaud) *actualBaud = back.c_ospeed;
    return true;
}

bool Flush(int fd, bool input, bool output) {
    if (!input && !output) return true;
    const int which = input && output ? TCIOFLUSH : input ? TCIFLUSH : TCOFLUSH;
    return ioctl(fd, TCFLSH, which) == 0;
}

bool FlowControl(int fd, bool suspendOutput) {
    return ioctl(fd, TCXONC, suspendOutput ? TCOOFF : TCOON) == 0;
}
bool Break(int fd, bool on) {
    return ioctl(fd, on ? TIOCSBRK : TIOCCBRK) == 0;
}
bool Drain(int fd) {
    return ioctl(fd, TCSBRK, 1) == 0;
}
bool InQueue(int fd, int* count) {
    return ioctl(fd, FIONREAD, count) == 0;
}
bool OutQueue(int fd, int* count) {
    return ioctl(fd, TIOCOUTQ, count) == 0;
}
bool ModemGet(int fd, int* lines) {
    return ioctl(fd, TIOCMGET, lines) == 0;
}

bool ModemSet(int fd, int set, int clear) {
    if (set && ioctl(fd, TIOCMBIS, &set) != 0) return false;
    if (clear && ioctl(fd, TIOCMBIC, &clear) != 0) return false;
    return true;
}

bool Counters(int fd, std::uint32_t* frame, std::uint32_t* parity, std::uint32_t* overrun,
              std::uint32_t* bufOverrun, std::uint32_t* brk) {
    struct serial_icounter_struct c {};
    if (ioctl(fd, TIOCGICOUNT, &c) != 0) return false;
    *frame = static_cast<std::uint32_t>(c.frame);
    *parity = static_cast<std::uint32_t>(c.parity);
    *overrun = static_cast<std::uint32_t>(c.overrun);
    *bufOverrun = static_cast<std::uint32_t>(c.buf_overrun);
    *brk = static_cast<std::uint32_t>(c.brk);
    return true;
}

bool Exclusive(int fd, bool on) {
    return ioctl(fd, on ? TIOCEXCL : TIOCNXCL) == 0;
}

} // namespace win32::tty
