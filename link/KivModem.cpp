#include "link/KivModem.h"

#include <algorithm>
#include <cctype>

namespace {
constexpr char CR = '\r';

std::string Trim(const std::string& s) {
    const auto b = s.find_first_not_of(' ');
    if (b == std::string::npos) return {};
    return s.substr(b, s.find_last_not_of(' ') - b + 1);
}
} // namespace

TKivModem::TKivModem(TKivCanale& Canale, platform::MonotonicClock Orologio)
    : Canale_(Canale), Orologio_(Orologio) {}

void TKivModem::ImpostaChiamata(const std::string& Stringa) {
    {
        std::lock_guard lock(chiamata_);
        stringaChiamata_ = Stringa;
    }
    RichiestaChiamata.store(true);
}

std::string TKivModem::StringaChiamata() const {
    std::lock_guard lock(chiamata_);
    return stringaChiamata_;
}

void TKivModem::InviaStringa(const std::string& Testo) {
    for (char c : Testo)
        Canale_.InviaByte(static_cast<std::uint8_t>(c));
    Canale_.InviaByte(static_cast<std::uint8_t>(CR));
}

bool TKivModem::RicevutoCodice(char Atteso) {
    const int b = Canale_.LeggiByteRx();
    if (b < 0) {
        UltimoCarattere = CR;
        return false;
    }
    const char c = FiltraCarattere(static_cast<char>(b));
    if (c == CR) {
        // Every CR ends a line, recognised or not: the next byte starts a new one. (Keeping the
        // first byte of an unrecognised line, an echoed command for one, hid the result after it.)
        const bool riconosciuto = UltimoCarattere == Atteso;
        UltimoCarattere = CR;
        return riconosciuto;
    }
    if (UltimoCarattere == CR) UltimoCarattere = c;
    return false;
}

std::uint8_t TKivModem::InviaComandoAT(const std::string& Comando) {
    if (FaseAT == 0) {
        Scadenza = Orologio_() + TempoComandoAT;
        InviaStringa(Comando);
        FaseAT = 1;
        return 1;
    }
    if (RicevutoCodice('0')) {
        FaseAT = 0;
        return 2;
    }
    if (Orologio_() > Scadenza) {
        FaseAT = 0;
        return 3;
    }
    return 1;
}

std::uint8_t TKivModem::InizializzaModem() {
    const TConfigCom cfg = Canale_.ConfigSalvata();
    const TStringaCom* stringhe[3] = {&cfg.StrInit1, &cfg.StrInit2, &cfg.StrInit3};
    const int i = std::clamp(IndiceInit, 0, 2);
    switch (InviaComandoAT(stringhe[i]->Valore())) {
    case 2:
        ++IndiceInit;
        if (IndiceInit < 3 && !Trim(stringhe[IndiceInit]->Valore()).empty()) return 1;
        IndiceInit = 0;
        return 2;
    case 3:
        IndiceInit = 0;
        return 3;
    default:
        return 1;
    }
}

bool TKivModem::Pausa(platform::Duration d) {
    std::unique_lock lock(arrestoM_);
    return !arrestoCv_.wait_for(lock, d, [&] { return arrestato_; });
}

void TKivModem::Arresta() {
    {
        std::lock_guard lock(arrestoM_);
        arrestato_ = true;
    }
    arrestoCv_.notify_all();
}

void TKivModem::SganciaLinea() {
    for (int i = 0; i < 3; ++i)
        Canale_.InviaByte('+');
    if (Pausa(PauseSgancio.DopoEscape) && Canale_.PortaAperta()) {
        Canale_.ImpostaDtr(false);
        if (Pausa(PauseSgancio.DtrSpento)) {
            Canale_.ImpostaDtr(true);
            if (Pausa(PauseSgancio.DopoDtr)) Canale_.SvuotaRx();
        } else {
            Canale_.ImpostaDtr(true); // never leave the line down when stopped half way
        }
    }
    IndiceInit = 0;
    // A reset that came while a command awaited its "0" must not leave the next initialisation
    // waiting for an answer to a command it never sent.
    FaseAT = 0;
}

void TKivModem::GestioneModem() {
    std::lock_guard passo(passo_);
    const platform::Instant ora = Orologio_();
    switch (Stato.load()) {
    case StatoAvvio:
        if (Canale_.NumeroPorta() != 0) {
            RichiestaChiamata.store(false);
            RichiestaSgancio.store(false);
            Scadenza = ora + TempoAssestamento;
            Canale_.SvuotaRx();
            Stato.store(StatoAttesa);
        }
        break;
    case StatoAttesa:
        if (ora > Scadenza) {
            Stato.store(StatoInizializza);
            SganciaLinea();
        }
        break;
    case StatoInizializza:
        switch (InizializzaModem()) {
        case 2:
            Stato.store(StatoPronto);
            break;
        case 3:
            Stato.store(StatoAvvio);
            break;
        default:
            break;
        }
        break;
    case StatoPronto:
        if (Canale_.AbilitaConnectRemoto() && RicevutoCodice('2')) {
            InviaStringa("ATA");
            Scadenza = ora + TempoRisposta;
            Stato.store(StatoRisposta);
        }
        if (RichiestaChiamata.exchange(false)) {
            InviaStringa(StringaChiamata());
            Scadenza = ora + TempoChiamata;
            Stato.store(StatoChiamata);
        }
        break;
    case StatoRisposta:
        if (RicevutoCodice('1')) {
            Canale_.InviaByte('U');
            Scadenza = ora + TempoHandshake;
            Stato.store(StatoAttesaU);
        } else if (ora > Scadenza) {
            Stato.store(StatoAvvio);
        }
        break;
    case StatoChiamata:
        if (RicevutoCodice('1')) {
            Scadenza = ora + TempoHandshake;
            ScadenzaU = ora + IntervalloU;
            Stato.store(StatoAttesaAsterisco);
        } else if (ora > Scadenza) {
            Stato.store(StatoAvvio);
        }
        break;
    case StatoAttesaU:
        if (Canale_.LeggiByteRx() == 'U') {
            for (int i = 0; i < 5; ++i)
                Canale_.InviaByte('*');
            UltimaAttivita.store(ora);
            PortanteVista = false;
            Stato.store(StatoCollegato);
        } else if (ora > Scadenza) {
            Stato.store(StatoAvvio);
        }
        break;
    case StatoAttesaAsterisco:
        if (Canale_.LeggiByteRx() == '*') {
            UltimaAttivita.store(ora);
            PortanteVista = false;
            Stato.store(StatoCollegato);
        } else if (ora > Scadenza) {
            Stato.store(StatoAvvio);
        } else if (ora > ScadenzaU) {
            Canale_.InviaByte('U');
            ScadenzaU = ora + IntervalloU;
        }
        break;
    case StatoCollegato: {
        if (RichiestaSgancio.exchange(false)) Stato.store(StatoAvvio);
        // The modem reports the carrier lost on DCD: the call is over, the line is hung up.
        const bool dcd = Canale_.Portante();
        if (dcd) PortanteVista = true;
        if (PortanteVista && !dcd) Stato.store(StatoAvvio);
        if (ora > UltimaAttivita.load() + std::chrono::seconds(Canale_.ModemTimeoutLinkOnSec())) {
            Stato.store(StatoAvvio);
            RichiestaSgancio.store(false);
        }
        break;
    }
    default:
        Stato.store(StatoAvvio);
        break;
    }
}
