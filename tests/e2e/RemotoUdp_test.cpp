// The remote link end to end: the program's windows (offscreen) and vm415-sim playing a GPRS panel
// over UDP on the loopback address. The panel says hello, the user accepts, the configuration is
// received and sent through the main menu, and ending the connection sends command 22.
#include "ImmaginiPannello.h"
#include "config/GetMessage_11.h"
#include "platform/gui/qt/QtText.h"
#include "support/Presa.h"
#include "support/Simulatore.h"
#include "ui/Attesa.h"
#include "ui/OperazioniCentrale.h"
#include "ui/ProgramWindows.h"
#include "ui/ServerUdp.h"

#include <QAction>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

#include <future>

using namespace std::chrono_literals;

namespace {

class RemotoUdp : public ProgramWindows {
  protected:
    RemotoUdp() {
        ScriviComConfig(ConnessioneCavo);
        CreaFinestre();
        MostraMainFrm();
        ChiudiAttesaAllaFine(utente);
    }
    ~RemotoUdp() override { utente.stop(); }

    template <class F> bool Attendi(F f, std::chrono::milliseconds massimo = 5000ms) {
        QElapsedTimer t;
        t.start();
        while (!f() && t.elapsed() < massimo.count())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        return f();
    }

    QTimer utente;
};

TEST_F(RemotoUdp, ReceiveAndSendTheConfigurationThenEndTheConnection) {
    ServerUdpFrm->AvviaServerUdp(0); // a free port: test programs run side by side
    const int porta = ServerUdpFrm->Link.PortaAscolto();
    ASSERT_GT(porta, 0);
    // The payloads are coded through the transaction routine: before the connection is up, or it
    // would send them to the panel.
    const TConfigCentrale pannello = e2e::ImmagineCasuale(51);
    const TConfigCentrale nostra = e2e::ImmagineCasuale(53);
    const auto carichiPannello = e2e::Carichi(pannello);
    folder_.Write("panel.415", e2e::Byte(pannello));
    const std::string salvata = folder_.File("saved.415");
    testing_support::Simulatore sim({"--udp", "127.0.0.1:" + std::to_string(porta), "--ident", "GPRS-7",
                                     "--image", folder_.File("panel.415"), "--save-on-exit", salvata});
    ASSERT_TRUE(sim.Pronto());

    dialogs_.AnswerYes(); // the connection question
    ASSERT_TRUE(Attendi([] { return MainFrm->LabelConnessoGprs->isVisible(); })) << "asked within the tick";
    EXPECT_TRUE(MainFrm->TerminaConnessioneRemotaGprsBtn->isVisible());
    const std::string etichetta = platform::gui::ToCp1252(MainFrm->LabelConnessoGprs->text());
    EXPECT_EQ(etichetta, GetMessaggio("STRUDP_CONNESSIONE_CON") + " 127.0.0.1:" +
                             sim.Percorso().substr(sim.Percorso().find(':') + 1) + " - GPRS-7");
    ASSERT_EQ(dialogs_.Messages().size(), 1u);
    EXPECT_EQ(dialogs_.Messages()[0].Kind, platform::gui::MsgKind::Confirmation);

    ConfigCentrale = e2e::ImmagineCasuale(52);
    MainFrm->MiRiceviCentrale->trigger();
    EXPECT_EQ(platform::gui::ToCp1252(AttesaFrm->windowTitle()), GetMessaggio("STRATTESA_COMOK"));
    const TConfigCentrale ricevuta = ConfigCentrale;

    ConfigCentrale = nostra;
    dialogs_.AnswerYes(); // the send question
    MainFrm->MiInviaCentrale->trigger();
    EXPECT_EQ(platform::gui::ToCp1252(AttesaFrm->windowTitle()), GetMessaggio("STRATTESA_COMOK"));
    const TConfigCentrale inviata = ConfigCentrale; // as read back from the controls

    MainFrm->TerminaConnessioneRemotaGprsBtn->click();
    EXPECT_FALSE(MainFrm->LabelConnessoGprs->isVisible());
    EXPECT_FALSE(MainFrm->TerminaConnessioneRemotaGprsBtn->isVisible());
    EXPECT_FALSE(ServerUdpFrm->Link.Connesso());
    EXPECT_TRUE(Attendi([] { return ServerUdpFrm->Messaggi->toPlainText().contains("020116E703"); }));
    EXPECT_TRUE(e2e::Carichi(ricevuta) == carichiPannello) << "every travelling field over UDP";
    // The panel stops after command 22 and keeps what it was sent.
    sim.Ferma();
    const auto immagine = e2e::LeggiImmagine(salvata);
    ASSERT_TRUE(immagine);
    EXPECT_TRUE(e2e::Carichi(*immagine) == e2e::Carichi(inviata)) << "the panel holds our image";
}

// The panel goes silent; ending its connection (the button, or No to its second hello) sends
// command 22, which waits for a reply up to three times 10 s: the window must not wait with it.
TEST_F(RemotoUdp, EndingTheConnectionOfASilentPanelNeverHoldsTheWindow) {
    ServerUdpFrm->AvviaServerUdp(0);
    testing_support::Presa panel(ServerUdpFrm->Link.PortaAscolto());
    // How often a 50 ms timer of the window fires in one second.
    auto scatti = [] {
        int n = 0;
        QTimer t;
        QObject::connect(&t, &QTimer::timeout, [&] { ++n; });
        t.start(50);
        QElapsedTimer e;
        e.start();
        while (e.elapsed() < 1000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        return n;
    };
    auto accettato = [&] {
        panel.Invia("*P#");
        EXPECT_EQ(panel.Ricevi(), "*OK#");
        dialogs_.AnswerYes();
        return Attendi([] { return MainFrm->LabelConnessoGprs->isVisible(); });
    };

    ASSERT_TRUE(accettato());
    MainFrm->TerminaConnessioneRemotaGprsBtn->click();
    EXPECT_FALSE(MainFrm->LabelConnessoGprs->isVisible());
    EXPECT_FALSE(ServerUdpFrm->Link.Connesso());
    EXPECT_EQ(panel.Ricevi(), "020116E703");
    EXPECT_GE(scatti(), 10) << "after the end button";

    // Accepted again (the unanswered command 22 of the last connection gives up at once), then
    // refused at its next hello.
    ASSERT_TRUE(accettato());
    panel.Invia("*P#");
    EXPECT_EQ(panel.Ricevi(), "*OK#");
    dialogs_.AnswerNo();
    ASSERT_TRUE(Attendi([] { return !ServerUdpFrm->Link.Connesso(); }));
    EXPECT_EQ(panel.Ricevi(), "020116E703");
    EXPECT_GE(scatti(), 10) << "after No";
    // The windows go while command 22 still waits: the program's end does not wait for it.
}

// The program is closed while the remote panel has gone silent: after the end button (command 22
// waiting for its reply) and after a refused panel version (the worker's command 2, its wait window
// already closed). Nothing of it outlasts the close.
TEST_F(RemotoUdp, ClosingWhileTheRemotePanelIsSilentWaitsForNothing) {
    ServerUdpFrm->AvviaServerUdp(0);
    testing_support::Presa panel(ServerUdpFrm->Link.PortaAscolto());
    panel.Invia("*P#");
    EXPECT_EQ(panel.Ricevi(), "*OK#");
    dialogs_.AnswerYes();
    ASSERT_TRUE(Attendi([] { return MainFrm->LabelConnessoGprs->isVisible(); }));

    // Model 164 but format 10: refused, and the end of communication goes to a panel that no
    // longer answers.
    auto pannello = std::async(std::launch::async, [&] {
        EXPECT_EQ(panel.Ricevi(), "020101FC03");
        panel.Invia("020401A40A014A03");
        EXPECT_EQ(panel.Ricevi(), "02011002EB03");
    });
    QElapsedTimer chiusa;
    QTimer utente;
    QObject::connect(&utente, &QTimer::timeout, [&] {
        if (AttesaFrm->isVisible() && AttesaFrm->Okbutton->isVisible()) {
            AttesaFrm->Okbutton->click();
        } else if (!AttesaFrm->isVisible() && OperazioneCentraleInCorso() && MainFrm->isVisible() &&
                   pannello.wait_for(0s) == std::future_status::ready) {
            MainFrm->TerminaConnessioneRemotaGprsBtn->click(); // command 22 too, to nobody
            chiusa.start();
            MainFrm->close();
        }
    });
    utente.start(5);
    MainFrm->MiRiceviCentrale->trigger();
    utente.stop();
    ASSERT_TRUE(chiusa.isValid());
    EXPECT_FALSE(MainFrm->isVisible());
    DistruggiFinestre();
    EXPECT_LT(chiusa.elapsed(), 1000) << "the windows are gone, every thread of the link joined";
    // The end button's command 22 may make its one send while the program closes, when the worker's
    // command 2 let go of the link first; nothing goes out again.
    std::string dopo = panel.Ricevi(300ms);
    if (dopo == "020116E703") dopo = panel.Ricevi(300ms);
    EXPECT_EQ(dopo, "<none>") << "no resend after the close";
}

// With a panel connected, a second one says hello and the user closes the program before the tick
// asks: a question now would stay on screen with no main window behind it, and the program and its
// port with it, until answered. Nobody is asked, and the second panel is refused.
TEST_F(RemotoUdp, ClosingRightAfterASecondPanelsHelloAsksNothingAndRefusesIt) {
    ServerUdpFrm->AvviaServerUdp(0);
    testing_support::Presa panel(ServerUdpFrm->Link.PortaAscolto()),
        secondo(ServerUdpFrm->Link.PortaAscolto());
    panel.Invia("*P#");
    EXPECT_EQ(panel.Ricevi(), "*OK#");
    dialogs_.AnswerYes();
    ASSERT_TRUE(Attendi([] { return MainFrm->LabelConnessoGprs->isVisible(); }));
    dialogs_.Clear();

    secondo.Invia("*S#");
    EXPECT_EQ(secondo.Ricevi(), "*OK#");
    // The tick comes often, so that it certainly comes while the closing pauses.
    ServerUdpFrm->Timer1->setInterval(5);
    TempiChiusuraMainFrm = {100ms, 100ms};
    MainFrm->close();

    EXPECT_FALSE(MainFrm->isVisible());
    EXPECT_TRUE(dialogs_.Messages().empty()) << dialogs_.Messages()[0].Text;
    EXPECT_EQ(secondo.Ricevi(), "020116E703");
}

} // namespace
