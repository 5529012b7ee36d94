// The panel operations worker against a scripted panel: the order of the commands, where a
// failure stops the chain, what the image keeps, and every window change made on the UI thread in
// its order.
#include "AmbienteCodec.h"

#include "link/ThreadCom.h"
#include "platform/diag/Diagnostica.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

using namespace testing_support;

namespace {

// One log of what the windows saw and what went on the line, in the order it happened.
struct Registro {
    std::mutex m;
    std::vector<std::string> voci;
    void Aggiungi(std::string v) {
        std::lock_guard l(m);
        voci.push_back(std::move(v));
    }
};

class FinestreFinte : public IFinestreThreadCom {
  public:
    FinestreFinte(Registro& r, const platform::IUiThread& ui) : reg_(r), ui_(ui) {}

    void ImpostaMassimoGauge(int Massimo) override {
        Su("max " + std::to_string(Massimo));
        massimo = Massimo;
        valore = std::min(valore, massimo);
    }
    void AzzeraGauge() override {
        Su("zero");
        valore = 0;
    }
    void AvanzaGauge() override {
        Su("+");
        valore = std::min(valore + 1, massimo);
    }
    void NascondiOkbutton() override {
        Su("hide");
        okVisibile = false;
    }
    void MostraOkbutton() override {
        Su("show");
        okVisibile = true;
    }
    void ImpostaCaption(const std::string& Testo) override {
        Su("caption " + Testo);
        caption = Testo;
    }
    void Ridisegna() override { Su("repaint"); }
    void AggiornaFormDaConfig() override { Su("form"); }
    void AggiornaConfigDaForm() override {
        Su("config");
        if (DaForm) DaForm();
    }
    void AbilitaFunzioniVer11() override { Su("ver11"); }

    // What reading the controls does to the image.
    std::function<void()> DaForm;

    int massimo = 100, valore = -1;
    bool okVisibile = true;
    std::string caption;
    int fuoriDalThreadUi = 0;

  private:
    void Su(std::string v) {
        if (!ui_.IsUiThread()) ++fuoriDalThreadUi;
        reg_.Aggiungi(std::move(v));
    }
    Registro& reg_;
    const platform::IUiThread& ui_;
};

// The description the fake panel gives zone z. Appended, not "P" + std::to_string(z): GCC 12 at -O3
// reports a bogus overlapping copy (-Wrestrict) for a literal plus a temporary string.
std::string NomeZona(int z) {
    return std::string("P").append(std::to_string(z));
}

// A panel that answers every command the way the real one does, with recognisable contents, and
// stays silent (the link then fails) on the request chosen by the test.
struct PannelloFinto {
    std::uint8_t id = 164, versione = 11, abilitato = 1;
    int eventi = 0;
    std::optional<std::pair<std::uint8_t, int>> silenzioSu; // command and block (-1: any)

    std::optional<TFrameComunic> operator()(const TFrameComunic& q) const {
        const int blocco = q.Lunghezza > 0 ? q.Dati[0] : -1;
        if (silenzioSu && silenzioSu->first == q.Comando &&
            (silenzioSu->second < 0 || silenzioSu->second == blocco))
            return std::nullopt;
        std::vector<std::uint8_t> d(std::size_t(LunghezzaRispostaComando(q.Comando)), 0);
        switch (q.Comando) {
        case CmdIdentificazione:
            d = {id, versione, abilitato};
            break;
        case CmdLeggiDatiGenerali:
            d[12] = 77; // TempoUscitaSec
            d[13] = 33; // TempoIngressoSec
            break;
        case CmdLeggiBloccoZone:
            d[0] = std::uint8_t(blocco);
            for (int k = 0; k < 8; ++k) {
                const std::string t = NomeZona(blocco * 8 + k);
                std::memcpy(&d[1 + 30 * k + 5], t.data(), t.size());
            }
            break;
        case CmdLeggiBloccoInseritori:
            d[0] = std::uint8_t(blocco);
            break;
        case CmdLeggiDataOra:
            d = {10, 5, 14, 7, 31};
            break;
        case CmdLeggiPuntatoriCoda:
            d = {0, std::uint8_t(eventi), 255};
            break;
        case CmdLeggiBloccoCoda:
            d[0] = std::uint8_t(blocco);
            for (int k = 0; k < 20; ++k) {
                const std::uint8_t rec[8] = {std::uint8_t(20 * blocco + k), 1, 12, 30, 15, 1, 6, 26};
                std::memcpy(&d[1 + 8 * k], rec, 8);
            }
            break;
        default:
            break;
        }
        return Frame(q.Comando, d);
    }
};

class ThreadComTest : public AmbienteCodec {
  protected:
    void SetUp() override {
        AmbienteCodec::SetUp();
        link.Pannello = [this](const TFrameComunic& q) {
            reg.Aggiungi("cmd " + std::to_string(q.Comando));
            return pannello(q);
        };
        // An image that was loaded before: zones and bytes 4 and 5 show what a failure keeps.
        for (int z = 0; z < NumZone; ++z)
            ConfigCentrale.Zone[z].Descrizione.Scrivi("old" + std::to_string(z));
        ConfigCentrale.IdCentrale = 9;
        ConfigCentrale.VersioneCentrale = 8;
    }

    // Runs one operation to its end and releases the worker.
    std::uint8_t Esegui(std::uint8_t Operazione) {
        auto t = std::make_unique<TThreadCom>(true, TComThread{link, [this] { return connesso; }}, Operazione,
                                              finestre);
        lavoratore = t.get();
        t->Start();
        EXPECT_EQ(t->Priority(), platform::TThreadPriority::tpIdle);
        EXPECT_TRUE(ui.RunUntil([&] { return t->Finished(); }, std::chrono::seconds(20)));
        t->WaitFor();
        testi = {t->StrAttendere, t->StrComOk, t->StrComNonOk, t->StrVersioneNoOk, t->StrNoAbilCom};
        const std::uint8_t e = t->Esito;
        lavoratore = nullptr;
        t.reset();
        EXPECT_EQ(finestre.fuoriDalThreadUi, 0) << "a window was touched off the UI thread";
        return e;
    }

    std::vector<int> Comandi() const {
        std::vector<int> c;
        for (const auto& q : link.Richieste)
            c.push_back(q.Comando);
        return c;
    }
    std::vector<std::string> Finestre() {
        std::vector<std::string> v;
        for (const auto& s : reg.voci)
            if (s.rfind("cmd ", 0) != 0) v.push_back(s);
        return v;
    }
    long Indice(const std::string& voce) {
        auto it = std::find(reg.voci.begin(), reg.voci.end(), voce);
        return it == reg.voci.end() ? -1 : long(it - reg.voci.begin());
    }

    platform::TLoopUiThread ui;
    Registro reg;
    FinestreFinte finestre{reg, ui};
    LinkDoppio link;
    PannelloFinto pannello;
    TThreadCom* lavoratore = nullptr; // the worker of the operation running
    bool connesso = true;
    struct {
        std::string attendere, ok, nonOk, versione, noAbil;
    } testi;

    static std::vector<int> Ricezione() {
        std::vector<int> c{1, 3, 10};
        c.insert(c.end(), 11, 13);
        c.insert(c.end(), {5, 16, 16, 18, 20, 2});
        return c;
    }
};

} // namespace

TEST_F(ThreadComTest, ReceiveReadsEveryBlockInOrderAndStampsTheImage) {
    ASSERT_EQ(Esegui(OpRiceviConfigurazione), EsitoOk);
    EXPECT_EQ(Comandi(), Ricezione());
    std::vector<int> blocchi;
    for (const auto& q : link.Richieste)
        if (q.Comando == CmdLeggiBloccoZone || q.Comando == CmdLeggiBloccoInseritori)
            blocchi.push_back(q.Dati[0]);
    EXPECT_EQ(blocchi, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 0, 1}));

    for (int z = 0; z < NumZone; ++z)
        EXPECT_EQ(ConfigCentrale.Zone[z].Descrizione.Leggi(), NomeZona(z));
    EXPECT_EQ(ConfigCentrale.TempoUscitaSec, 77);
    EXPECT_EQ(ConfigCentrale.IdCentrale, 164);
    EXPECT_EQ(ConfigCentrale.VersioneCentrale, 11);
    EXPECT_EQ(finestre.massimo, 20);
    EXPECT_EQ(finestre.valore, 20);
    EXPECT_TRUE(finestre.okVisibile);
    EXPECT_EQ(finestre.caption, testi.ok);
    EXPECT_NE(testi.ok, testi.nonOk);

    // The window changes of the common start, then the outcome last of all.
    const auto f = Finestre();
    ASSERT_GE(f.size(), 12u);
    EXPECT_EQ(std::vector<std::string>(f.begin(), f.begin() + 9),
              (std::vector<std::string>{"zero", "max 20", "hide", "caption " + testi.attendere, "repaint",
                                        "+", "repaint", "ver11", "max 20"}));
    EXPECT_EQ(std::vector<std::string>(f.end() - 3, f.end()),
              (std::vector<std::string>{"form", "caption " + testi.ok, "show"}));
    EXPECT_EQ(std::count(f.begin(), f.end(), "+"), 20);
    EXPECT_EQ(std::count(f.begin(), f.end(), "form"), 1);
    // The format-11 controls are enabled only once the panel has answered.
    EXPECT_LT(Indice("cmd 1"), Indice("ver11"));
}

// The blocks that came before the failure are not kept, and the controls (which may hold unsaved
// edits) are not overwritten.
TEST_F(ThreadComTest, ATimeOutAtZoneBlock4LeavesTheImageAndTheControls) {
    const TConfigCentrale prima = ConfigCentrale;
    pannello.silenzioSu = {CmdLeggiBloccoZone, 4};
    EXPECT_EQ(Esegui(OpRiceviConfigurazione), EsitoFallito);
    std::vector<int> attesi{1, 3, 10, 13, 13, 13, 13, 13};
    EXPECT_EQ(Comandi(), attesi) << "nothing after the failed block, command 2 included";
    EXPECT_EQ(std::memcmp(&prima, &ConfigCentrale, sizeof prima), 0) << "image as it was";
    EXPECT_EQ(Indice("form"), -1) << "controls left as they were";
    EXPECT_EQ(finestre.valore, 7);
    EXPECT_EQ(finestre.massimo, 20);
    EXPECT_EQ(finestre.caption, testi.nonOk);
    EXPECT_TRUE(finestre.okVisibile);
    EXPECT_EQ(Finestre().back(), "show");
}

// The program closing: a chain cut short by the stop is a failure and keeps nothing it read; a chain
// whose last command was already on its way when the stop came is complete.
TEST_F(ThreadComTest, AStoppedReceiveIsAFailure) {
    const TConfigCentrale prima = ConfigCentrale;
    link.Pannello = [this](const TFrameComunic& q) {
        if (q.Comando == CmdLeggiBloccoZone && q.Dati[0] == 2) lavoratore->Terminate();
        return pannello(q);
    };
    EXPECT_EQ(Esegui(OpRiceviConfigurazione), EsitoFallito);
    EXPECT_EQ(Comandi(), (std::vector<int>{1, 3, 10, 13, 13, 13}));
    EXPECT_EQ(std::memcmp(&prima, &ConfigCentrale, sizeof prima), 0);
    EXPECT_EQ(finestre.caption, testi.nonOk);
    EXPECT_TRUE(finestre.okVisibile);

    link.Richieste.clear();
    link.Pannello = [this](const TFrameComunic& q) {
        if (q.Comando == CmdFineComunicazione) lavoratore->Terminate();
        return pannello(q);
    };
    EXPECT_EQ(Esegui(OpRiceviConfigurazione), EsitoOk);
    EXPECT_EQ(Comandi(), Ricezione());
    EXPECT_EQ(ConfigCentrale.IdCentrale, 164);
}

TEST_F(ThreadComTest, AnotherModelOrVersionEndsTheCommunicationAndLeavesTheImage) {
    for (auto [id, ver] : {std::pair<int, int>{164, 10}, {163, 11}}) {
        SCOPED_TRACE(std::to_string(id) + "/" + std::to_string(ver));
        link.Richieste.clear();
        reg.voci.clear();
        pannello.id = std::uint8_t(id);
        pannello.versione = std::uint8_t(ver);
        TConfigCentrale prima = ConfigCentrale;
        EXPECT_EQ(Esegui(OpRiceviConfigurazione), EsitoFallito);
        EXPECT_EQ(Comandi(), (std::vector<int>{1, 2}));
        EXPECT_EQ(std::memcmp(&prima, &ConfigCentrale, sizeof prima), 0) << "image unchanged";
        // The outcome is shown, then its caption replaced.
        const auto f = Finestre();
        EXPECT_EQ(std::vector<std::string>(f.end() - 3, f.end()),
                  (std::vector<std::string>{"caption " + testi.nonOk, "show", "caption " + testi.versione}));
        EXPECT_EQ(std::count(f.begin(), f.end(), "form"), 0);
        EXPECT_EQ(finestre.valore, 0);
        EXPECT_EQ(std::count(f.begin(), f.end(), "ver11"), 0);
    }
}

TEST_F(ThreadComTest, ProgrammingNotEnabledStopsAllButTheQueueRead) {
    pannello.abilitato = 0;
    pannello.eventi = 3;
    for (std::uint8_t op : {OpRiceviConfigurazione, OpInviaConfigurazione, OpEliminaCoda}) {
        SCOPED_TRACE(int(op));
        link.Richieste.clear();
        reg.voci.clear();
        EXPECT_EQ(Esegui(op), EsitoFallito);
        EXPECT_EQ(Comandi(), std::vector<int>{1}) << "not even command 2";
        EXPECT_EQ(finestre.caption, testi.noAbil);
        EXPECT_TRUE(finestre.okVisibile);
        EXPECT_EQ(Finestre().back(), "caption " + testi.noAbil);
    }
    link.Richieste.clear();
    EXPECT_EQ(Esegui(OpRiceviCoda), EsitoOk);
    EXPECT_EQ(Comandi(), (std::vector<int>{1, 7, 15, 2}));
    EXPECT_EQ(coda.NumEventi, 3);
}

TEST_F(ThreadComTest, ALinkNotConnectedSendsNothing) {
    connesso = false;
    for (std::uint8_t op : {OpRiceviConfigurazione, OpInviaConfigurazione, OpRiceviCoda, OpEliminaCoda}) {
        reg.voci.clear();
        EXPECT_EQ(Esegui(op), EsitoFallito);
        EXPECT_TRUE(link.Richieste.empty());
        // Only a send refreshes the controls whatever its outcome: it read them into the image first.
        std::vector<std::string> attese{"zero", "caption " + testi.nonOk, "show"};
        if (op == OpInviaConfigurazione) attese.insert(attese.begin() + 1, "form");
        EXPECT_EQ(Finestre(), attese);
        EXPECT_EQ(finestre.valore, 0);
    }
}

TEST_F(ThreadComTest, AFailedIdentificationKeepsTheLinkResult) {
    link.RestituisciEsito(EsitoOccupato);
    EXPECT_EQ(Esegui(OpRiceviConfigurazione), EsitoOccupato);
    EXPECT_EQ(Comandi(), std::vector<int>{1});
    EXPECT_EQ(finestre.caption, testi.nonOk);
    EXPECT_EQ(finestre.valore, 0);

    // An exception in the link is a failure of that command, not of the worker.
    link.Richieste.clear();
    link.Lancia();
    EXPECT_EQ(Esegui(OpEliminaCoda), EsitoFallito);
    EXPECT_EQ(Comandi(), std::vector<int>{1});
    EXPECT_TRUE(finestre.okVisibile);
}

TEST_F(ThreadComTest, EventQueueReadsOnlyTheBlocksThatHoldEvents) {
    struct Caso {
        int eventi, blocchi;
    };
    for (Caso c : {Caso{0, 0}, Caso{20, 1}, Caso{21, 2}, Caso{130, 7}, Caso{255, 13}}) {
        SCOPED_TRACE(c.eventi);
        link.Richieste.clear();
        reg.voci.clear();
        coda = TCodaEventi{};
        pannello.eventi = c.eventi;
        EXPECT_EQ(Esegui(OpRiceviCoda), EsitoOk);
        std::vector<int> attesi{1, 7};
        attesi.insert(attesi.end(), std::size_t(c.blocchi), 15);
        attesi.push_back(2);
        EXPECT_EQ(Comandi(), attesi);
        EXPECT_EQ(finestre.massimo, c.blocchi + 3);
        EXPECT_EQ(finestre.valore, c.blocchi + 3);
        EXPECT_EQ(coda.NumEventi, c.eventi);
        for (int i = 0; i < coda.NumEventi; ++i)
            EXPECT_EQ(coda.Eventi[i].Tipo, i % 256);
        const auto f = Finestre();
        EXPECT_EQ(f[1], "max 10") << "the gauge length before the count is known";
    }
}

// The store held 100 events of an earlier read; the panel counts 65 (four blocks). A read that fails
// keeps only the events it received, so that no earlier event is listed as the panel's.
TEST_F(ThreadComTest, AFailedEventQueueReadKeepsOnlyTheEventsItReceived) {
    struct Caso {
        std::uint8_t comando;
        int blocco, eventi;
    };
    pannello.eventi = 65;
    for (Caso c : {Caso{CmdLeggiBloccoCoda, 2, 40}, Caso{CmdLeggiPuntatoriCoda, -1, 0}}) {
        SCOPED_TRACE(int(c.comando));
        coda.NumEventi = 100;
        for (auto& e : coda.Eventi)
            e.Tipo = 200;
        pannello.silenzioSu = {c.comando, c.blocco};
        EXPECT_EQ(Esegui(OpRiceviCoda), EsitoFallito);
        EXPECT_EQ(coda.NumEventi, c.eventi);
        for (int i = 0; i < coda.NumEventi; ++i)
            EXPECT_EQ(coda.Eventi[i].Tipo, i);
    }
}

TEST_F(ThreadComTest, EventQueueReadWithoutAStoreFailsBeforeSending) {
    RegistraCodaEventi(nullptr);
    EXPECT_EQ(Esegui(OpRiceviCoda), EsitoFallito);
    EXPECT_TRUE(link.Richieste.empty());
    EXPECT_TRUE(finestre.okVisibile);
    EXPECT_EQ(finestre.caption, testi.nonOk);
}

TEST_F(ThreadComTest, ClearQueueAndUnknownOperation) {
    EXPECT_EQ(Esegui(OpEliminaCoda), EsitoOk);
    EXPECT_EQ(Comandi(), (std::vector<int>{1, 9, 2}));
    EXPECT_EQ(finestre.massimo, 3);
    EXPECT_EQ(finestre.valore, 3);

    link.Richieste.clear();
    reg.voci.clear();
    EXPECT_EQ(Esegui(7), EsitoFallito);
    EXPECT_TRUE(link.Richieste.empty());
    EXPECT_TRUE(finestre.okVisibile);
    EXPECT_EQ(finestre.caption, testi.nonOk);
}

TEST_F(ThreadComTest, SendReadsTheGeneralBlockThenTheControlsThenWritesEverything) {
    // The controls hold the exit time; the entry time has no control and keeps the panel's value.
    finestre.DaForm = [] { ConfigCentrale.TempoUscitaSec = 5; };
    ASSERT_EQ(Esegui(OpInviaConfigurazione), EsitoOk);
    std::vector<int> attesi{1, 3, 4, 11};
    attesi.insert(attesi.end(), 11, 14);
    attesi.insert(attesi.end(), {6, 17, 17, 19, 21, 2});
    EXPECT_EQ(Comandi(), attesi);
    EXPECT_LT(Indice("cmd 3"), Indice("config"));
    EXPECT_LT(Indice("config"), Indice("cmd 4"));
    const TFrameComunic& generale = link.Richieste[2];
    EXPECT_EQ(generale.Dati[12], 5);
    EXPECT_EQ(generale.Dati[13], 33);
    EXPECT_EQ(ConfigCentrale.IdCentrale, 9) << "a send does not stamp the image";
    EXPECT_EQ(finestre.valore, 20);
    EXPECT_EQ(finestre.caption, testi.ok);
}

TEST_F(ThreadComTest, AWindowCallThatFailsStillEndsWithTheOkButtonAndIsLogged) {
    finestre.DaForm = [] { throw std::runtime_error("controls unreadable"); };
    std::vector<std::string> righe;
    {
        platform::CatturaDiagnostica cattura([&](std::string_view r) { righe.emplace_back(r); });
        EXPECT_EQ(Esegui(OpInviaConfigurazione), EsitoFallito);
    }
    EXPECT_EQ(Comandi(), (std::vector<int>{1, 3})) << "nothing is written after the failure";
    EXPECT_TRUE(finestre.okVisibile);
    EXPECT_EQ(finestre.caption, testi.nonOk);
    ASSERT_EQ(righe.size(), 1u);
    EXPECT_EQ(righe[0].rfind("vm415: ThreadCom: ", 0), 0u) << righe[0];
    EXPECT_NE(righe[0].find("controls unreadable"), std::string::npos) << righe[0];
}

TEST_F(ThreadComTest, SendStopsAtTheFirstFailure) {
    pannello.silenzioSu = {CmdScriviBloccoZone, 2};
    EXPECT_EQ(Esegui(OpInviaConfigurazione), EsitoFallito);
    EXPECT_EQ(Comandi(), (std::vector<int>{1, 3, 4, 11, 14, 14, 14}));
    EXPECT_EQ(finestre.valore, 5); // commands 1, 4, 11 and zone blocks 0 and 1
    EXPECT_EQ(finestre.caption, testi.nonOk);

    // A general block that cannot be read leaves the controls unread and sends nothing more.
    link.Richieste.clear();
    reg.voci.clear();
    pannello.silenzioSu = {CmdLeggiDatiGenerali, -1};
    EXPECT_EQ(Esegui(OpInviaConfigurazione), EsitoFallito);
    EXPECT_EQ(Comandi(), (std::vector<int>{1, 3}));
    EXPECT_EQ(Indice("config"), -1);
    EXPECT_EQ(finestre.valore, 1);
}
