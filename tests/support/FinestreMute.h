#pragma once
// The worker's windows when nobody looks at them: every change is accepted and forgotten.
#include "link/ThreadCom.h"

#include <string>

namespace testing_support {

class FinestreMute final : public IFinestreThreadCom {
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

} // namespace testing_support
