// The CPU time the whole program (UI thread, serial threads, link thread, worker) spends during a
// receive from a panel that waits 200 ms before each reply, as a share of the wall time (bound: 5%).
#include "WorkerBench.h"

#include <benchmark/benchmark.h>

namespace {

void BM_CpuDuranteRicezioneLenta(benchmark::State& state) {
    auto& p = worker_bench::Programma::Istanza();
    if (!p.Collega({"--delay-ms", "200"})) {
        state.SkipWithError("vm415-sim did not start or the port did not open");
        return;
    }
    // A user glances at the window ten times a second, not five hundred.
    p.ImpostaAttenzioneUtente(std::chrono::milliseconds(100));
    int falliti = 0;
    double cpu = 0, muro = 0;
    for (auto _ : state) {
        const double c0 = worker_bench::SecondiCpu();
        const auto t0 = std::chrono::steady_clock::now();
        if (!p.Ricevi()) ++falliti;
        muro += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        cpu += worker_bench::SecondiCpu() - c0;
    }
    state.counters["cpu_s"] = cpu / double(state.iterations());
    state.counters["muro_s"] = muro / double(state.iterations());
    state.counters["cpu_percento"] = 100.0 * cpu / muro;
    state.counters["falliti"] = falliti;
    p.ImpostaAttenzioneUtente(std::chrono::milliseconds(2));
    p.com.reset();
    p.sim.reset();
}
BENCHMARK(BM_CpuDuranteRicezioneLenta)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

} // namespace

int main(int argc, char** argv) {
    return worker_bench::Main(argc, argv);
}
