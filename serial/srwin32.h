#pragma once
// The serial library's Win32 plumbing: the overlapped open, read and write helpers, the text of the
// last system error, and the list of serial ports from the SERIALCOMM key.
#include "platform/win32/Win32Comm.h"
#include "platform/win32/Win32Registry.h"
#include "serial/srsysutils.h"

#include <string>

// The system's message text for GetLastError().
std::string LastErrorMessage();

// Opens "\\?\" + Name for overlapped reading and writing, unshared; INVALID_HANDLE_VALUE on failure.
win32::HANDLE OpenDeviceOverlapped(const std::string& Name);

// Clear the request record (keeping its event), then write / read; a call that does not complete at
// once is awaited through WaitOverlappedResult.
bool OverlappedWrite(win32::HANDLE Handle, const void* Buffer, win32::DWORD Count,
                     win32::OVERLAPPED& Request);
bool OverlappedRead(win32::HANDLE Handle, void* Buffer, win32::DWORD Count, win32::OVERLAPPED& Request,
                    win32::DWORD* Transferred = nullptr);
// Error := GetLastError; only a pending request (997) is awaited.
bool WaitOverlappedResult(win32::HANDLE Handle, win32::OVERLAPPED& Request, win32::DWORD& Transferred,
                          win32::DWORD& Error);
// A write that is not awaited: a pending write counts as done.
bool OverlappedWriteNoWait(win32::HANDLE Handle, const void* Buffer, win32::DWORD Count,
                           win32::OVERLAPPED& Request);
bool CallCancelIo(win32::HANDLE Handle);

// The SERIALCOMM ports sorted by number: "COMn=\Device\..." with WithDevice, else "COMn"; each
// entry's object is its number.
void GetSerialPortNames(TStringList& List, bool WithDevice);
void AddPortSorted(const std::string& Entry, int Number, TStringList& List);

// Reads a string value; the Win32 error code of the failing step, 0 on success.
win32::LONG RegReadString(win32::HKEY RootKey, const std::string& SubKey, const std::string& ValueName,
                          std::string& Value);

// The NUL-separated strings of a double-NUL-terminated block joined by Separator.
std::string MultiSzToString(const char* Buffer, std::size_t Size, const std::string& Separator);
