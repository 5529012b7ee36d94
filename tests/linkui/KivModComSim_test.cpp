// The serial link component against the simulated panel on a pseudo-terminal: exchanges through
// the command set, attempts and time-outs, wrong and late replies, the busy link, corrupted
// replies, and the connect through the simulated modem.
#include "link/ConfigComProva.h"
#include "link/KivCanaleFinto.h"
#include "link/KivModCom.h"
#include "link/def_ver11.h"
#include "serial/SerialTestSupport.h"
#include "support/Attesa.h"
#include "support/Simulatore.h"
#include "support/TempFolder.h"

#include "config/GetMessage_11.h"
#include "platform/thread/Thread.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <future>
#include <thread>

using namespace std::chrono_literals;
using testing_support::Simulatore;

namespace {

constexpr int PortaSim = 7;

class SimTest : public ::testing::Test {
  protected:
    SimTest() : cartella(dati.Path()), impostazioni(dati.Path()) {
        com.OpzioniFinestra = testing_support::OpzioniSenzaAttese();
        com.OpzioniFinestra.Orologio = &testing_support::OrologioFinto;
        com.OpzioniFinestra.PauseSgancio = {50ms, 50ms, 50ms};
    }
    ~SimTest() override {
        // The link goes before the panel it talks to.
        RegistraLinkSeriale(nullptr);
        if (linee) win32::UnregisterLineDevice(sim->Percorso());
    }

    // Starts the panel with `opzioni` and the link on its line.
    void Avvia(const std::vector<std::string>& opzioni, std::uint8_t tipo = ConnessioneCavo) {
        sim = std::make_unique<Simulatore>(PortaSim, opzioni, dati.File("tracce"));
        ASSERT_TRUE(sim->Pronto());
        // DTR as a modem cable carries it: a drop reaches the simulated modem (as SIGUSR1), and
        // the test sets DCD.
        linee = std::make_shared<serial_test::FakeLines>();
        linee->OnChange([this](int, int spente) {
            if (spente & win32::linebits::DTR) sim->Segnala(SIGUSR1);
        });
        win32::RegisterLineDevice(sim->Percorso(), linee);
        dati.Write("comconfig.cfg", testing_support::FileConfigCom(testing_support::ConfigCom(
                                        tipo, tipo == ConnessioneCavo ? PortaSim : 0,
                                        tipo == ConnessioneModem ? PortaSim : 0)));
        com.Loaded();
        ASSERT_TRUE(com.FormModCom()->ComPort.Active());
    }

    // Runs `f` on a worker thread, as the panel operations do, while this (UI) thread delivers
    // the received bytes.
    template <class F> auto SulWorker(F f) {
        auto futuro = std::async(std::launch::async, f);
        EXPECT_TRUE(ui.RunUntil([&] { return futuro.wait_for(0s) == std::future_status::ready; }, 60s));
        return futuro.get();
    }

    std::uint64_t Inviati() { return com.FormModCom()->ThreadCom().FrameInviati(); }

    TKivModem& Modem() { return com.FormModCom()->Modem(); }
    // Until the connect has reset the modem and asked for the call, the modem then waiting out its
    // settle time: the clock may jump over it.
    void AttendiAssestamentoPerChiamata() {
        testing_support::AttendiFinche([&] {
            return Modem().RichiestaChiamata.load() && Modem().Stato.load() == TKivModem::StatoAttesa;
        });
    }

    TFrameComunic Identifica() {
        TFrameComunic f;
        InizializzaFrame(f, 3);
        return f;
    }

    serial_test::StoreScope store;
    platform::TLoopUiThread ui;
    testing_support::TempFolder dati;
    testing_support::ProgramFolderScope cartella;
    testing_support::SettingsFolderScope impostazioni; // the user's settings there too
    std::unique_ptr<Simulatore> sim;
    std::shared_ptr<serial_test::FakeLines> linee;
    TKivModCom com;
};

} // namespace

TEST_F(SimTest, AnIdentificationGoesThroughTheCommandSetAndTheLink) {
    Avvia({});
    IdCentraleRx = VersioneCentraleRx = AbilComCentraleRx = 0;
    EXPECT_EQ(SulWorker([&] { return RichiediIdentificazione(com); }), 2);
    EXPECT_EQ(IdCentraleRx, 164);
    EXPECT_EQ(VersioneCentraleRx, 11);
    EXPECT_EQ(AbilComCentraleRx, 1);
    EXPECT_EQ(Inviati(), 1u);
    // The program's serial link is this component.
    EXPECT_EQ(LinkSeriale(), &com);
    EXPECT_EQ(SulWorker([&] { return FineComunicazione(com); }), 2);
}

TEST_F(SimTest, NoReplyMeansEveryAttemptThenFailure) {
    com.NumTentativi = 3;
    com.TimeoutComandDec = 2;
    Avvia({"--drop-rate", "1"});
    const auto inizio = std::chrono::steady_clock::now();
    EXPECT_EQ(SulWorker([&] { return com.InviaComando(Identifica()); }), 4);
    EXPECT_GE(std::chrono::steady_clock::now() - inizio, 600ms);
    EXPECT_EQ(Inviati(), 3u);
    com.NumTentativi = 0;
    EXPECT_EQ(SulWorker([&] { return com.InviaComando(Identifica()); }), 4);
    EXPECT_EQ(Inviati(), 4u);
}

TEST_F(SimTest, AWrongReplyIsResentAtOnce) {
    com.NumTentativi = 3;
    com.TimeoutComandDec = 50;
    Avvia({"--wrong-command"});
    const auto inizio = std::chrono::steady_clock::now();
    EXPECT_EQ(SulWorker([&] { return com.InviaComando(Identifica()); }), 4);
    EXPECT_LT(std::chrono::steady_clock::now() - inizio, 4s); // no 5 s time-out waited
    EXPECT_EQ(Inviati(), 3u);
}

TEST_F(SimTest, TheLateReplyToTheFirstSendIsAccepted) {
    com.NumTentativi = 3;
    com.TimeoutComandDec = 1;
    Avvia({"--delay-ms", "160"});
    EXPECT_EQ(SulWorker([&] { return com.InviaComando(Identifica()); }), 2);
    EXPECT_EQ(Inviati(), 2u);
    EXPECT_EQ(com.Risposta().Dati[0], 164);
}

TEST_F(SimTest, ABusyLinkAndAnEmptyRequest) {
    com.NumTentativi = 1;
    com.TimeoutComandDec = 20;
    Avvia({"--delay-ms", "400"});
    auto primo = std::async(std::launch::async, [&] { return com.InviaComando(Identifica()); });
    ASSERT_TRUE(ui.RunUntil([&] { return Inviati() == 1; }, 5s));
    EXPECT_EQ(com.InviaComando(Identifica()), 1);
    EXPECT_EQ(Inviati(), 1u);
    ASSERT_TRUE(ui.RunUntil([&] { return primo.wait_for(0s) == std::future_status::ready; }, 10s));
    EXPECT_EQ(primo.get(), 2);

    TFrameComunic vuota;
    EXPECT_EQ(SulWorker([&] { return com.InviaComando(vuota); }), 0);
    EXPECT_EQ(Inviati(), 2u);
}

TEST_F(SimTest, CorruptedRepliesNeverReachTheCallerAsSuccess) {
    com.NumTentativi = 3;
    com.TimeoutComandDec = 1;
    // One reply frame in ten has a byte changed: about 1% of the panel's bytes.
    Avvia({"--corrupt-rate", "0.1", "--seed", "41"});
    int riusciti = 0, falliti = 0, esatti = 0;
    SulWorker([&] {
        for (int i = 0; i < 200; ++i) {
            const std::uint8_t esito = com.InviaComando(Identifica());
            if (esito == 2) {
                ++riusciti;
                const TFrameComunic r = com.Risposta();
                if (r.Comando == 1 && r.Lunghezza == 3 && r.Dati[0] == 164 && r.Dati[1] == 11 &&
                    r.Dati[2] == 1)
                    ++esatti;
            } else if (esito == 4) {
                ++falliti;
            }
        }
        return 0;
    });
    EXPECT_EQ(riusciti + falliti, 200);
    EXPECT_EQ(esatti, riusciti);
    // A corrupted length byte makes the receiver take the next replies as that frame's data
    // until it fails its checksum, so a few exchanges run out of attempts; most get through.
    EXPECT_GT(riusciti, 150);
    EXPECT_GT(Inviati(), 200u); // some replies were lost and asked again
}

TEST_F(SimTest, ConnectThroughTheSimulatedModemThenExchange) {
    com.NumTentativi = 3;
    com.TimeoutComandDec = 20;
    Avvia({"--modem", "--modem-connect-delay-ms", "100", "--modem-guard-ms", "0"}, ConnessioneModem);
    EXPECT_FALSE(com.Connesso());
    auto orologio = std::async(std::launch::async, [&] {
        AttendiAssestamentoPerChiamata();
        testing_support::AvanzaOrologio(3100ms); // the settle time before the first hang-up
    });
    EXPECT_EQ(com.Connetti("0123456", 3), 2);
    EXPECT_TRUE(com.Connesso());
    IdCentraleRx = 0;
    EXPECT_EQ(SulWorker([&] { return RichiediIdentificazione(com); }), 2);
    EXPECT_EQ(IdCentraleRx, 164);
    EXPECT_EQ(com.Disconnetti(), 2);
    EXPECT_FALSE(com.Connesso());
}

TEST_F(SimTest, ADisconnectDuringTheModemWaitEndsTheConnectAtOnce) {
    Avvia({"--modem", "--modem-connect-delay-ms", "60000", "--modem-guard-ms", "0"}, ConnessioneModem);
    TKivModComFrm& f = *com.FormModCom();
    // The disconnect comes from a message handled while the connect waits, as a menu click would.
    std::atomic<bool> chiuso{false};
    auto orologio = std::async(std::launch::async, [&] {
        AttendiAssestamentoPerChiamata();
        testing_support::AvanzaOrologio(3100ms);
        // The call has gone out: the connect now waits for the modem's answer.
        testing_support::AttendiFinche([&] { return Modem().Stato.load() == TKivModem::StatoChiamata; });
        platform::UiThread()->Post([&] {
            com.Disconnetti();
            chiuso = true;
        });
    });
    const auto inizio = std::chrono::steady_clock::now();
    EXPECT_EQ(com.Connetti("0123456", 3), 4);
    EXPECT_TRUE(chiuso.load());
    EXPECT_LT(std::chrono::steady_clock::now() - inizio, 10s);
    EXPECT_FALSE(f.ThreadCom().Occupato());
}

TEST_F(SimTest, AnIncomingCallIsAnsweredWhenEnabled) {
    com.AbilitaConnectRemoto = true;
    com.TimeoutComandDec = 20;
    Avvia({"--modem", "--modem-ring-every-s", "0.3", "--modem-connect-delay-ms", "100", "--modem-guard-ms",
           "0"},
          ConnessioneModem);
    auto orologio = std::async(std::launch::async, [&] {
        testing_support::AttendiFinche([&] { return Modem().Stato.load() == TKivModem::StatoAttesa; });
        testing_support::AvanzaOrologio(3100ms);
    });
    // The link thread answers the panel's call and runs the handshake by itself.
    ASSERT_TRUE(ui.RunUntil([&] { return com.Connesso(); }, 20s));
    IdCentraleRx = 0;
    EXPECT_EQ(SulWorker([&] { return RichiediIdentificazione(com); }), 2);
    EXPECT_EQ(IdCentraleRx, 164);
}

TEST_F(SimTest, StoppingThePanelClosesThePortWithoutAnError) {
    com.NumTentativi = 1;
    com.TimeoutComandDec = 2;
    Avvia({});
    TKivModComFrm& f = *com.FormModCom();
    sim->Ferma(); // its pseudo-terminal goes, as an unplugged adapter does
    ASSERT_TRUE(ui.RunUntil([&] { return !f.ComPort.Active(); }, 5s));
    ui.RunFor(1500ms); // reopen timer ticks
    EXPECT_FALSE(f.ErrorePorta.load());
    EXPECT_FALSE(f.ComPort.Active());
    EXPECT_EQ(SulWorker([&] { return com.InviaComando(Identifica()); }), 4);
}

// The far end answers the call but the panel never identifies itself: the connect fails, and no
// call is left up for the next operation to trust (or a GSM bill to run on).
TEST_F(SimTest, AConnectThatFailsAfterTheFarEndAnsweredLeavesNoCallUp) {
    com.NumTentativi = 2;
    com.TimeoutComandDec = 2;
    Avvia({"--modem", "--modem-connect-delay-ms", "100", "--modem-guard-ms", "0", "--drop-rate", "1"},
          ConnessioneModem);
    auto orologio = std::async(std::launch::async, [&] {
        AttendiAssestamentoPerChiamata();
        testing_support::AvanzaOrologio(3100ms);
    });
    EXPECT_EQ(com.Connetti("0123456", 3), 4);
    EXPECT_FALSE(com.Connesso());
    EXPECT_EQ(Inviati(), 2u) << "the identification, asked twice";
    // The machine hangs the line up after its settle time.
    ASSERT_TRUE(
        testing_support::AttendiFinche([&] { return Modem().Stato.load() == TKivModem::StatoAttesa; }));
    testing_support::AvanzaOrologio(3100ms);
    EXPECT_TRUE(ui.RunUntil([&] { return sim->StatoModem() == "on hook"; }, 10s)) << sim->StatoModem();
    EXPECT_FALSE(com.Connesso());
}

// The call drops in the middle of the exchanges (the modem says NO CARRIER; the pulse on DTR is the
// simulated modem's way of losing it): the running exchange fails at once, and the link says so.
TEST_F(SimTest, NoCarrierDuringAnExchangeEndsItAtOnceAndTheLinkIsDown) {
    com.NumTentativi = 3;
    com.TimeoutComandDec = 50;
    // With this seed the panel answers the connect's identification and drops the next reply, so
    // that the exchange is still waiting when the call drops.
    Avvia({"--modem", "--modem-connect-delay-ms", "100", "--modem-guard-ms", "0", "--drop-rate", "0.5",
           "--seed", "6"},
          ConnessioneModem);
    auto orologio = std::async(std::launch::async, [&] {
        AttendiAssestamentoPerChiamata();
        testing_support::AvanzaOrologio(3100ms);
    });
    ASSERT_EQ(com.Connetti("0123456", 3), 2);
    const std::uint64_t prima = Inviati();
    auto caduta = std::async(std::launch::async, [&] {
        testing_support::AttendiFinche([&] { return Inviati() > prima; });
        sim->Segnala(SIGUSR1);
    });
    EXPECT_EQ(SulWorker([&] { return com.InviaComando(Identifica()); }), 4);
    EXPECT_EQ(Inviati(), prima + 1) << "no attempt waited out and resent";
    EXPECT_FALSE(com.Connesso());
}

// The carrier detect line drops while the link is up: the machine takes the call as lost.
TEST_F(SimTest, ADroppedCarrierDetectEndsTheLink) {
    Avvia({"--modem", "--modem-connect-delay-ms", "100", "--modem-guard-ms", "0"}, ConnessioneModem);
    linee->SetLine(win32::linebits::CD, true);
    auto orologio = std::async(std::launch::async, [&] {
        AttendiAssestamentoPerChiamata();
        testing_support::AvanzaOrologio(3100ms);
    });
    ASSERT_EQ(com.Connetti("0123456", 3), 2);
    ui.RunFor(300ms);
    EXPECT_TRUE(com.Connesso()) << "the carrier is there";
    linee->SetLine(win32::linebits::CD, false);
    EXPECT_TRUE(ui.RunUntil([&] { return !com.Connesso(); }, 5s));
}
