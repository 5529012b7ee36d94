#pragma once
// What a link to the panel offers to the transaction routine: exchange one request frame for its
// reply. The serial link component and the remote UDP link both implement it, so the command set
// never depends on how the frame travels.
#include "link/KivComunic.h"

#include <cstdint>

// Result of an exchange, the same four values for every link and every command routine.
// Only EsitoOk counts as success.
constexpr std::uint8_t EsitoNessunaRichiesta = 0; // the frame had Comando 0 (it was still sent once)
constexpr std::uint8_t EsitoOccupato = 1;         // another exchange holds the link; nothing sent
constexpr std::uint8_t EsitoOk = 2;               // a reply with the request's command and length came
constexpr std::uint8_t EsitoFallito = 4;          // no matching reply after the attempts, or no link

class TLinkComando {
  public:
    virtual ~TLinkComando() = default;
    // Sends the request and waits for the reply whose command equals the request's and whose
    // data length equals its LunghezzaRisposta; resends and time-outs are the link's own.
    virtual std::uint8_t InviaComando(const TFrameComunic& Richiesta) = 0;
    // Copies the reply accepted by the last exchange that returned EsitoOk.
    virtual void CopiaRisposta(TFrameComunic& Risposta) = 0;
};

// The remote link over UDP: up from the panel's hello until the connection ends. While it is up
// every command travels over it, whatever serial link is configured.
class TLinkRemoto : public TLinkComando {
  public:
    virtual bool Connesso() const = 0;
};

// The UDP link registers itself when its window is created and withdraws (nullptr) when it goes.
void RegistraLinkRemoto(TLinkRemoto* Link);
TLinkRemoto* LinkRemoto();

// The program's serial link component (the options window's), for callers that are not handed
// one, such as the end of a remote connection. nullptr until the component exists.
void RegistraLinkSeriale(TLinkComando* Link);
TLinkComando* LinkSeriale();
