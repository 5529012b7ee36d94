// The file-backed settings store and the SERIALCOMM view with its persistent COM numbering, over
// synthetic sysfs trees.
#include "platform/diag/Diagnostica.h"
#include "platform/fs/ReadFile.h"
#include "platform/win32/Win32Registry.h"
#include "serial/SerialTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

using namespace win32;
using serial_test::StoreScope;
namespace fs = std::filesystem;

namespace {

std::vector<std::pair<std::string, std::string>> SerialComm() {
    std::vector<std::pair<std::string, std::string>> out;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) != 0)
        return out;
    for (DWORD i = 0;; ++i) {
        char name[260];
        BYTE data[260];
        DWORD nameSize = sizeof name, dataSize = sizeof data, type = 0;
        if (RegEnumValueA(key, i, name, &nameSize, nullptr, &type, data, &dataSize) != 0) break;
        EXPECT_EQ(type, REG_SZ);
        out.emplace_back(name, reinterpret_cast<char*>(data));
    }
    RegCloseKey(key);
    return out;
}

// A tty in the synthetic sysfs, optionally with a by-id link and a device folder.
void AddTty(const StoreScope& s, const std::string& name, const std::string& byId = "",
            const char* type = nullptr) {
    const auto& f = s.Folder();
    fs::create_directories(f.File("sys/devices/dev-" + name));
    fs::create_directories(f.File("sys/class/tty/" + name));
    fs::create_directory_symlink(f.File("sys/devices/dev-" + name),
                                 f.File("sys/class/tty/" + name + "/device"));
    if (type) std::ofstream(f.File("sys/class/tty/" + name + "/type")) << type << "\n";
    if (!byId.empty()) fs::create_symlink("../../" + name, f.File("dev/serial/by-id/" + byId));
}

void RemoveTty(const StoreScope& s, const std::string& name, const std::string& byId = "") {
    fs::remove_all(s.Folder().File("sys/class/tty/" + name));
    if (!byId.empty()) fs::remove(s.Folder().File("dev/serial/by-id/" + byId));
}

std::string StoreText(const StoreScope& s) {
    const auto bytes = s.Folder().Read("config/registry.txt");
    return std::string(bytes.begin(), bytes.end());
}

// The diagnostic lines that mention `what`.
std::size_t Mentions(const std::vector<std::string>& log, const std::string& what) {
    return std::size_t(std::count_if(
        log.begin(), log.end(), [&](const std::string& l) { return l.find(what) != std::string::npos; }));
}

std::string Joined(const std::vector<std::string>& log) {
    std::string all;
    for (const auto& l : log)
        all += l + "\n";
    return all;
}

} // namespace

TEST(RegistryStore, ValuesRoundTripThroughAReadableFile) {
    StoreScope store;
    HKEY key;
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Vm415\\Test", 0, nullptr, 0, KEY_WRITE, nullptr,
                              &key, &disposition),
              0);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    const BYTE blob[] = {0, 1, 0x7f, 0xff, '"'};
    ASSERT_EQ(RegSetValueExA(key, "Blob", 0, REG_BINARY, blob, sizeof blob), 0);
    const char text[] = "a \"quoted\" \\ text\n";
    ASSERT_EQ(RegSetValueExA(key, "Text", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text), 0);
    const BYTE dword[] = {7, 0, 0, 0};
    ASSERT_EQ(RegSetValueExA(key, "Count", 0, REG_DWORD, dword, 4), 0);
    RegCloseKey(key);

    std::ifstream in(RegistryFilePath());
    const std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(file.find("[HKEY_CURRENT_USER\\Software\\Vm415\\Test]"), std::string::npos);
    EXPECT_NE(file.find("\"Blob\"=hex:00,01,7f,ff,22"), std::string::npos);
    EXPECT_NE(file.find("\"Count\"=dword:00000007"), std::string::npos);

    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\vm415\\test", 0, KEY_READ, &key), 0); // any case
    DWORD type = 0, size = 0;
    ASSERT_EQ(RegQueryValueExA(key, "blob", nullptr, &type, nullptr, &size), 0);
    EXPECT_EQ(type, REG_BINARY);
    EXPECT_EQ(size, sizeof blob);
    BYTE small[2];
    DWORD smallSize = 2;
    EXPECT_EQ(RegQueryValueExA(key, "Blob", nullptr, &type, small, &smallSize), LONG(ERROR_MORE_DATA));
    EXPECT_EQ(smallSize, sizeof blob);
    BYTE back[16];
    size = sizeof back;
    ASSERT_EQ(RegQueryValueExA(key, "Blob", nullptr, &type, back, &size), 0);
    EXPECT_EQ(std::memcmp(back, blob, sizeof blob), 0);
    char textBack[64];
    size = sizeof textBack;
    ASSERT_EQ(RegQueryValueExA(key, "Text", nullptr, &type, reinterpret_cast<BYTE*>(textBack), &size), 0);
    EXPECT_STREQ(textBack, text);
    EXPECT_EQ(RegQueryValueExA(key, "Missing", nullptr, &type, nullptr, &size), LONG(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(RegDeleteValueA(key, "Count"), 0);
    EXPECT_EQ(RegQueryValueExA(key, "Count", nullptr, &type, nullptr, &size), LONG(ERROR_FILE_NOT_FOUND));
    RegCloseKey(key);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Absent", 0, KEY_READ, &key),
              LONG(ERROR_FILE_NOT_FOUND));
}

TEST(RegistryStore, ADamagedLineIsSkippedAndTheRestKept) {
    StoreScope store;
    fs::create_directories(store.Folder().File("config"));
    store.Folder().Write("config/registry.txt", std::string("[HKEY_CURRENT_USER\\K]\n"
                                                            "\"Good\"=hex:01,02\n"
                                                            "\"Bad\"=hex:0g,zz\n"
                                                            "garbage line\n"
                                                            "\"Also\"=sz:\"fine\"\n"));
    std::vector<std::string> log;
    platform::CatturaDiagnostica capture([&](std::string_view l) { log.emplace_back(l); });
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "K", 0, KEY_READ, &key), 0);
    DWORD type, size = 0;
    EXPECT_EQ(RegQueryValueExA(key, "Good", nullptr, &type, nullptr, &size), 0);
    EXPECT_EQ(size, 2u);
    EXPECT_EQ(RegQueryValueExA(key, "Bad", nullptr, &type, nullptr, &size), LONG(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(RegQueryValueExA(key, "Also", nullptr, &type, nullptr, &size), 0);
    RegCloseKey(key);
    EXPECT_EQ(log.size(), 2u) << Joined(log);
    EXPECT_EQ(Mentions(log, RegistryFilePath() + ":3:"), 1u) << Joined(log);
    EXPECT_EQ(Mentions(log, RegistryFilePath() + ":4:"), 1u) << Joined(log);
}

TEST(RegistryStore, LinesWrittenByHandSurviveABindAndAnUnbindByteForByte) {
    StoreScope store;
    fs::create_directories(store.Folder().File("config"));
    // Line 5 lacks the quotes round its path, so it is not understood; line 10 is blank (spaces and
    // a tab); line 11 has no line break; line 1 ends in CR LF.
    const std::string before = "; Bench setup, edited by hand\r\n"
                               "\n"
                               "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vm415\\SerialBindings]\n"
                               "; the panel on the bench\n"
                               "\"COM8\"=sz:/dev/ttyUSB8\n"
                               "\"COM2\"=sz:\"/dev/pts/9\"\n"
                               "\n"
                               "[HKEY_CURRENT_USER\\Software\\Other]\n"
                               "\"Foreign\"=dword:0000002a\n"
                               "  \t\n"
                               "\"Tail\"=hex:01";
    store.Folder().Write("config/registry.txt", before);
    std::vector<std::string> log;
    platform::CatturaDiagnostica capture([&](std::string_view l) { log.emplace_back(l); });

    // A new binding goes at the end of its section; the one it replaces changes alone.
    const std::string com5 = "\"COM5\"=sz:\"/dev/pts/5\"\n";
    const auto at = before.find("\n\n[HKEY_CURRENT_USER") + 1;
    std::string expected = before;
    expected.insert(at, com5);
    ASSERT_TRUE(BindComPort(5, "/dev/pts/5"));
    EXPECT_EQ(StoreText(store), expected);
    ASSERT_TRUE(BindComPort(2, "/dev/pts/4"));
    std::string rebound = expected;
    rebound.replace(rebound.find("/dev/pts/9"), 10, "/dev/pts/4");
    EXPECT_EQ(StoreText(store), rebound);
    EXPECT_EQ(ResolveComPort(2), "/dev/pts/4");
    EXPECT_EQ(ResolveComPort(8), ""); // the line not understood binds nothing, but stays
    ASSERT_TRUE(BindComPort(2, "/dev/pts/9"));
    ASSERT_TRUE(UnbindComPort(5));
    EXPECT_EQ(StoreText(store), before);

    // A key the file does not have yet goes at its end.
    HKEY key;
    ASSERT_EQ(
        RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\New", 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
        0);
    const BYTE one[] = {1, 0, 0, 0};
    ASSERT_EQ(RegSetValueExA(key, "V", 0, REG_DWORD, one, 4), 0);
    RegCloseKey(key);
    EXPECT_EQ(StoreText(store), before + "\n\n[HKEY_CURRENT_USER\\Software\\New]\n\"V\"=dword:00000001\n");

    // The damaged line was told once, by file and line, however often the file was read.
    EXPECT_EQ(log.size(), 1u) << Joined(log);
    EXPECT_EQ(Mentions(log, RegistryFilePath() + ":5:"), 1u) << Joined(log);
}

TEST(RegistryStore, AStoreThatCannotBeReadIsNeverRewritten) {
    StoreScope store;
    AddTty(store, "ttyUSB0"); // a new device, whose number the store would keep
    fs::create_directories(store.Folder().File("config"));
    const std::string before =
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vm415\\SerialBindings]\n\"COM3\"=sz:\"/dev/pts/3\"\n";
    store.Folder().Write("config/registry.txt", before);
    std::vector<std::string> log;
    platform::CatturaDiagnostica capture([&](std::string_view l) { log.emplace_back(l); });
    platform::FailedReadsForTest failing(RegistryFilePath(), EIO);

    EXPECT_FALSE(BindComPort(4, "/dev/pts/4"));
    EXPECT_FALSE(UnbindComPort(3));
    EXPECT_EQ(ListSerialPorts().size(), 1u); // the device is listed for this run all the same
    HKEY key;
    EXPECT_EQ(
        RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\X", 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
        LONG(ERROR_CANTWRITE));
    EXPECT_EQ(StoreText(store), before);
    EXPECT_EQ(log.size(), 1u) << Joined(log);
    EXPECT_EQ(Mentions(log, RegistryFilePath()), 1u) << Joined(log);
    EXPECT_EQ(Mentions(log, "Input/output error"), 1u) << Joined(log);
}

TEST(RegistrySerialComm, ListsRealSerialDevicesOnly) {
    StoreScope store;
    AddTty(store, "ttyS0", "", "0"); // a placeholder UART
    AddTty(store, "ttyS1", "", "4"); // a real 16550A
    AddTty(store, "ttyUSB0", "usb-FTDI_FT232R_A1-if00-port0");
    AddTty(store, "ttyACM0");
    AddTty(store, "tty5"); // a virtual console
    AddTty(store, "ttyAMA0");
    const auto view = SerialComm();
    ASSERT_EQ(view.size(), 4u);
    // Numbered in name order when first seen: ttyACM0, ttyAMA0, ttyS1, ttyUSB0.
    EXPECT_EQ(view[0], std::make_pair(std::string("\\Device\\Serial0"), std::string("COM1")));
    EXPECT_EQ(view[3], std::make_pair(std::string("\\Device\\Serial3"), std::string("COM4")));
    const auto ports = ListSerialPorts();
    EXPECT_EQ(ports[0].ttyName, "ttyACM0");
    EXPECT_EQ(ports[2].ttyName, "ttyS1");
    EXPECT_EQ(ports[3].identity, "by-id:usb-FTDI_FT232R_A1-if00-port0");
    EXPECT_EQ(ResolveComPort(4), store.Folder().File("dev") + "/ttyUSB0");
    EXPECT_EQ(ResolveComPort(9), "");
    // Listing keeps the numbers it gave and adds no key of its own making.
    const auto bytes = store.Folder().Read("config/registry.txt");
    const std::string saved(bytes.begin(), bytes.end());
    EXPECT_NE(saved.find("SerialNumbers]"), std::string::npos);
    EXPECT_EQ(saved.find("[]"), std::string::npos) << saved;

    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key), 0);
    const BYTE x = 1;
    EXPECT_EQ(RegSetValueExA(key, "x", 0, REG_BINARY, &x, 1), LONG(ERROR_ACCESS_DENIED));
    RegCloseKey(key);
}

TEST(RegistrySerialComm, AnAdapterKeepsItsNumberAcrossAReplug) {
    StoreScope store;
    AddTty(store, "ttyUSB0", "usb-FTDI_A-if00-port0");
    AddTty(store, "ttyUSB1", "usb-Prolific_B-if00-port0");
    auto ports = ListSerialPorts();
    ASSERT_EQ(ports.size(), 2u);
    EXPECT_EQ(ports[0].number, 1);
    EXPECT_EQ(ports[1].number, 2);

    // Unplugged: its number stays taken, a new device gets the next free one.
    RemoveTty(store, "ttyUSB0", "usb-FTDI_A-if00-port0");
    AddTty(store, "ttyACM0");
    ports = ListSerialPorts();
    ASSERT_EQ(ports.size(), 2u);
    EXPECT_EQ(ports[0].number, 2);
    EXPECT_EQ(ports[1].ttyName, "ttyACM0");
    EXPECT_EQ(ports[1].number, 3);

    // Plugged in again under another tty name: the same number.
    AddTty(store, "ttyUSB5", "usb-FTDI_A-if00-port0");
    ports = ListSerialPorts();
    ASSERT_EQ(ports.size(), 3u);
    EXPECT_EQ(ports[0].ttyName, "ttyUSB5");
    EXPECT_EQ(ports[0].number, 1);
}

TEST(RegistrySerialComm, ExplicitBindingsWinAndNameADeviceOnce) {
    StoreScope store;
    AddTty(store, "ttyUSB0", "usb-X-if00");
    ASSERT_EQ(ListSerialPorts()[0].number, 1);
    // COM1 is pinned to something else: the adapter moves to the lowest free number.
    ASSERT_TRUE(BindComPort(1, "/dev/pts/77"));
    ASSERT_TRUE(BindComPort(7, store.Folder().File("dev/serial/by-id/usb-X-if00")));
    auto ports = ListSerialPorts();
    ASSERT_EQ(ports.size(), 2u);
    EXPECT_EQ(ports[0].number, 1);
    EXPECT_EQ(ports[0].devicePath, "/dev/pts/77");
    EXPECT_TRUE(ports[0].bound);
    EXPECT_EQ(ports[1].number, 7); // the by-id binding names the adapter: listed once, as COM7
    EXPECT_EQ(ResolveComPort(1), "/dev/pts/77");
    ASSERT_TRUE(UnbindComPort(7));
    ports = ListSerialPorts();
    ASSERT_EQ(ports.size(), 2u);
    EXPECT_EQ(ports[1].ttyName, "ttyUSB0");
    EXPECT_EQ(ports[1].number, 2);
}

TEST(RegistrySerialComm, ThisMachinesOwnDevicesAreListedWithoutErrors) {
    // No adapter is expected on the build machine; the scan must still work on the real tree.
    testing_support::TempFolder folder;
    const std::string previous = SetRegistryFolder(folder.Path());
    const auto ports = ListSerialPorts();
    for (const auto& p : ports) {
        EXPECT_GT(p.number, 0);
        EXPECT_FALSE(p.devicePath.empty());
    }
    SetRegistryFolder(previous);
}
