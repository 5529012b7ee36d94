// A second host says hello while an operation runs, over the remote link or over the cable: it
// gets its "*OK#" and the question, and nothing else until the user accepts it; an operation keeps
// the link it started on (one over UDP to the panel the user then leaves ends with failure), and
// the next operation goes to the panel accepted. Real sockets and pseudo-terminals, the simulated
// panel at the other end.
#include "e2e/ImmaginiPannello.h"
#include "link/ConfigComProva.h"
#include "link/KivModCom.h"
#include "link/ServerUdpLink.h"
#include "link/ThreadCom.h"
#include "platform/thread/Thread.h"
#include "serial/SerialTestSupport.h"
#include "support/FinestreMute.h"
#include "support/Presa.h"
#include "support/ScriptedDialogs.h"
#include "support/Simulatore.h"
#include "support/Staffetta.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <future>

using namespace std::chrono_literals;
using testing_support::Presa;

namespace {

constexpr int PortaSim = 11;

class SessioneRemota : public ::testing::Test {
  protected:
    SessioneRemota() : cartella(dati.Path()) {
        udp.IndirizzoAscolto = "127.0.0.1";
        EXPECT_TRUE(udp.AvviaServerUdp(0));
        RegistraLinkRemoto(&udp);
        dati.Write("panel.415", e2e::Byte(pannello));
    }
    ~SessioneRemota() override {
        RegistraLinkRemoto(nullptr);
        RegistraLinkSeriale(nullptr);
    }

    // Runs the operation through the worker, calling `Intanto` once on this (UI) thread when
    // `Quando` first holds (it must hold until `Intanto` has run); the worker's outcome.
    std::uint8_t Operazione(TComThread com, std::uint8_t op, const std::function<bool()>& Quando,
                            const std::function<void()>& Intanto) {
        testing_support::FinestreMute finestre;
        TThreadCom worker(false, std::move(com), op, finestre);
        bool fatto = false;
        EXPECT_TRUE(ui.RunUntil(
            [&] {
                if (!fatto && Quando()) {
                    fatto = true;
                    Intanto();
                }
                return worker.Finished();
            },
            60s));
        worker.WaitFor();
        EXPECT_TRUE(fatto) << "the operation ended before the moment came";
        return worker.Esito;
    }
    // Runs the operation with `finestre` as its windows; the worker's outcome.
    std::uint8_t Operazione(TComThread com, std::uint8_t op, IFinestreThreadCom& finestre) {
        TThreadCom worker(false, std::move(com), op, finestre);
        EXPECT_TRUE(ui.RunUntil([&] { return worker.Finished(); }, 60s));
        worker.WaitFor();
        return worker.Esito;
    }

    // A hello from the foreign host, and what it gets.
    static void Hello(Presa& p) {
        p.Invia("*EVIL#");
        EXPECT_EQ(p.Ricevi(), "*OK#");
    }
    void Accetta(bool si) {
        if (si)
            dialogs.AnswerYes();
        else
            dialogs.AnswerNo();
        udp.Timer1Timer();
    }

    serial_test::StoreScope store;
    platform::TLoopUiThread ui;
    testing_support::TempFolder dati;
    testing_support::ProgramFolderScope cartella;
    testing_support::SettingsFolderScope impostazioni{dati.Path()}; // the user's settings there too
    testing_support::ScriptedDialogs dialogs;
    TServerUdpLink udp;
    const TConfigCentrale pannello = e2e::ImmagineCasuale(61);
    const TConfigCentrale prima = e2e::ImmagineCasuale(62);
    testing_support::LinkDoppio nessunCavo; // the serial link of a program whose panel is remote
};

} // namespace

TEST_F(SessioneRemota, AHelloInTheMiddleOfAReceiveOverUdpTakesNothingUntilYes) {
    testing_support::Staffetta staffetta(udp.PortaAscolto());
    testing_support::Simulatore sim({"--udp", "127.0.0.1:" + std::to_string(staffetta.PortaPannello()),
                                     "--image", dati.File("panel.415")});
    ASSERT_TRUE(sim.Pronto());
    ASSERT_TRUE(ui.RunUntil([&] { return udp.Stato().NuovaConnessione; }, 5s));
    Accetta(true);
    Presa straniero(udp.PortaAscolto());
    const TComThread com{nessunCavo, [] { return true; }};
    // A zone block's request (STX, its length 2 stuffed, command 13) waits on its way to the panel
    // until the hello is done.
    auto aiBlocchi = [&] {
        staffetta.Trattieni([](const std::string& d) { return d.rfind("0210020D", 0) == 0; });
        return [&] { return staffetta.Trattenuto(); };
    };

    // Asked about, not yet answered: the receive goes on with the panel to its end.
    ConfigCentrale = prima;
    EXPECT_EQ(Operazione(com, OpRiceviConfigurazione, aiBlocchi(),
                         [&] {
                             Hello(straniero);
                             staffetta.Rilascia();
                         }),
              EsitoOk);
    EXPECT_TRUE(e2e::Carichi(ConfigCentrale) == e2e::Carichi(pannello));
    EXPECT_EQ(straniero.Ricevi(200ms), "<none>");
    // Refused: the host is told it has no session and stays silent; the connection keeps its
    // panel, and the next operation does not wait on that host's reply.
    Accetta(false);
    EXPECT_EQ(straniero.Ricevi(), "020116E703");
    EXPECT_EQ(udp.Stato().Peer.Porta, staffetta.PortaVersoLink());

    // Accepted in the middle: the receive from the panel left behind ends with failure, every field
    // it stored from that panel, and the new host still gets nothing of it.
    ConfigCentrale = prima;
    EXPECT_EQ(Operazione(com, OpRiceviConfigurazione, aiBlocchi(),
                         [&] {
                             Hello(straniero);
                             Accetta(true);
                             staffetta.Rilascia();
                         }),
              EsitoFallito);
    const auto p = e2e::Carichi(pannello), n = e2e::Carichi(prima), r = e2e::Carichi(ConfigCentrale);
    for (std::size_t j = 0; j < r.size(); ++j)
        EXPECT_TRUE(r[j] == p[j] || r[j] == n[j]) << "payload " << j;
    EXPECT_EQ(straniero.Ricevi(200ms), "<none>");

    // The next operation goes to the host accepted.
    TLinkOperazione dopo(nessunCavo);
    auto id = std::async(std::launch::async, [&] { return RichiediIdentificazione(dopo); });
    EXPECT_EQ(straniero.Ricevi(), "020101FC03");
    straniero.Invia("020401A40B014903");
    EXPECT_EQ(id.get(), EsitoOk);
}

TEST_F(SessioneRemota, AHelloAcceptedInTheMiddleOfACableOperationLetsItEndOnTheCable) {
    testing_support::Simulatore sim(PortaSim, {"--image", dati.File("panel.415")});
    ASSERT_TRUE(sim.Pronto());
    TKivModCom kiv;
    ASSERT_TRUE(testing_support::SulCavo(kiv, dati, PortaSim, 3));
    const TComThread com{kiv, [&] { return kiv.Connesso(); }};

    for (const std::uint8_t op : {OpRiceviConfigurazione, OpInviaConfigurazione}) {
        SCOPED_TRACE(int(op));
        Presa straniero(udp.PortaAscolto());
        const std::uint64_t inviati = kiv.FormModCom()->ThreadCom().FrameInviati();
        testing_support::FinestreAlPasso aMeta(6, [&] {
            Hello(straniero);
            Accetta(true);
        });
        ConfigCentrale = op == OpRiceviConfigurazione ? prima : pannello;
        EXPECT_EQ(Operazione(com, op, aMeta), EsitoOk);
        EXPECT_TRUE(aMeta.Fatto());
        // Every command on the cable: 20 for a receive, the send's extra read of the general block.
        EXPECT_EQ(kiv.FormModCom()->ThreadCom().FrameInviati(),
                  inviati + (op == OpRiceviConfigurazione ? 20 : 21));
        EXPECT_TRUE(e2e::Carichi(ConfigCentrale) == e2e::Carichi(pannello));
        EXPECT_EQ(straniero.Ricevi(200ms), "<none>");
        // The next operation goes to the host accepted; the connection is then ended.
        TLinkOperazione dopo(kiv);
        EXPECT_TRUE(dopo.Remoto());
        udp.TerminaConnessioneUdp();
        EXPECT_EQ(straniero.Ricevi(), "020116E703");
        straniero.Invia("020116E703");
        ASSERT_TRUE(ui.RunUntil([&] { return !udp.Stato().InvioInCorso; }, 5s));
    }
}
