// The Win32 serial calls over a pseudo-terminal: open rules, line settings, time-outs, the
// overlapped event wait and its wake-ups, error counters, purges, hang-up.
#include "platform/win32/Win32Access.h"
#include "platform/win32/Win32Comm.h"
#include "platform/win32/Win32Registry.h"
#include "serial/SerialTestSupport.h"
#include "support/Attesa.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <grp.h>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

using namespace win32;
using namespace std::chrono_literals;
using serial_test::FakeLines;
using serial_test::PtyPair;
using serial_test::StoreScope;

namespace {

class Win32CommTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(BindComPort(3, pty.SlavePath())); }
    void TearDown() override {
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
        if (ev) CloseHandle(ev);
        UnregisterLineDevice(pty.SlavePath());
    }
    void Open() {
        h = CreateFileA("\\\\?\\COM3", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                        FILE_FLAG_OVERLAPPED, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE) << GetLastError();
    }
    // Reads with "return what is there" time-outs.
    std::string ReadNow(DWORD max = 256) {
        COMMTIMEOUTS t{MAXDWORD, 0, 0, 0, 0};
        SetCommTimeouts(h, &t);
        std::string out(max, '\0');
        DWORD n = 0;
        EXPECT_TRUE(ReadFile(h, out.data(), max, &n, nullptr));
        out.resize(n);
        return out;
    }
    // Bytes the port has received and nobody has read yet.
    DWORD InCoda() {
        DWORD errors = 0;
        COMSTAT st{};
        ClearCommError(h, &errors, &st);
        return st.cbInQue;
    }

    StoreScope store;
    PtyPair pty;
    HANDLE h = INVALID_HANDLE_VALUE;
    HANDLE ev = nullptr;
};

} // namespace

TEST_F(Win32CommTest, OpenResolvesComNamesAndRefusesMissingOrBusyPorts) {
    EXPECT_EQ(CreateFileA("\\\\?\\COM9", 0, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(SysErrorMessage(ERROR_FILE_NOT_FOUND), "The system cannot find the file specified");
    EXPECT_EQ(CreateFileA("LPT1", 0, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
    // A file that opens but is no terminal.
    testing_support::TempFolder cartella;
    cartella.Write("file", "");
    EXPECT_EQ(CreateFileA(cartella.File("file").c_str(), 0, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);

    Open();
    EXPECT_EQ(HandleDevicePath(h), pty.SlavePath());
    EXPECT_EQ(CreateFileA("COM3", 0, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_NE(SysErrorMessage(ERROR_ACCESS_DENIED).find("dialout"), std::string::npos);
    ASSERT_TRUE(CloseHandle(h));
    h = INVALID_HANDLE_VALUE;
    EXPECT_FALSE(CloseHandle(h));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    Open(); // free again once closed
}

TEST(Win32Access, AUserAlreadyInDialoutIsToldWhoMayUseTheDeviceNotToJoinIt) {
    struct stat device {};
    device.st_mode = S_IFCHR | 0660;
    const gid_t dialout = 20;
    EXPECT_EQ(AccessDeniedText("/dev/ttyUSB0", &device, {1000, dialout}, dialout),
              "Access is denied (this user is already in the \"dialout\" group; /dev/ttyUSB0 is owned by "
              "root:root, mode crw-rw----)");
    device.st_uid = 3999999;
    device.st_gid = 3999998;
    device.st_mode = S_IFCHR | S_ISGID | 0620;
    EXPECT_NE(
        AccessDeniedText("/dev/ttyS0", &device, {dialout}, dialout).find("3999999:3999998, mode crw--wS---"),
        std::string::npos);

    for (const std::optional<gid_t> gruppo : {std::optional<gid_t>(dialout), std::optional<gid_t>()}) {
        EXPECT_EQ(AccessDeniedText("/dev/ttyUSB0", &device, {1000}, gruppo), AccessDeniedText());
    }
    EXPECT_EQ(AccessDeniedText("/dev/ttyUSB0", nullptr, {dialout}, dialout), AccessDeniedText());
    EXPECT_NE(AccessDeniedText().find("join the \"dialout\" group"), std::string::npos);
}

// The refusal reaches the port's error text. The test thread alone becomes a member of "dialout"
// without the right to override file permissions (the raw calls change the calling thread only).
TEST(Win32Access, APortRefusedForLackOfPermissionIsNamedInTheErrorText) {
    const group* g = ::getgrnam("dialout");
    if (::geteuid() != 0 || !g) GTEST_SKIP() << "needs root and a \"dialout\" group";
    const gid_t dialout = g->gr_gid;
    testing_support::TempFolder cartella;
    cartella.Write("ttyUSB0", "");
    const std::string percorso = cartella.File("ttyUSB0");
    std::filesystem::permissions(percorso, std::filesystem::perms::none);
    bool preparato = false;
    std::string testo, dopo;
    std::thread([&] {
        __user_cap_header_struct intestazione{_LINUX_CAPABILITY_VERSION_3, 0};
        __user_cap_data_struct poteri[2]{};
        if (::syscall(SYS_setgroups, 1, &dialout) != 0 || ::syscall(SYS_capget, &intestazione, poteri) != 0)
            return;
        poteri[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        if (::syscall(SYS_capset, &intestazione, poteri) != 0) return;
        preparato = true;
        if (CreateFileA(percorso.c_str(), 0, 0, nullptr, OPEN_EXISTING, 0, nullptr) != INVALID_HANDLE_VALUE)
            return;
        testo = SysErrorMessage(GetLastError());
        SetLastError(ERROR_ACCESS_DENIED); // another refusal, of which nothing more is known
        dopo = SysErrorMessage(GetLastError());
    }).join();
    if (!preparato) GTEST_SKIP() << "the thread's groups and capabilities could not be set";
    EXPECT_EQ(testo, "Access is denied (this user is already in the \"dialout\" group; " + percorso +
                         " is owned by root:root, mode ----------)");
    EXPECT_EQ(dopo, AccessDeniedText());
}

TEST_F(Win32CommTest, CommStateIsCheckedAppliedAndReadBack) {
    Open();
    DCB dcb{};
    ASSERT_TRUE(GetCommState(h, &dcb));
    dcb.BaudRate = 115200;
    dcb.ByteSize = 7;
    dcb.Parity = MARKPARITY;
    dcb.StopBits = TWOSTOPBITS;
    EXPECT_TRUE(SetCommState(h, &dcb));
    DCB back{};
    GetCommState(h, &back);
    EXPECT_EQ(back.BaudRate, 115200u);
    EXPECT_EQ(back.Parity, MARKPARITY);
    // An odd speed goes through BOTHER.
    dcb.BaudRate = 31250;
    EXPECT_TRUE(SetCommState(h, &dcb));
    for (BYTE bad : {BYTE(4), BYTE(9)}) {
        DCB d = dcb;
        d.ByteSize = bad;
        EXPECT_FALSE(SetCommState(h, &d));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    }
    DCB d = dcb;
    d.Parity = 5;
    EXPECT_FALSE(SetCommState(h, &d));
    d = dcb;
    d.BaudRate = 0;
    EXPECT_FALSE(SetCommState(h, &d));
    COMMCONFIG cfg{};
    DWORD size = 10;
    EXPECT_FALSE(GetDefaultCommConfigA("COM3", &cfg, &size));
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(size, 52u);
    EXPECT_TRUE(GetDefaultCommConfigA("COM3", &cfg, &size));
    EXPECT_EQ(cfg.dcb.DCBlength, 28u);
    EXPECT_FALSE(GetDefaultCommConfigA("COM40", &cfg, &size));
}

TEST_F(Win32CommTest, ReadsHonourTheTimeouts) {
    Open();
    EXPECT_EQ(ReadNow(), "");
    pty.Write("abc");
    ASSERT_TRUE(testing_support::AttendiFinche([&] { return InCoda() == 3; }));
    EXPECT_EQ(ReadNow(), "abc");

    // A total time-out returns what came.
    COMMTIMEOUTS t{0, 0, 30, 0, 0};
    SetCommTimeouts(h, &t);
    pty.Write("x");
    char buf[8];
    DWORD n = 0;
    EXPECT_TRUE(ReadFile(h, buf, 8, &n, nullptr));
    EXPECT_EQ(n, 1u);

    // With no time-outs the read waits for every byte asked for: once it has taken the first two,
    // the other two come.
    COMMTIMEOUTS none{};
    SetCommTimeouts(h, &none);
    pty.Write("12");
    ASSERT_TRUE(testing_support::AttendiFinche([&] { return InCoda() == 2; }));
    std::thread writer([&] {
        testing_support::AttendiFinche([&] { return InCoda() == 0; });
        pty.Write("34");
    });
    OVERLAPPED ov{};
    ASSERT_TRUE(ReadFile(h, buf, 4, &n, &ov));
    writer.join();
    EXPECT_EQ(std::string(buf, 4), "1234");
    DWORD got = 0;
    EXPECT_TRUE(GetOverlappedResult(h, &ov, &got, FALSE));
    EXPECT_EQ(got, 4u);
}

TEST_F(Win32CommTest, PurgeAbortCutsAWaitingReadShort) {
    Open();
    COMMTIMEOUTS none{};
    SetCommTimeouts(h, &none);
    pty.Write("x");
    ASSERT_TRUE(testing_support::AttendiFinche([&] { return InCoda() == 1; }));
    std::atomic<bool> done{false};
    DWORD error = 0;
    std::thread reader([&] {
        char buf[4];
        DWORD n = 0;
        if (!ReadFile(h, buf, 4, &n, nullptr)) error = GetLastError();
        done = true;
    });
    // The read has taken the byte and waits for three more.
    ASSERT_TRUE(testing_support::AttendiFinche([&] { return InCoda() == 0; }));
    EXPECT_FALSE(done.load());
    EXPECT_TRUE(PurgeComm(h, PURGE_RXABORT | PURGE_RXCLEAR));
    reader.join();
    EXPECT_EQ(error, ERROR_OPERATION_ABORTED);
}

TEST_F(Win32CommTest, WritesReachTheOtherSideAndQueuesAreCounted) {
    Open();
    OVERLAPPED ov{};
    ov.hEvent = ev = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    DWORD n = 0;
    ASSERT_TRUE(WriteFile(h, "hello", 5, &n, &ov));
    EXPECT_EQ(n, 5u);
    EXPECT_EQ(WaitForSingleObject(ev, 0), WAIT_OBJECT_0); // completion signals the event
    EXPECT_EQ(pty.Read(5, 1s), (std::vector<std::uint8_t>{'h', 'e', 'l', 'l', 'o'}));
    EXPECT_TRUE(FlushFileBuffers(h));

    pty.Write("12345678");
    ASSERT_TRUE(testing_support::AttendiFinche([&] { return InCoda() == 8; }));
    DWORD errors = 99;
    COMSTAT st{};
    ASSERT_TRUE(ClearCommError(h, &errors, &st));
    EXPECT_EQ(errors, 0u);
    EXPECT_EQ(st.cbInQue, 8u);
    EXPECT_TRUE(PurgeComm(h, PURGE_RXCLEAR));
    ClearCommError(h, &errors, &st);
    EXPECT_EQ(st.cbInQue, 0u);

    // What was written has left a pseudo-terminal: a purge of the output cannot take it back
    // from the far side, which has not read it yet.
    // The kernel hands the bytes over a moment later, so the loss needed a purge in that moment:
    // a number of tries makes it all but certain.
    for (int i = 0; i < 1000; ++i) {
        ASSERT_TRUE(WriteFile(h, "*****", 5, &n, &ov));
        EXPECT_TRUE(FlushFileBuffers(h));
        EXPECT_TRUE(PurgeComm(h, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR));
        ASSERT_EQ(pty.Read(5, 1s), (std::vector<std::uint8_t>{'*', '*', '*', '*', '*'})) << "try " << i;
    }
}

TEST_F(Win32CommTest, APseudoTerminalHasNoLinesButTakesLineRequests) {
    Open();
    DWORD status = 1234;
    EXPECT_TRUE(GetCommModemStatus(h, &status));
    EXPECT_EQ(status, 0u);
    for (DWORD f : {SETDTR, CLRDTR, SETRTS, CLRRTS})
        EXPECT_TRUE(EscapeCommFunction(h, f));
    EXPECT_FALSE(EscapeCommFunction(h, 77));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(Win32CommTest, ErrorCountersBecomeErrorFlagsOnce) {
    auto fake = std::make_shared<FakeLines>();
    RegisterLineDevice(pty.SlavePath(), fake);
    Open();
    fake->BumpFrameErrors();
    fake->BumpBreaks();
    DWORD errors = 0;
    COMSTAT st{};
    ASSERT_TRUE(ClearCommError(h, &errors, &st));
    EXPECT_EQ(errors, CE_FRAME | CE_BREAK);
    ASSERT_TRUE(ClearCommError(h, &errors, &st));
    EXPECT_EQ(errors, 0u);
    fake->SetLine(linebits::CTS | linebits::RI, true);
    DWORD status = 0;
    GetCommModemStatus(h, &status);
    EXPECT_EQ(status, MS_CTS_ON | MS_RING_ON);
}

TEST_F(Win32CommTest, TheEventWaitCompletesOnInputAndWakesOnItsEvent) {
    Open();
    ASSERT_TRUE(SetCommMask(h, EV_RXCHAR | EV_ERR));
    OVERLAPPED ov{};
    ov.hEvent = ev = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    DWORD mask = 0;
    ASSERT_FALSE(WaitCommEvent(h, &mask, &ov));
    ASSERT_EQ(GetLastError(), ERROR_IO_PENDING);
    // A second wait while one is pending is refused.
    DWORD other = 0;
    OVERLAPPED ov2{};
    EXPECT_FALSE(WaitCommEvent(h, &other, &ov2));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

    EXPECT_EQ(WaitForSingleObject(ev, 20), WAIT_TIMEOUT);
    DWORD n = 0;
    EXPECT_FALSE(GetOverlappedResult(h, &ov, &n, FALSE));
    EXPECT_EQ(GetLastError(), ERROR_IO_INCOMPLETE);

    // SetEvent from elsewhere ends the wait at once; the request stays pending.
    const pid_t waiter = gettid();
    std::thread waker([&] {
        testing_support::AttendiThreadFermo(waiter);
        SetEvent(ev);
    });
    EXPECT_EQ(WaitForSingleObject(ev, INFINITE), WAIT_OBJECT_0);
    waker.join();
    EXPECT_EQ(mask, 0u);
    EXPECT_EQ(ov.Internal, STATUS_PENDING);

    pty.Write("a");
    EXPECT_EQ(WaitForSingleObject(ev, 5000), WAIT_OBJECT_0);
    EXPECT_EQ(mask, EV_RXCHAR);
    EXPECT_TRUE(GetOverlappedResult(h, &ov, &n, FALSE));

    // The same byte is not announced again; a new one is.
    DWORD mask2 = 0;
    ASSERT_FALSE(WaitCommEvent(h, &mask2, &ov));
    EXPECT_EQ(WaitForSingleObject(ev, 30), WAIT_TIMEOUT);
    pty.Write("b");
    EXPECT_EQ(WaitForSingleObject(ev, 5000), WAIT_OBJECT_0);
    EXPECT_EQ(mask2, EV_RXCHAR);
}

TEST_F(Win32CommTest, ChangingTheMaskOrCancellingCompletesThePendingWait) {
    Open();
    SetCommMask(h, EV_RXCHAR);
    OVERLAPPED ov{};
    ov.hEvent = ev = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    DWORD mask = 77;
    ASSERT_FALSE(WaitCommEvent(h, &mask, &ov));
    SetCommMask(h, EV_RXCHAR | EV_BREAK);
    EXPECT_EQ(WaitForSingleObject(ev, 1000), WAIT_OBJECT_0);
    EXPECT_EQ(mask, 0u);
    DWORD n = 0;
    EXPECT_TRUE(GetOverlappedResult(h, &ov, &n, TRUE));

    ASSERT_FALSE(WaitCommEvent(h, &mask, &ov));
    EXPECT_TRUE(CancelIo(h));
    EXPECT_FALSE(GetOverlappedResult(h, &ov, &n, TRUE));
    EXPECT_EQ(GetLastError(), ERROR_OPERATION_ABORTED);

    // Closing the port ends a wait in progress on another thread (the cancel above left the event
    // signalled: a wait on it would end at once).
    ResetEvent(ev);
    ASSERT_FALSE(WaitCommEvent(h, &mask, &ov));
    std::atomic<pid_t> tid{0};
    std::thread waiter([&] {
        tid = gettid();
        EXPECT_EQ(WaitForSingleObject(ev, INFINITE), WAIT_OBJECT_0);
    });
    testing_support::AttendiFinche([&] { return tid.load() != 0; });
    testing_support::AttendiThreadFermo(tid.load());
    CloseHandle(h);
    h = INVALID_HANDLE_VALUE;
    waiter.join();
    EXPECT_EQ(ov.Internal, ERROR_OPERATION_ABORTED);
}

TEST_F(Win32CommTest, LineChangesAndTxEmptyAreEvents) {
    auto fake = std::make_shared<FakeLines>();
    RegisterLineDevice(pty.SlavePath(), fake);
    Open();
    SetCommMask(h, EV_RXCHAR | EV_CTS | EV_DSR | EV_TXEMPTY | EV_ERR);
    OVERLAPPED ov{};
    ov.hEvent = ev = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    DWORD mask = 0;
    ASSERT_FALSE(WaitCommEvent(h, &mask, &ov));
    fake->SetLine(linebits::DSR, true);
    ASSERT_EQ(WaitForSingleObject(ev, 5000), WAIT_OBJECT_0);
    EXPECT_EQ(mask, EV_DSR);

    DWORD n = 0;
    WriteFile(h, "z", 1, &n, nullptr);
    mask = 0;
    if (!WaitCommEvent(h, &mask, &ov)) {
        ASSERT_EQ(WaitForSingleObject(ev, 5000), WAIT_OBJECT_0);
    }
    EXPECT_EQ(mask, EV_TXEMPTY);

    fake->BumpFrameErrors();
    mask = 0;
    if (!WaitCommEvent(h, &mask, &ov)) {
        ASSERT_EQ(WaitForSingleObject(ev, 5000), WAIT_OBJECT_0);
    }
    EXPECT_EQ(mask, EV_ERR);
}

TEST_F(Win32CommTest, AHangUpEndsTheWaitAndTheNextWaitFails) {
    Open();
    SetCommMask(h, EV_RXCHAR);
    OVERLAPPED ov{};
    ov.hEvent = ev = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    DWORD mask = 0;
    ASSERT_FALSE(WaitCommEvent(h, &mask, &ov));
    pty.CloseMaster();
    ASSERT_EQ(WaitForSingleObject(ev, 5000), WAIT_OBJECT_0);
    EXPECT_EQ(mask, 0u);
    EXPECT_FALSE(WaitCommEvent(h, &mask, &ov));
    const DWORD error = GetLastError();
    EXPECT_NE(error, ERROR_INVALID_PARAMETER);
    EXPECT_NE(error, ERROR_INVALID_HANDLE);
    EXPECT_NE(error, ERROR_IO_PENDING);
}

TEST(Win32Events, AutoAndManualResetEvents) {
    HANDLE a = CreateEventA(nullptr, FALSE, TRUE, nullptr);
    EXPECT_EQ(WaitForSingleObject(a, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(a, 0), WAIT_TIMEOUT);
    HANDLE m = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    SetEvent(m);
    EXPECT_EQ(WaitForSingleObject(m, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(m, 0), WAIT_OBJECT_0);
    ResetEvent(m);
    EXPECT_EQ(WaitForSingleObject(m, 10), WAIT_TIMEOUT);
    CloseHandle(a);
    CloseHandle(m);
    EXPECT_EQ(WaitForSingleObject(a, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(SetEvent(a));
}
