// The GSM signal-test windows against the simulated modem: what registration, operator and signal
// replies show, and that the link thread's modem polling is suspended only while a cycle talks to
// the modem, however the cycle ends.
#include "link/ConfigComProva.h"
#include "link/KivCanaleFinto.h"
#include "link/KivModCom.h"
#include "link/KivTestModemFrm.h"
#include "serial/SerialTestSupport.h"
#include "support/Simulatore.h"
#include "support/TempFolder.h"
#include "support/qt/Aspetto.h"

#include "platform/gui/qt/QtText.h"
#include "platform/gui/qt/QtUiThread.h"

#include <QApplication>
#include <QLineEdit>
#include <QProgressBar>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstring>
#include <thread>

using namespace std::chrono_literals;

namespace {

constexpr int PortaModem = 11;

class TestSegnale : public ::testing::Test {
  protected:
    TestSegnale() : cartella(dati.Path()), impostazioni(dati.Path()) {
        com.OpzioniFinestra = testing_support::OpzioniSenzaAttese();
        com.OpzioniFinestra.Orologio = &testing_support::OrologioFinto;
        com.OpzioniFinestra.PauseSgancio = {20ms, 20ms, 20ms};
        com.ViewErrorRate = true;
    }

    // The modem with the given GSM answers, initialised and ready on the modem port.
    void Avvia(const std::vector<std::string>& gsm) {
        std::vector<std::string> opzioni{"--modem", "--modem-guard-ms", "0"};
        opzioni.insert(opzioni.end(), gsm.begin(), gsm.end());
        sim = std::make_unique<testing_support::Simulatore>(PortaModem, opzioni);
        ASSERT_TRUE(sim->Pronto());
        dati.Write("comconfig.cfg", testing_support::FileConfigCom(
                                        testing_support::ConfigCom(ConnessioneModem, 0, PortaModem)));
        com.Loaded();
        const auto fine = std::chrono::steady_clock::now() + 15s;
        while (!Thread().ModemPronto() && std::chrono::steady_clock::now() < fine) {
            QApplication::processEvents();
            testing_support::AvanzaOrologio(100ms); // the settle time before the first command
            std::this_thread::sleep_for(10ms);
        }
        ASSERT_TRUE(Thread().ModemPronto());
    }

    TKivThreadCom& Thread() { return com.FormModCom()->ThreadCom(); }

    // Shows the window, runs one query cycle and gives back the commands it sent.
    std::vector<std::string> Ciclo(TKivTestModemFrm& f) {
        std::vector<std::string> comandi;
        f.Test().AlComando = [&](std::string_view c) {
            comandi.emplace_back(c);
            EXPECT_TRUE(Thread().Pausa.load()) << c; // nobody else reads the replies
        };
        f.show();
        f.TimerTestTimer();
        EXPECT_FALSE(Thread().Pausa.load());
        return comandi;
    }

    serial_test::StoreScope store;
    platform::gui::QtUiThread ui;
    testing_support::TempFolder dati;
    testing_support::ProgramFolderScope cartella;
    testing_support::SettingsFolderScope impostazioni; // the user's settings there too
    std::unique_ptr<testing_support::Simulatore> sim;
    TKivModCom com;
};

} // namespace

TEST_F(TestSegnale, RoamingShowsOperatorCutTo16AndSingleDigitLevel) {
    Avvia({"--gsm-creg", "5", "--gsm-operator", "ABCDEFGHIJKLMNOPQRST", "--gsm-csq", "7", "--gsm-ber", "0"});
    TKivTestModemFrm f(*com.FormModCom());
    const auto comandi = Ciclo(f);
    EXPECT_EQ(comandi, (std::vector<std::string>{"AT+COPS=3,0", "AT+CREG?", "AT+COPS?", "AT+CSQ"}));
    EXPECT_EQ(f.Operatore->text(), "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(f.SegnaleModem->value(), 7);
    EXPECT_EQ(f.ErrorRateModem->text(), "0");
    EXPECT_TRUE(f.ErrorRateModem->isVisible());
    EXPECT_TRUE(f.TimerTest->isActive()); // the next cycle a second later
    f.close();
    EXPECT_FALSE(f.TimerTest->isActive());
    EXPECT_FALSE(Thread().Pausa.load());
}

TEST_F(TestSegnale, NotRegisteredAsksNoOperatorAndUnknownSignalShowsZero) {
    Avvia({"--gsm-creg", "2", "--gsm-csq", "99", "--gsm-ber", "99"});
    com.StrNoNetwork = "Nessuna rete";
    com.ViewErrorRate = false;
    TKivTestModemFrm f(*com.FormModCom());
    const auto comandi = Ciclo(f);
    EXPECT_EQ(comandi, (std::vector<std::string>{"AT+COPS=3,0", "AT+CREG?", "AT+CSQ"}));
    EXPECT_EQ(f.Operatore->text(), "Nessuna rete");
    EXPECT_EQ(f.SegnaleModem->value(), 0);
    EXPECT_EQ(f.ErrorRateModem->text(), "99");
    EXPECT_FALSE(f.ErrorRateModem->isVisible());
    f.close();
}

TEST_F(TestSegnale, ClosingWhileAReplyIsAwaitedEndsTheCycleAndResumesPolling) {
    Avvia({"--gsm-creg", "1", "--gsm-operator", "TIM"});
    TKivTestModemFrm f(*com.FormModCom());
    f.show();
    std::vector<std::string> comandi;
    f.Test().AlComando = [&](std::string_view c) {
        comandi.emplace_back(c);
        // The close button is pressed while the registration reply is on its way.
        if (c == "AT+CREG?") QTimer::singleShot(0, &f, [&f] { f.reject(); });
    };
    const auto inizio = std::chrono::steady_clock::now();
    f.TimerTestTimer();
    EXPECT_LT(std::chrono::steady_clock::now() - inizio, 4s); // not the reply's 5 s deadline
    EXPECT_EQ(comandi, std::vector<std::string>{"AT+CREG?"});
    EXPECT_FALSE(f.TimerTest->isActive());
    EXPECT_FALSE(Thread().Pausa.load());
    EXPECT_TRUE(f.FineTest());
}

TEST_F(TestSegnale, WindowReadsInEveryLanguage) {
    Avvia({});
    const char* lingue[][5] = {
        {"Test Segnale Modem", "Operatore", "Segnale Modem", "Error Rate", "&Esci"},
        {"Modem signal test", "Operator", "Modem signal", "Error rate", "E&xit"},
        {"Test signal modem", "Opérateur", "Signal modem", "Taux d'erreur", "&Quitter"},
        {"Prueba de señal módem", "Operador", "Señal módem", "Tasa de error", "&Salir"},
    };
    for (const auto& l : lingue) {
        com.StrTestSegnaleModemBtn = platform::gui::ToCp1252(QString::fromUtf8(l[0]));
        com.StrOperatore = platform::gui::ToCp1252(QString::fromUtf8(l[1]));
        com.StrSegnaleModem = platform::gui::ToCp1252(QString::fromUtf8(l[2]));
        com.StrErrorRate = platform::gui::ToCp1252(QString::fromUtf8(l[3]));
        com.StrEsciBtn = platform::gui::ToCp1252(QString::fromUtf8(l[4]));
        TKivTestModemFrm f(*com.FormModCom());
        Ciclo(f);
        EXPECT_EQ(f.windowTitle(), QString::fromUtf8(l[0]));
        const auto problemi = testing_support::ControllaAspetto(f, {QString::fromUtf8(l[1])});
        EXPECT_TRUE(problemi.empty()) << testing_support::Elenco(problemi);
        f.close();
    }
}
