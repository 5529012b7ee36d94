#include "platform/win32/Win32Registry.h"

#include "platform/diag/Diagnostica.h"
#include "platform/fs/ReadFile.h"
#include "platform/fs/SafeFile.h"
#include "platform/fs/SettingsFolder.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <set>
#include <sstream>
#include <unordered_map>

namespace win32 {
namespace {

namespace fs = std::filesystem;

constexpr const char* kSerialCommPath = "HKEY_LOCAL_MACHINE\\HARDWARE\\DEVICEMAP\\SERIALCOMM";
constexpr const char* kNumbersPath = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Vm415\\SerialNumbers";
constexpr const char* kBindingsPath = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Vm415\\SerialBindings";

struct Value {
    std::string name;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

struct KeyData {
    std::string path;
    std::vector<Value> values;
};

using Store = std::map<std::string, KeyData>; // by upper-cased path

struct OpenKey {
    std::string path;
    bool serialComm = false;
    std::vector<Value> snapshot; // the SERIALCOMM view as it was when opened
};

std::recursive_mutex storeMutex;
std::string storeFolder;
SerialRoots roots;
std::unordered_map<std::uintptr_t, OpenKey> openKeys;
std::uintptr_t nextKey = 0x10000000u;

std::string Upper(std::string s) {
    for (auto& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

bool IEquals(const std::string& a, const std::string& b) {
    return Upper(a) == Upper(b);
}

std::string Folder() {
    std::string f = storeFolder.empty() ? platform::SettingsFolder() : storeFolder;
    if (f.back() != '/') f += '/';
    return f;
}

// ---- The text file -------------------------------------------------------------------------------

std::string Quote(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x7F) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02x", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Reads a quoted string at s[pos]; pos moves past it. False when malformed.
bool Unquote(const std::string& s, std::size_t& pos, std::string& out) {
    if (pos >= s.size() || s[pos] != '"') return false;
    ++pos;
    out.clear();
    while (pos < s.size()) {
        char c = s[pos++];
        if (c == '"') return true;
        if (c != '\\') {
            out += c;
            continue;
        }
        if (pos >= s.size()) return false;
        c = s[pos++];
        if (c == 'x') {
            if (pos + 2 > s.size()) return false;
            const int hi = HexDigit(s[pos]), lo = HexDigit(s[pos + 1]);
            if (hi < 0 || lo < 0) return false;
            out += static_cast<char>(hi * 16 + lo);
            pos += 2;
        } else {
            out += c;
        }
    }
    return false;
}

std::string FormatValue(const Value& v) {
    std::ostringstream o;
    o << Quote(v.name) << '=';
    if (v.type == REG_SZ) {
        std::string text(v.data.begin(), v.data.end());
        if (!text.empty() && text.back() == '\0') text.pop_back();
        o << "sz:" << Quote(text);
    } else if (v.type == REG_DWORD && v.data.size() == 4) {
        char buf[16];
        const std::uint32_t d =
            v.data[0] | (v.data[1] << 8) | (v.data[2] << 16) | (std::uint32_t(v.data[3]) << 24);
        std::snprintf(buf, sizeof buf, "%08x", d);
        o << "dword:" << buf;
    } else {
        o << "hex";
        if (v.type != REG_BINARY) o << '(' << v.type << ')';
        o << ':';
        for (std::size_t i = 0; i < v.data.size(); ++i) {
            char buf[4];
            std::snprintf(buf, sizeof buf, "%02x", v.data[i]);
            if (i) o << ',';
            o << buf;
        }
    }
    return o.str();
}

bool ParseValue(const std::string& line, Value& v) {
    std::size_t pos = 0;
    if (!Unquote(line, pos, v.name) || pos >= line.size() || line[pos] != '=') return false;
    const std::string rest = line.substr(pos + 1);
    if (rest.rfind("sz:", 0) == 0) {
        std::size_t p = 3;
        std::string text;
        if (!Unquote(rest, p, text)) return false;
        v.type = REG_SZ;
        v.data.assign(text.begin(), text.end());
        v.data.push_back(0);
        return true;
    }
    if (rest.rfind("dword:", 0) == 0) {
        char* end = nullptr;
        const unsigned long d = std::strtoul(rest.c_str() + 6, &end, 16);
        if (end == rest.c_str() + 6 || *end) return false;
        v.type = REG_DWORD;
        v.data = {BYTE(d), BYTE(d >> 8), BYTE(d >> 16), BYTE(d >> 24)};
        return true;
    }
    if (rest.rfind("hex", 0) == 0) {
        std::size_t p = 3;
        v.type = REG_BINARY;
        if (p < rest.size() && rest[p] == '(') {
            const auto close = rest.find(')', p);
            if (close == std::string::npos) return false;
            v.type = static_cast<DWORD>(std::strtoul(rest.substr(p + 1, close - p - 1).c_str(), nullptr, 10));
            p = close + 1;
        }
        if (p >= rest.size() || rest[p] != ':') return false;
        ++p;
        v.data.clear();
        while (p < rest.size()) {
            if (p + 2 > rest.size()) return false;
            const int hi = HexDigit(rest[p]), lo = HexDigit(rest[p + 1]);
            if (hi < 0 || lo < 0) return false;
            v.data.push_back(static_cast<BYTE>(hi * 16 + lo));
            p += 2;
            if (p < rest.size()) {
                if (rest[p] != ',') return false;
                ++p;
            }
        }
        return true;
    }
    return false;
}

// The file as its lines: the store rewrites only the lines of the values it sets or deletes (and
// adds a key's header when the key is new); every other line (comments, blank lines, keys and
// lines it does not understand) is written back byte for byte, in its place.
struct Line {
    std::string text; // without its line break
    std::string end;  // "\n", "\r\n", or "" for a last line without one
};

struct Document {
    std::string file;
    bool writable = true; // false: the file is there but could not be read; it is never written
    std::vector<Line> lines;
};

enum class LineKind { Other, Section, Value, Damaged }; // Other: blank or a comment

struct LineInfo {
    LineKind kind = LineKind::Other;
    std::string section; // the upper-cased path of the key the line is under, "" before any
    std::string path;    // of a Section line
    Value value;         // of a Value line
};

constexpr const char* kHeaderComment =
    "; Vm415 settings store: keys in brackets, one value a line (sz: text, dword: hex, hex: bytes)";

std::string TrimBlanks(const std::string& s) {
    std::size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t'))
        ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t'))
        --e;
    return s.substr(b, e - b);
}

std::vector<LineInfo> Classify(const Document& doc) {
    std::vector<LineInfo> info(doc.lines.size());
    std::string section;
    for (std::size_t i = 0; i < doc.lines.size(); ++i) {
        const std::string t = TrimBlanks(doc.lines[i].text);
        LineInfo& li = info[i];
        if (t.empty() || t[0] == ';' || t[0] == '#') {
            li.kind = LineKind::Other;
        } else if (t.size() >= 2 && t[0] == '[' && t.back() == ']') {
            li.kind = LineKind::Section;
            li.path = t.substr(1, t.size() - 2);
            section = Upper(li.path);
        } else if (!section.empty() && ParseValue(t, li.value)) {
            li.kind = LineKind::Value;
        } else {
            li.kind = LineKind::Damaged; // also a value before any key
        }
        li.section = section;
    }
    return info;
}

// What the file says: a key written twice counts once, a value written twice counts as its last.
Store View(const Document& doc) {
    Store store;
    const auto info = Classify(doc);
    for (const auto& li : info) {
        if (li.kind == LineKind::Section) {
            store[li.section].path = li.path;
        } else if (li.kind == LineKind::Value) {
            auto& values = store[li.section].values;
            auto it = std::find_if(values.begin(), values.end(),
                                   [&](const Value& o) { return IEquals(o.name, li.value.name); });
            if (it != values.end())
                *it = li.value;
            else
                values.push_back(li.value);
        }
    }
    return store;
}

// The file's usual line break, for the lines the store adds.
std::string LineBreak(const Document& doc) {
    std::size_t crlf = 0, lf = 0;
    for (const auto& l : doc.lines) {
        if (l.end == "\r\n") ++crlf;
        if (l.end == "\n") ++lf;
    }
    return crlf > lf ? "\r\n" : "\n";
}

void InsertAfter(Document& doc, std::size_t index, const std::string& text) {
    const std::string br = LineBreak(doc);
    if (doc.lines[index].end.empty()) doc.lines[index].end = br; // it was the last line
    doc.lines.insert(doc.lines.begin() + std::ptrdiff_t(index) + 1, Line{text, br});
}

// A new key goes at the end of the file, after a blank line.
void AppendSection(Document& doc, const std::string& path) {
    const std::string br = LineBreak(doc);
    if (!doc.lines.empty()) {
        if (doc.lines.back().end.empty()) doc.lines.back().end = br;
        if (!TrimBlanks(doc.lines.back().text).empty()) doc.lines.push_back(Line{"", br});
    }
    doc.lines.push_back(Line{"[" + path + "]", br});
}

// Sets a value: its line is rewritten in place, or a new line goes at the end of its key (the last
// line of the key's last block that is not blank or a comment). True when the file changed.
bool SetValue(Document& doc, const std::string& path, const Value& v) {
    const std::string key = Upper(path);
    auto info = Classify(doc);
    for (std::size_t i = info.size(); i-- > 0;) {
        const LineInfo& li = info[i];
        if (li.kind != LineKind::Value || li.section != key || !IEquals(li.value.name, v.name)) continue;
        if (li.value.type == v.type && li.value.data == v.data) return false; // the line stays as written
        doc.lines[i].text = FormatValue(v);
        return true;
    }
    std::size_t header = info.size();
    for (std::size_t i = info.size(); i-- > 0;)
        if (info[i].kind == LineKind::Section && info[i].section == key) {
            header = i;
            break;
        }
    if (header == info.size()) {
        AppendSection(doc, path);
        InsertAfter(doc, doc.lines.size() - 1, FormatValue(v));
        return true;
    }
    std::size_t after = header;
    for (std::size_t i = header + 1; i < info.size() && info[i].kind != LineKind::Section; ++i)
        if (info[i].kind != LineKind::Other) after = i;
    InsertAfter(doc, after, FormatValue(v));
    return true;
}

// Deletes every line of the value in the key (an earlier duplicate would otherwise come back).
// True when there was one.
bool DeleteValue(Document& doc, const std::string& path, const std::string& name) {
    const std::string key = Upper(path);
    const auto info = Classify(doc);
    bool found = false;
    for (std::size_t i = info.size(); i-- > 0;) {
        if (info[i].kind == LineKind::Value && info[i].section == key && IEquals(info[i].value.name, name)) {
            doc.lines.erase(doc.lines.begin() + std::ptrdiff_t(i));
            found = true;
        }
    }
    return found;
}

// The diagnostic lines already written, so that a file read at every call tells each thing once.
std::set<std::string> reported;
std::string unreadableReported; // while the store cannot be read; cleared once it can

void ReportOnce(const std::string& what) {
    if (reported.insert(what).second) platform::Diagnostica("Win32Registry", what);
}

Document Load() {
    Document doc;
    doc.file = Folder() + "registry.txt";
    std::string content, error;
    switch (platform::ReadWholeFile(doc.file, content, SIZE_MAX, &error)) {
    case platform::ReadOutcome::Missing:
        unreadableReported.clear();
        doc.lines.push_back(Line{kHeaderComment, "\n"});
        return doc;
    case platform::ReadOutcome::Unreadable: {
        // Its values are unknown for this run, and writing it would lose them for good.
        doc.writable = false;
        const std::string what =
            doc.file + ": cannot be read (" + error + "): its settings are not used and it is not rewritten";
        if (what != unreadableReported) platform::Diagnostica("Win32Registry", what);
        unreadableReported = what;
        return doc;
    }
    case platform::ReadOutcome::Read:
        unreadableReported.clear();
        break;
    }
    std::size_t start = 0;
    while (start < content.size()) {
        const auto nl = content.find('\n', start);
        Line l;
        if (nl == std::string::npos) {
            l.text = content.substr(start);
            start = content.size();
        } else {
            l.text = content.substr(start, nl - start);
            l.end = "\n";
            start = nl + 1;
            if (!l.text.empty() && l.text.back() == '\r') {
                l.text.pop_back();
                l.end = "\r\n";
            }
        }
        doc.lines.push_back(std::move(l));
    }
    const auto info = Classify(doc);
    for (std::size_t i = 0; i < info.size(); ++i) {
        if (info[i].kind != LineKind::Damaged) continue;
        std::string text = doc.lines[i].text;
        if (text.size() > 120) text = text.substr(0, 120) + "...";
        ReportOnce(doc.file + ":" + std::to_string(i + 1) + ": line not understood, kept as it is: " + text);
    }
    return doc;
}

bool Save(const Document& doc, std::string* error = nullptr) {
    if (!doc.writable) {
        if (error) *error = doc.file + " could not be read: not rewritten";
        return false;
    }
    std::string text;
    for (const auto& l : doc.lines)
        text += l.text + l.end;
    std::error_code ec;
    fs::create_directories(Folder(), ec);
    return platform::WriteFileAtomically(doc.file, text.data(), text.size(), error);
}

std::string Trim(std::string s) {
    while (!s.empty() && (s.back() == '\\' || std::isspace(static_cast<unsigned char>(s.back()))))
        s.pop_back();
    std::size_t i = 0;
    while (i < s.size() && (s[i] == '\\' || std::isspace(static_cast<unsigned char>(s[i]))))
        ++i;
    return s.substr(i);
}

// The full path of root\sub, "" when root is not a key.
std::string FullPath(HKEY root, const char* sub) {
    std::string base;
    if (root == HKEY_LOCAL_MACHINE)
        base = "HKEY_LOCAL_MACHINE";
    else if (root == HKEY_CURRENT_USER)
        base = "HKEY_CURRENT_USER";
    else {
        auto it = openKeys.find(reinterpret_cast<std::uintptr_t>(root));
        if (it == openKeys.end()) return "";
        base = it->second.path;
    }
    const std::string s = Trim(sub ? sub : "");
    return s.empty() ? base : base + "\\" + s;
}

HKEY NewKey(OpenKey key) {
    nextKey += 4;
    openKeys[nextKey] = std::move(key);
    return reinterpret_cast<HKEY>(nextKey);
}

Value SzValue(const std::string& name, const std::string& text) {
    Value v;
    v.name = name;
    v.type = REG_SZ;
    v.data.assign(text.begin(), text.end());
    v.data.push_back(0);
    return v;
}

Value DwordValue(const std::string& name, DWORD d) {
    Value v;
    v.name = name;
    v.type = REG_DWORD;
    v.data = {BYTE(d), BYTE(d >> 8), BYTE(d >> 16), BYTE(d >> 24)};
    return v;
}

std::string SzOf(const Value& v) {
    std::string s(v.data.begin(), v.data.end());
    while (!s.empty() && s.back() == '\0')
        s.pop_back();
    return s;
}

DWORD DwordOf(const Value& v) {
    if (v.data.size() < 4) return 0;
    return v.data[0] | (v.data[1] << 8) | (v.data[2] << 16) | (DWORD(v.data[3]) << 24);
}

// "COM12" → 12, 0 when it is not such a name.
int ComNumber(const std::string& name) {
    const std::string u = Upper(name);
    if (u.size() < 4 || u.compare(0, 3, "COM") != 0 || u.size() > 9) return 0;
    int n = 0;
    for (std::size_t i = 3; i < u.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(u[i]))) return 0;
        n = n * 10 + (u[i] - '0');
    }
    return n;
}

// ---- The machine's devices ---------------------------------------------------------------------

std::string ReadLine(const fs::path& p) {
    std::ifstream in(p);
    std::string s;
    std::getline(in, s);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.pop_back();
    return s;
}

bool HasPrefix(const std::string& s, const char* prefix) {
    return s.rfind(prefix, 0) == 0;
}

bool IsSerialTty(const fs::path& dir, const std::string& name) {
    if (HasPrefix(name, "ttyUSB") || HasPrefix(name, "ttyACM") || HasPrefix(name, "ttyAMA") ||
        HasPrefix(name, "rfcomm"))
        return true;
    if (HasPrefix(name, "ttyS")) {
        // Most ttyS entries are placeholders for UARTs that are not there; their type is 0.
        const std::string type = ReadLine(dir / "type");
        return !type.empty() && type != "0";
    }
    return false;
}

// Natural order: "ttyUSB2" before "ttyUSB10".
bool NaturalLess(const std::string& a, const std::string& b) {
    auto split = [](const std::string& s) {
        std::size_t i = s.size();
        while (i > 0 && std::isdigit(static_cast<unsigned char>(s[i - 1])))
            --i;
        return std::make_pair(s.substr(0, i), i < s.size() ? std::stol(s.substr(i)) : -1L);
    };
    return split(a) < split(b);
}

// Follows links even when their target is missing (a by-id link to a device not plugged in).
fs::path Canonical(fs::path p) {
    std::error_code ec;
    for (int hops = 0; hops < 8 && fs::is_symlink(p, ec); ++hops) {
        const fs::path target = fs::read_symlink(p, ec);
        if (ec) break;
        if (!target.is_absolute()) {
            // ".." in a link is relative to the real folder, not to the way we came.
            std::error_code e2;
            fs::path parent = fs::canonical(p.parent_path(), e2);
            if (e2) parent = p.parent_path();
            p = (parent / target).lexically_normal();
        } else {
            p = target.lexically_normal();
        }
    }
    auto c = fs::weakly_canonical(p, ec);
    return ec ? p : c;
}

void DescribeFromSysfs(const fs::path& ttyDir, SerialPortInfo& info) {
    std::error_code ec;
    const fs::path device = ttyDir / "device";
    if (auto driver = fs::read_symlink(device / "driver", ec); !ec) info.driver = driver.filename().string();
    // The USB device that carries the port lies a few levels above the tty's device (interface, device).
    fs::path p = Canonical(device);
    for (int level = 0; level < 4 && !p.empty() && p != p.root_path(); ++level, p = p.parent_path()) {
        if (fs::exists(p / "idVendor", ec)) {
            info.product = ReadLine(p / "product");
            info.manufacturer = ReadLine(p / "manufacturer");
            info.serial = ReadLine(p / "serial");
            info.instanceId = "USB\\VID_" + Upper(ReadLine(p / "idVendor")) + "&PID_" +
                              Upper(ReadLine(p / "idProduct")) +
                              (info.serial.empty() ? "" : "\\" + info.serial);
            break;
        }
    }
}

std::vector<SerialPortInfo> ScanDevices() {
    std::vector<SerialPortInfo> found;
    std::error_code ec;
    const fs::path ttyRoot(roots.sysClassTty);
    // by-id links, by the tty they point to.
    std::map<std::string, std::string> byId;
    for (auto it = fs::directory_iterator(roots.serialById, ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
        std::error_code e2;
        const auto target = fs::read_symlink(it->path(), e2);
        if (!e2) byId.emplace(target.filename().string(), it->path().filename().string());
    }
    ec.clear();
    for (auto it = fs::directory_iterator(ttyRoot, ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (!IsSerialTty(it->path(), name)) continue;
        SerialPortInfo info;
        info.ttyName = name;
        info.devicePath = roots.dev + "/" + name;
        if (auto b = byId.find(name); b != byId.end()) {
            info.identity = "by-id:" + b->second;
        } else {
            std::error_code e2;
            const fs::path dev = it->path() / "device";
            info.identity =
                "sysfs:" + (fs::exists(dev, e2) ? Canonical(dev) : Canonical(it->path())).string();
        }
        DescribeFromSysfs(it->path(), info);
        found.push_back(std::move(info));
    }
    std::sort(found.begin(), found.end(), [](const SerialPortInfo& a, const SerialPortInfo& b) {
        return NaturalLess(a.ttyName, b.ttyName);
    });
    return found;
}

} // namespace

// ---- Store settings ----------------------------------------------------------------------------

std::string SetRegistryFolder(const std::string& folder) {
    std::lock_guard lock(storeMutex);
    std::string previous = storeFolder;
    storeFolder = folder;
    return previous;
}

std::string RegistryFilePath() {
    std::lock_guard lock(storeMutex);
    return Folder() + "registry.txt";
}

SerialRoots SetSerialRoots(const SerialRoots& r) {
    std::lock_guard lock(storeMutex);
    SerialRoots previous = roots;
    roots = r;
    return previous;
}

SerialRoots CurrentSerialRoots() {
    std::lock_guard lock(storeMutex);
    return roots;
}

// ---- The COM table -----------------------------------------------------------------------------

std::vector<SerialPortInfo> ListSerialPorts() {
    std::lock_guard lock(storeMutex);
    Document doc = Load();
    const Store store = View(doc);
    static const KeyData none;
    auto keyOf = [&](const char* path) -> const KeyData& {
        const auto found = store.find(Upper(path));
        return found != store.end() ? found->second : none;
    };
    const KeyData& bindings = keyOf(kBindingsPath);
    KeyData numbers = keyOf(kNumbersPath);

    std::vector<SerialPortInfo> result;
    std::set<int> used;
    std::set<std::string> boundPaths;
    for (const auto& v : bindings.values) {
        const int n = ComNumber(v.name);
        const std::string path = SzOf(v);
        if (n <= 0 || path.empty() || used.count(n)) continue;
        SerialPortInfo info;
        info.number = n;
        info.devicePath = path;
        info.bound = true;
        info.identity = "bound:" + path;
        used.insert(n);
        boundPaths.insert(Canonical(path).string());
        result.push_back(info);
    }
    const std::set<int> boundNumbers = used;
    for (const auto& v : numbers.values)
        used.insert(static_cast<int>(DwordOf(v)));

    bool changed = false;
    for (auto& dev : ScanDevices()) {
        if (boundPaths.count(Canonical(dev.devicePath).string())) continue;
        auto it = std::find_if(numbers.values.begin(), numbers.values.end(),
                               [&](const Value& v) { return v.name == dev.identity; });
        int n = it != numbers.values.end() ? static_cast<int>(DwordOf(*it)) : 0;
        if (n <= 0 || boundNumbers.count(n)) {
            n = 1;
            while (used.count(n))
                ++n;
            used.insert(n);
            if (it != numbers.values.end())
                *it = DwordValue(dev.identity, DWORD(n));
            else
                numbers.values.push_back(DwordValue(dev.identity, DWORD(n)));
            changed = SetValue(doc, kNumbersPath, DwordValue(dev.identity, DWORD(n))) || changed;
        }
        dev.number = n;
        result.push_back(std::move(dev));
    }
    // A store that cannot be written only costs the new numbers their permanence. One that cannot be
    // read has said so already.
    if (std::string error; changed && !Save(doc, &error) && doc.writable)
        ReportOnce(error + ": the new COM numbers hold for this run only");
    std::sort(result.begin(), result.end(),
              [](const SerialPortInfo& a, const SerialPortInfo& b) { return a.number < b.number; });
    for (auto& r : result)
        r.kernelName = "\\Device\\Serial" + std::to_string(r.number - 1);
    return result;
}

std::string ResolveComPort(int number) {
    for (const auto& p : ListSerialPorts())
        if (p.number == number) return p.devicePath;
    return "";
}

bool BindComPort(int number, const std::string& devicePath) {
    if (number <= 0 || devicePath.empty()) return false;
    std::lock_guard lock(storeMutex);
    Document doc = Load();
    if (!doc.writable) return false;
    return !SetValue(doc, kBindingsPath, SzValue("COM" + std::to_string(number), devicePath)) || Save(doc);
}

bool UnbindComPort(int number) {
    std::lock_guard lock(storeMutex);
    Document doc = Load();
    if (!doc.writable) return false;
    return !DeleteValue(doc, kBindingsPath, "COM" + std::to_string(number)) || Save(doc);
}

// ---- Registry calls ----------------------------------------------------------------------------

LONG RegOpenKeyExA(HKEY root, const char* subKey, DWORD, DWORD, HKEY* result) {
    if (!result) return LONG(ERROR_INVALID_PARAMETER);
    std::lock_guard lock(storeMutex);
    const std::string path = FullPath(root, subKey);
    if (path.empty()) return LONG(ERROR_INVALID_HANDLE);
    OpenKey key;
    key.path = path;
    if (IEquals(path, kSerialCommPath)) {
        key.serialComm = true;
        for (const auto& p : ListSerialPorts())
            key.snapshot.push_back(SzValue(p.kernelName, "COM" + std::to_string(p.number)));
    } else if (path.find('\\') != std::string::npos) {
        if (!View(Load()).count(Upper(path))) return LONG(ERROR_FILE_NOT_FOUND);
    }
    *result = NewKey(std::move(key));
    return LONG(ERROR_SUCCESS);
}

LONG RegCreateKeyExA(HKEY root, const char* subKey, DWORD, char*, DWORD, DWORD, void*, HKEY* result,
                     DWORD* disposition) {
    if (!result) return LONG(ERROR_INVALID_PARAMETER);
    std::lock_guard lock(storeMutex);
    const std::string path = FullPath(root, subKey);
    if (path.empty()) return LONG(ERROR_INVALID_HANDLE);
    if (IEquals(path, kSerialCommPath)) return RegOpenKeyExA(root, subKey, 0, KEY_READ, result);
    Document doc = Load();
    const bool exists = View(doc).count(Upper(path)) > 0;
    if (!exists) {
        AppendSection(doc, path);
        if (!Save(doc)) return LONG(ERROR_CANTWRITE);
    }
    if (disposition) *disposition = exists ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY;
    OpenKey key;
    key.path = path;
    *result = NewKey(std::move(key));
    return LONG(ERROR_SUCCESS);
}

LONG RegCloseKey(HKEY key) {
    std::lock_guard lock(storeMutex);
    return openKeys.erase(reinterpret_cast<std::uintptr_t>(key)) ? LONG(ERROR_SUCCESS)
                                                                 : LONG(ERROR_INVALID_HANDLE);
}

namespace {

// The values of an open key: the snapshot for SERIALCOMM, else the store's current ones.
bool ValuesOf(HKEY key, std::vector<Value>& values, OpenKey** open) {
    auto it = openKeys.find(reinterpret_cast<std::uintptr_t>(key));
    if (it == openKeys.end()) return false;
    *open = &it->second;
    if (it->second.serialComm) {
        values = it->second.snapshot;
    } else {
        const Store store = View(Load());
        auto k = store.find(Upper(it->second.path));
        values = k != store.end() ? k->second.values : std::vector<Value>{};
    }
    return true;
}

LONG CopyOut(const std::vector<BYTE>& data, BYTE* out, DWORD* size) {
    if (!size) return out ? LONG(ERROR_INVALID_PARAMETER) : LONG(ERROR_SUCCESS);
    const DWORD need = static_cast<DWORD>(data.size());
    if (!out) {
        *size = need;
        return LONG(ERROR_SUCCESS);
    }
    if (*size < need) {
        *size = need;
        return LONG(ERROR_MORE_DATA);
    }
    if (need) std::memcpy(out, data.data(), need);
    *size = need;
    return LONG(ERROR_SUCCESS);
}

} // namespace

LONG RegQueryValueExA(HKEY key, const char* valueName, DWORD*, DWORD* type, BYTE* data, DWORD* size) {
    std::lock_guard lock(storeMutex);
    std::vector<Value> values;
    OpenKey* open = nullptr;
    if (!ValuesOf(key, values, &open)) return LONG(ERROR_INVALID_HANDLE);
    const std::string name = valueName ? valueName : "";
    auto it =
        std::find_if(values.begin(), values.end(), [&](const Value& v) { return IEquals(v.name, name); });
    if (it == values.end()) return LONG(ERROR_FILE_NOT_FOUND);
    if (type) *type = it->type;
    return CopyOut(it->data, data, size);
}

LONG RegSetValueExA(HKEY key, const char* valueName, DWORD, DWORD type, const BYTE* data, DWORD size) {
    std::lock_guard lock(storeMutex);
    auto it = openKeys.find(reinterpret_cast<std::uintptr_t>(key));
    if (it == openKeys.end()) return LONG(ERROR_INVALID_HANDLE);
    if (it->second.serialComm) return LONG(ERROR_ACCESS_DENIED);
    if (size && !data) return LONG(ERROR_INVALID_PARAMETER);
    Document doc = Load();
    Value v;
    v.name = valueName ? valueName : "";
    v.type = type;
    if (size) v.data.assign(data, data + size);
    if (!doc.writable) return LONG(ERROR_CANTWRITE);
    return !SetValue(doc, it->second.path, v) || Save(doc) ? LONG(ERROR_SUCCESS) : LONG(ERROR_CANTWRITE);
}

LONG RegDeleteValueA(HKEY key, const char* valueName) {
    std::lock_guard lock(storeMutex);
    auto it = openKeys.find(reinterpret_cast<std::uintptr_t>(key));
    if (it == openKeys.end()) return LONG(ERROR_INVALID_HANDLE);
    if (it->second.serialComm) return LONG(ERROR_ACCESS_DENIED);
    Document doc = Load();
    if (!DeleteValue(doc, it->second.path, valueName ? valueName : "")) return LONG(ERROR_FILE_NOT_FOUND);
    return Save(doc) ? LONG(ERROR_SUCCESS) : LONG(ERROR_CANTWRITE);
}

LONG RegEnumValueA(HKEY key, DWORD index, char* valueName, DWORD* valueNameSize, DWORD*, DWORD* type,
                   BYTE* data, DWORD* dataSize) {
    std::lock_guard lock(storeMutex);
    std::vector<Value> values;
    OpenKey* open = nullptr;
    if (!ValuesOf(key, values, &open)) return LONG(ERROR_INVALID_HANDLE);
    if (index >= values.size()) return LONG(ERROR_NO_MORE_ITEMS);
    const Value& v = values[index];
    if (!valueName || !valueNameSize) return LONG(ERROR_INVALID_PARAMETER);
    if (*valueNameSize < v.name.size() + 1) {
        *valueNameSize = static_cast<DWORD>(v.name.size() + 1);
        return LONG(ERROR_MORE_DATA);
    }
    std::memcpy(valueName, v.name.c_str(), v.name.size() + 1);
    *valueNameSize = static_cast<DWORD>(v.name.size());
    if (type) *type = v.type;
    if (data || dataSize) return CopyOut(v.data, data, dataSize);
    return LONG(ERROR_SUCCESS);
}

} // namespace win32
