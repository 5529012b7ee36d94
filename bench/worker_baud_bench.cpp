// A full receive from a panel whose replies leave at 9600 baud (10 bits a byte): the wall time
// against the time the request and reply bytes need on the wire (bound: 1.15 x).
#include "WorkerBench.h"

#include <benchmark/benchmark.h>

namespace {

void BM_RiceviConfigurazione9600(benchmark::State& state) {
    auto& p = worker_bench::Programma::Istanza();
    // A clock whose hour and minute need no stuffing on the wire.
    if (!p.Collega({"--baud", "9600", "--clock", "2025-06-14 11:22"})) {
        state.SkipWithError("vm415-sim did not start or the port did not open");
        return;
    }
    int falliti = 0;
    double secondi = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        if (!p.Ricevi()) ++falliti;
        secondi += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    }
    const std::uint8_t id[3] = {164, 11, 1};
    const std::uint8_t dataOra[5] = {11, 22, 14, 6, 25};
    const auto byte = worker_bench::ByteRicezione(id, dataOra);
    const double filo = (byte.Richieste + byte.Risposte) * 10.0 / 9600.0;
    const double media = secondi / double(state.iterations());
    state.counters["byte_richieste"] = byte.Richieste;
    state.counters["byte_risposte"] = byte.Risposte;
    state.counters["tempo_filo_s"] = filo;
    // The pseudo-terminal carries the requests at once: the replies alone set the floor.
    state.counters["rapporto_sole_risposte"] = media / (byte.Risposte * 10.0 / 9600.0);
    state.counters["tempo_s"] = media;
    state.counters["rapporto"] = media / filo;
    state.counters["falliti"] = falliti;
    p.com.reset();
    p.sim.reset();
}
BENCHMARK(BM_RiceviConfigurazione9600)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    return worker_bench::Main(argc, argv);
}
