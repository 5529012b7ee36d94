// vm415-sim --udp against the program's UDP link on the loopback address.
#include "config/GetMessage_11.h"
#include "link/ServerUdpLink.h"
#include "link/def_ver11.h"
#include "support/Attesa.h"
#include "support/ScriptedDialogs.h"
#include "support/Simulatore.h"

#include <gtest/gtest.h>

TEST(SimUdp, ConnectsAnswersFramesAndStopsAfterCommand22) {
    TServerUdpLink link;
    link.IndirizzoAscolto = "127.0.0.1";
    ASSERT_TRUE(link.AvviaServerUdp(0));
    testing_support::Simulatore sim(
        {"--udp", "127.0.0.1:" + std::to_string(link.PortaAscolto()), "--ident", "P7"});
    ASSERT_TRUE(sim.Pronto());
    ASSERT_TRUE(testing_support::AttendiFinche([&] { return link.Stato().NuovaConnessione; }));
    testing_support::ScriptedDialogs dialogs;
    dialogs.AnswerYes();
    link.Timer1Timer();
    ASSERT_TRUE(link.Connesso());
    EXPECT_EQ(link.Stato().IdentRemoto, "P7");
    IdCentraleRx = 0;
    EXPECT_EQ(RichiediIdentificazione(link), EsitoOk);
    EXPECT_EQ(IdCentraleRx, 164);
    EXPECT_EQ(TerminaConnessioneRemota(link), EsitoOk);
}
