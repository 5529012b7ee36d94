#pragma once
// Thin wrappers over the tty ioctls, kept in their own unit because the kernel's termios2 header
// cannot share a unit with <termios.h>.
#include <cstdint>

namespace win32::tty {

struct LineSettings {
    std::uint32_t baud = 9600;
    int byteSize = 8; // 5..8
    int parity = 0;   // NOPARITY..SPACEPARITY
    int stopBits = 0; // ONESTOPBIT, ONE5STOPBITS, TWOSTOPBITS
    bool ctsFlow = false;
    bool xonOut = false, xonIn = false;
    char xonChar = 17, xoffChar = 19;
};

// Raw mode, CLOCAL | CREAD, current speed kept. False (errno set) when the fd is not a tty.
bool MakeRaw(int fd);
// Applies the settings; the speed through BOTHER, read back into *actualBaud. False with errno.
bool Apply(int fd, const LineSettings& settings, std::uint32_t* actualBaud);
bool Flush(int fd, bool input, bool output);
bool FlowControl(int fd, bool suspendOutput); // TCXONC: TCOOFF / TCOON
bool Break(int fd, bool on);
bool Drain(int fd);
bool InQueue(int fd, int* count);
bool OutQueue(int fd, int* count);
bool ModemGet(int fd, int* lines);
bool ModemSet(int fd, int set, int clear); // atomic TIOCMBIS / TIOCMBIC
bool Counters(int fd, std::uint32_t* frame, std::uint32_t* parity, std::uint32_t* overrun,
              std::uint32_t* bufOverrun, std::uint32_t* brk);
bool Exclusive(int fd, bool on);

} // namespace win32::tty
