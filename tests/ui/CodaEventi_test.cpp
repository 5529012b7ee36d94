// The event-queue window: what the list shows for each kind of event, and the ".cod" file
// commands with their name rule, questions, messages and folder.
#include "ProgramWindows.h"

#include "config/DataOra.h"
#include "config/GetMessage_11.h"
#include "config/GlobalsVar.h"
#include "platform/fs/SafeFile.h"
#include "platform/gui/qt/QtText.h"
#include "ui/CodaEventi.h"

#include <QTableWidget>
#include <cerrno>
#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;
using platform::gui::MsgKind;

namespace {

double Momento(int a, int me, int g, int h, int mi, int s) {
    double v = 0;
    EXPECT_TRUE(CodificaDataOra(a, me, g, h, mi, s, v));
    return v;
}

TEventoCoda Evento(int tipo, int descrittore, double quando = 0) {
    TEventoCoda e{};
    e.Tipo = std::uint8_t(tipo);
    e.Descrittore = std::uint8_t(descrittore);
    e.DataOra = quando;
    return e;
}

std::vector<std::uint8_t> Record(int n) {
    std::vector<std::uint8_t> v;
    for (int i = 0; i < n; ++i) {
        TEventoCoda e = Evento(i % 256, 1, Momento(2026, 1, 1 + i % 28, 10, 0, 0));
        std::memset(e.Pad2, i % 256, sizeof e.Pad2);
        const auto* p = reinterpret_cast<const std::uint8_t*>(&e);
        v.insert(v.end(), p, p + sizeof e);
    }
    return v;
}

QString Cp(const std::string& s) {
    return platform::gui::FromCp1252(s);
}
// A cell's text as the table gives it: four blanks, then the key's text.
QString Voce(const char* chiave, const QString& coda = {}) {
    return QStringLiteral("    ") + Cp(GetMessaggio(chiave)) + coda;
}

long ScritturaFallita(int, const void*, std::size_t) {
    errno = ENOSPC;
    return -1;
}

class CodaEventi : public ProgramWindows {
  protected:
    CodaEventi() : immagine_(ConfigCentrale) {
        CreaFinestre();
        CodaEventiFrm->show();
    }
    ~CodaEventi() override { ConfigCentrale = immagine_; }

    TCodaEventi& Coda() { return CodaEventiFrm->Coda; }
    void Metti(std::initializer_list<TEventoCoda> eventi) {
        Coda().NumEventi = 0;
        for (const TEventoCoda& e : eventi)
            Coda().Eventi[Coda().NumEventi++] = e;
    }
    // Rows as the list counts them: the titles' row, then the events' rows from 1.
    int Righe() const { return CodaEventiFrm->CodaEventiGrid->rowCount() + 1; }
    QString Cella(int riga, int colonna) const {
        const QTableWidgetItem* i = CodaEventiFrm->CodaEventiGrid->item(riga - 1, colonna);
        return i ? i->text() : QString();
    }
    std::vector<QString> Riga(int riga) const {
        return {Cella(riga, 0), Cella(riga, 1), Cella(riga, 2), Cella(riga, 3)};
    }
    std::string Ultimo() const { return dialogs_.Messages().empty() ? "" : dialogs_.Messages().back().Text; }

  private:
    TConfigCentrale immagine_;
};

} // namespace

TEST_F(CodaEventi, TheListShowsEachKindOfEventAsTheRulesSay) {
    Metti({});
    CodaEventiFrm->MostraCodaEventi();
    EXPECT_EQ(Righe(), 2);
    EXPECT_EQ(Riga(1), std::vector<QString>(4));

    ConfigCentrale.Zone[5].Descrizione.Scrivi("Cucina \xe8");
    ConfigCentrale.Inseritori[15].Descrizione.Scrivi("Ingresso");
    const QString zero = QStringLiteral("    00:00:00   30/12/99");
    struct Caso {
        TEventoCoda e;
        QString tipo, fonte;
    };
    const std::vector<Caso> casi = {
        {Evento(1, 212), "", Voce("STRCODA_EVINVIOGPRSOK", " 1")},
        {Evento(2, 212), Voce("STRCODA_EAAUTOESCLUSIONE"), Voce("STRCODA_EVINVIOGPRSOK", " 1")},
        {Evento(1, 215), Voce("STRCODA_EAGENERICO"), Voce("STRCODA_EVINVIOGPRSNO", " 2")},
        {Evento(7, 5), Voce("STRCODA_EA_TEC_MALFUNZ_FUMO"), QString::fromUtf8("    Cucina è")},
        {Evento(43, 216), Voce("STRCODA_EA_DR_DIRRVE_GEN"), Voce("STRCODA_ALLACCECAMSUB")},
        {Evento(5, 200), Voce("STRCODA_EATAMPERRADIO"), Voce("STRCODA_ALLTAMPERFILO")},
        {Evento(3, 85), Voce("STRCODA_EASVMANCATA"), ""},
        {Evento(3, 217), Voce("STRCODA_EASVMANCATA"), ""},
        {Evento(105, 203), Voce("STRCODA_EVENTODISINS"), Voce("STRCODA_INSSMS", " 1")},
        {Evento(105, 210), Voce("STRCODA_EVENTODISINS"), Voce("STRCODA_INSSMS", " 8")},
        {Evento(105, 211), Voce("STRCODA_EVENTODISINS"), ""},
        {Evento(114, 15), Voce("STRCODA_EVENTOFIABILREM"), "    Ingresso"},
        {Evento(101, 16), Voce("STRCODA_EVENTOINSERTOT"), ""},
        {Evento(102, 201), Voce("STRCODA_EVENTOINSERPAR1"), Voce("STRCODA_INSREMOTO")},
        {Evento(0, 5), "", ""},
        {Evento(44, 5), "", ""},
        {Evento(50, 200), "", ""},
        {Evento(100, 5), "", ""},
        {Evento(115, 200), "", ""},
        {Evento(200, 203), "", ""},
    };
    TCodaEventi& c = Coda();
    c.NumEventi = std::uint8_t(casi.size());
    for (std::size_t i = 0; i < casi.size(); ++i)
        c.Eventi[i] = casi[i].e;
    c.Eventi[2].DataOra = Momento(2024, 2, 29, 13, 45, 7);
    CodaEventiFrm->MostraCodaEventi();
    ASSERT_EQ(Righe(), int(casi.size()) + 1);
    for (std::size_t i = 0; i < casi.size(); ++i) {
        SCOPED_TRACE(testing::Message() << int(casi[i].e.Tipo) << "/" << int(casi[i].e.Descrittore));
        const int r = int(i) + 1;
        EXPECT_EQ(Cella(r, 0), QStringLiteral("    %1").arg(r, 3, 10, QLatin1Char('0')));
        EXPECT_EQ(Cella(r, 1), casi[i].tipo);
        EXPECT_EQ(Cella(r, 2), casi[i].fonte);
        EXPECT_EQ(Cella(r, 3), r == 3 ? QStringLiteral("    13:45:07   29/02/24") : zero);
    }

    // The zone's name is the image's now, not the one it had when the event happened; the
    // texts follow a language change at the next showing, and the list is blank again.
    ConfigCentrale.Zone[5].Descrizione.Scrivi("Salotto");
    ConfigPc.Lingua = 1;
    CodaEventiFrm->hide();
    CodaEventiFrm->show();
    EXPECT_EQ(Righe(), 2);
    EXPECT_EQ(Riga(1), std::vector<QString>(4));
    CodaEventiFrm->MostraCodaEventi();
    EXPECT_EQ(Cella(4, 2), QStringLiteral("    Salotto"));
    EXPECT_EQ(Cella(9, 1), QStringLiteral("    Disarming"));
    EXPECT_EQ(CodaEventiFrm->windowTitle(), Cp(GetMessaggio("STRCODA_TITOLO")));
    EXPECT_TRUE(dialogs_.Messages().empty()) << "every text is in the shipped table";
}

TEST_F(CodaEventi, SavedEventsLoadBackByteForByteUnderTheNameRule) {
    fs::create_directory(folder_.File("altrove"));
    testing_support::FolderMovingDialogs dialoghi(dialogs_, folder_.File("altrove"));
    const fs::path qui = fs::current_path();

    // No events: an empty file, which loads as no events.
    Metti({});
    dialogs_.ChooseFile(folder_.File("vuota"));
    CodaEventiFrm->SalvaFileCodaBtnClick();
    EXPECT_EQ(Ultimo(), "Ok");
    ASSERT_TRUE(folder_.Exists("vuota.cod"));
    EXPECT_TRUE(folder_.Read("vuota.cod").empty());
    Metti({Evento(1, 1)});
    dialogs_.ChooseFile(folder_.File("vuota.cod"));
    CodaEventiFrm->LeggiFileCodaBtnClick();
    EXPECT_EQ(Coda().NumEventi, 0);
    EXPECT_EQ(Righe(), 2);

    // Three events, alignment bytes and all, under a name whose extension is kept.
    Metti({Evento(1, 2, 45000.5), Evento(105, 203, 46000.25), Evento(250, 250)});
    for (int i = 0; i < 3; ++i)
        std::memset(Coda().Eventi[i].Pad2, 0xA0 + i, sizeof Coda().Eventi[i].Pad2);
    const TCodaEventi salvata = Coda();
    dialogs_.ChooseFile(folder_.File("coda.bak"));
    CodaEventiFrm->SalvaFileCodaBtnClick();
    ASSERT_EQ(folder_.Read("coda.bak").size(), 48u);
    EXPECT_FALSE(folder_.Exists("coda.bak.cod"));
    Coda() = TCodaEventi{};
    dialogs_.ChooseFile(folder_.File("coda.bak"));
    CodaEventiFrm->LeggiFileCodaBtnClick();
    EXPECT_EQ(Ultimo(), "Ok");
    ASSERT_EQ(Coda().NumEventi, 3);
    EXPECT_EQ(std::memcmp(Coda().Eventi, salvata.Eventi, 3 * sizeof(TEventoCoda)), 0);
    EXPECT_EQ(Righe(), 4);
    EXPECT_EQ(Cella(3, 0), QStringLiteral("    003"));

    // The overwrite question names the file; No writes nothing, Yes replaces it.
    const auto prima = folder_.Read("coda.bak");
    Metti({Evento(7, 7)});
    dialogs_.ChooseFile(folder_.File("coda.bak"));
    dialogs_.AnswerNo();
    CodaEventiFrm->SalvaFileCodaBtnClick();
    EXPECT_EQ(dialogs_.Messages().back().Kind, MsgKind::Confirmation);
    EXPECT_EQ(Ultimo(), GetMessaggio("STRMAIN_SOVRASCRIVERE") + " " + folder_.File("coda.bak"));
    EXPECT_EQ(folder_.Read("coda.bak"), prima);
    EXPECT_EQ(fs::current_path(), qui);
    dialogs_.ChooseFile(folder_.File("coda.bak"));
    dialogs_.AnswerYes();
    CodaEventiFrm->SalvaFileCodaBtnClick();
    EXPECT_EQ(folder_.Read("coda.bak").size(), 16u);

    // A failed write leaves the previous file as it was.
    const auto uno = folder_.Read("coda.bak");
    Metti({Evento(1, 1), Evento(2, 2)});
    dialogs_.ChooseFile(folder_.File("coda.bak"));
    dialogs_.AnswerYes();
    platform::SetWriteFunctionForTest(&ScritturaFallita);
    CodaEventiFrm->SalvaFileCodaBtnClick();
    platform::SetWriteFunctionForTest(nullptr);
    EXPECT_EQ(dialogs_.Messages().back().Kind, MsgKind::Error);
    EXPECT_EQ(Ultimo(), "Error");
    EXPECT_EQ(folder_.Read("coda.bak"), uno);

    // A bare name is resolved in the folder the dialog left current, which is then put back.
    dialogs_.ChooseFile("relativa");
    CodaEventiFrm->SalvaFileCodaBtnClick();
    EXPECT_TRUE(folder_.Exists("altrove/relativa.cod"));
    EXPECT_EQ(fs::current_path(), qui);
    EXPECT_TRUE(dialogs_.AllAnswersUsed());
}

TEST_F(CodaEventi, LoadsKeepWholeRecordsUpToTheStoreAndSayWhatWasLeft) {
    struct Caso {
        std::size_t byte;
        int caricati;
        std::string messaggio;
    };
    const std::string incompleto = GetMessaggio("STRCODA_FILEINCOMPLETO");
    const std::string esclusi = GetMessaggio("STRCODA_EVENTIESCLUSI");
    for (const Caso& k :
         {Caso{40, 2, incompleto}, Caso{150 * 16, 150, "Ok"}, Caso{255 * 16, 255, "Ok"},
          Caso{300 * 16, 255, esclusi + " 45"}, Caso{256 * 16 + 3, 255, esclusi + " 1\n" + incompleto}}) {
        SCOPED_TRACE(k.byte);
        auto v = Record(int(k.byte / 16) + 1);
        v.resize(k.byte);
        folder_.Write("eventi.cod", v);
        dialogs_.ChooseFile(folder_.File("eventi"));
        CodaEventiFrm->LeggiFileCodaBtnClick();
        EXPECT_EQ(Ultimo(), k.messaggio);
        ASSERT_EQ(Coda().NumEventi, k.caricati);
        EXPECT_EQ(std::memcmp(Coda().Eventi, v.data(), std::size_t(k.caricati) * 16), 0);
        EXPECT_EQ(Righe(), k.caricati + 1);
        EXPECT_EQ(Cella(k.caricati, 0), QStringLiteral("    %1").arg(k.caricati, 3, 10, QLatin1Char('0')));
    }

    // A file that cannot be read changes neither the store nor the list; a cancelled choice
    // shows the store again.
    CodaEventiFrm->hide();
    CodaEventiFrm->show();
    dialogs_.ChooseFile(folder_.File("manca.cod"));
    CodaEventiFrm->LeggiFileCodaBtnClick();
    EXPECT_EQ(Ultimo(), "Error");
    EXPECT_EQ(Coda().NumEventi, 255);
    EXPECT_EQ(Righe(), 2);
    dialogs_.ChooseFile(folder_.Path());
    CodaEventiFrm->LeggiFileCodaBtnClick();
    EXPECT_EQ(Ultimo(), "Error") << "a folder is not a queue file";
    dialogs_.CancelFile();
    CodaEventiFrm->LeggiFileCodaBtnClick();
    EXPECT_EQ(Righe(), 256);
    EXPECT_EQ(dialogs_.FileDialogs().back().Filter, "File coda Centrale Vm415 (*.cod)|*.cod");
}
