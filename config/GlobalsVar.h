#pragma once
// The panel's whole configuration: one 4864-byte image, byte for byte also the ".415" file.
// Natural alignment gives exactly the panel's layout; every gap is a named pad field and every
// offset is checked below, so a change that moves a byte does not compile.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Fixed-length text: a length byte and N characters; only `Lunghezza` of them count.
template <std::size_t N> struct TStringa {
    std::uint8_t Lunghezza;
    char Testo[N];

    // The text held. A length byte above N (a damaged file) is read as N.
    std::string_view Vista() const { return std::string_view(Testo, Lunghezza <= N ? Lunghezza : N); }
    std::string Leggi() const { return std::string(Vista()); }
    // Stores the text, cut to N; the characters beyond the new length are left as they were.
    void Scrivi(std::string_view s) {
        const std::size_t n = s.size() < N ? s.size() : N;
        for (std::size_t i = 0; i < n; ++i) Testo[i] = s[i];
        Lunghezza = std::uint8_t(n);
    }
    static constexpr std::size_t Capacita = N;
};

// Learned radio code: 3 bytes, shown as 6 upper-case hexadecimal digits; 000000 = none learned.
struct TCodiceRadio {
    std::uint8_t Byte[3];
};

struct TConfigZona {
    std::uint8_t Attiva;     // with Ritardata: disabled 0,0; instant 1,0; delayed 1,1
    std::uint8_t Ritardata;
    std::uint8_t AlertZona;
    std::uint8_t SingoloContatto; // radio zones only
    std::uint8_t TipoSensore;     // 0 total, 1 partial, 2 external
    std::uint8_t TecnologicoZona;
    std::uint8_t ChimeVocale;     // radio slots 0..29 only
    std::uint8_t SirenaPerTecnoOExt;
    std::uint8_t SuoneriaPerTecnoOExt;
    std::uint8_t AvvisiSmsPerTecnoOExt;
    std::uint8_t AvvisiVocPerTecnoOExt;
    TStringa<25> Descrizione;
    TCodiceRadio CodiceRadio;
};

struct TConfigInseritore {
    TStringa<16> Descrizione;
    std::uint8_t TxAbilInvioSegnalazioni;
    TCodiceRadio CodiceRadio;
};

struct TConfigNumTel {
    std::uint8_t AbilNumTelSms;
    std::uint8_t AbilTxAllarmi;
    std::uint8_t AbilTxStatoIns;
    std::uint8_t AbilTxStatoAlim;
    std::uint8_t AbilTxPanico;
    std::uint8_t AbilTxTeleAlr;
    std::uint8_t AbilTxSupervisione;
    std::uint8_t AbilChiamataDirettaAllarme;
    std::uint8_t AbilChiamataDirettaPanico;
    std::uint8_t AbilChiamataDirettaTeleAlr;
    TStringa<15> NumeroTelefono;
};

// Slot plan of the zone records.
constexpr int NumZoneRadio = 60;
constexpr int NumZoneFilo = 9;
constexpr int NumBidirezionali = 16;
constexpr int PrimaZonaRadio = 0;
constexpr int PrimaZonaFilo = 60;
constexpr int PrimoBidirezionale = 69;
constexpr int NumZone = 85;
constexpr int NumInseritori = 16;
constexpr int NumNumTel = 8;
constexpr int NumEventiCid = 19;

struct TConfigCentrale {
    // Intestazione
    std::uint32_t CodiceCentrale;
    std::uint8_t IdCentrale;       // 164 once something is loaded; 0 = nothing loaded
    std::uint8_t VersioneCentrale; // 11 once something is loaded
    // DatiPc: kept by the PC only, never on the wire but for the clock
    TStringa<8> DataInstallazionePc;
    TStringa<8> DataUltimaModificaPc;
    TStringa<250> CommentiPc;
    std::uint8_t Pad275[5];
    double DataOraOrologio; // panel clock, days since 30/12/1899
    TStringa<15> NumTelefonoCentrale;
    // Opzioni
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
    std::uint8_t AttivaSirenaPerTecnologico_NU;
    std::uint8_t InvioSmsSpvMancataSensori;
    std::uint8_t SubSonicoPresente;
    std::uint8_t LivelloAntiAccecamento;
    // UsciteAux
    std::uint8_t AssociazioneReleAux1;
    std::uint8_t AssociazioneReleAux2;
    std::uint8_t AssociazioneReleAux3;
    std::uint8_t UscitaAux1Nc;
    std::uint8_t UscitaAux2Nc;
    std::uint8_t UscitaAux3Nc;
    std::uint8_t InvioAvvisiPerSensoriEsterni_NU;
    // Tempi
    std::uint8_t TempoUscitaSec;
    std::uint8_t TempoIngressoSec;
    std::uint8_t TempoPreallarmeSec;
    std::uint8_t TempoSuoneriaEsterniSec;
    std::uint8_t TempoSirenaSec;
    std::uint8_t MinutiPermanenzaAr;
    std::uint8_t TipoTempoSupervisione;
    // DatiSim
    TStringa<4> CodiceCentraleSms;
    std::uint8_t NumeroChiamateVoce;
    std::uint8_t NumeroRing;
    std::uint16_t CodiceTxRadio;
    std::uint16_t GiorniScadenzaSim;
    char TipoRichiestaCredito; // 'C', 'T', 'S' or 'F'
    TStringa<15> NumTelefonoCredito;
    TStringa<30> TestoSmsCredito;
    TStringa<15> NumTelefonoOperatore_NU;
    TStringa<40> TestoFissoSms;
    TStringa<5> CodeOperatoreManuale; // MCC then MNC; "00000" = none
    TStringa<16> DescrizioneMessaggio[5];
    TConfigZona Zone[NumZone];
    TConfigInseritore Inseritori[NumInseritori];
    TConfigNumTel NumTel[NumNumTel];
    // DatiContactIdGprs
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
    // DatiServer
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
    std::uint8_t Pad4683;
    std::uint16_t PortaServer1;
    TStringa<16> IndirizzoIPServer2;
    std::uint8_t Pad4703;
    std::uint16_t PortaServer2;
    TStringa<3> TabellaEventiCid1[NumEventiCid];
    TStringa<3> TabellaEventiCid2[NumEventiCid];
    std::uint8_t Pad4858[6];
};

// ---- Layout checks.
static_assert(sizeof(TStringa<8>) == 9 && sizeof(TStringa<250>) == 251 && sizeof(TCodiceRadio) == 3);
static_assert(sizeof(TConfigZona) == 40 && offsetof(TConfigZona, Descrizione) == 11 &&
              offsetof(TConfigZona, CodiceRadio) == 37 && offsetof(TConfigZona, AvvisiVocPerTecnoOExt) == 10);
static_assert(sizeof(TConfigInseritore) == 21 && offsetof(TConfigInseritore, TxAbilInvioSegnalazioni) == 17 &&
              offsetof(TConfigInseritore, CodiceRadio) == 18);
static_assert(sizeof(TConfigNumTel) == 26 && offsetof(TConfigNumTel, NumeroTelefono) == 10 &&
              offsetof(TConfigNumTel, AbilChiamataDirettaTeleAlr) == 9);
static_assert(sizeof(TConfigCentrale) == 4864);
#define VM415_AT(field, off) static_assert(offsetof(TConfigCentrale, field) == (off), #field)
VM415_AT(IdCentrale, 4);
VM415_AT(VersioneCentrale, 5);
VM415_AT(DataInstallazionePc, 6);
VM415_AT(DataUltimaModificaPc, 15);
VM415_AT(CommentiPc, 24);
VM415_AT(Pad275, 275);
VM415_AT(DataOraOrologio, 280);
VM415_AT(NumTelefonoCentrale, 288);
VM415_AT(ChimeCentraleAbilitato, 304);
VM415_AT(SimVoce, 314);
VM415_AT(LinguaCentrale, 317);
VM415_AT(AttivaSirenaPerTecnologico_NU, 319);
VM415_AT(LivelloAntiAccecamento, 322);
VM415_AT(AssociazioneReleAux1, 323);
VM415_AT(InvioAvvisiPerSensoriEsterni_NU, 329);
VM415_AT(TempoUscitaSec, 330);
VM415_AT(TipoTempoSupervisione, 336);
VM415_AT(CodiceCentraleSms, 337);
VM415_AT(NumeroChiamateVoce, 342);
VM415_AT(NumeroRing, 343);
VM415_AT(CodiceTxRadio, 344);
VM415_AT(GiorniScadenzaSim, 346);
VM415_AT(TipoRichiestaCredito, 348);
VM415_AT(NumTelefonoCredito, 349);
VM415_AT(TestoSmsCredito, 365);
VM415_AT(NumTelefonoOperatore_NU, 396);
VM415_AT(TestoFissoSms, 412);
VM415_AT(CodeOperatoreManuale, 453);
VM415_AT(DescrizioneMessaggio, 459);
VM415_AT(Zone, 544);
VM415_AT(Inseritori, 3944);
VM415_AT(NumTel, 4280);
VM415_AT(AbilContactId, 4488);
VM415_AT(MinLifeTest, 4498);
VM415_AT(CidRcvr1, 4499);
VM415_AT(CidRcvr2, 4507);
VM415_AT(CidPrefAccount1, 4515);
VM415_AT(CidPrefAccount2, 4523);
VM415_AT(CidAccount1, 4531);
VM415_AT(CidAccount2, 4549);
VM415_AT(TelVigilanza1, 4567);
VM415_AT(TelVigilanza2, 4583);
VM415_AT(APN, 4599);
VM415_AT(APNUsername, 4632);
VM415_AT(APNPassword, 4649);
VM415_AT(IndirizzoIPServer1, 4666);
VM415_AT(Pad4683, 4683);
VM415_AT(PortaServer1, 4684);
VM415_AT(IndirizzoIPServer2, 4686);
VM415_AT(Pad4703, 4703);
VM415_AT(PortaServer2, 4704);
VM415_AT(TabellaEventiCid1, 4706);
VM415_AT(TabellaEventiCid2, 4782);
VM415_AT(Pad4858, 4858);
#undef VM415_AT

constexpr std::uint8_t IdVm415 = 164;
constexpr std::uint8_t VersioneFormato11 = 11;

// The program's one image, all zero at start.
extern TConfigCentrale ConfigCentrale;

// Applies the default values to an image, then the default visibility of the main window's
// controls (when a main window is registered).
void ConfigDefault(TConfigCentrale& Config);

// ---- The main window's controls, as the configuration code reaches them. The main window
// registers itself when it exists; with none registered the calls do nothing.
class IControlliMainFrm {
public:
    virtual ~IControlliMainFrm() = default;
    virtual void ImpostaVisibile(std::string_view NomeControllo, bool Visibile) = 0;
    virtual void ImpostaAbilitato(std::string_view NomeControllo, bool Abilitato) = 0;
};
void RegistraControlliMainFrm(IControlliMainFrm* Controlli);
IControlliMainFrm* ControlliMainFrm();
