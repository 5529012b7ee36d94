#pragma once
// The remote link over UDP, apart from its window: the server on the local port, the hello that
// asks for a connection, the frames as hexadecimal text, the transaction with its resends, the
// 1-second tick (question, session end, keep-alive) and the end of a connection with command 22.
// The window supplies only what a user sees, through TFinestra; everything else is here so that
// it runs, is tested and is fuzzed without widgets.
//
// A hello never moves any traffic by itself: it raises the question, and only the user's Yes makes
// its sender the connected panel (a new session). Until then every datagram from it but a hello is
// dropped, and the panel already connected, if any, keeps its transactions. One question at a
// time: hellos that come while one is open are dropped. A No tells the asking panel, with command
// 22, that it has no session. Once the program is closing nobody is asked: a panel waiting for its
// question, or greeting later, is refused as by a No. A restart of the server forgets a hello not
// yet asked about: only hellos to the new socket are asked about.
//
// A reply counts only if it came after its request went out: whatever arrived before is cleared
// when the request is sent. After an exchange that needed a resend, a second copy of its reply may
// still be on the way: one that is recognisably an earlier request's reply is ignored, and a request
// whose reply it could pass for waits first, as on the serial link (TQuieteReinvio). An
// acknowledgement carries no block number: a copy that the network duplicates after the next
// request went out cannot be told from that request's own acknowledgement.
#include "link/KivComunic.h"
#include "link/LinkComando.h"
#include "link/QuieteReinvio.h"
#include "platform/clock/Clock.h"
#include "platform/net/UdpServer.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// As a TLinkComando it exchanges with the connection that is up at each call.
class TServerUdpLink : public TLinkRemoto, public TLinkComando {
  public:
    // The window's part. Log may be called from any thread and must not block; the others are
    // called on the thread that runs the tick or ends the connection (the UI thread in the program).
    struct TFinestra {
        std::function<void(const std::string&)> Log; // one line of the memo Messaggi
        std::function<void(const std::string&)>
            MostraConnesso;                     // accepted: first page, label caption, label and button shown
        std::function<void()> NascondiConnesso; // label and button hidden
    };

    static constexpr int PortaIniziale = 4000;
    static constexpr std::size_t MaxDatagramma = 601; // the receive buffer
    static constexpr std::size_t MaxTestoFrame = 598; // characters of a frame's text
    static constexpr auto TempoSessione = std::chrono::seconds(600);
    static constexpr auto TempoLink = std::chrono::seconds(10);
    static constexpr auto TempoRisposta = std::chrono::seconds(10);
    static constexpr auto TempoNonInviato = std::chrono::seconds(1);
    static constexpr int MaxTentativi = 3;

    explicit TServerUdpLink(platform::MonotonicClock Orologio = &platform::SteadyNow);
    ~TServerUdpLink() override; // ends every wait, stops the server
    TServerUdpLink(const TServerUdpLink&) = delete;
    TServerUdpLink& operator=(const TServerUdpLink&) = delete;

    TFinestra Finestra; // set before the server starts
    // The local address the server binds; the program listens on every interface.
    std::string IndirizzoAscolto = platform::net::DefaultBindAddress();
    std::string StrAccettareConnessione = "Accettare connessione";
    std::string StrConnessioneCon = "Connesso con";
    // The pause before a request's first send (the panel's GPRS module needs it between frames).
    std::chrono::milliseconds AttesaPrimoInvio{25};

    // Restarts the server on Porta. False, with the reason in Errore (also logged, and written to
    // the diagnostic log), when it cannot listen there; the link is marked active all the same: a
    // connection that was up stays up, and each of its sends fails and is logged as "Errore Invio".
    bool AvviaServerUdp(int Porta, std::string* Errore = nullptr);
    // Stops the server. A transaction waiting for a reply ends at once with 4: nothing could reach
    // it any more. Command 22 on the closing thread still makes its first send (the socket is open
    // until that thread is joined), then ends the same way. A hello not asked about is forgotten.
    void FermaServerUdp();
    // The program is closing: every transaction under way ends at once with 4 (command 22 to a
    // panel gone silent included, once its first datagram has gone) and none starts from now on
    // but command 22 on the closing thread, which only makes its first send. A hello not asked
    // about is refused at once, and every later one at the next tick: no question is asked.
    void TerminaAttese();
    // The port listened on, 0 when none.
    int PortaAscolto() const { return server_.Porta(); }

    // A datagram arrived (the listener thread; also the fuzz target's way in).
    void UDPServerUDPRead(const std::uint8_t* Dati, std::size_t Lunghezza, const platform::net::UdpPeer& Da);
    // The 1-second tick. Asks the user (confirmation dialog) about a hello; a No sends command 22
    // to the asking panel on the closing thread (the connected panel's connection ends with it).
    // While the program closes, the hello is refused without asking.
    void Timer1Timer();
    // Ends the connection: label and button hidden and the link down at once; command 22 goes to
    // the panel on a thread of this link's, so that a silent panel never holds the caller.
    void TerminaConnessioneUdp();
    // One transaction with the connected panel (session Sessione; the connection up now when none
    // is given): 1 busy, 2 reply in Risposta, 4 failed (0 for a frame with Comando 0).
    std::uint8_t InviaComandoUdp(const TFrameComunic& Frame);
    std::uint8_t InviaComandoUdp(const TFrameComunic& Frame, std::uint64_t Sessione);

    std::uint64_t Sessione() const override;
    std::uint8_t InviaComando(const TFrameComunic& Frame, std::uint64_t S) override {
        return InviaComandoUdp(Frame, S);
    }
    std::uint8_t InviaComando(const TFrameComunic& Frame) override { return InviaComandoUdp(Frame); }
    void CopiaRisposta(TFrameComunic& Frame) override;

    // A consistent copy of the link state, for the window and the tests.
    struct TStato {
        bool ServerAttivo, InvioInCorso, Connesso, NuovaConnessione, DomandaAperta;
        std::string IdentRemoto;
        platform::net::UdpPeer Peer;
        std::uint8_t Tentativi, EsitoInvio;
        std::uint8_t RichiestaComando, RispostaComando, RispostaLunghezza;
        std::uint8_t RxStato;
    };
    TStato Stato() const;

    // A frame as datagram text; false when it cannot be coded whole within MaxTestoFrame
    // characters (a cut frame would only be refused by the panel).
    static bool CodificaTestoFrame(const TFrameComunic& Frame, std::string& Testo);

  private:
    class TLinkChiusura;
    // Where a transaction goes. A transaction of a connection is for its session and panel; command
    // 22 on the closing thread gets its panel, and the stops and closings before it, when that
    // thread is made, so that a stop coming before the transaction starts is still seen.
    struct TDestinazione {
        std::uint64_t Sessione = 0; // 0 for a refused panel, which has none
        platform::net::UdpPeer Peer;
        std::uint64_t Fermate = 0, Chiusure = 0;
        bool Chiusura = false; // command 22 on the closing thread
    };

    void AzzeraRicezioneUdp();
    void RiceviByteUdp(std::uint8_t B);
    void Hello(const std::uint8_t* Dati, std::size_t Lunghezza, const platform::net::UdpPeer& Da,
               std::vector<std::string>& Log);
    // Takes the hello waiting for its question, if any (m_ held).
    bool PrendiHello(platform::net::UdpPeer& Da);
    // The user's answer about Da's hello (Etichetta: the connection label for a Yes).
    void Rispondi(const platform::net::UdpPeer& Da, bool Si, const std::string& Etichetta);
    std::uint8_t Transazione(const TFrameComunic& Frame, const TDestinazione& D);
    // false when the request cannot travel at all (too long for a datagram)
    bool InviaFrameUdp(std::vector<std::string>& Log, bool Primo = false);
    std::uint8_t ControllaRispostaUdp(std::vector<std::string>& Log);
    // The connection that is up (sessione_ unless it is ending); m_ held.
    std::uint64_t SessioneAttiva() const { return inChiusura_ ? 0 : sessione_; }
    // The panel whose frames go to the receiver: the transaction's while one runs, otherwise the
    // connected one (nullptr: none); m_ held.
    const platform::net::UdpPeer* PannelloAtteso() const;
    // The transaction's session is no longer the connection, or the server is stopping; for command
    // 22 on the closing thread, also when anything else wants the link.
    bool TransazioneSenzaSessione() const;
    // Command 22 on the closing thread whose panel is now that of another connection: nothing of it
    // may reach that panel, which would take it as the end of its new session.
    bool ChiusuraAnnullata() const;
    void Registra(std::vector<std::string>& Log);
    void AttendiPasso();
    // Ends every transaction under way (they fail at their next poll) and waits for the closing
    // thread.
    void FermaTransazioni();
    // Command 22 to D's panel on a new closing thread; the one before gives way.
    void AvviaChiusura(TDestinazione D);
    // Runs command 22 on the closing thread, then lets D's session go.
    void ChiudiSessione(const TDestinazione& D);

    platform::MonotonicClock orologio_;
    platform::net::UdpServer server_;

    mutable std::mutex m_; // the link state below and the peer
    std::condition_variable arrivato_;
    bool serverAttivo_ = false, invioInCorso_ = false, nuovaConnessione_ = false;
    // The accepted connection: its session (0 none), its panel and identification. A session that is
    // ending keeps its number until command 22 is over, but no longer counts as connected.
    std::uint64_t sessione_ = 0, ultimaSessione_ = 0;
    bool inChiusura_ = false;
    bool programmaInChiusura_ = false;
    std::string identRemoto_;
    platform::net::UdpPeer peer_;
    // The hello the user is being asked about, from its arrival until the answer.
    bool domandaAperta_ = false;
    platform::net::UdpPeer candidato_;
    std::string identCandidato_;
    // The transaction under way: its session, its panel, and the stops and closings it came after.
    // A closing is counted for every command 22 started and every transaction of the connection
    // that finds one holding the link: command 22 then gives way.
    std::uint64_t sessioneInvio_ = 0, fermateInvio_ = 0, fermate_ = 0, chiusureInvio_ = 0, chiusure_ = 0;
    platform::net::UdpPeer peerInvio_;
    bool chiusuraInvio_ = false;
    platform::Instant scadenzaSessione_{}, scadenzaLink_{}, scadenzaRisposta_{};
    // The answers that resent exchanges may still draw, whatever panel the next request is for: a
    // request to another panel may wait for answers that could not reach it, which costs only time,
    // and a panel whose session ends and comes back is never answered by its own late copies.
    TQuieteReinvio quiete_;
    std::uint8_t tentativi_ = 0, esitoInvio_ = 0;
    TFrameComunic richiesta_{}, risposta_{};
    // The reply the last transaction answered 2 for: a frame that comes before its caller copies it
    // (a duplicate, a stray reply) must not take its place.
    TFrameComunic accettata_{};
    TKivComunic rx_; // the serial receiver's steps; never ticked, so a cut frame waits for more bytes
    // Command 22 of an ending connection or to a refused panel; joined before the next one starts and
    // when the server stops.
    std::mutex chiusuraM_;
    std::thread chiusura_;
};
