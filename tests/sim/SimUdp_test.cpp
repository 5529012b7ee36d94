// vm415-sim --udp against the program's UDP link on the loopback address.
#include "config/GetMessage_11.h"
#include "e2e/ImmaginiPannello.h"
#include "link/ServerUdpLink.h"
#include "link/ThreadCom.h"
#include "link/def_ver11.h"
#include "platform/thread/Thread.h"
#include "support/Attesa.h"
#include "support/FinestreMute.h"
#include "support/ScriptedDialogs.h"
#include "support/Simulatore.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;

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

// Every reply to a block read comes twice, the copy late, in the next request's time: over UDP the
// copy is passed over and the receive and the queue read hold exactly what the panel holds.
TEST(SimUdp, LateCopiesOfBlockRepliesTakeNoBlocksPlace) {
    testing_support::TempFolder dati;
    const TConfigCentrale pannello = e2e::ImmagineCasuale(71);
    dati.Write("panel.415", e2e::Byte(pannello));
    std::vector<std::uint8_t> eventi;
    for (int i = 0; i < 45; ++i) {
        TEventoCoda e{};
        e.Tipo = std::uint8_t(i);
        e.Descrittore = std::uint8_t(100 - i);
        const auto* p = reinterpret_cast<const std::uint8_t*>(&e);
        eventi.insert(eventi.end(), p, p + sizeof e);
    }
    dati.Write("queue.cod", eventi);

    TServerUdpLink link;
    link.IndirizzoAscolto = "127.0.0.1";
    ASSERT_TRUE(link.AvviaServerUdp(0));
    RegistraLinkRemoto(&link);
    testing_support::Simulatore sim({"--udp", "127.0.0.1:" + std::to_string(link.PortaAscolto()),
                                     "--late-block-copies", "--image", dati.File("panel.415"), "--events",
                                     dati.File("queue.cod")});
    ASSERT_TRUE(sim.Pronto());
    ASSERT_TRUE(testing_support::AttendiFinche([&] { return link.Stato().NuovaConnessione; }));
    testing_support::ScriptedDialogs dialogs;
    dialogs.AnswerYes();
    link.Timer1Timer();

    platform::TLoopUiThread ui;
    testing_support::FinestreMute finestre;
    testing_support::LinkDoppio nessunCavo;
    TCodaEventi coda;
    RegistraCodaEventi(&coda);
    auto esegui = [&](std::uint8_t op) {
        TThreadCom worker(false, TComThread{nessunCavo, [] { return true; }}, op, finestre);
        EXPECT_TRUE(ui.RunUntil([&] { return worker.Finished(); }, 30s));
        worker.WaitFor();
        return worker.Esito;
    };
    ConfigCentrale = e2e::ImmagineCasuale(72);
    EXPECT_EQ(esegui(OpRiceviConfigurazione), EsitoOk);
    EXPECT_TRUE(e2e::Carichi(ConfigCentrale) == e2e::Carichi(pannello));
    EXPECT_EQ(esegui(OpRiceviCoda), EsitoOk);
    ASSERT_EQ(coda.NumEventi, 45);
    for (int i = 0; i < 45; ++i) {
        EXPECT_EQ(coda.Eventi[i].Tipo, i);
        EXPECT_EQ(coda.Eventi[i].Descrittore, 100 - i);
    }
    EXPECT_TRUE(nessunCavo.Richieste.empty());
    RegistraCodaEventi(nullptr);
    RegistraLinkRemoto(nullptr);
}
