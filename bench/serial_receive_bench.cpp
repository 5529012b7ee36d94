// Figures for the serial port component over a pseudo-terminal: how fast received bytes reach the
// owner on the UI thread, how long a byte takes from the far side to the owner, and what an open
// and close costs (the thread start-up included).
#include "platform/thread/Thread.h"
#include "platform/win32/Win32Registry.h"
#include "serial/srcomm.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <pty.h>
#include <string>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using namespace std::chrono_literals;

// A pseudo-terminal bound to COM1 in a throw-away settings store.
struct Rig {
    std::string folder;
    int master = -1;
    platform::TLoopUiThread ui;

    Rig() {
        char tmpl[] = "/tmp/vm415-bench-XXXXXX";
        folder = mkdtemp(tmpl);
        win32::SetRegistryFolder(folder);
        win32::SerialRoots roots;
        roots.sysClassTty = folder + "/none";
        roots.serialById = folder + "/none";
        win32::SetSerialRoots(roots);
        int slave = -1;
        char name[256];
        openpty(&master, &slave, name, nullptr, nullptr);
        termios t{};
        tcgetattr(slave, &t);
        cfmakeraw(&t);
        tcsetattr(slave, TCSANOW, &t);
        close(slave);
        win32::BindComPort(1, name);
    }
    ~Rig() {
        close(master);
        std::filesystem::remove_all(folder);
        win32::SetRegistryFolder("");
        win32::SetSerialRoots(win32::SerialRoots{});
    }
    void Write(const std::uint8_t* data, std::size_t n) const {
        std::size_t done = 0;
        while (done < n) {
            const ssize_t w = write(master, data + done, n - done);
            if (w > 0) {
                done += static_cast<std::size_t>(w);
            } else {
                pollfd p{master, POLLOUT, 0};
                poll(&p, 1, 100);
            }
        }
    }
};

void Open(TsrComm& c) {
    c.SetComPortNo(1);
    c.SetStreamProtocol(spNone);
    c.SetTraceStates({tsRxChar, tsBreak, tsErr});
    c.SetActive(true);
}

// Bytes per second from the far side to OnAfterReceive on the UI thread.
void BM_ReceiveThroughput(benchmark::State& state) {
    Rig rig;
    TsrComm c;
    std::size_t received = 0;
    c.OnAfterReceive = [&](TObject*, const void*, win32::DWORD n) { received += n; };
    Open(c);
    const std::size_t chunk = static_cast<std::size_t>(state.range(0));
    std::vector<std::uint8_t> data(chunk, 0x55);
    for (auto _ : state) {
        const std::size_t target = received + chunk;
        std::thread writer([&] { rig.Write(data.data(), data.size()); });
        rig.ui.RunUntil([&] { return received >= target; }, 10s);
        writer.join();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(chunk));
    c.Close();
}
BENCHMARK(BM_ReceiveThroughput)->Arg(64)->Arg(4096)->Arg(65536)->UseRealTime();

// One byte from the far side to the owner's handler.
void BM_ByteLatency(benchmark::State& state) {
    Rig rig;
    TsrComm c;
    std::size_t received = 0;
    c.OnAfterReceive = [&](TObject*, const void*, win32::DWORD n) { received += n; };
    Open(c);
    const std::uint8_t b = 0x42;
    for (auto _ : state) {
        const std::size_t target = received + 1;
        rig.Write(&b, 1);
        rig.ui.RunUntil([&] { return received >= target; }, 10s);
    }
    c.Close();
}
BENCHMARK(BM_ByteLatency)->UseRealTime();

// Open and close of the port, both threads started and joined.
void BM_OpenClose(benchmark::State& state) {
    Rig rig;
    TsrComm c;
    c.SetComPortNo(1);
    for (auto _ : state) {
        c.SetActive(true);
        c.SetActive(false);
    }
}
BENCHMARK(BM_OpenClose)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
