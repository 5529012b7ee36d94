// The program's command routines against the simulated panel, in process: a whole configuration
// written and read back, and the event queue read, through a link that hands each request to the
// panel's handler and accepts a reply as the real links do.
//
// Fields that do not travel, and so are left out of the comparison:
//   IdCentrale, VersioneCentrale (bytes 4-5: stamped by the worker, not by a command),
//   DataInstallazionePc, DataUltimaModificaPc, CommentiPc, NumTelefonoCentrale (kept by the PC),
//   AttivaSirenaPerTecnologico_NU (never sent), the pad bytes,
//   the seconds of DataOraOrologio (the clock travels as hour, minute, day, month, year % 100).
// Flags travel as one bit (any non-zero image byte comes back as 1; in the Contact-ID block only
// 1 is sent), LinguaCentrale and LivelloAntiAccecamento as 3 bits and TipoSensore as 2 bits, so
// the image below holds values within those widths; telephone numbers travel trimmed.
#include "link/LinkDoppio.h"

#include "config/DataOra.h"
#include "config/GetMessage_11.h"
#include "config/GlobalsVar.h"
#include "link/EventStore.h"
#include "link/def_ver11.h"
#include "tools/sim/SimPanel.h"
#include "tools/sim/SimQueue.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <random>
#include <span>
#include <string>
#include <utility>
#include <vector>

using testing_support::LinkDoppio;

namespace {

platform::Instant Fermo() {
    return platform::Instant{};
} // the panel's clock stands still

double oraPc = 0;
double OraPc_() {
    return oraPc;
}

double DataOra(int a, int me, int g, int h, int mi, int s) {
    double v = 0;
    EXPECT_TRUE(CodificaDataOra(a, me, g, h, mi, s, v));
    return v;
}

std::string Testo(std::mt19937& g, int n) {
    std::string s;
    for (int i = 0; i < n; ++i)
        s += char(0x21 + g() % 0x5E); // printable, no blank
    return s;
}

template <std::size_t N> void Scrivi(std::mt19937& g, TStringa<N>& t, int larghezza) {
    // Mostly full width (a wrong width shows), some shorter (zero-filling shows).
    const int n = g() % 4 == 0 ? int(g() % larghezza) : larghezza;
    t.Scrivi(Testo(g, n));
}

// The second pass sends every flag inverted, so that each bit travels both as 0 and as 1.
bool invertiBandiere = false;
std::uint8_t Flag(std::mt19937& g) {
    return std::uint8_t((g() % 2) ^ (invertiBandiere ? 1 : 0));
}

// Random 0/1 into the one-byte fields at offsets da..a (inclusive) of a record.
template <class T> void Bandiere(std::mt19937& g, T& record, std::size_t da, std::size_t a) {
    auto* b = reinterpret_cast<std::uint8_t*>(&record);
    for (std::size_t i = da; i <= a; ++i)
        b[i] = Flag(g);
}

// Every travelling field with a value of its own, built on a zero image so that the bytes beyond
// each text's length are 0 on both sides.
TConfigCentrale ImmagineCompleta() {
    std::mt19937 g(415);
    TConfigCentrale c{};
    c.CodiceCentrale = 0x000F1E2D;
    Bandiere(g, c, offsetof(TConfigCentrale, ChimeCentraleAbilitato),
             offsetof(TConfigCentrale, SubSonicoPresente));
    c.AttivaSirenaPerTecnologico_NU = 0;
    c.LinguaCentrale = 3;
    c.LivelloAntiAccecamento = 4;
    c.AssociazioneReleAux1 = 26;
    c.AssociazioneReleAux2 = 13;
    c.AssociazioneReleAux3 = 7;
    Bandiere(g, c, offsetof(TConfigCentrale, UscitaAux1Nc),
             offsetof(TConfigCentrale, InvioAvvisiPerSensoriEsterni_NU));
    c.UscitaAux1Nc = 1, c.UscitaAux2Nc = 0;
    c.TempoUscitaSec = 91, c.TempoIngressoSec = 92, c.TempoPreallarmeSec = 93,
    c.TempoSuoneriaEsterniSec = 114;
    c.TempoSirenaSec = 235, c.MinutiPermanenzaAr = 118, c.TipoTempoSupervisione = 4;
    c.CodiceCentraleSms.Scrivi("8642");
    c.NumeroChiamateVoce = 6, c.NumeroRing = 9;
    c.CodiceTxRadio = 987, c.GiorniScadenzaSim = 365;
    c.TipoRichiestaCredito = 'F';
    Scrivi(g, c.NumTelefonoCredito, 15);
    Scrivi(g, c.TestoSmsCredito, 30);
    Scrivi(g, c.NumTelefonoOperatore_NU, 15);
    Scrivi(g, c.TestoFissoSms, 40);
    c.CodeOperatoreManuale.Scrivi("22288");
    for (auto& m : c.DescrizioneMessaggio)
        Scrivi(g, m, 16);
    for (int z = 0; z < NumZone; ++z) {
        TConfigZona& r = c.Zone[z];
        Bandiere(g, r, offsetof(TConfigZona, Attiva), offsetof(TConfigZona, AvvisiVocPerTecnoOExt));
        r.TipoSensore = std::uint8_t(g() % 4);
        Scrivi(g, r.Descrizione, 25);
        for (auto& b : r.CodiceRadio.Byte)
            b = std::uint8_t(g());
    }
    for (auto& k : c.Inseritori) {
        Scrivi(g, k.Descrizione, 16);
        k.TxAbilInvioSegnalazioni = Flag(g);
        for (auto& b : k.CodiceRadio.Byte)
            b = std::uint8_t(g());
    }
    for (auto& n : c.NumTel) {
        Bandiere(g, n, offsetof(TConfigNumTel, AbilNumTelSms),
                 offsetof(TConfigNumTel, AbilChiamataDirettaTeleAlr));
        std::string numero = std::to_string(g() % 1000000000u);
        n.NumeroTelefono.Scrivi(numero);
    }
    Bandiere(g, c, offsetof(TConfigCentrale, AbilContactId),
             offsetof(TConfigCentrale, CidInvioContactIdEsterni2));
    c.GiorniLifeTest = 77, c.OraLifeTest = 21, c.MinLifeTest = 44;
    Scrivi(g, c.CidRcvr1, 7);
    Scrivi(g, c.CidRcvr2, 7);
    Scrivi(g, c.CidPrefAccount1, 7);
    Scrivi(g, c.CidPrefAccount2, 7);
    Scrivi(g, c.CidAccount1, 17);
    Scrivi(g, c.CidAccount2, 17);
    c.TelVigilanza1.Scrivi("0301234567,,12");
    c.TelVigilanza2.Scrivi("3349876543");
    Scrivi(g, c.APN, 32);
    Scrivi(g, c.APNUsername, 16);
    Scrivi(g, c.APNPassword, 16);
    c.IndirizzoIPServer1.Scrivi("192.168.254.253");
    c.PortaServer1 = 50123;
    c.IndirizzoIPServer2.Scrivi("10.20.30.40");
    c.PortaServer2 = 4001;
    for (int i = 0; i < NumEventiCid; ++i) {
        c.TabellaEventiCid1[i].Scrivi(std::to_string(100 + 7 * i));
        c.TabellaEventiCid2[i].Scrivi(std::to_string(900 - 11 * i));
    }
    return c;
}

// Image byte ranges [first, last) that do not travel.
const std::vector<std::pair<std::size_t, std::size_t>> NonViaggiano = {
    {4, 280},     // model, version, PC-only texts, pad
    {280, 288},   // the clock, compared on its own to the minute
    {288, 304},   // NumTelefonoCentrale
    {319, 320},   // AttivaSirenaPerTecnologico_NU
    {4683, 4684}, // pad
    {4703, 4704}, // pad
    {4858, 4864}, // pad
};

bool Viaggia(std::size_t i) {
    for (const auto& [da, a] : NonViaggiano)
        if (i >= da && i < a) return false;
    return true;
}

void ConfrontaCampiCheViaggiano(const std::uint8_t* atteso, const std::uint8_t* ottenuto, const char* cosa) {
    int differenze = 0;
    for (std::size_t i = 0; i < sizeof(TConfigCentrale); ++i) {
        if (!Viaggia(i) || atteso[i] == ottenuto[i]) continue;
        if (++differenze <= 20)
            ADD_FAILURE() << cosa << ": image byte " << i << " expected " << int(atteso[i]) << " got "
                          << int(ottenuto[i]);
    }
    EXPECT_EQ(differenze, 0) << cosa;
}

class RoundTrip : public ::testing::Test {
  protected:
    void SetUp() override {
        ConfigCentrale = TConfigCentrale{};
        IdCentraleRx = VersioneCentraleRx = AbilComCentraleRx = 0;
        RegistraCodaEventi(&coda);
        RegistraLinkRemoto(nullptr);
        ImpostaOrologioPc(&OraPc_);
        link.Pannello = [this](const TFrameComunic& r) -> std::optional<TFrameComunic> {
            vm415sim::Frame richiesta{r.Comando, std::vector<std::uint8_t>(r.Dati, r.Dati + r.Lunghezza)};
            const auto risposta = panel.Handle(richiesta);
            if (!risposta || risposta->Data.size() > sizeof(TFrameComunic::Dati)) return std::nullopt;
            return testing_support::Frame(risposta->Command, risposta->Data);
        };
    }
    void TearDown() override {
        RegistraCodaEventi(nullptr);
        ImpostaOrologioPc(nullptr);
    }

    vm415sim::SimPanel panel{&Fermo};
    LinkDoppio link;
    TCodaEventi coda;
};

} // namespace

TEST_F(RoundTrip, AWholeConfigurationWrittenAndReadBackIsEqualInEveryFieldThatTravels) {
    for (bool inverti : {false, true}) {
        SCOPED_TRACE(inverti ? "flags inverted" : "flags as drawn");
        invertiBandiere = inverti;
        const TConfigCentrale originale = ImmagineCompleta();
        ConfigCentrale = originale;
        ConfigCentrale.IdCentrale = 164;
        ConfigCentrale.CommentiPc.Scrivi("stays on the PC");
        oraPc = DataOra(2099, 12, 31, 23, 59, 59);

        ASSERT_EQ(RichiediIdentificazione(link), EsitoOk);
        EXPECT_EQ(IdCentraleRx, 164);
        EXPECT_EQ(VersioneCentraleRx, 11);
        ASSERT_NE(AbilComCentraleRx, 0);

        // The order of the send operation.
        ASSERT_EQ(ScriviDatiGenerali(link), EsitoOk);
        ASSERT_EQ(ScriviNumTel(link), EsitoOk);
        for (std::uint8_t b = 0; b < 11; ++b)
            ASSERT_EQ(ScriviBloccoZone(link, b), EsitoOk) << int(b);
        ASSERT_EQ(ScriviDataOra(link), EsitoOk);
        for (std::uint8_t b = 0; b < 2; ++b)
            ASSERT_EQ(ScriviBloccoInseritori(link, b), EsitoOk) << int(b);
        ASSERT_EQ(ScriviDatiGprsCid(link), EsitoOk);
        ASSERT_EQ(ScriviTabelleCid(link), EsitoOk);
        ASSERT_EQ(FineComunicazione(link), EsitoOk);

        // The panel holds the same layout: what it stored must equal what was sent.
        const std::vector<std::uint8_t> delPannello = panel.ImageBytes();
        ASSERT_EQ(delPannello.size(), sizeof(TConfigCentrale));
        ConfrontaCampiCheViaggiano(reinterpret_cast<const std::uint8_t*>(&originale), delPannello.data(),
                                   "panel image after the send");

        // The order of the receive operation, into a blank image.
        ConfigCentrale = TConfigCentrale{};
        ASSERT_EQ(LeggiDatiGenerali(link), EsitoOk);
        ASSERT_EQ(LeggiNumTel(link), EsitoOk);
        for (std::uint8_t b = 0; b < 11; ++b)
            ASSERT_EQ(LeggiBloccoZone(link, b), EsitoOk) << int(b);
        ASSERT_EQ(LeggiDataOra(link), EsitoOk);
        for (std::uint8_t b = 0; b < 2; ++b)
            ASSERT_EQ(LeggiBloccoInseritori(link, b), EsitoOk) << int(b);
        ASSERT_EQ(LeggiDatiGprsCid(link), EsitoOk);
        ASSERT_EQ(LeggiTabelleCid(link), EsitoOk);
        ASSERT_EQ(FineComunicazione(link), EsitoOk);

        ConfrontaCampiCheViaggiano(reinterpret_cast<const std::uint8_t*>(&originale),
                                   reinterpret_cast<const std::uint8_t*>(&ConfigCentrale), "image read back");
        EXPECT_DOUBLE_EQ(ConfigCentrale.DataOraOrologio, DataOra(2099, 12, 31, 23, 59, 0));
        EXPECT_EQ(ConfigCentrale.IdCentrale, 0);
        EXPECT_EQ(ConfigCentrale.CommentiPc.Leggi(), "");
    }
    invertiBandiere = false;
}

TEST_F(RoundTrip, TheEventQueueIsReadInBlocksUpToItsLastEvent) {
    std::vector<vm415sim::QueueEvent> eventi;
    for (int i = 0; i < 150; ++i) {
        vm415sim::QueueEvent e;
        e.Tipo = std::uint8_t(1 + i % 114);
        e.Descrittore = std::uint8_t(i);
        // Every seventh event has no valid date on the panel.
        e.DataOra =
            i % 7 == 3 ? 0.0 : DataOra(2020 + i % 10, 1 + i % 12, 1 + i % 28, i % 24, i % 60, (7 * i) % 60);
        eventi.push_back(e);
    }
    std::string errore;
    vm415sim::EventQueue q(255);
    ASSERT_TRUE(q.Load(std::span<const vm415sim::QueueEvent>(eventi.data(), 45), 240, errore)) << errore;
    panel.SetQueue(q);

    // 45 events whose pointers wrap past the end of the panel's ring.
    ASSERT_EQ(LeggiPuntatoriCoda(link), EsitoOk);
    EXPECT_EQ(coda.NumEventi, 45);
    ASSERT_EQ(NumBlocchiCoda(coda), 3);
    for (int b = 0; b < NumBlocchiCoda(coda); ++b)
        ASSERT_EQ(LeggiBloccoCoda(link, std::uint8_t(b)), EsitoOk);
    for (int i = 0; i < 45; ++i) {
        EXPECT_EQ(coda.Eventi[i].Tipo, eventi[i].Tipo) << i;
        EXPECT_EQ(coda.Eventi[i].Descrittore, eventi[i].Descrittore) << i;
        EXPECT_DOUBLE_EQ(coda.Eventi[i].DataOra, eventi[i].DataOra) << i;
    }
    EXPECT_EQ(coda.Eventi[45].Tipo, 0);

    // 150 events: eight blocks read every one of them.
    coda = TCodaEventi{};
    ASSERT_TRUE(q.Load(eventi, 0, errore)) << errore;
    panel.SetQueue(q);
    ASSERT_EQ(LeggiPuntatoriCoda(link), EsitoOk);
    EXPECT_EQ(coda.NumEventi, 150);
    ASSERT_EQ(NumBlocchiCoda(coda), 8);
    for (int b = 0; b < NumBlocchiCoda(coda); ++b)
        ASSERT_EQ(LeggiBloccoCoda(link, std::uint8_t(b)), EsitoOk);
    for (int i = 0; i < 150; ++i) {
        EXPECT_EQ(coda.Eventi[i].Tipo, eventi[i].Tipo) << i;
        EXPECT_EQ(coda.Eventi[i].Descrittore, eventi[i].Descrittore) << i;
        EXPECT_DOUBLE_EQ(coda.Eventi[i].DataOra, eventi[i].DataOra) << i;
    }
}
