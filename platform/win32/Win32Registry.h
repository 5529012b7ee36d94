#pragma once
// The registry calls the serial library uses, over a small text file, and the SERIALCOMM key as a
// view of the machine's serial devices.
//
// The store: one readable text file, "registry.txt" in the user's settings folder (SettingsFolder.h);
// tests point it elsewhere with SetRegistryFolder. Sections name keys, lines hold values:
//     [HKEY_LOCAL_MACHINE\SOFTWARE\Vm415\SerialBindings]
//     "COM7"=sz:"/dev/pts/3"
//     "Settings"=hex:08,1c,00,...
//     "Count"=dword:00000007
// The file may be edited by hand. A write rewrites only the line of the value it sets or deletes (a
// new value goes at the end of its key, a new key at the end of the file); comments (";" or "#"),
// blank lines, other keys and lines the store does not understand stay byte for byte in their
// place. A line not understood is named, with its line number, once in the diagnostic log. A file
// that is there but cannot be read counts as empty for reading and is never rewritten: every write
// fails (false, ERROR_CANTWRITE), with one diagnostic line saying why.
//
// HKEY_LOCAL_MACHINE\HARDWARE\DEVICEMAP\SERIALCOMM is not stored: opening it builds a snapshot in
// which each serial device is a value "\Device\Serial<n-1>" = "COM<n>". Which devices and which n:
// - from /sys/class/tty: ttyUSB*, ttyACM*, ttyAMA*, rfcomm*, and ttyS* only when their "type" is
//   not 0 (a real UART);
// - each device keeps its COM number for good, keyed by its /dev/serial/by-id name (USB serial
//   number and interface) or, without one, its sysfs device path; a device seen for the first time
//   takes the lowest number that is free (numbers are kept in ...\Vm415\SerialNumbers);
// - explicit bindings in ...\Vm415\SerialBindings ("COM<n>" = any device path: a pseudo-terminal,
//   a by-id link) come first: their numbers are theirs, and a device they name is listed once.
#include "platform/win32/Win32Types.h"

#include <string>
#include <vector>

namespace win32 {

using HKEY = void*;
inline const HKEY HKEY_CURRENT_USER = reinterpret_cast<HKEY>(std::uintptr_t(0x80000001u));
inline const HKEY HKEY_LOCAL_MACHINE = reinterpret_cast<HKEY>(std::uintptr_t(0x80000002u));

constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;
constexpr DWORD KEY_QUERY_VALUE = 0x0001;
constexpr DWORD KEY_SET_VALUE = 0x0002;
constexpr DWORD KEY_READ = 0x20019;
constexpr DWORD KEY_WRITE = 0x20006;
constexpr DWORD KEY_ALL_ACCESS = 0xF003F;
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

LONG RegOpenKeyExA(HKEY root, const char* subKey, DWORD options, DWORD access, HKEY* result);
LONG RegCreateKeyExA(HKEY root, const char* subKey, DWORD reserved, char* keyClass, DWORD options,
                     DWORD access, void* security, HKEY* result, DWORD* disposition);
LONG RegCloseKey(HKEY key);
LONG RegQueryValueExA(HKEY key, const char* valueName, DWORD* reserved, DWORD* type, BYTE* data, DWORD* size);
LONG RegSetValueExA(HKEY key, const char* valueName, DWORD reserved, DWORD type, const BYTE* data,
                    DWORD size);
LONG RegDeleteValueA(HKEY key, const char* valueName);
LONG RegEnumValueA(HKEY key, DWORD index, char* valueName, DWORD* valueNameSize, DWORD* reserved, DWORD* type,
                   BYTE* data, DWORD* dataSize);

// The folder of the store file ("" restores the default). Returns the previous folder.
std::string SetRegistryFolder(const std::string& folder);
std::string RegistryFilePath();

// Where the machine's devices are looked for; tests build synthetic trees.
struct SerialRoots {
    std::string sysClassTty = "/sys/class/tty";
    std::string serialById = "/dev/serial/by-id";
    std::string dev = "/dev";
};
SerialRoots SetSerialRoots(const SerialRoots& roots); // returns the previous roots
SerialRoots CurrentSerialRoots();

// One serial port as the SERIALCOMM view sees it, with what sysfs tells of its device.
struct SerialPortInfo {
    int number = 0;         // n of COMn
    std::string kernelName; // "\Device\Serial<n-1>"
    std::string devicePath; // what CreateFileA opens
    std::string ttyName;    // "ttyUSB0" (empty for bindings to other paths)
    std::string identity;   // the key of its persistent number ("by-id:..." or "sysfs:...")
    bool bound = false;     // an explicit binding
    std::string product, manufacturer, serial, driver, instanceId;
};

// The current ports, sorted by number; new devices get their numbers (and the store is updated).
std::vector<SerialPortInfo> ListSerialPorts();
// The device path of COM<number>, "" when there is none.
std::string ResolveComPort(int number);
// Explicit bindings. Both return false when the store cannot be written, or cannot be read.
bool BindComPort(int number, const std::string& devicePath);
bool UnbindComPort(int number);

} // namespace win32
