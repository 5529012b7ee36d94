#include "link/def_ver11.h"

#include "config/DataOra.h"
#include "config/GetMessage_11.h"
#include "platform/clock/Clock.h"
#include "platform/diag/Diagnostica.h"

#include <algorithm>
#include <atomic>
#include <limits>
#include <span>
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

template <std::size_t N> void ScriviTesto(TCursoreScrittura& c, const TStringa<N>& Campo, int Larghezza) {
    ScriviStringa(c, Campo.Leggi(), Larghezza);
}
template <std::size_t N> void LeggiTesto(TCursoreLettura& c, TStringa<N>& Campo, int Larghezza) {
    Campo.Scrivi(LeggiStringa(c, Larghezza));
}

void ScriviCodiceRadio(TCursoreScrittura& c, const TCodiceRadio& Codice) {
    for (std::uint8_t b : Codice.Byte)
        ScriviByte(c, b);
}
void LeggiCodiceRadio(TCursoreLettura& c, TCodiceRadio& Codice) {
    for (std::uint8_t& b : Codice.Byte)
        b = LeggiByte(c);
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

std::atomic<FonteDataOra> fonteOraPc{nullptr};

// ---- Payloads of the single blocks.

void CodificaDatiGenerali(const TConfigCentrale& C, TCursoreScrittura& c) {
    ScriviDWord(c, C.CodiceCentrale);
    ScriviByte(c, Bit(C.ChimeCentraleAbilitato, 0) | Bit(C.InibizioneSirenaInParziale, 1) |
                      Bit(C.ZoneEsterneSuoneria_NU, 2) | Bit(C.ControlloPorteInserito, 3) |
                      Bit(C.SupervisioneSensori, 4) | Bit(C.AbilAutoEsclusLineeAperte_NU, 5) |
                      Bit(C.PercorsoInserito_NU, 6) | Bit(C.AllarmeSingoloSirena, 7));
    ScriviByte(c, Bit(C.BeepInseriti, 0) | Bit(C.InvioSmsCreditoConEiv, 1) | Bit(C.SimVoce, 2) |
                      Bit(C.SensoriEsterniInclusi, 3) | Bit(C.FlagSelezOperatoreManuale, 4) |
                      Alto3(C.LinguaCentrale));
    // Bit 1 would be AttivaSirenaPerTecnologico_NU, which the panel does not take: always 0.
    ScriviByte(c, Bit(C.AbilitaMessaggiVocaliCambioStato, 0) | Bit(C.InvioSmsSpvMancataSensori, 2) |
                      Bit(C.SubSonicoPresente, 3) | Alto3(C.LivelloAntiAccecamento));
    ScriviByte(c, C.AssociazioneReleAux1);
    ScriviByte(c, C.AssociazioneReleAux2);
    ScriviByte(c, C.AssociazioneReleAux3);
    ScriviByte(c, Bit(C.UscitaAux1Nc, 0) | Bit(C.UscitaAux2Nc, 1) | Bit(C.UscitaAux3Nc, 2) |
                      Bit(C.InvioAvvisiPerSensoriEsterni_NU, 3));
    ScriviByte(c, 0); // reserved
    ScriviByte(c, C.TempoUscitaSec);
    ScriviByte(c, C.TempoIngressoSec);
    ScriviByte(c, C.TempoPreallarmeSec);
    ScriviByte(c, C.TempoSuoneriaEsterniSec);
    ScriviByte(c, C.TempoSirenaSec);
    ScriviByte(c, C.MinutiPermanenzaAr);
    ScriviByte(c, C.TipoTempoSupervisione);
    ScriviTesto(c, C.CodiceCentraleSms, 4);
    ScriviByte(c, C.NumeroChiamateVoce);
    ScriviByte(c, C.NumeroRing);
    ScriviByte(c, 0); // reserved
    ScriviWord(c, C.CodiceTxRadio);
    ScriviWord(c, C.GiorniScadenzaSim);
    ScriviByte(c, std::uint8_t(C.TipoRichiestaCredito));
    ScriviTesto(c, C.NumTelefonoCredito, 15);
    ScriviTesto(c, C.TestoSmsCredito, 30);
    ScriviTesto(c, C.NumTelefonoOperatore_NU, 15);
    ScriviTesto(c, C.TestoFissoSms, 40);
    ScriviTesto(c, C.CodeOperatoreManuale, 5);
    for (const auto& m : C.DescrizioneMessaggio)
        ScriviTesto(c, m, 16);
}

void DecodificaDatiGenerali(TConfigCentrale& C, TCursoreLettura& c) {
    C.CodiceCentrale = LeggiDWord(c);
    std::uint8_t b = LeggiByte(c);
    C.ChimeCentraleAbilitato = LeggiBit(b, 0);
    C.InibizioneSirenaInParziale = LeggiBit(b, 1);
    C.ZoneEsterneSuoneria_NU = LeggiBit(b, 2);
    C.ControlloPorteInserito = LeggiBit(b, 3);
    C.SupervisioneSensori = LeggiBit(b, 4);
    C.AbilAutoEsclusLineeAperte_NU = LeggiBit(b, 5);
    C.PercorsoInserito_NU = LeggiBit(b, 6);
    C.AllarmeSingoloSirena = LeggiBit(b, 7);
    b = LeggiByte(c);
    C.BeepInseriti = LeggiBit(b, 0);
    C.InvioSmsCreditoConEiv = LeggiBit(b, 1);
    C.SimVoce = LeggiBit(b, 2);
    C.SensoriEsterniInclusi = LeggiBit(b, 3);
    C.FlagSelezOperatoreManuale = LeggiBit(b, 4);
    C.LinguaCentrale = std::uint8_t(b >> 5);
    b = LeggiByte(c);
    C.AbilitaMessaggiVocaliCambioStato = LeggiBit(b, 0);
    C.InvioSmsSpvMancataSensori = LeggiBit(b, 2);
    C.SubSonicoPresente = LeggiBit(b, 3);
    C.LivelloAntiAccecamento = std::uint8_t(b >> 5);
    C.AssociazioneReleAux1 = LeggiByte(c);
    C.AssociazioneReleAux2 = LeggiByte(c);
    C.AssociazioneReleAux3 = LeggiByte(c);
    b = LeggiByte(c);
    C.UscitaAux1Nc = LeggiBit(b, 0);
    C.UscitaAux2Nc = LeggiBit(b, 1);
    C.UscitaAux3Nc = LeggiBit(b, 2);
    C.InvioAvvisiPerSensoriEsterni_NU = LeggiBit(b, 3);
    LeggiByte(c); // reserved
    C.TempoUscitaSec = LeggiByte(c);
    C.TempoIngressoSec = LeggiByte(c);
    C.TempoPreallarmeSec = LeggiByte(c);
    C.TempoSuoneriaEsterniSec = LeggiByte(c);
    C.TempoSirenaSec = LeggiByte(c);
    C.MinutiPermanenzaAr = LeggiByte(c);
    C.TipoTempoSupervisione = LeggiByte(c);
    LeggiTesto(c, C.CodiceCentraleSms, 4);
    C.NumeroChiamateVoce = LeggiByte(c);
    C.NumeroRing = LeggiByte(c);
    LeggiByte(c); // reserved
    C.CodiceTxRadio = LeggiWord(c);
    C.GiorniScadenzaSim = LeggiWord(c);
    C.TipoRichiestaCredito = char(LeggiByte(c));
    LeggiTesto(c, C.NumTelefonoCredito, 15);
    LeggiTesto(c, C.TestoSmsCredito, 30);
    LeggiTesto(c, C.NumTelefonoOperatore_NU, 15);
    LeggiTesto(c, C.TestoFissoSms, 40);
    LeggiTesto(c, C.CodeOperatoreManuale, 5);
    for (auto& m : C.DescrizioneMessaggio)
        LeggiTesto(c, m, 16);
}

void CodificaDatiGprsCid(const TConfigCentrale& C, TCursoreScrittura& c) {
    ScriviByte(c, BitSeUno(C.AbilContactId, 0) | BitSeUno(C.InvioGprs, 1) | BitSeUno(C.AbilServerGprs1, 2) |
                      BitSeUno(C.AbilServerGprs2, 3) | BitSeUno(C.CidInvioLinkTest1, 4) |
                      BitSeUno(C.CidInvioLinkTest2, 5) | BitSeUno(C.CidInvioContactIdEsterni1, 6) |
                      BitSeUno(C.CidInvioContactIdEsterni2, 7));
    ScriviByte(c, C.GiorniLifeTest);
    ScriviByte(c, C.OraLifeTest);
    ScriviByte(c, C.MinLifeTest);
    ScriviTesto(c, C.CidRcvr1, 7);
    ScriviTesto(c, C.CidRcvr2, 7);
    ScriviTesto(c, C.CidPrefAccount1, 7);
    ScriviTesto(c, C.CidPrefAccount2, 7);
    ScriviTesto(c, C.CidAccount1, 17);
    ScriviTesto(c, C.CidAccount2, 17);
    ScriviTesto(c, C.TelVigilanza1, 15);
    ScriviTesto(c, C.TelVigilanza2, 15);
    ScriviTesto(c, C.APN, 32);
    ScriviTesto(c, C.APNUsername, 16);
    ScriviTesto(c, C.APNPassword, 16);
    ScriviTesto(c, C.IndirizzoIPServer1, 16);
    ScriviWord(c, C.PortaServer1);
    ScriviTesto(c, C.IndirizzoIPServer2, 16);
    ScriviWord(c, C.PortaServer2);
}

void DecodificaDatiGprsCid(TConfigCentrale& C, TCursoreLettura& c) {
    const std::uint8_t b = LeggiByte(c);
    C.AbilContactId = LeggiBit(b, 0);
    C.InvioGprs = LeggiBit(b, 1);
    C.AbilServerGprs1 = LeggiBit(b, 2);
    C.AbilServerGprs2 = LeggiBit(b, 3);
    C.CidInvioLinkTest1 = LeggiBit(b, 4);
    C.CidInvioLinkTest2 = LeggiBit(b, 5);
    C.CidInvioContactIdEsterni1 = LeggiBit(b, 6);
    C.CidInvioContactIdEsterni2 = LeggiBit(b, 7);
    C.GiorniLifeTest = LeggiByte(c);
    C.OraLifeTest = LeggiByte(c);
    C.MinLifeTest = LeggiByte(c);
    LeggiTesto(c, C.CidRcvr1, 7);
    LeggiTesto(c, C.CidRcvr2, 7);
    LeggiTesto(c, C.CidPrefAccount1, 7);
    LeggiTesto(c, C.CidPrefAccount2, 7);
    LeggiTesto(c, C.CidAccount1, 17);
    LeggiTesto(c, C.CidAccount2, 17);
    LeggiTesto(c, C.TelVigilanza1, 15);
    LeggiTesto(c, C.TelVigilanza2, 15);
    LeggiTesto(c, C.APN, 32);
    LeggiTesto(c, C.APNUsername, 16);
    LeggiTesto(c, C.APNPassword, 16);
    LeggiTesto(c, C.IndirizzoIPServer1, 16);
    C.PortaServer1 = LeggiWord(c);
    LeggiTesto(c, C.IndirizzoIPServer2, 16);
    C.PortaServer2 = LeggiWord(c);
}

void CodificaTabelleCid(const TConfigCentrale& C, TCursoreScrittura& c) {
    for (const auto& e : C.TabellaEventiCid1)
        ScriviTesto(c, e, 3);
    for (const auto& e : C.TabellaEventiCid2)
        ScriviTesto(c, e, 3);
}

void DecodificaTabelleCid(TConfigCentrale& C, TCursoreLettura& c) {
    for (auto& e : C.TabellaEventiCid1)
        LeggiTesto(c, e, 3);
    for (auto& e : C.TabellaEventiCid2)
        LeggiTesto(c, e, 3);
}

void CodificaNumTel(const TConfigCentrale& C, TCursoreScrittura& c) {
    for (const TConfigNumTel& n : C.NumTel) {
        ScriviByte(c, Bit(n.AbilNumTelSms, 0) | Bit(n.AbilTxAllarmi, 1) | Bit(n.AbilTxStatoIns, 2) |
                          Bit(n.AbilTxStatoAlim, 3) | Bit(n.AbilTxPanico, 4) | Bit(n.AbilTxTeleAlr, 5) |
                          Bit(n.AbilTxSupervisione, 6));
        ScriviByte(c, Bit(n.AbilChiamataDirettaAllarme, 0) | Bit(n.AbilChiamataDirettaPanico, 1) |
                          Bit(n.AbilChiamataDirettaTeleAlr, 2));
        const std::string numero = n.NumeroTelefono.Leggi();
        ScriviStringa(c, TagliaSpazi(numero), 15);
    }
}

void DecodificaNumTel(TConfigCentrale& C, TCursoreLettura& c) {
    for (TConfigNumTel& n : C.NumTel) {
        std::uint8_t b = LeggiByte(c);
        n.AbilNumTelSms = LeggiBit(b, 0);
        n.AbilTxAllarmi = LeggiBit(b, 1);
        n.AbilTxStatoIns = LeggiBit(b, 2);
        n.AbilTxStatoAlim = LeggiBit(b, 3);
        n.AbilTxPanico = LeggiBit(b, 4);
        n.AbilTxTeleAlr = LeggiBit(b, 5);
        n.AbilTxSupervisione = LeggiBit(b, 6);
        b = LeggiByte(c);
        n.AbilChiamataDirettaAllarme = LeggiBit(b, 0);
        n.AbilChiamataDirettaPanico = LeggiBit(b, 1);
        n.AbilChiamataDirettaTeleAlr = LeggiBit(b, 2);
        LeggiTesto(c, n.NumeroTelefono, 15);
    }
}

void DecodificaOrologio(TConfigCentrale& C, TCursoreLettura& c) {
    const int ora = LeggiByte(c);
    const int minuti = LeggiByte(c);
    const int giorno = LeggiByte(c);
    const int mese = LeggiByte(c);
    const int anno = 2000 + LeggiByte(c) % 100;
    double valore = 0;
    // A clock the panel reports wrongly is replaced by the PC's time; the command still succeeds.
    C.DataOraOrologio = CodificaDataOra(anno, mese, giorno, ora, minuti, 0, valore) ? valore : OraPc();
}

void DecodificaPuntatoriCoda(TCodaEventi& Coda, TCursoreLettura& c) {
    Coda.IndiceCodaInizio = LeggiByte(c);
    Coda.IndiceCodaFine = LeggiByte(c);
    Coda.DimensioneCoda = LeggiByte(c);
    std::uint8_t conteggio;
    if (Coda.IndiceCodaFine >= Coda.IndiceCodaInizio)
        conteggio = std::uint8_t((Coda.IndiceCodaFine - Coda.IndiceCodaInizio) % 256);
    else
        conteggio = std::uint8_t(Coda.DimensioneCoda - (Coda.IndiceCodaInizio - Coda.IndiceCodaFine) % 256);
    Coda.NumEventi = EventiMemorizzabili(conteggio);
}

// ---- The repeated records. Each is coded through a cursor over its own width only, so a record
// that does not fit is refused before any of its bytes or fields change.

void ScriviZona(TCursoreScrittura& c, const TConfigZona& z) {
    TCursoreScrittura r = c.Record(LunghezzaRecordZona);
    ScriviByte(r, Bit(z.Attiva, 0) | Bit(z.Ritardata, 1) | Bit(z.AlertZona, 2) | Bit(z.SingoloContatto, 3) |
                      std::uint8_t((z.TipoSensore & 3u) << 4) | Bit(z.TecnologicoZona, 6) |
                      Bit(z.ChimeVocale, 7));
    ScriviByte(r, Bit(z.SirenaPerTecnoOExt, 0) | Bit(z.SuoneriaPerTecnoOExt, 1) |
                      Bit(z.AvvisiSmsPerTecnoOExt, 2) | Bit(z.AvvisiVocPerTecnoOExt, 3));
    ScriviCodiceRadio(r, z.CodiceRadio);
    ScriviTesto(r, z.Descrizione, 25);
}

void LeggiZona(TCursoreLettura& c, TConfigZona& z) {
    TCursoreLettura r = c.Record(LunghezzaRecordZona);
    std::uint8_t b = LeggiByte(r);
    z.Attiva = LeggiBit(b, 0);
    z.Ritardata = LeggiBit(b, 1);
    z.AlertZona = LeggiBit(b, 2);
    z.SingoloContatto = LeggiBit(b, 3);
    z.TipoSensore = std::uint8_t((b >> 4) & 3u);
    z.TecnologicoZona = LeggiBit(b, 6);
    z.ChimeVocale = LeggiBit(b, 7);
    b = LeggiByte(r);
    z.SirenaPerTecnoOExt = LeggiBit(b, 0);
    z.SuoneriaPerTecnoOExt = LeggiBit(b, 1);
    z.AvvisiSmsPerTecnoOExt = LeggiBit(b, 2);
    z.AvvisiVocPerTecnoOExt = LeggiBit(b, 3);
    LeggiCodiceRadio(r, z.CodiceRadio);
    LeggiTesto(r, z.Descrizione, 25);
}

void ScriviInseritore(TCursoreScrittura& c, const TConfigInseritore& k) {
    TCursoreScrittura r = c.Record(LunghezzaRecordInseritore);
    ScriviByte(r, Bit(k.TxAbilInvioSegnalazioni, 0));
    ScriviByte(r, 0); // reserved
    ScriviCodiceRadio(r, k.CodiceRadio);
    ScriviTesto(r, k.Descrizione, 16);
}

void LeggiInseritore(TCursoreLettura& c, TConfigInseritore& k) {
    TCursoreLettura r = c.Record(LunghezzaRecordInseritore);
    k.TxAbilInvioSegnalazioni = LeggiBit(LeggiByte(r), 0);
    LeggiByte(r); // reserved
    LeggiCodiceRadio(r, k.CodiceRadio);
    LeggiTesto(r, k.Descrizione, 16);
}

void LeggiEvento(TCursoreLettura& c, TEventoCoda& e) {
    TCursoreLettura r = c.Record(LunghezzaRecordEvento);
    e.Tipo = LeggiByte(r);
    e.Descrittore = LeggiByte(r);
    const int ora = LeggiByte(r);
    const int minuti = LeggiByte(r);
    const int secondi = LeggiByte(r);
    const int giorno = LeggiByte(r);
    const int mese = LeggiByte(r);
    const int anno = 2000 + LeggiByte(r) % 100;
    double valore = 0;
    // Out-of-range parts and impossible dates (31/04, 29/02 of a common year) alike give 0.
    e.DataOra = CodificaDataOra(anno, mese, giorno, ora, minuti, secondi, valore) ? valore : 0.0;
}

void DecodificaBloccoCoda(TCodaEventi& Coda, TCursoreLettura& c) {
    const int blocco = LeggiByte(c);
    const int limite = EventiMemorizzabili(Coda.NumEventi);
    for (int k = 0; k < EventiPerBlocco; ++k) {
        const int slot = EventiPerBlocco * blocco + k;
        if (slot >= limite) break;
        LeggiEvento(c, Coda.Eventi[slot]);
    }
}

void DecodificaBloccoZone(TConfigCentrale& C, TCursoreLettura& c) {
    const int blocco = LeggiByte(c);
    for (int k = 0; k < ZonePerBlocco; ++k) {
        const int slot = ZonePerBlocco * blocco + k;
        if (slot >= NumZone) break;
        LeggiZona(c, C.Zone[slot]);
    }
}

void DecodificaBloccoInseritori(TConfigCentrale& C, TCursoreLettura& c) {
    const int blocco = LeggiByte(c);
    for (int k = 0; k < InseritoriPerBlocco; ++k) {
        const int slot = InseritoriPerBlocco * blocco + k;
        if (slot >= NumInseritori) break;
        LeggiInseritore(c, C.Inseritori[slot]);
    }
}

// ---- The common shape of a command routine: build the request, exchange it, and turn any
// exception into a failure. Codifica writes the payload through the cursor.
template <class FCodifica>
std::uint8_t Esegui(TLinkComando& Com, std::uint8_t Comando, FCodifica&& Codifica) {
    try {
        TFrameComunic f;
        f.Comando = Comando;
        // No more data than the frame's length byte can count.
        TCursoreScrittura c(std::span(f.Dati, std::numeric_limits<decltype(f.Lunghezza)>::max()));
        Codifica(c);
        f.Lunghezza = std::uint8_t(c.Posizione());
        f.LunghezzaRisposta = std::uint8_t(LunghezzaRispostaComando(Comando));
        return InviaMessaggio(Com, f);
    } catch (...) {
        // The caller sees only the failure; the log keeps why.
        platform::Diagnostica("def_ver11", "command " + std::to_string(Comando) +
                                               " failed: " + platform::MotivoEccezione());
        return EsitoFallito;
    }
}

std::uint8_t EseguiSenzaDati(TLinkComando& Com, std::uint8_t Comando) {
    return Esegui(Com, Comando, [](TCursoreScrittura&) {});
}

std::uint8_t EseguiConBlocco(TLinkComando& Com, std::uint8_t Comando, std::uint8_t Blocco) {
    return Esegui(Com, Comando, [Blocco](TCursoreScrittura& c) { ScriviByte(c, Blocco); });
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
    if (Zona < 0 || Zona >= NumZone) return EsitoFallito;
    try {
        TCursoreScrittura c(Frame.Dati, Idx);
        ScriviZona(c, Config.Zone[Zona]);
        Idx = c.Posizione();
        return EsitoOk;
    } catch (const EFuoriFrame&) {
        return EsitoFallito;
    }
}

void DecodificaZona(int Zona, int& Idx, const TFrameComunic& Frame, TConfigCentrale& Config) {
    if (Zona < 0 || Zona >= NumZone) throw std::out_of_range("zone record");
    TCursoreLettura c(Frame.Dati, Idx);
    LeggiZona(c, Config.Zone[Zona]);
    Idx = c.Posizione();
}

std::uint8_t CodificaInseritore(int Inseritore, int& Idx, TFrameComunic& Frame,
                                const TConfigCentrale& Config) {
    if (Inseritore < 0 || Inseritore >= NumInseritori) return EsitoFallito;
    try {
        TCursoreScrittura c(Frame.Dati, Idx);
        ScriviInseritore(c, Config.Inseritori[Inseritore]);
        Idx = c.Posizione();
        return EsitoOk;
    } catch (const EFuoriFrame&) {
        return EsitoFallito;
    }
}

void DecodificaInseritore(int Inseritore, int& Idx, const TFrameComunic& Frame, TConfigCentrale& Config) {
    if (Inseritore < 0 || Inseritore >= NumInseritori) throw std::out_of_range("keypad record");
    TCursoreLettura c(Frame.Dati, Idx);
    LeggiInseritore(c, Config.Inseritori[Inseritore]);
    Idx = c.Posizione();
}

void DecodificaEvento(int Evento, int& Idx, const TFrameComunic& Frame, TCodaEventi& Coda) {
    if (Evento < 0 || Evento >= MaxEventiCoda) throw std::out_of_range("event record");
    TCursoreLettura c(Frame.Dati, Idx);
    LeggiEvento(c, Coda.Eventi[Evento]);
    Idx = c.Posizione();
}

// ---- Transaction and reply decoder.

std::uint8_t InviaMessaggio(TLinkComando& Com, const TFrameComunic& Richiesta) {
    const TFrameComunic copia = Richiesta;
    const std::uint8_t esito = Com.InviaComando(copia);
    if (esito != EsitoOk) return esito;
    TFrameComunic risposta;
    Com.CopiaRisposta(risposta);
    // A link that calls a reply to something else a success would have the decoder store the
    // wrong bytes: count it as a failure instead.
    if (!RispostaCorrisponde(copia, risposta)) return EsitoFallito;
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
    TCursoreLettura c(std::span(Risposta.Dati, Risposta.Lunghezza));
    switch (Risposta.Comando) {
    case CmdIdentificazione:
        IdCentraleRx = LeggiByte(c);
        VersioneCentraleRx = LeggiByte(c);
        AbilComCentraleRx = LeggiByte(c);
        break;
    case CmdLeggiDatiGenerali:
        DecodificaDatiGenerali(Config, c);
        break;
    case CmdLeggiDataOra:
        DecodificaOrologio(Config, c);
        break;
    case CmdLeggiPuntatoriCoda:
        if (Coda != nullptr) DecodificaPuntatoriCoda(*Coda, c);
        break;
    case CmdLeggiEvento:
        if (Coda != nullptr) {
            const int indice = LeggiByte(c);
            if (indice < 100) LeggiEvento(c, Coda->Eventi[indice]);
        }
        break;
    case CmdLeggiNumTel:
        DecodificaNumTel(Config, c);
        break;
    case CmdLeggiBloccoZone:
        DecodificaBloccoZone(Config, c);
        break;
    case CmdLeggiBloccoCoda:
        if (Coda != nullptr) DecodificaBloccoCoda(*Coda, c);
        break;
    case CmdLeggiBloccoInseritori:
        DecodificaBloccoInseritori(Config, c);
        break;
    case CmdLeggiDatiGprsCid:
        DecodificaDatiGprsCid(Config, c);
        break;
    case CmdLeggiTabelleCid:
        DecodificaTabelleCid(Config, c);
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
    return Esegui(Com, CmdScriviDatiGenerali,
                  [](TCursoreScrittura& c) { CodificaDatiGenerali(ConfigCentrale, c); });
}

std::uint8_t ScriviDataOra(TLinkComando& Com) {
    return Esegui(Com, CmdScriviDataOra, [](TCursoreScrittura& c) {
        ConfigCentrale.DataOraOrologio = OraPc();
        const TDataOraScomposta t = DecodificaDataOra(ConfigCentrale.DataOraOrologio);
        ScriviByte(c, std::uint8_t(t.Ora));
        ScriviByte(c, std::uint8_t(t.Minuti));
        ScriviByte(c, std::uint8_t(t.Giorno));
        ScriviByte(c, std::uint8_t(t.Mese));
        ScriviByte(c, std::uint8_t(t.Anno % 100));
    });
}

std::uint8_t ScriviNumTel(TLinkComando& Com) {
    return Esegui(Com, CmdScriviNumTel, [](TCursoreScrittura& c) { CodificaNumTel(ConfigCentrale, c); });
}

std::uint8_t ScriviBloccoZone(TLinkComando& Com, std::uint8_t Blocco) {
    return Esegui(Com, CmdScriviBloccoZone, [Blocco](TCursoreScrittura& c) {
        ScriviByte(c, Blocco);
        for (int k = 0; k < ZonePerBlocco; ++k) {
            const int slot = ZonePerBlocco * Blocco + k;
            if (slot < NumZone)
                ScriviZona(c, ConfigCentrale.Zone[slot]);
            else
                std::fill_n(c.Prendi(LunghezzaRecordZona), LunghezzaRecordZona, std::uint8_t(0));
        }
    });
}

std::uint8_t ScriviBloccoInseritori(TLinkComando& Com, std::uint8_t Blocco) {
    return Esegui(Com, CmdScriviBloccoInseritori, [Blocco](TCursoreScrittura& c) {
        ScriviByte(c, Blocco);
        for (int k = 0; k < InseritoriPerBlocco; ++k) {
            const int slot = InseritoriPerBlocco * Blocco + k;
            if (slot < NumInseritori)
                ScriviInseritore(c, ConfigCentrale.Inseritori[slot]);
            else
                std::fill_n(c.Prendi(LunghezzaRecordInseritore), LunghezzaRecordInseritore, std::uint8_t(0));
        }
    });
}

std::uint8_t ScriviDatiGprsCid(TLinkComando& Com) {
    return Esegui(Com, CmdScriviDatiGprsCid,
                  [](TCursoreScrittura& c) { CodificaDatiGprsCid(ConfigCentrale, c); });
}

std::uint8_t ScriviTabelleCid(TLinkComando& Com) {
    return Esegui(Com, CmdScriviTabelleCid,
                  [](TCursoreScrittura& c) { CodificaTabelleCid(ConfigCentrale, c); });
}
