#pragma once
// The worker that runs one whole panel operation on a thread of its own: receive the
// configuration, send it, read the event queue or clear it. It sends the commands one after the
// other, stops at the first failure, and reports progress and outcome through the wait window
// while the UI thread shows that window modally.
//
// The worker never touches a window: every change goes to the UI thread through the hand-over
// (TThread::Synchronize) and the worker waits until it has been carried out. The windows are
// reached through IFinestreThreadCom, which the window layer implements, so this unit stays free
// of the GUI toolkit.
#include "config/GlobalsVar.h"
#include "link/EventStore.h"
#include "link/LinkComando.h"
#include "platform/thread/Thread.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// The four operations.
constexpr std::uint8_t OpRiceviConfigurazione = 0;
constexpr std::uint8_t OpInviaConfigurazione = 1;
constexpr std::uint8_t OpRiceviCoda = 2;
constexpr std::uint8_t OpEliminaCoda = 3;

// Gauge length of a configuration transfer: the zone blocks (85 zones, 8 a block), the keypad
// blocks (16 keypads, 8 a block) and seven single commands.
constexpr int NumPassiConfigurazione = (85 + 7) / 8 + (16 + 7) / 8 + 7;
static_assert(NumPassiConfigurazione == 20);
// Gauge length of a queue read until the event count is known, and of a queue clear.
constexpr int NumPassiCodaIniziale = 10;
constexpr int NumPassiEliminaCoda = 3;

// The windows as the worker sees them. Every call is made on the UI thread.
class IFinestreThreadCom {
  public:
    virtual ~IFinestreThreadCom() = default;
    // The wait window.
    virtual void ImpostaMassimoGauge(int Massimo) = 0;
    virtual void AzzeraGauge() = 0;
    virtual void AvanzaGauge() = 0;
    virtual void NascondiOkbutton() = 0;
    virtual void MostraOkbutton() = 0;
    virtual void ImpostaCaption(const std::string& Testo) = 0; // Windows-1252
    virtual void Ridisegna() = 0;
    // The main window: the image into the controls, the controls into the image, and the
    // controls of format 11.
    virtual void AggiornaFormDaConfig() = 0;
    virtual void AggiornaConfigDaForm() = 0;
    virtual void AbilitaFunzioniVer11() = 0;
};

// The link component as the worker uses it: the commands travel through Link, or through the
// remote connection when one is up as the operation starts (for the whole operation), and
// Connesso is the serial link's own connected test, asked before anything is sent.
struct TComThread {
    TLinkComando& Link;
    std::function<bool()> Connesso;
};

class TThreadCom final : public platform::TThread {
  public:
    // Loads the five texts (call on the UI thread: a missing language table is reported there),
    // sets idle priority and, unless CreateSuspended, starts the thread once everything is set.
    TThreadCom(bool CreateSuspended, TComThread Com, std::uint8_t Operazione, IFinestreThreadCom& Finestre);
    // Waits for the operation to end (on the UI thread, hand-overs keep running meanwhile).
    ~TThreadCom() override;

    // The outcome: EsitoOk, or the failing result (EsitoFallito for a failed check, and for a chain
    // cut short by Terminate). Read it once the thread has ended.
    std::uint8_t Esito = EsitoFallito;
    const std::uint8_t Operazione;
    TComThread Com;

    // Texts of the language table, taken at creation.
    std::string StrAttendere, StrComOk, StrComNonOk, StrVersioneNoOk, StrNoAbilCom;

  protected:
    void Execute() override;

  private:
    // Each operation sends all its commands through Link.
    void RiceviConfigurazione(TLinkComando& Link);
    void InviaConfigurazione(TLinkComando& Link);
    void RiceviCoda(TLinkComando& Link);
    void EliminaCoda(TLinkComando& Link);
    // The common start of every operation; false when it ended the operation itself.
    bool Inizio(TLinkComando& Link, int MassimoGauge, bool RichiedeAbilitazione);
    // The identification check; true to go on. On false it has shown the outcome itself.
    bool ControllaVersione(TLinkComando& Link, bool RichiedeAbilitazione);
    // Runs on the UI thread: the image into the controls when the operation may have changed it,
    // outcome caption, OK button.
    void MostraEsito();
    // Records a command's result and moves the gauge when it succeeded; true to go on.
    bool Passo(std::uint8_t Risultato);
    // The same for the last command of a chain, after which nothing is left to cut short.
    bool PassoFinale(std::uint8_t Risultato);
    // True, with the outcome a failure, once the worker has been told to end.
    bool Fermato();
    // Takes back what an operation that did not succeed stored: the image a receive began with,
    // the events of the blocks a queue read did not get.
    void AnnullaIncompleto();
    // Esito := Risultato, AnnullaIncompleto when it is a failure, then the outcome shown.
    void Termina(std::uint8_t Risultato);
    void Sincronizza(const std::function<void()>& Chiamata);

    IFinestreThreadCom& finestre_;
    // Receive: the image as it was before the first command.
    std::unique_ptr<const TConfigCentrale> immaginePrima_;
    // Queue read: the store being filled, and how many of its events the blocks received so far
    // hold.
    TCodaEventi* coda_ = nullptr;
    int eventiRicevuti_ = 0;
};
