// Start-up and shut-down of the program's windows, as the main block runs them.
//
// Start-up: from before the splash to the main window shown and painted. Shut-down: from the close
// of the main window to the windows destroyed, once with the closing's two fixed pauses as the
// program has them and once without them, so the difference shows what the pauses cost.
// The very first start of the process (QApplication included) is timed once and printed, with the
// resident memory of the process once the main window shows. One whole translation of the main
// window and its rows is timed on its own, with the number of language-table lookups it makes.
#include "config/GetMessage_11.h"
#include "ui/Applicazione.h"
#include "ui/Finestre.h"
#include "ui/Main.h"
#include "ui/bench/CartellaImpostazioniBench.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

namespace {

using Orologio = std::chrono::steady_clock;

double Secondi(Orologio::time_point Da, Orologio::time_point A) {
    return std::chrono::duration<double>(A - Da).count();
}

void Avvia() {
    CreaSplash();
    ImpostaTitoloApplicazione("Centrale");
    CreaFinestre();
    MostraMainFrm();
    MainFrm->repaint();
    QCoreApplication::processEvents();
}

void Chiudi() {
    MainFrm->close();
    DistruggiFinestre();
}

void BM_Avvio(benchmark::State& state) {
    const TTempiChiusura tempi = TempiChiusuraMainFrm;
    TempiChiusuraMainFrm = {std::chrono::milliseconds(0), std::chrono::milliseconds(0)};
    for (auto _ : state) {
        const auto t0 = Orologio::now();
        Avvia();
        state.SetIterationTime(Secondi(t0, Orologio::now()));
        Chiudi();
    }
    TempiChiusuraMainFrm = tempi;
}
BENCHMARK(BM_Avvio)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

// Argument 1: the program's pauses (500 + 1000 ms); 0: none.
void BM_Chiusura(benchmark::State& state) {
    const TTempiChiusura tempi = TempiChiusuraMainFrm;
    if (state.range(0) == 0)
        TempiChiusuraMainFrm = {std::chrono::milliseconds(0), std::chrono::milliseconds(0)};
    for (auto _ : state) {
        Avvia();
        const auto t0 = Orologio::now();
        Chiudi();
        state.SetIterationTime(Secondi(t0, Orologio::now()));
    }
    TempiChiusuraMainFrm = tempi;
}
BENCHMARK(BM_Chiusura)->Arg(1)->Arg(0)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_TraduciForm(benchmark::State& state) {
    const TTempiChiusura tempi = TempiChiusuraMainFrm;
    TempiChiusuraMainFrm = {std::chrono::milliseconds(0), std::chrono::milliseconds(0)};
    Avvia();
    std::uint64_t ricerche = 0;
    for (auto _ : state) {
        const std::uint64_t prima = NumeroRicercheTesti();
        MainFrm->TraduciForm();
        ricerche = NumeroRicercheTesti() - prima;
    }
    state.counters["lookups"] = double(ricerche);
    Chiudi();
    TempiChiusuraMainFrm = tempi;
}
BENCHMARK(BM_TraduciForm)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// The resident set of the process, from the kernel's own account.
std::string MemoriaResidente() {
    std::ifstream stato("/proc/self/status");
    for (std::string riga; std::getline(stato, riga);)
        if (riga.rfind("VmRSS:", 0) == 0) return riga.substr(6);
    return "?";
}

} // namespace

int main(int argc, char** argv) {
    TCartellaImpostazioniBench impostazioni;
    const auto lancio = Orologio::now();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    int argcQt = 1;
    QApplication app(argcQt, argv);
    TAmbienteProgramma ambiente;

    Avvia();
    const auto mostrata = Orologio::now();
    const std::string residente = MemoriaResidente();
    Chiudi();
    const auto chiusa = Orologio::now();
    std::printf("first start (QApplication to main window shown): %.1f ms\n",
                1000 * Secondi(lancio, mostrata));
    std::printf("first shut-down (close to windows destroyed, pauses included): %.1f ms\n",
                1000 * Secondi(mostrata, chiusa));
    std::printf("resident memory with the main window shown (VmRSS):%s\n", residente.c_str());

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
