// The serial port component over pseudo-terminal pairs: open and close, line settings, events to
// the owner on the UI thread, port failures, and the port's threads.
#include "serial/SerialTestSupport.h"
#include "serial/srcomm.h"

#include "platform/thread/Thread.h"
#include "support/Attesa.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <future>
#include <numeric>

using namespace std::chrono_literals;
using serial_test::FakeLines;
using serial_test::PtyPair;
using serial_test::StoreScope;

namespace {

class CaptureLog : public TsrCustomLogFile {
  public:
    void WriteEmpty() override { Add(""); }
    void WriteLine(int Level, const std::string& Text) override { Add(std::to_string(Level) + " " + Text); }
    void WriteFormat(int Level, const std::string&, const std::string& Text) override {
        Add(std::to_string(Level) + " " + Text);
    }
    std::vector<std::string> Lines() {
        std::lock_guard lock(m_);
        return lines_;
    }
    void Add(const std::string& s) {
        std::lock_guard lock(m_);
        lines_.push_back(s);
    }

  private:
    std::mutex m_;
    std::vector<std::string> lines_;
};

// Exposes the held DCB for checks of the kept flag bits.
class TestComm : public TsrComm {
  public:
    using TsrCustomComm::MutableDcb;
};

// Records notification codes from the component.
struct Client {
    std::mutex m;
    std::vector<int> codes;
    void Notify(TObject*, int code) {
        std::lock_guard lock(m);
        codes.push_back(code);
    }
    std::vector<int> Codes() {
        std::lock_guard lock(m);
        return codes;
    }
};

class PortTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(win32::BindComPort(5, pty.SlavePath())); }
    void TearDown() override {
        if (fake) win32::UnregisterLineDevice(pty.SlavePath());
    }
    void UseFakeLines() {
        fake = std::make_shared<FakeLines>();
        win32::RegisterLineDevice(pty.SlavePath(), fake);
    }
    // Opens COM5 with the settings the program's port uses.
    void OpenPort(TsrComm& c) {
        c.SetComPortNo(5);
        c.SetStreamProtocol(spNone);
        c.SetBaudRate(9600);
        c.SetActive(true);
        ASSERT_TRUE(c.Active());
    }

    StoreScope store;
    platform::TLoopUiThread ui;
    PtyPair pty;
    std::shared_ptr<FakeLines> fake;
};

std::vector<std::uint8_t> Pattern(std::size_t n) {
    std::vector<std::uint8_t> v(n);
    for (std::size_t i = 0; i < n; ++i)
        v[i] = static_cast<std::uint8_t>((i * 7 + i / 251) & 0xFF);
    return v;
}

} // namespace

TEST(SerialComponent, PropertiesAfterConstructionAndTheirStoredForms) {
    StoreScope store;
    TestComm c;
    EXPECT_FALSE(c.Active());
    EXPECT_EQ(c.BaudRate(), 19200u);
    EXPECT_EQ(c.ByteSize(), 8);
    EXPECT_EQ(c.Parity(), pNone);
    EXPECT_EQ(c.StopBits(), sbOne);
    EXPECT_EQ(c.ComPortNo(), 1);
    EXPECT_EQ(c.ComPort(), cpCOM1);
    EXPECT_EQ(c.StreamProtocol(), spHardware);
    EXPECT_EQ(c.BufferInSize(), 8192);
    EXPECT_EQ(c.BufferOutSize(), 8192);
    EXPECT_TRUE(c.UseMainThread());
    EXPECT_TRUE(c.TraceStates().Empty());
    EXPECT_EQ(c.EventChar(), '\0');
    EXPECT_EQ(c.Dcb().DCBlength, 28u);

    c.SetByteSize(3);
    EXPECT_EQ(c.ByteSize(), 8);
    c.SetByteSize(7);
    EXPECT_EQ(c.ByteSize(), 7);
    c.SetByteSize(9);
    EXPECT_EQ(c.ByteSize(), 8);

    c.SetComPortNo(12);
    EXPECT_EQ(c.ComPort(), cpCOMxx);
    c.SetComPort(cpCOMxx);
    EXPECT_EQ(c.ComPortNo(), 12);
    c.SetComPort(cpCOM8);
    EXPECT_EQ(c.ComPortNo(), 8);
    EXPECT_EQ(c.ComPort(), cpCOM8);
    EXPECT_EQ(c.GetDeviceName(), "COM8");
}

TEST(SerialComponent, LineSettingsMakeTheDcbFlagWord) {
    StoreScope store;
    TestComm c;
    // Bits outside the kept mask come from the protocol alone; kept bits survive every update.
    c.MutableDcb().Flags = 0xFFFFFFFFu;
    c.SetStreamProtocol(spNone);
    EXPECT_EQ(c.Dcb().Flags, 0x4CEAu | 0x1011u);
    c.MutableDcb().Flags = win32::dcbflag::fDsrSensitivity;
    c.SetStreamProtocol(spXonXoff);
    EXPECT_EQ(c.Dcb().Flags, win32::dcbflag::fDsrSensitivity | 0x1311u);
    c.SetStreamProtocol(spHardware);
    EXPECT_EQ(c.Dcb().Flags, win32::dcbflag::fDsrSensitivity | 0x2015u);
    EXPECT_EQ(c.Dcb().RtsControl(), win32::RTS_CONTROL_HANDSHAKE);

    c.SetRS485Mode(true);
    for (auto p : {spNone, spXonXoff, spHardware}) {
        c.SetStreamProtocol(p);
        EXPECT_EQ(c.Dcb().RtsControl(), win32::RTS_CONTROL_TOGGLE);
        EXPECT_EQ(c.Dcb().Flags & ~0x4CEAu, 0x3011u);
    }

    c.SetParity(pEven);
    EXPECT_TRUE(c.Dcb().Flags & win32::dcbflag::fParity);
    EXPECT_EQ(c.Dcb().Parity, win32::EVENPARITY);
    c.SetParity(pNone);
    EXPECT_FALSE(c.Dcb().Flags & win32::dcbflag::fParity);
    EXPECT_EQ(c.Dcb().XonLim, 80);
    EXPECT_EQ(c.Dcb().XoffLim, 200);
    EXPECT_EQ(c.Dcb().XonChar, 17);
    EXPECT_EQ(c.Dcb().XoffChar, 19);

    c.SetTimeoutRead(7);
    c.SetTimeoutWrite(100);
    EXPECT_EQ(c.Timeouts().ReadIntervalTimeout, 7u);
    EXPECT_EQ(c.Timeouts().WriteTotalTimeoutConstant, 100u);
    EXPECT_EQ(c.Timeouts().ReadTotalTimeoutConstant, 0u);
}

TEST_F(PortTest, OpeningAPortThatDoesNotExistRaisesAfterTheOwnerHadItsSay) {
    TsrComm c;
    std::vector<std::tuple<win32::DWORD, win32::DWORD, std::string>> fatal;
    c.OnFatalError = [&](TObject*, win32::DWORD code, win32::DWORD detail, const std::string& msg,
                         bool& raise) {
        fatal.emplace_back(code, detail, msg);
        EXPECT_TRUE(raise);
    };
    c.SetComPortNo(9);
    const std::string expected = "Device \"COM9\" Open Error !!!\rThe system cannot find the file specified";
    try {
        c.SetActive(true);
        FAIL() << "no exception";
    } catch (const EsrError& e) {
        EXPECT_EQ(std::string(e.what()), expected);
    }
    ASSERT_EQ(fatal.size(), 1u);
    EXPECT_EQ(std::get<0>(fatal[0]), 1u);
    EXPECT_EQ(std::get<1>(fatal[0]), 0u);
    EXPECT_EQ(std::get<2>(fatal[0]), expected);
    EXPECT_FALSE(c.Active());
    EXPECT_FALSE(c.ThreadsRunning());

    // An owner that clears RaiseException gets no exception.
    c.OnFatalError = [](TObject*, win32::DWORD, win32::DWORD, const std::string&, bool& raise) {
        raise = false;
    };
    EXPECT_NO_THROW(c.SetActive(true));
    EXPECT_FALSE(c.Active());
}

TEST_F(PortTest, LineSettingsThePortRefusesAreAFailureNotASuccess) {
    std::vector<std::pair<win32::DWORD, std::string>> fatal;
    auto record = [&](TObject*, win32::DWORD code, win32::DWORD, const std::string& msg, bool&) {
        fatal.emplace_back(code, msg);
    };
    // The driver refuses the line settings of an open port: the owner hears of it, then the caller.
    TsrComm c;
    c.OnFatalError = record;
    OpenPort(c);
    EXPECT_THROW(c.SetBaudRate(0), EsrError);
    ASSERT_EQ(fatal.size(), 1u);
    EXPECT_EQ(fatal[0].first, 1u);
    EXPECT_EQ(fatal[0].second.rfind("Device \"COM5\" Setup Error !!!\r", 0), 0u) << fatal[0].second;
    EXPECT_TRUE(c.Active()); // the line keeps what it had
    c.OnFatalError = [&](TObject*, win32::DWORD, win32::DWORD, const std::string&, bool& raise) {
        fatal.emplace_back(0, "");
        raise = false;
    };
    EXPECT_NO_THROW(c.SetBaudRate(0)); // an owner that takes the error itself
    EXPECT_EQ(fatal.size(), 2u);
    c.Close();

    // A handle that takes no queue sizes (not a port): the open fails and leaves nothing open.
    class NotAPort : public TsrComm {
      public:
        win32::HANDLE OpenHandle() override {
            return win32::CreateEventA(nullptr, win32::FALSE, win32::FALSE, nullptr);
        }
    } d;
    fatal.clear();
    d.OnFatalError = record;
    EXPECT_THROW(d.SetActive(true), EsrError);
    ASSERT_EQ(fatal.size(), 1u);
    EXPECT_NE(fatal[0].second.find("Setup Error"), std::string::npos) << fatal[0].second;
    EXPECT_FALSE(d.Active());
    EXPECT_FALSE(d.ThreadsRunning());
}

TEST_F(PortTest, APortInUseCannotBeOpenedTwice) {
    TsrComm first, second;
    OpenPort(first);
    second.SetComPortNo(5);
    try {
        second.SetActive(true);
        FAIL() << "no exception";
    } catch (const EsrError& e) {
        EXPECT_NE(std::string(e.what()).find("Access is denied"), std::string::npos);
        EXPECT_NE(std::string(e.what()).find("dialout"), std::string::npos);
    }
    EXPECT_TRUE(first.Active());
    EXPECT_FALSE(second.Active());
}

TEST_F(PortTest, OpenAndCloseTellClientsLogAndFireTxEmpty) {
    TsrComm c;
    CaptureLog log;
    Client client;
    c.SetLog(&log);
    c.RegisterNotify(TsrNotifyMethod::Of<Client, &Client::Notify>(&client));
    c.RegisterNotify(TsrNotifyMethod::Of<Client, &Client::Notify>(&client)); // listed once
    c.OnTraceState = [&](TObject*, TTraceStates s) {
        if (s == TTraceStates{tsTxEmpty}) log.Add("trace tsTxEmpty");
    };

    // Close on a closed port: nothing logged, but the trace event still comes.
    c.Close();
    EXPECT_EQ(log.Lines(), std::vector<std::string>{"trace tsTxEmpty"});

    c.SetBufferInSize(4096);
    c.SetComPortNo(5);
    c.SetActive(true);
    ASSERT_TRUE(c.Active());
    EXPECT_GE(c.ReceiveBufferSize(), 8192u);
    EXPECT_TRUE(c.ThreadsRunning());

    // Open on an open port closes it first.
    c.Open();
    ASSERT_TRUE(c.Active());
    c.Close();
    EXPECT_FALSE(c.Active());
    EXPECT_FALSE(c.ThreadsRunning());
    EXPECT_EQ(c.ReceiveBufferSize(), 0u);

    // Every open closes first, so even an open of a closed port brings the trace event.
    const std::vector<std::string> expected = {
        "trace tsTxEmpty",
        "trace tsTxEmpty",
        "0 srComm: The port COM5 is opened succesfully",
        "0 srComm: The port is closed succesfully",
        "trace tsTxEmpty",
        "0 srComm: The port COM5 is opened succesfully",
        "0 srComm: The port is closed succesfully",
        "trace tsTxEmpty",
    };
    EXPECT_EQ(log.Lines(), expected);
    // 3 for the port number, then opened / closed / opened / closed.
    EXPECT_EQ(client.Codes(), (std::vector<int>{3, 2, 1, 2, 1}));
    c.SetLog(nullptr);
}

TEST_F(PortTest, SettingThePortNumberReopensEvenWhenUnchanged) {
    ASSERT_TRUE(win32::BindComPort(6, "/nonexistent/tty"));
    TsrComm c;
    Client client;
    OpenPort(c);
    c.RegisterNotify(TsrNotifyMethod::Of<Client, &Client::Notify>(&client));
    c.SetComPortNo(5);
    EXPECT_TRUE(c.Active());
    EXPECT_EQ(client.Codes(), (std::vector<int>{1, 2, 3}));

    // A closed port stays closed when its number changes.
    c.SetActive(false);
    c.SetComPortNo(7);
    EXPECT_FALSE(c.Active());
}

TEST_F(PortTest, ReceivedBytesReachTheOwnerOnTheUiThreadInOrder) {
    TsrComm c;
    std::vector<std::uint8_t> received;
    int calls = 0;
    bool allOnUi = true;
    int depth = 0, maxDepth = 0;
    std::size_t largest = 0;
    c.OnAfterReceive = [&](TObject* sender, const void* data, win32::DWORD n) {
        EXPECT_EQ(sender, &c);
        allOnUi = allOnUi && ui.IsUiThread();
        maxDepth = std::max(maxDepth, ++depth);
        const auto* b = static_cast<const std::uint8_t*>(data);
        received.insert(received.end(), b, b + n);
        largest = std::max<std::size_t>(largest, n);
        ++calls;
        --depth;
    };
    c.SetTraceStates({tsRxChar, tsBreak, tsErr});
    OpenPort(c);

    pty.Write("hello ");
    ASSERT_TRUE(ui.RunUntil([&] { return received.size() >= 6; }, 5s));
    EXPECT_EQ(std::string(received.begin(), received.end()), "hello ");

    // A burst larger than the driver hands over at once arrives in several calls, in order.
    const auto burst = Pattern(40000);
    std::thread writer([&] { pty.Write(burst); });
    const bool all = ui.RunUntil([&] { return received.size() >= 6 + burst.size(); }, 10s);
    writer.join();
    ASSERT_TRUE(all);
    EXPECT_TRUE(std::equal(burst.begin(), burst.end(), received.begin() + 6));
    EXPECT_GT(calls, 2);
    EXPECT_LT(largest, c.ReceiveBufferSize());
    EXPECT_TRUE(allOnUi);
    EXPECT_EQ(maxDepth, 1);
    c.Close();
}

TEST_F(PortTest, WithoutUseMainThreadEventsRunOnTheMessageThread) {
    TsrComm c;
    std::atomic<bool> onUi{true};
    std::atomic<std::size_t> count{0};
    c.SetUseMainThread(false);
    c.OnAfterReceive = [&](TObject*, const void*, win32::DWORD n) {
        onUi = ui.IsUiThread();
        count += n;
    };
    OpenPort(c);
    pty.Write("abc");
    ASSERT_TRUE(ui.RunUntil([&] { return count.load() >= 3; }, 5s));
    EXPECT_FALSE(onUi.load());
    c.Close();
}

TEST_F(PortTest, BytesStayQueuedWithoutAReceiver) {
    TsrComm c;
    OpenPort(c); // TraceStates [] and no OnAfterReceive
    pty.Write("12345");
    ASSERT_TRUE(ui.RunUntil([&] { return c.GetInQueue() == 5; }, 5s));
    ui.RunFor(50ms);
    EXPECT_EQ(c.GetInQueue(), 5u);

    // Once a receiver is there, the next byte brings all of them.
    std::string got;
    c.OnAfterReceive = [&](TObject*, const void* d, win32::DWORD n) {
        got.append(static_cast<const char*>(d), n);
    };
    pty.Write("6");
    ASSERT_TRUE(ui.RunUntil([&] { return got.size() >= 6; }, 5s));
    EXPECT_EQ(got, "123456");
    c.Close();
}

TEST_F(PortTest, ALineErrorComesAsCommErrorAndTheBytesWithTheNextCharacter) {
    UseFakeLines();
    TsrComm c;
    std::string got;
    std::vector<win32::DWORD> errors;
    c.OnAfterReceive = [&](TObject*, const void* d, win32::DWORD n) {
        got.append(static_cast<const char*>(d), n);
    };
    c.OnCommError = [&](TObject*, win32::DWORD code, win32::DWORD sys, TComStateFlags, bool& flush) {
        errors.push_back(code);
        EXPECT_EQ(sys, 0u);
        EXPECT_FALSE(flush);
    };
    c.SetTraceStates({tsRxChar});
    OpenPort(c);

    fake->BumpFrameErrors();
    pty.Write("abc");
    ASSERT_TRUE(ui.RunUntil([&] { return !errors.empty(); }, 5s));
    EXPECT_EQ(errors, std::vector<win32::DWORD>{win32::CE_FRAME});
    ui.RunFor(30ms);
    EXPECT_EQ(got, "");
    EXPECT_EQ(c.GetInQueue(), 3u);

    pty.Write("d");
    ASSERT_TRUE(ui.RunUntil([&] { return got.size() >= 4; }, 5s));
    EXPECT_EQ(got, "abcd");
    EXPECT_EQ(errors.size(), 1u);
    c.Close();
}

TEST_F(PortTest, ABreakWhoseErrorWasAlreadyClearedComesAsTraceState) {
    UseFakeLines();
    TsrComm c;
    std::vector<TTraceStates> traces;
    std::vector<win32::DWORD> errors;
    c.OnTraceState = [&](TObject*, TTraceStates s) { traces.push_back(s); };
    c.OnCommError = [&](TObject*, win32::DWORD code, win32::DWORD, TComStateFlags, bool&) {
        errors.push_back(code);
    };
    c.SetTraceStates({tsRxChar, tsBreak, tsErr});
    OpenPort(c);
    traces.clear();

    fake->BumpBreaks();
    ASSERT_TRUE(ui.RunUntil([&] { return !errors.empty() || !traces.empty(); }, 5s));
    // The driver's error state comes first: the owner hears of the break as a comm error.
    EXPECT_EQ(errors, std::vector<win32::DWORD>{win32::CE_BREAK});
    EXPECT_TRUE(traces.empty());
    c.Close();
}

TEST_F(PortTest, AnExceptionInTheOwnersHandlerIsReportedAndTheThreadsGoOn) {
    TsrComm c;
    std::string got;
    std::vector<std::pair<win32::DWORD, std::string>> fatal;
    bool thrown = false;
    c.OnAfterReceive = [&](TObject*, const void* d, win32::DWORD n) {
        if (!thrown) {
            thrown = true;
            throw std::runtime_error("handler failed");
        }
        got.append(static_cast<const char*>(d), n);
    };
    c.OnFatalError = [&](TObject*, win32::DWORD code, win32::DWORD, const std::string& msg, bool&) {
        fatal.emplace_back(code, msg);
    };
    OpenPort(c);
    pty.Write("x");
    ASSERT_TRUE(ui.RunUntil([&] { return !fatal.empty(); }, 5s));
    EXPECT_EQ(fatal[0].first, 1u);
    EXPECT_EQ(fatal[0].second, "handler failed");
    EXPECT_EQ(ui.ShownExceptions(), 1);
    EXPECT_EQ(ui.LastShownException(), "handler failed");

    pty.Write("yz");
    ASSERT_TRUE(ui.RunUntil([&] { return got.size() >= 2; }, 5s));
    EXPECT_EQ(got, "yz");
    EXPECT_TRUE(c.Active());
    c.Close();
}

TEST_F(PortTest, CloseWhileTheEventThreadWaitsEndsItAndNothingComesAfter) {
    TsrComm c;
    std::atomic<int> events{0};
    c.OnAfterReceive = [&](TObject*, const void*, win32::DWORD) { ++events; };
    c.OnTraceState = [&](TObject*, TTraceStates) { ++events; };
    OpenPort(c);
    ui.RunFor(20ms); // the event thread is in its wait now
    c.Close();
    EXPECT_FALSE(c.ThreadsRunning());
    const int before = events.load(); // the close's own trace event
    pty.Write("late");
    ui.RunFor(50ms);
    EXPECT_EQ(events.load(), before);
}

// A loaded machine may not run the event thread before the close comes: the stop must still end it.
TEST_F(PortTest, AStopBeforeTheEventThreadHasStartedStillEndsIt) {
    platform::SetThreadStartHookForTest([](platform::TThread& t) {
        if (dynamic_cast<TCommThread*>(&t)) testing_support::AttendiFinche([&] { return t.Terminated(); });
    });
    TsrComm c;
    c.OnAfterReceive = [](TObject*, const void*, win32::DWORD) {};
    OpenPort(c);
    platform::SetThreadStartHookForTest(nullptr);
    auto chiusa = std::async(std::launch::async, [&] { c.Close(); });
    const bool finita = ui.RunUntil([&] { return chiusa.wait_for(0s) == std::future_status::ready; }, 5s);
    if (!finita) pty.Write("x"); // what the old thread waited for: let the test end
    EXPECT_TRUE(finita) << "the close waited for a byte";
    chiusa.get();
    EXPECT_FALSE(c.ThreadsRunning());
}

// The link's threads purge the input whenever an exchange starts: one may do it between the event
// handler's count of the waiting bytes and its read of them.
class PurgedBeforeTheRead : public TsrComm {
  public:
    std::atomic<int> reads{0};
    std::atomic<long> firstRead{-1};

  protected:
    win32::DWORD ReadWaiting(void* Buffer, win32::DWORD Count) override {
        const bool first = reads++ == 0;
        if (first) PurgeIn();
        const win32::DWORD got = TsrComm::ReadWaiting(Buffer, Count);
        if (first) firstRead = long(got);
        return got;
    }
};

TEST_F(PortTest, TheEventHandlerNeverWaitsForBytesPurgedAfterItCountedThem) {
    PurgedBeforeTheRead c;
    std::string got;
    c.OnAfterReceive = [&](TObject*, const void* d, win32::DWORD n) {
        got.append(static_cast<const char*>(d), n);
    };
    OpenPort(c);
    pty.Write("abc");
    // A read that waits for the three bytes counted would hold the UI thread until three more come.
    std::thread guard([&] {
        if (!testing_support::AttendiFinche([&] { return c.firstRead.load() >= 0; }, 5s)) pty.Write("late");
    });
    ASSERT_TRUE(ui.RunUntil([&] { return c.firstRead.load() >= 0; }, 10s));
    guard.join();
    EXPECT_EQ(c.firstRead.load(), 0) << "the read waited for bytes that were purged";
    pty.Write("de");
    ASSERT_TRUE(ui.RunUntil([&] { return got.size() >= 2; }, 5s));
    EXPECT_EQ(got, "de");
    c.Close();
}

TEST_F(PortTest, RemovingTheDeviceClosesThePortWithoutAnErrorEvent) {
    TsrComm c;
    Client client;
    std::atomic<int> errors{0}, closes{0};
    c.OnCommError = [&](TObject*, win32::DWORD, win32::DWORD, TComStateFlags, bool&) { ++errors; };
    c.OnFatalError = [&](TObject*, win32::DWORD, win32::DWORD, const std::string&, bool&) { ++errors; };
    c.OnClose = [&](TObject*) { ++closes; };
    c.SetTraceStates({tsRxChar, tsBreak, tsErr});
    OpenPort(c);
    c.RegisterNotify(TsrNotifyMethod::Of<Client, &Client::Notify>(&client));

    pty.CloseMaster();
    ASSERT_TRUE(ui.RunUntil([&] { return !c.Active(); }, 5s));
    ui.RunUntil([&] { return closes.load() == 1; }, 2s);
    EXPECT_EQ(closes.load(), 1);
    EXPECT_EQ(errors.load(), 0);
    EXPECT_EQ(client.Codes(), std::vector<int>{1});
    c.Close(); // joins what is left of the port's threads
    EXPECT_FALSE(c.ThreadsRunning());
    EXPECT_EQ(errors.load(), 0);
}

TEST_F(PortTest, DestroyingAnOpenPortLeavesNoThread) {
    auto threads = [] {
        int n = 0;
        for ([[maybe_unused]] auto& t : std::filesystem::directory_iterator("/proc/self/task"))
            ++n;
        return n;
    };
    // A sanitizer runtime starts a helper thread of its own with the first thread: let it.
    std::thread([] {}).join();
    const int before = threads();
    auto c = std::make_unique<TsrComm>();
    OpenPort(*c);
    EXPECT_GT(threads(), before); // the port's event and message threads
    pty.Write("abc");
    c.reset();
    EXPECT_EQ(threads(), before); // joined by the destructor, none left behind
}

TEST_F(PortTest, WritesGoOutAndAnEmptyStringDoesNothing) {
    TsrComm c;
    CaptureLog log;
    OpenPort(c);
    c.SetLog(&log);
    c.SendChar(0x41);
    c.SendString("BC");
    const std::uint8_t data[] = {'D', 'E'};
    c.SendData(data, 2);
    c.SendString("");
    EXPECT_EQ(pty.Read(5, 2s), (std::vector<std::uint8_t>{'A', 'B', 'C', 'D', 'E'}));
    const std::vector<std::string> expected = {
        "2 srComm: Try to send char 41h ...",
        "2 srComm: Try to send string BC ...",
        "2 srComm: Try to send the data with 2 length ...",
        "2 srComm: ... the data transmittion is OK!",
    };
    EXPECT_EQ(log.Lines(), expected);
    c.FlushBuffers();
    c.SetLog(nullptr);
    c.Close();
}

TEST_F(PortTest, DtrAndRtsChangeTheLinesAndFireTheirTraceStates) {
    UseFakeLines();
    TsrComm c;
    std::vector<TTraceStates> traces;
    c.OnTraceState = [&](TObject*, TTraceStates s) { traces.push_back(s); };
    c.SetDTR(true); // closed: nothing
    c.SetRTS(true);
    EXPECT_TRUE(traces.empty());
    OpenPort(c);
    traces.clear();
    c.SetDTR(false);
    EXPECT_FALSE(fake->Lines() & win32::linebits::DTR);
    c.SetDTR(true);
    EXPECT_TRUE(fake->Lines() & win32::linebits::DTR);
    c.SetRTS(false);
    EXPECT_FALSE(fake->Lines() & win32::linebits::RTS);
    EXPECT_EQ(traces, (std::vector<TTraceStates>{{tsDSR}, {tsDSR}, {tsCTS}}));

    fake->SetLine(win32::linebits::CTS, true);
    fake->SetLine(win32::linebits::CD, true);
    EXPECT_TRUE(c.ModemSignals().Contains(msCTS));
    EXPECT_TRUE(c.ModemSignals().Contains(msRLSD));
    EXPECT_FALSE(c.ModemSignals().Contains(msDSR));
    c.Close();
    EXPECT_TRUE(c.ModemSignals().Empty());
}

TEST_F(PortTest, LineChangesAreReportedWhenAsked) {
    UseFakeLines();
    TsrComm c;
    std::vector<TTraceStates> traces;
    c.OnTraceState = [&](TObject*, TTraceStates s) { traces.push_back(s); };
    c.SetTraceStates({tsRxChar, tsCTS, tsRing});
    OpenPort(c);
    traces.clear();
    fake->SetLine(win32::linebits::CTS, true);
    ASSERT_TRUE(ui.RunUntil([&] { return !traces.empty(); }, 5s));
    EXPECT_EQ(traces[0], TTraceStates{tsCTS});
    traces.clear();
    fake->SetLine(win32::linebits::RI, true);
    ASSERT_TRUE(ui.RunUntil([&] { return !traces.empty(); }, 5s));
    EXPECT_EQ(traces[0], TTraceStates{tsRing});
    // Received bytes alone bring no trace event.
    traces.clear();
    c.OnAfterReceive = [](TObject*, const void*, win32::DWORD) {};
    pty.Write("q");
    ui.RunFor(50ms);
    EXPECT_TRUE(traces.empty());
    c.Close();
}

TEST_F(PortTest, Rs485RaisesRtsForEachWriteAndDropsItWhenTheOutputHasDrained) {
    UseFakeLines();
    TsrComm c;
    ASSERT_TRUE(c.RtsEmulation());
    std::vector<TTraceStates> traces;
    c.OnTraceState = [&](TObject*, TTraceStates s) { traces.push_back(s); };
    c.SetRS485Mode(true);
    OpenPort(c);
    EXPECT_EQ(c.Dcb().RtsControl(), win32::RTS_CONTROL_TOGGLE);
    traces.clear();
    c.SendString("ping");
    EXPECT_EQ(pty.Read(4, 2s).size(), 4u);
    // Raised before the write; dropped on EV_TXEMPTY.
    ASSERT_TRUE(ui.RunUntil([&] { return traces.size() >= 2; }, 5s));
    EXPECT_EQ(traces[0], TTraceStates{tsCTS});
    EXPECT_EQ(traces[1], TTraceStates{tsCTS});
    EXPECT_FALSE(fake->Lines() & win32::linebits::RTS);
    const auto changes = fake->Changes();
    ASSERT_GE(changes.size(), 2u);
    EXPECT_EQ(changes[changes.size() - 2].first, win32::linebits::RTS);
    EXPECT_EQ(changes.back().second, win32::linebits::RTS);
    c.Close();
}

TEST_F(PortTest, AfterSendFiresWhenTheOutputDrainsAndTxEmptyIsTraced) {
    TsrComm c;
    std::atomic<int> sent{0};
    c.OnAfterSend = [&](TObject*) { ++sent; };
    c.SetTraceStates({tsRxChar, tsTxEmpty});
    OpenPort(c);
    c.SendString("out");
    ASSERT_TRUE(ui.RunUntil([&] { return sent.load() >= 1; }, 5s));
    c.Close();
}

TEST_F(PortTest, CommErrorPurgesOnlyWhenTheOwnerAsks) {
    TsrComm c;
    bool flush = false;
    std::vector<std::tuple<win32::DWORD, win32::DWORD, std::uint8_t>> seen;
    c.OnCommError = [&](TObject*, win32::DWORD code, win32::DWORD sys, TComStateFlags st, bool& fl) {
        seen.emplace_back(code, sys, st.Bits());
        fl = flush;
    };
    OpenPort(c);
    pty.Write("xyz");
    ASSERT_TRUE(ui.RunUntil([&] { return c.GetInQueue() == 3; }, 5s));
    c.CommError(0, 5, {});
    EXPECT_EQ(c.GetInQueue(), 3u);
    flush = true;
    c.CommError(win32::CE_FRAME, 0, {fCtlHold});
    EXPECT_EQ(c.GetInQueue(), 0u);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1], std::make_tuple(win32::CE_FRAME, win32::DWORD(0), std::uint8_t(1)));
    c.Close();
}

TEST_F(PortTest, PurgesEmptyTheQueues) {
    TsrComm c;
    OpenPort(c);
    pty.Write("abcdef");
    ASSERT_TRUE(ui.RunUntil([&] { return c.GetInQueue() == 6; }, 5s));
    c.PurgeIn();
    EXPECT_EQ(c.GetInQueue(), 0u);
    pty.Write("gh");
    ASSERT_TRUE(ui.RunUntil([&] { return c.GetInQueue() == 2; }, 5s));
    c.PurgeAll();
    EXPECT_EQ(c.GetInQueue(), 0u);
    c.PurgeOut();
    EXPECT_EQ(c.GetOutQueue(), 0u);
    c.Close();
}

TEST_F(PortTest, ClosingInsideAnEventHandlerDoesNotHang) {
    TsrComm c;
    bool closed = false;
    c.OnAfterReceive = [&](TObject*, const void*, win32::DWORD) {
        c.Close();
        closed = true;
    };
    OpenPort(c);
    pty.Write("z");
    ASSERT_TRUE(ui.RunUntil([&] { return closed; }, 5s));
    EXPECT_FALSE(c.Active());
    c.Close();
    EXPECT_FALSE(c.ThreadsRunning());
}

TEST_F(PortTest, DestroyingAPortRightAfterItsDeviceWentAwayJoinsTheEventThread) {
    // The event thread closes a removed device's port by itself and is then on its way out; the
    // component may be destroyed at that very moment.
    for (int i = 0; i < 10; ++i) {
        PtyPair removed;
        ASSERT_TRUE(win32::BindComPort(6, removed.SlavePath()));
        auto c = std::make_unique<TsrComm>();
        c->SetComPortNo(6);
        c->SetStreamProtocol(spNone);
        c->SetActive(true);
        ASSERT_TRUE(c->Active());
        removed.CloseMaster();
        ASSERT_TRUE(ui.RunUntil([&] { return !c->Active(); }, 5s));
        c.reset();
    }
    win32::UnbindComPort(6);
}
