// The two printouts rendered to PDF, as the tests render them: the whole configuration printout
// from the main window's menu (a full image: 85 zone rows, every keypad and number named and
// learned) and the event printout of a list of 255 rows. Each run writes the PDF file anew.
#include "config/GlobalsVar.h"
#include "platform/gui/Dialogs.h"
#include "platform/report/qt/StampaReport.h"
#include "ui/CodaEventiStampa.h"
#include "ui/Finestre.h"
#include "ui/Main.h"
#include "ui/bench/FinestreBench.h"

#include <QApplication>
#include <QTableWidget>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

std::string CartellaBench;

// Counts what the PDF output refused, so that a figure is never one of a failed printout.
class UscitaBench final : public platform::report::IUscitaReport {
  public:
    bool Stampa(const platform::report::TDocumentoReport& Documento, std::string& Errore) override {
        const bool ok = platform::report::qt::ScriviPdf(Documento, CartellaBench + "/stampa.pdf", Errore);
        Fogli = Documento.Fogli.size();
        if (!ok) ++Falliti;
        return ok;
    }
    std::size_t Fogli = 0;
    int Falliti = 0;
};

void RiempiImmagine(TConfigCentrale& c) {
    ConfigDefault(c);
    c.CommentiPc.Scrivi(std::string(120, 'n') + "\r\n" + std::string(120, 'm'));
    c.TipoRichiestaCredito = 'S';
    c.TestoSmsCredito.Scrivi("SALDO");
    c.NumTelefonoCredito.Scrivi("4040");
    for (int s = 0; s < NumZone; ++s) {
        TConfigZona& z = c.Zone[s];
        z.Attiva = z.AlertZona = 1;
        z.Ritardata = std::uint8_t(s % 2);
        z.TipoSensore = std::uint8_t(s % 3);
        z.Descrizione.Scrivi("Zona con un nome lungo " + std::to_string(s));
        z.CodiceRadio = {{0x1A, std::uint8_t(s), 0xFF}};
    }
    for (int k = 0; k < NumInseritori; ++k) {
        c.Inseritori[k].Descrizione.Scrivi("Tastiera " + std::to_string(k));
        c.Inseritori[k].CodiceRadio = {{1, 2, std::uint8_t(k)}};
    }
    for (int n = 0; n < NumNumTel; ++n) {
        c.NumTel[n].AbilNumTelSms = c.NumTel[n].AbilTxAllarmi = std::uint8_t(n % 2);
        c.NumTel[n].NumeroTelefono.Scrivi("+3906123456" + std::to_string(n));
    }
}

void BM_StampaConfigurazione(benchmark::State& state) {
    UscitaBench uscita;
    platform::report::qt::ImpostaUscitaReport(&uscita);
    for (auto _ : state)
        MainFrm->MiStampaConfigurazioneClick();
    platform::report::qt::ImpostaUscitaReport(nullptr);
    if (uscita.Falliti != 0 || uscita.Fogli == 0) state.SkipWithError("the printout was not written");
    state.counters["sheets"] = double(uscita.Fogli);
}
BENCHMARK(BM_StampaConfigurazione)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_StampaCoda(benchmark::State& state) {
    QTableWidget lista(255, 4);
    lista.setHorizontalHeaderLabels({"   Num.", "   Tipo evento", "   Descrittore", "   Data/ora evento"});
    for (int r = 0; r < lista.rowCount(); ++r) {
        char numero[16];
        std::snprintf(numero, sizeof numero, "    %03d", r + 1);
        lista.setItem(r, 0, new QTableWidgetItem(numero));
        lista.setItem(r, 1, new QTableWidgetItem("    Allarme tecnologico sensore fumo"));
        lista.setItem(r, 2, new QTableWidgetItem("    Zona con un nome lungo " + QString::number(r % 85)));
        lista.setItem(r, 3, new QTableWidgetItem("    12:34:56   01/02/24"));
    }
    UscitaBench uscita;
    platform::report::qt::ImpostaUscitaReport(&uscita);
    for (auto _ : state)
        StampaCodaEventi("Coda eventi", lista);
    platform::report::qt::ImpostaUscitaReport(nullptr);
    if (uscita.Falliti != 0 || uscita.Fogli == 0) state.SkipWithError("the printout was not written");
    state.counters["sheets"] = double(uscita.Fogli);
}
BENCHMARK(BM_StampaCoda)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char** argv) {
    TFinestreBench finestre(argv);
    char modello[] = "/tmp/vm415-stampa-XXXXXX";
    if (!mkdtemp(modello)) return 1;
    CartellaBench = modello;

    DialoghiMuti dialoghi;
    platform::gui::SetDialogs(&dialoghi);
    RiempiImmagine(ConfigCentrale);
    MainFrm->AggiornaFormDaConfig();
    QCoreApplication::processEvents();

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    platform::gui::SetDialogs(nullptr);
    std::error_code ec;
    std::filesystem::remove_all(CartellaBench, ec);
    return 0;
}
