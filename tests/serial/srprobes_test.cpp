// Line probes and the port settings stored as one 49-byte registry value.
#include "serial/SerialTestSupport.h"
#include "serial/srcomm.h"

#include "platform/thread/Thread.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace std::chrono_literals;
using serial_test::FakeLines;
using serial_test::PtyPair;
using serial_test::StoreScope;

namespace {

class Lines : public TsrCustomLogFile {
  public:
    std::vector<std::string> lines;
    void WriteEmpty() override {}
    void WriteLine(int, const std::string& Text) override { lines.push_back(Text); }
    void WriteFormat(int, const std::string&, const std::string& Text) override { lines.push_back(Text); }
};

class ProbeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(win32::BindComPort(4, pty.SlavePath()));
        win32::RegisterLineDevice(pty.SlavePath(), fake);
    }
    void TearDown() override { win32::UnregisterLineDevice(pty.SlavePath()); }

    StoreScope store;
    platform::TLoopUiThread ui;
    PtyPair pty;
    std::shared_ptr<FakeLines> fake = std::make_shared<FakeLines>();
};

} // namespace

TEST_F(ProbeTest, SettingsAreSavedAndLoadedAsOneValue) {
    TsrComm a;
    Lines log;
    a.SetLog(&log);
    a.SetComPortNo(4);
    a.SetBaudRate(38400);
    a.SetParity(pOdd);
    a.SetStopBits(sbTwo);
    a.SetByteSize(7);
    a.SetTimeoutWrite(250);
    a.SaveConfig(win32::HKEY_CURRENT_USER, "Software\\Vm415\\Port", "Settings");
    EXPECT_EQ(log.lines.back(), "srComm: Configuration was saved");

    win32::HKEY key;
    ASSERT_EQ(
        win32::RegOpenKeyExA(win32::HKEY_CURRENT_USER, "Software\\Vm415\\Port", 0, win32::KEY_READ, &key), 0);
    win32::DWORD type = 0, size = 0;
    ASSERT_EQ(win32::RegQueryValueExA(key, "Settings", nullptr, &type, nullptr, &size), 0);
    EXPECT_EQ(type, win32::REG_BINARY);
    EXPECT_EQ(size, 49u);
    std::uint8_t value[49];
    ASSERT_EQ(win32::RegQueryValueExA(key, "Settings", nullptr, &type, value, &size), 0);
    win32::RegCloseKey(key);
    EXPECT_EQ(value[0], 4);
    EXPECT_EQ(std::memcmp(value + 1, &a.Dcb(), 28), 0);
    EXPECT_EQ(std::memcmp(value + 29, &a.Timeouts(), 20), 0);

    TsrComm b;
    b.LoadConfig(win32::HKEY_CURRENT_USER, "Software\\Vm415\\Port", "Settings");
    EXPECT_EQ(b.ComPortNo(), 4);
    EXPECT_EQ(b.BaudRate(), 38400u);
    EXPECT_EQ(b.Parity(), pOdd);
    EXPECT_EQ(b.StopBits(), sbTwo);
    EXPECT_EQ(b.ByteSize(), 7);
    EXPECT_EQ(b.TimeoutWrite(), 250u);
    EXPECT_FALSE(b.Active());
    a.SetLog(nullptr);
}

TEST_F(ProbeTest, AValueOfTheWrongSizeIsIgnoredButTheLoadIsLogged) {
    win32::HKEY key;
    ASSERT_EQ(win32::RegCreateKeyExA(win32::HKEY_CURRENT_USER, "Software\\Vm415\\Port", 0, nullptr, 0,
                                     win32::KEY_WRITE, nullptr, &key, nullptr),
              0);
    std::uint8_t value[48];
    std::memset(value, 0x11, sizeof value);
    ASSERT_EQ(win32::RegSetValueExA(key, "Settings", 0, win32::REG_BINARY, value, sizeof value), 0);
    win32::RegCloseKey(key);

    TsrComm c;
    Lines log;
    c.SetLog(&log);
    const win32::DCB before = c.Dcb();
    c.LoadConfig(win32::HKEY_CURRENT_USER, "Software\\Vm415\\Port", "Settings");
    EXPECT_EQ(c.ComPortNo(), 1);
    EXPECT_EQ(std::memcmp(&before, &c.Dcb(), sizeof before), 0);
    EXPECT_EQ(log.lines.back(), "srComm: Configuration was loaded");
    log.lines.clear();
    c.LoadConfig(win32::HKEY_CURRENT_USER, "Software\\Nothing", "Settings");
    EXPECT_EQ(log.lines.back(), "srComm: Configuration was loaded");
    c.SetLog(nullptr);
}

TEST_F(ProbeTest, AStoreThatCannotBeWrittenEndsInAFatalError) {
    TsrComm c;
    // The store's folder is a file: nothing can be written there.
    store.Folder().Write("blocked", std::string("x"));
    const std::string previous = win32::SetRegistryFolder(store.Folder().File("blocked"));
    EXPECT_THROW(c.SaveConfig(win32::HKEY_CURRENT_USER, "Software\\Vm415\\Port", "Settings"), EsrError);
    bool called = false;
    c.OnFatalError = [&](TObject*, win32::DWORD code, win32::DWORD, const std::string& msg, bool& raise) {
        called = true;
        EXPECT_EQ(code, 1u);
        EXPECT_EQ(msg, "Error on save config information from registry");
        raise = false;
    };
    EXPECT_NO_THROW(c.SaveConfig(win32::HKEY_CURRENT_USER, "Software\\Vm415\\Port", "Settings"));
    EXPECT_TRUE(called);
    win32::SetRegistryFolder(previous);
}

TEST_F(ProbeTest, WaitsEndAtOnceOnAClosedPortAndSeeInputOnAnOpenOne) {
    TsrComm c;
    EXPECT_FALSE(c.WaitForInput(1, 1000));
    EXPECT_FALSE(c.WaitForModemSignal(msDSR, 1000));
    c.SetComPortNo(4);
    c.SetActive(true);
    c.SetTraceStates({tsRxChar});
    pty.Write("ab");
    EXPECT_TRUE(c.WaitForInput(2, 2000));
    EXPECT_TRUE(c.TraceStates().Contains(tsRxChar)); // given back
    char buf[2];
    EXPECT_TRUE(c.ReadData(buf, 2));
    EXPECT_EQ(std::string(buf, 2), "ab");
    EXPECT_FALSE(c.WaitForInput(1, 20));
    fake->SetLine(win32::linebits::CTS, true);
    EXPECT_TRUE(c.WaitForModemSignal(msCTS, 1000));
    c.Close();
}

TEST_F(ProbeTest, TestConnectionNeedsDsrInAnswerToDtr) {
    TsrComm c;
    Lines log;
    c.SetComPortNo(4);
    c.SetActive(true);
    c.SetLog(&log);
    fake->LoopDtrToDsr(true);
    c.TestConnection();
    EXPECT_EQ(log.lines.back(), "srComm: The device connection was succesful tested");
    EXPECT_TRUE(fake->Lines() & win32::linebits::RTS);
    fake->LoopDtrToDsr(false);
    try {
        c.TestConnection();
        FAIL() << "no exception";
    } catch (const EsrError& e) {
        EXPECT_EQ(std::string(e.what()), "Device Connect Initialization Error");
    }
    c.SetLog(nullptr);
    c.Close();
}

TEST_F(ProbeTest, PlugAndPlayIdIsReadAndThePortLeftAsItWas) {
    TsrComm c;
    c.SetComPortNo(4);
    c.SetBaudRate(9600);
    c.SetTraceStates({tsRxChar, tsErr});
    fake->LoopDtrToDsr(true);
    // The device answers the second raise of RTS with an identifier.
    std::atomic<int> raises{0};
    fake->OnChange([&](int set, int) {
        if ((set & win32::linebits::RTS) && ++raises == 2) pty.Write("(ABC)rest");
    });
    const std::string id = c.ReadPnPId();
    EXPECT_EQ(id, "(ABC)");
    EXPECT_FALSE(c.Active());
    EXPECT_EQ(c.BaudRate(), 9600u);
    EXPECT_EQ(c.ByteSize(), 8);
    EXPECT_EQ(c.TraceStates(), (TTraceStates{tsRxChar, tsErr}));
    fake->OnChange(nullptr);
}

TEST_F(ProbeTest, AnIdentifierThatStopsAfterItsFirstCharacterIsThatCharacter) {
    TsrComm c;
    c.SetComPortNo(4);
    c.SetBaudRate(19200);
    c.SetActive(true);
    fake->LoopDtrToDsr(true);
    std::atomic<int> raises{0};
    fake->OnChange([&](int set, int) {
        if ((set & win32::linebits::RTS) && ++raises == 2) pty.Write("(");
    });
    EXPECT_EQ(c.ReadPnPId(), "(");
    EXPECT_TRUE(c.Active());
    EXPECT_EQ(c.BaudRate(), 19200u);
    fake->OnChange(nullptr);
    c.Close();
}

TEST_F(ProbeTest, PlugAndPlayWithoutDsrRaisesAndLeavesTheClosedPortClosed) {
    TsrComm c;
    c.SetComPortNo(4);
    EXPECT_THROW(c.ReadPnPId(), EsrError);
    EXPECT_FALSE(c.Active());
}
