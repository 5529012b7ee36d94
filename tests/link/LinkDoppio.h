#pragma once
// A link that records every request and answers from a script, deciding as the real links do: a
// reply counts only when it is the reply to the request (its command, length and block).
#include "link/LinkComando.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <initializer_list>
#include <optional>
#include <stdexcept>
#include <vector>

namespace testing_support {

inline TFrameComunic Frame(std::uint8_t Comando, std::initializer_list<std::uint8_t> Dati) {
    TFrameComunic f;
    f.Comando = Comando;
    for (std::uint8_t b : Dati)
        f.Dati[f.Lunghezza++] = b;
    return f;
}

inline TFrameComunic Frame(std::uint8_t Comando, const std::vector<std::uint8_t>& Dati) {
    TFrameComunic f;
    f.Comando = Comando;
    for (std::uint8_t b : Dati)
        f.Dati[f.Lunghezza++] = b;
    return f;
}

inline std::vector<std::uint8_t> DatiDi(const TFrameComunic& f) {
    return std::vector<std::uint8_t>(f.Dati, f.Dati + f.Lunghezza);
}

class LinkDoppio : public TLinkComando {
  public:
    // What the link does with the next request.
    struct Passo {
        enum Tipo { Rispondi, Esito, Eccezione } Tipo = Rispondi;
        TFrameComunic Risposta{}; // Rispondi: the frame the panel sends back
        std::uint8_t Codice = 0;  // Esito: the result returned without a reply
    };

    void Rispondi(const TFrameComunic& Risposta) { passi_.push_back({Passo::Rispondi, Risposta, 0}); }
    // An empty acknowledgement of the request's command (for commands whose reply has no data).
    void Conferma(std::uint8_t Comando) { Rispondi(Frame(Comando, {})); }
    void RestituisciEsito(std::uint8_t Codice) { passi_.push_back({Passo::Esito, {}, Codice}); }
    void Lancia() { passi_.push_back({Passo::Eccezione, {}, 0}); }
    // Answers every request for which no scripted step is left.
    std::function<std::optional<TFrameComunic>(const TFrameComunic&)> Pannello;

    std::uint8_t InviaComando(const TFrameComunic& Richiesta) override {
        Richieste.push_back(Richiesta);
        std::optional<TFrameComunic> r;
        if (!passi_.empty()) {
            const Passo p = passi_.front();
            passi_.pop_front();
            if (p.Tipo == Passo::Eccezione) throw std::runtime_error("link failure");
            if (p.Tipo == Passo::Esito) return p.Codice;
            r = p.Risposta;
        } else if (Pannello) {
            r = Pannello(Richiesta);
        }
        if (Richiesta.Comando == 0) return EsitoNessunaRichiesta;
        if (!r || !RispostaCorrisponde(Richiesta, *r)) return EsitoFallito;
        risposta_ = *r;
        return EsitoOk;
    }

    void CopiaRisposta(TFrameComunic& Risposta) override { Risposta = risposta_; }

    std::vector<TFrameComunic> Richieste;

  private:
    std::deque<Passo> passi_;
    TFrameComunic risposta_{};
};

// A remote link double whose connection (session) the test sets; a request for any other session
// fails, as the real link's does.
class LinkRemotoDoppio : public TLinkRemoto {
  public:
    std::uint64_t Sessione() const override { return sessione; }
    std::uint8_t InviaComando(const TFrameComunic& Richiesta, std::uint64_t S) override {
        return S == sessione ? interno.InviaComando(Richiesta) : EsitoFallito;
    }
    void CopiaRisposta(TFrameComunic& Risposta) override { interno.CopiaRisposta(Risposta); }

    std::uint64_t sessione = 0;
    LinkDoppio interno;
};

} // namespace testing_support
