#pragma once
// What the link thread and the modem state machine use of the link settings window: the serial
// port with its receive ring, the stored link settings and, through the window's owner, the link
// component's settings. The window implements it; tests put a scripted line in its place.
#include "link/KivComunic.h"
#include "platform/clock/Clock.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>

// A text field of "comconfig.cfg": a length byte and 16 characters. Characters past the length
// carry no meaning.
struct TStringaCom {
    std::uint8_t Lunghezza = 0;
    char Testo[16] = {};

    // Longer texts are cut to 16 characters.
    void Imposta(std::string_view s) {
        const std::size_t n = std::min(s.size(), sizeof Testo);
        std::fill(std::begin(Testo), std::end(Testo), '\0');
        std::copy_n(s.data(), n, Testo);
        Lunghezza = static_cast<std::uint8_t>(n);
    }
    // A damaged length byte above 16 reads as 16: the field never holds more.
    std::string Valore() const { return std::string(Testo, std::min<std::size_t>(Lunghezza, sizeof Testo)); }
};
static_assert(sizeof(TStringaCom) == 17);

// The link settings, byte for byte the 71-byte file "comconfig.cfg".
struct TConfigCom {
    std::uint8_t TipoConnessione = 1; // 1 direct cable, 0 modem
    std::uint8_t ComCavo = 0;         // n of COMn; 0 none
    std::uint8_t ComModem = 0;
    TStringaCom StrInit1;
    TStringaCom StrInit2;
    TStringaCom StrInit3;
    TStringaCom StrDial; // put before the telephone number
};
static_assert(sizeof(TConfigCom) == 71);
static_assert(offsetof(TConfigCom, ComModem) == 2 && offsetof(TConfigCom, StrInit1) == 3 &&
              offsetof(TConfigCom, StrInit2) == 20 && offsetof(TConfigCom, StrInit3) == 37 &&
              offsetof(TConfigCom, StrDial) == 54);

// The values of TConfigCom::TipoConnessione. The window's choice lists the same two the other way
// round: its item indexes are collegamento::VoceCavo and VoceModem.
constexpr std::uint8_t ConnessioneModem = 0;
constexpr std::uint8_t ConnessioneCavo = 1;

class TKivCanale {
  public:
    virtual ~TKivCanale() = default;

    // Sends one byte when the port is open (dropped otherwise); returns the byte.
    virtual std::uint8_t InviaByte(std::uint8_t B) = 0;
    // The next received byte, or -1 when none is waiting.
    virtual int LeggiByteRx() = 0;
    // Waits, at most `Massimo`, until a received byte is waiting or the wait is cut short by
    // Sveglia. Only an optimisation: callers test the ring and their deadlines again afterwards.
    virtual void AttendiRx(platform::Duration Massimo) = 0;
    // Ends a running AttendiRx at once (an exchange being aborted).
    virtual void Sveglia() = 0;
    // Empties the receive side: the port's buffers and the ring.
    virtual void SvuotaRx() = 0;
    // Reads the settings file again and reopens the port.
    virtual bool CaricaConfig() = 0;

    // The stored settings, as a copy (they change on the UI thread).
    virtual TConfigCom ConfigSalvata() const = 0;
    // The port last applied; 0 when none is configured.
    virtual int NumeroPorta() const = 0;
    virtual bool PortaAperta() const = 0;
    virtual void ImpostaDtr(bool Attivo) = 0;
    // The modem's carrier detect line (DCD); false when the port is closed or cannot tell.
    virtual bool Portante() const = 0;

    // The link component's settings, read at each use.
    virtual int TimeoutComandDec() const = 0;
    virtual int NumTentativi() const = 0;
    virtual bool AbilitaConnectRemoto() const = 0;
    virtual int ModemTimeoutLinkOnSec() const = 0;
    // An accepted reply, for the link component's Risposta.
    virtual void ConsegnaRisposta(const TFrameComunic& Risposta) = 0;
};
