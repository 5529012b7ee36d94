#pragma once
// The link settings window "Set Comunicazione": the connection type (direct cable or modem), the
// COM port of each, three modem initialisation strings and the dial prefix, kept in the 71-byte
// file "comconfig.cfg" in the user's settings folder. For the whole run it owns the serial port, the
// 1000-byte receive ring, the stored settings, the receiver, the modem state machine and the link
// thread; it opens the port, reopens it after a port error and follows device changes.
//
// This unit holds everything but the widgets: the controls are mirrored in TControlliModCom,
// which the Qt dialog (KivFormModComFrm) shows and reads back around every action, so the logic
// runs and is tested without a window.
#include "link/KivCanale.h"
#include "link/KivComunic.h"
#include "link/KivModem.h"
#include "link/KivThreadcom.h"
#include "platform/win32/Win32Uevent.h"
#include "serial/srcomm.h"

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class TKivModCom;

// What the window's controls hold.
struct TControlliModCom {
    std::string Titolo = "Set Comunicazione";
    std::string Connessione = "Connessione";
    std::string TipoConnessioneCaption = "Tipo Connessione";
    std::vector<std::string> VociTipo{"Via Cavo", "Modem"};
    int TipoConnessione = -1; // radio group item index
    // Both drop-down lists hold the same entries: "None", then the ports.
    std::vector<std::string> VociCom{"None"};
    int ComViaCavo = 0; // selected entry, -1 none
    int ComViaModem = 0;
    std::string StrInit1Modem, StrInit2Modem, StrInit3Modem, StrDialModem;
    std::string StrInit1ModemLabel = "Modem Init Str. 1", StrInit2ModemLabel = "Modem Init Str. 2",
                StrInit3ModemLabel = "Modem Init Str. 3", StrDialModemLabel = "Modem Dial Str.";
    std::string SaveBtn = "&Salva", ReadBtn = "&Leggi", DefaultDataBtn = "&Default",
                TestModemBtn = "Test Modem", TestSegnaleModemBtn = "Test Segnale Modem", EsciBtn = "&Esci";
    bool ComViaCavoVisibile = true;
    bool ComViaModemVisibile = true; // with the four edits and their labels
    bool TestModemVisibile = true;   // both test buttons
    int ComViaCavoTop = 45;
    int ComViaModemTop = 75;
    int AltezzaTipo = 80;

    std::string TestoComViaCavo() const;
    std::string TestoComViaModem() const;
};

class TKivModComFrm : public TKivCanale {
  public:
    static constexpr std::size_t DimensioneAnello = 1000;

    // How the window waits around the port; tests shorten the waits and inject a clock.
    struct TOpzioni {
        platform::MonotonicClock Orologio = &platform::SteadyNow;
        std::chrono::milliseconds AttesaListaCom{500};
        std::chrono::milliseconds AttesaApertura{300};
        std::chrono::milliseconds AttesaChiusura{25};
        std::chrono::milliseconds IntervalloRipristino{1000};
        TKivModem::TPauseSgancio PauseSgancio{};
        bool AscoltaDispositivi = true; // follow device arrival and removal (netlink)
    };

    // Creation: lists the ports, starts the link thread, loads the settings and opens the port.
    TKivModComFrm(TKivModCom& Owner, const TOpzioni& Opzioni);
    // Stops the link thread and closes the port.
    ~TKivModComFrm() override;
    TKivModComFrm(const TKivModComFrm&) = delete;
    TKivModComFrm& operator=(const TKivModComFrm&) = delete;

    // ---- Link side (any thread)
    std::uint8_t InviaByte(std::uint8_t B) override;
    int LeggiByteRx() override;
    void AttendiRx(platform::Duration Massimo) override;
    void Sveglia() override;
    void SvuotaRx() override;
    // Reads "comconfig.cfg": the user's copy, or, while the user has none, the copy beside the
    // program (a distributor's). With neither, the user's file is created with the defaults; one
    // that is there but cannot be read gives the defaults for this run, with a diagnostic line,
    // and is left alone.
    bool CaricaConfig() override;
    TConfigCom ConfigSalvata() const override;
    int NumeroPorta() const override { return portaApplicata_.load(); }
    bool PortaAperta() const override;
    void ImpostaDtr(bool Attivo) override;
    bool Portante() const override;
    int TimeoutComandDec() const override;
    int NumTentativi() const override;
    bool AbilitaConnectRemoto() const override;
    int ModemTimeoutLinkOnSec() const override;
    void ConsegnaRisposta(const TFrameComunic& Risposta) override;

    // ---- Window side (UI thread)
    // False when the file could not be written (the previous file is then kept, `Errore` when
    // given says why); the settings are applied either way.
    bool SalvaConfig(std::string* Errore = nullptr);
    void LeggiDatiForm();
    void MostraDatiForm();
    void DatiDefault();
    void AggiornaListaCom();
    void ApplicaConfig();
    void ApriPorta(int Porta, int Velocita, TStopBits BitStop, int BitDati, TParity Parita);
    void ScriviByteRx(const std::uint8_t* Dati, std::size_t Quanti);
    void ImpostaTesti();
    // What showing the window does before the dialog appears: texts, items, layout, settings.
    void FormShow();
    void FormClose() { ApplicaConfig(); }
    void TimerRipristinoErroreTimer();
    // A window message; WM_DEVICECHANGE goes to the port's device list.
    void GestisciMessaggio(win32::TMessage& Messaggio);
    // Modem test: apply the on-screen settings and wait up to `Limite` for the modem to be ready.
    bool ProvaModem(platform::Duration Limite = std::chrono::seconds(20));

    TKivModCom& Owner() { return owner_; }
    TKivThreadCom& ThreadCom() { return *threadCom_; }
    TKivModem& Modem() { return *modem_; }
    TKivComunic& Comunic() { return *comunic_; }

    TsrComm ComPort;
    TControlliModCom Controlli;
    TStringList TempComPortCB;
    std::atomic<bool> ErrorePorta{false};
    std::atomic<bool> RipristinoInCorso{false};
    // Bytes refused because 1000 were already unread.
    std::uint64_t ByteScartati() const { return scartati_.load(); }
    std::size_t ByteNonLetti() const;

  private:
    void ApriPortaBloccata(int Porta, int Velocita, TStopBits BitStop, int BitDati, TParity Parita);
    void SvuotaAnello();
    void ChiudiPorta();

    TKivModCom& owner_;
    TOpzioni opzioni_;

    mutable std::mutex configM_;
    TConfigCom configCom_;

    // The receive ring: one writer (the UI thread's receive event), readers one at a time.
    // Positions run over twice the size, so that 1000 unread bytes are told from none.
    std::array<std::uint8_t, DimensioneAnello> anello_{};
    std::atomic<std::uint32_t> scrittura_{0};
    std::atomic<std::uint32_t> lettura_{0};
    std::atomic<std::uint64_t> scartati_{0};
    std::mutex lettoreM_;
    std::mutex attesaM_;
    std::condition_variable attesaCv_;
    std::uint64_t sveglie_ = 0;

    // The port is opened and closed on the UI thread and written from the link's threads.
    mutable std::recursive_mutex portaM_;
    std::atomic<int> portaApplicata_{0};
    bool aperturaInCorso_ = false; // UI thread only

    std::unique_ptr<TKivComunic> comunic_;
    std::unique_ptr<TKivModem> modem_;
    std::unique_ptr<TKivThreadCom> threadCom_;
    std::unique_ptr<TsrTimer> timerRipristino_;
    std::unique_ptr<win32::TUeventListener> dispositivi_;
};
