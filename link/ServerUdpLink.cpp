#include "link/ServerUdpLink.h"

#include "link/def_ver11.h"
#include "platform/diag/Diagnostica.h"
#include "platform/gui/Dialogs.h"
#include "platform/thread/Thread.h"

#include <thread>

namespace {

constexpr char Cifre[] = "0123456789ABCDEF";

std::uint8_t Cifra(std::uint8_t c) {
    // Only upper-case digits count: anything else is 0, as the panels' own coder expects.
    if (c >= '0' && c <= '9') return std::uint8_t(c - '0');
    if (c >= 'A' && c <= 'F') return std::uint8_t(c - 'A' + 10);
    return 0;
}

std::string DaInviare(const platform::net::UdpPeer& p) {
    return "Send To " + p.Indirizzo + ": " + std::to_string(p.Porta);
}

} // namespace

// Command 22 on the closing thread goes to the panel it was made for, which no longer counts as
// connected for anyone choosing a link.
class TServerUdpLink::TLinkChiusura final : public TLinkComando {
  public:
    TLinkChiusura(TServerUdpLink& l, const TDestinazione& d) : l_(l), d_(d) {}
    std::uint8_t InviaComando(const TFrameComunic& Frame) override { return l_.Transazione(Frame, d_); }
    void CopiaRisposta(TFrameComunic& Frame) override { l_.CopiaRisposta(Frame); }

  private:
    TServerUdpLink& l_;
    const TDestinazione d_;
};

TServerUdpLink::TServerUdpLink(platform::MonotonicClock Orologio) : orologio_(Orologio), rx_(Orologio) {}

TServerUdpLink::~TServerUdpLink() {
    FermaServerUdp();
}

bool TServerUdpLink::AvviaServerUdp(int Porta, std::string* Errore) {
    FermaServerUdp();
    std::string errore;
    const bool ok = server_.Start(
        IndirizzoAscolto, Porta,
        [this](const std::uint8_t* d, std::size_t n, const platform::net::UdpPeer& da) {
            UDPServerUDPRead(d, n, da);
        },
        errore);
    std::vector<std::string> log{ok ? "Listening on port " + std::to_string(server_.Porta()) : errore};
    {
        std::lock_guard lock(m_);
        serverAttivo_ = true;
    }
    Registra(log);
    if (!ok) {
        // The panels would find nobody listening; the user is not troubled, the log says why.
        platform::Diagnostica("ServerUdp",
                              "cannot listen on UDP port " + std::to_string(Porta) + ": " + errore);
        if (Errore) *Errore = errore;
    }
    return ok;
}

void TServerUdpLink::FermaTransazioni() {
    {
        std::lock_guard lock(m_);
        ++fermate_;
    }
    arrivato_.notify_all();
    std::lock_guard lock(chiusuraM_);
    if (chiusura_.joinable()) chiusura_.join();
}

void TServerUdpLink::TerminaAttese() {
    platform::net::UdpPeer da;
    bool inAttesa = false;
    {
        std::lock_guard lock(m_);
        programmaInChiusura_ = true;
        inAttesa = PrendiHello(da);
    }
    FermaTransazioni();
    // Refused now, not at a tick: the closing restarts the server, which forgets it, and may do so
    // before the next tick comes.
    if (inAttesa) Rispondi(da, false, {});
}

void TServerUdpLink::FermaServerUdp() {
    {
        std::lock_guard lock(m_);
        serverAttivo_ = false;
    }
    FermaTransazioni();
    const bool attivo = server_.Active();
    // Joins the listener: no datagram is handled after this, so no settle time is needed.
    if (attivo) server_.Stop();
    {
        std::lock_guard lock(m_);
        // A hello not asked about yet greeted a socket that is gone: its panel greets the new one if
        // it still wants a session. Asked about after the restart, it would give the session to a
        // peer that may no longer reach the port, or the last hello of a flood would take the place
        // of the panel that greets next. A question already open keeps its panel.
        if (nuovaConnessione_) nuovaConnessione_ = domandaAperta_ = false;
    }
    if (!attivo) return;
    std::vector<std::string> log{"Stopped"};
    Registra(log);
}

void TServerUdpLink::Registra(std::vector<std::string>& Log) {
    if (Finestra.Log)
        for (const std::string& riga : Log)
            Finestra.Log(riga);
    Log.clear();
}

void TServerUdpLink::UDPServerUDPRead(const std::uint8_t* Dati, std::size_t Lunghezza,
                                      const platform::net::UdpPeer& Da) {
    if (Lunghezza == 0) return;
    std::vector<std::string> log{"Receive From " + Da.Indirizzo + ": " + std::to_string(Da.Porta)};
    {
        std::lock_guard lock(m_);
        if (Lunghezza > MaxDatagramma) {
            log.push_back("Dropped: " + std::to_string(Lunghezza) + " bytes, more than " +
                          std::to_string(MaxDatagramma));
        } else if (Dati[0] == '*' && Dati[Lunghezza - 1] == '#') {
            Hello(Dati, Lunghezza, Da, log);
        } else if (const platform::net::UdpPeer* atteso = PannelloAtteso(); !atteso || !(Da == *atteso)) {
            // Only the panel the user accepted may answer (or, while command 22 goes to a refused
            // panel, that panel): anyone else could read the configuration or forge replies.
            const bool rifiutato = invioInCorso_ && chiusuraInvio_ && sessioneInvio_ == 0;
            log.push_back(
                std::string("Dropped: not from the ") + (rifiutato ? "refused" : "connected") + " panel" +
                (atteso ? " " + atteso->Indirizzo + ": " + std::to_string(atteso->Porta) : std::string()));
        } else {
            log.emplace_back(reinterpret_cast<const char*>(Dati), Lunghezza);
            for (std::size_t i = 0; i + 1 < Lunghezza; i += 2)
                RiceviByteUdp(std::uint8_t(Cifra(Dati[i]) << 4 | Cifra(Dati[i + 1])));
        }
    }
    log.push_back("");
    arrivato_.notify_all();
    Registra(log);
}

void TServerUdpLink::Hello(const std::uint8_t* Dati, std::size_t Lunghezza, const platform::net::UdpPeer& Da,
                           std::vector<std::string>& Log) {
    Log.emplace_back(reinterpret_cast<const char*>(Dati), Lunghezza);
    if (domandaAperta_) {
        // One question at a time: a flood of hellos must not stack dialogs, nor answers.
        Log.push_back("Dropped: hello while the user is asked about " + candidato_.Indirizzo + ": " +
                      std::to_string(candidato_.Porta));
        return;
    }
    if (serverAttivo_ && server_.Send(Da, "*OK#")) Log.insert(Log.end(), {"", DaInviare(Da), "*OK#"});
    const std::string ident =
        Lunghezza >= 2 ? std::string(reinterpret_cast<const char*>(Dati) + 1, Lunghezza - 2) : "";
    domandaAperta_ = true;
    nuovaConnessione_ = true;
    candidato_ = Da;
    identCandidato_ = ident;
    if (SessioneAttiva() != 0 && Da == peer_) {
        // The connected panel greets again: its connection starts afresh, and the user is asked again.
        const auto adesso = orologio_();
        scadenzaSessione_ = adesso + TempoSessione;
        scadenzaLink_ = adesso + TempoLink;
        identRemoto_ = ident;
    }
}

void TServerUdpLink::RiceviByteUdp(std::uint8_t B) {
    rx_.RiceviByte(B);
    if (rx_.UltimoFrame.Comando != 0) {
        // A stray copy that comes right behind the reply must not push it out before it is seen.
        if (richiesta_.Comando == 0 || risposta_.Comando == 0 || !RispostaCorrisponde(richiesta_, risposta_))
            risposta_ = rx_.UltimoFrame;
        rx_.UltimoFrame.Comando = 0;
    }
}

void TServerUdpLink::AzzeraRicezioneUdp() {
    risposta_.Comando = 0;
    richiesta_.Comando = 0;
    rx_.Somma = rx_.Indice = rx_.Rimanenti = 0;
    rx_.Stato = TKivComunic::StatoAttesaStx;
    rx_.DlePendente = false;
    rx_.UltimoFrame.Comando = 0;
}

bool TServerUdpLink::CodificaTestoFrame(const TFrameComunic& Frame, std::string& Testo) {
    Testo.clear();
    if (Frame.Lunghezza > MaxDatiSeriale) return false;
    bool intero = true;
    auto hex = [&](std::uint8_t b) {
        if (Testo.size() >= MaxTestoFrame) {
            intero = false;
            return;
        }
        Testo += Cifre[b >> 4];
        Testo += Cifre[b & 15];
    };
    auto dle = [&](std::uint8_t b) -> std::uint8_t {
        if (b == STX || b == ETX || b == DLE) {
            hex(DLE);
            hex(b);
            return std::uint8_t(b + DLE);
        }
        hex(b);
        return b;
    };
    std::uint8_t somma = STX;
    hex(STX);
    somma = std::uint8_t(somma + dle(std::uint8_t(Frame.Lunghezza + 1)));
    somma = std::uint8_t(somma + dle(Frame.Comando));
    for (int i = 0; i < Frame.Lunghezza; ++i)
        somma = std::uint8_t(somma + dle(Frame.Dati[i]));
    hex(std::uint8_t(-somma));
    hex(ETX);
    return intero;
}

bool TServerUdpLink::InviaFrameUdp(std::vector<std::string>& Log, bool Primo) {
    const auto adesso = orologio_();
    scadenzaLink_ = adesso + TempoLink;
    // Command 22 on the closing thread makes its first send even when it must give way at once: the
    // panel is told all the same, and only the wait for its reply is given up.
    const bool invia = peerInvio_.Porta != 0 && ((serverAttivo_ && !TransazioneSenzaSessione()) ||
                                                 (Primo && chiusuraInvio_ && !ChiusuraAnnullata()));
    if (invia) {
        std::string testo;
        if (!CodificaTestoFrame(richiesta_, testo)) {
            Log.insert(Log.end(), {"Errore Invio: frame too long for a datagram", ""});
            return false;
        }
        scadenzaRisposta_ = adesso + TempoRisposta;
        if (server_.Send(peerInvio_, testo))
            Log.insert(Log.end(), {DaInviare(peerInvio_), testo, ""});
        else
            Log.insert(Log.end(), {"Errore Invio", ""});
    } else {
        scadenzaRisposta_ = adesso + TempoNonInviato;
    }
    return true;
}

const platform::net::UdpPeer* TServerUdpLink::PannelloAtteso() const {
    if (invioInCorso_) return peerInvio_.Porta != 0 ? &peerInvio_ : nullptr;
    return sessione_ != 0 ? &peer_ : nullptr;
}

bool TServerUdpLink::TransazioneSenzaSessione() const {
    if (programmaInChiusura_ || fermateInvio_ != fermate_) return true;
    if (chiusuraInvio_) return chiusureInvio_ != chiusure_ || ChiusuraAnnullata();
    return sessioneInvio_ == 0 || sessioneInvio_ != sessione_;
}

bool TServerUdpLink::ChiusuraAnnullata() const {
    // The ending connection was followed by another, or the refused panel has since been accepted.
    return sessioneInvio_ != 0 ? sessioneInvio_ != sessione_ : SessioneAttiva() != 0 && peer_ == peerInvio_;
}

std::uint8_t TServerUdpLink::ControllaRispostaUdp(std::vector<std::string>& Log) {
    if (richiesta_.Comando == 0) {
        tentativi_ = 1;
        return EsitoNessunaRichiesta;
    }
    auto fallito = [&] {
        esitoInvio_ = EsitoFallito;
        tentativi_ = 1;
        richiesta_.Comando = 0;
        return EsitoFallito;
    };
    // The panel this request was meant for is gone (the connection ended, another panel was
    // accepted, the server stopped): nothing more may be sent, nor anything taken from anyone else.
    if (TransazioneSenzaSessione()) return fallito();
    auto ancora = [&] {
        ++tentativi_;
        // The time before the send: a late answer is reckoned from no later than the send itself.
        quiete_.Reinvio(orologio_(), rx_);
        return InviaFrameUdp(Log) ? EsitoOccupato : fallito();
    };
    if (risposta_.Comando != 0) {
        const TQuieteReinvio::TGiudizio giudizio = quiete_.Giudica(risposta_);
        if (giudizio == TQuieteReinvio::TGiudizio::Risposta) {
            scadenzaSessione_ = orologio_() + TempoSessione;
            accettata_ = risposta_;
            richiesta_.Comando = 0;
            esitoInvio_ = EsitoOk;
            return EsitoOk;
        }
        risposta_.Comando = 0;
        if (giudizio == TQuieteReinvio::TGiudizio::Errato)
            return tentativi_ >= MaxTentativi ? fallito() : ancora();
        // A datagram repeated or held up on the way: the reply to this request may still come, and
        // a resend would only bring more copies.
        Log.insert(Log.end(), {"Ignored: reply to an earlier request", ""});
    }
    if (orologio_() <= scadenzaRisposta_) return EsitoOccupato;
    return tentativi_ >= MaxTentativi ? fallito() : ancora();
}

void TServerUdpLink::AttendiPasso() {
    if (platform::IUiThread* ui = platform::UiThread(); ui && ui->IsUiThread()) {
        ui->ProcessMessages();
        std::unique_lock lock(m_);
        arrivato_.wait_for(lock, std::chrono::milliseconds(2));
    } else {
        // Woken by every datagram and every end of a session; the timeout only lets the deadlines
        // (on their own clock) be seen.
        std::unique_lock lock(m_);
        arrivato_.wait_for(lock, std::chrono::milliseconds(10));
    }
}

std::uint8_t TServerUdpLink::InviaComandoUdp(const TFrameComunic& Frame) {
    return InviaComandoUdp(Frame, Sessione());
}

std::uint8_t TServerUdpLink::InviaComandoUdp(const TFrameComunic& Frame, std::uint64_t S) {
    TDestinazione d;
    {
        std::lock_guard lock(m_);
        d.Sessione = S;
        if (S != 0 && S == sessione_) d.Peer = peer_;
        d.Fermate = fermate_;
    }
    return Transazione(Frame, d);
}

std::uint8_t TServerUdpLink::Transazione(const TFrameComunic& Frame, const TDestinazione& D) {
    {
        std::unique_lock lock(m_);
        if (programmaInChiusura_ && !D.Chiusura) return EsitoFallito;
        // Command 22 to a refused panel, or to the panel of a connection already ended, never holds
        // up the connection that is up: it gives way once its first datagram has gone.
        while (invioInCorso_ && chiusuraInvio_ && !D.Chiusura && !programmaInChiusura_ && D.Sessione != 0 &&
               D.Sessione == SessioneAttiva()) {
            if (chiusureInvio_ == chiusure_) {
                ++chiusure_;
                arrivato_.notify_all();
            }
            lock.unlock();
            AttendiPasso();
            lock.lock();
        }
        // A refused panel has no transaction to end: its command 22 waits, on the closing thread,
        // for the link to be free, until a stop, the program's close, a newer command 22 or the
        // panel's acceptance makes it pointless.
        while (invioInCorso_ && D.Chiusura && D.Sessione == 0 && !programmaInChiusura_ &&
               D.Fermate == fermate_ && D.Chiusure == chiusure_ &&
               !(SessioneAttiva() != 0 && peer_ == D.Peer)) {
            lock.unlock();
            AttendiPasso();
            lock.lock();
        }
        if (invioInCorso_) return EsitoOccupato;
        invioInCorso_ = true;
        sessioneInvio_ = D.Sessione;
        peerInvio_ = D.Peer;
        fermateInvio_ = D.Fermate;
        chiusureInvio_ = D.Chiusure;
        chiusuraInvio_ = D.Chiusura;
    }
    struct Fine {
        TServerUdpLink& l;
        ~Fine() {
            {
                std::lock_guard lock(l.m_);
                l.invioInCorso_ = false;
                l.chiusuraInvio_ = false;
                l.sessioneInvio_ = 0;
                l.peerInvio_ = {};
            }
            l.arrivato_.notify_all();
        }
    } fine{*this};
    std::this_thread::sleep_for(AttesaPrimoInvio);
    // A late answer to an earlier request may still come: it must not answer this one.
    for (;;) {
        {
            std::lock_guard lock(m_);
            if (TransazioneSenzaSessione() || orologio_() > quiete_.AttesaPrima(Frame)) break;
        }
        AttendiPasso();
    }
    std::vector<std::string> log;
    std::uint8_t esito = EsitoOccupato;
    {
        std::lock_guard lock(m_);
        // Whatever came before this send (a late copy, a reply to an earlier request) is no reply
        // to it; the listener takes this lock too, so nothing slips between the clear and the send.
        AzzeraRicezioneUdp();
        richiesta_ = Frame;
        tentativi_ = 1;
        const platform::Instant invio = orologio_();
        if (InviaFrameUdp(log, true)) {
            quiete_.Inizia(Frame, invio, rx_);
        } else {
            richiesta_.Comando = 0;
            esitoInvio_ = esito = EsitoFallito;
        }
    }
    Registra(log);
    while (esito == EsitoOccupato) {
        AttendiPasso();
        {
            std::lock_guard lock(m_);
            esito = ControllaRispostaUdp(log);
        }
        Registra(log);
    }
    if (esito == EsitoNessunaRichiesta) return esito;
    std::lock_guard lock(m_);
    quiete_.Conclusa(esitoInvio_ == EsitoOk, orologio_(), TempoRisposta);
    return esitoInvio_;
}

void TServerUdpLink::Timer1Timer() {
    bool chiedi = false, rifiuta = false;
    std::string domanda, etichetta;
    platform::net::UdpPeer da;
    {
        std::lock_guard lock(m_);
        if (PrendiHello(da)) {
            // Once the program is closing nobody is asked: the question would outlive the main
            // window and keep the program, and its port, until answered. The panel is refused.
            rifiuta = programmaInChiusura_;
            chiedi = !rifiuta;
            const std::string chi = da.Indirizzo + ":" + std::to_string(da.Porta) + " - " + identCandidato_;
            domanda = StrAccettareConnessione + ": " + chi;
            etichetta = StrConnessioneCon + " " + chi;
        }
    }
    if (chiedi)
        Rispondi(da, platform::gui::AskYesNo(domanda), etichetta);
    else if (rifiuta)
        Rispondi(da, false, {});
    bool scaduta = false;
    {
        std::lock_guard lock(m_);
        scaduta = SessioneAttiva() != 0 && orologio_() > scadenzaSessione_;
    }
    if (scaduta) TerminaConnessioneUdp();
    std::lock_guard lock(m_);
    const auto adesso = orologio_();
    if (SessioneAttiva() != 0 && adesso > scadenzaLink_) {
        if (serverAttivo_) server_.Send(peer_, "*LINK#");
        scadenzaLink_ = adesso + TempoLink;
    }
}

bool TServerUdpLink::PrendiHello(platform::net::UdpPeer& Da) {
    if (!nuovaConnessione_) return false;
    nuovaConnessione_ = false;
    Da = candidato_;
    return true;
}

void TServerUdpLink::Rispondi(const platform::net::UdpPeer& Da, bool Si, const std::string& Etichetta) {
    bool termina = false;
    {
        std::lock_guard lock(m_);
        domandaAperta_ = false;
        const bool dalConnesso = SessioneAttiva() != 0 && Da == peer_;
        if (Si && !dalConnesso) {
            // Only now does the new panel get any traffic; a transaction still meant for the
            // previous one ends at once.
            sessione_ = ++ultimaSessione_;
            inChiusura_ = false;
            peer_ = Da;
            identRemoto_ = identCandidato_;
            const auto adesso = orologio_();
            scadenzaSessione_ = adesso + TempoSessione;
            scadenzaLink_ = adesso + TempoLink;
        }
        // Refusing the connected panel ends its connection.
        termina = !Si && dalConnesso;
    }
    arrivato_.notify_all();
    if (Si) {
        if (Finestra.MostraConnesso) Finestra.MostraConnesso(Etichetta);
    } else if (termina) {
        TerminaConnessioneUdp();
    } else {
        // The panel got "*OK#": it learns that it has no session. The connection that is up, if
        // any, keeps its panel, its label and its traffic.
        TDestinazione d;
        d.Peer = Da;
        AvviaChiusura(d);
    }
}

void TServerUdpLink::TerminaConnessioneUdp() {
    if (Finestra.NascondiConnesso) Finestra.NascondiConnesso();
    TDestinazione d;
    {
        std::lock_guard lock(m_);
        d.Sessione = SessioneAttiva();
        d.Peer = peer_;
        // From here on no operation chooses this connection; command 22 still goes to its panel.
        inChiusura_ = d.Sessione != 0;
    }
    if (d.Sessione != 0) AvviaChiusura(d);
}

void TServerUdpLink::AvviaChiusura(TDestinazione D) {
    {
        std::lock_guard lock(m_);
        // The command 22 still under way gives way to this one, so that the join below is short.
        ++chiusure_;
        D.Fermate = fermate_;
        D.Chiusure = chiusure_;
        D.Chiusura = true;
    }
    arrivato_.notify_all();
    std::lock_guard lock(chiusuraM_);
    if (chiusura_.joinable()) chiusura_.join();
    chiusura_ = std::thread([this, D] { ChiudiSessione(D); });
}

void TServerUdpLink::ChiudiSessione(const TDestinazione& D) {
    try {
        TLinkChiusura link(*this, D);
        // For an ending connection, busy when another transaction holds the link: then it is not
        // sent, and a transaction of that connection ends as soon as the session below is gone. A
        // refused panel's waits for the link instead.
        TerminaConnessioneRemota(link);
    } catch (...) {
        // The connection ends here whether or not the panel was told.
        platform::Diagnostica("ServerUdpLink",
                              "ending the remote connection failed: " + platform::MotivoEccezione());
    }
    {
        std::lock_guard lock(m_);
        // Unless the user accepted another panel meanwhile, which is then the connection.
        if (D.Sessione != 0 && sessione_ == D.Sessione) {
            sessione_ = 0;
            inChiusura_ = false;
        }
    }
    arrivato_.notify_all();
}

void TServerUdpLink::CopiaRisposta(TFrameComunic& Frame) {
    std::lock_guard lock(m_);
    Frame = accettata_;
}

std::uint64_t TServerUdpLink::Sessione() const {
    std::lock_guard lock(m_);
    return SessioneAttiva();
}

TServerUdpLink::TStato TServerUdpLink::Stato() const {
    std::lock_guard lock(m_);
    return {serverAttivo_,
            invioInCorso_,
            SessioneAttiva() != 0,
            nuovaConnessione_,
            domandaAperta_,
            identRemoto_,
            peer_,
            tentativi_,
            esitoInvio_,
            richiesta_.Comando,
            risposta_.Comando,
            risposta_.Lunghezza,
            rx_.Stato};
}
