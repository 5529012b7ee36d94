#pragma once
// The worker's windows when nobody looks at them: every change is accepted and forgotten.
#include "link/ThreadCom.h"

#include <functional>
#include <string>
#include <utility>

namespace testing_support {

class FinestreMute : public IFinestreThreadCom {
  public:
    void ImpostaMassimoGauge(int) override {}
    void AzzeraGauge() override {}
    void AvanzaGauge() override {}
    void NascondiOkbutton() override {}
    void MostraOkbutton() override {}
    void ImpostaCaption(const std::string&) override {}
    void Ridisegna() override {}
    void AggiornaFormDaConfig() override {}
    void AggiornaConfigDaForm() override {}
    void AbilitaFunzioniVer11() override {}
};

// Muted too, but for the gauge's step Passo, at which Intanto runs. The worker waits for the UI
// thread to take each step, so the operation is certainly in its middle then, however fast it is.
class FinestreAlPasso final : public FinestreMute {
  public:
    FinestreAlPasso(int Passo, std::function<void()> Intanto) : passo_(Passo), intanto_(std::move(Intanto)) {}
    void AvanzaGauge() override {
        if (++passi_ == passo_) intanto_();
    }
    bool Fatto() const { return passi_ >= passo_; }

  private:
    int passo_, passi_ = 0;
    std::function<void()> intanto_;
};

} // namespace testing_support
