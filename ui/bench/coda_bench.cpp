// One filling of the event list from a full store: 255 events of every family (alarm types whose
// text is looked up as the list is filled, arming types, types without a text), with zone and
// keypad names from a full image, special sources and dates. The median is printed at the end.
#include "config/GlobalsVar.h"
#include "ui/CodaEventi.h"
#include "ui/Finestre.h"
#include "ui/Main.h"
#include "ui/bench/FinestreBench.h"

#include <QApplication>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using Orologio = std::chrono::steady_clock;

std::vector<double> Campioni;

void RiempiCoda(TCodaEventi& c) {
    const int tipi[] = {1, 2, 5, 6, 7, 12, 19, 25, 33, 43, 101, 105, 108, 114, 0, 50, 200};
    const int fonti[] = {0, 7, 15, 84, 200, 205, 210, 212, 215, 216, 230};
    c.NumEventi = MaxEventiCoda;
    for (int i = 0; i < MaxEventiCoda; ++i) {
        TEventoCoda& e = c.Eventi[i];
        e.Tipo = std::uint8_t(tipi[i % std::size(tipi)]);
        e.Descrittore = std::uint8_t(fonti[i % std::size(fonti)]);
        e.DataOra = i % 9 == 0 ? 0.0 : 45000.0 + i * 0.37;
    }
}

void BM_MostraCodaEventi(benchmark::State& state) {
    for (auto _ : state) {
        const auto t0 = Orologio::now();
        CodaEventiFrm->MostraCodaEventi();
        const double s = std::chrono::duration<double>(Orologio::now() - t0).count();
        state.SetIterationTime(s);
        Campioni.push_back(s);
    }
}
BENCHMARK(BM_MostraCodaEventi)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(50)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char** argv) {
    TFinestreBench finestre(argv);
    ConfigDefault(ConfigCentrale);
    for (int s = 0; s < NumZone; ++s)
        ConfigCentrale.Zone[s].Descrizione.Scrivi("Zona con un nome lungo " + std::to_string(s));
    for (int k = 0; k < NumInseritori; ++k)
        ConfigCentrale.Inseritori[k].Descrizione.Scrivi("Tastiera " + std::to_string(k));
    RiempiCoda(CodaEventiFrm->Coda);
    CodaEventiFrm->show();
    QCoreApplication::processEvents();

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    if (!Campioni.empty()) {
        std::sort(Campioni.begin(), Campioni.end());
        std::printf("event list of %d events: median %.3f ms over %zu fillings\n", MaxEventiCoda,
                    1000 * Campioni[Campioni.size() / 2], Campioni.size());
    }
    CodaEventiFrm->hide();
    return 0;
}
