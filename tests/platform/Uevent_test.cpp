// Kernel uevent datagrams (captured from a USB serial adapter's plug and unplug) and the device
// change message they turn into.
#include "platform/thread/Thread.h"
#include "platform/win32/Win32Uevent.h"
#include "serial/SerialTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace win32;
using namespace std::chrono_literals;
using serial_test::StoreScope;

namespace {

std::string Datagram(std::initializer_list<std::string> parts) {
    std::string d;
    for (const auto& p : parts) {
        d += p;
        d.push_back('\0');
    }
    return d;
}

const std::string kAddUsb = Datagram({
    "add@/devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0/ttyUSB0/tty/ttyUSB0",
    "ACTION=add",
    "DEVPATH=/devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0/ttyUSB0/tty/ttyUSB0",
    "SUBSYSTEM=tty",
    "MAJOR=188",
    "MINOR=0",
    "DEVNAME=ttyUSB0",
    "SEQNUM=4711",
});

const std::string kRemoveUsb = Datagram({
    "remove@/devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0/ttyUSB0/tty/ttyUSB0",
    "ACTION=remove",
    "DEVPATH=/devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0/ttyUSB0/tty/ttyUSB0",
    "SUBSYSTEM=tty",
    "DEVNAME=ttyUSB0",
    "SEQNUM=4720",
});

} // namespace

TEST(Uevent, ParsesAKernelDatagram) {
    const auto ev = ParseUevent(kAddUsb.data(), kAddUsb.size());
    ASSERT_TRUE(ev);
    EXPECT_EQ(ev->action, "add");
    EXPECT_EQ(ev->subsystem, "tty");
    EXPECT_EQ(ev->devname, "ttyUSB0");
    EXPECT_EQ(ev->seqnum, 4711u);
    EXPECT_TRUE(IsSerialPortEvent(*ev));
    const auto rm = ParseUevent(kRemoveUsb.data(), kRemoveUsb.size());
    ASSERT_TRUE(rm);
    EXPECT_TRUE(IsSerialPortEvent(*rm));
}

TEST(Uevent, RefusesWhatIsNotAWholeKernelDatagram) {
    const std::string udev = Datagram({"libudev", "ACTION=add"});
    EXPECT_FALSE(ParseUevent(udev.data(), udev.size()));
    EXPECT_FALSE(ParseUevent(kAddUsb.data(), 20)); // cut inside the header
    EXPECT_FALSE(ParseUevent(nullptr, 0));
    const std::string mismatch = Datagram({"add@/devices/x", "ACTION=remove", "DEVPATH=/devices/x"});
    EXPECT_FALSE(ParseUevent(mismatch.data(), mismatch.size()));
    const std::string noPath = Datagram({"add@/devices/x", "ACTION=add"});
    EXPECT_FALSE(ParseUevent(noPath.data(), noPath.size()));
    const std::string badSeq = Datagram({"add@/devices/x", "ACTION=add", "DEVPATH=/devices/x", "SEQNUM=12a"});
    EXPECT_FALSE(ParseUevent(badSeq.data(), badSeq.size()));
    const std::string noEquals = Datagram({"add@/devices/x", "ACTION=add", "DEVPATH=/devices/x", "JUNK"});
    EXPECT_FALSE(ParseUevent(noEquals.data(), noEquals.size()));
    // The last field may lack its NUL (a truncated but complete datagram).
    const std::string lastOpen = kAddUsb.substr(0, kAddUsb.size() - 1);
    EXPECT_TRUE(ParseUevent(lastOpen.data(), lastOpen.size()));
}

TEST(Uevent, OnlySerialTtysMatter) {
    TUevent ev;
    ev.action = "add";
    ev.subsystem = "tty";
    ev.devname = "tty7";
    EXPECT_FALSE(IsSerialPortEvent(ev));
    ev.devname = "ttyACM3";
    EXPECT_TRUE(IsSerialPortEvent(ev));
    ev.action = "change";
    EXPECT_FALSE(IsSerialPortEvent(ev));
    ev.action = "add";
    ev.subsystem = "usb";
    EXPECT_FALSE(IsSerialPortEvent(ev));
}

TEST(Uevent, ArrivalAndRemovalReachTheWindowOnTheUiThread) {
    StoreScope store;
    platform::TLoopUiThread ui;
    namespace fs = std::filesystem;
    ASSERT_TRUE(BindComPort(1, "/dev/pts/90")); // COM1 is taken: the adapter becomes COM2
    TUeventListener listener;
    std::vector<std::pair<WPARAM, std::string>> seen;
    bool onUi = true;
    listener.Start(
        [&](TMessage& m) {
            onUi = onUi && ui.IsUiThread();
            EXPECT_EQ(m.Msg, WM_DEVICECHANGE);
            const auto* port = reinterpret_cast<const DEV_BROADCAST_PORT_A*>(m.LParam);
            EXPECT_EQ(port->dbcp_devicetype, DBT_DEVTYP_PORT);
            seen.emplace_back(m.WParam, port->dbcp_name);
        },
        5ms);

    fs::create_directories(store.Folder().File("sys/class/tty/ttyUSB0"));
    listener.Inject(kAddUsb.data(), kAddUsb.size());
    ASSERT_TRUE(ui.RunUntil([&] { return seen.size() == 1; }, 2s));
    EXPECT_EQ(seen[0], std::make_pair(DBT_DEVICEARRIVAL, std::string("COM2")));

    fs::remove_all(store.Folder().File("sys/class/tty/ttyUSB0"));
    listener.Inject(kRemoveUsb.data(), kRemoveUsb.size());
    ASSERT_TRUE(ui.RunUntil([&] { return seen.size() == 2; }, 2s));
    EXPECT_EQ(seen[1], std::make_pair(DBT_DEVICEREMOVECOMPLETE, std::string("COM2")));
    EXPECT_TRUE(onUi);

    // After Stop, nothing more is delivered.
    const std::string other =
        Datagram({"add@/devices/y/tty/ttyACM0", "ACTION=add", "DEVPATH=/devices/y/tty/ttyACM0",
                  "SUBSYSTEM=tty", "DEVNAME=ttyACM0"});
    listener.Inject(other.data(), other.size());
    listener.Stop();
    ui.RunFor(20ms);
    EXPECT_EQ(seen.size(), 2u);
}

TEST(Uevent, TheKernelListenerStartsAndStopsPromptly) {
    StoreScope store;
    TUeventListener listener;
    // Netlink may be unavailable where the tests run (a container); both outcomes must stop cleanly.
    const bool started = listener.Start([](TMessage&) {});
    EXPECT_EQ(listener.Running(), started);
    listener.Stop();
    EXPECT_FALSE(listener.Running());
    listener.Stop(); // twice is harmless
}
