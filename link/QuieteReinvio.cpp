#include "link/QuieteReinvio.h"

#include "link/LinkComando.h"
#include "link/def_ver11.h"

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

void TQuieteReinvio::Inizia(const TFrameComunic& Richiesta) {
    precedente_ = corrente_;
    corrente_ = Richiesta;
    // Every operation and every connect starts with the identification: the panel that answers it
    // may not be the one that answered before.
    if (Richiesta.Comando == CmdIdentificazione) latenze_.clear();
    invii_ = 0;
    primoSilenzio_.reset();
    tutteRisposte_ = true;
    anticipato_ = false;
}

void TQuieteReinvio::Invio(platform::Instant Ora, bool DopoFrameErrato) {
    if (invii_ > 0) {
        estraneo_ = estraneo_ || DopoFrameErrato;
        if (silenzio_ && !primoSilenzio_) primoSilenzio_ = ultimoInvio_;
        tutteRisposte_ = tutteRisposte_ && !silenzio_ && !estraneo_;
        anticipato_ = anticipato_ || DopoFrameErrato;
    }
    ++invii_;
    ultimoInvio_ = Ora;
    silenzio_ = true;
    estraneo_ = false;
}

void TQuieteReinvio::Fine(bool Riuscito, platform::Instant Ora, platform::Duration Finestra) {
    // A failed exchange ends its operation: nothing follows that a copy could answer.
    if (!Riuscito || invii_ == 0) return;
    if (invii_ == 1) {
        const platform::Duration presa = Ora - ultimoInvio_;
        if (const auto [l, nuova] = latenze_.try_emplace(corrente_.Comando, presa); !nuova)
            l->second = std::max(l->second, presa);
        return;
    }
    quieteRichiesta_ = corrente_;
    quieteFino_ = FineQuiete(Ora, Finestra);
}

platform::Instant TQuieteReinvio::FineQuiete(platform::Instant Ora, platform::Duration Finestra) const {
    if (tutteRisposte_) return {};
    if (linea_ == TLinea::Seriale) {
        if (const auto l = latenze_.find(corrente_.Comando); l != latenze_.end() && l->second <= Finestra / 2)
            return anticipato_ ? ultimoInvio_ + l->second + Finestra / 2 : platform::Instant{};
        if (primoSilenzio_)
            return std::max(ultimoInvio_ + Finestra, Ora + (Ora - *primoSilenzio_) + Finestra / 2);
    }
    return ultimoInvio_ + Finestra;
}

bool TQuieteReinvio::RispostaPrecedente(const TFrameComunic& Richiesta, const TFrameComunic& Frame) const {
    return ConfrontaRisposta(Richiesta, Frame) == TRisposta::AltroBlocco ||
           (precedente_.Comando != 0 && ConfrontaRisposta(precedente_, Frame) != TRisposta::AltroComando);
}

platform::Instant TQuieteReinvio::QuieteFino(const TFrameComunic& Prossima) const {
    if (quieteRichiesta_.Comando == 0 || !RispostaCorrisponde(Prossima, RispostaA(quieteRichiesta_)))
        return platform::Instant{};
    return quieteFino_;
}
