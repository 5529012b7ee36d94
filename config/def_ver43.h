#pragma once
// Format 4.3 of the Vm409 configuration file (".409", 5304 bytes, bytes 4 and 5 = 161, 43) and its
// conversion into the current Vm415 image. Only the fields the conversion reads are named; the
// bytes between them are kept as unnamed filler so that every offset stays where the old files have it.
#include "config/GlobalsVar.h"
#include "config/RecordVecchi.h"

#include <cstddef>
#include <cstdint>

constexpr std::uint8_t IdCentraleVer43 = 161;
constexpr std::uint8_t VersioneCentraleVer43 = 43;
constexpr int NumZoneVer43 = 63; // radio zones and the first three wired lines
constexpr int NumEventiCidVer43 = 15;

struct TConfigCentraleVer43 {
    std::uint32_t CodiceCentrale;
    std::uint8_t IdCentrale;
    std::uint8_t VersioneCentrale;
    TStringa<8> DataInstallazionePc;
    TStringa<8> DataUltimaModificaPc;
    TStringa<250> CommentiPc;
    std::uint8_t Pad275[5];
    double DataOraOrologio;
    TStringa<15> NumTelefonoCentrale;
    std::uint8_t ChimeCentraleAbilitato;
    std::uint8_t LivelloAntiAccecamento;
    // 306..312, at the same offsets as in the current image.
    std::uint8_t ZoneEsterneSuoneria_NU;
    std::uint8_t ControlloPorteInserito;
    std::uint8_t SupervisioneSensori;
    std::uint8_t AbilAutoEsclusLineeAperte_NU;
    std::uint8_t PercorsoInserito_NU;
    std::uint8_t AllarmeSingoloSirena;
    std::uint8_t BeepInseriti;
    std::uint8_t NonLetto313[6];
    std::uint8_t AssociazioneReleAux1;
    std::uint8_t TempoUscitaSec;
    std::uint8_t TempoIngressoSec;
    std::uint8_t TempoPreallarmeSec;
    std::uint8_t TempoSirenaSec;
    std::uint8_t MinutiPermanenzaAr;
    std::uint8_t TipoTempoSupervisione;
    TStringa<4> CodiceCentraleSms;
    std::uint8_t NumeroChiamateVoce;
    std::uint8_t NonLetto332[4];
    std::uint16_t GiorniScadenzaSim;
    char TipoRichiestaCredito;
    TStringa<15> NumTelefonoCredito;
    TStringa<30> TestoSmsCredito;
    std::uint8_t NonLetto386[63];
    TStringa<16> DescrizioneMessaggio[5];
    std::uint8_t NonLetto534[1955];
    TConfigZonaVecchia Zone[NumZoneVer43];
    TConfigZonaVecchia Periferiche[NumBidirezionali];
    TConfigInseritoreVecchio Inseritori[NumInseritori];
    TConfigNumTel NumTel[NumNumTel];
    std::uint8_t AbilContactId;
    std::uint8_t InvioGprs;
    std::uint8_t AbilServerGprs1;
    std::uint8_t AbilServerGprs2;
    std::uint8_t NonLetto4964[4];
    std::uint8_t GiorniLifeTest;
    std::uint8_t OraLifeTest;
    std::uint8_t MinLifeTest;
    std::uint8_t NonLetto4971[68];
    TStringa<15> TelVigilanza1;
    TStringa<15> TelVigilanza2;
    TStringa<32> APN;
    std::uint8_t NonLetto5104[34];
    TStringa<16> IndirizzoIPServer1;
    std::uint8_t Pad5155;
    std::uint16_t PortaServer1;
    TStringa<16> IndirizzoIPServer2;
    std::uint8_t Pad5175;
    std::uint16_t PortaServer2;
    TStringa<3> TabellaEventiCid1[NumEventiCidVer43];
    TStringa<3> TabellaEventiCid2[NumEventiCidVer43];
    std::uint8_t NonLetto5298[6];
};

static_assert(sizeof(TConfigCentraleVer43) == 5304);
#define VM415_V43(field, off) static_assert(offsetof(TConfigCentraleVer43, field) == (off), #field)
VM415_V43(IdCentrale, 4);
VM415_V43(VersioneCentrale, 5);
VM415_V43(DataInstallazionePc, 6);
VM415_V43(DataUltimaModificaPc, 15);
VM415_V43(CommentiPc, 24);
VM415_V43(DataOraOrologio, 280);
VM415_V43(NumTelefonoCentrale, 288);
VM415_V43(ChimeCentraleAbilitato, 304);
VM415_V43(LivelloAntiAccecamento, 305);
VM415_V43(ZoneEsterneSuoneria_NU, 306);
VM415_V43(BeepInseriti, 312);
VM415_V43(AssociazioneReleAux1, 319);
VM415_V43(TempoUscitaSec, 320);
VM415_V43(TempoPreallarmeSec, 322);
VM415_V43(TempoSirenaSec, 323);
VM415_V43(TipoTempoSupervisione, 325);
VM415_V43(CodiceCentraleSms, 326);
VM415_V43(NumeroChiamateVoce, 331);
VM415_V43(GiorniScadenzaSim, 336);
VM415_V43(TipoRichiestaCredito, 338);
VM415_V43(NumTelefonoCredito, 339);
VM415_V43(TestoSmsCredito, 355);
VM415_V43(DescrizioneMessaggio, 449);
VM415_V43(Zone, 2489);
VM415_V43(Periferiche, 4064);
VM415_V43(Inseritori, 4464);
VM415_V43(NumTel, 4752);
VM415_V43(AbilContactId, 4960);
VM415_V43(AbilServerGprs2, 4963);
VM415_V43(GiorniLifeTest, 4968);
VM415_V43(MinLifeTest, 4970);
VM415_V43(TelVigilanza1, 5039);
VM415_V43(TelVigilanza2, 5055);
VM415_V43(APN, 5071);
VM415_V43(IndirizzoIPServer1, 5138);
VM415_V43(PortaServer1, 5156);
VM415_V43(IndirizzoIPServer2, 5158);
VM415_V43(PortaServer2, 5176);
VM415_V43(TabellaEventiCid1, 5178);
VM415_V43(TabellaEventiCid2, 5238);
VM415_V43(NonLetto5298, 5298);
#undef VM415_V43

// Applies the defaults to Config (starting from an all-zero image), then takes the fields of the
// old record, sets what the Vm409 lacks to fixed values and stamps the current model and format.
void ConvertiDaVer43(TConfigCentrale& Config, const TConfigCentraleVer43& Vecchia);
