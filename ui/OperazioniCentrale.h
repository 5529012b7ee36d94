#pragma once
// The windows' side of the panel operations: the wait window and the main window as the worker
// reaches them, and the run of one operation from a menu or a button.
#include "link/ThreadCom.h"

#include <cstdint>

class QWidget;
class TAttesaFrm;
class TMainFrm;

class TFinestreThreadCom final : public IFinestreThreadCom {
  public:
    // Main may be nullptr (no controls to refresh or read).
    TFinestreThreadCom(TAttesaFrm& Attesa, TMainFrm* Main) : attesa_(Attesa), main_(Main) {}

    void ImpostaMassimoGauge(int Massimo) override;
    void AzzeraGauge() override;
    void AvanzaGauge() override;
    void NascondiOkbutton() override;
    void MostraOkbutton() override;
    void ImpostaCaption(const std::string& Testo) override;
    void Ridisegna() override;
    void AggiornaFormDaConfig() override;
    void AggiornaConfigDaForm() override;
    void AbilitaFunzioniVer11() override;

  private:
    TAttesaFrm& attesa_;
    TMainFrm* main_;
};

// The program's serial link component as the worker uses it. Without one (the link not built),
// a link that is never connected, so an operation fails at once and sends nothing.
TComThread ComDelProgramma();

// Starts the worker with the operation, shows the wait window modally over Origine (the window whose
// command started it) until the user closes it, then waits for the worker to end and releases it.
// Returns the worker's outcome. UI thread only.
std::uint8_t EseguiOperazioneCentrale(std::uint8_t Operazione, QWidget* Origine);
// The worker of the operation being run, nullptr when none is. UI thread only.
const TThreadCom* OperazioneCentraleInCorso();
// The program is closing: the worker of the operation being run, if any, sends no further command
// and reports an operation it leaves unfinished as failed. UI thread only.
void InterrompiOperazioneCentrale();
