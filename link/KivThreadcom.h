#pragma once
// The link thread and the command exchange. As a thread it steps the modem state machine every
// 100 ms while the connection type is modem; as an object it offers, to the callers' own threads,
// the exchange of one command (send, wait for the matching reply, resend on time-out), the connect
// and disconnect of a cable or modem link, and the connected test.
//
// Result codes: 0 no request pending, 1 busy, 2 success, 4 failure.
//
// One exchange or connect holds the link at a time (the busy mark). Waits never spin: the
// exchange sleeps on the receive ring until a byte arrives or its deadline comes, and on the UI
// thread it lets pending messages run between passes, since that is where received bytes arrive.
//
// A reply counts only for the request it answers. An exchange that had to resend may draw one
// reply per send: a late copy that is recognisably an earlier request's reply is ignored, and only
// a request whose reply it could pass for (an exchange or a connect, on whatever thread) first waits
// as long as the panel may still be answering the earlier sends (TQuieteReinvio); the ring is then
// emptied of what came meanwhile, as before any request.
#include "link/KivCanale.h"
#include "link/KivComunic.h"
#include "link/KivModem.h"
#include "link/QuieteReinvio.h"
#include "platform/clock/Clock.h"
#include "platform/thread/Thread.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

class TKivThreadCom : public platform::TThread {
  public:
    TKivThreadCom(TKivCanale& Canale, TKivComunic& Comunic, TKivModem& Modem,
                  platform::MonotonicClock Orologio = &platform::SteadyNow);
    // Stops the loop and waits for it.
    ~TKivThreadCom() override;

    static constexpr auto IntervalloModem = std::chrono::milliseconds(100);
    static constexpr auto TempoCollegamentoModem = std::chrono::seconds(80);
    static constexpr auto TempoChiusura = std::chrono::seconds(3);
    // Longest sleep of a wait before it looks at its clock again (deadlines may be moved by an
    // injected clock; a real deadline is met by the wait itself).
    static constexpr auto PassoAttesa = std::chrono::milliseconds(20);

    // Asks the loop to end and wakes it (the destructor waits for it).
    void Ferma();

    void ResetModem() { Modem_.AzzeraStato(); }
    static bool RichiedeDle(std::uint8_t B) { return B == STX || B == ETX || B == DLE; }
    std::uint8_t InviaByteDle(std::uint8_t B);
    // False, and nothing sent, for a frame longer than the serial length byte can say.
    bool InviaFrame(const TFrameComunic& Frame);
    bool InviaFrameCorrente();
    std::uint8_t ControllaRisposta();
    // Recovers the link from an exchange or connect that holds it: the one running is ended with
    // 4 (at once, or at its next pass when it runs below on this very thread), never overlapped.
    void AzzeraOccupato();
    std::uint8_t EseguiComando(const TFrameComunic& Frame);
    std::uint8_t ApriCollegamento(const std::string& Numero, std::uint8_t LunghezzaRisposta);
    std::uint8_t ChiudiCollegamento();
    bool CollegamentoAttivo() const;
    // The program is closing: every wait of the link (a connect, an exchange, a disconnect) ends
    // now, on whatever thread it runs, and connects and exchanges fail at once from now on. A modem
    // call that is up or being set up is dropped at once (DTR), since the machine's own hang-up
    // takes seconds the closing program does not wait for; the modem is stepped no more.
    void TerminaAttese();
    bool ModemPronto() const { return Modem_.ModemPronto(); }
    // Suspends the modem polling and returns once no step is running, so that the caller is the
    // ring's only reader from then on; RiprendiModem lets the polling run again.
    void SospendiModem();
    void RiprendiModem() { Pausa.store(false); }
    bool Occupato() const;

    // Raised by the disconnect and by TerminaAttese; makes a connect in progress give up. Only a
    // connect clears it.
    std::atomic<bool> Interrompi{false};
    std::atomic<bool> Chiusura{false}; // set for good by TerminaAttese
    std::atomic<bool> Termina{false};
    std::atomic<bool> Pausa{false};

    // The exchange in progress; touched only by the thread that holds the busy mark.
    TFrameComunic FrameCorrente{};
    int Tentativi = 0;
    platform::Instant ScadenzaRisposta{};
    std::atomic<std::uint8_t> EsitoComando{0};

    // Frames sent so far, the resends among them, and the time requests spent waiting for the
    // copies of a resent exchange (diagnostics, tests and figures).
    std::uint64_t FrameInviati() const { return inviati_.load(); }
    std::uint64_t Reinvii() const { return reinvii_.load(); }
    platform::Duration TempoQuiete() const { return platform::Duration(tempoQuiete_.load()); }
    // When the last byte of the last frame went out.
    platform::Instant UltimoInvio() const { return ultimoInvio_.load(); }

  protected:
    void Execute() override;

  private:
    class Turno;
    // Takes the busy mark; false when it is held.
    bool Prendi();
    void Rilascia();
    bool Annullato() const;
    // The exchange proper, with the busy mark held by the caller.
    std::uint8_t Scambia(const TFrameComunic& Frame);
    // The reply window of one send.
    platform::Duration FinestraRisposta() const;
    // Before `Prossima` goes out: waits until no copy that a resent exchange may still draw could
    // pass for its reply. False, and nothing may be sent, when the wait is ended by an abort, the
    // program closing or Ferma.
    bool AttendiQuiete(const TFrameComunic& Prossima);
    void Reinvia();
    // The call is over or given up on: the machine hangs the line up, and the link counts as not
    // connected from now on.
    void Riaggancia();
    void AttendiPasso(int BytePrecedente);
    // Sleeps up to `d` (real time), ended early by Ferma, an abort, or the disconnect and
    // TerminaAttese (both raise Interrompi).
    void Dormi(platform::Duration d);
    void Sveglia();

    TKivCanale& Canale_;
    TKivComunic& Comunic_;
    TKivModem& Modem_;
    platform::MonotonicClock Orologio_;

    mutable std::mutex occM_;
    std::condition_variable occCv_;
    bool occupato_ = false;
    bool annulla_ = false;
    std::thread::id occupante_{};

    // Held by the loop across its pause test and its modem step.
    std::mutex passoM_;
    std::mutex sonnoM_;
    std::condition_variable sonnoCv_;
    std::uint64_t sveglie_ = 0;

    // The copies resent exchanges may still draw; touched only by the thread that holds the busy
    // mark.
    TQuieteReinvio quiete_;

    std::atomic<std::uint64_t> inviati_{0};
    std::atomic<std::uint64_t> reinvii_{0};
    std::atomic<platform::Duration::rep> tempoQuiete_{0};
    std::atomic<platform::Instant> ultimoInvio_{platform::Instant{}};
};
