#include "ui/OperazioniCentrale.h"

#include "config/GetMessage_11.h"
#include "link/KivModCom.h"
#include "ui/Attesa.h"
#include "ui/Main.h"

#include <memory>

void TFinestreThreadCom::ImpostaMassimoGauge(int Massimo) {
    attesa_.ImpostaMassimoGauge(Massimo);
}
void TFinestreThreadCom::AzzeraGauge() {
    attesa_.AzzeraGauge();
}
void TFinestreThreadCom::AvanzaGauge() {
    attesa_.AvanzaGauge();
}
void TFinestreThreadCom::NascondiOkbutton() {
    attesa_.NascondiOkbutton();
}
void TFinestreThreadCom::MostraOkbutton() {
    attesa_.MostraOkbutton();
}
void TFinestreThreadCom::ImpostaCaption(const std::string& Testo) {
    attesa_.ImpostaCaption(Testo);
}
void TFinestreThreadCom::Ridisegna() {
    attesa_.Ridisegna();
}
void TFinestreThreadCom::AggiornaFormDaConfig() {
    if (main_) main_->AggiornaFormDaConfig();
}
void TFinestreThreadCom::AggiornaConfigDaForm() {
    if (main_) main_->AggiornaConfigDaForm();
}
void TFinestreThreadCom::AbilitaFunzioniVer11() {
    ::AbilitaFunzioniVer11();
}

namespace {

class LinkAssente final : public TLinkComando {
  public:
    std::uint8_t InviaComando(const TFrameComunic&) override { return EsitoFallito; }
    void CopiaRisposta(TFrameComunic&) override {}
};

TThreadCom* inCorso = nullptr;

} // namespace

const TThreadCom* OperazioneCentraleInCorso() {
    return inCorso;
}

void InterrompiOperazioneCentrale() {
    if (inCorso) inCorso->Terminate();
}

TComThread ComDelProgramma() {
    static LinkAssente assente;
    if (auto* kiv = dynamic_cast<TKivModCom*>(LinkSeriale()))
        return TComThread{*kiv, [kiv] { return kiv->Connesso(); }};
    return TComThread{assente, [] { return false; }};
}

std::uint8_t EseguiOperazioneCentrale(std::uint8_t Operazione, QWidget* Origine) {
    if (!AttesaFrm) return EsitoFallito;
    // The windows outlive the worker: it is joined before they go.
    AttesaFrm->NuovaOperazione();
    TFinestreThreadCom finestre(*AttesaFrm, MainFrm);
    auto worker = std::make_unique<TThreadCom>(false, ComDelProgramma(), Operazione, finestre);
    inCorso = worker.get();
    AttesaFrm->Mostra(Origine);
    // The OK button shows with the outcome, but a failed identification still ends the
    // communication after it; the worker is released only once it is over.
    worker->WaitFor();
    inCorso = nullptr;
    if (MainFrm) MainFrm->FineOperazioneCentrale();
    return worker->Esito;
}
