// The component frame around the port: device list, client notification, data processors, the
// terminal edit, loading from a stored form, port enumeration and device change.
#include "serial/SerialTestSupport.h"
#include "serial/srcomm.h"
#include "serial/srwin32.h"

#include "platform/diag/Diagnostica.h"
#include "platform/thread/Thread.h"
#include "platform/win32/Win32Uevent.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace std::chrono_literals;
using serial_test::PtyPair;
using serial_test::StoreScope;

namespace {

TsrDevice* Device(int number) {
    auto* d = new TsrDevice;
    d->Number = number;
    d->Name = "COM" + std::to_string(number);
    return d;
}

struct Counter {
    int calls = 0;
    int lastCode = 0;
    void Notify(TObject*, int code) {
        ++calls;
        lastCode = code;
    }
    void Other(TObject*, int) { calls += 100; }
};

class HandlingProcessor : public TsrCustomDataProcessor {
  public:
    std::string seen;
    void DataReceived(const void* Buffer, win32::DWORD Count, bool& Handled) override {
        seen.append(static_cast<const char*>(Buffer), Count);
        Handled = true;
    }
};

// A component that is nothing but the frame, for the base operations.
class FrameIO : public TsrBaseIO {
  public:
    int enumerations = 0;
    std::string sent;
    int GetDeviceIndex() const override { return -1; }
    void EnumDevices() override { ++enumerations; }
    void SendChar(std::uint8_t c) override { sent += static_cast<char>(c); }
    void SendString(const std::string& s) override { sent += s; }
    void SendData(const void*, win32::DWORD) override {}
    void PurgeIn() override {}
    void PurgeOut() override {}
    void PurgeAll() override {}
    using TsrBaseIO::DoDataReceived;
};

} // namespace

TEST(SerialFrame, DevicesAreKeptInNumberOrderAndDuplicatesRefused) {
    FrameIO io;
    EXPECT_EQ(io.InsertDevice(Device(5)), 0);
    EXPECT_EQ(io.InsertDevice(Device(1)), 0);
    EXPECT_EQ(io.InsertDevice(Device(3)), 1);
    auto* dup = Device(3);
    EXPECT_EQ(io.InsertDevice(dup), -1);
    delete dup;
    ASSERT_EQ(io.GetDeviceCount(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(io.GetDevice(i)->Index, i);
    EXPECT_EQ(io.GetDevice(0)->Number, 1);
    EXPECT_EQ(io.GetDevice(1)->Number, 3);
    EXPECT_EQ(io.GetDevice(2)->Number, 5);
    EXPECT_EQ(io.GetDevice(2)->Owner, &io);
    EXPECT_EQ(io.GetDevice(3), nullptr);
    EXPECT_EQ(io.GetDevice(-1), nullptr);
    EXPECT_EQ(io.IndexOfDeviceNumber(5), 2);
    EXPECT_EQ(io.IndexOfDeviceNumber(4), -1);

    // The list is only enumerated when empty.
    TStringList names;
    io.GetPortList(&names);
    EXPECT_EQ(io.enumerations, 0);
    EXPECT_EQ(names.Texts(), (std::vector<std::string>{"COM1", "COM3", "COM5"}));
    EXPECT_EQ(names.ObjectAs<TsrDevice>(1), io.GetDevice(1));
    io.ClearDevices();
    io.GetPortList(nullptr);
    EXPECT_EQ(io.enumerations, 1);
}

TEST(SerialFrame, AClientMethodIsListedOnceWhateverItsObject) {
    FrameIO io;
    Counter a, b;
    EXPECT_EQ(io.RegisterNotify(TsrNotifyMethod::Of<Counter, &Counter::Notify>(&a)), 0);
    EXPECT_EQ(io.RegisterNotify(TsrNotifyMethod::Of<Counter, &Counter::Notify>(&a)), 0);
    EXPECT_EQ(io.RegisterNotify(TsrNotifyMethod::Of<Counter, &Counter::Notify>(&b)), 0);
    EXPECT_EQ(io.RegisterNotify(TsrNotifyMethod::Of<Counter, &Counter::Other>(&b)), 1);
    io.NotifyClients(3);
    EXPECT_EQ(a.calls, 1);
    EXPECT_EQ(a.lastCode, 3);
    EXPECT_EQ(b.calls, 100);
    io.UnregisterNotify(TsrNotifyMethod::Of<Counter, &Counter::Notify>(&b)); // same code: a's entry goes
    io.NotifyClients(1);
    EXPECT_EQ(a.calls, 1);
    EXPECT_EQ(b.calls, 200);
}

TEST(SerialFrame, DeliveryGoesThroughProcessorTerminalAndOwner) {
    FrameIO io;
    TCustomEdit edit;
    io.SetTerminal(&edit);
    io.SetTerminalUsage(tuBoth);
    std::string owner;
    io.OnAfterReceive = [&](TObject*, const void* d, win32::DWORD n) {
        owner.append(static_cast<const char*>(d), n);
    };

    char buf[16] = "abc";
    io.DoDataReceived(buf, 3);
    EXPECT_EQ(edit.Text, "abc");
    EXPECT_EQ(owner, "abc");
    char one[2] = "z";
    io.DoDataReceived(one, 1);
    EXPECT_EQ(edit.Text, "abcz");

    // A processor that handles the data keeps it from the terminal; the owner still gets it.
    HandlingProcessor p;
    io.SetDataProcessor(&p);
    EXPECT_EQ(p.IO(), &io);
    char more[8] = "de";
    io.DoDataReceived(more, 2);
    EXPECT_EQ(p.seen, "de");
    EXPECT_EQ(edit.Text, "abcz");
    EXPECT_EQ(owner, "abczde");
    io.SetDataProcessor(nullptr);
    EXPECT_EQ(p.IO(), nullptr);
    io.SetTerminal(nullptr);
}

TEST(SerialFrame, ATerminalForSendingShowsNothingReceivedButSendsWhatIsTyped) {
    FrameIO io;
    TCustomEdit edit;
    io.SetTerminal(&edit);
    io.SetTerminalUsage(tuSend);
    char buf[8] = "in";
    io.DoDataReceived(buf, 2);
    EXPECT_EQ(edit.Text, "");
    edit.Perform(win32::WM_CHAR, 'k', 1);
    EXPECT_EQ(io.sent, "k");
    EXPECT_EQ(edit.Text, ""); // swallowed without echo
    io.TerminalEcho = true;
    edit.Perform(win32::WM_CHAR, 'm', 1);
    EXPECT_EQ(io.sent, "km");
    EXPECT_EQ(edit.Text, "m");
    io.SetTerminal(nullptr);
    edit.Perform(win32::WM_CHAR, 'n', 1); // its own procedure is back
    EXPECT_EQ(io.sent, "km");
    EXPECT_EQ(edit.Text, "mn");
}

TEST(SerialFrame, ADestroyedTerminalOrProcessorIsForgotten) {
    FrameIO io;
    {
        TCustomEdit edit;
        io.SetTerminal(&edit);
        HandlingProcessor p;
        io.SetDataProcessor(&p);
    }
    EXPECT_EQ(io.Terminal(), nullptr);
    EXPECT_EQ(io.DataProcessor(), nullptr);
    char buf[4] = "ok";
    io.DoDataReceived(buf, 2); // nothing dangling
}

TEST(SerialFrame, ActiveSetWhileLoadingOpensOnlyWhenLoaded) {
    StoreScope store;
    platform::TLoopUiThread ui;
    PtyPair pty;
    ASSERT_TRUE(win32::BindComPort(2, pty.SlavePath()));
    TsrComm c;
    c.ComponentState |= csLoading;
    c.SetComPortNo(2);
    c.SetActive(true);
    EXPECT_FALSE(c.IsOpen());
    EXPECT_TRUE(c.Active()); // the held value
    c.Loaded();
    EXPECT_TRUE(c.IsOpen());
    c.Close();

    // A stored form naming a port that is gone: the failure is shown, and loading goes on.
    TsrComm gone;
    gone.ComponentState |= csLoading;
    gone.SetComPortNo(9);
    gone.SetActive(true);
    EXPECT_NO_THROW(gone.Loaded());
    EXPECT_FALSE(gone.Active());
    EXPECT_EQ(ui.ShownExceptions(), 1);
    EXPECT_EQ(ui.LastShownException(), "error");
}

TEST(SerialPortList, PortsAreListedByNumberNotByText) {
    StoreScope store;
    for (int n : {3, 1, 10})
        ASSERT_TRUE(win32::BindComPort(n, "/dev/null"));
    TStringList names;
    GetSerialPortNames(names, false);
    EXPECT_EQ(names.Texts(), (std::vector<std::string>{"COM1", "COM3", "COM10"}));
    TStringList withDevice;
    GetSerialPortNames(withDevice, true);
    EXPECT_EQ(withDevice.Strings(0), "COM1=\\Device\\Serial0");
    EXPECT_EQ(withDevice.Objects(2), 10);

    TsrComm c;
    TStringList ports;
    c.GetPortList(&ports);
    EXPECT_EQ(ports.Texts(), (std::vector<std::string>{"COM1", "COM3", "COM10"}));
    EXPECT_EQ(ports.ObjectAs<TsrDevice>(2)->Number, 10);
    EXPECT_EQ(ports.ObjectAs<TsrDevice>(2)->DeviceObject, "\\Device\\Serial9");

    // Listed once: a new port shows only after a device change.
    ASSERT_TRUE(win32::BindComPort(4, "/dev/null"));
    c.GetPortList(&ports);
    EXPECT_EQ(ports.Count(), 3);

    win32::TDeviceChangeMessage volume(win32::DBT_DEVICEARRIVAL, "");
    reinterpret_cast<win32::DEV_BROADCAST_HDR*>(volume.Message().LParam)->dbch_devicetype = 2;
    EXPECT_FALSE(c.HandleDeviceChange(volume.Message()));
    c.GetPortList(&ports);
    EXPECT_EQ(ports.Count(), 3);

    win32::TDeviceChangeMessage arrival(win32::DBT_DEVICEARRIVAL, "COM4");
    EXPECT_TRUE(c.HandleDeviceChange(arrival.Message()));
    c.GetPortList(&ports);
    EXPECT_EQ(ports.Texts(), (std::vector<std::string>{"COM1", "COM3", "COM4", "COM10"}));

    ASSERT_TRUE(win32::UnbindComPort(3));
    win32::TMessage nodes{win32::WM_DEVICECHANGE, win32::DBT_DEVNODES_CHANGED, 0, 0};
    EXPECT_TRUE(c.HandleDeviceChange(nodes));
    c.GetPortList(&ports);
    EXPECT_EQ(ports.Texts(), (std::vector<std::string>{"COM1", "COM4", "COM10"}));

    win32::TMessage other{win32::WM_DEVICECHANGE, 0x8001, 0, 0};
    EXPECT_FALSE(c.HandleDeviceChange(other));
    win32::TMessage notDevice{win32::WM_TIMER, win32::DBT_DEVNODES_CHANGED, 0, 0};
    EXPECT_FALSE(c.HandleDeviceChange(notDevice));
}

TEST(SerialPortList, FullInfoDescribesUsbAdaptersFromSysfs) {
    StoreScope store;
    namespace fs = std::filesystem;
    const auto& f = store.Folder();
    fs::create_directories(f.File("sys/devices/usb1/1-1/1-1:1.0/ttyUSB0"));
    std::ofstream(f.File("sys/devices/usb1/1-1/idVendor")) << "0403\n";
    std::ofstream(f.File("sys/devices/usb1/1-1/idProduct")) << "6001\n";
    std::ofstream(f.File("sys/devices/usb1/1-1/product")) << "FT232R USB UART\n";
    std::ofstream(f.File("sys/devices/usb1/1-1/manufacturer")) << "FTDI\n";
    std::ofstream(f.File("sys/devices/usb1/1-1/serial")) << "A1B2C3\n";
    fs::create_directories(f.File("sys/class/tty/ttyUSB0"));
    fs::create_directory_symlink(f.File("sys/devices/usb1/1-1/1-1:1.0/ttyUSB0"),
                                 f.File("sys/class/tty/ttyUSB0/device"));
    fs::create_directories(f.File("sys/bus/usb-serial/drivers/ftdi_sio"));
    fs::create_directory_symlink(f.File("sys/bus/usb-serial/drivers/ftdi_sio"),
                                 f.File("sys/devices/usb1/1-1/1-1:1.0/ttyUSB0/driver"));
    ASSERT_TRUE(win32::BindComPort(7, "/dev/null"));

    TsrComm quick;
    TStringList ports;
    quick.GetPortList(&ports);
    EXPECT_EQ(ports.Texts(), (std::vector<std::string>{"COM1", "COM7"}));

    TsrComm full;
    full.EnumPorts = epFullInfo;
    full.GetPortList(&ports);
    ASSERT_EQ(ports.Count(), 2);
    EXPECT_EQ(ports.Strings(0), "COM1 (FT232R USB UART)");
    const auto* d = ports.ObjectAs<TsrDevice>(0);
    EXPECT_EQ(d->Manufacturer, "FTDI");
    EXPECT_EQ(d->Service, "ftdi_sio");
    EXPECT_EQ(d->InstanceId, "USB\\VID_0403&PID_6001\\A1B2C3");
    EXPECT_EQ(d->PortName, "COM1");

    // Present only: a binding to a path that is not there is left out.
    store.Folder().Write("dev/ttyUSB0", std::string());
    ASSERT_TRUE(win32::BindComPort(8, "/nonexistent/port"));
    TsrComm present;
    present.EnumPorts = epFullPresent;
    present.GetPortList(&ports);
    EXPECT_EQ(ports.Count(), 2);
    EXPECT_EQ(ports.IndexOf("COM8"), -1);
}

TEST(SerialPortList, ChoosingADeviceByIndexSetsThePortNumber) {
    StoreScope store;
    for (int n : {2, 6})
        ASSERT_TRUE(win32::BindComPort(n, "/dev/null"));
    TsrComm c;
    c.GetPortList(nullptr);
    c.SetDeviceIndex(1);
    EXPECT_EQ(c.ComPortNo(), 6);
    EXPECT_EQ(c.GetDeviceIndex(), 1);
    c.SetDeviceIndex(5); // outside: nothing
    EXPECT_EQ(c.ComPortNo(), 6);
    c.SetComPortNo(3);
    EXPECT_EQ(c.GetDeviceIndex(), -1);
}

TEST(SerialHelpers, MultiSzAndSortedInsertion) {
    const char block[] = "one\0two\0three\0";
    EXPECT_EQ(MultiSzToString(block, sizeof block, ";"), "one;two;three");
    EXPECT_EQ(MultiSzToString(block, 4, ";"), "one");
    EXPECT_EQ(MultiSzToString("\0", 1, ";"), "");
    TStringList list;
    AddPortSorted("COM5", 5, list);
    AddPortSorted("COM2", 2, list);
    AddPortSorted("COM9", 9, list);
    AddPortSorted("COM2", 2, list);
    AddPortSorted("X9", 9, list); // the highest number already present is not added again
    EXPECT_EQ(list.Texts(), (std::vector<std::string>{"COM2", "COM5", "COM9"}));
    AddPortSorted("X5", 5, list); // goes before the first higher number
    EXPECT_EQ(list.Texts(), (std::vector<std::string>{"COM2", "COM5", "X5", "COM9"}));
}

TEST(SerialFrame, TheTimerTicksOnTheUiThreadUntilDisabled) {
    platform::TLoopUiThread ui;
    TsrTimer timer;
    int ticks = 0;
    bool onUi = true;
    timer.SetInterval(5);
    timer.SetOnTimer([&](TObject*) {
        ++ticks;
        onUi = onUi && ui.IsUiThread();
    });
    ASSERT_TRUE(ui.RunUntil([&] { return ticks >= 2; }, 2s));
    EXPECT_TRUE(onUi);
    timer.SetEnabled(false);
    ui.ProcessMessages(); // a tick posted before the disable does not run
    const int stopped = ticks;
    ui.RunFor(30ms);
    EXPECT_EQ(ticks, stopped);
}

TEST(SerialFrame, AProcessorSendsThroughItsComponentUnlessItsHandlerTakesTheData) {
    FrameIO io;
    TsrCustomDataProcessor p;
    io.SetDataProcessor(&p);
    p.DoStringSend("abc");
    EXPECT_EQ(io.sent, "abc");
    p.OnSendData = [](TObject*, const void*, bool& handled, bool isString, win32::DWORD n) {
        EXPECT_TRUE(isString);
        EXPECT_EQ(n, 2u);
        handled = true;
    };
    p.DoStringSend("de");
    p.DoStringSend("");
    EXPECT_EQ(io.sent, "abc");
    // A send that fails does not reach the sender, but it leaves its line in the diagnostic log.
    p.OnSendData = [](TObject*, const void*, bool&, bool, win32::DWORD) { throw EsrError("write refused"); };
    std::vector<std::string> diagnostics;
    {
        platform::CatturaDiagnostica capture([&](std::string_view l) { diagnostics.emplace_back(l); });
        EXPECT_NO_THROW(p.DoStringSend("fg"));
    }
    ASSERT_EQ(diagnostics.size(), 1u);
    EXPECT_EQ(diagnostics[0].rfind("vm415: srclasses: ", 0), 0u) << diagnostics[0];
    EXPECT_NE(diagnostics[0].find("write refused"), std::string::npos) << diagnostics[0];
    p.OnSendData = nullptr;
    // Told of the medium's opening and closing through the client list.
    struct Log : TsrCustomLogFile {
        std::vector<std::string> lines;
        void WriteEmpty() override {}
        void WriteLine(int, const std::string& t) override { lines.push_back(t); }
        void WriteFormat(int, const std::string&, const std::string& t) override { lines.push_back(t); }
    } log;
    p.Log = &log;
    io.NotifyClients(srNotifyOpened);
    io.NotifyClients(srNotifyClosed);
    EXPECT_EQ(log.lines, (std::vector<std::string>{"Medium Opened", "Medium Closed"}));
    io.SetDataProcessor(nullptr);
    io.NotifyClients(srNotifyOpened); // no longer a client
    EXPECT_EQ(log.lines.size(), 2u);
    p.Log = nullptr;
}

namespace {
// A component whose generic I/O thread delivers data, as an I/O component without its own threads does.
class ThreadedIO : public FrameIO {
  public:
    std::atomic<bool> delivered{false};
    void ThreadBody(platform::TThread* thread) override {
        char data[4] = "io!";
        DoDataReceived(data, 3);
        delivered = true;
        while (!thread->Terminated())
            std::this_thread::sleep_for(1ms);
    }
};
} // namespace

TEST(SerialFrame, TheGenericIoThreadHandsReceivedDataToTheUiThread) {
    platform::TLoopUiThread ui;
    ThreadedIO io;
    io.SetUseMainThread(true);
    std::string got;
    bool onUi = false;
    io.OnAfterReceive = [&](TObject*, const void* d, win32::DWORD n) {
        got.append(static_cast<const char*>(d), n);
        onUi = ui.IsUiThread();
    };
    io.StartThreads();
    ASSERT_TRUE(ui.RunUntil([&] { return io.delivered.load(); }, 2s));
    EXPECT_EQ(got, "io!");
    EXPECT_TRUE(onUi);
    io.StopThreads(); // terminates and waits
    io.StopThreads(); // once only
}
