// The remote link over real UDP sockets on the loopback address: a test socket plays the panel,
// and the deadlines run on a clock the tests move forward.
#include "KivCanaleFinto.h"
#include "link/ServerUdpLink.h"
#include "link/def_ver11.h"
#include "platform/diag/Diagnostica.h"
#include "support/Attesa.h"
#include "support/Presa.h"
#include "support/ScriptedDialogs.h"

#include <algorithm>
#include <future>
#include <gtest/gtest.h>
#include <memory>

using namespace std::chrono_literals;
using testing_support::AvanzaOrologio;
using testing_support::Presa;

namespace {

class ServerUdp : public testing::Test {
  protected:
    ServerUdp() : link(&testing_support::OrologioFinto) {
        link.IndirizzoAscolto = "127.0.0.1";
        link.Finestra.Log = [this](const std::string& r) {
            std::lock_guard l(m);
            log.push_back(r);
        };
        link.Finestra.NascondiConnesso = [this] { ++nascosto; };
        EXPECT_TRUE(link.AvviaServerUdp(0));
        panel = std::make_unique<Presa>(link.PortaAscolto());
    }
    ~ServerUdp() override { link.FermaServerUdp(); }

    // The panel's hello, answered Yes.
    void Connetti() {
        panel->Invia("*VM415#");
        ASSERT_EQ(panel->Ricevi(), "*OK#");
        dialogs.AnswerYes();
        link.Timer1Timer();
        ASSERT_TRUE(link.Connesso());
    }
    bool Registrato(const std::string& parte) {
        std::lock_guard l(m);
        for (const auto& r : log)
            if (r.find(parte) != std::string::npos) return true;
        return false;
    }
    template <class F> void Attendi(F f) { testing_support::AttendiFinche(f, 1500ms); }

    TFrameComunic Comando(std::uint8_t c, std::uint8_t risposta) {
        TFrameComunic f;
        f.Comando = c;
        f.LunghezzaRisposta = risposta;
        return f;
    }
    std::future<std::uint8_t> InviaDopo(const TFrameComunic& f) {
        return std::async(std::launch::async, [this, f] { return link.InviaComandoUdp(f); });
    }
    // Sends t and waits until the link has handled it (every datagram logs a line once through).
    void InviaEAttendi(Presa& da, const std::string& t) {
        auto ricevuti = [&] {
            std::lock_guard l(m);
            return std::count_if(log.begin(), log.end(),
                                 [](auto& r) { return r.starts_with("Receive From"); });
        };
        const auto n = ricevuti();
        da.Invia(t);
        Attendi([&] { return ricevuti() > n; });
    }

    testing_support::ScriptedDialogs dialogs;
    TServerUdpLink link;
    std::unique_ptr<Presa> panel;
    std::mutex m;
    std::vector<std::string> log;
    int nascosto = 0;
};

TEST(UdpServerPiattaforma, BindErrorsAreReported) {
    platform::net::UdpServer a, b;
    std::string errore;
    ASSERT_TRUE(a.Start("127.0.0.1", 0, {}, errore)) << errore;
    EXPECT_FALSE(b.Start("127.0.0.1", a.Porta(), {}, errore));
    EXPECT_NE(errore.find("bind"), std::string::npos);
    EXPECT_FALSE(b.Start("127.0.0.1", 70000, {}, errore));
    EXPECT_FALSE(b.Active());
}

TEST_F(ServerUdp, APortHeldByAnotherProgramIsNamedOnTheDiagnosticLog) {
    std::vector<std::string> righe;
    platform::CatturaDiagnostica cattura([&](std::string_view r) { righe.emplace_back(r); });
    TServerUdpLink secondo;
    secondo.IndirizzoAscolto = "127.0.0.1";
    EXPECT_FALSE(secondo.AvviaServerUdp(link.PortaAscolto()));
    ASSERT_EQ(righe.size(), 1u);
    EXPECT_EQ(righe[0].rfind("vm415: ", 0), 0u);
    EXPECT_NE(righe[0].find("UDP port " + std::to_string(link.PortaAscolto()) + ": "), std::string::npos)
        << righe[0];
}

TEST_F(ServerUdp, AHelloAsksAndOnlyYesConnects) {
    panel->Invia("*");
    panel->Invia("");
    EXPECT_EQ(panel->Ricevi(300ms), "<none>");
    EXPECT_FALSE(link.Stato().DomandaAperta);

    panel->Invia("*#");
    EXPECT_EQ(panel->Ricevi(), "*OK#");
    auto s = link.Stato();
    EXPECT_TRUE(s.NuovaConnessione && s.DomandaAperta);
    EXPECT_FALSE(s.Connesso) << "nothing travels before the user says Yes";
    dialogs.AnswerYes();
    link.Timer1Timer();
    s = link.Stato();
    EXPECT_TRUE(s.Connesso);
    EXPECT_EQ(s.IdentRemoto, "");
    EXPECT_EQ(s.Peer.Porta, panel->Porta());

    panel->Invia("*LINK#"); // the connected panel greets again: asked again, under its new name
    EXPECT_EQ(panel->Ricevi(), "*OK#");
    EXPECT_EQ(link.Stato().IdentRemoto, "LINK");
    EXPECT_TRUE(link.Stato().DomandaAperta);
    EXPECT_TRUE(link.Connesso());
}

TEST_F(ServerUdp, FrameTextIsCodedAndOnlyUpperCaseRepliesCount) {
    std::string t;
    ASSERT_TRUE(TServerUdpLink::CodificaTestoFrame(Comando(1, 3), t));
    EXPECT_EQ(t, "020101FC03");
    ASSERT_TRUE(TServerUdpLink::CodificaTestoFrame(Comando(2, 0), t));
    EXPECT_EQ(t, "02011002EB03");
    TFrameComunic lungo = Comando(14, 0);
    lungo.Lunghezza = 241;
    std::fill_n(lungo.Dati, 241, std::uint8_t(0x10)); // every byte stuffed: past 598 characters
    EXPECT_FALSE(TServerUdpLink::CodificaTestoFrame(lungo, t));

    Connetti();
    auto esito = std::async(std::launch::async, [&] { return link.InviaComandoUdp(Comando(22, 0)); });
    EXPECT_EQ(panel->Ricevi(), "020116E703");
    panel->Invia("020116e703"); // lower-case digits read as 0: the checksum fails
    EXPECT_EQ(esito.wait_for(200ms), std::future_status::timeout);
    AvanzaOrologio(11s);
    EXPECT_EQ(panel->Ricevi(), "020116E703") << "sent again once the reply is late";
    panel->Invia("020116E703");
    EXPECT_EQ(esito.get(), EsitoOk);
}

TEST_F(ServerUdp, FrameSplitOverTwoDatagramsAndForeignRepliesDropped) {
    Connetti();
    Presa straniero(link.PortaAscolto());
    auto esito = std::async(std::launch::async, [&] { return link.InviaComandoUdp(Comando(1, 3)); });
    EXPECT_EQ(panel->Ricevi(), "020101FC03");
    // Reply 01 with A4 0B 01: sum 02+04+01+A4+0B+01 = B7, so CHK = 49.
    straniero.Invia("020401A40B004A03"); // a well-formed forged reply with other data
    straniero.Invia(std::string(2000, 'A'));
    panel->Invia(std::string(2000, '0'));
    panel->Invia("020401A4");
    panel->Invia("0B014903");
    ASSERT_EQ(esito.get(), EsitoOk);
    TFrameComunic r;
    link.CopiaRisposta(r);
    EXPECT_EQ(r.Lunghezza, 3);
    EXPECT_EQ(r.Dati[2], 0x01) << "the real panel's reply, not the forged one";
    Attendi([&] { return Registrato("Dropped: 2000 bytes"); });
    EXPECT_TRUE(Registrato("Dropped: not from the connected panel"));
    EXPECT_TRUE(Registrato("Dropped: 2000 bytes"));
    EXPECT_EQ(straniero.Ricevi(100ms), "<none>") << "nothing goes to the foreign host";
}

TEST_F(ServerUdp, AReplyOfAnotherBlockIsIgnoredAndTheRightOneAwaited) {
    Connetti();
    TFrameComunic blocco5 = Comando(13, 241);
    blocco5.Lunghezza = 1;
    blocco5.Dati[0] = 5;
    auto esito = std::async(std::launch::async, [&] { return link.InviaComandoUdp(blocco5); });
    EXPECT_EQ(panel->Ricevi(), "0210020D05DA03");
    auto risposta = [&](std::uint8_t blocco) {
        TFrameComunic f = Comando(13, 0);
        f.Lunghezza = 241;
        f.Dati[0] = blocco;
        std::string t;
        TServerUdpLink::CodificaTestoFrame(f, t);
        return t;
    };
    panel->Invia(risposta(4)); // a copy of the previous block's reply, held up on the way
    EXPECT_EQ(panel->Ricevi(300ms), "<none>") << "no resend for a stray copy";
    panel->Invia(risposta(5));
    ASSERT_EQ(esito.get(), EsitoOk);
    TFrameComunic r;
    link.CopiaRisposta(r);
    EXPECT_EQ(r.Dati[0], 5);

    // A late copy of block 5's reply right behind block 6's, before the transaction looks: the copy
    // shares a datagram with the end of the reply, so that nothing can look in between.
    blocco5.Dati[0] = 6;
    esito = std::async(std::launch::async, [&] { return link.InviaComandoUdp(blocco5); });
    EXPECT_EQ(panel->Ricevi(), "0210020D06D903");
    const std::string sesto = risposta(6);
    panel->Invia(sesto.substr(0, sesto.size() - 2));
    panel->Invia(sesto.substr(sesto.size() - 2) + risposta(5));
    ASSERT_EQ(esito.wait_for(2s), std::future_status::ready) << "the reply was pushed out by the copy";
    ASSERT_EQ(esito.get(), EsitoOk);
    link.CopiaRisposta(r);
    EXPECT_EQ(r.Dati[0], 6);
    // Nor does a frame that comes after the answer but before the caller copies the reply.
    InviaEAttendi(*panel, risposta(7));
    link.CopiaRisposta(r);
    EXPECT_EQ(r.Dati[0], 6);
}

TEST_F(ServerUdp, AReplyCountsOnlyIfItCameAfterItsRequestWentOut) {
    Connetti();
    const TFrameComunic scrivi = Comando(CmdScriviBloccoZone, 0);
    const std::string ack = "02010EEF03"; // request and acknowledgement are the same bytes
    auto primo = InviaDopo(scrivi);
    EXPECT_EQ(panel->Ricevi(), ack);
    panel->Invia(ack);
    ASSERT_EQ(primo.get(), EsitoOk);

    // The acknowledgement comes again while the next request waits out its pause before sending.
    link.AttesaPrimoInvio = 500ms;
    auto secondo = InviaDopo(scrivi);
    Attendi([&] { return link.Stato().InvioInCorso; });
    InviaEAttendi(*panel, ack);
    EXPECT_EQ(panel->Ricevi(), ack);
    EXPECT_EQ(secondo.wait_for(200ms), std::future_status::timeout) << "the copy answered the request";
    panel->Invia(ack);
    ASSERT_EQ(secondo.get(), EsitoOk);

    // A request sent twice, the first window silent: the answer to one send came, the one to the
    // other may still come, as late again as the one that came, and the next request waits so long.
    link.AttesaPrimoInvio = 25ms;
    auto terzo = InviaDopo(scrivi);
    EXPECT_EQ(panel->Ricevi(), ack);
    AvanzaOrologio(11s);
    EXPECT_EQ(panel->Ricevi(), ack);
    panel->Invia(ack);
    ASSERT_EQ(terzo.get(), EsitoOk);
    // A read goes at once: its reply names its block, no copy of an acknowledgement could pass for it.
    TFrameComunic leggi = Comando(CmdLeggiBloccoZone, 241);
    leggi.Lunghezza = 1;
    auto letto = InviaDopo(leggi);
    EXPECT_EQ(panel->Ricevi(), "0210020D00DF03");
    TFrameComunic blocco = Comando(CmdLeggiBloccoZone, 0);
    blocco.Lunghezza = 241;
    std::string testo;
    TServerUdpLink::CodificaTestoFrame(blocco, testo);
    panel->Invia(testo);
    ASSERT_EQ(letto.get(), EsitoOk);
    auto quarto = InviaDopo(scrivi);
    EXPECT_EQ(panel->Ricevi(200ms), "<none>") << "sent while a late answer may come";
    InviaEAttendi(*panel, ack);
    AvanzaOrologio(10s);
    EXPECT_EQ(panel->Ricevi(200ms), "<none>") << "sent while a late answer may come";
    AvanzaOrologio(7s);
    EXPECT_EQ(panel->Ricevi(), ack);
    EXPECT_EQ(quarto.wait_for(200ms), std::future_status::timeout) << "the second copy answered the request";
    panel->Invia(ack);
    EXPECT_EQ(quarto.get(), EsitoOk);
}

TEST_F(ServerUdp, AnAcknowledgementInTwoDatagramsAcrossItsWindowNeverAnswersTheNextWrite) {
    Connetti();
    const TFrameComunic scrivi = Comando(CmdScriviBloccoZone, 0);
    const std::string ack = "02010EEF03";
    auto quarto = InviaDopo(scrivi);
    EXPECT_EQ(panel->Ricevi(), ack);
    InviaEAttendi(*panel, "0201");
    AvanzaOrologio(11s);
    EXPECT_EQ(panel->Ricevi(), ack);
    InviaEAttendi(*panel, "0EEF03"); // the answer to the first send, whole only after the resend
    ASSERT_EQ(quarto.get(), EsitoOk);

    // The next write never reaches the panel, whose answer to the resend comes the same way.
    auto quinto = InviaDopo(scrivi);
    EXPECT_EQ(panel->Ricevi(300ms), "<none>") << "sent while a late answer may come";
    InviaEAttendi(*panel, "0201");
    InviaEAttendi(*panel, "0EEF03");
    for (int i = 0; i < 100 && quinto.wait_for(20ms) != std::future_status::ready; ++i)
        AvanzaOrologio(1s);
    EXPECT_EQ(quinto.get(), EsitoFallito);
}

TEST_F(ServerUdp, AReplyWithNothingPendingWaitsUntilTheNextTransactionClearsIt) {
    Connetti();
    panel->Invia("020116E703");
    Attendi([&] { return link.Stato().RispostaComando == 22; });
    EXPECT_EQ(link.Stato().RispostaComando, 22);
    auto esito = std::async(std::launch::async, [&] { return link.InviaComandoUdp(Comando(22, 0)); });
    EXPECT_EQ(panel->Ricevi(), "020116E703");
    EXPECT_EQ(esito.wait_for(200ms), std::future_status::timeout) << "the old reply was cleared";
    panel->Invia("020116E703");
    EXPECT_EQ(esito.get(), EsitoOk);
}

TEST_F(ServerUdp, ARefusedPanelGetsCommand22AndTheConnectionUpKeepsItsPanelAndItsLink) {
    const std::string fine = "020116E703";
    panel->Invia("*VM415#");
    EXPECT_EQ(panel->Ricevi(), "*OK#");
    dialogs.AnswerNo();
    link.Timer1Timer();
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_EQ(dialogs.Messages()[0].Text,
              "Accettare connessione: 127.0.0.1:" + std::to_string(panel->Porta()) + " - VM415");
    EXPECT_FALSE(link.Connesso());
    EXPECT_EQ(panel->Ricevi(), fine);
    panel->Invia(fine);
    EXPECT_TRUE(testing_support::AttendiFinche([&] { return !link.Stato().InvioInCorso; }));

    // Another host refused while the panel is connected: only its own reply ends its command 22.
    Connetti();
    Presa altro(link.PortaAscolto());
    auto rifiuta = [&] {
        altro.Invia("*X#");
        EXPECT_EQ(altro.Ricevi(), "*OK#");
        dialogs.AnswerNo();
        link.Timer1Timer();
        EXPECT_EQ(altro.Ricevi(), fine);
    };
    rifiuta();
    InviaEAttendi(*panel, fine);
    EXPECT_TRUE(
        Registrato("Dropped: not from the refused panel 127.0.0.1: " + std::to_string(altro.Porta())));
    EXPECT_TRUE(link.Stato().InvioInCorso);
    altro.Invia(fine);
    EXPECT_TRUE(testing_support::AttendiFinche([&] { return !link.Stato().InvioInCorso; }));
    // Refused again and silent: the connection's next transaction does not find the link busy.
    rifiuta();
    auto esito = InviaDopo(Comando(1, 3));
    EXPECT_EQ(panel->Ricevi(), "020101FC03");
    panel->Invia("020401A40B014903");
    EXPECT_EQ(esito.get(), EsitoOk) << "the connection keeps its panel";
    EXPECT_EQ(nascosto, 0);
    // Refused while a transaction of the connection holds the link: told once the link is free.
    esito = InviaDopo(Comando(1, 3));
    EXPECT_EQ(panel->Ricevi(), "020101FC03");
    altro.Invia("*X#");
    EXPECT_EQ(altro.Ricevi(), "*OK#");
    dialogs.AnswerNo();
    link.Timer1Timer();
    panel->Invia("020401A40B014903");
    EXPECT_EQ(esito.get(), EsitoOk);
    EXPECT_EQ(altro.Ricevi(), fine);

    // Refusing the connected panel ends its connection.
    panel->Invia("*VM415#");
    EXPECT_EQ(panel->Ricevi(), "*OK#");
    dialogs.AnswerNo();
    link.Timer1Timer(); // returns at once: command 22 goes out on the link's own thread
    EXPECT_FALSE(link.Connesso());
    EXPECT_EQ(panel->Ricevi(), fine);
    panel->Invia(fine);
    EXPECT_TRUE(testing_support::AttendiFinche([&] { return !link.Stato().InvioInCorso; }));
    EXPECT_EQ(nascosto, 1);
}

// The hello came to the socket that is gone: only hellos to the new one are asked about.
TEST_F(ServerUdp, ARestartForgetsAHelloNotYetAskedAbout) {
    panel->Invia("*OLD#");
    ASSERT_EQ(panel->Ricevi(), "*OK#");
    ASSERT_TRUE(link.AvviaServerUdp(0));
    link.Timer1Timer();
    EXPECT_TRUE(dialogs.Messages().empty());
    EXPECT_FALSE(link.Stato().DomandaAperta);

    Presa nuovo(link.PortaAscolto());
    nuovo.Invia("*NEW#");
    ASSERT_EQ(nuovo.Ricevi(), "*OK#");
    dialogs.AnswerYes();
    link.Timer1Timer();
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_EQ(link.Stato().Peer.Porta, nuovo.Porta());
    EXPECT_EQ(link.Stato().IdentRemoto, "NEW");
}

// A question asked while the program closes would outlive its main window: a panel waiting for
// one, or greeting afterwards, is refused as by a No, and nobody is asked.
TEST_F(ServerUdp, OnceTheProgramClosesNobodyIsAskedAndEveryWaitingPanelIsRefused) {
    panel->Invia("*A#");
    ASSERT_EQ(panel->Ricevi(), "*OK#");
    link.TerminaAttese();
    EXPECT_EQ(panel->Ricevi(), "020116E703");
    Presa dopo(link.PortaAscolto());
    dopo.Invia("*B#");
    ASSERT_EQ(dopo.Ricevi(), "*OK#");
    link.Timer1Timer();
    EXPECT_EQ(dopo.Ricevi(), "020116E703");
    EXPECT_TRUE(dialogs.Messages().empty());
    EXPECT_FALSE(link.Connesso());
}

TEST_F(ServerUdp, ARestartRightAfterAnEndSendsCommand22AndWaitsForNoReply) {
    Connetti();
    const auto inizio = std::chrono::steady_clock::now();
    link.TerminaConnessioneUdp();
    ASSERT_TRUE(link.AvviaServerUdp(0));
    const auto durata = std::chrono::steady_clock::now() - inizio;
    EXPECT_EQ(panel->Ricevi(), "020116E703");
    // An attempt that finds no server waits a second for its reply: the restart waited out none.
    EXPECT_LT(durata, TServerUdpLink::TempoNonInviato);
}

// The panel connected again after its connection ended is a new session: what the old session's
// transactions are waiting for is not among its datagrams, nor does anything of them go to it.
TEST_F(ServerUdp, ATransactionOfAnEndedSessionNeverTalksToThePanelAcceptedAgain) {
    Connetti();
    link.AttesaPrimoInvio = 300ms;
    auto esito = InviaDopo(Comando(1, 3));
    Attendi([&] { return link.Stato().InvioInCorso; });
    link.TerminaConnessioneUdp(); // in the pause before the first send; command 22 finds the link busy
    Connetti();
    EXPECT_EQ(esito.get(), EsitoFallito);
    EXPECT_EQ(panel->Ricevi(200ms), "<none>");

    link.AttesaPrimoInvio = 25ms;
    esito = InviaDopo(Comando(1, 3));
    EXPECT_EQ(panel->Ricevi(), "020101FC03");
    link.TerminaConnessioneUdp();
    Connetti();
    panel->Invia("020401A40B014903");
    EXPECT_EQ(esito.get(), EsitoFallito);
}

TEST_F(ServerUdp, EndingDuringATransactionSendsNothingAndTheTransactionFails) {
    Connetti();
    auto esito = std::async(std::launch::async, [&] { return link.InviaComandoUdp(Comando(3, 216)); });
    EXPECT_EQ(panel->Ricevi(), "02011003EA03");
    link.TerminaConnessioneUdp(); // command 22 finds the link busy
    EXPECT_FALSE(link.Connesso());
    EXPECT_EQ(panel->Ricevi(200ms), "<none>");
    for (int i = 0; i < 4 && esito.wait_for(50ms) != std::future_status::ready; ++i)
        AvanzaOrologio(11s);
    EXPECT_EQ(esito.get(), EsitoFallito);
    EXPECT_EQ(panel->Ricevi(100ms), "<none>") << "no resend after the end";
}

namespace {
// The question, answered Yes only after `Intanto` has run while it is open.
class DomandaAperta final : public platform::gui::DialogService {
  public:
    explicit DomandaAperta(std::function<void()> Intanto) : intanto_(std::move(Intanto)) {}
    platform::gui::MsgResult Message(platform::gui::MsgKind, const std::string& t,
                                     platform::gui::MsgButtons) override {
        Domande.push_back(t);
        intanto_();
        return platform::gui::MsgResult::Yes;
    }
    std::optional<std::string> OpenFile(const platform::gui::FileDialogOptions&) override { return {}; }
    std::optional<std::string> SaveFile(const platform::gui::FileDialogOptions&) override { return {}; }
    std::vector<std::string> Domande;

  private:
    std::function<void()> intanto_;
};
} // namespace

TEST_F(ServerUdp, AFloodOfHellosWhileTheQuestionIsOpenGivesOneQuestion) {
    std::vector<std::unique_ptr<Presa>> folla;
    for (int i = 0; i < 50; ++i)
        folla.push_back(std::make_unique<Presa>(link.PortaAscolto()));
    auto scartati = [&] {
        std::lock_guard l(m);
        return std::count_if(log.begin(), log.end(),
                             [](const std::string& r) { return r.rfind("Dropped: hello while", 0) == 0; });
    };
    int inviati = 0;
    // In steps of 50, so that the socket's buffer never has to hold the whole flood.
    auto inonda = [&](int n) {
        for (int k = 0; k < n; ++k) {
            folla[std::size_t(inviati % 50)]->Invia("*X" + std::to_string(inviati) + "#");
            if (++inviati % 50 == 0) Attendi([&] { return scartati() >= inviati; });
        }
    };
    DomandaAperta domanda([&] { inonda(500); });
    platform::gui::SetDialogs(&domanda);
    panel->Invia("*VM415#");
    EXPECT_EQ(panel->Ricevi(), "*OK#");
    inonda(500); // before the tick asks
    link.Timer1Timer();
    link.Timer1Timer();
    platform::gui::SetDialogs(&dialogs);
    EXPECT_EQ(domanda.Domande.size(), 1u);
    EXPECT_EQ(scartati(), 1000);
    EXPECT_TRUE(link.Connesso());
    EXPECT_EQ(link.Stato().Peer.Porta, panel->Porta());
    for (const auto& f : folla)
        EXPECT_EQ(f->Ricevi(0ms), "<none>") << "no answer to a hello that was dropped";
}

TEST_F(ServerUdp, SessionEndsAfter600sDespiteKeepAlives) {
    Connetti();
    for (int i = 0; i < 59; ++i) {
        AvanzaOrologio(10s + 1ms);
        link.Timer1Timer();
        ASSERT_EQ(panel->Ricevi(), "*LINK#") << i;
    }
    EXPECT_TRUE(link.Connesso());
    AvanzaOrologio(12s);
    auto tick = std::async(std::launch::async, [&] { link.Timer1Timer(); });
    EXPECT_EQ(panel->Ricevi(), "020116E703");
    panel->Invia("020116E703");
    tick.get();
    EXPECT_FALSE(link.Connesso());
}

} // namespace
