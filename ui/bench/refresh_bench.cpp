// One refresh of the main window, as every option click and row handler runs it: the controls into
// the image, then the image into the controls. The image is full (every zone, keypad, peripheral
// and number in use, with names and learned codes; Contact-ID and GPRS on) and the radio page shows
// ten rows, so that every row the refresh can touch is touched. The median is printed at the end.
// Opening a ".415" file of that image and showing it is timed too, through the File menu's own
// command with its dialogs answered at once.
#include "config/GlobalsVar.h"
#include "platform/gui/Dialogs.h"
#include "ui/Finestre.h"
#include "ui/Main.h"
#include "ui/bench/FinestreBench.h"

#include <QApplication>
#include <QScrollArea>
#include <QTabWidget>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace {

using Orologio = std::chrono::steady_clock;

std::vector<double> Campioni;

void RiempiImmagine(TConfigCentrale& c) {
    ConfigDefault(c);
    c.CodiceCentrale = 123456;
    c.CommentiPc.Scrivi(std::string(250, 'n'));
    c.TipoRichiestaCredito = 'S';
    c.TestoSmsCredito.Scrivi("SALDO");
    c.FlagSelezOperatoreManuale = 1;
    c.CodeOperatoreManuale.Scrivi("22210");
    c.AbilContactId = c.InvioGprs = c.AbilServerGprs1 = c.AbilServerGprs2 = 1;
    c.APN.Scrivi("internet.example.it");
    for (int i = 0; i < 5; ++i)
        c.DescrizioneMessaggio[i].Scrivi("Messaggio vocale " + std::to_string(i));
    for (int s = 0; s < NumZone; ++s) {
        TConfigZona& z = c.Zone[s];
        z.Attiva = z.Ritardata = z.AlertZona = z.ChimeVocale = z.SuoneriaPerTecnoOExt = 1;
        z.TipoSensore = std::uint8_t(s % 3);
        z.TecnologicoZona = std::uint8_t(s % 4 == 0);
        z.Descrizione.Scrivi("Zona con un nome lungo " + std::to_string(s));
        z.CodiceRadio = {{0x1A, std::uint8_t(s), 0xFF}};
    }
    for (int k = 0; k < NumInseritori; ++k) {
        c.Inseritori[k].Descrizione.Scrivi("Tastiera " + std::to_string(k));
        c.Inseritori[k].TxAbilInvioSegnalazioni = 1;
        c.Inseritori[k].CodiceRadio = {{1, 2, std::uint8_t(k)}};
    }
    for (int n = 0; n < NumNumTel; ++n) {
        c.NumTel[n].AbilNumTelSms = c.NumTel[n].AbilTxAllarmi = c.NumTel[n].AbilTxPanico = 1;
        c.NumTel[n].NumeroTelefono.Scrivi("+3906123456" + std::to_string(n));
    }
}

void BM_Rinfresca(benchmark::State& state) {
    for (auto _ : state) {
        const auto t0 = Orologio::now();
        MainFrm->AggiornaConfigDaForm();
        MainFrm->AggiornaFormDaConfig();
        const double s = std::chrono::duration<double>(Orologio::now() - t0).count();
        state.SetIterationTime(s);
        Campioni.push_back(s);
    }
}
BENCHMARK(BM_Rinfresca)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(50)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void BM_ApriFile(benchmark::State& state) {
    char modello[] = "/tmp/vm415-bench-XXXXXX";
    const char* cartella = mkdtemp(modello);
    if (!cartella) {
        state.SkipWithError("no temporary folder");
        return;
    }
    DialoghiMuti dialoghi;
    dialoghi.File = std::string(cartella) + "/impianto.415";
    TConfigCentrale c{};
    RiempiImmagine(c);
    c.IdCentrale = 164;
    c.VersioneCentrale = 11;
    std::ofstream(dialoghi.File, std::ios::binary).write(reinterpret_cast<const char*>(&c), sizeof c);
    platform::gui::SetDialogs(&dialoghi);
    for (auto _ : state)
        MainFrm->MiLeggiFileClick();
    platform::gui::SetDialogs(nullptr);
    std::remove(dialoghi.File.c_str());
    std::remove(cartella);
}
BENCHMARK(BM_ApriFile)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char** argv) {
    TFinestreBench finestre(argv);
    // A window tall enough for a full radio page.
    MainFrm->PageControl->setCurrentWidget(MainFrm->SheetConfigurazioneZoneRadio);
    MainFrm->resize(MainFrm->width(),
                    MainFrm->height() + 1200 - MainFrm->ScrollBoxSensoriRadio->viewport()->height());
    QCoreApplication::processEvents();
    RiempiImmagine(ConfigCentrale);
    MainFrm->AggiornaFormDaConfig();
    QCoreApplication::processEvents();
    std::printf("radio rows per page: %d\n", MainFrm->ZoneRadioPerPagina());

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    if (!Campioni.empty()) {
        std::sort(Campioni.begin(), Campioni.end());
        std::printf("one refresh, full image: median %.3f ms over %zu runs\n",
                    1000 * Campioni[Campioni.size() / 2], Campioni.size());
    }
    return 0;
}
