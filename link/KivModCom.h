#pragma once
// The serial link component: the only link object of the program (KivModCom1 on the options
// window). It carries the link's settings and texts, owns the link settings window (which owns
// the port, the receive ring and the link thread) and offers the exchange of one command, the
// connect and disconnect of a modem link, and the connected test. Accepted replies land in
// Risposta.
#include "link/KivFormModCom.h"
#include "link/LinkComando.h"
#include "serial/srcomm.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

class TKivModCom : public TLinkComando {
  public:
    TKivModCom() = default;
    // Frees the settings window first (link thread stopped, port closed).
    ~TKivModCom() override;
    TKivModCom(const TKivModCom&) = delete;
    TKivModCom& operator=(const TKivModCom&) = delete;

    // ---- Published properties, with the values the program's component carries.
    std::string FileSaveCfg = "comconfig.cfg";
    // Read by the exchange on the worker thread while the options window sets them.
    std::atomic<int> TimeoutComandDec{50};         // tenths of a second per attempt
    std::atomic<std::uint8_t> NumTentativi{3};     // sends of a request in all
    std::atomic<bool> AbilitaConnectRemoto{false}; // answer incoming calls
    int LocaleComBaud = 9600;
    TParity LocaleComParity = pNone;
    std::uint16_t LocaleComDatabits = 8;
    TStopBits LocaleComStopbits = sbOne;
    bool LocaleSerialePresente = true;
    int ModemComBaud = 9600;
    TParity ModemComParity = pNone;
    std::uint16_t ModemComDatabits = 8;
    TStopBits ModemComStopbits = sbOne;
    bool ModemSerialePresente = true;
    std::string ModemDefaultInitStr1 = "ATE0V0";
    std::string ModemDefaultInitStr2 = "AT&D2X0";
    std::string ModemDefaultInitStr3 = "ATH";
    std::string ModemDefaultDialStr = "ATD";
    std::atomic<int> ModemTimeoutLinkOnSec{180};
    std::string StrTitolo = "Set Comunicazione";
    std::string StrConnessione = "Connessione";
    std::string StrTipoConnessione = "Tipo Connessione";
    std::string StrViaCavo = "Via Cavo";
    std::string StrModem = "Modem";
    std::string StrModemInitStr1 = "Modem Init Str. 1";
    std::string StrModemInitStr2 = "Modem Init Str. 2";
    std::string StrModemInitStr3 = "Modem Init Str. 3";
    std::string StrModemDialStr = "Modem Dial Str.";
    std::string StrSalvaBtn = "&Salva";
    std::string StrLeggiBtn = "&Leggi";
    std::string StrDefaultBtn = "&Default";
    std::string StrTestModemBtn = "Test Modem";
    std::string StrTestSegnaleModemBtn = "Test Segnale Modem";
    std::string StrEsciBtn = "&Esci";
    std::string StrOperatore = "Operatore";
    std::string StrSegnaleModem = "Segnale Modem";
    std::string StrErrorRate = "Error Rate";
    std::string StrNoNetwork = "No Network";
    bool ViewErrorRate = false;

    // How the settings window waits and which clock it uses; set before Loaded.
    TKivModComFrm::TOpzioni OpzioniFinestra;
    // Shows the settings window modally; installed by the window layer (the Qt dialog). Without
    // one, Setup shows nothing.
    std::function<bool(TKivModComFrm&)> MostraFinestra;

    // Builds the settings window and with it the whole link; registers the component as the
    // program's serial link.
    void Loaded();
    bool Setup();
    std::uint8_t InviaComando(const TFrameComunic& Frame) override;
    void CopiaRisposta(TFrameComunic& Frame) override;
    std::uint8_t Connetti(const std::string& Numero, std::uint8_t LunghezzaRisposta);
    std::uint8_t Disconnetti();
    bool Connesso() const;
    // The program is closing: the link's waits end and none starts again (TKivThreadCom::TerminaAttese).
    void TerminaAttese();

    // The last reply accepted by an exchange.
    TFrameComunic Risposta() const;
    void ImpostaRisposta(const TFrameComunic& Frame);

    TKivModComFrm* FormModCom() const { return form_.get(); }

  private:
    mutable std::mutex rispostaM_;
    TFrameComunic risposta_{};
    std::unique_ptr<TKivModComFrm> form_;
};
