// vm415-sim with its modem, as the link tests start it: the options reach the modem, SIGUSR1 stands
// in for the DTR drop a pseudo-terminal cannot carry, and bad modem options are refused.
#include "sim/SimProcess.h"

#include <gtest/gtest.h>

using Sim = sim_test::SimProcess;

TEST(SimModemProgram, OptionsReachTheModemAndSigusr1DropsDtr) {
    Sim sim({"--modem", "--modem-connect-delay-ms", "10", "--modem-guard-ms=40", "--gsm-csq", "7",
             "--gsm-ber", "0", "--gsm-creg", "5", "--gsm-operator", "Prova GSM"});
    ASSERT_TRUE(sim.Started());
    ASSERT_TRUE(sim.Open());
    sim.Write("ATE0V0\r");
    EXPECT_EQ(sim.ReadUntil("0\r"), "0\r");
    sim.Write("AT+CREG?\r");
    EXPECT_EQ(sim.ReadUntil("0\r"), "+CREG: 0,5\r\n0\r");
    sim.Write("AT+COPS?\r");
    EXPECT_EQ(sim.ReadUntil("0\r"), "+COPS: 0,0,\"Prova GSM\"\r\n0\r");
    sim.Write("AT+CSQ\r");
    EXPECT_EQ(sim.ReadUntil("0\r"), "+CSQ: 7,0\r\n0\r");
    sim.Write("ATS12?\r");
    EXPECT_EQ(sim.ReadUntil("0\r"), "002\r\n0\r");

    sim.Write("ATD0123\r");
    EXPECT_EQ(sim.ReadUntil("1\rU"), "1\rU");
    sim.Write("U");
    EXPECT_EQ(sim.ReadUntil("*****"), "*****");
    const std::string identified("\x03\x02\x04\x01\xA4\x0B\x01\x49\x03\x03", 10);
    sim.Write(std::string("\x03\x02\x01\x01\xFC\x03\x03", 7));
    EXPECT_EQ(sim.ReadUntil(identified), identified);

    sim.Signal(SIGUSR1);
    EXPECT_EQ(sim.ReadUntil("3\r"), "3\r");
    sim.Write("AT\r");
    EXPECT_EQ(sim.ReadUntil("0\r"), "0\r") << "back in command mode, on hook";

    sim.Signal(SIGTERM);
    EXPECT_EQ(sim.Wait(), 0) << sim.Errors();
}

TEST(SimModemProgram, RingAndFailureOptions) {
    Sim ring({"--modem", "--modem-ring-every-s", "0.05", "--modem-connect-delay-ms", "0"});
    ASSERT_TRUE(ring.Started());
    ASSERT_TRUE(ring.Open());
    // Under load more than one ring may come before the answer: nothing else may.
    const std::string squilli = ring.ReadUntil("2\r");
    EXPECT_EQ(squilli.find_first_not_of("2\r"), std::string::npos) << squilli;
    ring.Write("ATA\r");
    const std::string risposta = ring.ReadUntil("1\rU");
    ASSERT_TRUE(risposta.ends_with("1\rU")) << risposta;
    EXPECT_EQ(risposta.substr(0, risposta.size() - 3).find_first_not_of("2\r"), std::string::npos)
        << risposta;

    Sim busy({"--modem", "--modem-fail", "busy", "--modem-connect-delay-ms", "0"});
    ASSERT_TRUE(busy.Started());
    ASSERT_TRUE(busy.Open());
    busy.Write("ATD1\r");
    EXPECT_EQ(busy.ReadUntil("7\r"), "7\r");

    Sim none({"--modem", "--modem-fail=nocarrier", "--modem-connect-delay-ms", "0"});
    ASSERT_TRUE(none.Started());
    ASSERT_TRUE(none.Open());
    none.Write("ATD1\r");
    EXPECT_EQ(none.ReadUntil("3\r"), "3\r");
}

TEST(SimModemProgram, BadModemOptionsAreRefused) {
    struct Case {
        std::vector<std::string> args;
        std::string says;
    };
    const Case cases[] = {
        {{"--modem-connect-delay-ms", "10"}, "--modem-connect-delay-ms needs --modem"},
        {{"--gsm-csq", "10"}, "--gsm-csq needs --modem"},
        {{"--modem", "--modem-fail", "maybe"}, "--modem-fail wants busy or nocarrier"},
        {{"--modem", "--gsm-csq", "40"}, "--gsm-csq wants 0..31 or 99"},
        {{"--modem", "--gsm-ber", "8"}, "--gsm-ber wants 0..7 or 99"},
        {{"--modem", "--gsm-creg", "6"}, "--gsm-creg"},
        {{"--modem", "--gsm-operator", "a\"b"}, "double quotes"},
        {{"--modem", "--modem-ring-every-s", "0"}, "--modem-ring-every-s"},
        {{"--modem", "--modem-guard-ms", "6000"}, "--modem-guard-ms"},
    };
    for (const Case& c : cases) {
        Sim sim(c.args);
        ASSERT_TRUE(sim.Started());
        EXPECT_EQ(sim.Wait(), 2) << c.args.back();
        EXPECT_NE(sim.Errors().find(c.says), std::string::npos) << c.args.back();
    }
    Sim help({"--help"});
    const std::string text = help.Output();
    EXPECT_EQ(help.Wait(), 0);
    for (const char* option :
         {"--modem ", "--modem-connect-delay-ms", "--modem-fail", "--modem-ring-every-s", "--modem-guard-ms",
          "--gsm-csq", "--gsm-ber", "--gsm-operator", "--gsm-creg", "SIGUSR1"})
        EXPECT_NE(text.find(option), std::string::npos) << option;
}
