// The repeated records: telephone numbers, zone blocks and keypad blocks, and the record codecs.
#include "AmbienteCodec.h"

#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

using namespace testing_support;

namespace {

struct BandieraTel {
    std::uint8_t TConfigNumTel::*campo;
    int byte, bit;
};
const std::vector<BandieraTel> BandiereTel = {
    {&TConfigNumTel::AbilNumTelSms, 0, 0},
    {&TConfigNumTel::AbilTxAllarmi, 0, 1},
    {&TConfigNumTel::AbilTxStatoIns, 0, 2},
    {&TConfigNumTel::AbilTxStatoAlim, 0, 3},
    {&TConfigNumTel::AbilTxPanico, 0, 4},
    {&TConfigNumTel::AbilTxTeleAlr, 0, 5},
    {&TConfigNumTel::AbilTxSupervisione, 0, 6},
    {&TConfigNumTel::AbilChiamataDirettaAllarme, 1, 0},
    {&TConfigNumTel::AbilChiamataDirettaPanico, 1, 1},
    {&TConfigNumTel::AbilChiamataDirettaTeleAlr, 1, 2},
};

struct BandieraZona {
    std::uint8_t TConfigZona::*campo;
    int byte, bit;
};
const std::vector<BandieraZona> BandiereZona = {
    {&TConfigZona::Attiva, 0, 0},
    {&TConfigZona::Ritardata, 0, 1},
    {&TConfigZona::AlertZona, 0, 2},
    {&TConfigZona::SingoloContatto, 0, 3},
    {&TConfigZona::TecnologicoZona, 0, 6},
    {&TConfigZona::ChimeVocale, 0, 7},
    {&TConfigZona::SirenaPerTecnoOExt, 1, 0},
    {&TConfigZona::SuoneriaPerTecnoOExt, 1, 1},
    {&TConfigZona::AvvisiSmsPerTecnoOExt, 1, 2},
    {&TConfigZona::AvvisiVocPerTecnoOExt, 1, 3},
};

std::string Descrizione(int slot, int n) {
    std::string s = "Z" + std::to_string(slot) + "-";
    while (int(s.size()) < n)
        s += char('a' + (slot + int(s.size())) % 26);
    return s;
}

// Every zone with its own flags, arming group, radio code and full-width description.
void RiempiZona(TConfigZona& z, int slot) {
    z = TConfigZona{};
    z.Attiva = slot & 1;
    z.Ritardata = (slot >> 1) & 1;
    z.AlertZona = (slot >> 2) & 1;
    z.SingoloContatto = (slot >> 3) & 1;
    z.TipoSensore = std::uint8_t(slot % 3);
    z.TecnologicoZona = (slot >> 4) & 1;
    z.ChimeVocale = (slot >> 5) & 1;
    z.SirenaPerTecnoOExt = (slot >> 6) & 1;
    z.SuoneriaPerTecnoOExt = ((slot >> 0) ^ (slot >> 3)) & 1;
    z.AvvisiSmsPerTecnoOExt = ((slot >> 1) ^ (slot >> 4)) & 1;
    z.AvvisiVocPerTecnoOExt = ((slot >> 2) ^ (slot >> 5)) & 1;
    z.Descrizione.Scrivi(Descrizione(slot, 25));
    z.CodiceRadio = {{std::uint8_t(slot), std::uint8_t(0x80 + slot), std::uint8_t(0xFF - slot)}};
}

std::vector<std::uint8_t> RecordZona(const TConfigZona& z) {
    std::vector<std::uint8_t> r(30, 0);
    r[0] = std::uint8_t(z.Attiva | z.Ritardata << 1 | z.AlertZona << 2 | z.SingoloContatto << 3 |
                        (z.TipoSensore & 3) << 4 | z.TecnologicoZona << 6 | z.ChimeVocale << 7);
    r[1] = std::uint8_t(z.SirenaPerTecnoOExt | z.SuoneriaPerTecnoOExt << 1 | z.AvvisiSmsPerTecnoOExt << 2 |
                        z.AvvisiVocPerTecnoOExt << 3);
    r[2] = z.CodiceRadio.Byte[0], r[3] = z.CodiceRadio.Byte[1], r[4] = z.CodiceRadio.Byte[2];
    const std::string d = z.Descrizione.Leggi();
    std::memcpy(r.data() + 5, d.data(), d.size());
    return r;
}

bool ZoneUguali(const TConfigZona& a, const TConfigZona& b) {
    return a.Attiva == b.Attiva && a.Ritardata == b.Ritardata && a.AlertZona == b.AlertZona &&
           a.SingoloContatto == b.SingoloContatto && a.TipoSensore == b.TipoSensore &&
           a.TecnologicoZona == b.TecnologicoZona && a.ChimeVocale == b.ChimeVocale &&
           a.SirenaPerTecnoOExt == b.SirenaPerTecnoOExt && a.SuoneriaPerTecnoOExt == b.SuoneriaPerTecnoOExt &&
           a.AvvisiSmsPerTecnoOExt == b.AvvisiSmsPerTecnoOExt &&
           a.AvvisiVocPerTecnoOExt == b.AvvisiVocPerTecnoOExt &&
           a.Descrizione.Leggi() == b.Descrizione.Leggi() &&
           std::memcmp(a.CodiceRadio.Byte, b.CodiceRadio.Byte, 3) == 0;
}

void RiempiInseritore(TConfigInseritore& k, int n) {
    k = TConfigInseritore{};
    k.Descrizione.Scrivi(Descrizione(100 + n, 16));
    k.TxAbilInvioSegnalazioni = std::uint8_t(n % 2 == 0 ? 1 : 0);
    k.CodiceRadio = {{std::uint8_t(0x10 + n), std::uint8_t(0x40 + n), std::uint8_t(0xA0 + n)}};
}

std::vector<std::uint8_t> RecordInseritore(const TConfigInseritore& k) {
    std::vector<std::uint8_t> r(21, 0);
    r[0] = k.TxAbilInvioSegnalazioni ? 1 : 0;
    r[2] = k.CodiceRadio.Byte[0], r[3] = k.CodiceRadio.Byte[1], r[4] = k.CodiceRadio.Byte[2];
    const std::string d = k.Descrizione.Leggi();
    std::memcpy(r.data() + 5, d.data(), d.size());
    return r;
}

using Record = AmbienteCodec;

} // namespace

TEST_F(Record, TelephoneFlagsTravelInTheirBitsOfTheirRecord) {
    for (int n : {0, 3, 7}) {
        for (const BandieraTel& b : BandiereTel) {
            ConfigCentrale = TConfigCentrale{};
            link.Richieste.clear();
            ConfigCentrale.NumTel[n].*b.campo = 3; // any non-zero value
            link.Conferma(CmdScriviNumTel);
            ASSERT_EQ(ScriviNumTel(link), EsitoOk);
            std::vector<std::uint8_t> atteso(136, 0);
            atteso[std::size_t(17 * n + b.byte)] = std::uint8_t(1 << b.bit);
            EXPECT_EQ(DatiDi(link.Richieste[0]), atteso)
                << "record " << n << " byte " << b.byte << " bit " << b.bit;

            std::vector<std::uint8_t> r(136, 0);
            r[std::size_t(17 * n + b.byte)] = std::uint8_t(1 << b.bit);
            r[std::size_t(17 * n)] |= 0x80;     // reserved
            r[std::size_t(17 * n + 1)] |= 0xF8; // reserved
            for (auto& t : ConfigCentrale.NumTel)
                for (const BandieraTel& x : BandiereTel)
                    t.*x.campo = 5;
            link.Rispondi(Frame(CmdLeggiNumTel, r));
            ASSERT_EQ(LeggiNumTel(link), EsitoOk);
            for (int m = 0; m < NumNumTel; ++m)
                for (const BandieraTel& x : BandiereTel)
                    EXPECT_EQ(ConfigCentrale.NumTel[m].*x.campo, (m == n && &x == &b) ? 1 : 0);
        }
    }
}

TEST_F(Record, TelephoneNumbersAreTrimmedOnSendAndComeBackInTheirRecords) {
    for (int n = 0; n < NumNumTel; ++n)
        ConfigCentrale.NumTel[n].NumeroTelefono.Scrivi(std::to_string(n) + "39012345678901");
    ConfigCentrale.NumTel[2].NumeroTelefono.Scrivi("  0123 ");
    ConfigCentrale.NumTel[5].NumeroTelefono.Scrivi("\t+39,\r");
    link.Conferma(CmdScriviNumTel);
    ASSERT_EQ(ScriviNumTel(link), EsitoOk);
    const auto dati = DatiDi(link.Richieste[0]);
    std::vector<std::uint8_t> atteso2(15, 0);
    std::memcpy(atteso2.data(), "0123", 4);
    EXPECT_EQ(std::vector<std::uint8_t>(dati.begin() + 36, dati.begin() + 51), atteso2);
    EXPECT_EQ(std::string(dati.begin() + 87, dati.begin() + 92), std::string("+39,\0", 5));
    EXPECT_EQ(std::string(dati.begin() + 121, dati.begin() + 136), "739012345678901");

    ConfigCentrale = TConfigCentrale{};
    link.Rispondi(Frame(CmdLeggiNumTel, dati));
    ASSERT_EQ(LeggiNumTel(link), EsitoOk);
    EXPECT_EQ(ConfigCentrale.NumTel[0].NumeroTelefono.Leggi(), "039012345678901");
    EXPECT_EQ(ConfigCentrale.NumTel[2].NumeroTelefono.Leggi(), "0123");
    EXPECT_EQ(ConfigCentrale.NumTel[5].NumeroTelefono.Leggi(), "+39,");
    EXPECT_EQ(ConfigCentrale.NumTel[7].NumeroTelefono.Leggi(), "739012345678901");
}

TEST_F(Record, ZoneFlagsAndArmingGroupTravelInTheirBits) {
    for (const BandieraZona& b : BandiereZona) {
        TFrameComunic f;
        ConfigCentrale.Zone[17] = TConfigZona{};
        ConfigCentrale.Zone[17].*b.campo = 2;
        int idx = 4;
        ASSERT_EQ(CodificaZona(17, idx, f), EsitoOk);
        EXPECT_EQ(idx, 34);
        EXPECT_EQ(f.Dati[4 + b.byte], 1 << b.bit);
        EXPECT_EQ(f.Dati[4 + 1 - b.byte], 0);

        for (const BandieraZona& x : BandiereZona)
            ConfigCentrale.Zone[17].*x.campo = 9;
        TFrameComunic r;
        r.Dati[b.byte] = std::uint8_t(1 << b.bit);
        r.Dati[1] |= 0xF0; // reserved
        idx = 0;
        DecodificaZona(17, idx, r);
        EXPECT_EQ(idx, 30);
        for (const BandieraZona& x : BandiereZona)
            EXPECT_EQ(ConfigCentrale.Zone[17].*x.campo, &x == &b ? 1 : 0);
        EXPECT_EQ(ConfigCentrale.Zone[17].TipoSensore, 0);
    }

    ConfigCentrale.Zone[3] = TConfigZona{};
    ConfigCentrale.Zone[3].TipoSensore = 5; // only two bits travel
    TFrameComunic f;
    int idx = 0;
    ASSERT_EQ(CodificaZona(3, idx, f), EsitoOk);
    EXPECT_EQ(f.Dati[0], 0x10);
    f.Dati[0] = 0x30;
    idx = 0;
    DecodificaZona(3, idx, f);
    EXPECT_EQ(ConfigCentrale.Zone[3].TipoSensore, 3);
    EXPECT_EQ(ConfigCentrale.Zone[3].TecnologicoZona, 0);
    EXPECT_EQ(ConfigCentrale.Zone[3].SingoloContatto, 0);
}

TEST_F(Record, ZoneBlocksCarryEightRecordsAndTheLastBlockPadsWithZeros) {
    for (int z = 0; z < NumZone; ++z)
        RiempiZona(ConfigCentrale.Zone[z], z);
    const TConfigCentrale originale = ConfigCentrale;

    for (std::uint8_t b : {0, 4, 10}) {
        link.Richieste.clear();
        link.Conferma(CmdScriviBloccoZone);
        ASSERT_EQ(ScriviBloccoZone(link, b), EsitoOk);
        std::vector<std::uint8_t> atteso{b};
        for (int k = 0; k < 8; ++k) {
            const int slot = 8 * b + k;
            const auto r =
                slot < NumZone ? RecordZona(originale.Zone[slot]) : std::vector<std::uint8_t>(30, 0);
            atteso.insert(atteso.end(), r.begin(), r.end());
        }
        EXPECT_EQ(DatiDi(link.Richieste[0]), atteso) << "block " << int(b);
    }

    // Reading back block 10 fills slots 80..84 and nothing past the zone array.
    const auto blocco10 = DatiDi(link.Richieste[0]);
    ConfigCentrale = TConfigCentrale{};
    std::memset(&ConfigCentrale.Inseritori, 0x5C, sizeof ConfigCentrale.Inseritori);
    link.Rispondi(Frame(CmdLeggiBloccoZone, blocco10));
    ASSERT_EQ(LeggiBloccoZone(link, 10), EsitoOk);
    EXPECT_EQ(DatiDi(link.Richieste.back()), std::vector<std::uint8_t>{10});
    for (int z = 80; z < 85; ++z)
        EXPECT_TRUE(ZoneUguali(ConfigCentrale.Zone[z], originale.Zone[z])) << z;
    EXPECT_TRUE(ZoneUguali(ConfigCentrale.Zone[79], TConfigZona{}));
    const std::vector<std::uint8_t> inseritori(
        reinterpret_cast<const std::uint8_t*>(&ConfigCentrale.Inseritori),
        reinterpret_cast<const std::uint8_t*>(&ConfigCentrale.Inseritori) + sizeof ConfigCentrale.Inseritori);
    EXPECT_EQ(inseritori, std::vector<std::uint8_t>(sizeof ConfigCentrale.Inseritori, 0x5C));
}

TEST_F(Record, AZoneReplyEchoingAnotherBlockIsNotTheReply) {
    for (int z = 0; z < NumZone; ++z)
        RiempiZona(ConfigCentrale.Zone[z], z);
    const TConfigCentrale originale = ConfigCentrale;
    std::vector<std::uint8_t> r{3};
    for (int k = 0; k < 8; ++k) {
        const auto rec = RecordZona(originale.Zone[40 + k]); // records of other zones, to tell them apart
        r.insert(r.end(), rec.begin(), rec.end());
    }
    ConfigCentrale = TConfigCentrale{};
    // Block 3's reply, late or repeated, is no reply to block 2: nothing is stored anywhere.
    link.Rispondi(Frame(CmdLeggiBloccoZone, r));
    EXPECT_EQ(LeggiBloccoZone(link, 2), EsitoFallito);
    const TConfigCentrale vuota{};
    EXPECT_EQ(std::memcmp(&vuota, &ConfigCentrale, sizeof vuota), 0);
    link.Rispondi(Frame(CmdLeggiBloccoZone, r));
    ASSERT_EQ(LeggiBloccoZone(link, 3), EsitoOk);
    for (int k = 0; k < 8; ++k)
        EXPECT_TRUE(ZoneUguali(ConfigCentrale.Zone[24 + k], originale.Zone[40 + k])) << k;
    // A block past the last zone stores nothing.
    r[0] = 11;
    const TConfigCentrale prima = ConfigCentrale;
    link.Rispondi(Frame(CmdLeggiBloccoZone, r));
    ASSERT_EQ(LeggiBloccoZone(link, 11), EsitoOk);
    EXPECT_EQ(std::memcmp(&prima, &ConfigCentrale, sizeof prima), 0);
}

TEST_F(Record, KeypadBlocksCarryEightRecordsAtTheEchoedBlock) {
    for (int k = 0; k < NumInseritori; ++k)
        RiempiInseritore(ConfigCentrale.Inseritori[k], k);
    ConfigCentrale.Inseritori[9].TxAbilInvioSegnalazioni = 7; // any non-zero value sets the bit
    const TConfigCentrale originale = ConfigCentrale;

    for (std::uint8_t b : {0, 1, 2}) {
        link.Richieste.clear();
        link.Conferma(CmdScriviBloccoInseritori);
        ASSERT_EQ(ScriviBloccoInseritori(link, b), EsitoOk);
        std::vector<std::uint8_t> atteso{b};
        for (int k = 0; k < 8; ++k) {
            const int n = 8 * b + k;
            const auto r = n < NumInseritori ? RecordInseritore(originale.Inseritori[n])
                                             : std::vector<std::uint8_t>(21, 0);
            atteso.insert(atteso.end(), r.begin(), r.end());
        }
        EXPECT_EQ(DatiDi(link.Richieste[0]), atteso) << "block " << int(b);
    }

    std::vector<std::uint8_t> r{1};
    for (int k = 0; k < 8; ++k) {
        auto rec = RecordInseritore(originale.Inseritori[k]);
        rec[0] |= 0xFE; // reserved bits
        rec[1] = 0x77;  // reserved byte
        r.insert(r.end(), rec.begin(), rec.end());
    }
    ConfigCentrale = TConfigCentrale{};
    link.Rispondi(Frame(CmdLeggiBloccoInseritori, r));
    EXPECT_EQ(LeggiBloccoInseritori(link, 0), EsitoFallito) << "block 1 is no reply to block 0";
    link.Rispondi(Frame(CmdLeggiBloccoInseritori, r));
    ASSERT_EQ(LeggiBloccoInseritori(link, 1), EsitoOk);
    for (int k = 0; k < 8; ++k) {
        const TConfigInseritore& got = ConfigCentrale.Inseritori[8 + k];
        const TConfigInseritore& exp = originale.Inseritori[k];
        EXPECT_EQ(got.Descrizione.Leggi(), exp.Descrizione.Leggi());
        EXPECT_EQ(got.TxAbilInvioSegnalazioni, exp.TxAbilInvioSegnalazioni ? 1 : 0);
        EXPECT_EQ(std::memcmp(got.CodiceRadio.Byte, exp.CodiceRadio.Byte, 3), 0);
        EXPECT_EQ(ConfigCentrale.Inseritori[k].Descrizione.Leggi(), "");
    }
    EXPECT_EQ(ConfigCentrale.NumTel[0].AbilNumTelSms, 0);
}

TEST_F(Record, RecordCodecsRefuseSlotsOutsideTheImageAndRecordsPastTheFrame) {
    TFrameComunic f;
    int idx = 0;
    EXPECT_EQ(CodificaZona(85, idx, f), EsitoFallito);
    EXPECT_EQ(CodificaZona(-1, idx, f), EsitoFallito);
    EXPECT_EQ(CodificaInseritore(16, idx, f), EsitoFallito);
    EXPECT_EQ(idx, 0);
    idx = 1025 - 29;
    EXPECT_EQ(CodificaZona(0, idx, f), EsitoFallito);
    EXPECT_EQ(idx, 1025 - 29);
    idx = 1025 - 30;
    EXPECT_EQ(CodificaZona(0, idx, f), EsitoOk);
    EXPECT_EQ(idx, 1025);

    idx = 0;
    EXPECT_THROW(DecodificaZona(85, idx, f), std::out_of_range);
    EXPECT_THROW(DecodificaInseritore(16, idx, f), std::out_of_range);
    EXPECT_THROW(DecodificaEvento(MaxEventiCoda, idx, f, coda), std::out_of_range);
    idx = 1020;
    EXPECT_THROW(DecodificaEvento(0, idx, f, coda), std::out_of_range);
    EXPECT_EQ(idx, 1020);
}
