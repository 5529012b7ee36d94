// The event queue commands: pointers, event blocks, the single event reply and event dates.
#include "AmbienteCodec.h"

#include <cstring>
#include <vector>

using namespace testing_support;

namespace {

class Coda : public AmbienteCodec {
  protected:
    void SetUp() override {
        AmbienteCodec::SetUp();
        // Slots hold a mark the decoder must overwrite only where it should.
        for (TEventoCoda& e : coda.Eventi) {
            e.Tipo = 0xEE;
            e.Descrittore = 0xEE;
            std::memset(e.Pad2, 0xEE, sizeof e.Pad2);
            e.DataOra = -7;
        }
    }
    std::uint8_t Puntatori(std::uint8_t a, std::uint8_t b, std::uint8_t c) {
        link.Rispondi(Frame(CmdLeggiPuntatoriCoda, {a, b, c}));
        return LeggiPuntatoriCoda(link);
    }
    // A block reply whose record k carries type 20*echo+k, descriptor k and a valid date.
    std::uint8_t Blocco(std::uint8_t Richiesto, std::uint8_t Eco) {
        std::vector<std::uint8_t> r{Eco};
        for (int k = 0; k < 20; ++k) {
            const std::uint8_t rec[8] = {
                std::uint8_t(20 * Eco + k), std::uint8_t(k), 12, 30, 15, std::uint8_t(1 + k), 6, 26};
            r.insert(r.end(), rec, rec + 8);
        }
        link.Rispondi(Frame(CmdLeggiBloccoCoda, r));
        return LeggiBloccoCoda(link, Richiesto);
    }
    bool Intatto(int slot) const { return coda.Eventi[slot].Tipo == 0xEE && coda.Eventi[slot].DataOra == -7; }
};

} // namespace

TEST_F(Coda, PointersGiveTheEventCountWithWrapAround) {
    struct Caso {
        std::uint8_t inizio, fine, dimensione;
        int conteggio;
    };
    for (const Caso& c : {Caso{10, 30, 64, 20}, Caso{50, 10, 64, 24}, Caso{5, 5, 64, 0}, Caso{0, 255, 0, 255},
                          Caso{63, 0, 64, 1}}) {
        ASSERT_EQ(Puntatori(c.inizio, c.fine, c.dimensione), EsitoOk);
        EXPECT_EQ(coda.IndiceCodaInizio, c.inizio);
        EXPECT_EQ(coda.IndiceCodaFine, c.fine);
        EXPECT_EQ(coda.DimensioneCoda, c.dimensione);
        EXPECT_EQ(coda.NumEventi, c.conteggio);
    }
}

TEST_F(Coda, EveryEventOfABusyPanelIsStoredUpToTheLastBlock) {
    ASSERT_EQ(Puntatori(200, 10, 64), EsitoOk); // 64 - 190 modulo 256
    EXPECT_EQ(coda.NumEventi, 130);
    EXPECT_EQ(NumBlocchiCoda(coda), 7);

    ASSERT_EQ(Blocco(6, 6), EsitoOk); // events 120..139: the count ends at 129
    for (int s = 120; s < 130; ++s)
        EXPECT_EQ(coda.Eventi[s].Tipo, s);
    EXPECT_TRUE(Intatto(130));
    EXPECT_TRUE(Intatto(119));

    // The last block of a full count stops at the last slot.
    ASSERT_EQ(Puntatori(0, 255, 0), EsitoOk);
    ASSERT_EQ(Blocco(12, 12), EsitoOk);
    for (int s = 240; s < MaxEventiCoda; ++s)
        EXPECT_EQ(coda.Eventi[s].Descrittore, s - 240);
    // A block echoed past the count stores nothing.
    coda.Eventi[254].Tipo = 0xEE;
    ASSERT_EQ(Blocco(13, 13), EsitoOk);
    EXPECT_EQ(coda.Eventi[254].Tipo, 0xEE);
}

TEST_F(Coda, AnEventBlockStoresOnlyTheEventsTheCountNames) {
    ASSERT_EQ(Puntatori(0, 45, 64), EsitoOk);
    EXPECT_EQ(NumBlocchiCoda(coda), 3);
    ASSERT_EQ(Blocco(2, 2), EsitoOk);
    EXPECT_EQ(DatiDi(link.Richieste.back()), std::vector<std::uint8_t>{2});
    for (int s = 40; s < 45; ++s) {
        EXPECT_EQ(coda.Eventi[s].Tipo, s);
        EXPECT_EQ(coda.Eventi[s].Descrittore, s - 40);
        EXPECT_DOUBLE_EQ(coda.Eventi[s].DataOra, DataOra(2026, 6, 1 + s - 40, 12, 30, 15));
        EXPECT_EQ(coda.Eventi[s].Pad2[0], 0xEE); // alignment bytes are never written
    }
    EXPECT_TRUE(Intatto(45));
    EXPECT_TRUE(Intatto(39));
}

TEST_F(Coda, AnEventBlockEchoingAnotherBlockIsNotTheReply) {
    ASSERT_EQ(Puntatori(0, 60, 64), EsitoOk);
    EXPECT_EQ(Blocco(0, 1), EsitoFallito);
    for (int s = 0; s < 40; ++s)
        EXPECT_TRUE(Intatto(s));
}

TEST_F(Coda, EventDatesAreKeptOnlyWhenTheyFormARealDate) {
    struct Caso {
        std::uint8_t ora, min, sec, giorno, mese, anno;
        double atteso;
    };
    const std::vector<Caso> casi = {
        {10, 20, 30, 29, 2, 24, DataOra(2024, 2, 29, 10, 20, 30)},
        {23, 59, 59, 31, 12, 199, DataOra(2099, 12, 31, 23, 59, 59)}, // year byte modulo 100
        {0, 0, 0, 1, 1, 0, DataOra(2000, 1, 1, 0, 0, 0)},
        {10, 20, 30, 29, 2, 23, 0}, // common year
        {10, 20, 30, 31, 4, 26, 0}, // 31 April
        {25, 0, 0, 1, 1, 26, 0},
        {24, 0, 0, 1, 1, 26, 0},
        {0, 60, 0, 1, 1, 26, 0},
        {0, 0, 60, 1, 1, 26, 0},
        {0, 0, 0, 0, 1, 26, 0},
        {0, 0, 0, 32, 1, 26, 0},
        {0, 0, 0, 1, 0, 26, 0},
        {0, 0, 0, 1, 13, 26, 0},
    };
    for (const Caso& c : casi) {
        TFrameComunic f = Frame(CmdLeggiEvento, {7, 114, 216, c.ora, c.min, c.sec, c.giorno, c.mese, c.anno});
        int idx = 1;
        DecodificaEvento(7, idx, f, coda);
        EXPECT_EQ(idx, 9);
        EXPECT_EQ(coda.Eventi[7].Tipo, 114);
        EXPECT_EQ(coda.Eventi[7].Descrittore, 216);
        EXPECT_DOUBLE_EQ(coda.Eventi[7].DataOra, c.atteso)
            << int(c.ora) << ":" << int(c.min) << ":" << int(c.sec) << " " << int(c.giorno) << "/"
            << int(c.mese);
    }
}

TEST_F(Coda, TheSingleEventReplyFillsTheSlotItNamesBelow100) {
    TFrameComunic f = Frame(CmdLeggiEvento, {99, 3, 4, 1, 2, 3, 4, 5, 6});
    DecodificaRisposta(f);
    EXPECT_EQ(coda.Eventi[99].Tipo, 3);
    EXPECT_EQ(coda.Eventi[99].Descrittore, 4);
    f.Dati[0] = 100;
    DecodificaRisposta(f);
    EXPECT_TRUE(Intatto(100));
}

TEST_F(Coda, QueueRepliesStoreNothingWithoutAStore) {
    RegistraCodaEventi(nullptr);
    EXPECT_EQ(Puntatori(0, 9, 64), EsitoOk);
    EXPECT_EQ(Blocco(0, 0), EsitoOk);
    EXPECT_EQ(coda.NumEventi, 0);
    EXPECT_TRUE(Intatto(0));
}

TEST_F(Coda, ClearingTheQueueLeavesTheStoreAsItWas) {
    ASSERT_EQ(Puntatori(0, 3, 64), EsitoOk);
    link.Conferma(CmdCancellaCoda);
    EXPECT_EQ(CancellaCoda(link), EsitoOk);
    EXPECT_EQ(coda.NumEventi, 3);
}
