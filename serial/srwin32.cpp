#include "serial/srwin32.h"

#include <cstring>
#include <vector>

using namespace win32;

std::string LastErrorMessage() {
    return SysErrorMessage(GetLastError());
}

HANDLE OpenDeviceOverlapped(const std::string& Name) {
    const std::string path = "\\\\?\\" + Name;
    return CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                       FILE_FLAG_OVERLAPPED, nullptr);
}

namespace {
void ClearRequest(OVERLAPPED& r) {
    HANDLE ev = r.hEvent;
    r = OVERLAPPED{};
    r.hEvent = ev;
}
} // namespace

bool WaitOverlappedResult(HANDLE Handle, OVERLAPPED& Request, DWORD& Transferred, DWORD& Error) {
    Error = GetLastError();
    if (Error != ERROR_IO_PENDING) return false;
    const bool ok = GetOverlappedResult(Handle, &Request, &Transferred, TRUE) != FALSE;
    if (!ok) Error = GetLastError();
    return ok;
}

bool OverlappedWrite(HANDLE Handle, const void* Buffer, DWORD Count, OVERLAPPED& Request) {
    ClearRequest(Request);
    DWORD written = 0;
    if (WriteFile(Handle, Buffer, Count, &written, &Request)) return true;
    DWORD error = 0;
    return WaitOverlappedResult(Handle, Request, written, error);
}

bool OverlappedRead(HANDLE Handle, void* Buffer, DWORD Count, OVERLAPPED& Request, DWORD* Transferred) {
    ClearRequest(Request);
    DWORD read = 0;
    bool ok = ReadFile(Handle, Buffer, Count, &read, &Request) != FALSE;
    if (!ok) {
        DWORD error = 0;
        ok = WaitOverlappedResult(Handle, Request, read, error);
    }
    if (Transferred) *Transferred = ok ? read : 0;
    return ok;
}

bool OverlappedWriteNoWait(HANDLE Handle, const void* Buffer, DWORD Count, OVERLAPPED& Request) {
    ClearRequest(Request);
    DWORD written = 0;
    if (WriteFile(Handle, Buffer, Count, &written, &Request)) return true;
    return GetLastError() == ERROR_IO_PENDING;
}

bool CallCancelIo(HANDLE Handle) {
    return CancelIo(Handle) != FALSE;
}

void AddPortSorted(const std::string& Entry, int Number, TStringList& List) {
    if (List.IndexOf(Entry) >= 0) return;
    if (List.Count() == 0 || List.Objects(List.Count() - 1) < Number) {
        List.Add(Entry, Number);
        return;
    }
    for (int i = 0; i < List.Count(); ++i)
        if (List.Objects(i) > Number) {
            List.Insert(i, Entry, Number);
            return;
        }
    // The number is already listed: the first entry keeps it.
}

void GetSerialPortNames(TStringList& List, bool WithDevice) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) != 0) return;
    TStringList names; // the port names already taken
    for (DWORD index = 0;; ++index) {
        char valueName[260];
        BYTE data[260];
        DWORD nameSize = sizeof valueName, dataSize = sizeof data - 1, type = 0;
        if (RegEnumValueA(key, index, valueName, &nameSize, nullptr, &type, data, &dataSize) != 0) break;
        data[dataSize] = 0;
        const std::string port = UpperCaseA(TrimA(std::string(reinterpret_cast<char*>(data))));
        if (port.compare(0, 3, "COM") != 0 || names.IndexOf(port) >= 0) continue;
        const std::string digits = port.substr(3);
        if (digits.empty() || digits.size() > 9 ||
            digits.find_first_not_of("0123456789") != std::string::npos)
            continue;
        const int number = std::stoi(digits);
        names.Add(port);
        AddPortSorted(WithDevice ? port + "=" + valueName : port, number, List);
    }
    RegCloseKey(key);
}

LONG RegReadString(HKEY RootKey, const std::string& SubKey, const std::string& ValueName,
                   std::string& Value) {
    HKEY key = nullptr;
    LONG r = RegOpenKeyExA(RootKey, SubKey.c_str(), 0, KEY_READ, &key);
    if (r != 0) return r;
    DWORD size = 0, type = 0;
    r = RegQueryValueExA(key, ValueName.c_str(), nullptr, &type, nullptr, &size);
    if (r == 0) {
        std::vector<BYTE> data(size + 1);
        if (RegQueryValueExA(key, ValueName.c_str(), nullptr, &type, data.data(), &size) == 0) {
            Value.assign(reinterpret_cast<char*>(data.data()), size);
            if (type == REG_SZ && !Value.empty() && Value.back() == '\0') Value.pop_back();
        } else {
            Value.clear();
        }
    }
    RegCloseKey(key);
    return r;
}

std::string MultiSzToString(const char* Buffer, std::size_t Size, const std::string& Separator) {
    std::string out;
    std::size_t i = 0;
    bool first = true;
    while (Buffer && i < Size && Buffer[i] != '\0') {
        const std::size_t start = i;
        while (i < Size && Buffer[i] != '\0')
            ++i;
        if (!first) out += Separator;
        out.append(Buffer + start, i - start);
        first = false;
        ++i;
    }
    return out;
}
