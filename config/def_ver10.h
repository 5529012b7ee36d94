#pragma once
// Format 1.0 of the Vm415 configuration file (3480 bytes, bytes 4 and 5 = 164, 10) and its
// conversion into the current image. Only the fields the conversion reads are named; the bytes
// between them are kept as unnamed filler so that every offset stays where the old files have it.
#include "config/GlobalsVar.h"
#include "config/RecordVecchi.h"

#include <cstddef>
#include <cstdint>

constexpr std::uint8_t IdCentraleVer10 = 164;
constexpr std::uint8_t VersioneCentraleVer10 = 10;
constexpr int NumZoneVer10 = 68; // radio zones and the first eight wired lines
constexpr int NumEventiCidVer10 = 15;

struct TConfigCentraleVer10 {
    std::uint32_t CodiceCentrale;
    std::uint8_t IdCentrale;
    std::uint8_t VersioneCentrale;
    TStringa<8> DataInstallazionePc;
    TStringa<8> DataUltimaModificaPc;
    TStringa<250> CommentiPc;
    std::uint8_t Pad275[5];
    double DataOraOrologio;
    TStringa<15> NumTelefonoCentrale;
    // 304..318, the same options as the current image.
    std::uint8_t ChimeCentraleAbilitato;
    std::uint8_t InibizioneSirenaInParziale;
    std::uint8_t ZoneEsterneSuoneria_NU;
    std::uint8_t ControlloPorteInserito;
    std::uint8_t SupervisioneSensori;
    std::uint8_t AbilAutoEsclusLineeAperte_NU;
    std::uint8_t PercorsoInserito_NU;
    std::uint8_t AllarmeSingoloSirena;
    std::uint8_t BeepInseriti;
    std::uint8_t InvioSmsCreditoConEiv;
    std::uint8_t SimVoce;
    std::uint8_t SensoriEsterniInclusi;
    std::uint8_t FlagSelezOperatoreManuale;
    std::uint8_t LinguaCentrale;
    std::uint8_t AbilitaMessaggiVocaliCambioStato;
    std::uint8_t NonLetto319;
    std::uint8_t UscitaAux1Nc;
    std::uint8_t UscitaAux2Nc;
    std::uint8_t UscitaAux3Nc;
    std::uint8_t LivelloAntiAccecamento;
    std::uint8_t AssociazioneReleAux1;
    std::uint8_t AssociazioneReleAux2;
    std::uint8_t AssociazioneReleAux3;
    std::uint8_t TempoUscitaSec;
    std::uint8_t TempoIngressoSec;
    std::uint8_t TempoPreallarmeSec;
    std::uint8_t TempoSirenaSec;
    std::uint8_t MinutiPermanenzaAr;
    std::uint8_t TipoTempoSupervisione;
    TStringa<4> CodiceCentraleSms;
    std::uint8_t NumeroChiamateVoce;
    std::uint8_t NumeroRing;
    std::uint16_t CodiceTxRadio;
    std::uint16_t GiorniScadenzaSim;
    char TipoRichiestaCredito;
    TStringa<15> NumTelefonoCredito;
    TStringa<30> TestoSmsCredito;
    TStringa<15> NumTelefonoOperatore_NU;
    TStringa<40> TestoFissoSms;
    TStringa<5> CodeOperatoreManuale;
    TStringa<16> DescrizioneMessaggio[5];
    TConfigZonaVecchia Zone[NumZoneVer10];
    TConfigZonaVecchia Periferiche[NumBidirezionali];
    TConfigInseritoreVecchio Inseritori[NumInseritori];
    TConfigNumTel NumTel[NumNumTel];
    // 3136..3353: the layout of the current image's 4488..4705.
    std::uint8_t AbilContactId;
    std::uint8_t InvioGprs;
    std::uint8_t AbilServerGprs1;
    std::uint8_t AbilServerGprs2;
    std::uint8_t CidInvioLinkTest1;
    std::uint8_t CidInvioLinkTest2;
    std::uint8_t CidInvioContactIdEsterni1;
    std::uint8_t CidInvioContactIdEsterni2;
    std::uint8_t GiorniLifeTest;
    std::uint8_t OraLifeTest;
    std::uint8_t MinLifeTest;
    TStringa<7> CidRcvr1;
    TStringa<7> CidRcvr2;
    TStringa<7> CidPrefAccount1;
    TStringa<7> CidPrefAccount2;
    TStringa<17> CidAccount1;
    TStringa<17> CidAccount2;
    TStringa<15> TelVigilanza1;
    TStringa<15> TelVigilanza2;
    TStringa<32> APN;
    TStringa<16> APNUsername;
    TStringa<16> APNPassword;
    TStringa<16> IndirizzoIPServer1;
    std::uint8_t Pad3331;
    std::uint16_t PortaServer1;
    TStringa<16> IndirizzoIPServer2;
    std::uint8_t Pad3351;
    std::uint16_t PortaServer2;
    TStringa<3> TabellaEventiCid1[NumEventiCidVer10];
    TStringa<3> TabellaEventiCid2[NumEventiCidVer10];
    std::uint8_t NonLetto3474[6];
};

static_assert(sizeof(TConfigCentraleVer10) == 3480);
#define VM415_V10(field, off) static_assert(offsetof(TConfigCentraleVer10, field) == (off), #field)
VM415_V10(IdCentrale, 4);
VM415_V10(VersioneCentrale, 5);
VM415_V10(DataInstallazionePc, 6);
VM415_V10(DataUltimaModificaPc, 15);
VM415_V10(CommentiPc, 24);
VM415_V10(DataOraOrologio, 280);
VM415_V10(NumTelefonoCentrale, 288);
VM415_V10(ChimeCentraleAbilitato, 304);
VM415_V10(AbilitaMessaggiVocaliCambioStato, 318);
VM415_V10(UscitaAux1Nc, 320);
VM415_V10(UscitaAux3Nc, 322);
VM415_V10(LivelloAntiAccecamento, 323);
VM415_V10(AssociazioneReleAux1, 324);
VM415_V10(AssociazioneReleAux3, 326);
VM415_V10(TempoUscitaSec, 327);
VM415_V10(TempoPreallarmeSec, 329);
VM415_V10(TempoSirenaSec, 330);
VM415_V10(TipoTempoSupervisione, 332);
VM415_V10(CodiceCentraleSms, 333);
VM415_V10(NumeroChiamateVoce, 338);
VM415_V10(NumeroRing, 339);
VM415_V10(CodiceTxRadio, 340);
VM415_V10(GiorniScadenzaSim, 342);
VM415_V10(TipoRichiestaCredito, 344);
VM415_V10(NumTelefonoCredito, 345);
VM415_V10(TestoSmsCredito, 361);
VM415_V10(NumTelefonoOperatore_NU, 392);
VM415_V10(TestoFissoSms, 408);
VM415_V10(CodeOperatoreManuale, 449);
VM415_V10(DescrizioneMessaggio, 455);
VM415_V10(Zone, 540);
VM415_V10(Periferiche, 2240);
VM415_V10(Inseritori, 2640);
VM415_V10(NumTel, 2928);
VM415_V10(AbilContactId, 3136);
VM415_V10(MinLifeTest, 3146);
VM415_V10(CidRcvr1, 3147);
VM415_V10(CidRcvr2, 3155);
VM415_V10(CidPrefAccount1, 3163);
VM415_V10(CidPrefAccount2, 3171);
VM415_V10(CidAccount1, 3179);
VM415_V10(CidAccount2, 3197);
VM415_V10(TelVigilanza1, 3215);
VM415_V10(TelVigilanza2, 3231);
VM415_V10(APN, 3247);
VM415_V10(APNUsername, 3280);
VM415_V10(APNPassword, 3297);
VM415_V10(IndirizzoIPServer1, 3314);
VM415_V10(PortaServer1, 3332);
VM415_V10(IndirizzoIPServer2, 3334);
VM415_V10(PortaServer2, 3352);
VM415_V10(TabellaEventiCid1, 3354);
VM415_V10(TabellaEventiCid2, 3414);
VM415_V10(NonLetto3474, 3474);
#undef VM415_V10
// The Contact-ID and server block sits 1352 bytes lower than in the current image.
static_assert(offsetof(TConfigCentrale, PortaServer2) - offsetof(TConfigCentraleVer10, PortaServer2) ==
                  1352 &&
              offsetof(TConfigCentrale, AbilContactId) - offsetof(TConfigCentraleVer10, AbilContactId) ==
                  1352);

// Applies the defaults to Config (starting from an all-zero image), then takes the fields of the
// old record and stamps the current model and format.
void ConvertiDaVer10(TConfigCentrale& Config, const TConfigCentraleVer10& Vecchia);
