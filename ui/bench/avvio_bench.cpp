// Start-up and shut-down of the program's windows, as the main block runs them.
//
// Start-up: from before the splash to the main window shown and painted. Shut-down: from the close
// of the main window to the windows destroyed, once with the closing's two fixed pauses as the
// program has them and once without them, so the difference shows what the pauses cost.
// The very first start of the process (QApplication included) is timed once and printed.
#include "ui/Applicazione.h"
#include "ui/Finestre.h"
#include "ui/Main.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>

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

} // namespace

int main(int argc, char** argv) {
    const auto lancio = Orologio::now();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    int argcQt = 1;
    QApplication app(argcQt, argv);
    TAmbienteProgramma ambiente;

    Avvia();
    const auto mostrata = Orologio::now();
    Chiudi();
    const auto chiusa = Orologio::now();
    std::printf("first start (QApplication to main window shown): %.1f ms\n",
                1000 * Secondi(lancio, mostrata));
    std::printf("first shut-down (close to windows destroyed, pauses included): %.1f ms\n",
                1000 * Secondi(mostrata, chiusa));

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
