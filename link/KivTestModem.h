#pragma once
// The GSM signal test: asks a ready modem for its registration (AT+CREG?), its operator
// (AT+COPS?) and its signal quality (AT+CSQ), in the reply forms of 3GPP TS 27.007, through the
// link settings window's port and ring. While it talks to the modem the link thread's modem polling
// is suspended, so the ring has a single reader; every way out lets the polling run again.
//
// Two variants share it: the signal-test window of the link settings (registration first, each
// reply sought by a sliding window within a 5 s deadline) and the program's own signal-test window
// (no readiness test or registration query; the reply must be the first thing received).
//
// Everything runs on the UI thread, where the received bytes arrive: every wait lets pending
// messages run, which is also how the close button ends a wait (FineTest).
#include "link/KivCanale.h"
#include "platform/clock/Clock.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <string_view>

class TKivThreadCom;

// What a query cycle found.
struct TLetturaSegnale {
    std::string Operatore; // at most 16 characters
    int Livello = 0;       // 0..31
    int ErrorRate = 0;
};

class TKivTestModem {
  public:
    static constexpr auto TempoRisposta = std::chrono::seconds(5);
    static constexpr auto AttesaComando = std::chrono::milliseconds(300);
    static constexpr std::size_t LunghezzaOperatore = 16;

    TKivTestModem(TKivCanale& Canale, TKivThreadCom& Thread,
                  platform::MonotonicClock Orologio = &platform::SteadyNow);
    ~TKivTestModem();
    TKivTestModem(const TKivTestModem&) = delete;
    TKivTestModem& operator=(const TKivTestModem&) = delete;

    // The window is closing: running waits end.
    std::atomic<bool> FineTest{false};
    // Operator text when the modem is not registered.
    std::string TestoNoNetwork = "No Network";
    // Every command sent (diagnostics and tests).
    std::function<void(std::string_view)> AlComando;

    TKivCanale& Canale() { return Canale_; }

    // Sends the text, then CR.
    void InviaStringa(std::string_view Testo);

    // Signal-test window of the link settings: showing (operator names in long alphanumeric form,
    // when the modem is ready) and one query cycle.
    void Avvio();
    TLetturaSegnale Ciclo();
    // The program's own signal-test window: showing and one query cycle.
    void AvvioDiretto();
    TLetturaSegnale CicloDiretto();
    // The window closes: waits end and the polling runs again.
    void Fine();

  private:
    class Sospensione;
    // Lets pending messages run, then takes the next byte of the ring (-1 when empty).
    int Leggi();
    // The next byte, waiting for it until `Scadenza` or FineTest; -1 when none came.
    int LeggiEntro(platform::Instant Scadenza);
    void AttendiByte();
    // Waits `d`, pending messages running, cut short by FineTest.
    void Aspetta(platform::Duration d);
    // Waits until `Token` has arrived (anywhere in the received text); false at the deadline.
    bool AttendiToken(std::string_view Token, platform::Instant Scadenza);
    // The received text must begin with `Token`; reads until the ring is found empty.
    bool TokenInTesta(std::string_view Token);
    // Reads until the ring is found empty.
    void LeggiResto();
    bool LeggiRegistrazione(platform::Instant Scadenza);
    void LeggiOperatore(std::string& Operatore, platform::Instant Scadenza);
    void LeggiSegnale(TLetturaSegnale& Lettura, platform::Instant Scadenza);

    TKivCanale& Canale_;
    TKivThreadCom& Thread_;
    platform::MonotonicClock Orologio_;
};
