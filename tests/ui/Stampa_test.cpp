// The two printouts as a user gets them: the configuration from the main window's menu and the
// event list from its window, rendered to PDF and read back as text; and a report project file
// that is missing or lacks an item, which must cost one message and no paper.
#include "ProgramWindows.h"

#include "config/CartellaCorrente.h"
#include "config/GetMessage_11.h"
#include "platform/gui/qt/TRadioGroup.h"
#include "platform/report/qt/StampaReport.h"
#include "ui/CodaEventi.h"
#include "ui/CodaEventiStampa.h"
#include "ui/FrameNumTel.h"
#include "ui/MainStampa.h"

#include <QApplication>
#include <QCheckBox>
#include <QPrintPreviewDialog>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gmock/gmock.h>
#include <regex>
#include <sstream>

using platform::gui::MsgKind;
using platform::report::TDocumentoReport;
using testing::HasSubstr;

namespace {

// Writes the PDF as the preview's printer would get it, and keeps what was laid out.
class UscitaPdfProva final : public platform::report::IUscitaReport {
  public:
    explicit UscitaPdfProva(std::string Percorso) : percorso_(std::move(Percorso)) {
        platform::report::qt::ImpostaUscitaReport(this);
    }
    ~UscitaPdfProva() override { platform::report::qt::ImpostaUscitaReport(nullptr); }
    bool Stampa(const TDocumentoReport& Documento, std::string& Errore) override {
        ++Stampe;
        Ultimo = Documento;
        return platform::report::qt::ScriviPdf(Documento, percorso_, Errore);
    }
    // The PDF's text laid out as on paper.
    std::string Testo() const {
        std::string testo;
        const std::string comando = "pdftotext -layout '" + percorso_ + "' -";
        if (std::FILE* p = popen(comando.c_str(), "r")) {
            char b[4096];
            for (std::size_t n; (n = std::fread(b, 1, sizeof b, p)) > 0;)
                testo.append(b, n);
            EXPECT_EQ(pclose(p), 0) << comando;
        }
        return testo;
    }
    // The text of every printed item of that name, in printing order.
    std::vector<std::string> Voci(const std::string& Nome) const {
        std::vector<std::string> v;
        for (const auto& f : Ultimo.Fogli)
            for (const auto& e : f.Elementi)
                if (e.Nome == Nome) v.push_back(e.Testo);
        return v;
    }
    std::string Voce(const std::string& Nome) const {
        const auto v = Voci(Nome);
        EXPECT_EQ(v.size(), 1u) << Nome;
        return v.empty() ? std::string() : v.front();
    }

    int Stampe = 0;
    TDocumentoReport Ultimo;

  private:
    std::string percorso_;
};

std::vector<std::string> Righe(const std::string& Testo) {
    std::vector<std::string> r;
    std::istringstream in(Testo);
    for (std::string s; std::getline(in, s);)
        r.push_back(s);
    return r;
}

std::size_t Conta(const std::string& Testo, const std::string& Cosa) {
    std::size_t n = 0;
    for (auto p = Testo.find(Cosa); p != std::string::npos; p = Testo.find(Cosa, p + 1))
        ++n;
    return n;
}

class Stampa : public ProgramWindows {
  protected:
    Stampa() {
        // Beside the program, wherever the tests are started from.
        for (const char* f : {"repcfg.rep", "repcoda.rep"})
            testing_support::CopyShippedFile(f, folder_.Path());
        CreaFinestre();
        MostraMainFrm();
        dialogs_.Clear();
    }
    // The image as the window would hold it after a file was read.
    void Mostra() { MainFrm->AggiornaFormDaConfig(); }
    std::vector<testing_support::ShownMessage> Errori() const {
        std::vector<testing_support::ShownMessage> e;
        for (const auto& m : dialogs_.Messages())
            if (m.Kind == MsgKind::Error) e.push_back(m);
        return e;
    }

    UscitaPdfProva uscita_{folder_.File("stampa.pdf")};
};

TEST_F(Stampa, DefaultImagePrintsEveryFlagFalseAndTheEmptyCodes) {
    EXPECT_EQ(StringaBool(1), ": TRUE");
    EXPECT_EQ(StringaBool(0), ": FALSE");
    EXPECT_EQ(StringaBool(2), ": FALSE");

    ConfigCentrale.Inseritori[4].CodiceRadio = {{0x0A, 0x1B, 0x2C}};
    ConfigCentrale.NumTel[2].NumeroTelefono.Scrivi("0612345");
    Mostra();
    // A zone on a radio page not on show keeps what the image holds, a damaged 2 included.
    ConfigCentrale.Zone[59].AlertZona = 2;
    MainFrm->MiStampaConfigurazioneClick();

    ASSERT_EQ(uscita_.Stampe, 1);
    EXPECT_TRUE(dialogs_.Messages().empty());
    const std::string pdf = uscita_.Testo();
    // Five panel options, 69 zone alerts and 60 single contacts.
    EXPECT_EQ(Conta(pdf, ": FALSE"), 5u + 69u + 60u) << pdf;
    EXPECT_EQ(Conta(pdf, "TRUE"), 0u);
    EXPECT_EQ(ConfigCentrale.Zone[59].AlertZona, 2) << "the image no longer holds the damaged 2";
    EXPECT_THAT(uscita_.Voci("SetAlertZonaAbilitato").at(59), testing::EndsWith("Alert: FALSE"));

    // Keypads: a learned code ends its line, an unlearned one prints six zeros.
    const auto righe = Righe(pdf);
    int tastiere = 0, azzerate = 0;
    for (const std::string& r : righe) {
        if (r.find("Inseritore ") == std::string::npos) continue;
        ++tastiere;
        const std::string fine = r.substr(r.find_last_not_of(' ') - 5, 6);
        if (r.find("Inseritore 05") != std::string::npos)
            EXPECT_EQ(fine, "0A1B2C") << r;
        else if (fine == "000000")
            ++azzerate;
    }
    EXPECT_EQ(tastiere, 16);
    EXPECT_EQ(azzerate, 15);
    EXPECT_EQ(uscita_.Voce("Inseritore5").substr(0, 29), "Inseritore 05                ");

    // A disabled number: five blanks, the number, five blanks.
    EXPECT_EQ(uscita_.Voce("AbilNumTel3"), "     0612345     ");
    EXPECT_THAT(pdf, HasSubstr("0612345"));
}

TEST_F(Stampa, CreditItemsFollowTheCreditType) {
    ConfigCentrale.NumTelefonoCredito.Scrivi("4040");
    ConfigCentrale.TestoSmsCredito.Scrivi("SALDO");
    const auto& tipi = MainFrm->SetTipoRichiestaCredito->Items();
    for (const auto& [tipo, indice, numero, sms] :
         {std::tuple{'C', 0, false, false}, std::tuple{'T', 1, true, false},
          std::tuple{'S', 2, true, true}}) {
        SCOPED_TRACE(tipo);
        ConfigCentrale.TipoRichiestaCredito = tipo;
        Mostra();
        MainFrm->MiStampaConfigurazioneClick();
        EXPECT_EQ(uscita_.Voce("TipoSim"), tipi[std::size_t(indice)]);
        EXPECT_EQ(uscita_.Voce("NumTelCredito").empty(), !numero);
        EXPECT_EQ(uscita_.Voce("TestoSmsCredito").empty(), !sms);
        const std::string pdf = uscita_.Testo();
        EXPECT_EQ(pdf.find(": 4040") != std::string::npos, numero);
        EXPECT_EQ(pdf.find(": SALDO") != std::string::npos, sms);
    }
}

TEST_F(Stampa, ZoneRowsInSlotOrderWithTheirLetters) {
    for (int s = 0; s < NumZone; ++s) {
        char nome[16];
        std::snprintf(nome, sizeof nome, "Zona%02d", s + 1);
        ConfigCentrale.Zone[s].Descrizione.Scrivi(nome);
    }
    const auto Programma = [](int s, int Attiva, int Ritardata, int Tipo) {
        ConfigCentrale.Zone[s].Attiva = std::uint8_t(Attiva);
        ConfigCentrale.Zone[s].Ritardata = std::uint8_t(Ritardata);
        ConfigCentrale.Zone[s].TipoSensore = std::uint8_t(Tipo);
    };
    // Slots beyond the first radio page keep the image's values, as a loaded file gives them.
    Programma(20, 0, 1, 0);
    Programma(21, 1, 0, 1);
    Programma(22, 1, 1, 2);
    Programma(60, 1, 1, 1);
    ConfigCentrale.Zone[60].AlertZona = 1;
    ConfigCentrale.Zone[60].CodiceRadio = {{1, 2, 3}};
    ConfigCentrale.Zone[69].CodiceRadio = {{0xAB, 0xCD, 0xEF}};
    Programma(69, 1, 1, 1);
    Mostra();
    MainFrm->MiStampaConfigurazioneClick();
    ASSERT_EQ(uscita_.Stampe, 1);

    const auto programmi = uscita_.Voci("SetProgrSensore");
    const auto tipi = uscita_.Voci("SetTipoGestSensore");
    ASSERT_EQ(programmi.size(), std::size_t(NumZone));
    EXPECT_EQ(programmi[20] + programmi[21] + programmi[22], "DIR");
    EXPECT_EQ(tipi[20] + tipi[21] + tipi[22], "TPE");
    // Row 61, the first wired line: no single contact and no code.
    EXPECT_EQ(uscita_.Voci("DescrizioneZona")[60], "Descrizione: Zona61");
    EXPECT_EQ(uscita_.Voci("SetAlertZonaAbilitato")[60], "Alert: TRUE");
    EXPECT_EQ(programmi[60] + tipi[60], "RP");
    EXPECT_EQ(uscita_.Voci("SetSingoloContatto")[60], "");
    EXPECT_EQ(uscita_.Voci("CodiceRadio")[60], "");
    // Row 70, the first peripheral: its description and code only.
    EXPECT_EQ(uscita_.Voci("DescrizioneZona")[69], "Descrizione: Zona70");
    EXPECT_EQ(uscita_.Voci("CodiceRadio")[69], "Codice radio: ABCDEF");
    EXPECT_EQ(uscita_.Voci("SetAlertZonaAbilitato")[69] + uscita_.Voci("SetSingoloContatto")[69] +
                  programmi[69] + tipi[69],
              "");

    const std::string pdf = uscita_.Testo();
    std::size_t dove = 0;
    for (int s = 0; s < NumZone; ++s) {
        char nome[16];
        std::snprintf(nome, sizeof nome, "Zona%02d", s + 1);
        const std::size_t p = pdf.find(nome);
        ASSERT_NE(p, std::string::npos) << nome;
        EXPECT_GT(p, dove) << nome << " out of order";
        dove = p;
    }
}

TEST_F(Stampa, FlagCellsStandUnderTheirNumbers) {
    for (int n : {0, 3, 7})
        ConfigCentrale.NumTel[n].AbilTxAllarmi = 1;
    ConfigCentrale.NumTel[4].AbilChiamataDirettaTeleAlr = 1;
    Mostra();
    MainFrm->MiStampaConfigurazioneClick();
    const auto righe = Righe(uscita_.Testo());
    const auto riga = [&](const std::string& Inizio) {
        const auto r = std::find_if(righe.begin(), righe.end(), [&](const std::string& s) {
            return s.find(Inizio) != std::string::npos;
        });
        return r == righe.end() ? std::string() : *r;
    };
    // The text tool keeps columns but not the count of blanks between words.
    const std::regex numeri(R"(^ +1 +2 +3 +4 +5 +6 +7 +8 *$)");
    const auto t = std::find_if(righe.begin(), righe.end(),
                                [&](const std::string& s) { return std::regex_match(s, numeri); });
    const std::string teste = t == righe.end() ? std::string() : *t;
    const std::string allarmi = riga(MainFrm->FrameNumTel[0]->SetAbilTxAllarmi->text().toStdString());
    const std::string tele =
        riga(MainFrm->FrameNumTel[0]->SetAbilChiamataDirettaTeleAlr->text().toStdString());
    ASSERT_FALSE(teste.empty());
    const auto colonna = [&](char Numero) { return teste.find(Numero); };
    EXPECT_EQ(allarmi.find('X'), colonna('1')) << teste << "\n" << allarmi;
    EXPECT_EQ(allarmi.find('X', colonna('1') + 1), colonna('4'));
    EXPECT_EQ(allarmi.rfind('X'), colonna('8'));
    EXPECT_EQ(tele.find('X'), colonna('5')) << teste << "\n" << tele;
    EXPECT_EQ(uscita_.Voce("TCfgInt"), std::string(20, ' ') + "1    2    3    4    5    6    7    8    ");
}

TEST_F(Stampa, AProjectFileMissingOrLackingAnItemPrintsNothingAndSaysWhy) {
    std::ifstream spedito(std::string(VM415_BIN_DIR) + "/repcfg.rep");
    std::stringstream b;
    b << spedito.rdbuf();
    const std::string originale = b.str();
    ASSERT_THAT(originale, HasSubstr("text CodiceRadio "));
    const auto Senza = [&](const std::string& Inizio) {
        std::string t = originale;
        const auto p = t.find(Inizio);
        t.erase(p, t.find('\n', p) + 1 - p);
        return t;
    };

    const auto Con = [&](const std::string& Prima, const std::string& Dopo) {
        std::string t = originale;
        t.replace(t.find(Prima), Prima.size(), Dopo);
        return t;
    };

    TCartellaCorrente cartella;
    std::filesystem::current_path(folder_.Path());
    const struct {
        const char* Caso;
        std::string Testo; // empty: no file
        std::vector<std::string> Messaggio;
    } casi[] = {
        {"missing", "", {"repcfg.rep"}},
        {"band item", Senza("text CodiceRadio "), {"repcfg.rep", "ReportCfg.ZonePage", "CodiceRadio"}},
        {"page item", Senza("text TCfg7 "), {"repcfg.rep", "ReportCfg.ModemPage", "TCfg7"}},
        {"memo as text", Con("memo NoteMemo ", "text NoteMemo "), {"repcfg.rep", "NoteMemo"}},
        {"damaged", originale + "text Bad x=1\n", {"repcfg.rep", "line "}},
    };
    for (const auto& caso : casi) {
        SCOPED_TRACE(caso.Caso);
        dialogs_.Clear();
        std::filesystem::remove(folder_.File("repcfg.rep"));
        if (!caso.Testo.empty()) folder_.Write("repcfg.rep", caso.Testo);
        MainFrm->MiStampaConfigurazioneClick();
        EXPECT_EQ(uscita_.Stampe, 0);
        ASSERT_EQ(dialogs_.Messages().size(), 1u);
        for (const std::string& parola : caso.Messaggio)
            EXPECT_THAT(Errori().at(0).Text, HasSubstr(parola));
    }
    // The program goes on: with the file back, the printout comes.
    folder_.Write("repcfg.rep", originale);
    dialogs_.Clear();
    MainFrm->MiStampaConfigurazioneClick();
    EXPECT_EQ(uscita_.Stampe, 1);
    EXPECT_TRUE(dialogs_.Messages().empty());
}

TEST_F(Stampa, EventListPrintsItsRowsInOrder) {
    QTableWidget lista(1, 4);
    lista.setHorizontalHeaderLabels({"   Num.", "   Tipo evento", "   Descrittore", "   Data/ora"});
    const auto Scrivi = [&](int r, std::initializer_list<const char*> Celle) {
        int c = 0;
        for (const char* t : Celle)
            lista.setItem(r, c++, new QTableWidgetItem(QString::fromUtf8(t)));
    };
    // The list as the window leaves it when empty: one blank row.
    Scrivi(0, {"", "", "", ""});
    StampaCodaEventi("Coda eventi", lista);
    ASSERT_EQ(uscita_.Stampe, 1);
    EXPECT_TRUE(uscita_.Voci("Num").empty());
    EXPECT_EQ(uscita_.Voce("NumeroDescrittoreL"), "   Descrittore");

    lista.setRowCount(3);
    Scrivi(0, {"    001", "    Allarme", "    Ingresso", "    10:00:00   01/02/24"});
    Scrivi(1, {"    002", "    Inserimento totale", "    Tastiera", "    11:00:00   01/02/24"});
    Scrivi(2, {"    003", "", "", "    00:00:00   30/12/99"});
    StampaCodaEventi("Coda eventi", lista);
    EXPECT_EQ(uscita_.Voci("Num"), (std::vector<std::string>{"    001", "    002", "    003"}));
    EXPECT_EQ(uscita_.Voci("TipoEvento")[1], "    Inserimento totale");
    const std::string pdf = uscita_.Testo();
    const auto a = pdf.find("001"), b = pdf.find("002"), c = pdf.find("003");
    EXPECT_TRUE(a < b && b < c && c != std::string::npos) << pdf;
    EXPECT_THAT(pdf, HasSubstr("Coda eventi"));
    EXPECT_THAT(pdf, HasSubstr("Tipo evento"));
    EXPECT_THAT(pdf, HasSubstr("30/12/99"));
    EXPECT_TRUE(dialogs_.Messages().empty());
}

TEST_F(Stampa, TheEventWindowsPrintButtonPrintsTheListsRows) {
    TCodaEventi& coda = CodaEventiFrm->Coda;
    coda.NumEventi = 3;
    for (int i = 0; i < 3; ++i) {
        coda.Eventi[i].Tipo = std::uint8_t(6 + i);
        coda.Eventi[i].Descrittore = std::uint8_t(i);
    }
    CodaEventiFrm->ImpostaTestiCoda();
    CodaEventiFrm->MostraCodaEventi();
    CodaEventiFrm->StampaCodaBtn->click();
    ASSERT_EQ(uscita_.Stampe, 1);
    std::vector<std::string> righe;
    for (int r = 0; r < CodaEventiFrm->CodaEventiGrid->rowCount(); ++r)
        righe.push_back(CodaEventiFrm->CodaEventiGrid->item(r, 0)->text().toStdString());
    EXPECT_EQ(uscita_.Voci("Num"), righe);
    EXPECT_EQ(righe.size(), 3u);
    EXPECT_EQ(uscita_.Ultimo.Titolo, GetMessaggio("STRCODA_TITOLO"));
}

TEST_F(Stampa, WithoutAnInstalledOutputTheUserGetsThePrintPreview) {
    platform::report::qt::ImpostaUscitaReport(nullptr);
    bool anteprima = false;
    QString titolo;
    // The preview is modal: it is looked at and closed from the event loop it runs.
    QTimer::singleShot(0, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<QPrintPreviewDialog*>(w); d && d->isVisible()) {
                anteprima = true;
                titolo = d->windowTitle();
                d->reject();
            }
    });
    MainFrm->MiStampaConfigurazioneClick();
    EXPECT_TRUE(anteprima);
    // The printout's own name in the user's language, not the report's name inside the project.
    EXPECT_TRUE(titolo.endsWith(": Stampa configurazione")) << titolo.toStdString();
    EXPECT_TRUE(dialogs_.Messages().empty());
    EXPECT_EQ(uscita_.Stampe, 0);
}

} // namespace
