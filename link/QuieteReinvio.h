#pragma once
// What an exchange that had to resend leaves behind, for the serial and the UDP link alike: each
// send may draw an answer of its own, and only one of them was taken. A late answer to another send
// must never be taken for the reply to a later request.
//
// Each frame that comes whole is judged here: the request's reply, a copy of an earlier reply (a
// reply of another block of the same read, or of the previous request's command and length),
// which is ignored without a resend since a resend would only draw one more, or a failed attempt.
//
// A request whose reply could not be told from such a copy (the same reply command and length, and
// no block number that differs: writes acknowledged alike) first waits until no answer to the
// resent exchange can come any more (the quiet). That rests only on what the resent exchange showed:
// - A window is answered when it ran to its end, exactly one frame ended in it and was refused
//   (damaged on the way), nothing else came, and no frame was still arriving when it ended. A send
//   draws one answer at most, so when every window but the last was answered, every send has had
//   its answer: nothing more comes, and nothing waits.
// - Otherwise the sends before the first window not answered have had their answers, and the
//   accepted reply answers that window's send or a later one: it came at most T after it, T being
//   the time from that send to the accepted reply. The quiet lasts until T and half a window after
//   the accepted reply, and at least until the last send's window is over. That covers a panel
//   whose answer times differ by less than half a window, and one that works through its requests
//   one after the other, each within T, with one send waiting behind the one it answered.
// A quiet holds whatever other request goes out before the request it guards, to this panel or
// another: nothing here depends on which panel answers, or on how fast it answered before.
#include "link/KivComunic.h"
#include "platform/clock/Clock.h"

#include <cstdint>
#include <optional>
#include <vector>

class TQuieteReinvio {
  public:
    enum class TGiudizio {
        Risposta, // the request's reply
        Copia,    // a reply to an earlier request: ignored, and the window goes on
        Errato,   // anything else: the attempt failed
    };

    // The request's first send went out, at `Ora` or after; `Rx` is the receiver its answers go
    // through.
    void Inizia(const TFrameComunic& Richiesta, platform::Instant Ora, const TKivComunic& Rx);
    // How a frame that the receiver delivered stands to the request.
    TGiudizio Giudica(const TFrameComunic& Frame);
    // The request goes out again, at `Ora` or after: the window of the send before is over.
    void Reinvio(platform::Instant Ora, const TKivComunic& Rx);
    // The exchange ended at `Ora`: its reply taken (`Riuscito`) or given up on. A failed exchange
    // ends its operation, so nothing follows that a late answer could pass for.
    void Conclusa(bool Riuscito, platform::Instant Ora, platform::Duration Finestra);
    // Until when `Prossima` must wait before it goes out; an instant already past when it need not.
    platform::Instant AttesaPrima(const TFrameComunic& Prossima) const;

  private:
    // The reply a resent request drew, and until when a copy of it may still come.
    struct TQuiete {
        TFrameComunic Copia;
        platform::Instant Scadenza;
    };
    std::vector<TQuiete> quieti_;
    TFrameComunic corrente_{}, precedente_{};
    // The exchange in progress: when its last send went; the receiver's count of refused frames at
    // that send; whether anything but a refused frame came in its window; the send of the first
    // window that was not answered.
    platform::Instant ultimoInvio_{};
    std::uint32_t rifiutatiAllInvio_ = 0;
    bool altro_ = false;
    std::optional<platform::Instant> primoSenzaRisposta_;
};
