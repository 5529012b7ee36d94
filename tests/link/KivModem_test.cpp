// The modem state machine against a scripted modem: initialisation, readiness, dialling with the
// "U"/"*" handshake, answering, time-outs on the moved clock, and hang-up.
#include "link/KivCanaleFinto.h"
#include "link/KivModem.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using testing_support::AvanzaOrologio;
using testing_support::CanaleFinto;
using testing_support::OrologioFinto;

namespace {

// A modem that answers every command line with a numeric result, as the program's init strings
// set it up (numeric results, no echo).
class ModemFinto {
  public:
    explicit ModemFinto(CanaleFinto& c) : c_(c) {
        c_.AlByteInviato = [this](std::uint8_t b) {
            if (b != '\r') {
                riga_ += static_cast<char>(b);
                return;
            }
            Righe.push_back(riga_);
            const std::string risposta = Risposta ? Risposta(riga_) : "0\r";
            riga_.clear();
            if (!risposta.empty()) c_.Ricevi(risposta);
        };
    }
    std::function<std::string(const std::string&)> Risposta;
    std::vector<std::string> Righe;

  private:
    CanaleFinto& c_;
    std::string riga_;
};

class ModemTest : public ::testing::Test {
  protected:
    ModemTest() : modem(canale, &OrologioFinto) { modem.PauseSgancio = {0ms, 0ms, 0ms}; }

    void Passi(int n) {
        for (int i = 0; i < n; ++i)
            modem.GestioneModem();
    }
    // From state 0 through the settle time and the hang-up to initialising.
    void FinoAInizializza() {
        Passi(1);
        ASSERT_EQ(modem.Stato.load(), TKivModem::StatoAttesa);
        AvanzaOrologio(3100ms);
        Passi(1);
        ASSERT_EQ(modem.Stato.load(), TKivModem::StatoInizializza);
    }
    // Steps until `stato` or `massimo` steps.
    bool PassiFino(std::uint8_t stato, int massimo = 50) {
        for (int i = 0; i < massimo && modem.Stato.load() != stato; ++i)
            modem.GestioneModem();
        return modem.Stato.load() == stato;
    }

    CanaleFinto canale;
    ModemFinto finto{canale};
    TKivModem modem;
};

} // namespace

TEST_F(ModemTest, WithoutAPortTheMachineStaysAtTheStart) {
    canale.porta = 0;
    Passi(5);
    AvanzaOrologio(10s);
    Passi(5);
    EXPECT_EQ(modem.Stato.load(), TKivModem::StatoAvvio);
    EXPECT_TRUE(canale.Inviati().empty());
}

TEST_F(ModemTest, DefaultStringsAreSentAfterTheHangUpAndLeadToReady) {
    FinoAInizializza();
    // The hang-up: escape, DTR dropped and raised again.
    EXPECT_EQ(canale.TestoInviato(), "+++");
    EXPECT_EQ(canale.Dtr(), (std::vector<bool>{false, true}));
    ASSERT_TRUE(PassiFino(TKivModem::StatoPronto));
    EXPECT_EQ(finto.Righe, (std::vector<std::string>{"+++ATE0V0", "AT&D2X0", "ATH"}));
    EXPECT_FALSE(modem.ModemConnesso());
    EXPECT_TRUE(modem.ModemPronto());
    EXPECT_EQ(modem.IndiceInit, 0);
}

TEST_F(ModemTest, EmptyStringsShortenTheSequenceButTheFirstIsAlwaysSent) {
    TConfigCom c = canale.ConfigSalvata();
    c.StrInit2.Imposta("  ");
    canale.ImpostaConfig(c);
    FinoAInizializza();
    ASSERT_TRUE(PassiFino(TKivModem::StatoPronto));
    EXPECT_EQ(finto.Righe, (std::vector<std::string>{"+++ATE0V0"}));

    c.StrInit1.Imposta("");
    canale.ImpostaConfig(c);
    modem.AzzeraStato();
    finto.Righe.clear();
    FinoAInizializza();
    ASSERT_TRUE(PassiFino(TKivModem::StatoPronto));
    EXPECT_EQ(finto.Righe, (std::vector<std::string>{"+++"})); // a bare CR after the escape
}

TEST_F(ModemTest, AnUnacknowledgedStringTimesOutAndStartsAgain) {
    finto.Risposta = [](const std::string& riga) { return riga == "AT&D2X0" ? "4\r" : "0\r"; };
    FinoAInizializza();
    Passi(10);
    EXPECT_EQ(modem.Stato.load(), TKivModem::StatoInizializza);
    AvanzaOrologio(3100ms);
    Passi(1);
    EXPECT_EQ(modem.Stato.load(), TKivModem::StatoAvvio);
    EXPECT_EQ(modem.IndiceInit, 0);
    EXPECT_EQ(modem.FaseAT, 0);
}

TEST_F(ModemTest, ResultsAreRecognisedAfterAnEchoedCommandLine) {
    // A modem that still echoes (before ATE0 takes effect) sends the command line back first.
    finto.Risposta = [](const std::string& riga) { return riga + "\r0\r"; };
    FinoAInizializza();
    EXPECT_TRUE(PassiFino(TKivModem::StatoPronto, 200));
}

TEST(ModemRecogniser, ResultCountsOnlyAsFirstByteOfALineFollowedByCr) {
    CanaleFinto canale;
    TKivModem modem(canale, &OrologioFinto);
    canale.Ricevi("10\r");
    EXPECT_FALSE(modem.RicevutoCodice('0'));
    EXPECT_FALSE(modem.RicevutoCodice('0'));
    EXPECT_FALSE(modem.RicevutoCodice('0')); // "10" is not "0"
    canale.Ricevi("10\r");
    EXPECT_FALSE(modem.RicevutoCodice('1'));
    EXPECT_FALSE(modem.RicevutoCodice('1'));
    EXPECT_TRUE(modem.RicevutoCodice('1'));  // the first byte decides
    EXPECT_FALSE(modem.RicevutoCodice('1')); // empty ring
    canale.Ricevi("2");
    EXPECT_FALSE(modem.RicevutoCodice('2'));
    EXPECT_FALSE(modem.RicevutoCodice('2')); // the ring ran empty before the CR: forgotten
    canale.Ricevi("\r");
    EXPECT_FALSE(modem.RicevutoCodice('2'));
}

TEST_F(ModemTest, DialRunsTheHandshakeToLinkUp) {
    FinoAInizializza();
    ASSERT_TRUE(PassiFino(TKivModem::StatoPronto));
    finto.Risposta = [](const std::string& riga) { return riga.rfind("ATD", 0) == 0 ? "1\r" : ""; };
    modem.ImpostaChiamata("ATD0123456");
    canale.DimenticaInviati();
    Passi(1);
    EXPECT_EQ(modem.Stato.load(), TKivModem::StatoChiamata);
    EXPECT_FALSE(modem.RichiestaChiamata.load());
    EXPECT_EQ(canale.TestoInviato(), "ATD0123456\r");
    ASSERT_TRUE(PassiFino(TKivModem::StatoAttesaAsterisco, 5));

    // "U" every 0.1 s until the far end answers "*".
    canale.DimenticaInviati();
    for (int i = 0; i < 3; ++i) {
        Passi(1);
        AvanzaOrologio(110ms);
    }
    Passi(1);
    const auto u = canale.Inviati();
    ASSERT_GE(u.size(), 3u);
    for (std::size_t i = 0; i < u.size(); ++i) {
        EXPECT_EQ(u[i].Byte, 'U');
        if (i > 0) {
            EXPECT_GE(u[i].Quando - u[i - 1].Quando, 100ms);
        }
    }
    canale.Ricevi("x*");
    Passi(2);
    EXPECT_TRUE(modem.ModemConnesso());
    EXPECT_LE(OrologioFinto() - modem.UltimaAttivita.load(), 1s);
}

TEST_F(ModemTest, DialNotConnectedOrHandshakeMissingFallsBack) {
    FinoAInizializza();
    ASSERT_TRUE(PassiFino(TKivModem::StatoPronto));
    finto.Risposta = [](const std::string&) { return ""; };
    modem.ImpostaChiamata("ATD1");
    Passi(3);
    EXPECT_EQ(modem.Stato.load(), TKivModem::StatoChiamata);
    AvanzaOrologio(69s);
    Passi(1);
    EXPECT_EQ(modem.Stato.load(), TKivModem::StatoChiamata);
    AvanzaOrologio(2s);
    Passi(1);
    EXPECT_EQ(modem.Stato.load(), TKivModem::StatoAvvio);

    // CONNECT but no "*": 10 s of "U", then back to the start.
    modem.Stato = TKivModem::StatoPronto;
    modem.ImpostaChiamata("ATD1");
    Passi(1);
    canale.Ricevi("1\r");
    ASSERT_TRUE(PassiFino(TKivModem::StatoAttesaAsterisco, 5));
    AvanzaOrologio(10100ms);
    Passi(1);
    EXPECT_EQ(modem.Stato.load(), TKivModem::StatoAvvio);
}

TEST_F(ModemTest, RingIsAnsweredOnlyWhenEnabled) {
    FinoAInizializza();
    ASSERT_TRUE(PassiFino(TKivModem::StatoPronto));
    canale.DimenticaInviati();
    canale.Ricevi("2\r");
    Passi(5);
    EXPECT_EQ(modem.Stato.load(), TKivModem::StatoPronto);
    EXPECT_EQ(canale.NonLetti(), 2u); // nothing was read
    EXPECT_TRUE(canale.Inviati().empty());

    canale.connectRemoto = true;
    finto.Risposta = [](const std::string& riga) { return riga == "ATA" ? "1\r" : ""; };
    Passi(2);
    EXPECT_EQ(modem.Stato.load(), TKivModem::StatoRisposta);
    ASSERT_TRUE(PassiFino(TKivModem::StatoAttesaU, 5));
    EXPECT_EQ(canale.TestoInviato(), "ATA\rU");
    canale.Ricevi("U");
    Passi(1);
    EXPECT_TRUE(modem.ModemConnesso());
    EXPECT_EQ(canale.TestoInviato(), "ATA\rU*****");
}

TEST_F(ModemTest, DialRequestWinsOverARingSeenInTheSameStep) {
    canale.connectRemoto = true;
    FinoAInizializza();
    ASSERT_TRUE(PassiFino(TKivModem::StatoPronto));
    finto.Risposta = [](const std::string&) { return ""; };
    modem.ImpostaChiamata("ATD9");
    canale.Ricevi("2");
    Passi(1); // reads the "2"
    EXPECT_EQ(modem.Stato.load(), TKivModem::StatoChiamata);
}

TEST_F(ModemTest, IdleLinkAndHangUpRequestGoBackToTheStart) {
    canale.timeoutLink = 5;
    modem.Stato = TKivModem::StatoCollegato;
    modem.UltimaAttivita = OrologioFinto();
    Passi(3);
    EXPECT_TRUE(modem.ModemConnesso());
    EXPECT_EQ(canale.NonLetti(), 0u);
    AvanzaOrologio(5100ms);
    Passi(1);
    EXPECT_EQ(modem.Stato.load(), TKivModem::StatoAvvio);

    modem.Stato = TKivModem::StatoCollegato;
    modem.UltimaAttivita = OrologioFinto();
    modem.RichiediSgancio();
    Passi(1);
    EXPECT_EQ(modem.Stato.load(), TKivModem::StatoAvvio);
    EXPECT_FALSE(modem.RichiestaSgancio.load());

    // Outside the link the request waits for the start state, which clears it.
    modem.RichiediSgancio();
    Passi(1);
    EXPECT_EQ(modem.Stato.load(), TKivModem::StatoAttesa);
    EXPECT_FALSE(modem.RichiestaSgancio.load());
    // 3 s later the line is hung up: escape and DTR drop.
    canale.DimenticaInviati();
    AvanzaOrologio(3100ms);
    Passi(1);
    EXPECT_EQ(canale.TestoInviato(), "+++");
}

TEST_F(ModemTest, ResetDuringACommandDoesNotLeaveTheNextInitialisationWaiting) {
    FinoAInizializza();
    Passi(1); // ATE0V0 out, awaiting "0"
    ASSERT_EQ(modem.FaseAT, 1);
    modem.AzzeraStato();
    FinoAInizializza();
    finto.Righe.clear();
    ASSERT_TRUE(PassiFino(TKivModem::StatoPronto));
    EXPECT_EQ(finto.Righe.front(), "+++ATE0V0");
}

TEST(ModemStop, AStoppedHangUpDoesNotWaitAndLeavesDtrUp) {
    CanaleFinto canale;
    TKivModem modem(canale, &OrologioFinto);
    modem.Arresta();
    const auto inizio = std::chrono::steady_clock::now();
    modem.SganciaLinea(); // the program's pauses: 4 s if they were not cut short
    EXPECT_LT(std::chrono::steady_clock::now() - inizio, 2s);
    EXPECT_EQ(canale.TestoInviato(), "+++");
    EXPECT_TRUE(canale.Dtr().empty());
}
