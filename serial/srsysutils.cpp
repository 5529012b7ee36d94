#include "serial/srsysutils.h"

#include <cctype>

int TStringList::Add(const std::string& s, std::intptr_t obj) {
    items_.push_back({s, obj});
    return Count() - 1;
}

void TStringList::Insert(int index, const std::string& s, std::intptr_t obj) {
    if (index < 0) index = 0;
    if (index > Count()) index = Count();
    items_.insert(items_.begin() + index, Item{s, obj});
}

void TStringList::Delete(int index) {
    if (index >= 0 && index < Count()) items_.erase(items_.begin() + index);
}

int TStringList::IndexOf(const std::string& s) const {
    const std::string u = UpperCaseA(s);
    for (int i = 0; i < Count(); ++i)
        if (UpperCaseA(items_[static_cast<std::size_t>(i)].Str) == u) return i;
    return -1;
}

std::string TStringList::Values(const std::string& name) const {
    const std::string u = UpperCaseA(name);
    for (const auto& it : items_) {
        const auto eq = it.Str.find('=');
        if (eq != std::string::npos && UpperCaseA(it.Str.substr(0, eq)) == u) return it.Str.substr(eq + 1);
    }
    return "";
}

std::vector<std::string> TStringList::Texts() const {
    std::vector<std::string> out;
    for (const auto& it : items_)
        out.push_back(it.Str);
    return out;
}

bool DriverTogglesRts() {
    return false;
}

std::string UpperCaseA(std::string s) {
    for (auto& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

std::string TrimA(const std::string& s) {
    std::size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= ' ')
        ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ')
        --e;
    return s.substr(b, e - b);
}
