#include "ui/CodaEventiStampa.h"

#include "config/GetMessage_11.h"
#include "platform/gui/qt/QtText.h"
#include "platform/report/ProgettoReport.h"
#include "platform/report/qt/StampaReport.h"

#include <QTableWidget>
#include <array>

namespace {

constexpr const char* FileProgettoCoda = "repcoda.rep";
constexpr const char* PaginaCoda = "ReportCoda.MainPage";
constexpr int NumColonne = 4;
constexpr std::array<const char*, NumColonne> VociTesta = {"NumL", "TipoEventoL", "NumeroDescrittoreL",
                                                           "DataOraEventoL"};
constexpr std::array<const char*, NumColonne> VociRiga = {"Num", "TipoEvento", "NumeroDescrittore",
                                                          "DataOraEvento"};

std::string Cella(const QTableWidget& Lista, int Riga, int Colonna) {
    const QTableWidgetItem* i = Colonna < Lista.columnCount() ? Lista.item(Riga, Colonna) : nullptr;
    return i ? platform::gui::ToCp1252(i->text()) : std::string();
}

// The report's side of the window's print button: the project, its data connection and the row
// being fed.
class TStampaCoda {
  public:
    explicit TStampaCoda(const QTableWidget& Lista) : lista_(Lista) {}

    void Esegui(const QString& Titolo) {
        platform::report::TConnessioneDati RepConnectionCoda("RepConnectionCoda");
        RepConnectionCoda.OnFirst = [this] { RepConnectionCodaFirst(); };
        RepConnectionCoda.OnEOF = [this](bool& Eof) { RepConnectionCodaEOF(Eof); };
        RepConnectionCoda.OnValidateRow = [this](bool& RigaValida) {
            RepConnectionCodaValidateRow(RigaValida);
        };
        RPCoda.AggiungiConnessione(RepConnectionCoda);
        if (!RPCoda.Open()) return;
        platform::report::TGestoreProgetto& gestore = RPCoda.ProjMan();
        platform::report::TPaginaReport* pagina = gestore.FindPage(PaginaCoda);
        const std::string titolo = platform::gui::ToCp1252(Titolo);
        Imposta(pagina, "Titolo", titolo);
        for (int c = 0; c < NumColonne; ++c) {
            const QTableWidgetItem* testa =
                c < lista_.columnCount() ? lista_.horizontalHeaderItem(c) : nullptr;
            Imposta(pagina, VociTesta[std::size_t(c)],
                    testa ? platform::gui::ToCp1252(testa->text()) : std::string());
        }
        Imposta(pagina, "PaginaL", GetMessaggio("STRGLOBAL_PAGINA"));
        RPCoda.ExecuteReport("ReportCoda", platform::report::qt::UscitaReport(), titolo);
        RPCoda.Close();
    }

  private:
    void Imposta(platform::report::TPaginaReport* Pagina, const char* Voce, const std::string& Testo) {
        if (platform::report::TVoceReport* v = RPCoda.ProjMan().FindText(Pagina, Voce)) v->SetText(Testo);
    }

    void RepConnectionCodaFirst() { RigaReport = 0; }
    void RepConnectionCodaEOF(bool& Eof) {
        ++RigaReport;
        Eof = RigaReport > lista_.rowCount();
    }
    void RepConnectionCodaValidateRow(bool& RigaValida) {
        const int riga = RigaReport - 1;
        std::array<std::string, NumColonne> testi;
        bool vuota = true;
        for (int c = 0; c < NumColonne; ++c) {
            testi[std::size_t(c)] = Cella(lista_, riga, c);
            if (testi[std::size_t(c)].find_first_not_of(' ') != std::string::npos) vuota = false;
        }
        RigaValida = !vuota;
        if (vuota) return;
        platform::report::TPaginaReport* pagina = RPCoda.ProjMan().FindPage(PaginaCoda);
        for (int c = 0; c < NumColonne; ++c)
            Imposta(pagina, VociRiga[std::size_t(c)], testi[std::size_t(c)]);
    }

    const QTableWidget& lista_;
    platform::report::TProgettoReport RPCoda{FileProgettoCoda};
    int RigaReport = 0;
};

} // namespace

void StampaCodaEventi(const QString& Titolo, const QTableWidget& CodaEventiGrid) {
    TStampaCoda(CodaEventiGrid).Esegui(Titolo);
}
