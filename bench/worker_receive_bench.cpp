// A full receive of the configuration from the menu, over a pseudo-terminal, from a panel that
// answers at once: the wall time of the whole operation (target: under 0.5 s).
#include "WorkerBench.h"

#include <benchmark/benchmark.h>

namespace {

void BM_RiceviConfigurazione(benchmark::State& state) {
    auto& p = worker_bench::Programma::Istanza();
    if (!p.Collega({})) {
        state.SkipWithError("vm415-sim did not start or the port did not open");
        return;
    }
    int falliti = 0;
    for (auto _ : state)
        if (!p.Ricevi()) ++falliti;
    state.counters["falliti"] = falliti;
    p.com.reset();
    p.sim.reset();
}
BENCHMARK(BM_RiceviConfigurazione)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);

} // namespace

int main(int argc, char** argv) {
    return worker_bench::Main(argc, argv);
}
