// The signal test's reading of modem replies on a scripted line: replies that come late or cut in
// two, a name that never ends, replies that are not first in the ring, and the pause of the modem
// polling around each cycle. The replies of a real modem are tested against the simulated one.
#include "link/KivCanaleFinto.h"
#include "link/KivTestModem.h"
#include "link/KivThreadcom.h"
#include "support/Attesa.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>

using namespace std::chrono_literals;
using testing_support::AvanzaOrologio;
using testing_support::CanaleFinto;
using testing_support::OrologioFinto;

namespace {

class TestModemTest : public ::testing::Test {
  protected:
    TestModemTest() {
        TConfigCom c;
        c.TipoConnessione = ConnessioneCavo; // the thread leaves the modem to the test
        canale.ImpostaConfig(c);
        modem.Stato.store(TKivModem::StatoPronto);
        // The scripted modem answers each command as it is sent.
        canale.AlByteInviato = [this](std::uint8_t b) {
            if (b != '\r') {
                riga += char(b);
                return;
            }
            if (auto r = risposte.find(riga); r != risposte.end())
                for (const std::string& parte : r->second)
                    canale.Ricevi(parte);
            comandi.push_back(riga);
            riga.clear();
            ++risposti;
        };
    }

    CanaleFinto canale;
    TKivComunic comunic{&OrologioFinto};
    TKivModem modem{canale, &OrologioFinto};
    TKivThreadCom thread{canale, comunic, modem, &OrologioFinto};
    TKivTestModem test{canale, thread, &OrologioFinto};
    std::map<std::string, std::vector<std::string>> risposte;
    std::vector<std::string> comandi;
    std::string riga;
    // Commands answered so far (read from other threads: the answer is in the ring by then).
    std::atomic<int> risposti{0};
};

} // namespace

TEST_F(TestModemTest, RepliesAfterOtherTextAndSpacesAreFound) {
    risposte["AT+CREG?"] = {"\r\nRING\r\n+CREG: 0, 1\r\n0\r"};
    risposte["AT+COPS?"] = {"+COPS: 0,0,\"vodafone IT\"\r\n0\r"};
    risposte["AT+CSQ"] = {"\r\n+CSQ: 31,7\r\n0\r"};
    const TLetturaSegnale l = test.Ciclo();
    EXPECT_EQ(l.Operatore, "vodafone IT");
    EXPECT_EQ(l.Livello, 31);
    EXPECT_EQ(l.ErrorRate, 7);
    EXPECT_FALSE(thread.Pausa.load());
}

TEST_F(TestModemTest, AReplyCutInTwoReadsAsAWholeOne) {
    risposte["AT+CREG?"] = {"+CREG: 0,5\r\n0\r"};
    risposte["AT+COPS?"] = {"+COPS: 0,0,\"I TIM\"\r\n0\r"};
    risposte["AT+CSQ"] = {"+CSQ: 1"};
    auto fine = std::async(std::launch::async, [this] {
        // The rest comes once the cycle has read the first part.
        testing_support::AttendiFinche([this] { return risposti.load() == 3 && canale.NonLetti() == 0; });
        canale.Ricevi("5,3\r\n0\r");
    });
    const TLetturaSegnale l = test.Ciclo();
    fine.get();
    EXPECT_EQ(l.Operatore, "I TIM");
    EXPECT_EQ(l.Livello, 15);
    EXPECT_EQ(l.ErrorRate, 3);
}

TEST_F(TestModemTest, ANameWithoutItsClosingQuoteEndsWithTheReplyDeadline) {
    risposte["AT+CREG?"] = {"+CREG: 0,1\r\n0\r"};
    risposte["AT+COPS?"] = {"+COPS: 0,0,\"OPER"};
    risposte["AT+CSQ"] = {"+CSQ: 9,99\r\n0\r"};
    auto orologio = std::async(std::launch::async, [this] {
        // The cycle has read the name so far and waits for the rest, its deadline taken.
        testing_support::AttendiFinche([this] { return risposti.load() == 2 && canale.NonLetti() == 0; });
        AvanzaOrologio(TKivTestModem::TempoRisposta + 1s);
    });
    const auto inizio = std::chrono::steady_clock::now();
    const TLetturaSegnale l = test.Ciclo();
    orologio.get();
    EXPECT_LT(std::chrono::steady_clock::now() - inizio, 4s);
    EXPECT_EQ(l.Operatore, "OPER");
    EXPECT_EQ(l.Livello, 9); // the cycle went on to the signal
}

TEST_F(TestModemTest, NotReadyAsksNothingAndShowsNothing) {
    modem.Stato.store(TKivModem::StatoAttesa);
    test.Avvio();
    const TLetturaSegnale l = test.Ciclo();
    EXPECT_TRUE(canale.TestoInviato().empty());
    EXPECT_EQ(l.Operatore, "");
    EXPECT_EQ(l.Livello, 0);
    EXPECT_EQ(l.ErrorRate, 0);
}

TEST_F(TestModemTest, TheProgramsOwnWindowWantsTheReplyFirstInTheRing) {
    risposte["AT+COPS?"] = {"+COPS: 0,0,\"WIND\"\r\n0\r"};
    risposte["AT+CSQ"] = {"\r\n+CSQ: 12,0\r\n0\r"}; // a line ending before it: not recognised
    test.AvvioDiretto();
    const TLetturaSegnale l = test.CicloDiretto();
    EXPECT_EQ(comandi, (std::vector<std::string>{"AT+COPS=3,0", "AT+COPS?", "AT+CSQ"}));
    EXPECT_EQ(l.Operatore, "WIND");
    EXPECT_EQ(l.Livello, 0);
    EXPECT_EQ(canale.NonLetti(), 0u);
    EXPECT_FALSE(thread.Pausa.load());
}
