#include "link/KivTestModem.h"

#include "link/KivThreadcom.h"
#include "platform/thread/Thread.h"

#include <algorithm>
#include <thread>

namespace {

constexpr std::string_view TokenRegistrazione = "+CREG:";
constexpr std::string_view TokenOperatore = "+COPS:";
constexpr std::string_view TokenSegnale = "+CSQ:";
// Longest sleep of a wait on the UI thread between two looks at the messages and the ring.
constexpr auto PassoAttesa = std::chrono::milliseconds(10);

bool Cifra(int b) {
    return b >= '0' && b <= '9';
}

} // namespace

// The polling stays suspended for as long as this lives, whichever way the cycle ends.
class TKivTestModem::Sospensione {
  public:
    explicit Sospensione(TKivThreadCom& t) : t_(t) { t_.SospendiModem(); }
    ~Sospensione() { t_.RiprendiModem(); }
    Sospensione(const Sospensione&) = delete;
    Sospensione& operator=(const Sospensione&) = delete;

  private:
    TKivThreadCom& t_;
};

TKivTestModem::TKivTestModem(TKivCanale& Canale, TKivThreadCom& Thread, platform::MonotonicClock Orologio)
    : Canale_(Canale), Thread_(Thread), Orologio_(Orologio) {}

TKivTestModem::~TKivTestModem() {
    // A pause never outlives the test.
    Thread_.RiprendiModem();
}

void TKivTestModem::InviaStringa(std::string_view Testo) {
    for (char c : Testo)
        Canale_.InviaByte(std::uint8_t(c));
    Canale_.InviaByte('\r');
    if (AlComando) AlComando(Testo);
}

int TKivTestModem::Leggi() {
    platform::ProcessMessagesIfUiThread();
    return Canale_.LeggiByteRx();
}

void TKivTestModem::AttendiByte() {
    platform::ProcessMessagesIfUiThread();
    Canale_.AttendiRx(PassoAttesa);
}

int TKivTestModem::LeggiEntro(platform::Instant Scadenza) {
    for (;;) {
        const int b = Leggi();
        if (b >= 0 || FineTest.load() || Orologio_() > Scadenza) return b;
        AttendiByte();
    }
}

void TKivTestModem::Aspetta(platform::Duration d) {
    const platform::Instant fine = Orologio_() + d;
    while (!FineTest.load() && Orologio_() < fine) {
        platform::ProcessMessagesIfUiThread();
        std::this_thread::sleep_for(std::min<platform::Duration>(PassoAttesa, d));
    }
    platform::ProcessMessagesIfUiThread();
}

bool TKivTestModem::AttendiToken(std::string_view Token, platform::Instant Scadenza) {
    std::string finestra;
    while (!FineTest.load() && Orologio_() <= Scadenza) {
        const int b = Leggi();
        if (b < 0) {
            AttendiByte();
            continue;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        finestra += char(b);
        if (finestra == Token) return true;
        if (finestra.size() >= Token.size()) finestra.erase(0, finestra.size() - (Token.size() - 1));
    }
    return false;
}

bool TKivTestModem::TokenInTesta(std::string_view Token) {
    std::string testo;
    while (!FineTest.load() && testo.size() < Token.size()) {
        const int b = Leggi();
        if (b < 0) break;
        testo += char(b);
    }
    return testo == Token;
}

void TKivTestModem::LeggiResto() {
    while (!FineTest.load() && Leggi() >= 0) {
    }
}

// The bytes after the token, unless a reply comes cut in two, are all in the ring; a byte that is
// late is still waited for within the reply's deadline, so that a reply split across two
// receptions reads the same as a whole one.
bool TKivTestModem::LeggiRegistrazione(platform::Instant Scadenza) {
    LeggiEntro(Scadenza); // the space
    LeggiEntro(Scadenza); // n
    int b = LeggiEntro(Scadenza);
    if (b == ',') {
        b = LeggiEntro(Scadenza);
        if (b == ' ') b = LeggiEntro(Scadenza);
    }
    return b == '1' || b == '5'; // home network, roaming
}

void TKivTestModem::LeggiOperatore(std::string& Operatore, platform::Instant Scadenza) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    for (int i = 0; i < 5; ++i) // " 0,0," : space, mode, comma, format, comma
        LeggiEntro(Scadenza);
    if (LeggiEntro(Scadenza) != '"') return;
    Operatore.clear();
    // A name whose closing quote never comes ends with the reply's deadline.
    while (Operatore.size() < LunghezzaOperatore && !FineTest.load() && Orologio_() <= Scadenza) {
        const int c = Leggi();
        if (c < 0) {
            AttendiByte();
            continue;
        }
        if (c == '"') break;
        Operatore += char(c);
    }
}

void TKivTestModem::LeggiSegnale(TLetturaSegnale& Lettura, platform::Instant Scadenza) {
    LeggiEntro(Scadenza); // the space
    const int d1 = LeggiEntro(Scadenza);
    const int d2 = LeggiEntro(Scadenza);
    int livello = 0;
    if (Cifra(d1)) livello = Cifra(d2) ? (d1 - '0') * 10 + (d2 - '0') : d1 - '0';
    // 99 is "not known", and anything else outside the scale is no level either.
    Lettura.Livello = livello >= 1 && livello <= 31 ? livello : 0;
    if (d2 != ',') LeggiEntro(Scadenza);
    const int e1 = LeggiEntro(Scadenza);
    const int e2 = LeggiEntro(Scadenza);
    if (!Cifra(e1))
        Lettura.ErrorRate = 0;
    else
        Lettura.ErrorRate = Cifra(e2) ? (e1 - '0') * 10 + (e2 - '0') : e1 - '0';
}

void TKivTestModem::Avvio() {
    FineTest.store(false);
    if (!Thread_.ModemPronto()) return;
    Sospensione pausa(Thread_);
    Canale_.SvuotaRx();
    InviaStringa("AT+COPS=3,0");
    Aspetta(AttesaComando);
}

TLetturaSegnale TKivTestModem::Ciclo() {
    TLetturaSegnale l;
    if (!Thread_.ModemPronto()) return l;
    Sospensione pausa(Thread_);

    Canale_.SvuotaRx();
    InviaStringa("AT+CREG?");
    platform::Instant scadenza = Orologio_() + TempoRisposta;
    const bool registrato = AttendiToken(TokenRegistrazione, scadenza) && LeggiRegistrazione(scadenza);
    l.Operatore = TestoNoNetwork;

    if (registrato && !FineTest.load()) {
        // The tail of the registration reply is still on its way: the sliding window skips it.
        InviaStringa("AT+COPS?");
        scadenza = Orologio_() + TempoRisposta;
        if (AttendiToken(TokenOperatore, scadenza)) LeggiOperatore(l.Operatore, scadenza);
    }

    if (!FineTest.load()) {
        Canale_.SvuotaRx();
        InviaStringa("AT+CSQ");
        scadenza = Orologio_() + TempoRisposta;
        if (AttendiToken(TokenSegnale, scadenza)) LeggiSegnale(l, scadenza);
    }
    return l;
}

void TKivTestModem::AvvioDiretto() {
    FineTest.store(false);
    Canale_.SvuotaRx();
    InviaStringa("AT+COPS=3,0");
}

TLetturaSegnale TKivTestModem::CicloDiretto() {
    TLetturaSegnale l;
    Sospensione pausa(Thread_);

    Canale_.SvuotaRx();
    InviaStringa("AT+COPS?");
    platform::ProcessMessagesIfUiThread();
    Aspetta(AttesaComando);
    l.Operatore = "No Network";
    // No deadline of its own: what has come in the 300 ms is the reply. Only the bytes that follow
    // the token are allowed the reply's deadline.
    platform::Instant scadenza = Orologio_() + TempoRisposta;
    if (TokenInTesta(TokenOperatore)) LeggiOperatore(l.Operatore, scadenza);
    LeggiResto();

    if (!FineTest.load()) {
        Canale_.SvuotaRx();
        InviaStringa("AT+CSQ");
        Aspetta(AttesaComando);
        scadenza = Orologio_() + TempoRisposta;
        if (TokenInTesta(TokenSegnale)) LeggiSegnale(l, scadenza);
        LeggiResto();
    }
    return l;
}

void TKivTestModem::Fine() {
    FineTest.store(true);
    Thread_.RiprendiModem();
}
