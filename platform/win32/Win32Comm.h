#pragma once
// The Win32 serial-port and synchronisation calls that the serial library uses, over termios, ioctl,
// poll and eventfd. Same names, flags, structures and GetLastError codes as on Windows.
//
// What differs, by design:
// - ReadFile and WriteFile on a port always complete before they return (honouring the time-outs,
//   and cut short by PurgeComm's abort flags or CloseHandle); only WaitCommEvent stays pending. A
//   pending wait makes progress while its OVERLAPPED event is waited for (WaitForSingleObject or
//   GetOverlappedResult); SetEvent on that event wakes the waiter at once.
// - Events a device cannot report (modem lines and error counters on a pseudo-terminal) are probed
//   once at open and never raised. EV_RXFLAG is never raised.
// - A hang-up (device removed, other side of a pseudo-terminal closed) completes a pending wait
//   with mask 0 and makes the next WaitCommEvent fail with ERROR_DEVICE_NOT_CONNECTED.
#include "platform/win32/Win32Types.h"

#include <memory>
#include <string>

namespace win32 {

HANDLE CreateFileA(const char* name, DWORD access, DWORD share, void* security, DWORD disposition,
                   DWORD flags, HANDLE templ);
BOOL CloseHandle(HANDLE h);
BOOL ReadFile(HANDLE h, void* buffer, DWORD count, DWORD* read, OVERLAPPED* ov);
BOOL WriteFile(HANDLE h, const void* buffer, DWORD count, DWORD* written, OVERLAPPED* ov);
BOOL GetOverlappedResult(HANDLE h, OVERLAPPED* ov, DWORD* transferred, BOOL wait);
BOOL CancelIo(HANDLE h);

BOOL WaitCommEvent(HANDLE h, DWORD* mask, OVERLAPPED* ov);
BOOL SetCommMask(HANDLE h, DWORD mask);
BOOL GetCommMask(HANDLE h, DWORD* mask);
BOOL SetupComm(HANDLE h, DWORD inQueue, DWORD outQueue);
BOOL GetCommState(HANDLE h, DCB* dcb);
BOOL SetCommState(HANDLE h, const DCB* dcb);
BOOL GetCommTimeouts(HANDLE h, COMMTIMEOUTS* timeouts);
BOOL SetCommTimeouts(HANDLE h, const COMMTIMEOUTS* timeouts);
BOOL ClearCommError(HANDLE h, DWORD* errors, COMSTAT* stat);
BOOL PurgeComm(HANDLE h, DWORD flags);
BOOL EscapeCommFunction(HANDLE h, DWORD func);
BOOL GetCommModemStatus(HANDLE h, DWORD* status);
BOOL FlushFileBuffers(HANDLE h);
BOOL GetDefaultCommConfigA(const char* name, COMMCONFIG* config, DWORD* size);

HANDLE CreateEventA(void* security, BOOL manualReset, BOOL initialState, const char* name);
BOOL SetEvent(HANDLE h);
BOOL ResetEvent(HANDLE h);
DWORD WaitForSingleObject(HANDLE h, DWORD milliseconds);

DWORD GetLastError();
void SetLastError(DWORD code);
// The system's text for an error code, without the trailing period (as the class library gives it).
// For the thread's last error it says what the failed call knew beyond the code: a port refused for
// lack of permission is named with its owner and mode when the hint to join "dialout" would not help.
std::string SysErrorMessage(DWORD code);
DWORD GetTickCount();
void Sleep(DWORD milliseconds);

// ---- The device seam --------------------------------------------------------------------------
// Modem lines and error counters come from ioctls that pseudo-terminals lack. Tests register a
// fake for a device path; every handle opened on that path then uses it.

struct LineCounters {
    std::uint32_t frame = 0, parity = 0, overrun = 0, bufOverrun = 0, brk = 0;
    bool operator==(const LineCounters&) const = default;
};

// Modem line bits as TIOCM_* (Linux values, see LineBits below).
class LineDevice {
  public:
    virtual ~LineDevice() = default;
    // False when the device has no modem lines.
    virtual bool GetModemLines(int fd, int* lines) = 0;
    virtual bool SetModemLines(int fd, int set, int clear) = 0;
    // False when the device keeps no error counters.
    virtual bool GetCounters(int fd, LineCounters* counters) = 0;
};

namespace linebits {
constexpr int DTR = 0x002;
constexpr int RTS = 0x004;
constexpr int CTS = 0x020;
constexpr int CD = 0x040;
constexpr int RI = 0x080;
constexpr int DSR = 0x100;
} // namespace linebits

void RegisterLineDevice(const std::string& devicePath, std::shared_ptr<LineDevice> device);
void UnregisterLineDevice(const std::string& devicePath);

// The device path a handle was opened on ("" for other handles).
std::string HandleDevicePath(HANDLE h);

} // namespace win32
