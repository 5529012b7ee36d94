#pragma once
// The Hayes modem in front of the panel: hang up, initialise with up to three command strings,
// wait ready for a dial request (or, when enabled, an incoming call), run the "U"/"*" handshake
// with the far end, then hold the link until a hang-up request or a period without exchanges.
// The machine moves by single steps; the link thread steps it every 100 ms and the connect
// steps it too, so steps are serialised.
#include "link/KivCanale.h"
#include "platform/clock/Clock.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>

class TKivModem {
  public:
    explicit TKivModem(TKivCanale& Canale, platform::MonotonicClock Orologio = &platform::SteadyNow);

    static constexpr std::uint8_t StatoAvvio = 0;
    static constexpr std::uint8_t StatoAttesa = 1;
    static constexpr std::uint8_t StatoInizializza = 2;
    static constexpr std::uint8_t StatoPronto = 3;
    static constexpr std::uint8_t StatoRisposta = 4;
    static constexpr std::uint8_t StatoChiamata = 5;
    static constexpr std::uint8_t StatoAttesaU = 6;
    static constexpr std::uint8_t StatoAttesaAsterisco = 7;
    static constexpr std::uint8_t StatoCollegato = 8;

    // Fixed waits of the dialogue.
    static constexpr auto TempoAssestamento = std::chrono::seconds(3);
    static constexpr auto TempoComandoAT = std::chrono::seconds(3);
    static constexpr auto TempoRisposta = std::chrono::seconds(60);
    static constexpr auto TempoChiamata = std::chrono::seconds(70);
    static constexpr auto TempoHandshake = std::chrono::seconds(10);
    static constexpr auto IntervalloU = std::chrono::milliseconds(100);

    // The pauses of the hang-up sequence ("+++", DTR off, DTR on). Tests shorten them; the
    // program keeps these.
    struct TPauseSgancio {
        platform::Duration DopoEscape = std::chrono::seconds(1);
        platform::Duration DtrSpento = std::chrono::seconds(2);
        platform::Duration DopoDtr = std::chrono::seconds(1);
    };
    TPauseSgancio PauseSgancio;

    void GestioneModem();
    void AzzeraStato() { Stato.store(StatoAvvio); }
    void RichiediSgancio() { RichiestaSgancio.store(true); }
    void ImpostaChiamata(const std::string& Stringa);
    bool ModemConnesso() const { return Stato.load() == StatoCollegato; }
    bool ModemPronto() const { return Stato.load() == StatoPronto; }
    // A call is up or being set up: from the dial or the answer on.
    bool InChiamata() const { return Stato.load() >= StatoRisposta && Stato.load() <= StatoCollegato; }

    void InviaStringa(const std::string& Testo);
    // 1 still waiting, 2 "0" received, 3 no "0" within 3 s.
    std::uint8_t InviaComandoAT(const std::string& Comando);
    // 1 going on, 2 every string acknowledged, 3 a string timed out.
    std::uint8_t InizializzaModem();
    bool RicevutoCodice(char Atteso);
    virtual char FiltraCarattere(char c) { return c; }
    void SganciaLinea();

    // Ends the pauses of a running hang-up at once, for good (the link is being closed).
    void Arresta();

    std::atomic<std::uint8_t> Stato{StatoAvvio};
    std::atomic<bool> RichiestaChiamata{false};
    std::atomic<bool> RichiestaSgancio{false};
    std::atomic<platform::Instant> UltimaAttivita{platform::Instant{}};

    // Touched only inside a step (serialised).
    std::uint8_t FaseAT = 0;
    int IndiceInit = 0;
    // Starts at a line start, so that the very first result is recognised too.
    char UltimoCarattere = '\r';
    platform::Instant Scadenza{};
    platform::Instant ScadenzaU{};
    // DCD has been seen on since the link came up: from then on its drop means the carrier is lost
    // (a line that never shows DCD, a pseudo-terminal or a three-wire cable, is never taken as lost).
    bool PortanteVista = false;

    virtual ~TKivModem() = default;

  private:
    std::string StringaChiamata() const;
    // False when the machine was stopped meanwhile.
    bool Pausa(platform::Duration d);

    TKivCanale& Canale_;
    platform::MonotonicClock Orologio_;
    std::mutex passo_;
    mutable std::mutex chiamata_;
    std::string stringaChiamata_;
    std::mutex arrestoM_;
    std::condition_variable arrestoCv_;
    bool arrestato_ = false;
};
