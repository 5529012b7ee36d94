#pragma once
// What an exchange that had to resend leaves behind: the panel may still answer the other sends,
// and the requests that follow must not take such a copy for their own reply. Both links, serial
// and UDP, keep one of these and follow the same rules.
//
// Most copies can be told from the next reply: a reply of another block of the same read, or of the
// previous request's command and length, answers an earlier request. The exchange ignores it and
// goes on waiting, without a resend (a resend would only draw one more copy). Only a request whose
// reply looks exactly like the previous one's (writes acknowledged alike, one after the other) cannot
// tell a copy from its own reply: that request waits until no copy can come any more (the quiet).
//
// How long that is depends on what the exchange and the panel have shown:
// - When every send but the last drew an answer in its own window (damaged, since it was not taken),
//   and nothing else came in those windows, the panel has answered every send: nothing more comes.
// - On a serial line, which holds nothing back, a panel that answered this command at its first send
//   within half a reply window is taken to answer it always within that time plus half a window (how
//   far its answer times may vary), which is within the send's own window. A window that passed whole
//   then took with it everything its send could draw, a silent one included (the request did not reach
//   the panel); only a window cut short by a wrong frame leaves an answer to come, by the last send
//   plus that time.
// - Otherwise: until the last send's window is over. On a serial line, after a window that passed in
//   silence (a panel that may answer late, or one that works through the sends one after the other),
//   also as long again as the accepted reply took since that window's send, plus half a window. A
//   network, whose 10 s window is long already, is given the last send's window only.
#include "link/KivComunic.h"
#include "platform/clock/Clock.h"

#include <cstdint>
#include <map>
#include <optional>

class TQuieteReinvio {
  public:
    enum class TLinea { Seriale, Rete };
    explicit TQuieteReinvio(TLinea Linea) : linea_(Linea) {}

    // The request's first send is about to go out.
    void Inizia(const TFrameComunic& Richiesta);
    // A send of the request went out at `Ora`. A resend says whether a wrong frame cut the previous
    // window short.
    void Invio(platform::Instant Ora, bool DopoFrameErrato = false);
    // Something came from the panel in the window of the last send.
    void Ricevuto() { silenzio_ = false; }
    // A copy of an earlier request's reply came in that window, and was ignored.
    void CopiaIgnorata() { estraneo_ = true; }
    // The exchange ended: its reply accepted at `Ora`, or (`Riuscito` false) given up on.
    void Fine(bool Riuscito, platform::Instant Ora, platform::Duration Finestra);

    // True when `Frame`, which does not answer `Richiesta`, answers an earlier request: a reply of
    // another block of the same read, or of the previous exchange's request.
    bool RispostaPrecedente(const TFrameComunic& Richiesta, const TFrameComunic& Frame) const;
    // Until when `Prossima` must wait before it goes out; an instant already past when it need not.
    platform::Instant QuieteFino(const TFrameComunic& Prossima) const;

  private:
    // The end of the quiet after the exchange just ended with a resend, as the rules above say.
    platform::Instant FineQuiete(platform::Instant Ora, platform::Duration Finestra) const;

    TLinea linea_;
    TFrameComunic corrente_{}, precedente_{};
    // The resent request whose copies may still come, and until when.
    TFrameComunic quieteRichiesta_{};
    platform::Instant quieteFino_{};
    // By command, the longest time the panel took to answer a first send, since its identification.
    std::map<std::uint8_t, platform::Duration> latenze_;
    // The exchange in progress: its sends and the last one's time; whether that send's window has had
    // anything, and anything but an answer; the send of the first window that passed in silence;
    // whether every earlier window drew an answer and nothing else, and whether one was cut short.
    int invii_ = 0;
    platform::Instant ultimoInvio_{};
    bool silenzio_ = true, estraneo_ = false;
    std::optional<platform::Instant> primoSilenzio_;
    bool tutteRisposte_ = true, anticipato_ = false;
};
