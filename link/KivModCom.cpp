#include "link/KivModCom.h"

TKivModCom::~TKivModCom() {
    if (LinkSeriale() == this) RegistraLinkSeriale(nullptr);
    form_.reset();
}

void TKivModCom::Loaded() {
    if (form_) return;
    form_ = std::make_unique<TKivModComFrm>(*this, OpzioniFinestra);
    RegistraLinkSeriale(this);
}

bool TKivModCom::Setup() {
    if (!form_ || !MostraFinestra) return false;
    return MostraFinestra(*form_);
}

std::uint8_t TKivModCom::InviaComando(const TFrameComunic& Frame) {
    if (!form_) return EsitoFallito;
    return form_->ThreadCom().EseguiComando(Frame);
}

void TKivModCom::CopiaRisposta(TFrameComunic& Frame) {
    Frame = Risposta();
}

std::uint8_t TKivModCom::Connetti(const std::string& Numero, std::uint8_t LunghezzaRisposta) {
    if (!form_) return EsitoFallito;
    form_->CaricaConfig();
    return form_->ThreadCom().ApriCollegamento(Numero, LunghezzaRisposta);
}

std::uint8_t TKivModCom::Disconnetti() {
    if (!form_) return EsitoOk;
    return form_->ThreadCom().ChiudiCollegamento();
}

void TKivModCom::TerminaAttese() {
    if (form_) form_->ThreadCom().TerminaAttese();
}

bool TKivModCom::Connesso() const {
    return form_ && form_->ThreadCom().CollegamentoAttivo();
}

TFrameComunic TKivModCom::Risposta() const {
    std::lock_guard lock(rispostaM_);
    return risposta_;
}

void TKivModCom::ImpostaRisposta(const TFrameComunic& Frame) {
    std::lock_guard lock(rispostaM_);
    risposta_ = Frame;
}
