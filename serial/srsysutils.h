#pragma once
// Small system helpers of the serial library: the string list with objects that the port lists
// are built in, and what the platform's serial driver does by itself.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A list of strings, each with an associated object (a number or a pointer), as the class library's
// string list: port lists carry the port number or the device as the object.
class TStringList {
  public:
    struct Item {
        std::string Str;
        std::intptr_t Obj = 0;
    };

    int Count() const { return static_cast<int>(items_.size()); }
    const std::string& Strings(int i) const { return items_.at(static_cast<std::size_t>(i)).Str; }
    std::intptr_t Objects(int i) const { return items_.at(static_cast<std::size_t>(i)).Obj; }
    template <class T> T* ObjectAs(int i) const { return reinterpret_cast<T*>(Objects(i)); }
    int Add(const std::string& s, std::intptr_t obj = 0);
    void Insert(int index, const std::string& s, std::intptr_t obj = 0);
    void Delete(int index);
    // Case-insensitive, as the class library's lists compare.
    int IndexOf(const std::string& s) const;
    // The value part of the first "name=value" entry whose name is `name`.
    std::string Values(const std::string& name) const;
    void Clear() { items_.clear(); }
    std::vector<std::string> Texts() const;

  private:
    std::vector<Item> items_;
};

// True when the serial driver toggles RTS around transmissions by itself (RTS_CONTROL_TOGGLE).
// The Linux tty layer does not (only a few UART drivers with RS-485 support could), so the
// component raises and drops RTS itself.
bool DriverTogglesRts();

// Upper-case and trimmed copies of ASCII text.
std::string UpperCaseA(std::string s);
std::string TrimA(const std::string& s);
