// The remote link over real UDP sockets on the loopback address: a test socket plays the panel,
// and the deadlines run on a clock the tests move forward.
#include "KivCanaleFinto.h"
#include "link/ServerUdpLink.h"
#include "link/def_ver11.h"
#include "support/Attesa.h"
#include "support/ScriptedDialogs.h"

#include <arpa/inet.h>
#include <future>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace std::chrono_literals;
using testing_support::AvanzaOrologio;

namespace {

// A datagram socket on 127.0.0.1 standing for a panel (or for a foreign host).
class Presa {
  public:
    explicit Presa(int portaServer) : server_(portaServer) {
        fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_in sa{};
        sa.sin_family = AF_INET;
        sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(fd_, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
        socklen_t l = sizeof sa;
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&sa), &l);
        porta_ = ntohs(sa.sin_port);
    }
    ~Presa() { ::close(fd_); }
    void Invia(const std::string& t) const {
        sockaddr_in sa{};
        sa.sin_family = AF_INET;
        sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        sa.sin_port = htons(std::uint16_t(server_));
        ::sendto(fd_, t.data(), t.size(), 0, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
    }
    // The next datagram, or "<none>" after the wait.
    std::string Ricevi(std::chrono::milliseconds attesa = 3000ms) const {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, int(attesa.count())) <= 0) return "<none>";
        char b[2048];
        const ssize_t n = ::recv(fd_, b, sizeof b, 0);
        return std::string(b, std::size_t(std::max<ssize_t>(n, 0)));
    }
    std::uint16_t Porta() const { return porta_; }

  private:
    int fd_ = -1, server_;
    std::uint16_t porta_ = 0;
};

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

    void Connetti() {
        panel->Invia("*VM415#");
        ASSERT_EQ(panel->Ricevi(), "*OK#");
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

TEST_F(ServerUdp, HelloOpensTheConnectionAndOtherDatagramsDoNot) {
    panel->Invia("*");
    panel->Invia("");
    EXPECT_EQ(panel->Ricevi(300ms), "<none>");
    EXPECT_FALSE(link.Connesso());

    panel->Invia("*#");
    EXPECT_EQ(panel->Ricevi(), "*OK#");
    auto s = link.Stato();
    EXPECT_TRUE(s.Connesso && s.NuovaConnessione);
    EXPECT_EQ(s.IdentRemoto, "");
    EXPECT_EQ(s.Peer.Porta, panel->Porta());

    panel->Invia("*LINK#");
    EXPECT_EQ(panel->Ricevi(), "*OK#");
    EXPECT_EQ(link.Stato().IdentRemoto, "LINK");
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
    dialogs.AnswerYes();
    link.Timer1Timer();
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

TEST_F(ServerUdp, RefusingTheQuestionSendsCommand22AndEnds) {
    Connetti();
    dialogs.AnswerNo();
    auto tick = std::async(std::launch::async, [&] { link.Timer1Timer(); });
    EXPECT_EQ(panel->Ricevi(), "020116E703");
    panel->Invia("020116E703");
    tick.get();
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_EQ(dialogs.Messages()[0].Text,
              "Accettare connessione: 127.0.0.1:" + std::to_string(panel->Porta()) + " - VM415");
    EXPECT_FALSE(link.Connesso());
    EXPECT_EQ(nascosto, 1);
}

TEST_F(ServerUdp, EndingDuringATransactionSendsNothingAndTheTransactionFails) {
    Connetti();
    dialogs.AnswerYes();
    link.Timer1Timer();
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

TEST_F(ServerUdp, SessionEndsAfter600sDespiteKeepAlives) {
    Connetti();
    dialogs.AnswerYes();
    link.Timer1Timer();
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
