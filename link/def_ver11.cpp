#include "link/def_ver11.h"

#include "config/DataOra.h"
#include "config/GetMessage_11.h"
#include "platform/clock/Clock.h"

#include <atomic>
#include <stdexcept>
#include <string>
#include <string_view>

namespace {

// ---- Wire codings.

// Flag bit n, set when the image byte is non-zero.
std::uint8_t Bit(std::uint8_t Valore, int n) {
    return Valore != 0 ? std::uint8_t(1u << n) : 0;
}
// Flag bit n of the Contact-ID and GPRS block, set only when the image byte is exactly 1.
std::uint8_t BitSeUno(std::uint8_t Valore, int n) {
    return Valore == 1 ? std::uint8_t(1u << n) : 0;
}
std::uint8_t LeggiBit(std::uint8_t Byte, int n) {
    return std::uint8_t((Byte >> n) & 1u);
}

// A 3-bit number in bits 5-7.
std::uint8_t Alto3(std::uint8_t Valore) {
    return std::uint8_t((Valore & 7u) << 5);
}

template <std::size_t N>
void ScriviTesto(int& Idx, std::uint8_t* Buf, const TStringa<N>& Campo, int Larghezza) {
    ScriviStringa(Idx, Buf, Campo.Leggi(), Larghezza);
}
template <std::size_t N>
void LeggiTesto(int& Idx, const std::uint8_t* Buf, TStringa<N>& Campo, int Larghezza) {
    Campo.Scrivi(LeggiStringa(Idx, Buf, Larghezza));
}

void ScriviCodiceRadio(int& Idx, std::uint8_t* Buf, const TCodiceRadio& Codice) {
    for (std::uint8_t b : Codice.Byte)
        ScriviByte(Idx, Buf, b);
}
void LeggiCodiceRadio(int& Idx, const std::uint8_t* Buf, TCodiceRadio& Codice) {
    for (std::uint8_t& b : Codice.Byte)
        b = LeggiByte(Idx, Buf);
}

// Blanks and control characters at both ends go (the characters of code 32 and below).
std::string_view TagliaSpazi(std::string_view s) {
    auto spazio = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    while (!s.empty() && spazio(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && spazio(s.back()))
        s.remove_suffix(1);
    return s;
}

bool RecordNelFrame(int Idx, int Larghezza) {
    return Idx >= 0 && Idx <= int(sizeof(TFrameComunic::Dati)) - Larghezza;
}

void ControllaRecord(bool SlotValido, int Idx, int Larghezza, const char* Cosa) {
    if (!SlotValido || !RecordNelFrame(Idx, Larghezza)) throw std::out_of_range(Cosa);
}

std::atomic<FonteDataOra> fonteOraPc{nullptr};

// ---- Payloads of the single blocks.

void CodificaDatiGenerali(const TConfigCentrale& C, int& i, std::uint8_t* d) {
    ScriviDWord(i, d, C.CodiceCentrale);
    ScriviByte(i, d,
               Bit(C.ChimeCentraleAbilitato, 0) | Bit(C.InibizioneSirenaInParziale, 1) |
                   Bit(C.ZoneEsterneSuoneria_NU, 2) | Bit(C.ControlloPorteInserito, 3) |
                   Bit(C.SupervisioneSensori, 4) | Bit(C.AbilAutoEsclusLineeAperte_NU, 5) |
                   Bit(C.PercorsoInserito_NU, 6) | Bit(C.AllarmeSingoloSirena, 7));
    ScriviByte(i, d,
               Bit(C.BeepInseriti, 0) | Bit(C.InvioSmsCreditoConEiv, 1) | Bit(C.SimVoce, 2) |
                   Bit(C.SensoriEsterniInclusi, 3) | Bit(C.FlagSelezOperatoreManuale, 4) |
                   Alto3(C.LinguaCentrale));
    // Bit 1 would be AttivaSirenaPerTecnologico_NU, which the panel does not take: always 0.
    ScriviByte(i, d,
               Bit(C.AbilitaMessaggiVocaliCambioStato, 0) | Bit(C.InvioSmsSpvMancataSensori, 2) |
                   Bit(C.SubSonicoPresente, 3) | Alto3(C.LivelloAntiAccecamento));
    ScriviByte(i, d, C.AssociazioneReleAux1);
    ScriviByte(i, d, C.AssociazioneReleAux2);
    ScriviByte(i, d, C.AssociazioneReleAux3);
    ScriviByte(i, d,
               Bit(C.UscitaAux1Nc, 0) | Bit(C.UscitaAux2Nc, 1) | Bit(C.UscitaAux3Nc, 2) |
                   Bit(C.InvioAvvisiPerSensoriEsterni_NU, 3));
    ScriviByte(i, d, 0); // reserved
    ScriviByte(i, d, C.TempoUscitaSec);
    ScriviByte(i, d, C.TempoIngressoSec);
    ScriviByte(i, d, C.TempoPreallarmeSec);
    ScriviByte(i, d, C.TempoSuoneriaEsterniSec);
    ScriviByte(i, d, C.TempoSirenaSec);
    ScriviByte(i, d, C.MinutiPermanenzaAr);
    ScriviByte(i, d, C.TipoTempoSupervisione);
    ScriviTesto(i, d, C.CodiceCentraleSms, 4);
    ScriviByte(i, d, C.NumeroChiamateVoce);
    ScriviByte(i, d, C.NumeroRing);
    ScriviByte(i, d, 0); // reserved
    ScriviWord(i, d, C.CodiceTxRadio);
    ScriviWord(i, d, C.GiorniScadenzaSim);
    ScriviByte(i, d, std::uint8_t(C.TipoRichiestaCredito));
    ScriviTesto(i, d, C.NumTelefonoCredito, 15);
    ScriviTesto(i, d, C.TestoSmsCredito, 30);
    ScriviTesto(i, d, C.NumTelefonoOperatore_NU, 15);
    ScriviTesto(i, d, C.TestoFissoSms, 40);
    ScriviTesto(i, d, C.CodeOperatoreManuale, 5);
    for (const auto& m : C.DescrizioneMessaggio)
        ScriviTesto(i, d, m, 16);
}

void DecodificaDatiGenerali(TConfigCentrale& C, int& i, const std::uint8_t* d) {
    C.CodiceCentrale = LeggiDWord(i, d);
    std::uint8_t b = LeggiByte(i, d);
    C.ChimeCentraleAbilitato = LeggiBit(b, 0);
    C.InibizioneSirenaInParziale = LeggiBit(b, 1);
    C.ZoneEsterneSuoneria_NU = LeggiBit(b, 2);
    C.ControlloPorteInserito = LeggiBit(b, 3);
    C.SupervisioneSensori = LeggiBit(b, 4);
    C.AbilAutoEsclusLineeAperte_NU = LeggiBit(b, 5);
    C.PercorsoInserito_NU = LeggiBit(b, 6);
    C.AllarmeSingoloSirena = LeggiBit(b, 7);
    b = LeggiByte(i, d);
    C.BeepInseriti = LeggiBit(b, 0);
    C.InvioSmsCreditoConEiv = LeggiBit(b, 1);
    C.SimVoce = LeggiBit(b, 2);
    C.SensoriEsterniInclusi = LeggiBit(b, 3);
    C.FlagSelezOperatoreManuale = LeggiBit(b, 4);
    C.LinguaCentrale = std::uint8_t(b >> 5);
    b = LeggiByte(i, d);
    C.AbilitaMessaggiVocaliCambioStato = LeggiBit(b, 0);
    C.InvioSmsSpvMancataSensori = LeggiBit(b, 2);
    C.SubSonicoPresente = LeggiBit(b, 3);
    C.LivelloAntiAccecamento = std::uint8_t(b >> 5);
    C.AssociazioneReleAux1 = LeggiByte(i, d);
    C.AssociazioneReleAux2 = LeggiByte(i, d);
    C.AssociazioneReleAux3 = LeggiByte(i, d);
    b = LeggiByte(i, d);
    C.UscitaAux1Nc = LeggiBit(b, 0);
    C.UscitaAux2Nc = LeggiBit(b, 1);
    C.UscitaAux3Nc = LeggiBit(b, 2);
    C.InvioAvvisiPerSensoriEsterni_NU = LeggiBit(b, 3);
    LeggiByte(i, d); // reserved
    C.TempoUscitaSec = LeggiByte(i, d);
    C.TempoIngressoSec = LeggiByte(i, d);
    C.TempoPreallarmeSec = LeggiByte(i, d);
    C.TempoSuoneriaEsterniSec = LeggiByte(i, d);
    C.TempoSirenaSec = LeggiByte(i, d);
    C.MinutiPermanenzaAr = LeggiByte(i, d);
    C.TipoTempoSupervisione = LeggiByte(i, d);
    LeggiTesto(i, d, C.CodiceCentraleSms, 4);
    C.NumeroChiamateVoce = LeggiByte(i, d);
    C.NumeroRing = LeggiByte(i, d);
    LeggiByte(i, d); // reserved
    C.CodiceTxRadio = LeggiWord(i, d);
    C.GiorniScadenzaSim = LeggiWord(i, d);
    C.TipoRichiestaCredito = char(LeggiByte(i, d));
    LeggiTesto(i, d, C.NumTelefonoCredito, 15);
    LeggiTesto(i, d, C.TestoSmsCredito, 30);
    LeggiTesto(i, d, C.NumTelefonoOperatore_NU, 15);
    LeggiTesto(i, d, C.TestoFissoSms, 40);
    LeggiTesto(i, d, C.CodeOperatoreManuale, 5);
    for (auto& m : C.DescrizioneMessaggio)
        LeggiTesto(i, d, m, 16);
}

void CodificaDatiGprsCid(const TConfigCentrale& C, int& i, std::uint8_t* d) {
    ScriviByte(i, d,
               BitSeUno(C.AbilContactId, 0) | BitSeUno(C.InvioGprs, 1) | BitSeUno(C.AbilServerGprs1, 2) |
                   BitSeUno(C.AbilServerGprs2, 3) | BitSeUno(C.CidInvioLinkTest1, 4) |
                   BitSeUno(C.CidInvioLinkTest2, 5) | BitSeUno(C.CidInvioContactIdEsterni1, 6) |
                   BitSeUno(C.CidInvioContactIdEsterni2, 7));
    ScriviByte(i, d, C.GiorniLifeTest);
    ScriviByte(i, d, C.OraLifeTest);
    ScriviByte(i, d, C.MinLifeTest);
    ScriviTesto(i, d, C.CidRcvr1, 7);
    ScriviTesto(i, d, C.CidRcvr2, 7);
    ScriviTesto(i, d, C.CidPrefAccount1, 7);
    ScriviTesto(i, d, C.CidPrefAccount2, 7);
    ScriviTesto(i, d, C.CidAccount1, 17);
    ScriviTesto(i, d, C.CidAccount2, 17);
    ScriviTesto(i, d, C.TelVigilanza1, 15);
    ScriviTesto(i, d, C.TelVigilanza2, 15);
    ScriviTesto(i, d, C.APN, 32);
    ScriviTesto(i, d, C.APNUsername, 16);
    ScriviTesto(i, d, C.APNPassword, 16);
    ScriviTesto(i, d, C.IndirizzoIPServer1, 16);
    ScriviWord(i, d, C.PortaServer1);
    ScriviTesto(i, d, C.IndirizzoIPServer2, 16);
    ScriviWord(i, d, C.PortaServer2);
}

void DecodificaDatiGprsCid(TConfigCentrale& C, int& i, const std::uint8_t* d) {
    const std::uint8_t b = LeggiByte(i, d);
    C.AbilContactId = LeggiBit(b, 0);
    C.InvioGprs = LeggiBit(b, 1);
    C.AbilServerGprs1 = LeggiBit(b, 2);
    C.AbilServerGprs2 = LeggiBit(b, 3);
    C.CidInvioLinkTest1 = LeggiBit(b, 4);
    C.CidInvioLinkTest2 = LeggiBit(b, 5);
    C.CidInvioContactIdEsterni1 = LeggiBit(b, 6);
    C.CidInvioContactIdEsterni2 = LeggiBit(b, 7);
    C.GiorniLifeTest = LeggiByte(i, d);
    C.OraLifeTest = LeggiByte(i, d);
    C.MinLifeTest = LeggiByte(i, d);
    LeggiTesto(i, d, C.CidRcvr1, 7);
    LeggiTesto(i, d, C.CidRcvr2, 7);
    LeggiTesto(i, d, C.CidPrefAccount1, 7);
    LeggiTesto(i, d, C.CidPrefAccount2, 7);
    LeggiTesto(i, d, C.CidAccount1, 17);
    LeggiTesto(i, d, C.CidAccount2, 17);
    LeggiTesto(i, d, C.TelVigilanza1, 15);
    LeggiTesto(i, d, C.TelVigilanza2, 15);
    LeggiTesto(i, d, C.APN, 32);
    LeggiTesto(i, d, C.APNUsername, 16);
    LeggiTesto(i, d, C.APNPassword, 16);
    LeggiTesto(i, d, C.IndirizzoIPServer1, 16);
    C.PortaServer1 = LeggiWord(i, d);
    LeggiTesto(i, d, C.IndirizzoIPServer2, 16);
    C.PortaServer2 = LeggiWord(i, d);
}

void CodificaTabelleCid(const TConfigCentrale& C, int& i, std::uint8_t* d) {
    for (const auto& e : C.TabellaEventiCid1)
        ScriviTesto(i, d, e, 3);
    for (const auto& e : C.TabellaEventiCid2)
        ScriviTesto(i, d, e, 3);
}

void DecodificaTabelleCid(TConfigCentrale& C, int& i, const std::uint8_t* d) {
    for (auto& e : C.TabellaEventiCid1)
        LeggiTesto(i, d, e, 3);
    for (auto& e : C.TabellaEventiCid2)
        LeggiTesto(i, d, e, 3);
}

void CodificaNumTel(const TConfigCentrale& C, int& i, std::uint8_t* d) {
    for (const TConfigNumTel& n : C.NumTel) {
        ScriviByte(i, d,
                   Bit(n.AbilNumTelSms, 0) | Bit(n.AbilTxAllarmi, 1) | Bit(n.AbilTxStatoIns, 2) |
                       Bit(n.AbilTxStatoAlim, 3) | Bit(n.AbilTxPanico, 4) | Bit(n.AbilTxTeleAlr, 5) |
                       Bit(n.AbilTxSupervisione, 6));
        ScriviByte(i, d,
                   Bit(n.AbilChiamataDirettaAllarme, 0) | Bit(n.AbilChiamataDirettaPanico, 1) |
                       Bit(n.AbilChiamataDirettaTeleAlr, 2));
        const std::string numero = n.NumeroTelefono.Leggi();
        ScriviStringa(i, d, TagliaSpazi(numero), 15);
    }
}

void DecodificaNumTel(TConfigCentrale& C, int& i, const std::uint8_t* d) {
    for (TConfigNumTel& n : C.NumTel) {
        std::uint8_t b = LeggiByte(i, d);
        n.AbilNumTelSms = LeggiBit(b, 0);
        n.AbilTxAllarmi = LeggiBit(b, 1);
        n.AbilTxStatoIns = LeggiBit(b, 2);
        n.AbilTxStatoAlim = LeggiBit(b, 3);
        n.AbilTxPanico = LeggiBit(b, 4);
        n.AbilTxTeleAlr = LeggiBit(b, 5);
        n.AbilTxSupervisione = LeggiBit(b, 6);
        b = LeggiByte(i, d);
        n.AbilChiamataDirettaAllarme = LeggiBit(b, 0);
        n.AbilChiamataDirettaPanico = LeggiBit(b, 1);
        n.AbilChiamataDirettaTeleAlr = LeggiBit(b, 2);
        LeggiTesto(i, d, n.NumeroTelefono, 15);
    }
}

void DecodificaOrologio(TConfigCentrale& C, int& i, const std::uint8_t* d) {
    const int ora = LeggiByte(i, d);
    const int minuti = LeggiByte(i, d);
    const int giorno = LeggiByte(i, d);
    const int mese = LeggiByte(i, d);
    const int anno = 2000 + LeggiByte(i, d) % 100;
    double valore = 0;
    // A clock the panel reports wrongly is replaced by the PC's time; the command still succeeds.
    C.DataOraOrologio = CodificaDataOra(anno, mese, giorno, ora, minuti, 0, valore) ? valore : OraPc();
}

void DecodificaPuntatoriCoda(TCodaEventi& Coda, int& i, const std::uint8_t* d) {
    Coda.IndiceCodaInizio = LeggiByte(i, d);
    Coda.IndiceCodaFine = LeggiByte(i, d);
    Coda.DimensioneCoda = LeggiByte(i, d);
    std::uint8_t conteggio;
    if (Coda.IndiceCodaFine >= Coda.IndiceCodaInizio)
        conteggio = std::uint8_t((Coda.IndiceCodaFine - Coda.IndiceCodaInizio) % 256);
    else
        conteggio = std::uint8_t(Coda.DimensioneCoda - (Coda.IndiceCodaInizio - Coda.IndiceCodaFine) % 256);
    Coda.NumEventi = EventiMemorizzabili(conteggio);
}

void DecodificaBloccoCoda(TCodaEventi& Coda, int& i, const TFrameComunic& f) {
    const int blocco = LeggiByte(i, f.Dati);
    const int limite = EventiMemorizzabili(Coda.NumEventi);
    for (int k = 0; k < EventiPerBlocco; ++k) {
        const int slot = EventiPerBlocco * blocco + k;
        if (slot >= limite) break;
        DecodificaEvento(slot, i, f, Coda);
    }
}

void DecodificaBloccoZone(TConfigCentrale& C, int& i, const TFrameComunic& f) {
    const int blocco = LeggiByte(i, f.Dati);
    for (int k = 0; k < ZonePerBlocco; ++k) {
        const int slot = ZonePerBlocco * blocco + k;
        if (slot >= NumZone) break;
        DecodificaZona(slot, i, f, C);
    }
}

void DecodificaBloccoInseritori(TConfigCentrale& C, int& i, const TFrameComunic& f) {
    const int blocco = LeggiByte(i, f.Dati);
    for (int k = 0; k < InseritoriPerBlocco; ++k) {
        const int slot = InseritoriPerBlocco * blocco + k;
        if (slot >= NumInseritori) break;
        DecodificaInseritore(slot, i, f, C);
    }
}

// ---- The common shape of a command routine: build the request, exchange it, and turn any
// exception into a failure. Codifica writes the payload and returns false to send nothing.
template <class FCodifica>
std::uint8_t Esegui(TLinkComando& Com, std::uint8_t Comando, FCodifica&& Codifica) {
    try {
        TFrameComunic f;
        f.Comando = Comando;
        int idx = 0;
        if (!Codifica(idx, f)) return EsitoFallito;
        f.Lunghezza = std::uint8_t(idx);
        f.LunghezzaRisposta = std::uint8_t(LunghezzaRispostaComando(Comando));
        return InviaMessaggio(Com, f);
    } catch (...) {
        return EsitoFallito;
    }
}

std::uint8_t EseguiSenzaDati(TLinkComando& Com, std::uint8_t Comando) {
    return Esegui(Com, Comando, [](int&, TFrameComunic&) { return true; });
}

std::uint8_t EseguiConBlocco(TLinkComando& Com, std::uint8_t Comando, std::uint8_t Blocco) {
    return Esegui(Com, Comando, [Blocco](int& i, TFrameComunic& f) {
        ScriviByte(i, f.Dati, Blocco);
        return true;
    });
}

} // namespace

// ---- Command table.

int LunghezzaRichiestaComando(std::uint8_t Comando) {
    switch (Comando) {
    case CmdIdentificazione:
    case CmdFineComunicazione:
    case CmdLeggiDatiGenerali:
    case CmdLeggiDataOra:
    case CmdLeggiPuntatoriCoda:
    case CmdCancellaCoda:
    case CmdLeggiNumTel:
    case CmdLeggiDatiGprsCid:
    case CmdLeggiTabelleCid:
    case CmdTerminaConnessioneRemota:
        return 0;
    case CmdScriviDatiGenerali:
        return LunghezzaDatiGenerali;
    case CmdScriviDataOra:
        return LunghezzaDataOra;
    case CmdScriviNumTel:
        return LunghezzaNumTel;
    case CmdLeggiBloccoZone:
    case CmdLeggiBloccoCoda:
    case CmdLeggiBloccoInseritori:
        return 1;
    case CmdScriviBloccoZone:
        return LunghezzaBloccoZone;
    case CmdScriviBloccoInseritori:
        return LunghezzaBloccoInseritori;
    case CmdScriviDatiGprsCid:
        return LunghezzaDatiGprsCid;
    case CmdScriviTabelleCid:
        return LunghezzaTabelleCid;
    default:
        return -1; // 0, 8 (never sent), 12, 23 and above
    }
}

int LunghezzaRispostaComando(std::uint8_t Comando) {
    switch (Comando) {
    case CmdIdentificazione:
        return LunghezzaIdentificazione;
    case CmdLeggiDatiGenerali:
        return LunghezzaDatiGenerali;
    case CmdLeggiDataOra:
        return LunghezzaDataOra;
    case CmdLeggiPuntatoriCoda:
        return LunghezzaPuntatoriCoda;
    case CmdLeggiEvento:
        return LunghezzaEventoSingolo;
    case CmdLeggiNumTel:
        return LunghezzaNumTel;
    case CmdLeggiBloccoZone:
        return LunghezzaBloccoZone;
    case CmdLeggiBloccoCoda:
        return LunghezzaBloccoCoda;
    case CmdLeggiBloccoInseritori:
        return LunghezzaBloccoInseritori;
    case CmdLeggiDatiGprsCid:
        return LunghezzaDatiGprsCid;
    case CmdLeggiTabelleCid:
        return LunghezzaTabelleCid;
    case CmdFineComunicazione:
    case CmdScriviDatiGenerali:
    case CmdScriviDataOra:
    case CmdCancellaCoda:
    case CmdScriviNumTel:
    case CmdScriviBloccoZone:
    case CmdScriviBloccoInseritori:
    case CmdScriviDatiGprsCid:
    case CmdScriviTabelleCid:
    case CmdTerminaConnessioneRemota:
        return 0;
    default:
        return -1;
    }
}

// ---- The PC's clock.

void ImpostaOrologioPc(FonteDataOra Fonte) {
    fonteOraPc.store(Fonte);
}

double OraPc() {
    const FonteDataOra f = fonteOraPc.load();
    return f != nullptr ? f() : platform::NowDateTime();
}

// ---- Record codecs.

std::uint8_t CodificaZona(int Zona, int& Idx, TFrameComunic& Frame, const TConfigCentrale& Config) {
    try {
        if (Zona < 0 || Zona >= NumZone || !RecordNelFrame(Idx, LunghezzaRecordZona)) return EsitoFallito;
        const TConfigZona& z = Config.Zone[Zona];
        std::uint8_t* d = Frame.Dati;
        ScriviByte(Idx, d,
                   Bit(z.Attiva, 0) | Bit(z.Ritardata, 1) | Bit(z.AlertZona, 2) | Bit(z.SingoloContatto, 3) |
                       std::uint8_t((z.TipoSensore & 3u) << 4) | Bit(z.TecnologicoZona, 6) |
                       Bit(z.ChimeVocale, 7));
        ScriviByte(Idx, d,
                   Bit(z.SirenaPerTecnoOExt, 0) | Bit(z.SuoneriaPerTecnoOExt, 1) |
                       Bit(z.AvvisiSmsPerTecnoOExt, 2) | Bit(z.AvvisiVocPerTecnoOExt, 3));
        ScriviCodiceRadio(Idx, d, z.CodiceRadio);
        ScriviTesto(Idx, d, z.Descrizione, 25);
        return EsitoOk;
    } catch (...) {
        return EsitoFallito;
    }
}

void DecodificaZona(int Zona, int& Idx, const TFrameComunic& Frame, TConfigCentrale& Config) {
    ControllaRecord(Zona >= 0 && Zona < NumZone, Idx, LunghezzaRecordZona, "zone record");
    TConfigZona& z = Config.Zone[Zona];
    const std::uint8_t* d = Frame.Dati;
    std::uint8_t b = LeggiByte(Idx, d);
    z.Attiva = LeggiBit(b, 0);
    z.Ritardata = LeggiBit(b, 1);
    z.AlertZona = LeggiBit(b, 2);
    z.SingoloContatto = LeggiBit(b, 3);
    z.TipoSensore = std::uint8_t((b >> 4) & 3u);
    z.TecnologicoZona = LeggiBit(b, 6);
    z.ChimeVocale = LeggiBit(b, 7);
    b = LeggiByte(Idx, d);
    z.SirenaPerTecnoOExt = LeggiBit(b, 0);
    z.SuoneriaPerTecnoOExt = LeggiBit(b, 1);
    z.AvvisiSmsPerTecnoOExt = LeggiBit(b, 2);
    z.AvvisiVocPerTecnoOExt = LeggiBit(b, 3);
    LeggiCodiceRadio(Idx, d, z.CodiceRadio);
    LeggiTesto(Idx, d, z.Descrizione, 25);
}

std::uint8_t CodificaInseritore(int Inseritore, int& Idx, TFrameComunic& Frame,
                                const TConfigCentrale& Config) {
    try {
        if (Inseritore < 0 || Inseritore >= NumInseritori || !RecordNelFrame(Idx, LunghezzaRecordInseritore))
            return EsitoFallito;
        const TConfigInseritore& k = Config.Inseritori[Inseritore];
        std::uint8_t* d = Frame.Dati;
        ScriviByte(Idx, d, Bit(k.TxAbilInvioSegnalazioni, 0));
        ScriviByte(Idx, d, 0); // reserved
        ScriviCodiceRadio(Idx, d, k.CodiceRadio);
        ScriviTesto(Idx, d, k.Descrizione, 16);
        return EsitoOk;
    } catch (...) {
        return EsitoFallito;
    }
}

void DecodificaInseritore(int Inseritore, int& Idx, const TFrameComunic& Frame, TConfigCentrale& Config) {
    ControllaRecord(Inseritore >= 0 && Inseritore < NumInseritori, Idx, LunghezzaRecordInseritore,
                    "keypad record");
    TConfigInseritore& k = Config.Inseritori[Inseritore];
    const std::uint8_t* d = Frame.Dati;
    k.TxAbilInvioSegnalazioni = LeggiBit(LeggiByte(Idx, d), 0);
    LeggiByte(Idx, d); // reserved
    LeggiCodiceRadio(Idx, d, k.CodiceRadio);
    LeggiTesto(Idx, d, k.Descrizione, 16);
}

void DecodificaEvento(int Evento, int& Idx, const TFrameComunic& Frame, TCodaEventi& Coda) {
    ControllaRecord(Evento >= 0 && Evento < MaxEventiCoda, Idx, LunghezzaRecordEvento, "event record");
    TEventoCoda& e = Coda.Eventi[Evento];
    const std::uint8_t* d = Frame.Dati;
    e.Tipo = LeggiByte(Idx, d);
    e.Descrittore = LeggiByte(Idx, d);
    const int ora = LeggiByte(Idx, d);
    const int minuti = LeggiByte(Idx, d);
    const int secondi = LeggiByte(Idx, d);
    const int giorno = LeggiByte(Idx, d);
    const int mese = LeggiByte(Idx, d);
    const int anno = 2000 + LeggiByte(Idx, d) % 100;
    double valore = 0;
    // Out-of-range parts and impossible dates (31/04, 29/02 of a common year) alike give 0.
    e.DataOra = CodificaDataOra(anno, mese, giorno, ora, minuti, secondi, valore) ? valore : 0.0;
}

// ---- Transaction and reply decoder.

std::uint8_t InviaMessaggio(TLinkComando& Com, const TFrameComunic& Richiesta) {
    const TFrameComunic copia = Richiesta;
    TLinkComando* link = &Com;
    if (TLinkRemoto* remoto = LinkRemoto(); remoto != nullptr && remoto->Connesso()) link = remoto;
    const std::uint8_t esito = link->InviaComando(copia);
    if (esito != EsitoOk) return esito;
    TFrameComunic risposta;
    link->CopiaRisposta(risposta);
    // A link that calls a reply of another command or length a success would have the decoder
    // store the wrong bytes: count it as a failure instead.
    if (risposta.Comando != copia.Comando || risposta.Lunghezza != copia.LunghezzaRisposta)
        return EsitoFallito;
    DecodificaRisposta(risposta);
    return esito;
}

void DecodificaRisposta(const TFrameComunic& Risposta) {
    DecodificaRisposta(Risposta, ConfigCentrale, CodaEventiCorrente());
}

void DecodificaRisposta(const TFrameComunic& Risposta, TConfigCentrale& Config, TCodaEventi* Coda) {
    const int attesa = LunghezzaRispostaComando(Risposta.Comando);
    // Only a reply of exactly its command's length is decoded: a shorter one would be read
    // from stale bytes past its end.
    if (attesa <= 0 || Risposta.Lunghezza != attesa) return;
    int i = 0;
    const std::uint8_t* d = Risposta.Dati;
    switch (Risposta.Comando) {
    case CmdIdentificazione:
        IdCentraleRx = LeggiByte(i, d);
        VersioneCentraleRx = LeggiByte(i, d);
        AbilComCentraleRx = LeggiByte(i, d);
        break;
    case CmdLeggiDatiGenerali:
        DecodificaDatiGenerali(Config, i, d);
        break;
    case CmdLeggiDataOra:
        DecodificaOrologio(Config, i, d);
        break;
    case CmdLeggiPuntatoriCoda:
        if (Coda != nullptr) DecodificaPuntatoriCoda(*Coda, i, d);
        break;
    case CmdLeggiEvento:
        if (Coda != nullptr) {
            const int indice = LeggiByte(i, d);
            if (indice < 100) DecodificaEvento(indice, i, Risposta, *Coda);
        }
        break;
    case CmdLeggiNumTel:
        DecodificaNumTel(Config, i, d);
        break;
    case CmdLeggiBloccoZone:
        DecodificaBloccoZone(Config, i, Risposta);
        break;
    case CmdLeggiBloccoCoda:
        if (Coda != nullptr) DecodificaBloccoCoda(*Coda, i, Risposta);
        break;
    case CmdLeggiBloccoInseritori:
        DecodificaBloccoInseritori(Config, i, Risposta);
        break;
    case CmdLeggiDatiGprsCid:
        DecodificaDatiGprsCid(Config, i, d);
        break;
    case CmdLeggiTabelleCid:
        DecodificaTabelleCid(Config, i, d);
        break;
    default:
        break; // acknowledgements and codes above 20 carry nothing to store
    }
}

// ---- Command routines.

std::uint8_t RichiediIdentificazione(TLinkComando& Com) {
    return EseguiSenzaDati(Com, CmdIdentificazione);
}
std::uint8_t FineComunicazione(TLinkComando& Com) {
    return EseguiSenzaDati(Com, CmdFineComunicazione);
}
std::uint8_t LeggiDatiGenerali(TLinkComando& Com) {
    return EseguiSenzaDati(Com, CmdLeggiDatiGenerali);
}
std::uint8_t LeggiDataOra(TLinkComando& Com) {
    return EseguiSenzaDati(Com, CmdLeggiDataOra);
}
std::uint8_t LeggiPuntatoriCoda(TLinkComando& Com) {
    return EseguiSenzaDati(Com, CmdLeggiPuntatoriCoda);
}
std::uint8_t CancellaCoda(TLinkComando& Com) {
    return EseguiSenzaDati(Com, CmdCancellaCoda);
}
std::uint8_t LeggiNumTel(TLinkComando& Com) {
    return EseguiSenzaDati(Com, CmdLeggiNumTel);
}
std::uint8_t LeggiDatiGprsCid(TLinkComando& Com) {
    return EseguiSenzaDati(Com, CmdLeggiDatiGprsCid);
}
std::uint8_t LeggiTabelleCid(TLinkComando& Com) {
    return EseguiSenzaDati(Com, CmdLeggiTabelleCid);
}
std::uint8_t TerminaConnessioneRemota(TLinkComando& Com) {
    return EseguiSenzaDati(Com, CmdTerminaConnessioneRemota);
}

std::uint8_t LeggiBloccoZone(TLinkComando& Com, std::uint8_t Blocco) {
    return EseguiConBlocco(Com, CmdLeggiBloccoZone, Blocco);
}
std::uint8_t LeggiBloccoCoda(TLinkComando& Com, std::uint8_t Blocco) {
    return EseguiConBlocco(Com, CmdLeggiBloccoCoda, Blocco);
}
std::uint8_t LeggiBloccoInseritori(TLinkComando& Com, std::uint8_t Blocco) {
    return EseguiConBlocco(Com, CmdLeggiBloccoInseritori, Blocco);
}

std::uint8_t ScriviDatiGenerali(TLinkComando& Com) {
    return Esegui(Com, CmdScriviDatiGenerali, [](int& i, TFrameComunic& f) {
        CodificaDatiGenerali(ConfigCentrale, i, f.Dati);
        return true;
    });
}

std::uint8_t ScriviDataOra(TLinkComando& Com) {
    return Esegui(Com, CmdScriviDataOra, [](int& i, TFrameComunic& f) {
        ConfigCentrale.DataOraOrologio = OraPc();
        const TDataOraScomposta t = DecodificaDataOra(ConfigCentrale.DataOraOrologio);
        ScriviByte(i, f.Dati, std::uint8_t(t.Ora));
        ScriviByte(i, f.Dati, std::uint8_t(t.Minuti));
        ScriviByte(i, f.Dati, std::uint8_t(t.Giorno));
        ScriviByte(i, f.Dati, std::uint8_t(t.Mese));
        ScriviByte(i, f.Dati, std::uint8_t(t.Anno % 100));
        return true;
    });
}

std::uint8_t ScriviNumTel(TLinkComando& Com) {
    return Esegui(Com, CmdScriviNumTel, [](int& i, TFrameComunic& f) {
        CodificaNumTel(ConfigCentrale, i, f.Dati);
        return true;
    });
}

std::uint8_t ScriviBloccoZone(TLinkComando& Com, std::uint8_t Blocco) {
    return Esegui(Com, CmdScriviBloccoZone, [Blocco](int& i, TFrameComunic& f) {
        ScriviByte(i, f.Dati, Blocco);
        for (int k = 0; k < ZonePerBlocco; ++k) {
            const int slot = ZonePerBlocco * Blocco + k;
            if (slot >= NumZone)
                for (int j = 0; j < LunghezzaRecordZona; ++j)
                    ScriviByte(i, f.Dati, 0);
            else if (CodificaZona(slot, i, f) != EsitoOk)
                return false;
        }
        return true;
    });
}

std::uint8_t ScriviBloccoInseritori(TLinkComando& Com, std::uint8_t Blocco) {
    return Esegui(Com, CmdScriviBloccoInseritori, [Blocco](int& i, TFrameComunic& f) {
        ScriviByte(i, f.Dati, Blocco);
        for (int k = 0; k < InseritoriPerBlocco; ++k) {
            const int slot = InseritoriPerBlocco * Blocco + k;
            if (slot >= NumInseritori)
                for (int j = 0; j < LunghezzaRecordInseritore; ++j)
                    ScriviByte(i, f.Dati, 0);
            else if (CodificaInseritore(slot, i, f) != EsitoOk)
                return false;
        }
        return true;
    });
}

std::uint8_t ScriviDatiGprsCid(TLinkComando& Com) {
    return Esegui(Com, CmdScriviDatiGprsCid, [](int& i, TFrameComunic& f) {
        CodificaDatiGprsCid(ConfigCentrale, i, f.Dati);
        return true;
    });
}

std::uint8_t ScriviTabelleCid(TLinkComando& Com) {
    return Esegui(Com, CmdScriviTabelleCid, [](int& i, TFrameComunic& f) {
        CodificaTabelleCid(ConfigCentrale, i, f.Dati);
        return true;
    });
}
