#include "link/LinkComando.h"

#include "link/def_ver11.h"

#include <atomic>

namespace {
// Registered on the UI thread, read by the worker thread: atomic pointers.
std::atomic<TLinkRemoto*> linkRemoto{nullptr};
std::atomic<TLinkComando*> linkSeriale{nullptr};
} // namespace

TRisposta ConfrontaRisposta(const TFrameComunic& Richiesta, const TFrameComunic& Risposta) {
    if (Risposta.Comando != Richiesta.Comando || Risposta.Lunghezza != Richiesta.LunghezzaRisposta)
        return TRisposta::AltroComando;
    switch (Richiesta.Comando) {
    case CmdLeggiBloccoZone:
    case CmdLeggiBloccoCoda:
    case CmdLeggiBloccoInseritori:
        if (Richiesta.Lunghezza >= 1 && Risposta.Lunghezza >= 1 && Risposta.Dati[0] != Richiesta.Dati[0])
            return TRisposta::AltroBlocco;
        break;
    default:
        break;
    }
    return TRisposta::Corrisponde;
}

TLinkOperazione::TLinkOperazione(TLinkComando& Seriale) : seriale_(Seriale) {
    if (TLinkRemoto* r = LinkRemoto()) {
        sessione_ = r->Sessione();
        if (sessione_ != 0) remoto_ = r;
    }
}

std::uint8_t TLinkOperazione::InviaComando(const TFrameComunic& Richiesta) {
    return remoto_ ? remoto_->InviaComando(Richiesta, sessione_) : seriale_.InviaComando(Richiesta);
}

void TLinkOperazione::CopiaRisposta(TFrameComunic& Risposta) {
    if (remoto_)
        remoto_->CopiaRisposta(Risposta);
    else
        seriale_.CopiaRisposta(Risposta);
}

void RegistraLinkRemoto(TLinkRemoto* Link) {
    linkRemoto.store(Link);
}
TLinkRemoto* LinkRemoto() {
    return linkRemoto.load();
}

void RegistraLinkSeriale(TLinkComando* Link) {
    linkSeriale.store(Link);
}
TLinkComando* LinkSeriale() {
    return linkSeriale.load();
}
