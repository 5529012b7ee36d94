#include "link/ThreadCom.h"

#include "config/GetMessage_11.h"
#include "config/GlobalsVar.h"
#include "link/def_ver11.h"
#include "platform/diag/Diagnostica.h"

#include <algorithm>

TThreadCom::TThreadCom(bool CreateSuspended, TComThread Com_, std::uint8_t Operazione_,
                       IFinestreThreadCom& Finestre)
    : platform::TThread(true), Operazione(Operazione_), Com(std::move(Com_)), finestre_(Finestre) {
    StrAttendere = GetMessaggio("STRATTESA_ATTENDERE");
    StrComOk = GetMessaggio("STRATTESA_COMOK");
    StrComNonOk = GetMessaggio("STRATTESA_COMNONOK");
    StrVersioneNoOk = GetMessaggio("STRATTESA_VERSIONENOOK");
    StrNoAbilCom = GetMessaggio("STRATTESA_NOABILCOM");
    SetPriority(platform::TThreadPriority::tpIdle);
    if (!CreateSuspended) Start();
}

TThreadCom::~TThreadCom() {
    // Execute uses the members: the thread must be over before they go.
    WaitFor();
}

void TThreadCom::Sincronizza(const std::function<void()>& Chiamata) {
    platform::TThread::Synchronize(Chiamata);
}

void TThreadCom::Execute() {
    try {
        // Every command of the operation goes the way the first one goes.
        TLinkOperazione link(Com.Link);
        switch (Operazione) {
        case OpRiceviConfigurazione:
            RiceviConfigurazione(link);
            break;
        case OpInviaConfigurazione:
            InviaConfigurazione(link);
            break;
        case OpRiceviCoda:
            RiceviCoda(link);
            break;
        case OpEliminaCoda:
            EliminaCoda(link);
            break;
        default:
            // No such operation: nothing is sent, but the window still gets its outcome and its
            // OK button, or the user could never close it.
            Termina(EsitoFallito);
            break;
        }
    } catch (...) {
        // The command routines catch their own faults; anything else (a window call that failed)
        // must still end with the OK button shown, since the wait window closes only through it.
        platform::Diagnostica("ThreadCom", "operation " + std::to_string(Operazione) +
                                               " ended by an exception: " + platform::MotivoEccezione());
        Esito = EsitoFallito;
        AnnullaIncompleto();
        try {
            Sincronizza([this] { MostraEsito(); });
        } catch (...) {
            // The windows are failing as a whole: there is nothing left to show the outcome with.
            platform::Diagnostica("ThreadCom", "outcome not shown: " + platform::MotivoEccezione());
        }
    }
}

bool TThreadCom::Inizio(TLinkComando& Link, int MassimoGauge, bool RichiedeAbilitazione) {
    Sincronizza([this] { finestre_.AzzeraGauge(); });
    if (!Com.Connesso || !Com.Connesso()) {
        Termina(EsitoFallito);
        return false;
    }
    Sincronizza([&] {
        finestre_.ImpostaMassimoGauge(MassimoGauge);
        finestre_.NascondiOkbutton();
        finestre_.ImpostaCaption(StrAttendere);
        finestre_.Ridisegna();
    });
    const std::uint8_t r = RichiediIdentificazione(Link);
    if (r != EsitoOk) {
        Termina(r);
        return false;
    }
    if (!ControllaVersione(Link, RichiedeAbilitazione)) return false;
    Sincronizza([this] {
        finestre_.AvanzaGauge();
        finestre_.Ridisegna();
    });
    Sincronizza([this] { finestre_.AbilitaFunzioniVer11(); });
    if (Fermato()) {
        Termina(Esito);
        return false;
    }
    return true;
}

bool TThreadCom::ControllaVersione(TLinkComando& Link, bool RichiedeAbilitazione) {
    if (IdCentraleRx == IdVm415 && VersioneCentraleRx == VersioneFormato11) {
        if (!RichiedeAbilitazione || AbilComCentraleRx != 0) return true;
        // Programming not enabled: the panel would refuse what follows; nothing more is sent.
        Termina(EsitoFallito);
        Sincronizza([this] { finestre_.ImpostaCaption(StrNoAbilCom); });
        return false;
    }
    Termina(EsitoFallito);
    Sincronizza([this] { finestre_.ImpostaCaption(StrVersioneNoOk); });
    // The user may have closed the wait window and then the program: nothing more is sent then.
    if (!Terminated()) FineComunicazione(Link);
    return false;
}

bool TThreadCom::PassoFinale(std::uint8_t Risultato) {
    Esito = Risultato;
    const bool ok = Risultato == EsitoOk;
    Sincronizza([&] {
        if (ok) finestre_.AvanzaGauge();
        finestre_.Ridisegna();
    });
    return ok;
}

bool TThreadCom::Passo(std::uint8_t Risultato) {
    return PassoFinale(Risultato) && !Fermato();
}

bool TThreadCom::Fermato() {
    // A worker told to end (the program is closing) sends nothing more, and the chain it leaves
    // unfinished must not be reported as done.
    if (!Terminated()) return false;
    Esito = EsitoFallito;
    return true;
}

void TThreadCom::AnnullaIncompleto() {
    if (Esito == EsitoOk) return;
    // A mix of the panel's blocks and the previous ones would be shown, and saved, under the name
    // of a file that never held it.
    if (immaginePrima_) ConfigCentrale = *immaginePrima_;
    // Slots past the blocks received still hold an earlier read's or file's events, which the list
    // would show as the panel's.
    if (coda_) coda_->NumEventi = std::uint8_t(std::min<int>(coda_->NumEventi, eventiRicevuti_));
}

void TThreadCom::Termina(std::uint8_t Risultato) {
    Esito = Risultato;
    AnnullaIncompleto();
    Sincronizza([this] { MostraEsito(); });
}

void TThreadCom::MostraEsito() {
    // The controls may hold edits not yet in the image: they are replaced only by an image the
    // operation has made, a whole receive's, or a send's (which read the controls itself first).
    // A failed receive has put the image back, and the queue operations never touch it.
    if (Operazione == OpInviaConfigurazione || (Operazione == OpRiceviConfigurazione && Esito == EsitoOk))
        finestre_.AggiornaFormDaConfig();
    finestre_.ImpostaCaption(Esito == EsitoOk ? StrComOk : StrComNonOk);
    finestre_.MostraOkbutton();
}

void TThreadCom::RiceviConfigurazione(TLinkComando& l) {
    immaginePrima_ = std::make_unique<const TConfigCentrale>(ConfigCentrale);
    if (!Inizio(l, NumPassiConfigurazione, true)) return;
    Sincronizza([this] { finestre_.ImpostaMassimoGauge(NumPassiConfigurazione); });
    bool ok = Passo(LeggiDatiGenerali(l)) && Passo(LeggiNumTel(l));
    for (std::uint8_t b = 0; ok && b < (NumZone + ZonePerBlocco - 1) / ZonePerBlocco; ++b)
        ok = Passo(LeggiBloccoZone(l, b));
    ok = ok && Passo(LeggiDataOra(l));
    for (std::uint8_t b = 0; ok && b < (NumInseritori + InseritoriPerBlocco - 1) / InseritoriPerBlocco; ++b)
        ok = Passo(LeggiBloccoInseritori(l, b));
    ok = ok && Passo(LeggiDatiGprsCid(l)) && Passo(LeggiTabelleCid(l)) && PassoFinale(FineComunicazione(l));
    // Only a whole image says it is a format-11 image of this model.
    if (ok) {
        ConfigCentrale.IdCentrale = IdVm415;
        ConfigCentrale.VersioneCentrale = VersioneFormato11;
    }
    Termina(Esito);
}

void TThreadCom::InviaConfigurazione(TLinkComando& l) {
    if (!Inizio(l, NumPassiConfigurazione, true)) return;
    Sincronizza([this] { finestre_.ImpostaMassimoGauge(NumPassiConfigurazione); });
    // The general block first, so that the fields no control shows keep the panel's values; then
    // the controls on top of it.
    Esito = LeggiDatiGenerali(l);
    bool ok = Esito == EsitoOk && !Fermato();
    if (ok) Sincronizza([this] { finestre_.AggiornaConfigDaForm(); });
    ok = ok && Passo(ScriviDatiGenerali(l)) && Passo(ScriviNumTel(l));
    for (std::uint8_t b = 0; ok && b < (NumZone + ZonePerBlocco - 1) / ZonePerBlocco; ++b)
        ok = Passo(ScriviBloccoZone(l, b));
    ok = ok && Passo(ScriviDataOra(l));
    for (std::uint8_t b = 0; ok && b < (NumInseritori + InseritoriPerBlocco - 1) / InseritoriPerBlocco; ++b)
        ok = Passo(ScriviBloccoInseritori(l, b));
    ok = ok && Passo(ScriviDatiGprsCid(l)) && Passo(ScriviTabelleCid(l)) && PassoFinale(FineComunicazione(l));
    Termina(Esito);
}

void TThreadCom::RiceviCoda(TLinkComando& l) {
    // The events land in the store the event-queue window has registered; with none, the count
    // could not be known and the read would report a queue it never stored.
    TCodaEventi* coda = CodaEventiCorrente();
    if (!coda) {
        Sincronizza([this] { finestre_.AzzeraGauge(); });
        Termina(EsitoFallito);
        return;
    }
    coda_ = coda;
    if (!Inizio(l, NumPassiCodaIniziale, false)) return;
    Esito = LeggiPuntatoriCoda(l);
    const bool puntatori = Esito == EsitoOk;
    int blocchi = 0;
    if (puntatori) {
        // The blocks that hold the events the panel counted, every one of which the store can hold.
        blocchi = NumBlocchiCoda(*coda);
        Sincronizza([&] {
            finestre_.AvanzaGauge();
            finestre_.ImpostaMassimoGauge(blocchi + 3);
            finestre_.Ridisegna();
        });
    } else {
        Sincronizza([this] { finestre_.Ridisegna(); });
    }
    bool ok = puntatori && !Fermato();
    for (int b = 0; ok && b < blocchi; ++b) {
        const std::uint8_t r = LeggiBloccoCoda(l, std::uint8_t(b));
        if (r == EsitoOk) eventiRicevuti_ = EventiPerBlocco * (b + 1);
        ok = Passo(r);
    }
    ok = ok && PassoFinale(FineComunicazione(l));
    Termina(Esito);
}

void TThreadCom::EliminaCoda(TLinkComando& l) {
    if (!Inizio(l, NumPassiEliminaCoda, true)) return;
    [[maybe_unused]] const bool ok = Passo(CancellaCoda(l)) && PassoFinale(FineComunicazione(l));
    Termina(Esito);
}
