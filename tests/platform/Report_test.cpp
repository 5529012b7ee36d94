// The report layer without Qt: the project file's reader, the order in which a band's data
// connection is asked for its rows, how rows fill sheets, and a fault costing one message and no
// printout.
#include "platform/report/ProgettoReport.h"
#include "support/ScriptedDialogs.h"
#include "support/TempFolder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace platform::report;
using testing::HasSubstr;

namespace {

std::string Errore(const std::string& Testo) {
    std::string e;
    EXPECT_FALSE(LeggiFileReport(Testo, e).has_value()) << Testo;
    return e;
}

TEST(FileReport, RefusesEachFaultNamingItsLine) {
    const std::string inizio = "report R\npage P\n";
    const struct {
        std::string Testo;
        std::string Messaggio;
    } casi[] = {
        {"", "no report"},
        {"page P\n", "line 1: page before any report"},
        {"report R\ntext A x=1 y=1 w=5 h=5\n", "line 2: item outside a page"},
        {inizio + "text A x=1 y=1 w=5\n", "line 3: \"h=\" is missing"},
        {inizio + "text A x=1 y=1 w=5 h=5 h=6\n", "line 3: \"h\" given twice"},
        {inizio + "text A x=-1 y=1 w=5 h=5\n", "line 3: \"x=-1\" is not a number"},
        {inizio + "text A x=200 y=1 w=20 h=5\n", "line 3: item \"A\" lies outside its paper"},
        {inizio + "text 9A x=1 y=1 w=5 h=5\n", "not a valid name"},
        {inizio + "text A x=1 y=1 w=5 h=5 value=\"open\n", "line 3: a quote is not closed"},
        {inizio + "text A x=1 y=1 w=5 h=5 colour=red\n", "unknown word \"colour\""},
        {inizio + "text A x=1 y=1 w=5 h=5\ntext A x=1 y=9 w=5 h=5\n", "line 4: item \"A\" given twice"},
        {inizio + "txt A\n", "line 3: unknown keyword \"txt\""},
        {inizio + "text A x=1 y=1\tw=5 h=5\x01\n", "control character"},
        {inizio + "font family=Mono size=200\n", "font size"},
        {"report R\npage P paper=10x10\n", "line 2: paper \"10x10\""},
        {"report R\nreport R\n", "line 2: report \"R\" given twice"},
        {inizio + "band connection=C top=10 bottom=20 height=5\ntext A x=1 y=3 w=5 h=5\nend\n",
         "line 4: item \"A\" lies outside its row"},
        {inizio + "band connection=C top=10 bottom=20 height=11\n", "row height"},
        {inizio + "band connection=C top=10 bottom=20 height=5\n", "not closed by end"},
        {inizio + "end\n", "line 3: end without a band"},
        {inizio + "band connection=C top=10 bottom=20 height=5\npagenumber N x=1 y=0 w=5 h=5\nend\n",
         "page number cannot stand in the band"},
        {inizio + "pagenumber N x=1 y=1 w=5 h=5 after=L\ntext M x=1 y=9 w=5 h=5\n",
         "line 3: \"N\" follows \"L\", which is no text"},
    };
    for (const auto& c : casi)
        EXPECT_THAT(Errore(c.Testo), HasSubstr(c.Messaggio)) << c.Testo;

    std::string e;
    EXPECT_FALSE(LeggiFileReport(std::string(DimensioneMassimaFileReport + 1, '#'), e));
    EXPECT_THAT(e, HasSubstr("too long"));
}

TEST(FileReport, ReadsPlacesFontsAndTheBand) {
    std::string e;
    const auto f =
        LeggiFileReport("# comment\r\n"
                        "report R\r\n"
                        "page P paper=297x210\n"
                        "font family=\"Liberation Mono\" size=9.5 bold fixed\n"
                        "text Titolo x=15 y=12.25 w=180 h=8 align=right value=\"a \"\"b\"\" c\" # note\n"
                        "band connection=Righe top=30 bottom=200 height=7.5\n"
                        "memo M x=15 y=0 w=100 h=7\n"
                        "end\n",
                        e);
    ASSERT_TRUE(f) << e;
    ASSERT_EQ(f->Report.size(), 1u);
    const TDefPagina& p = f->Report[0].Pagine.at(0);
    EXPECT_EQ(p.Larghezza, 297);
    EXPECT_EQ(p.Altezza, 210);
    const TDefVoce& t = p.Voci.at(0);
    EXPECT_EQ(t.Valore, "a \"b\" c");
    EXPECT_EQ(t.Posizione.Y, 12.25);
    EXPECT_EQ(t.Allineamento, TAllineamento::Destra);
    EXPECT_EQ(t.Carattere.Famiglia, "Liberation Mono");
    EXPECT_EQ(t.Carattere.Punti, 9.5);
    EXPECT_TRUE(t.Carattere.Grassetto && t.Carattere.Fisso && !t.Carattere.Corsivo);
    EXPECT_TRUE(p.Voci.at(1).NellaBanda);
    ASSERT_TRUE(p.Banda);
    EXPECT_EQ(p.Banda->Connessione, "Righe");
    EXPECT_EQ(p.Banda->RighePerFoglio(), 22);
}

// ---- The project component ---------------------------------------------------------------------

class Registra final : public IUscitaReport {
  public:
    bool Stampa(const TDocumentoReport& d, std::string&) override {
        ++Stampe;
        Documento = d;
        return true;
    }
    int Stampe = 0;
    TDocumentoReport Documento;
};

class Progetto : public testing::Test {
  protected:
    Progetto() {
        cartella_.Write("prova.rep", "report R\n"
                                     "page Testa\n"
                                     "text Titolo x=10 y=10 w=100 h=5\n"
                                     "text PaginaL x=10 y=280 w=20 h=5\n"
                                     "pagenumber N x=10 y=280 w=10 h=5 after=PaginaL\n"
                                     "memo Note x=10 y=20 w=100 h=20\n"
                                     "page Righe\n"
                                     "pagenumber N x=10 y=280 w=10 h=5\n"
                                     "band connection=C top=10 bottom=25 height=5\n"
                                     "text Riga x=10 y=0 w=100 h=5\n"
                                     "end\n");
        progetto_.AggiungiConnessione(connessione_);
    }
    std::size_t Errori() const { return dialoghi_.Messages().size(); }

    testing_support::TempFolder cartella_;
    testing_support::ScriptedDialogs dialoghi_;
    TProgettoReport progetto_{cartella_.File("prova.rep")};
    TConnessioneDati connessione_{"C"};
    Registra uscita_;
};

TEST_F(Progetto, RowsComeFirstOnceThenEofBeforeEachValidateRowAndFillSheets) {
    std::string chiamate;
    int riga = 0;
    TVoceReport* voceRiga = nullptr;
    connessione_.OnFirst = [&] {
        chiamate += 'F';
        riga = 0;
    };
    connessione_.OnEOF = [&](bool& Eof) {
        chiamate += 'E';
        Eof = ++riga > 7;
    };
    connessione_.OnValidateRow = [&](bool& Valida) {
        chiamate += 'V';
        Valida = riga != 4; // a row answered not valid prints nothing
        voceRiga->SetText("riga " + std::to_string(riga));
    };
    ASSERT_TRUE(progetto_.Open());
    TGestoreProgetto& g = progetto_.ProjMan();
    TPaginaReport* testa = g.FindPage("R.Testa");
    g.FindText(testa, "Titolo")->SetText("Titolo");
    g.FindText(testa, "PaginaL")->SetText("Pagina");
    g.FindMemo(testa, "Note")->SetText("una\r\ndue");
    voceRiga = g.FindText(g.FindPage("R.Righe"), "Riga");
    ASSERT_TRUE(voceRiga);

    ASSERT_TRUE(progetto_.ExecuteReport("R", uscita_));
    EXPECT_EQ(chiamate, "F" + std::string("EVEVEVEVEVEVEV") + "E");
    EXPECT_EQ(Errori(), 0u);

    // The head page, then six rows three to a sheet; page numbers count the sheets.
    const auto& fogli = uscita_.Documento.Fogli;
    ASSERT_EQ(fogli.size(), 3u);
    const auto& primo = fogli[0].Elementi;
    ASSERT_EQ(primo.size(), 4u);
    EXPECT_EQ(primo[2].Testo, "1");
    EXPECT_EQ(primo[2].Dopo, 1) << "the number follows its caption";
    EXPECT_EQ(primo[3].Testo, "una\r\ndue");
    std::vector<std::string> righe;
    std::vector<double> alti;
    for (std::size_t f = 1; f < 3; ++f) {
        EXPECT_EQ(fogli[f].Elementi.at(0).Testo, std::to_string(f + 1));
        for (std::size_t i = 1; i < fogli[f].Elementi.size(); ++i) {
            righe.push_back(fogli[f].Elementi[i].Testo);
            alti.push_back(fogli[f].Elementi[i].Posizione.Y);
        }
    }
    EXPECT_EQ(righe, (std::vector<std::string>{"riga 1", "riga 2", "riga 3", "riga 5", "riga 6", "riga 7"}));
    EXPECT_EQ(alti, (std::vector<double>{10, 15, 20, 10, 15, 20}));
}

TEST_F(Progetto, AFaultIsToldOnceAndNothingIsPrinted) {
    // Missing page, then a lookup on it: one message naming the file and the page.
    ASSERT_TRUE(progetto_.Open());
    TPaginaReport* p = progetto_.ProjMan().FindPage("R.Manca");
    EXPECT_EQ(p, nullptr);
    EXPECT_EQ(progetto_.ProjMan().FindText(p, "Titolo"), nullptr);
    EXPECT_FALSE(progetto_.ExecuteReport("R", uscita_));
    ASSERT_EQ(Errori(), 1u);
    EXPECT_THAT(dialoghi_.Messages()[0].Text, HasSubstr("prova.rep\" has no page \"R.Manca\""));

    // An item of the wrong kind, found while rows are fed: the rows stop, nothing prints.
    dialoghi_.Clear();
    ASSERT_TRUE(progetto_.Open());
    int righe = 0;
    connessione_.OnEOF = [&](bool& Eof) { Eof = ++righe > 5; };
    connessione_.OnValidateRow = [&](bool&) {
        if (righe == 2) progetto_.ProjMan().FindMemo(progetto_.ProjMan().FindPage("R.Righe"), "Riga");
    };
    EXPECT_FALSE(progetto_.ExecuteReport("R", uscita_));
    EXPECT_EQ(righe, 2);
    ASSERT_EQ(Errori(), 1u);
    EXPECT_THAT(dialoghi_.Messages()[0].Text,
                HasSubstr("page \"R.Righe\" has \"Riga\", but not as a memo item"));

    // A connection that never ends, and a band whose connection the program lacks.
    dialoghi_.Clear();
    ASSERT_TRUE(progetto_.Open());
    connessione_.OnEOF = [](bool& Eof) { Eof = false; };
    connessione_.OnValidateRow = nullptr;
    EXPECT_FALSE(progetto_.ExecuteReport("R", uscita_));
    EXPECT_THAT(dialoghi_.Messages().at(0).Text, HasSubstr("more than"));
    dialoghi_.Clear();
    TProgettoReport senza(cartella_.File("prova.rep"));
    ASSERT_TRUE(senza.Open());
    EXPECT_FALSE(senza.ExecuteReport("R", uscita_));
    EXPECT_THAT(dialoghi_.Messages().at(0).Text, HasSubstr("data connection \"C\""));
    EXPECT_EQ(uscita_.Stampe, 0);

    // Missing and damaged files.
    dialoghi_.Clear();
    TProgettoReport manca("manca-di-sicuro.rep");
    EXPECT_FALSE(manca.Open());
    EXPECT_EQ(manca.ProjMan().FindPage("R.Testa"), nullptr);
    cartella_.Write("rotto.rep", "report R\npage P\ntext\n");
    TProgettoReport rotto(cartella_.File("rotto.rep"));
    EXPECT_FALSE(rotto.Open());
    const auto m = dialoghi_.Messages();
    ASSERT_EQ(m.size(), 2u);
    EXPECT_THAT(m[0].Text, HasSubstr("\"manca-di-sicuro.rep\": the file is neither in the current folder"));
    EXPECT_THAT(m[1].Text, HasSubstr("line 3: item without a name"));
}

} // namespace
