#include "link/KivFormModCom.h"

#include "link/KivModCom.h"
#include "platform/diag/Diagnostica.h"
#include "platform/fs/SettingsFolder.h"
#include "platform/gui/Dialogs.h"
#include "platform/win32/Win32Registry.h"
#include "serial/srsysutils.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <thread>

namespace {

constexpr std::uint32_t Giro = 2 * TKivModComFrm::DimensioneAnello;

// "COMn" (any case, n from 1 to 255) gives n; anything else, "None" included, gives 0.
int NumeroCom(const std::string& Testo) {
    if (Testo.size() < 4 || Testo.size() > 6) return 0;
    std::string prefisso = Testo.substr(0, 3);
    for (char& c : prefisso)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (prefisso != "COM") return 0;
    int n = 0;
    for (std::size_t i = 3; i < Testo.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(Testo[i]))) return 0;
        n = n * 10 + (Testo[i] - '0');
    }
    return n >= 1 && n <= 255 ? n : 0;
}

std::string Taglia16(const std::string& s) {
    return s.substr(0, 16);
}

void Dormi(std::chrono::milliseconds d) {
    if (d.count() > 0) std::this_thread::sleep_for(d);
}

} // namespace

// ---- Texts of the settings file ----------------------------------------------------------------

std::string TControlliModCom::TestoComViaCavo() const {
    return ComViaCavo >= 0 && ComViaCavo < int(VociCom.size()) ? VociCom[std::size_t(ComViaCavo)] : "";
}

std::string TControlliModCom::TestoComViaModem() const {
    return ComViaModem >= 0 && ComViaModem < int(VociCom.size()) ? VociCom[std::size_t(ComViaModem)] : "";
}

// ---- Creation and destruction ------------------------------------------------------------------

TKivModComFrm::TKivModComFrm(TKivModCom& Owner, const TOpzioni& Opzioni) : owner_(Owner), opzioni_(Opzioni) {
    ComPort.SetBufferInSize(4096);
    ComPort.SetBufferOutSize(4096);
    ComPort.SetTimeoutRead(0);
    ComPort.SetTimeoutWrite(100);
    ComPort.SetTraceStates({tsRxChar, tsBreak, tsErr});
    ComPort.EnumPorts = epQuickAll;
    ComPort.SetUseMainThread(true);
    // The panel's cable and the modem carry no handshake lines the link relies on.
    ComPort.SetStreamProtocol(spNone);
    ComPort.OnAfterReceive = [this](TObject*, const void* Buffer, win32::DWORD Quanti) {
        if (ComPort.Active()) ScriviByteRx(static_cast<const std::uint8_t*>(Buffer), Quanti);
    };
    ComPort.OnCommError = [this](TObject*, win32::DWORD, win32::DWORD, TComStateFlags, bool&) {
        ErrorePorta.store(true);
    };
    ComPort.OnFatalError = [this](TObject*, win32::DWORD, win32::DWORD, const std::string&, bool&) {
        ErrorePorta.store(true);
    };
    ComPort.OnTraceState = [this](TObject*, TTraceStates Eventi) {
        if (Eventi.Contains(tsBreak) || Eventi.Contains(tsErr)) ErrorePorta.store(true);
    };

    comunic_ = std::make_unique<TKivComunic>(opzioni_.Orologio);
    modem_ = std::make_unique<TKivModem>(*this, opzioni_.Orologio);
    modem_->PauseSgancio = opzioni_.PauseSgancio;
    threadCom_ = std::make_unique<TKivThreadCom>(*this, *comunic_, *modem_, opzioni_.Orologio);

    // FormCreate
    RipristinoInCorso.store(false);
    ErrorePorta.store(false);
    AggiornaListaCom();
    scrittura_.store(0);
    lettura_.store(0);
    threadCom_->Start();
    CaricaConfig();

    timerRipristino_ = std::make_unique<TsrTimer>();
    timerRipristino_->SetInterval(static_cast<win32::DWORD>(opzioni_.IntervalloRipristino.count()));
    timerRipristino_->SetOnTimer([this](TObject*) { TimerRipristinoErroreTimer(); });

    if (opzioni_.AscoltaDispositivi) {
        dispositivi_ = std::make_unique<win32::TUeventListener>();
        if (!dispositivi_->Start([this](win32::TMessage& m) { GestisciMessaggio(m); })) dispositivi_.reset();
    }
}

TKivModComFrm::~TKivModComFrm() {
    dispositivi_.reset();
    timerRipristino_.reset();
    threadCom_->Ferma();
    threadCom_.reset();
    {
        // Close() also joins a port thread that closed a failed port by itself, so that nothing
        // of it still runs while the component goes.
        std::lock_guard lock(portaM_);
        try {
            ComPort.Close();
        } catch (...) {
            // The window goes all the same; the port is as closed as it can be.
            platform::Diagnostica("KivFormModCom",
                                  "closing the port at the end: " + platform::MotivoEccezione());
        }
    }
    ComPort.OnAfterReceive = nullptr;
    ComPort.OnCommError = nullptr;
    ComPort.OnFatalError = nullptr;
    ComPort.OnTraceState = nullptr;
}

// ---- Receive ring ------------------------------------------------------------------------------

void TKivModComFrm::ScriviByteRx(const std::uint8_t* Dati, std::size_t Quanti) {
    std::uint32_t w = scrittura_.load(std::memory_order_relaxed);
    for (std::size_t i = 0; i < Quanti; ++i) {
        const std::uint32_t r = lettura_.load(std::memory_order_acquire);
        // A full ring refuses the byte instead of overwriting unread ones under the reader.
        if ((w + Giro - r) % Giro >= DimensioneAnello) {
            scartati_.fetch_add(Quanti - i);
            break;
        }
        anello_[w % DimensioneAnello] = Dati[i];
        w = (w + 1) % Giro;
        scrittura_.store(w, std::memory_order_release);
    }
    { std::lock_guard lock(attesaM_); }
    attesaCv_.notify_all();
}

int TKivModComFrm::LeggiByteRx() {
    std::lock_guard lock(lettoreM_);
    const std::uint32_t w = scrittura_.load(std::memory_order_acquire);
    const std::uint32_t r = lettura_.load(std::memory_order_relaxed);
    if (r == w) return -1;
    const int b = anello_[r % DimensioneAnello];
    lettura_.store((r + 1) % Giro, std::memory_order_release);
    return b;
}

std::size_t TKivModComFrm::ByteNonLetti() const {
    const std::uint32_t w = scrittura_.load(std::memory_order_acquire);
    const std::uint32_t r = lettura_.load(std::memory_order_acquire);
    return (w + Giro - r) % Giro;
}

void TKivModComFrm::AttendiRx(platform::Duration Massimo) {
    std::unique_lock lock(attesaM_);
    const std::uint64_t prima = sveglie_;
    attesaCv_.wait_for(lock, Massimo, [&] {
        return sveglie_ != prima ||
               scrittura_.load(std::memory_order_acquire) != lettura_.load(std::memory_order_acquire);
    });
}

void TKivModComFrm::Sveglia() {
    {
        std::lock_guard lock(attesaM_);
        ++sveglie_;
    }
    attesaCv_.notify_all();
}

void TKivModComFrm::SvuotaAnello() {
    std::lock_guard lock(lettoreM_);
    lettura_.store(scrittura_.load(std::memory_order_acquire), std::memory_order_release);
}

// ---- Port --------------------------------------------------------------------------------------

std::uint8_t TKivModComFrm::InviaByte(std::uint8_t B) {
    std::lock_guard lock(portaM_);
    if (ComPort.Active()) ComPort.SendChar(B);
    return B;
}

void TKivModComFrm::SvuotaRx() {
    {
        std::lock_guard lock(portaM_);
        if (ComPort.Active()) {
            ComPort.FlushBuffers();
            ComPort.PurgeIn();
            ComPort.PurgeOut();
            ComPort.PurgeAll();
        }
    }
    SvuotaAnello();
}

bool TKivModComFrm::PortaAperta() const {
    return ComPort.Active();
}

void TKivModComFrm::ImpostaDtr(bool Attivo) {
    std::lock_guard lock(portaM_);
    ComPort.SetDTR(Attivo);
}

bool TKivModComFrm::Portante() const {
    std::lock_guard lock(portaM_);
    return ComPort.ModemSignals().Contains(msRLSD);
}

void TKivModComFrm::ChiudiPorta() {
    std::lock_guard lock(portaM_);
    try {
        ComPort.SetActive(false);
    } catch (...) {
        // A port that fails while closing is closed all the same.
        platform::Diagnostica("KivFormModCom", "closing COM" + std::to_string(ComPort.ComPortNo()) + ": " +
                                                   platform::MotivoEccezione());
    }
}

void TKivModComFrm::ApriPortaBloccata(int Porta, int Velocita, TStopBits BitStop, int BitDati,
                                      TParity Parita) {
    std::lock_guard lock(portaM_);
    if (ComPort.Active()) {
        SvuotaRx();
        Dormi(opzioni_.AttesaChiusura);
        ChiudiPorta();
    }
    portaApplicata_.store(Porta);
    if (Porta == 0) return;
    ComPort.SetComPortNo(static_cast<win32::WORD>(Porta));
    ComPort.SetBaudRate(static_cast<win32::DWORD>(Velocita));
    ComPort.SetByteSize(static_cast<std::uint8_t>(BitDati));
    ComPort.SetParity(Parita);
    ComPort.SetStopBits(BitStop);
    Dormi(opzioni_.AttesaApertura);
    try {
        ComPort.SetActive(true);
        SvuotaRx();
    } catch (...) {
        // The port stays closed until the next apply or the reopen timer; the window shows it closed.
        // The number says little to whoever reads the log: the device behind it says what to check.
        const std::string dispositivo = win32::ResolveComPort(Porta);
        platform::Diagnostica("KivFormModCom",
                              "opening COM" + std::to_string(Porta) + " (" +
                                  (dispositivo.empty() ? "no device has that number" : dispositivo) +
                                  "): " + platform::MotivoEccezione());
        SvuotaRx();
        Dormi(opzioni_.AttesaChiusura);
        ChiudiPorta();
    }
}

void TKivModComFrm::ApriPorta(int Porta, int Velocita, TStopBits BitStop, int BitDati, TParity Parita) {
    // The waits below let messages run (closing the port waits for its threads); an apply that
    // comes in through them would close the port being opened.
    if (aperturaInCorso_) return;
    aperturaInCorso_ = true;
    try {
        ApriPortaBloccata(Porta, Velocita, BitStop, BitDati, Parita);
    } catch (...) {
        aperturaInCorso_ = false;
        throw;
    }
    aperturaInCorso_ = false;
    // Outside the port lock: an exchange being ended may still be writing.
    threadCom_->AzzeraOccupato();
    std::lock_guard lock(portaM_);
    ComPort.PurgeAll();
}

// ---- Settings ----------------------------------------------------------------------------------

TConfigCom TKivModComFrm::ConfigSalvata() const {
    std::lock_guard lock(configM_);
    return configCom_;
}

void TKivModComFrm::DatiDefault() {
    TConfigCom c;
    c.TipoConnessione = ConnessioneCavo;
    c.ComCavo = 0;
    c.ComModem = 0;
    c.StrInit1.Imposta(Taglia16(owner_.ModemDefaultInitStr1));
    c.StrInit2.Imposta(Taglia16(owner_.ModemDefaultInitStr2));
    c.StrInit3.Imposta(Taglia16(owner_.ModemDefaultInitStr3));
    c.StrDial.Imposta(Taglia16(owner_.ModemDefaultDialStr));
    std::lock_guard lock(configM_);
    configCom_ = c;
}

bool TKivModComFrm::CaricaConfig() {
    // The settings and the port belong to the UI thread; a link thread's call is handed over.
    if (platform::IUiThread* ui = platform::UiThread(); ui && !ui->IsUiThread()) {
        ui->RunAndWait([this] { CaricaConfig(); });
        return true;
    }
    std::string dati, errore, percorso;
    switch (platform::ReadSettingsFile(owner_.FileSaveCfg, dati, sizeof(TConfigCom), &errore, &percorso)) {
    case platform::ReadOutcome::Read: {
        // A shorter file fills only its own length; the rest keeps what the record held.
        {
            std::lock_guard lock(configM_);
            std::memcpy(&configCom_, dati.data(), dati.size());
        }
        MostraDatiForm();
        break;
    }
    case platform::ReadOutcome::Missing:
        // Only a file that is not there is created with the defaults.
        DatiDefault();
        MostraDatiForm();
        if (!SalvaConfig(&errore))
            platform::Diagnostica("KivFormModCom", "the default link settings were not written: " + errore);
        break;
    case platform::ReadOutcome::Unreadable:
        // The installer's settings are in it: the defaults serve this run, the file stays as it is
        // (the user's own "Save" may still write it).
        platform::Diagnostica("KivFormModCom",
                              percorso + ": cannot be read (" + errore +
                                  "): the defaults are used for this run and the file is left as it is");
        DatiDefault();
        MostraDatiForm();
        break;
    }
    return true;
}

bool TKivModComFrm::SalvaConfig(std::string* Errore) {
    LeggiDatiForm();
    const TConfigCom c = ConfigSalvata();
    const bool scritto = platform::WriteSettingsFile(owner_.FileSaveCfg, &c, sizeof c, Errore);
    ApplicaConfig();
    threadCom_->ResetModem();
    return scritto;
}

void TKivModComFrm::LeggiDatiForm() {
    std::lock_guard lock(configM_);
    configCom_.TipoConnessione =
        Controlli.TipoConnessione == 0 && owner_.LocaleSerialePresente ? ConnessioneCavo : ConnessioneModem;
    configCom_.ComCavo = static_cast<std::uint8_t>(NumeroCom(Controlli.TestoComViaCavo()));
    configCom_.ComModem = static_cast<std::uint8_t>(NumeroCom(Controlli.TestoComViaModem()));
    configCom_.StrInit1.Imposta(Taglia16(Controlli.StrInit1Modem));
    configCom_.StrInit2.Imposta(Taglia16(Controlli.StrInit2Modem));
    configCom_.StrInit3.Imposta(Taglia16(Controlli.StrInit3Modem));
    configCom_.StrDial.Imposta(Taglia16(Controlli.StrDialModem));
}

void TKivModComFrm::MostraDatiForm() {
    {
        std::lock_guard lock(configM_);
        const bool cavo = configCom_.TipoConnessione == ConnessioneCavo;
        Controlli.TipoConnessione = cavo ? 0 : 1;
        if (Controlli.TipoConnessione >= int(Controlli.VociTipo.size()))
            Controlli.TipoConnessione = int(Controlli.VociTipo.size()) - 1;
        Controlli.TestModemVisibile = !cavo;
        auto seleziona = [&](std::uint8_t& numero, int& indice) {
            indice = 0; // "None"
            if (numero != 0) {
                const std::string voce = "COM" + std::to_string(numero);
                const auto it = std::find(Controlli.VociCom.begin(), Controlli.VociCom.end(), voce);
                if (it != Controlli.VociCom.end()) indice = int(it - Controlli.VociCom.begin());
            }
            if (indice == 0) numero = 0;
        };
        seleziona(configCom_.ComCavo, Controlli.ComViaCavo);
        seleziona(configCom_.ComModem, Controlli.ComViaModem);
        Controlli.StrInit1Modem = configCom_.StrInit1.Valore();
        Controlli.StrInit2Modem = configCom_.StrInit2.Valore();
        Controlli.StrInit3Modem = configCom_.StrInit3.Valore();
        Controlli.StrDialModem = configCom_.StrDial.Valore();
    }
    ApplicaConfig();
    threadCom_->ResetModem();
}

void TKivModComFrm::AggiornaListaCom() {
    ChiudiPorta();
    Dormi(opzioni_.AttesaListaCom);
    // Ports plugged in since the last listing are listed too.
    ComPort.UpdateDevices();
    ComPort.GetPortList(&TempComPortCB);
    Controlli.VociCom.assign(1, "None");
    for (int i = 0; i < TempComPortCB.Count(); ++i) {
        // The file keeps one byte per port number: a port above COM255 could not be stored.
        if (NumeroCom(TempComPortCB.Strings(i)) != 0) Controlli.VociCom.push_back(TempComPortCB.Strings(i));
    }
    Controlli.ComViaCavo = 0;
    Controlli.ComViaModem = 0;
}

void TKivModComFrm::ApplicaConfig() {
    try {
        const TConfigCom c = ConfigSalvata();
        if (Controlli.TipoConnessione == 0 && owner_.LocaleSerialePresente)
            ApriPorta(c.ComCavo, owner_.LocaleComBaud, owner_.LocaleComStopbits, owner_.LocaleComDatabits,
                      owner_.LocaleComParity);
        else
            ApriPorta(c.ComModem, owner_.ModemComBaud, owner_.ModemComStopbits, owner_.ModemComDatabits,
                      owner_.ModemComParity);
        std::lock_guard lock(portaM_);
        if (ComPort.Active()) {
            ComPort.SetDTR(true);
            ComPort.SetRTS(true);
        }
    } catch (...) {
        // Failures are seen as a closed port; the error flag leads to one more try.
        platform::Diagnostica("KivFormModCom", "applying the link settings: " + platform::MotivoEccezione());
    }
}

void TKivModComFrm::TimerRipristinoErroreTimer() {
    // A tick that comes while the port is being (re)opened waits for the next one, error kept.
    if (!ErrorePorta.load() || RipristinoInCorso.load() || aperturaInCorso_) return;
    RipristinoInCorso.store(true);
    ApplicaConfig();
    RipristinoInCorso.store(false);
    ErrorePorta.store(false);
}

void TKivModComFrm::GestisciMessaggio(win32::TMessage& Messaggio) {
    if (Messaggio.Msg == win32::WM_DEVICECHANGE) ComPort.HandleDeviceChange(Messaggio);
}

// ---- Showing the window ------------------------------------------------------------------------

void TKivModComFrm::ImpostaTesti() {
    Controlli.Titolo = owner_.StrTitolo;
    Controlli.Connessione = owner_.StrConnessione;
    Controlli.TipoConnessioneCaption = owner_.StrTipoConnessione;
    Controlli.StrInit1ModemLabel = owner_.StrModemInitStr1;
    Controlli.StrInit2ModemLabel = owner_.StrModemInitStr2;
    Controlli.StrInit3ModemLabel = owner_.StrModemInitStr3;
    Controlli.StrDialModemLabel = owner_.StrModemDialStr;
    Controlli.SaveBtn = owner_.StrSalvaBtn;
    Controlli.ReadBtn = owner_.StrLeggiBtn;
    Controlli.DefaultDataBtn = owner_.StrDefaultBtn;
    if (!owner_.StrTestModemBtn.empty()) Controlli.TestModemBtn = owner_.StrTestModemBtn;
    if (!owner_.StrTestSegnaleModemBtn.empty()) Controlli.TestSegnaleModemBtn = owner_.StrTestSegnaleModemBtn;
    Controlli.EsciBtn = owner_.StrEsciBtn;
}

void TKivModComFrm::FormShow() {
    ImpostaTesti();
    Controlli.VociTipo.clear();
    if (owner_.LocaleSerialePresente) Controlli.VociTipo.push_back(owner_.StrViaCavo);
    if (owner_.ModemSerialePresente) Controlli.VociTipo.push_back(owner_.StrModem);
    Controlli.ComViaCavoVisibile = owner_.LocaleSerialePresente;
    Controlli.ComViaModemVisibile = owner_.ModemSerialePresente;
    Controlli.TestModemVisibile = owner_.ModemSerialePresente;
    const bool entrambi = owner_.LocaleSerialePresente && owner_.ModemSerialePresente;
    Controlli.ComViaCavoTop = 45;
    Controlli.ComViaModemTop = entrambi ? 75 : 45;
    Controlli.AltezzaTipo = entrambi ? 80 : 50;
    CaricaConfig();
    // Without the modem link there is nothing to test, whatever the stored type says.
    if (!owner_.ModemSerialePresente) Controlli.TestModemVisibile = false;
}

bool TKivModComFrm::ProvaModem(platform::Duration Limite) {
    LeggiDatiForm();
    ApplicaConfig();
    threadCom_->ResetModem();
    const auto fine = std::chrono::steady_clock::now() + Limite;
    while (!threadCom_->ModemPronto() && std::chrono::steady_clock::now() < fine) {
        platform::ProcessMessagesIfUiThread();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return threadCom_->ModemPronto();
}

// ---- Settings of the owner ---------------------------------------------------------------------

int TKivModComFrm::TimeoutComandDec() const {
    return owner_.TimeoutComandDec.load();
}
int TKivModComFrm::NumTentativi() const {
    return owner_.NumTentativi.load();
}
bool TKivModComFrm::AbilitaConnectRemoto() const {
    return owner_.AbilitaConnectRemoto.load();
}
int TKivModComFrm::ModemTimeoutLinkOnSec() const {
    return owner_.ModemTimeoutLinkOnSec.load();
}
void TKivModComFrm::ConsegnaRisposta(const TFrameComunic& Risposta) {
    owner_.ImpostaRisposta(Risposta);
}
