// The single-block commands: general block, Contact-ID and GPRS block, Contact-ID tables, date and
// time, identification; and the command table, the exception guard and the link choice.
#include "AmbienteCodec.h"

#include "platform/diag/Diagnostica.h"

#include <cstring>
#include <string>
#include <vector>

using namespace testing_support;

namespace {

using Campo = std::uint8_t TConfigCentrale::*;
struct Bandiera {
    Campo campo;
    int byte, bit;
    const char* nome;
};

// Flag positions of the general block, as its payload table lays them out.
const std::vector<Bandiera> BandiereGenerali = {
    {&TConfigCentrale::ChimeCentraleAbilitato, 4, 0, "ChimeCentraleAbilitato"},
    {&TConfigCentrale::InibizioneSirenaInParziale, 4, 1, "InibizioneSirenaInParziale"},
    {&TConfigCentrale::ZoneEsterneSuoneria_NU, 4, 2, "ZoneEsterneSuoneria_NU"},
    {&TConfigCentrale::ControlloPorteInserito, 4, 3, "ControlloPorteInserito"},
    {&TConfigCentrale::SupervisioneSensori, 4, 4, "SupervisioneSensori"},
    {&TConfigCentrale::AbilAutoEsclusLineeAperte_NU, 4, 5, "AbilAutoEsclusLineeAperte_NU"},
    {&TConfigCentrale::PercorsoInserito_NU, 4, 6, "PercorsoInserito_NU"},
    {&TConfigCentrale::AllarmeSingoloSirena, 4, 7, "AllarmeSingoloSirena"},
    {&TConfigCentrale::BeepInseriti, 5, 0, "BeepInseriti"},
    {&TConfigCentrale::InvioSmsCreditoConEiv, 5, 1, "InvioSmsCreditoConEiv"},
    {&TConfigCentrale::SimVoce, 5, 2, "SimVoce"},
    {&TConfigCentrale::SensoriEsterniInclusi, 5, 3, "SensoriEsterniInclusi"},
    {&TConfigCentrale::FlagSelezOperatoreManuale, 5, 4, "FlagSelezOperatoreManuale"},
    {&TConfigCentrale::AbilitaMessaggiVocaliCambioStato, 6, 0, "AbilitaMessaggiVocaliCambioStato"},
    {&TConfigCentrale::InvioSmsSpvMancataSensori, 6, 2, "InvioSmsSpvMancataSensori"},
    {&TConfigCentrale::SubSonicoPresente, 6, 3, "SubSonicoPresente"},
    {&TConfigCentrale::UscitaAux1Nc, 10, 0, "UscitaAux1Nc"},
    {&TConfigCentrale::UscitaAux2Nc, 10, 1, "UscitaAux2Nc"},
    {&TConfigCentrale::UscitaAux3Nc, 10, 2, "UscitaAux3Nc"},
    {&TConfigCentrale::InvioAvvisiPerSensoriEsterni_NU, 10, 3, "InvioAvvisiPerSensoriEsterni_NU"},
};

const std::vector<Bandiera> BandiereCid = {
    {&TConfigCentrale::AbilContactId, 0, 0, "AbilContactId"},
    {&TConfigCentrale::InvioGprs, 0, 1, "InvioGprs"},
    {&TConfigCentrale::AbilServerGprs1, 0, 2, "AbilServerGprs1"},
    {&TConfigCentrale::AbilServerGprs2, 0, 3, "AbilServerGprs2"},
    {&TConfigCentrale::CidInvioLinkTest1, 0, 4, "CidInvioLinkTest1"},
    {&TConfigCentrale::CidInvioLinkTest2, 0, 5, "CidInvioLinkTest2"},
    {&TConfigCentrale::CidInvioContactIdEsterni1, 0, 6, "CidInvioContactIdEsterni1"},
    {&TConfigCentrale::CidInvioContactIdEsterni2, 0, 7, "CidInvioContactIdEsterni2"},
};

// A text of exactly n characters, different for every seed, so that a field read at a wrong
// offset or width shows up.
std::string Testo(char seme, int n) {
    std::string s;
    for (int i = 0; i < n; ++i)
        s += char(seme + i % 7);
    return s;
}

void Metti(std::vector<std::uint8_t>& v, int pos, const std::string& s) {
    for (std::size_t i = 0; i < s.size(); ++i)
        v[std::size_t(pos) + i] = std::uint8_t(s[i]);
}

class Generale : public AmbienteCodec {
  protected:
    std::vector<std::uint8_t> Invia(std::uint8_t (*Routine)(TLinkComando&), std::uint8_t Comando) {
        link.Conferma(Comando);
        EXPECT_EQ(Routine(link), EsitoOk);
        EXPECT_EQ(link.Richieste.size(), 1u);
        return link.Richieste.empty() ? std::vector<std::uint8_t>{} : DatiDi(link.Richieste.back());
    }
    std::uint8_t Ricevi(std::uint8_t (*Routine)(TLinkComando&), std::uint8_t Comando,
                        const std::vector<std::uint8_t>& Dati) {
        link.Rispondi(Frame(Comando, Dati));
        return Routine(link);
    }
};

// Every field of the general block set to a value of its own, and the payload the table gives.
void RiempiGenerale(TConfigCentrale& c) {
    c.CodiceCentrale = 0x0A0B0C0D;
    c.LinguaCentrale = 3;
    c.LivelloAntiAccecamento = 4;
    c.AssociazioneReleAux1 = 21;
    c.AssociazioneReleAux2 = 22;
    c.AssociazioneReleAux3 = 23;
    c.TempoUscitaSec = 31;
    c.TempoIngressoSec = 32;
    c.TempoPreallarmeSec = 33;
    c.TempoSuoneriaEsterniSec = 34;
    c.TempoSirenaSec = 35;
    c.MinutiPermanenzaAr = 36;
    c.TipoTempoSupervisione = 5;
    c.CodiceCentraleSms.Scrivi("4321");
    c.NumeroChiamateVoce = 7;
    c.NumeroRing = 8;
    c.CodiceTxRadio = 0x0312;
    c.GiorniScadenzaSim = 0x0298;
    c.TipoRichiestaCredito = 'S';
    c.NumTelefonoCredito.Scrivi(Testo('A', 15));
    c.TestoSmsCredito.Scrivi(Testo('H', 30));
    c.NumTelefonoOperatore_NU.Scrivi(Testo('a', 15));
    c.TestoFissoSms.Scrivi(Testo('h', 40));
    c.CodeOperatoreManuale.Scrivi("22210");
    for (int m = 0; m < 5; ++m)
        c.DescrizioneMessaggio[m].Scrivi(Testo(char('p' + m), 16));
}

std::vector<std::uint8_t> PayloadGenerale() {
    std::vector<std::uint8_t> v(216, 0);
    v[0] = 0x0D, v[1] = 0x0C, v[2] = 0x0B, v[3] = 0x0A;
    v[5] = 3 << 5;
    v[6] = 4 << 5;
    v[7] = 21, v[8] = 22, v[9] = 23;
    for (int i = 0; i < 6; ++i)
        v[std::size_t(12 + i)] = std::uint8_t(31 + i);
    v[18] = 5;
    Metti(v, 19, "4321");
    v[23] = 7, v[24] = 8;
    v[26] = 0x12, v[27] = 0x03, v[28] = 0x98, v[29] = 0x02;
    v[30] = 'S';
    Metti(v, 31, Testo('A', 15));
    Metti(v, 46, Testo('H', 30));
    Metti(v, 76, Testo('a', 15));
    Metti(v, 91, Testo('h', 40));
    Metti(v, 131, "22210");
    for (int m = 0; m < 5; ++m)
        Metti(v, 136 + 16 * m, Testo(char('p' + m), 16));
    return v;
}

} // namespace

TEST_F(Generale, EveryFlagTravelsInItsOwnBitAndAnyNonZeroValueSetsIt) {
    for (const Bandiera& b : BandiereGenerali) {
        for (std::uint8_t valore : {1, 2, 255}) {
            ConfigCentrale = TConfigCentrale{};
            link.Richieste.clear();
            ConfigCentrale.*b.campo = valore;
            std::vector<std::uint8_t> atteso(216, 0);
            atteso[std::size_t(b.byte)] = std::uint8_t(1 << b.bit);
            EXPECT_EQ(Invia(&ScriviDatiGenerali, CmdScriviDatiGenerali), atteso)
                << b.nome << " = " << int(valore);
        }
    }
}

TEST_F(Generale, EveryFlagIsDecodedFromItsOwnBitAsZeroOrOne) {
    for (const Bandiera& b : BandiereGenerali) {
        std::vector<std::uint8_t> dati(216, 0);
        dati[std::size_t(b.byte)] = std::uint8_t(1 << b.bit);
        for (const Bandiera& altra : BandiereGenerali)
            ConfigCentrale.*altra.campo = 7;
        ASSERT_EQ(Ricevi(&LeggiDatiGenerali, CmdLeggiDatiGenerali, dati), EsitoOk);
        for (const Bandiera& altra : BandiereGenerali)
            EXPECT_EQ(ConfigCentrale.*altra.campo, &altra == &b ? 1 : 0)
                << "bit of " << b.nome << ", field " << altra.nome;
    }
}

TEST_F(Generale, NumbersAndTextsTravelAtTheirOffsetsAndComeBackUnchanged) {
    RiempiGenerale(ConfigCentrale);
    const TConfigCentrale originale = ConfigCentrale;
    EXPECT_EQ(Invia(&ScriviDatiGenerali, CmdScriviDatiGenerali), PayloadGenerale());

    ConfigCentrale = TConfigCentrale{};
    ASSERT_EQ(Ricevi(&LeggiDatiGenerali, CmdLeggiDatiGenerali, PayloadGenerale()), EsitoOk);
    const TConfigCentrale& c = ConfigCentrale;
    EXPECT_EQ(c.CodiceCentrale, originale.CodiceCentrale);
    EXPECT_EQ(c.LinguaCentrale, 3);
    EXPECT_EQ(c.LivelloAntiAccecamento, 4);
    EXPECT_EQ(c.AssociazioneReleAux1, 21);
    EXPECT_EQ(c.AssociazioneReleAux2, 22);
    EXPECT_EQ(c.AssociazioneReleAux3, 23);
    EXPECT_EQ(c.TempoUscitaSec, 31);
    EXPECT_EQ(c.TempoIngressoSec, 32);
    EXPECT_EQ(c.TempoPreallarmeSec, 33);
    EXPECT_EQ(c.TempoSuoneriaEsterniSec, 34);
    EXPECT_EQ(c.TempoSirenaSec, 35);
    EXPECT_EQ(c.MinutiPermanenzaAr, 36);
    EXPECT_EQ(c.TipoTempoSupervisione, 5);
    EXPECT_EQ(c.CodiceCentraleSms.Leggi(), "4321");
    EXPECT_EQ(c.NumeroChiamateVoce, 7);
    EXPECT_EQ(c.NumeroRing, 8);
    EXPECT_EQ(c.CodiceTxRadio, 0x0312);
    EXPECT_EQ(c.GiorniScadenzaSim, 0x0298);
    EXPECT_EQ(c.TipoRichiestaCredito, 'S');
    EXPECT_EQ(c.NumTelefonoCredito.Leggi(), originale.NumTelefonoCredito.Leggi());
    EXPECT_EQ(c.TestoSmsCredito.Leggi(), originale.TestoSmsCredito.Leggi());
    EXPECT_EQ(c.NumTelefonoOperatore_NU.Leggi(), originale.NumTelefonoOperatore_NU.Leggi());
    EXPECT_EQ(c.TestoFissoSms.Leggi(), originale.TestoFissoSms.Leggi());
    EXPECT_EQ(c.CodeOperatoreManuale.Leggi(), "22210");
    for (int m = 0; m < 5; ++m)
        EXPECT_EQ(c.DescrizioneMessaggio[m].Leggi(), originale.DescrizioneMessaggio[m].Leggi());
}

TEST_F(Generale, ReservedBitsAndBytesAreSentAsZeroAndIgnoredOnReceive) {
    // The PC-only flag never reaches the panel, whatever it holds.
    ConfigCentrale.AttivaSirenaPerTecnologico_NU = 1;
    EXPECT_EQ(Invia(&ScriviDatiGenerali, CmdScriviDatiGenerali), std::vector<std::uint8_t>(216, 0));

    std::vector<std::uint8_t> pulito = PayloadGenerale();
    std::vector<std::uint8_t> sporco = pulito;
    sporco[6] |= 0x12; // bits 1 and 4
    sporco[10] |= 0xF0;
    sporco[11] = 0xA5;
    sporco[25] = 0x5A;
    ASSERT_EQ(Ricevi(&LeggiDatiGenerali, CmdLeggiDatiGenerali, pulito), EsitoOk);
    const TConfigCentrale dalPulito = ConfigCentrale;
    ConfigCentrale = TConfigCentrale{};
    ConfigCentrale.AttivaSirenaPerTecnologico_NU = 1;
    ASSERT_EQ(Ricevi(&LeggiDatiGenerali, CmdLeggiDatiGenerali, sporco), EsitoOk);
    EXPECT_EQ(std::memcmp(&dalPulito, &ConfigCentrale, sizeof ConfigCentrale), 0);
    EXPECT_EQ(ConfigCentrale.AttivaSirenaPerTecnologico_NU, 1); // not part of the block
}

TEST_F(Generale, PackedNumbersKeepThreeBits) {
    ConfigCentrale.LinguaCentrale = 9;
    ConfigCentrale.LivelloAntiAccecamento = 12;
    const auto dati = Invia(&ScriviDatiGenerali, CmdScriviDatiGenerali);
    EXPECT_EQ(dati[5], 1 << 5);
    EXPECT_EQ(dati[6], 4 << 5);

    std::vector<std::uint8_t> r(216, 0);
    r[5] = 0xE0;
    r[6] = 0xA0 | 0x1F; // level 5 under reserved and flag bits
    ASSERT_EQ(Ricevi(&LeggiDatiGenerali, CmdLeggiDatiGenerali, r), EsitoOk);
    EXPECT_EQ(ConfigCentrale.LinguaCentrale, 7);
    EXPECT_EQ(ConfigCentrale.BeepInseriti, 0);
    EXPECT_EQ(ConfigCentrale.LivelloAntiAccecamento, 5);
}

TEST_F(Generale, TextsAreCutAndZeroFilledAndEndAtTheFirstZero) {
    // A damaged length byte of 20 in a 15-character field sends its 15 characters only.
    ConfigCentrale.NumTelefonoCredito.Scrivi(Testo('0', 15));
    ConfigCentrale.NumTelefonoCredito.Lunghezza = 20;
    ConfigCentrale.TestoSmsCredito.Scrivi("abc");
    ConfigCentrale.NumTelefonoOperatore_NU.Scrivi("xyz"); // neighbour: must not bleed into 46..75
    const auto dati = Invia(&ScriviDatiGenerali, CmdScriviDatiGenerali);
    EXPECT_EQ(std::string(dati.begin() + 31, dati.begin() + 46), Testo('0', 15));
    EXPECT_EQ(dati[46], 'a');
    EXPECT_EQ(dati[48], 'c');
    EXPECT_EQ(std::vector<std::uint8_t>(dati.begin() + 49, dati.begin() + 76),
              std::vector<std::uint8_t>(27, 0));
    EXPECT_EQ(dati[76], 'x');

    std::vector<std::uint8_t> r(216, 0);
    Metti(r, 31, std::string("AB\0C", 4));
    Metti(r, 46, Testo('k', 30)); // full width: no terminating zero
    ASSERT_EQ(Ricevi(&LeggiDatiGenerali, CmdLeggiDatiGenerali, r), EsitoOk);
    EXPECT_EQ(ConfigCentrale.NumTelefonoCredito.Leggi(), "AB");
    EXPECT_EQ(ConfigCentrale.TestoSmsCredito.Leggi(), Testo('k', 30));
    EXPECT_EQ(ConfigCentrale.NumTelefonoOperatore_NU.Leggi(), "");
}

TEST_F(Generale, GeneralBlockLeavesTheModelBytesThePcTextsAndTheClockAlone) {
    ConfigCentrale.IdCentrale = 164;
    ConfigCentrale.VersioneCentrale = 11;
    ConfigCentrale.CommentiPc.Scrivi("note");
    ConfigCentrale.NumTelefonoCentrale.Scrivi("0301234");
    ConfigCentrale.DataOraOrologio = 1234.5;
    std::vector<std::uint8_t> r(216, 0xFF);
    ASSERT_EQ(Ricevi(&LeggiDatiGenerali, CmdLeggiDatiGenerali, r), EsitoOk);
    EXPECT_EQ(ConfigCentrale.IdCentrale, 164);
    EXPECT_EQ(ConfigCentrale.VersioneCentrale, 11);
    EXPECT_EQ(ConfigCentrale.CommentiPc.Leggi(), "note");
    EXPECT_EQ(ConfigCentrale.NumTelefonoCentrale.Leggi(), "0301234");
    EXPECT_EQ(ConfigCentrale.DataOraOrologio, 1234.5);
    EXPECT_EQ(ConfigCentrale.Zone[0].Attiva, 0);
}

TEST_F(Generale, ContactIdFlagsAreSentOnlyForExactlyOne) {
    for (const Bandiera& b : BandiereCid) {
        for (std::uint8_t valore : {1, 2}) {
            ConfigCentrale = TConfigCentrale{};
            link.Richieste.clear();
            ConfigCentrale.*b.campo = valore;
            const auto dati = Invia(&ScriviDatiGprsCid, CmdScriviDatiGprsCid);
            std::vector<std::uint8_t> atteso(196, 0);
            if (valore == 1) atteso[0] = std::uint8_t(1 << b.bit);
            EXPECT_EQ(dati, atteso) << b.nome << " = " << int(valore);
        }
        std::vector<std::uint8_t> r(196, 0);
        r[0] = std::uint8_t(1 << b.bit);
        for (const Bandiera& altra : BandiereCid)
            ConfigCentrale.*altra.campo = 9;
        ASSERT_EQ(Ricevi(&LeggiDatiGprsCid, CmdLeggiDatiGprsCid, r), EsitoOk);
        for (const Bandiera& altra : BandiereCid)
            EXPECT_EQ(ConfigCentrale.*altra.campo, &altra == &b ? 1 : 0) << b.nome << " / " << altra.nome;
    }
}

TEST_F(Generale, ContactIdBlockFieldsTravelAtTheirOffsets) {
    TConfigCentrale& c = ConfigCentrale;
    c.GiorniLifeTest = 45;
    c.OraLifeTest = 17;
    c.MinLifeTest = 38;
    c.CidRcvr1.Scrivi(Testo('A', 7));
    c.CidRcvr2.Scrivi(Testo('B', 7));
    c.CidPrefAccount1.Scrivi(Testo('C', 7));
    c.CidPrefAccount2.Scrivi(Testo('D', 7));
    c.CidAccount1.Scrivi(Testo('E', 17));
    c.CidAccount2.Scrivi(Testo('F', 17));
    c.TelVigilanza1.Scrivi(Testo('0', 15));
    c.TelVigilanza2.Scrivi(Testo('1', 15));
    c.APN.Scrivi(Testo('a', 32));
    c.APNUsername.Scrivi(Testo('b', 16));
    c.APNPassword.Scrivi(Testo('c', 16));
    c.IndirizzoIPServer1.Scrivi("192.168.100.201");
    c.PortaServer1 = 0xBEEF;
    c.IndirizzoIPServer2.Scrivi("10.0.0.2");
    c.PortaServer2 = 0x1234;
    const TConfigCentrale originale = c;

    std::vector<std::uint8_t> atteso(196, 0);
    atteso[1] = 45, atteso[2] = 17, atteso[3] = 38;
    Metti(atteso, 4, Testo('A', 7));
    Metti(atteso, 11, Testo('B', 7));
    Metti(atteso, 18, Testo('C', 7));
    Metti(atteso, 25, Testo('D', 7));
    Metti(atteso, 32, Testo('E', 17));
    Metti(atteso, 49, Testo('F', 17));
    Metti(atteso, 66, Testo('0', 15));
    Metti(atteso, 81, Testo('1', 15));
    Metti(atteso, 96, Testo('a', 32));
    Metti(atteso, 128, Testo('b', 16));
    Metti(atteso, 144, Testo('c', 16));
    Metti(atteso, 160, "192.168.100.201");
    atteso[176] = 0xEF, atteso[177] = 0xBE;
    Metti(atteso, 178, "10.0.0.2");
    atteso[194] = 0x34, atteso[195] = 0x12;
    EXPECT_EQ(Invia(&ScriviDatiGprsCid, CmdScriviDatiGprsCid), atteso);

    ConfigCentrale = TConfigCentrale{};
    ASSERT_EQ(Ricevi(&LeggiDatiGprsCid, CmdLeggiDatiGprsCid, atteso), EsitoOk);
    EXPECT_EQ(c.GiorniLifeTest, 45);
    EXPECT_EQ(c.OraLifeTest, 17);
    EXPECT_EQ(c.MinLifeTest, 38);
    EXPECT_EQ(c.CidRcvr1.Leggi(), originale.CidRcvr1.Leggi());
    EXPECT_EQ(c.CidRcvr2.Leggi(), originale.CidRcvr2.Leggi());
    EXPECT_EQ(c.CidPrefAccount1.Leggi(), originale.CidPrefAccount1.Leggi());
    EXPECT_EQ(c.CidPrefAccount2.Leggi(), originale.CidPrefAccount2.Leggi());
    EXPECT_EQ(c.CidAccount1.Leggi(), originale.CidAccount1.Leggi());
    EXPECT_EQ(c.CidAccount2.Leggi(), originale.CidAccount2.Leggi());
    EXPECT_EQ(c.TelVigilanza1.Leggi(), originale.TelVigilanza1.Leggi());
    EXPECT_EQ(c.TelVigilanza2.Leggi(), originale.TelVigilanza2.Leggi());
    EXPECT_EQ(c.APN.Leggi(), originale.APN.Leggi());
    EXPECT_EQ(c.APNUsername.Leggi(), originale.APNUsername.Leggi());
    EXPECT_EQ(c.APNPassword.Leggi(), originale.APNPassword.Leggi());
    EXPECT_EQ(c.IndirizzoIPServer1.Leggi(), "192.168.100.201");
    EXPECT_EQ(c.PortaServer1, 0xBEEF);
    EXPECT_EQ(c.IndirizzoIPServer2.Leggi(), "10.0.0.2");
    EXPECT_EQ(c.PortaServer2, 0x1234);
}

TEST_F(Generale, ContactIdTablesTravelAsThirtyEightThreeCharacterCodes) {
    std::vector<std::uint8_t> atteso(114, 0);
    for (int i = 0; i < NumEventiCid; ++i) {
        const std::string a = std::to_string(100 + i), b = std::to_string(500 + i);
        ConfigCentrale.TabellaEventiCid1[i].Scrivi(a);
        ConfigCentrale.TabellaEventiCid2[i].Scrivi(b);
        Metti(atteso, 3 * i, a);
        Metti(atteso, 57 + 3 * i, b);
    }
    ConfigCentrale.TabellaEventiCid2[18].Scrivi("7"); // a short code is zero-filled
    atteso[111] = '7', atteso[112] = 0, atteso[113] = 0;
    EXPECT_EQ(Invia(&ScriviTabelleCid, CmdScriviTabelleCid), atteso);

    ConfigCentrale = TConfigCentrale{};
    ASSERT_EQ(Ricevi(&LeggiTabelleCid, CmdLeggiTabelleCid, atteso), EsitoOk);
    for (int i = 0; i < NumEventiCid; ++i) {
        EXPECT_EQ(ConfigCentrale.TabellaEventiCid1[i].Leggi(), std::to_string(100 + i));
        if (i < 18) {
            EXPECT_EQ(ConfigCentrale.TabellaEventiCid2[i].Leggi(), std::to_string(500 + i));
        }
    }
    EXPECT_EQ(ConfigCentrale.TabellaEventiCid2[18].Leggi(), "7");
}

TEST_F(Generale, IdentificationFillsTheThreePanelBytes) {
    ASSERT_EQ(Ricevi(&RichiediIdentificazione, CmdIdentificazione, {164, 11, 3}), EsitoOk);
    EXPECT_EQ(IdCentraleRx, 164);
    EXPECT_EQ(VersioneCentraleRx, 11);
    EXPECT_EQ(AbilComCentraleRx, 3);
    EXPECT_EQ(ConfigCentrale.IdCentrale, 0); // the image's own bytes are the worker's to stamp
}

TEST_F(Generale, PanelClockIsReadAsAValidDateOrReplacedByThePcTime) {
    struct Caso {
        std::vector<std::uint8_t> dati;
        double atteso;
    };
    const std::vector<Caso> casi = {
        {{10, 5, 29, 2, 24}, DataOra(2024, 2, 29, 10, 5, 0)},
        {{0, 0, 1, 1, 125}, DataOra(2025, 1, 1, 0, 0, 0)},
        {{23, 59, 31, 12, 99}, DataOra(2099, 12, 31, 23, 59, 0)},
        {{10, 5, 1, 13, 24}, ora}, // month 13
        {{10, 5, 31, 4, 24}, ora}, // 31 April
        {{10, 5, 29, 2, 23}, ora}, // 29 February of a common year
        {{24, 0, 1, 1, 24}, ora},  // hour 24
        {{12, 60, 1, 1, 24}, ora}, // minute 60
        {{12, 0, 0, 1, 24}, ora},  // day 0
    };
    for (const Caso& c : casi) {
        ConfigCentrale.DataOraOrologio = -1;
        EXPECT_EQ(Ricevi(&LeggiDataOra, CmdLeggiDataOra, c.dati), EsitoOk);
        EXPECT_DOUBLE_EQ(ConfigCentrale.DataOraOrologio, c.atteso)
            << int(c.dati[0]) << ":" << int(c.dati[1]) << " " << int(c.dati[2]) << "/" << int(c.dati[3]);
    }
}

TEST_F(Generale, SettingTheClockSendsThePcTimeWithoutSecondsAndKeepsItInTheImage) {
    ora = DataOra(2099, 12, 31, 23, 59, 59);
    EXPECT_EQ(Invia(&ScriviDataOra, CmdScriviDataOra), (std::vector<std::uint8_t>{23, 59, 31, 12, 99}));
    EXPECT_DOUBLE_EQ(ConfigCentrale.DataOraOrologio, ora);

    link.Richieste.clear();
    ora = DataOra(2007, 3, 4, 5, 6, 7);
    EXPECT_EQ(Invia(&ScriviDataOra, CmdScriviDataOra), (std::vector<std::uint8_t>{5, 6, 4, 3, 7}));
}

// ---- The command table, the guard and the link choice.

namespace {
struct Voce {
    const char* nome;
    std::uint8_t (*routine)(TLinkComando&);
    std::uint8_t comando;
    int richiesta, risposta;
};

std::uint8_t Zone3(TLinkComando& l) {
    return LeggiBloccoZone(l, 3);
}
std::uint8_t ScriviZone3(TLinkComando& l) {
    return ScriviBloccoZone(l, 3);
}
std::uint8_t Coda3(TLinkComando& l) {
    return LeggiBloccoCoda(l, 3);
}
std::uint8_t Inser1(TLinkComando& l) {
    return LeggiBloccoInseritori(l, 1);
}
std::uint8_t ScriviInser1(TLinkComando& l) {
    return ScriviBloccoInseritori(l, 1);
}

const std::vector<Voce> Tabella = {
    {"RichiediIdentificazione", &RichiediIdentificazione, 1, 0, 3},
    {"FineComunicazione", &FineComunicazione, 2, 0, 0},
    {"LeggiDatiGenerali", &LeggiDatiGenerali, 3, 0, 216},
    {"ScriviDatiGenerali", &ScriviDatiGenerali, 4, 216, 0},
    {"LeggiDataOra", &LeggiDataOra, 5, 0, 5},
    {"ScriviDataOra", &ScriviDataOra, 6, 5, 0},
    {"LeggiPuntatoriCoda", &LeggiPuntatoriCoda, 7, 0, 3},
    {"CancellaCoda", &CancellaCoda, 9, 0, 0},
    {"LeggiNumTel", &LeggiNumTel, 10, 0, 136},
    {"ScriviNumTel", &ScriviNumTel, 11, 136, 0},
    {"LeggiBloccoZone", &Zone3, 13, 1, 241},
    {"ScriviBloccoZone", &ScriviZone3, 14, 241, 0},
    {"LeggiBloccoCoda", &Coda3, 15, 1, 161},
    {"LeggiBloccoInseritori", &Inser1, 16, 1, 169},
    {"ScriviBloccoInseritori", &ScriviInser1, 17, 169, 0},
    {"LeggiDatiGprsCid", &LeggiDatiGprsCid, 18, 0, 196},
    {"ScriviDatiGprsCid", &ScriviDatiGprsCid, 19, 196, 0},
    {"LeggiTabelleCid", &LeggiTabelleCid, 20, 0, 114},
    {"ScriviTabelleCid", &ScriviTabelleCid, 21, 114, 0},
    {"TerminaConnessioneRemota", &TerminaConnessioneRemota, 22, 0, 0},
};
} // namespace

TEST_F(Generale, EveryRoutineSendsItsCodeWithTheTableLengths) {
    for (const Voce& v : Tabella) {
        link.Richieste.clear();
        v.routine(link);
        ASSERT_EQ(link.Richieste.size(), 1u) << v.nome;
        const TFrameComunic& f = link.Richieste[0];
        EXPECT_EQ(f.Comando, v.comando) << v.nome;
        EXPECT_EQ(f.Lunghezza, v.richiesta) << v.nome;
        EXPECT_EQ(f.LunghezzaRisposta, v.risposta) << v.nome;
        EXPECT_EQ(LunghezzaRichiestaComando(v.comando), v.richiesta) << v.nome;
        EXPECT_EQ(LunghezzaRispostaComando(v.comando), v.risposta) << v.nome;
    }
    EXPECT_EQ(LunghezzaRispostaComando(CmdLeggiEvento), 9);
    EXPECT_EQ(LunghezzaRichiestaComando(12), -1);
    EXPECT_EQ(LunghezzaRispostaComando(23), -1);
}

TEST_F(Generale, EveryRoutineTurnsAnExceptionIntoFailureAndPassesOtherResultsOn) {
    for (const Voce& v : Tabella) {
        link.Lancia();
        EXPECT_EQ(v.routine(link), EsitoFallito) << v.nome;
        link.RestituisciEsito(EsitoOccupato);
        EXPECT_EQ(v.routine(link), EsitoOccupato) << v.nome;
        link.RestituisciEsito(EsitoNessunaRichiesta);
        EXPECT_EQ(v.routine(link), EsitoNessunaRichiesta) << v.nome;
        EXPECT_EQ(v.routine(link), EsitoFallito) << v.nome; // no reply at all
    }
    EXPECT_EQ(IdCentraleRx, 0);
}

TEST_F(Generale, AnExceptionTurnedIntoFailureLeavesItsReasonInTheLog) {
    std::vector<std::string> righe;
    platform::CatturaDiagnostica cattura([&](std::string_view r) { righe.emplace_back(r); });
    link.Lancia();
    EXPECT_EQ(LeggiBloccoZone(link, 2), EsitoFallito);
    EXPECT_EQ(righe, std::vector<std::string>{"vm415: def_ver11: command 13 failed: link failure"});
}

TEST_F(Generale, TheTransactionItselfLetsExceptionsPass) {
    link.Lancia();
    TFrameComunic f = Frame(CmdFineComunicazione, {});
    EXPECT_THROW(InviaMessaggio(link, f), std::runtime_error);
}

TEST_F(Generale, AFailedOrBusyExchangeDecodesNothing) {
    link.RestituisciEsito(EsitoOccupato);
    EXPECT_EQ(LeggiDatiGenerali(link), EsitoOccupato);
    link.Rispondi(Frame(CmdLeggiDatiGenerali, std::vector<std::uint8_t>(215, 0xFF))); // one byte short
    EXPECT_EQ(LeggiDatiGenerali(link), EsitoFallito);
    EXPECT_EQ(ConfigCentrale.CodiceCentrale, 0u);
}

TEST_F(Generale, AnOperationKeepsTheLinkItChoseAtItsStart) {
    LinkRemotoDoppio remoto;
    RegistraLinkRemoto(&remoto);
    remoto.sessione = 7;
    TLinkOperazione sulRemoto(link); // made while a connection is up: every command goes over it
    remoto.interno.Rispondi(Frame(CmdIdentificazione, {164, 11, 1}));
    EXPECT_EQ(RichiediIdentificazione(sulRemoto), EsitoOk);
    EXPECT_TRUE(link.Richieste.empty());
    EXPECT_EQ(remoto.interno.Richieste.size(), 1u);
    EXPECT_EQ(IdCentraleRx, 164); // decoded from the remote link's reply
    remoto.sessione = 8;          // another panel accepted: the rest of the operation fails
    EXPECT_EQ(FineComunicazione(sulRemoto), EsitoFallito);
    EXPECT_TRUE(link.Richieste.empty());

    remoto.sessione = 0;
    TLinkOperazione sulCavo(link); // made with no connection up
    remoto.sessione = 9;           // one comes up in the middle: it takes nothing
    link.Rispondi(Frame(CmdIdentificazione, {7, 8, 9}));
    EXPECT_EQ(RichiediIdentificazione(sulCavo), EsitoOk);
    EXPECT_EQ(link.Richieste.size(), 1u);
    EXPECT_EQ(remoto.interno.Richieste.size(), 1u);
    EXPECT_EQ(IdCentraleRx, 7);
    RegistraLinkRemoto(nullptr);
}

namespace {
// A faulty link: claims success but hands over a reply to another command.
class LinkIncoerente : public TLinkComando {
  public:
    std::uint8_t InviaComando(const TFrameComunic&) override { return EsitoOk; }
    void CopiaRisposta(TFrameComunic& r) override { r = Frame(CmdIdentificazione, {1, 2, 3}); }
};
} // namespace

TEST_F(Generale, ASuccessWithAReplyThatDoesNotMatchIsAFailure) {
    LinkIncoerente l;
    EXPECT_EQ(LeggiPuntatoriCoda(l), EsitoFallito);
    EXPECT_EQ(IdCentraleRx, 0);
    EXPECT_EQ(coda.NumEventi, 0);
}

TEST_F(Generale, TheDecoderStoresNothingFromAReplyOfTheWrongLength) {
    TFrameComunic corto = Frame(CmdLeggiDatiGenerali, std::vector<std::uint8_t>(100, 0x77));
    DecodificaRisposta(corto);
    TFrameComunic lungo = Frame(CmdIdentificazione, {1, 2, 3, 4});
    DecodificaRisposta(lungo);
    const TConfigCentrale zero{};
    EXPECT_EQ(std::memcmp(&ConfigCentrale, &zero, sizeof zero), 0);
    EXPECT_EQ(IdCentraleRx, 0);
}
