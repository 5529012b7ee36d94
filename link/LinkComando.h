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
constexpr std::uint8_t EsitoOk = 2;               // a reply of the request's command, length and block came
constexpr std::uint8_t EsitoFallito = 4;          // no matching reply after the attempts, or no link

// How a received frame stands to the request waiting for its reply.
enum class TRisposta {
    Corrisponde,  // the request's command, the reply length it waits for, and the block it named
    AltroComando, // another command or another data length: a reply to something else
    AltroBlocco,  // the same read of another block: a late or repeated reply to the previous request
};
// The one test of a reply, for every link. The reads of zone, keypad and event blocks name a block
// and their replies echo the block they hold, which is where the reply is stored: the echo must be
// the block asked for. Acknowledgements carry no data and so no block to compare.
TRisposta ConfrontaRisposta(const TFrameComunic& Richiesta, const TFrameComunic& Risposta);
inline bool RispostaCorrisponde(const TFrameComunic& Richiesta, const TFrameComunic& Risposta) {
    return ConfrontaRisposta(Richiesta, Risposta) == TRisposta::Corrisponde;
}

class TLinkComando {
  public:
    virtual ~TLinkComando() = default;
    // Sends the request and waits for its reply (RispostaCorrisponde); resends and time-outs are
    // the link's own.
    virtual std::uint8_t InviaComando(const TFrameComunic& Richiesta) = 0;
    // Copies the reply accepted by the last exchange that returned EsitoOk.
    virtual void CopiaRisposta(TFrameComunic& Risposta) = 0;
};

// The remote link over UDP. A connection is up once the user has accepted a panel's hello, until
// it ends; each accepted connection is a session of its own, so that a transaction can be tied to
// the panel it was meant for.
class TLinkRemoto {
  public:
    virtual ~TLinkRemoto() = default;
    // The connection that is up, 0 when none is.
    virtual std::uint64_t Sessione() const = 0;
    bool Connesso() const { return Sessione() != 0; }
    // One exchange with the panel of session Sessione; it fails when that session is no longer the
    // connection (ended, or another panel accepted meanwhile). Results as TLinkComando's.
    virtual std::uint8_t InviaComando(const TFrameComunic& Richiesta, std::uint64_t Sessione) = 0;
    virtual void CopiaRisposta(TFrameComunic& Risposta) = 0;
};

// The link one operation uses from its first command to its last, chosen when it is made: the
// remote connection if one is up then, tied to that session, otherwise the serial link. A hello
// that arrives meanwhile can therefore never take over the rest of an operation.
class TLinkOperazione final : public TLinkComando {
  public:
    explicit TLinkOperazione(TLinkComando& Seriale);
    std::uint8_t InviaComando(const TFrameComunic& Richiesta) override;
    void CopiaRisposta(TFrameComunic& Risposta) override;
    bool Remoto() const { return remoto_ != nullptr; }

  private:
    TLinkComando& seriale_;
    TLinkRemoto* remoto_ = nullptr;
    std::uint64_t sessione_ = 0;
};

// The UDP link registers itself when its window is created and withdraws (nullptr) when it goes.
void RegistraLinkRemoto(TLinkRemoto* Link);
TLinkRemoto* LinkRemoto();

// The program's serial link component (the options window's), for callers that are not handed
// one. nullptr until the component exists.
void RegistraLinkSeriale(TLinkComando* Link);
TLinkComando* LinkSeriale();
