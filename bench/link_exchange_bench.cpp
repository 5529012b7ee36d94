// Figures for the serial link against the simulated panel on a pseudo-terminal:
// - how much CPU the link burns while it waits for a reply that the panel delays by 1 s
//   (process CPU time over wall time, and the waiting thread's own share);
// - the reply latency the program adds: from the last request byte written to the reply
//   accepted, with a panel that answers at once (an upper bound: the panel's own turnaround on
//   the pseudo-terminal is inside it).
#include "link/KivModCom.h"
#include "platform/thread/Thread.h"
#include "serial/SerialTestSupport.h"
#include "support/Simulatore.h"
#include "support/TempFolder.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <future>
#include <string>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace std::chrono_literals;

// The simulated panel on COM1 of a throw-away settings store, and the link component on it.
struct Banco {
    serial_test::StoreScope store;
    testing_support::TempFolder cartella;
    testing_support::SettingsFolderScope impostazioni{cartella.Path()};
    std::unique_ptr<testing_support::Simulatore> sim;
    platform::TLoopUiThread ui;
    std::unique_ptr<TKivModCom> com;

    explicit Banco(const std::vector<std::string>& opzioni) {

        sim = std::make_unique<testing_support::Simulatore>(1, opzioni);
        if (!sim->Pronto()) return;

        TConfigCom cfg;
        cfg.TipoConnessione = ConnessioneCavo;
        cfg.ComCavo = 1;
        std::vector<std::uint8_t> byte(sizeof cfg);
        std::memcpy(byte.data(), &cfg, sizeof cfg);
        cartella.Write("comconfig.cfg", byte);

        com = std::make_unique<TKivModCom>();
        com->OpzioniFinestra.AscoltaDispositivi = false;
        com->OpzioniFinestra.AttesaListaCom = 0ms;
        com->OpzioniFinestra.AttesaApertura = 0ms;
        com->NumTentativi = 1;
        com->TimeoutComandDec = 30;
        com->Loaded();
    }
    ~Banco() {
        // The link goes before the panel it talks to.
        com.reset();
        sim.reset();
    }
    bool Pronto() const { return com && com->FormModCom()->ComPort.Active(); }

    // One identification on a worker thread while this thread delivers received bytes.
    template <class F> void SulWorker(F f) {
        auto futuro = std::async(std::launch::async, f);
        ui.RunUntil([&] { return futuro.wait_for(0s) == std::future_status::ready; }, 30s);
        futuro.get();
    }
};

TFrameComunic Identifica() {
    TFrameComunic f;
    InizializzaFrame(f, 3);
    return f;
}

double Secondi(const timespec& t) {
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

double CpuProcesso() {
    rusage r{};
    getrusage(RUSAGE_SELF, &r);
    return double(r.ru_utime.tv_sec + r.ru_stime.tv_sec) +
           double(r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
}

void BM_CpuWhileWaitingForADelayedReply(benchmark::State& state) {
    Banco banco({"--delay-ms", "1000"});
    if (!banco.Pronto()) {
        state.SkipWithError("simulated panel not available");
        return;
    }
    double cpuProcesso = 0, cpuThread = 0, parete = 0;
    int esiti = 0;
    for (auto _ : state) {
        const auto inizio = std::chrono::steady_clock::now();
        const double cpu0 = CpuProcesso();
        banco.SulWorker([&] {
            timespec a{}, b{};
            clock_gettime(CLOCK_THREAD_CPUTIME_ID, &a);
            esiti += banco.com->InviaComando(Identifica()) == 2;
            clock_gettime(CLOCK_THREAD_CPUTIME_ID, &b);
            cpuThread += Secondi(b) - Secondi(a);
        });
        cpuProcesso += CpuProcesso() - cpu0;
        parete += std::chrono::duration<double>(std::chrono::steady_clock::now() - inizio).count();
    }
    state.counters["cpu_process_pct"] = 100.0 * cpuProcesso / parete;
    state.counters["cpu_waiting_thread_pct"] = 100.0 * cpuThread / parete;
    state.counters["replies_ok"] = esiti;
}
BENCHMARK(BM_CpuWhileWaitingForADelayedReply)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ReplyLatency(benchmark::State& state) {
    Banco banco({});
    if (!banco.Pronto()) {
        state.SkipWithError("simulated panel not available");
        return;
    }
    std::vector<double> latenze;
    for (auto _ : state) {
        banco.SulWorker([&] {
            for (int i = 0; i < 200; ++i) {
                if (banco.com->InviaComando(Identifica()) != 2) continue;
                const auto fine = std::chrono::steady_clock::now();
                latenze.push_back(std::chrono::duration<double, std::micro>(
                                      fine - banco.com->FormModCom()->ThreadCom().UltimoInvio())
                                      .count());
            }
        });
    }
    std::sort(latenze.begin(), latenze.end());
    if (!latenze.empty()) {
        state.counters["median_us"] = latenze[latenze.size() / 2];
        state.counters["p90_us"] = latenze[latenze.size() * 9 / 10];
    }
    state.counters["replies"] = double(latenze.size());
}
BENCHMARK(BM_ReplyLatency)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
