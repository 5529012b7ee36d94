// Figures of a bad line: whole receives and sends through a serial line that damages one byte in N
// both ways (half dropped, half changed) between the link and the simulated panel, each seed giving
// the panel's image and the line's faults, with the cable's settings (ten sends, 1 s each). Per
// operation: its time, its resends, and the time its requests spent waiting for the copies that a
// resent exchange may still draw (the quiet); and how many operations failed.
//
// VM415_LINEA_SEMI sets the seeds of each figure (default 3), VM415_LINEA_PRIMO the first one
// (default 1). With VM415_LINEA_DETTAGLIO set, each operation prints one line to stderr:
//   seed operation 1/N seconds resends quiet-seconds outcome
#include "e2e/ImmaginiPannello.h"
#include "link/ConfigComProva.h"
#include "link/KivModCom.h"
#include "link/ThreadCom.h"
#include "platform/thread/Thread.h"
#include "serial/SerialTestSupport.h"
#include "support/FinestreMute.h"
#include "support/LineaDifettosa.h"
#include "support/Simulatore.h"
#include "support/TempFolder.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

using namespace std::chrono_literals;

constexpr int PortaLinea = 9;

int Ambiente(const char* Nome, int Predefinito) {
    const char* v = std::getenv(Nome);
    return v ? std::max(1, std::atoi(v)) : Predefinito;
}

struct Figure {
    double Secondi = 0, Quiete = 0;
    std::uint64_t Reinvii = 0;
    bool Riuscita = false;
};

// One operation on a fresh panel, line and link, seeded with `Seme`.
Figure Operazione(std::uint8_t Op, double Tasso, std::uint64_t Seme) {
    serial_test::StoreScope store;
    testing_support::TempFolder dati;
    testing_support::ProgramFolderScope cartella(dati.Path());
    testing_support::SettingsFolderScope impostazioni(dati.Path());
    std::filesystem::copy_file(std::filesystem::read_symlink("/proc/self/exe").parent_path() / "Lingue.csv",
                               dati.File("Lingue.csv"));
    platform::TLoopUiThread ui;
    const TConfigCentrale pannello = e2e::ImmagineCasuale(std::uint32_t(Seme), true);
    dati.Write("panel.415", e2e::Byte(pannello));
    testing_support::Simulatore sim({"--image", dati.File("panel.415")});
    if (!sim.Pronto()) throw std::runtime_error("vm415-sim did not start");
    testing_support::LineaDifettosa linea(sim.Percorso(), Tasso, Seme);
    if (!win32::BindComPort(PortaLinea, linea.Percorso())) throw std::runtime_error("COM not bound");
    TKivModCom com;
    if (!testing_support::SulCavo(com, dati, PortaLinea, 10)) throw std::runtime_error("port not open");
    TKivThreadCom& link = com.FormModCom()->ThreadCom();

    ConfigCentrale = e2e::ImmagineCasuale(std::uint32_t(Seme + 1));
    testing_support::FinestreMute finestre;
    const auto reinvii = link.Reinvii();
    const auto quiete = link.TempoQuiete();
    const auto inizio = std::chrono::steady_clock::now();
    Figure f;
    {
        TThreadCom worker(false, TComThread{com, [&] { return com.Connesso(); }}, Op, finestre);
        ui.RunUntil([&] { return worker.Finished(); }, 600s);
        worker.WaitFor();
        f.Riuscita = worker.Esito == EsitoOk;
    }
    f.Secondi = std::chrono::duration<double>(std::chrono::steady_clock::now() - inizio).count();
    f.Reinvii = link.Reinvii() - reinvii;
    f.Quiete = std::chrono::duration<double>(link.TempoQuiete() - quiete).count();
    win32::UnbindComPort(PortaLinea);
    return f;
}

void BM_LineaDifettosa(benchmark::State& state) {
    const auto op = std::uint8_t(state.range(0));
    const int ogni = int(state.range(1));
    std::uint64_t seme = std::uint64_t(Ambiente("VM415_LINEA_PRIMO", 1));
    const bool dettaglio = std::getenv("VM415_LINEA_DETTAGLIO") != nullptr;
    double reinvii = 0, quiete = 0, fallite = 0;
    for (auto _ : state) {
        const Figure f = Operazione(op, 1.0 / ogni, seme);
        state.SetIterationTime(f.Secondi);
        reinvii += double(f.Reinvii);
        quiete += f.Quiete;
        fallite += f.Riuscita ? 0 : 1;
        if (dettaglio)
            std::fprintf(stderr, "%llu %s 1/%d %.3f %llu %.3f %s\n", static_cast<unsigned long long>(seme),
                         op == OpRiceviConfigurazione ? "receive" : "send", ogni, f.Secondi,
                         static_cast<unsigned long long>(f.Reinvii), f.Quiete, f.Riuscita ? "ok" : "failed");
        ++seme;
    }
    state.counters["resends"] = benchmark::Counter(reinvii, benchmark::Counter::kAvgIterations);
    state.counters["quiet_s"] = benchmark::Counter(quiete, benchmark::Counter::kAvgIterations);
    state.counters["failed"] = fallite;
}

void Casi(benchmark::internal::Benchmark* b) {
    b->ArgNames({"op", "one_byte_in"});
    for (int op : {OpRiceviConfigurazione, OpInviaConfigurazione})
        for (int ogni : {300, 5000})
            b->Args({op, ogni});
    b->Iterations(Ambiente("VM415_LINEA_SEMI", 3))->UseManualTime()->Unit(benchmark::kSecond);
}

BENCHMARK(BM_LineaDifettosa)->Apply(Casi);

} // namespace

BENCHMARK_MAIN();
