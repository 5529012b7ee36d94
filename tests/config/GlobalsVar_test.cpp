#include "config/GlobalsVar.h"
#include "config/GetMessage_11.h"

#include "platform/clock/Clock.h"

#include <cstring>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <map>
#include <vector>

namespace {

struct RecordingControls : IControlliMainFrm {
    std::map<std::string, bool> Visibile, Abilitato;
    void ImpostaVisibile(std::string_view n, bool v) override { Visibile[std::string(n)] = v; }
    void ImpostaAbilitato(std::string_view n, bool v) override { Abilitato[std::string(n)] = v; }
};

struct RegisteredControls {
    RecordingControls C;
    RegisteredControls() { RegistraControlliMainFrm(&C); }
    ~RegisteredControls() { RegistraControlliMainFrm(nullptr); }
};

const std::uint8_t* Bytes(const TConfigCentrale& c) { return reinterpret_cast<const std::uint8_t*>(&c); }

} // namespace

TEST(ConfigImage, DefaultImageByteByByte) {
    TConfigCentrale c{};
    const double prima = platform::NowDateTime();
    ConfigDefault(c);
    const double dopo = platform::NowDateTime();

    // Build the expected image from raw offsets, independently of the field declarations.
    std::vector<std::uint8_t> atteso(4864, 0);
    atteso[314] = 1;   // SimVoce
    atteso[335] = 10;  // MinutiPermanenzaAr
    atteso[348] = 'C'; // TipoRichiestaCredito
    atteso[453] = 5;   // CodeOperatoreManuale "00000"
    std::memset(&atteso[454], '0', 5);
    for (int i = 0; i < 19; ++i)
        for (int base : {4706, 4782}) {
            atteso[std::size_t(base + 4 * i)] = 3;
            std::memset(&atteso[std::size_t(base + 4 * i + 1)], '0', 3);
        }
    std::memcpy(&atteso[280], &c.DataOraOrologio, 8); // the clock is checked on its own below

    for (std::size_t i = 0; i < atteso.size(); ++i) ASSERT_EQ(Bytes(c)[i], atteso[i]) << "byte " << i;
    EXPECT_GE(c.DataOraOrologio, prima);
    EXPECT_LE(c.DataOraOrologio, dopo);
    EXPECT_EQ(c.IdCentrale, 0);
    EXPECT_EQ(c.VersioneCentrale, 0);
}

TEST(ConfigImage, DefaultsLeaveUnusedBytesAsTheyWere) {
    TConfigCentrale c;
    std::memset(&c, 0xAB, sizeof c);
    ConfigDefault(c);
    EXPECT_EQ(c.AttivaSirenaPerTecnologico_NU, 0xAB);
    EXPECT_EQ(c.Pad275[0], 0xAB);
    EXPECT_EQ(c.Pad4858[5], 0xAB);
    EXPECT_EQ(c.CommentiPc.Lunghezza, 0);
    EXPECT_EQ(std::uint8_t(c.CommentiPc.Testo[0]), 0xAB); // beyond the length
    EXPECT_EQ(c.Zone[84].Descrizione.Lunghezza, 0);
    EXPECT_EQ(c.Zone[84].CodiceRadio.Byte[2], 0);
    EXPECT_EQ(c.NumTel[7].AbilChiamataDirettaTeleAlr, 0);
    EXPECT_EQ(c.TabellaEventiCid2[18].Leggi(), "000");
    EXPECT_EQ(c.PortaServer2, 0);
}

TEST(ConfigImage, FixedLengthTextCutsAndClampsDamagedLength) {
    TStringa<5> s{};
    s.Scrivi("abcdefgh");
    EXPECT_EQ(s.Lunghezza, 5);
    EXPECT_EQ(s.Leggi(), "abcde");
    s.Scrivi("xy");
    EXPECT_EQ(s.Leggi(), "xy");
    EXPECT_EQ(s.Testo[2], 'c'); // bytes past the length carry nothing and are left alone
    s.Lunghezza = 200;          // a damaged file
    EXPECT_EQ(s.Leggi(), "xycde");
}

TEST(ConfigImage, DefaultSetsMainWindowVisibilityWhenOneIsRegistered) {
    TConfigCentrale c{};
    ConfigDefault(c); // no window registered: nothing to do, nothing to crash
    RegisteredControls w;
    ConfigDefault(c);
    for (const char* n : {"SetTempoPreallarmeSec", "SecondiSuoneriaPreallarmeLabel", "SetTempoSuoneriaEsterniSec",
                          "SecondiTempoSuoneriaEsterniLabel", "SetSensoriEsterniInclusi"})
        EXPECT_EQ(w.C.Visibile.at(n), true) << n;
    for (const char* n : {"SetSuoneriaSettoreF1", "SetSuoneriaSettoreF4", "SetAbilitazioneAvvisiSettoreF1",
                          "SetAbilitazioneAvvisiSettoreF4", "SetTempoSuoneriaSec", "SecondiTempoSuoneriaLabel"})
        EXPECT_EQ(w.C.Visibile.at(n), false) << n;
    EXPECT_EQ(w.C.Visibile.size(), 15u);
    EXPECT_TRUE(w.C.Abilitato.empty());
}

TEST(ConfigImage, Version11FunctionsEnableTheirControls) {
    AbilitaFunzioniVer11(); // no window: nothing happens
    RegisteredControls w;
    AbilitaFunzioniVer11();
    EXPECT_THAT(w.C.Abilitato, testing::UnorderedElementsAre(testing::Pair("SetSimVoceEdit", true),
                                                              testing::Pair("SetInvioSmsCreditoConEiv", true),
                                                              testing::Pair("SetTestoFissoSms", true),
                                                              testing::Pair("SetTestoLiberoSmsLabel", true)));
    EXPECT_THAT(w.C.Visibile, testing::ElementsAre(testing::Pair("SetSubSonicoPresente", false)));
}
