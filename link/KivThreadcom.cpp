#include "link/KivThreadcom.h"

#include "link/LinkComando.h"

#include <algorithm>

namespace {
bool SuThreadUi() {
    platform::IUiThread* ui = platform::UiThread();
    return ui != nullptr && ui->IsUiThread();
}
} // namespace

// Holds the busy mark for one scope; the mark goes on every way out, an exception included.
class TKivThreadCom::Turno {
  public:
    explicit Turno(TKivThreadCom& t) : t_(t), preso_(t.Prendi()) {}
    ~Turno() {
        if (preso_) t_.Rilascia();
    }
    Turno(const Turno&) = delete;
    Turno& operator=(const Turno&) = delete;
    bool Preso() const { return preso_; }

  private:
    TKivThreadCom& t_;
    bool preso_;
};

TKivThreadCom::TKivThreadCom(TKivCanale& Canale, TKivComunic& Comunic, TKivModem& Modem,
                             platform::MonotonicClock Orologio)
    : platform::TThread(true), Canale_(Canale), Comunic_(Comunic), Modem_(Modem), Orologio_(Orologio) {
    SetPriority(platform::TThreadPriority::tpIdle);
}

TKivThreadCom::~TKivThreadCom() {
    Ferma();
    if (!Finished()) WaitFor();
}

void TKivThreadCom::Ferma() {
    Termina.store(true);
    Terminate();
    Modem_.Arresta();
    Sveglia();
}

void TKivThreadCom::Sveglia() {
    {
        std::lock_guard lock(sonnoM_);
        ++sveglie_;
    }
    sonnoCv_.notify_all();
}

void TKivThreadCom::Dormi(platform::Duration d) {
    std::unique_lock lock(sonnoM_);
    const std::uint64_t prima = sveglie_;
    sonnoCv_.wait_for(lock, d, [&] { return sveglie_ != prima; });
}

void TKivThreadCom::Execute() {
    Pausa.store(false);
    while (!Termina.load() && !Terminated()) {
        {
            std::lock_guard passo(passoM_);
            if (!Pausa.load() && Canale_.ConfigSalvata().TipoConnessione == ConnessioneModem)
                Modem_.GestioneModem();
        }
        Dormi(IntervalloModem);
    }
}

void TKivThreadCom::SospendiModem() {
    Pausa.store(true);
    // A step that tested the flag just before is let finish.
    std::lock_guard passo(passoM_);
}

// ---- Busy mark ---------------------------------------------------------------------------------

bool TKivThreadCom::Prendi() {
    std::lock_guard lock(occM_);
    if (occupato_) return false;
    occupato_ = true;
    annulla_ = false;
    occupante_ = std::this_thread::get_id();
    return true;
}

void TKivThreadCom::Rilascia() {
    {
        std::lock_guard lock(occM_);
        occupato_ = false;
        annulla_ = false;
        occupante_ = {};
    }
    occCv_.notify_all();
}

bool TKivThreadCom::Occupato() const {
    std::lock_guard lock(occM_);
    return occupato_;
}

bool TKivThreadCom::Annullato() const {
    std::lock_guard lock(occM_);
    return annulla_;
}

void TKivThreadCom::AzzeraOccupato() {
    {
        std::lock_guard lock(occM_);
        if (!occupato_) return;
        annulla_ = true;
        // Called from inside the exchange's own pass (a message processed by its wait): it ends
        // with 4 when control returns to it.
        if (occupante_ == std::this_thread::get_id()) return;
    }
    Canale_.Sveglia();
    Sveglia();
    // Another thread's exchange notices the abort within one pass; wait for it so that the link
    // is free when the caller goes on. It is never taken away from under it.
    const auto limite = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    const bool ui = SuThreadUi();
    std::unique_lock lock(occM_);
    while (occupato_ && std::chrono::steady_clock::now() < limite) {
        if (ui) {
            lock.unlock();
            platform::ProcessMessagesIfUiThread();
            lock.lock();
            occCv_.wait_for(lock, std::chrono::milliseconds(2), [&] { return !occupato_; });
        } else {
            occCv_.wait_until(lock, limite, [&] { return !occupato_; });
        }
    }
}

// ---- Sending -----------------------------------------------------------------------------------

std::uint8_t TKivThreadCom::InviaByteDle(std::uint8_t B) {
    std::uint8_t quota = B;
    if (RichiedeDle(B)) {
        Canale_.InviaByte(DLE);
        quota = static_cast<std::uint8_t>(quota + DLE);
    }
    Canale_.InviaByte(B);
    return quota;
}

bool TKivThreadCom::InviaFrame(const TFrameComunic& Frame) {
    TFrameSeriale s;
    if (!CodificaFrameSeriale(Frame, s)) return false;
    for (std::size_t i = 0; i < s.Pausa; ++i)
        Canale_.InviaByte(s.Byte[i]);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    for (std::size_t i = s.Pausa; i < s.Lunghezza; ++i)
        Canale_.InviaByte(s.Byte[i]);
    ultimoInvio_.store(std::chrono::steady_clock::now());
    inviati_.fetch_add(1);
    return true;
}

bool TKivThreadCom::InviaFrameCorrente() {
    if (!InviaFrame(FrameCorrente)) return false;
    ScadenzaRisposta = Orologio_() + FinestraRisposta();
    return true;
}

platform::Duration TKivThreadCom::FinestraRisposta() const {
    return std::chrono::milliseconds(100) * std::max(0, Canale_.TimeoutComandDec());
}

// ---- Exchange ----------------------------------------------------------------------------------

std::uint8_t TKivThreadCom::ControllaRisposta() {
    auto fallito = [&] {
        EsitoComando.store(EsitoFallito);
        Tentativi = 1;
        FrameCorrente.Comando = 0;
        return EsitoFallito;
    };
    if (FrameCorrente.Comando == 0) {
        Tentativi = 1;
        return EsitoNessunaRichiesta;
    }
    TFrameComunic& arrivato = Comunic_.UltimoFrame;
    if (arrivato.Comando != 0) {
        const TQuieteReinvio::TGiudizio giudizio = quiete_.Giudica(arrivato);
        if (giudizio == TQuieteReinvio::TGiudizio::Risposta) {
            Canale_.ConsegnaRisposta(arrivato);
            arrivato.Comando = 0;
            FrameCorrente.Comando = 0;
            EsitoComando.store(EsitoOk);
            return EsitoOk;
        }
        arrivato.Comando = 0;
        if (giudizio == TQuieteReinvio::TGiudizio::Errato) {
            if (Tentativi >= Canale_.NumTentativi()) return fallito();
            Reinvia();
            return EsitoOccupato;
        }
    }
    if (Orologio_() <= ScadenzaRisposta) return EsitoOccupato;
    if (Tentativi >= Canale_.NumTentativi()) return fallito();
    Reinvia();
    return EsitoOccupato;
}

void TKivThreadCom::Reinvia() {
    // The time before the send: a late answer is reckoned from no later than the send itself.
    quiete_.Reinvio(Orologio_(), Comunic_);
    InviaFrameCorrente();
    ++Tentativi;
    reinvii_.fetch_add(1);
}

void TKivThreadCom::AttendiPasso(int BytePrecedente) {
    if (BytePrecedente >= 0) return; // more bytes may be waiting: read on at once
    if (SuThreadUi()) {
        // Received bytes reach the ring through this very thread's messages.
        platform::ProcessMessagesIfUiThread();
        Canale_.AttendiRx(std::chrono::milliseconds(1));
        return;
    }
    const platform::Instant ora = Orologio_();
    platform::Duration attesa = ScadenzaRisposta - ora;
    if (Comunic_.Stato != TKivComunic::StatoAttesaStx)
        attesa = std::min(attesa, Comunic_.ScadenzaFrame - ora);
    attesa = std::min<platform::Duration>(attesa, PassoAttesa);
    // Past a deadline the next pass decides; the nanoseconds until "later than" need no sleep.
    if (attesa > platform::Duration::zero()) Canale_.AttendiRx(attesa);
}

void TKivThreadCom::Riaggancia() {
    Modem_.RichiestaChiamata.store(false);
    Modem_.RichiediSgancio();
    Modem_.AzzeraStato();
}

bool TKivThreadCom::AttendiQuiete(const TFrameComunic& Prossima) {
    const platform::Instant fino = quiete_.AttesaPrima(Prossima);
    const platform::Instant inizio = Orologio_();
    if (inizio >= fino) return true;
    const bool ui = SuThreadUi();
    auto conta = [&] { tempoQuiete_.fetch_add((Orologio_() - inizio).count()); };
    for (;;) {
        // On the UI thread the copies reach the ring through its messages: they are let in before
        // the ring is emptied, or they would land in it after the request.
        if (ui) platform::ProcessMessagesIfUiThread();
        if (Annullato() || Chiusura.load() || Termina.load()) {
            conta();
            return false;
        }
        const platform::Duration resta = fino - Orologio_();
        if (resta <= platform::Duration::zero()) {
            conta();
            return true;
        }
        Dormi(std::min<platform::Duration>(resta, PassoAttesa));
    }
}

std::uint8_t TKivThreadCom::Scambia(const TFrameComunic& Frame) {
    if (!AttendiQuiete(Frame)) {
        FrameCorrente.Comando = 0;
        Tentativi = 1;
        EsitoComando.store(EsitoFallito);
        return EsitoFallito;
    }
    // Over a modem call the exchange also watches the call: the modem's NO CARRIER ("3" and CR
    // between frames) or the machine leaving the link-up state ends it at once, and a far end that
    // stays silent through every attempt is taken as gone.
    const bool viaModem =
        Canale_.ConfigSalvata().TipoConnessione == ConnessioneModem && Modem_.ModemConnesso();
    int precedenteFuoriFrame = -1;
    bool ricevuto = false;
    Modem_.UltimaAttivita.store(Orologio_());
    EsitoComando.store(EsitoNessunaRichiesta);
    FrameCorrente = Frame;
    Canale_.SvuotaRx();
    // The ring is empty now: this pass may abandon a frame cut off more than 5 s ago, before the
    // reply's bytes could continue it.
    Comunic_.RiceviByte(-1);
    const platform::Instant primoInvio = Orologio_();
    if (!InviaFrameCorrente()) {
        // Too long for the serial length byte: the panel would only see garbage.
        FrameCorrente.Comando = 0;
        Tentativi = 1;
        EsitoComando.store(EsitoFallito);
        return EsitoFallito;
    }
    quiete_.Inizia(Frame, primoInvio, Comunic_);
    Tentativi = 1;
    auto abbandona = [&] {
        FrameCorrente.Comando = 0;
        Tentativi = 1;
        EsitoComando.store(EsitoFallito);
    };
    for (;;) {
        const int b = Canale_.LeggiByteRx();
        if (viaModem && b >= 0) {
            ricevuto = true;
            const bool fuoriFrame = Comunic_.Stato == TKivComunic::StatoAttesaStx;
            if (fuoriFrame && b == '\r' && precedenteFuoriFrame == '3') {
                Riaggancia();
                abbandona();
                break;
            }
            precedenteFuoriFrame = fuoriFrame ? b : -1;
        }
        Comunic_.RiceviByte(b);
        if (const std::uint8_t r = ControllaRisposta(); r != EsitoOccupato) {
            if (viaModem && r == EsitoFallito && !ricevuto && Modem_.ModemConnesso()) Riaggancia();
            break;
        }
        if (Annullato() || Chiusura.load() || (viaModem && !Modem_.ModemConnesso())) {
            abbandona();
            break;
        }
        AttendiPasso(b);
    }
    const std::uint8_t esito = EsitoComando.load();
    quiete_.Conclusa(esito == EsitoOk, Orologio_(), FinestraRisposta());
    return esito;
}

std::uint8_t TKivThreadCom::EseguiComando(const TFrameComunic& Frame) {
    if (Chiusura.load()) return EsitoFallito;
    Turno turno(*this);
    if (!turno.Preso()) return EsitoOccupato;
    return Scambia(Frame);
}

// ---- Connect and disconnect --------------------------------------------------------------------

std::uint8_t TKivThreadCom::ApriCollegamento(const std::string& Numero, std::uint8_t LunghezzaRisposta) {
    if (Chiusura.load()) return EsitoFallito;
    Turno turno(*this);
    if (!turno.Preso()) return EsitoOccupato;
    Interrompi.store(false);
    const TConfigCom cfg = Canale_.ConfigSalvata();
    TFrameComunic identifica;
    InizializzaFrame(identifica, LunghezzaRisposta);
    if (cfg.TipoConnessione != ConnessioneModem) {
        Canale_.SvuotaRx();
        return Scambia(identifica) == EsitoOk ? EsitoOk : EsitoFallito;
    }

    Modem_.AzzeraStato();
    platform::ProcessMessagesIfUiThread();
    Modem_.GestioneModem();
    Modem_.GestioneModem();
    Modem_.ImpostaChiamata(cfg.StrDial.Valore() + Numero);
    const platform::Instant scadenza = Orologio_() + TempoCollegamentoModem;
    const bool ui = SuThreadUi();
    for (;;) {
        Modem_.RichiestaChiamata.store(true);
        // 100 ms between passes; on the UI thread the windows stay alive meanwhile.
        for (int i = 0; i < 5 && !Interrompi.load() && !Annullato() && !Chiusura.load(); ++i) {
            platform::ProcessMessagesIfUiThread();
            Dormi(ui ? PassoAttesa : IntervalloModem / 5);
        }
        if (Modem_.ModemConnesso() || Orologio_() > scadenza || Interrompi.load() || Annullato() ||
            Termina.load() || Chiusura.load())
            break;
    }
    Modem_.RichiestaChiamata.store(false);
    const bool ok = Modem_.ModemConnesso() && !Interrompi.load() && !Annullato() && !Chiusura.load() &&
                    Scambia(identifica) == EsitoOk && !Interrompi.load() && Modem_.ModemConnesso();
    // A connect reported as failed leaves no call behind, whether the far end answered or not
    // (the program closing has dropped it already).
    if (!ok && !Chiusura.load()) Riaggancia();
    return ok ? EsitoOk : EsitoFallito;
}

std::uint8_t TKivThreadCom::ChiudiCollegamento() {
    Interrompi.store(true);
    Sveglia();
    Canale_.Sveglia();
    bool mio;
    {
        std::lock_guard lock(occM_);
        mio = occupato_ && occupante_ == std::this_thread::get_id();
    }
    if (CollegamentoAttivo() && !mio) {
        // A running exchange is waited for, not cut short (unless the program is closing).
        const platform::Instant scadenza = Orologio_() + TempoChiusura;
        const bool ui = SuThreadUi();
        std::unique_lock lock(occM_);
        while (occupato_ && Orologio_() <= scadenza && !Chiusura.load()) {
            if (ui) {
                lock.unlock();
                platform::ProcessMessagesIfUiThread();
                lock.lock();
            }
            occCv_.wait_for(lock, PassoAttesa, [&] { return !occupato_; });
        }
    }
    // A closing program has dropped the call and reopens no port.
    if (Chiusura.load()) return EsitoOk;
    Canale_.CaricaConfig();
    Modem_.RichiediSgancio();
    Modem_.AzzeraStato();
    AzzeraOccupato();
    return EsitoOk;
}

void TKivThreadCom::TerminaAttese() {
    Chiusura.store(true);
    Interrompi.store(true);
    {
        std::lock_guard lock(occM_);
        if (occupato_) annulla_ = true;
    }
    Sveglia();
    Canale_.Sveglia();
    occCv_.notify_all();
    if (Canale_.ConfigSalvata().TipoConnessione != ConnessioneModem) return;
    // A hang-up sequence that runs now ends its pauses, and no step starts after it.
    Modem_.Arresta();
    SospendiModem();
    if (Modem_.InChiamata()) Canale_.ImpostaDtr(false);
    Modem_.AzzeraStato();
}

bool TKivThreadCom::CollegamentoAttivo() const {
    return Modem_.ModemConnesso() || Canale_.ConfigSalvata().TipoConnessione == ConnessioneCavo;
}
