#include "link/QuieteReinvio.h"

#include "link/LinkComando.h"

#include <algorithm>

namespace {

// The reply a request draws, as far as the reply test looks at it: its command, its length and,
// for the reads of a block, the block it echoes.
TFrameComunic RispostaA(const TFrameComunic& Richiesta) {
    TFrameComunic r;
    r.Comando = Richiesta.Comando;
    r.Lunghezza = Richiesta.LunghezzaRisposta;
    if (Richiesta.Lunghezza >= 1) r.Dati[0] = Richiesta.Dati[0];
    return r;
}

} // namespace

void TQuieteReinvio::Inizia(const TFrameComunic& Richiesta, platform::Instant Ora, const TKivComunic& Rx) {
    precedente_ = corrente_;
    corrente_ = Richiesta;
    ultimoInvio_ = Ora;
    rifiutatiAllInvio_ = Rx.FrameRifiutati;
    altro_ = false;
    primoSenzaRisposta_.reset();
}

TQuieteReinvio::TGiudizio TQuieteReinvio::Giudica(const TFrameComunic& Frame) {
    const TRisposta r = ConfrontaRisposta(corrente_, Frame);
    if (r == TRisposta::Corrisponde) return TGiudizio::Risposta;
    altro_ = true;
    if (r == TRisposta::AltroBlocco ||
        (precedente_.Comando != 0 && ConfrontaRisposta(precedente_, Frame) != TRisposta::AltroComando))
        return TGiudizio::Copia;
    return TGiudizio::Errato;
}

void TQuieteReinvio::Reinvio(platform::Instant Ora, const TKivComunic& Rx) {
    const bool risposta =
        Rx.FrameRifiutati - rifiutatiAllInvio_ == 1 && !altro_ && Rx.Stato == TKivComunic::StatoAttesaStx;
    if (!risposta && !primoSenzaRisposta_) primoSenzaRisposta_ = ultimoInvio_;
    ultimoInvio_ = Ora;
    rifiutatiAllInvio_ = Rx.FrameRifiutati;
    altro_ = false;
}

void TQuieteReinvio::Conclusa(bool Riuscito, platform::Instant Ora, platform::Duration Finestra) {
    std::erase_if(quieti_, [&](const TQuiete& q) { return q.Scadenza <= Ora; });
    // Without a window left unanswered, every send had its answer (or there was one send only).
    if (!Riuscito || !primoSenzaRisposta_) return;
    quieti_.push_back({RispostaA(corrente_),
                       std::max(ultimoInvio_ + Finestra, Ora + (Ora - *primoSenzaRisposta_) + Finestra / 2)});
}

platform::Instant TQuieteReinvio::AttesaPrima(const TFrameComunic& Prossima) const {
    platform::Instant fino{};
    for (const TQuiete& q : quieti_)
        if (RispostaCorrisponde(Prossima, q.Copia)) fino = std::max(fino, q.Scadenza);
    return fino;
}
