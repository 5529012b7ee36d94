// Figures for the serial port component over a pseudo-terminal: how fast received bytes reach the
// owner on the UI thread, how long a byte takes from the far side to the owner, and what an open
// and close costs (the thread start-up included).
#include "platform/thread/Thread.h"
#include "platform/win32/Win32Registry.h"
#include "serial/SerialTestSupport.h"
#include "serial/srcomm.h"

#include <benchmark/benchmark.h>

#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

// A pseudo-terminal bound to COM1 in a throw-away settings store.
struct Rig {
    serial_test::StoreScope store;
    serial_test::PtyPair pty;
    platform::TLoopUiThread ui;

    Rig() { win32::BindComPort(1, pty.SlavePath()); }
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
        std::thread writer([&] { rig.pty.Write(data); });
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
    const std::vector<std::uint8_t> b{0x42};
    for (auto _ : state) {
        const std::size_t target = received + 1;
        rig.pty.Write(b);
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
