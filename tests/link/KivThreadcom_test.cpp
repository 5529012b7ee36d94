// The command exchange, the connect and the disconnect against a scripted panel and modem on the
// scripted line: attempts and time-outs, wrong and late replies, the busy mark and its recovery,
// a partial frame left by an earlier exchange, and the modem connect with its 80 s wait.
#include "link/KivCanaleFinto.h"
#include "link/KivThreadcom.h"
#include "support/Attesa.h"

#include <gtest/gtest.h>

#include <future>
#include <set>
#include <thread>

using namespace std::chrono_literals;
using testing_support::AvanzaOrologio;
using testing_support::CanaleFinto;
using testing_support::OrologioFinto;

namespace {

std::vector<std::uint8_t> Codifica(const TFrameComunic& f) {
    TFrameSeriale s;
    EXPECT_TRUE(CodificaFrameSeriale(f, s));
    return std::vector<std::uint8_t>(s.Byte.begin(), s.Byte.begin() + std::ptrdiff_t(s.Lunghezza));
}

TFrameComunic Richiesta(std::uint8_t comando, std::uint8_t lunghezzaRisposta) {
    TFrameComunic f;
    f.Comando = comando;
    f.LunghezzaRisposta = lunghezzaRisposta;
    return f;
}

TFrameComunic Identificazione() {
    TFrameComunic f;
    f.Comando = 1;
    f.Lunghezza = 3;
    f.Dati[0] = 164, f.Dati[1] = 11, f.Dati[2] = 1;
    return f;
}

// The far end of the line: a modem while the link is down (when there is one) and the panel,
// which sees each request frame and answers with whatever the test script returns.
class LineaFinta {
  public:
    explicit LineaFinta(CanaleFinto& c, bool modem = false) : c_(c), modem_(modem) {
        c_.AlByteInviato = [this](std::uint8_t b) { Byte(b); };
    }
    // Bytes to send back for the n-th request (from 1).
    std::function<std::vector<std::uint8_t>(const TFrameComunic&, int)> Pannello;
    std::atomic<bool> ModemRispondeAlDial{true};

    int Richieste() const { return richieste_.load(); }
    std::vector<platform::Instant> Istanti() {
        std::lock_guard lock(m_);
        return istanti_;
    }

  private:
    void Byte(std::uint8_t b) {
        if (modem_ && !collegato_) {
            if (b == 'U') {
                collegato_ = true;
                c_.Ricevi("*");
                return;
            }
            if (b != '\r') {
                riga_ += char(b);
                return;
            }
            const bool dial = riga_.rfind("ATD", 0) == 0;
            riga_.clear();
            if (!dial)
                c_.Ricevi("0\r");
            else if (ModemRispondeAlDial)
                c_.Ricevi("1\r");
            return;
        }
        if (modem_ && b == 'U') return; // late handshake bytes
        parser_.RiceviByte(b);
        if (parser_.UltimoFrame.Comando == 0) return;
        TFrameComunic req = parser_.UltimoFrame;
        parser_.UltimoFrame.Comando = 0;
        const int n = ++richieste_;
        {
            std::lock_guard lock(m_);
            istanti_.push_back(OrologioFinto());
        }
        if (Pannello) {
            const auto risposta = Pannello(req, n);
            if (!risposta.empty()) c_.Ricevi(risposta);
        }
    }

    CanaleFinto& c_;
    bool modem_;
    bool collegato_ = false;
    std::string riga_;
    TKivComunic parser_;
    std::atomic<int> richieste_{0};
    std::mutex m_;
    std::vector<platform::Instant> istanti_;
};

class ScambioTest : public ::testing::Test {
  protected:
    ScambioTest() { modem.PauseSgancio = {0ms, 0ms, 0ms}; }
    ~ScambioTest() override { thread.Ferma(); }

    // Until the n-th dial has gone out and the modem waits for its answer: both deadlines, the
    // connect's and the call's, are taken then, and the test may move the clock.
    void AttendiDial(std::size_t n) {
        auto dial = [&] {
            const std::string t = canale.TestoInviato();
            std::size_t c = 0;
            for (auto at = t.find("ATD1\r"); at != std::string::npos; at = t.find("ATD1\r", at + 1))
                ++c;
            return c;
        };
        ASSERT_TRUE(testing_support::AttendiFinche(
            [&] { return dial() >= n && modem.Stato.load() == TKivModem::StatoChiamata; }));
    }

    // Once the connect has reset the modem and asked for the call, the settle time before the
    // hang-up passes at once.
    void SaltaAssestamento() {
        ASSERT_TRUE(testing_support::AttendiFinche(
            [&] { return modem.RichiestaChiamata.load() && modem.Stato.load() == TKivModem::StatoAttesa; }));
        AvanzaOrologio(TKivModem::TempoAssestamento + 100ms);
    }

    CanaleFinto canale;
    TKivComunic comunic{&OrologioFinto};
    TKivModem modem{canale, &OrologioFinto};
    TKivThreadCom thread{canale, comunic, modem, &OrologioFinto};
};

} // namespace

TEST_F(ScambioTest, AMatchingReplyIsAcceptedAndHandedOver) {
    LineaFinta linea(canale);
    linea.Pannello = [](const TFrameComunic& r, int) {
        EXPECT_EQ(r.Comando, 1);
        EXPECT_EQ(r.Lunghezza, 0);
        return Codifica(Identificazione());
    };
    EXPECT_EQ(thread.EseguiComando(Richiesta(1, 3)), 2);
    EXPECT_EQ(linea.Richieste(), 1);
    ASSERT_EQ(canale.Risposte().size(), 1u);
    const TFrameComunic r = canale.Risposte()[0];
    EXPECT_EQ(r.Comando, 1);
    EXPECT_EQ(r.Lunghezza, 3);
    EXPECT_EQ(r.Dati[0], 164);
    EXPECT_FALSE(thread.Occupato());
    EXPECT_EQ(thread.FrameCorrente.Comando, 0);
    // The request went out exactly as coded, lead-in and trailer included.
    EXPECT_EQ(canale.TestoInviato(), std::string("\x03\x02\x01\x01\xFC\x03\x03", 7));
    EXPECT_GE(canale.Svuotamenti(), 1); // bytes from before the request were dropped
}

TEST_F(ScambioTest, NoReplyMeansEveryAttemptSpacedByTheTimeOutThenFailure) {
    LineaFinta linea(canale);
    canale.tentativi = 3;
    canale.timeoutDec = 1;
    EXPECT_EQ(thread.EseguiComando(Richiesta(1, 3)), 4);
    const auto t = linea.Istanti();
    ASSERT_EQ(t.size(), 3u);
    EXPECT_GE(t[1] - t[0], 100ms);
    EXPECT_GE(t[2] - t[1], 100ms);
    EXPECT_LT(t[2] - t[0], 1s);
    EXPECT_EQ(thread.Tentativi, 1);
    EXPECT_EQ(thread.EsitoComando.load(), 4);
    EXPECT_TRUE(canale.Risposte().empty());

    canale.tentativi = 0;
    EXPECT_EQ(thread.EseguiComando(Richiesta(1, 3)), 4);
    EXPECT_EQ(linea.Richieste(), 4); // one more send only
}

TEST_F(ScambioTest, AWrongFrameIsDroppedAndTheRequestResentAtOnce) {
    LineaFinta linea(canale);
    canale.timeoutDec = 50; // 5 s: a resend after a time-out would be far too late
    canale.tentativi = 3;
    linea.Pannello = [](const TFrameComunic&, int n) {
        TFrameComunic f = Identificazione();
        if (n == 1) f.Comando = 2;   // another command
        if (n == 2) f.Lunghezza = 4; // another length
        return Codifica(f);
    };
    const auto inizio = std::chrono::steady_clock::now();
    EXPECT_EQ(thread.EseguiComando(Richiesta(1, 3)), 2);
    EXPECT_LT(std::chrono::steady_clock::now() - inizio, 1s);
    EXPECT_EQ(linea.Richieste(), 3);

    // Wrong every time: the attempts run out without any time-out. (The line is first left quiet
    // for the resent exchange's copies.)
    AvanzaOrologio(6s);
    linea.Pannello = [](const TFrameComunic&, int) {
        TFrameComunic f = Identificazione();
        f.Comando = 9;
        return Codifica(f);
    };
    EXPECT_EQ(thread.EseguiComando(Richiesta(1, 3)), 4);
    EXPECT_LT(std::chrono::steady_clock::now() - inizio, 2s);
    EXPECT_EQ(linea.Richieste(), 6);
}

TEST_F(ScambioTest, ALateCopyOfAnEarlierReplyIsIgnoredWithoutAResend) {
    LineaFinta linea(canale);
    canale.timeoutDec = 50; // 5 s: a resend after a time-out would be far too late
    // Before each reply comes a late copy of an earlier one: of the previous request, then of another
    // block of the same read. Neither may pass for the reply, nor draw a resend.
    TFrameComunic numeri;
    numeri.Comando = 10;
    numeri.Lunghezza = 5;
    auto blocco = [](int b) {
        TFrameComunic f;
        f.Comando = 13;
        f.Lunghezza = 241;
        f.Dati[0] = std::uint8_t(b);
        return f;
    };
    linea.Pannello = [&](const TFrameComunic& r, int n) {
        if (n == 1) return Codifica(numeri);
        std::vector<std::uint8_t> v = Codifica(r.Dati[0] == 0 ? numeri : blocco(r.Dati[0] - 1));
        const std::vector<std::uint8_t> risposta = Codifica(blocco(r.Dati[0]));
        v.insert(v.end(), risposta.begin(), risposta.end());
        return v;
    };
    EXPECT_EQ(thread.EseguiComando(Richiesta(10, 5)), 2);
    for (int b : {0, 1}) {
        TFrameComunic leggi = Richiesta(13, 241);
        leggi.Lunghezza = 1;
        leggi.Dati[0] = std::uint8_t(b);
        EXPECT_EQ(thread.EseguiComando(leggi), 2);
        EXPECT_EQ(canale.Risposte().back().Dati[0], b);
    }
    EXPECT_EQ(linea.Richieste(), 3) << "a copy drew a resend";
}

TEST_F(ScambioTest, TheLateReplyToTheFirstSendIsAcceptedAfterTheResend) {
    LineaFinta linea(canale);
    canale.timeoutDec = 1;
    std::vector<std::uint8_t> risposta = Codifica(Identificazione());
    // The first send's reply comes just after the second send; a copy for the second comes
    // later still, after the exchange has ended.
    linea.Pannello = [&](const TFrameComunic&, int n) {
        return n == 2 ? risposta : std::vector<std::uint8_t>{};
    };
    EXPECT_EQ(thread.EseguiComando(Richiesta(1, 3)), 2);
    EXPECT_EQ(linea.Richieste(), 2);
    canale.Ricevi(risposta);

    // The next exchange starts by emptying the ring: the stale copy is never read.
    TFrameComunic generale;
    generale.Comando = 7;
    generale.Lunghezza = 3;
    linea.Pannello = [&](const TFrameComunic&, int) { return Codifica(generale); };
    EXPECT_EQ(thread.EseguiComando(Richiesta(7, 3)), 2);
    EXPECT_EQ(linea.Richieste(), 3);
    EXPECT_EQ(canale.Risposte().back().Comando, 7);
}

namespace {
TFrameComunic Blocco(std::uint8_t comando, std::uint8_t lunghezzaRisposta, std::uint8_t blocco) {
    TFrameComunic f = Richiesta(comando, lunghezzaRisposta);
    f.Lunghezza = 2;
    f.Dati[0] = blocco;
    return f;
}
TFrameComunic ScritturaBlocco(std::uint8_t blocco) {
    return Blocco(4, 0, blocco);
}

// Runs an exchange on a thread of its own while the test clock moves on by steps, so that replies
// due later and every time-out come. Once the exchange has sent, the clock moves only while it waits
// on the line with nothing to read: it sees each arrival and each deadline in its turn, however
// slowly the machine runs it. Before (the quiet) it never reads the line, and the clock just moves.
std::uint8_t ScambioColTempo(TKivThreadCom& thread, CanaleFinto& canale, const TFrameComunic& f) {
    const std::uint64_t inviati = thread.FrameInviati();
    std::uint64_t visto = canale.Inattivo();
    auto esito = std::async(std::launch::async, [&] { return thread.EseguiComando(f); });
    while (esito.wait_for(1ms) != std::future_status::ready) {
        if (thread.FrameInviati() != inviati && canale.Inattivo() == visto) continue;
        visto = canale.Inattivo();
        AvanzaOrologio(50ms);
        canale.Sveglia();
    }
    return esito.get();
}

} // namespace

TEST_F(ScambioTest, ALateAnswerToAResentWriteNeverAnswersTheNextWrite) {
    // An acknowledgement names no block: the write of block 5, lost on its way to the panel, must
    // fail, never pass on a late answer to a send of block 4's write. The panel answers every send
    // of block 4, each as late, or one after the other, the answer's bytes coming in two pieces
    // across the end of its window, or after a stray frame; whatever it did for block 3 before, and
    // whatever other request goes out in between.
    struct Caso {
        const char* Nome;
        std::chrono::milliseconds Ritardo;     // block 4's answer after each send
        bool InFila = false;                   // the panel answers its requests one after the other
        std::chrono::milliseconds Pezzo{0};    // the answer's first bytes come that long after the send
        std::chrono::milliseconds Estraneo{0}; // a stray frame that long after block 4's first send
        bool PrimaPronta = false;              // block 3's write goes first, answered at once
        bool LetturaInMezzo = false;           // a zone read resent after a stray frame goes between
    };
    LineaFinta linea(canale);
    canale.timeoutDec = 20;
    canale.tentativi = 3;
    for (const Caso& c : {
             Caso{"each as late", 3000ms},
             Caso{"in turn", 3000ms, true},
             Caso{"after a stray frame", 1000ms, false, 0ms, 600ms},
             Caso{"a prompt panel after a stray frame", 200ms, false, 0ms, 120ms, true},
             Caso{"an answer across the end of its window", 2200ms, false, 1800ms},
             Caso{"prompt at its first write, slower later", 2600ms, false, 0ms, 0ms, true},
             Caso{"prompt at its first write, late after a stray frame", 1600ms, false, 0ms, 400ms, true},
             Caso{"another request resent in between", 2600ms, false, 0ms, 0ms, false, true},
         }) {
        SCOPED_TRACE(c.Nome);
        bool risponde = true;
        int invii4 = 0, letture = 0;
        platform::Instant libero = OrologioFinto();
        linea.Pannello = [&](const TFrameComunic& r, int) -> std::vector<std::uint8_t> {
            if (!risponde) return {};
            const platform::Instant ora = OrologioFinto();
            if (r.Comando == 13) {
                if (letture++ == 0) canale.RiceviAlle(Codifica(Richiesta(9, 0)), ora + 100ms);
                TFrameComunic blocco = Richiesta(13, 0);
                blocco.Lunghezza = 2;
                blocco.Dati[0] = r.Dati[0];
                canale.RiceviAlle(Codifica(blocco), ora + 200ms);
                return {};
            }
            const std::vector<std::uint8_t> ack = Codifica(Richiesta(r.Comando, 0));
            if (r.Dati[0] == 3) return ack;
            if (c.Estraneo > 0ms && invii4 == 0)
                canale.RiceviAlle(Codifica(Richiesta(9, 0)), ora + c.Estraneo);
            ++invii4;
            libero = (c.InFila ? std::max(ora, libero) : ora) + c.Ritardo;
            if (c.Pezzo > 0ms) {
                canale.RiceviAlle({ack.begin(), ack.begin() + 3}, ora + c.Pezzo);
                canale.RiceviAlle({ack.begin() + 3, ack.end()}, libero);
            } else {
                canale.RiceviAlle(ack, libero);
            }
            return {};
        };
        if (c.PrimaPronta) {
            ASSERT_EQ(ScambioColTempo(thread, canale, ScritturaBlocco(3)), 2);
        }
        EXPECT_EQ(ScambioColTempo(thread, canale, ScritturaBlocco(4)), 2);
        EXPECT_GE(invii4, 2);
        if (c.LetturaInMezzo) {
            EXPECT_EQ(ScambioColTempo(thread, canale, Blocco(13, 2, 0)), 2);
            EXPECT_EQ(letture, 2);
        }
        risponde = false;
        EXPECT_EQ(ScambioColTempo(thread, canale, ScritturaBlocco(5)), 4);
    }
}

TEST_F(ScambioTest, AfterAResendOnlyARequestALateAnswerCouldAnswerWaitsAndOnlyWhileOneMayCome) {
    LineaFinta linea(canale);
    canale.timeoutDec = 10;
    std::set<int> persi, rovinati; // requests that never reach the panel, replies damaged on the way
    linea.Pannello = [&](const TFrameComunic& r, int n) -> std::vector<std::uint8_t> {
        if (persi.count(n)) return {};
        TFrameComunic f = Richiesta(r.Comando, 0);
        f.Lunghezza = r.Comando == 13 ? 241 : 0; // a zone block, or an acknowledgement
        f.Dati[0] = r.Dati[0];
        std::vector<std::uint8_t> v = Codifica(f);
        if (rovinati.count(n)) v[v.size() - 3] ^= 1; // the checksum
        return v;
    };
    auto leggi = [](int b) { return Blocco(13, 241, std::uint8_t(b)); };
    auto scrivi = [](int b) { return Blocco(14, 0, std::uint8_t(b)); };
    auto senzaQuiete = [&](const TFrameComunic& f) {
        const platform::Duration prima = thread.TempoQuiete();
        EXPECT_EQ(thread.EseguiComando(f), 2);
        return thread.TempoQuiete() == prima;
    };
    // A read after a resent read: its reply names its block, a late answer could not pass for it.
    persi = {1};
    ASSERT_EQ(thread.EseguiComando(leggi(5)), 2);
    EXPECT_TRUE(senzaQuiete(leggi(6)));
    // A write after a resent write whose every send drew its answer, the first one damaged.
    rovinati = {4};
    ASSERT_EQ(thread.EseguiComando(scrivi(0)), 2);
    EXPECT_TRUE(senzaQuiete(scrivi(1)));
    // A window that passed in silence may hide a late answer, however promptly the panel answered
    // the write before.
    persi = {7};
    ASSERT_EQ(thread.EseguiComando(scrivi(2)), 2);
    EXPECT_FALSE(senzaQuiete(scrivi(3)));
    EXPECT_EQ(linea.Richieste(), 9);
}

TEST_F(ScambioTest, TheQuietAfterAResendEndsAtOnceOnAnAbortOrAClose) {
    LineaFinta linea(canale);
    canale.timeoutDec = 600; // a minute of quiet, which the test clock never reaches
    linea.Pannello = [](const TFrameComunic&, int n) {
        TFrameComunic f = Identificazione();
        if (n == 1) f.Comando = 9;
        return Codifica(f);
    };
    ASSERT_EQ(thread.EseguiComando(Richiesta(1, 3)), 2);
    ASSERT_EQ(linea.Richieste(), 2);

    auto scambio = std::async(std::launch::async, [&] { return thread.EseguiComando(Richiesta(1, 3)); });
    ASSERT_TRUE(testing_support::AttendiFinche([&] { return thread.Occupato(); }));
    thread.AzzeraOccupato(); // returns once the link is free
    EXPECT_FALSE(thread.Occupato());
    ASSERT_EQ(scambio.wait_for(10s), std::future_status::ready);
    EXPECT_EQ(scambio.get(), 4);

    // The abort did not end the quiet itself: the next request waits too, until the program closes.
    scambio = std::async(std::launch::async, [&] { return thread.EseguiComando(Richiesta(1, 3)); });
    ASSERT_TRUE(testing_support::AttendiFinche([&] { return thread.Occupato(); }));
    thread.TerminaAttese();
    ASSERT_EQ(scambio.wait_for(10s), std::future_status::ready);
    EXPECT_EQ(scambio.get(), 4);
    EXPECT_EQ(linea.Richieste(), 2); // neither request went out
}

TEST_F(ScambioTest, OnTheUiThreadTheQuietLetsInTheCopiesThatWaitAsMessages) {
    // There received bytes reach the ring through the thread's own messages: a copy still waiting
    // as a message when the request goes out would land after it.
    platform::TLoopUiThread ui;
    LineaFinta linea(canale);
    canale.timeoutDec = 600;
    linea.Pannello = [](const TFrameComunic& r, int n) {
        return n == 1   ? Codifica(Richiesta(9, 0))
               : n == 2 ? Codifica(Richiesta(r.Comando, 0))
                        : std::vector<std::uint8_t>{};
    };
    ASSERT_EQ(thread.EseguiComando(ScritturaBlocco(4)), 2);
    ui.Post([&] { canale.Ricevi(Codifica(Richiesta(4, 0))); });
    canale.tentativi = 1;
    std::atomic<bool> fine{false};
    std::thread tempo([&] {
        while (!fine.load()) {
            AvanzaOrologio(5s);
            std::this_thread::sleep_for(2ms);
        }
    });
    EXPECT_EQ(thread.EseguiComando(ScritturaBlocco(5)), 4);
    fine.store(true);
    tempo.join();
}

TEST_F(ScambioTest, ARequestWithoutCommandIsSentOnceAndAnswersZero) {
    LineaFinta linea(canale);
    EXPECT_EQ(thread.EseguiComando(Richiesta(0, 0)), 0);
    EXPECT_EQ(canale.TestoInviato(), std::string("\x03\x02\x01\x00\xFD\x03\x03", 7));
    EXPECT_EQ(thread.Tentativi, 1);
}

TEST_F(ScambioTest, AFrameTooLongForTheLengthByteIsNotSent) {
    TFrameComunic f = Richiesta(4, 0);
    f.Lunghezza = 255;
    EXPECT_EQ(thread.EseguiComando(f), 4);
    EXPECT_TRUE(canale.Inviati().empty());
}

TEST_F(ScambioTest, APartialFrameFromAnEarlierExchangeDoesNotSwallowTheNextReply) {
    LineaFinta linea(canale);
    canale.timeoutDec = 1;
    canale.tentativi = 1;
    const std::vector<std::uint8_t> intera = Codifica(Identificazione());
    const std::vector<std::uint8_t> mezza(intera.begin(), intera.begin() + 4); // 03 STX len cmd
    linea.Pannello = [&](const TFrameComunic&, int n) { return n == 1 ? mezza : intera; };
    EXPECT_EQ(thread.EseguiComando(Richiesta(1, 3)), 4);
    EXPECT_NE(comunic.Stato, 0); // still inside the cut frame

    // The next reply's lead-in 03h drops the cut frame, so the first send is answered, well
    // within the 5 s after which a silent line would drop it too.
    canale.tentativi = 3;
    EXPECT_EQ(thread.EseguiComando(Richiesta(1, 3)), 2);
    EXPECT_EQ(linea.Richieste(), 2);

    // Past 5 s of silence the cut frame is gone as well.
    canale.tentativi = 1;
    linea.Pannello = [&](const TFrameComunic&, int n) { return n == 3 ? mezza : intera; };
    EXPECT_EQ(thread.EseguiComando(Richiesta(1, 3)), 4);
    AvanzaOrologio(5100ms);
    EXPECT_EQ(thread.EseguiComando(Richiesta(1, 3)), 2);
    EXPECT_EQ(linea.Richieste(), 4);
}

TEST_F(ScambioTest, ABusyLinkAnswersOneAndSendsNothing) {
    LineaFinta linea(canale);
    canale.timeoutDec = 600;
    canale.tentativi = 1;
    auto primo = std::async(std::launch::async, [&] { return thread.EseguiComando(Richiesta(1, 3)); });
    // The panel sees the request before its last trailer byte has gone: wait for the whole frame.
    const std::size_t inviati = Codifica(Richiesta(1, 3)).size();
    ASSERT_TRUE(testing_support::AttendiFinche([&] { return canale.Inviati().size() >= inviati; }));
    EXPECT_EQ(thread.EseguiComando(Richiesta(3, 216)), 1);
    EXPECT_EQ(thread.ApriCollegamento("", 3), 1);
    EXPECT_EQ(canale.Inviati().size(), inviati);

    // The recovery ends the running exchange first; the link is free when it returns.
    const auto inizio = std::chrono::steady_clock::now();
    thread.AzzeraOccupato();
    EXPECT_FALSE(thread.Occupato());
    ASSERT_EQ(primo.wait_for(1s), std::future_status::ready);
    EXPECT_EQ(primo.get(), 4);
    EXPECT_LT(std::chrono::steady_clock::now() - inizio, 1s);
    linea.Pannello = [](const TFrameComunic&, int) { return Codifica(Identificazione()); };
    EXPECT_EQ(thread.EseguiComando(Richiesta(1, 3)), 2);
}

TEST_F(ScambioTest, CableConnectIdentifiesAndTheCableAlwaysCountsAsConnected) {
    LineaFinta linea(canale);
    EXPECT_TRUE(thread.CollegamentoAttivo());
    canale.tentativi = 2;
    EXPECT_EQ(thread.ApriCollegamento("0123", 3), 4); // nobody answers
    EXPECT_EQ(linea.Richieste(), 2);
    EXPECT_TRUE(thread.CollegamentoAttivo());
    linea.Pannello = [](const TFrameComunic&, int) { return Codifica(Identificazione()); };
    EXPECT_EQ(thread.ApriCollegamento("0123", 3), 2);
    EXPECT_FALSE(thread.Occupato());
}

namespace {
TConfigCom ConfigModem(CanaleFinto& c) {
    TConfigCom cfg = c.ConfigSalvata();
    cfg.TipoConnessione = ConnessioneModem;
    return cfg;
}
} // namespace

TEST_F(ScambioTest, ModemConnectDialsRunsTheHandshakeAndIdentifies) {
    canale.ImpostaConfig(ConfigModem(canale));
    EXPECT_FALSE(thread.CollegamentoAttivo());
    LineaFinta linea(canale, true);
    linea.Pannello = [](const TFrameComunic&, int) { return Codifica(Identificazione()); };
    thread.Start();
    auto esito = std::async(std::launch::async, [&] { return thread.ApriCollegamento("0612345", 3); });
    SaltaAssestamento();
    ASSERT_EQ(esito.wait_for(15s), std::future_status::ready);
    EXPECT_EQ(esito.get(), 2);
    EXPECT_TRUE(thread.CollegamentoAttivo());
    EXPECT_NE(canale.TestoInviato().find("ATD0612345\r"), std::string::npos);
    EXPECT_FALSE(modem.RichiestaChiamata.load());

    // Exchanges keep the link from timing out; a disconnect hangs up.
    EXPECT_EQ(thread.EseguiComando(Richiesta(1, 3)), 2);
    EXPECT_EQ(thread.ChiudiCollegamento(), 2);
    EXPECT_EQ(canale.Caricamenti(), 1);
    EXPECT_FALSE(thread.CollegamentoAttivo());
}

TEST_F(ScambioTest, ModemConnectGivesUpAfterEightySecondsOrAtADisconnect) {
    canale.ImpostaConfig(ConfigModem(canale));
    LineaFinta linea(canale, true);
    linea.ModemRispondeAlDial = false;
    thread.Start();
    auto esito = std::async(std::launch::async, [&] { return thread.ApriCollegamento("1", 3); });
    SaltaAssestamento();
    AttendiDial(1);
    AvanzaOrologio(81s);
    ASSERT_EQ(esito.wait_for(2s), std::future_status::ready);
    EXPECT_EQ(esito.get(), 4);
    EXPECT_FALSE(thread.Occupato());

    esito = std::async(std::launch::async, [&] { return thread.ApriCollegamento("1", 3); });
    SaltaAssestamento();
    AttendiDial(2);
    // An exchange asked during the connect finds the link busy and sends nothing.
    const std::size_t inviati = canale.Inviati().size();
    EXPECT_EQ(thread.EseguiComando(Richiesta(1, 3)), 1);
    EXPECT_EQ(canale.Inviati().size(), inviati);
    const auto inizio = std::chrono::steady_clock::now();
    EXPECT_EQ(thread.ChiudiCollegamento(), 2);
    ASSERT_EQ(esito.wait_for(1s), std::future_status::ready);
    EXPECT_EQ(esito.get(), 4);
    EXPECT_LT(std::chrono::steady_clock::now() - inizio, 1s);
    EXPECT_EQ(canale.Caricamenti(), 1);
}

TEST_F(ScambioTest, DisconnectWaitsAtMostThreeSecondsForARunningExchange) {
    LineaFinta linea(canale);
    canale.timeoutDec = 600;
    canale.tentativi = 1;
    auto scambio = std::async(std::launch::async, [&] { return thread.EseguiComando(Richiesta(1, 3)); });
    ASSERT_TRUE(testing_support::AttendiFinche([&] { return linea.Richieste() > 0; }));
    // The exchange waits a minute for its reply; the clock moves a tenth of a second at each look
    // until the disconnect gives up on it.
    auto chiusura = std::async(std::launch::async, [&] { return thread.ChiudiCollegamento(); });
    const auto inizio = OrologioFinto();
    while (chiusura.wait_for(5ms) != std::future_status::ready)
        AvanzaOrologio(100ms);
    const auto durata = OrologioFinto() - inizio;
    EXPECT_EQ(chiusura.get(), 2);
    EXPECT_GE(durata, 3s);  // it did wait for the exchange
    EXPECT_LT(durata, 30s); // but not for the minute the exchange would have taken
    EXPECT_EQ(canale.Caricamenti(), 1);
    ASSERT_EQ(scambio.wait_for(1s), std::future_status::ready);
    EXPECT_EQ(scambio.get(), 4);
    EXPECT_FALSE(thread.Occupato());
}

TEST_F(ScambioTest, TheThreadStepsTheModemOnlyForAModemLinkAndNotWhilePaused) {
    thread.Start();
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(modem.Stato.load(), TKivModem::StatoAvvio); // cable: never stepped
    canale.ImpostaConfig(ConfigModem(canale));
    thread.Pausa = true;
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(modem.Stato.load(), TKivModem::StatoAvvio);
    thread.Pausa = false;
    testing_support::AttendiFinche([&] { return modem.Stato.load() != TKivModem::StatoAvvio; });
    EXPECT_EQ(modem.Stato.load(), TKivModem::StatoAttesa);
}
