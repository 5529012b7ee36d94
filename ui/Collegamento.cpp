#include "ui/Collegamento.h"

#include <atomic>

namespace collegamento {
namespace {

class CollegamentoCavo final : public ICollegamento {
  public:
    int TipoConnessione() const override { return VoceCavo; }
    void ImpostaModemSerialePresente(bool) override {}
};

CollegamentoCavo cavo;
std::atomic<ICollegamento*> registrato{nullptr};

} // namespace

void RegistraCollegamento(ICollegamento* Collegamento) {
    registrato.store(Collegamento);
}

ICollegamento& Collegamento() {
    ICollegamento* c = registrato.load();
    return c ? *c : cavo;
}

} // namespace collegamento
