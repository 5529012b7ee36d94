#include "link/KivComunic.h"

#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

TFrameComunic MakeFrame(std::uint8_t cmd, const Bytes& data) {
    TFrameComunic f{};
    f.Comando = cmd;
    f.Lunghezza = std::uint8_t(data.size());
    for (std::size_t i = 0; i < data.size(); ++i)
        f.Dati[i] = data[i];
    return f;
}

Bytes Wire(const TFrameComunic& f) {
    TFrameSeriale s;
    EXPECT_TRUE(CodificaFrameSeriale(f, s));
    return Bytes(s.Byte.begin(), s.Byte.begin() + std::ptrdiff_t(s.Lunghezza));
}

platform::Instant fakeNow{};
platform::Instant FakeClock() {
    return fakeNow;
}

// A receiver that counts the rejections it is told of.
struct CountingReceiver : TKivComunic {
    CountingReceiver() : TKivComunic(&FakeClock) {}
    std::vector<int> Errori;
    void SegnalaErrore(std::uint8_t c) override { Errori.push_back(c); }
    void Feed(const Bytes& b) {
        for (auto x : b)
            RiceviByte(x);
    }
};

} // namespace

TEST(FrameWire, WorkedExamplesAreCodedExactly) {
    EXPECT_EQ(Wire(MakeFrame(1, {})), (Bytes{0x03, 0x02, 0x01, 0x01, 0xFC, 0x03, 0x03}));
    EXPECT_EQ(Wire(MakeFrame(2, {})), (Bytes{0x03, 0x02, 0x01, 0x10, 0x02, 0xEB, 0x03, 0x03}));
    EXPECT_EQ(Wire(MakeFrame(16, {0x01})),
              (Bytes{0x03, 0x02, 0x10, 0x02, 0x10, 0x10, 0x01, 0xCB, 0x03, 0x03}));
    TFrameSeriale s;
    ASSERT_TRUE(CodificaFrameSeriale(MakeFrame(1, {}), s));
    EXPECT_EQ(s.Pausa, 5u); // the pause comes right before the trailing 03h 03h
}

TEST(FrameWire, WorkedExamplesAreReceivedBack) {
    for (const auto& f : {MakeFrame(1, {}), MakeFrame(2, {}), MakeFrame(16, {0x01})}) {
        CountingReceiver r;
        r.Feed(Wire(f));
        EXPECT_EQ(r.UltimoFrame.Comando, f.Comando);
        EXPECT_EQ(r.UltimoFrame.Lunghezza, f.Lunghezza);
        EXPECT_EQ(r.UltimoFrame.Dati[0], f.Dati[0]);
        EXPECT_TRUE(r.Errori.empty());
        EXPECT_EQ(r.Stato, 0);
    }
}

TEST(FrameWire, EveryByteValueAndTheLargestFrameRoundTrip) {
    Bytes data(254);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = std::uint8_t(i * 7 + 1);
    data[0] = 0x02, data[1] = 0x03, data[2] = 0x10, data[3] = 0x10;
    const auto f = MakeFrame(0x10, data);
    CountingReceiver r;
    r.Feed(Wire(f));
    ASSERT_EQ(r.UltimoFrame.Comando, 0x10);
    ASSERT_EQ(r.UltimoFrame.Lunghezza, 254);
    EXPECT_EQ(Bytes(r.UltimoFrame.Dati, r.UltimoFrame.Dati + 254), data);
}

TEST(FrameWire, OversizedFrameIsRefusedRatherThanWrapped) {
    TFrameSeriale s;
    EXPECT_FALSE(CodificaFrameSeriale(MakeFrame(3, Bytes(255, 0)), s));
    EXPECT_EQ(s.Lunghezza, 0u);
}

TEST(FrameWire, ChecksumOfControlValuesIsSentUnstuffed) {
    // Search frames whose checksum is 02h, 03h and 10h; each must go out as one bare byte and be accepted.
    for (std::uint8_t wanted : {0x02, 0x03, 0x10}) {
        bool found = false;
        for (int b = 0x20; b < 0x100 && !found; ++b) {
            const auto f = MakeFrame(5, {std::uint8_t(b)});
            const Bytes w = Wire(f);
            if (w[w.size() - 3] != wanted) continue;
            found = true;
            EXPECT_NE(w[w.size() - 4], 0x10); // no DLE in front of it (the data byte is >= 20h)
            CountingReceiver r;
            r.Feed(w);
            EXPECT_EQ(r.UltimoFrame.Comando, 5);
            EXPECT_EQ(r.UltimoFrame.Dati[0], b);
        }
        EXPECT_TRUE(found) << int(wanted);
    }
}

TEST(Receiver, StuffedLengthAndDataAreTakenLiterally) {
    CountingReceiver r;
    // length 10h 02h = 2, command 07h, data 10h 10h = 10h
    Bytes w{0x02, 0x10, 0x02, 0x07, 0x10, 0x10};
    std::uint8_t sum = 0;
    for (auto b : w)
        sum = std::uint8_t(sum + b);
    w.push_back(std::uint8_t(0 - sum));
    w.push_back(0x03);
    r.Feed(w);
    EXPECT_EQ(r.UltimoFrame.Comando, 7);
    EXPECT_EQ(r.UltimoFrame.Lunghezza, 1);
    EXPECT_EQ(r.UltimoFrame.Dati[0], 0x10);
}

TEST(Receiver, LengthZeroDiscardsUntilAnUnstuffedEtx) {
    CountingReceiver r;
    r.Feed({0x03, 0x02, 0x00, 0x05, 0x10, 0x03, 0x02, 0x07}); // the stuffed 03h does not end the discard
    EXPECT_EQ(r.Stato, 5);
    EXPECT_EQ(r.Errori, std::vector<int>{4});
    EXPECT_EQ(r.CodiceErrore, 4);
    r.Feed({0x03});
    EXPECT_EQ(r.Stato, 0);
    EXPECT_EQ(r.CodiceErrore, 0);
    r.Feed(Wire(MakeFrame(9, {1, 2})));
    EXPECT_EQ(r.UltimoFrame.Comando, 9);
}

TEST(Receiver, ChecksumErrorThenTrailingEtxPair) {
    CountingReceiver r;
    Bytes w = Wire(MakeFrame(4, {0x55}));
    w[w.size() - 3] ^= 0x01;
    r.Feed(w);
    EXPECT_EQ(r.Errori, std::vector<int>{2});
    EXPECT_EQ(r.UltimoFrame.Comando, 0);
    EXPECT_EQ(r.Stato, 0); // the first 03h ended the discard, the second was ignored in idle
    r.Feed(Wire(MakeFrame(4, {0x55})));
    EXPECT_EQ(r.UltimoFrame.Comando, 4);
}

TEST(Receiver, AnythingButEtxAfterTheChecksumIsRejectedAndNotRescanned) {
    CountingReceiver r;
    Bytes w = Wire(MakeFrame(1, {}));
    w.erase(w.end() - 2, w.end()); // drop the trailing 03h 03h
    w.push_back(0x02);             // an STX where the 03h should be
    r.Feed(w);
    EXPECT_EQ(r.Errori, std::vector<int>{3});
    EXPECT_EQ(r.Stato, 0); // the 02h was not taken as a new start
    EXPECT_EQ(r.UltimoFrame.Comando, 0);
}

TEST(Receiver, PartialFrameIsAbandonedOnlyOnATickPastFiveSeconds) {
    CountingReceiver r;
    fakeNow = platform::Instant{} + std::chrono::hours(1);
    r.Feed({0x03, 0x02, 0x05, 0x01});
    ASSERT_EQ(r.Stato, 2);
    fakeNow += std::chrono::seconds(5);
    r.RiceviByte(-1);
    EXPECT_EQ(r.Stato, 2); // exactly at the deadline: not yet
    fakeNow += std::chrono::milliseconds(1);
    r.RiceviByte(0x44); // a byte, not a tick: the deadline is not examined
    EXPECT_EQ(r.Stato, 2);
    r.RiceviByte(-1);
    EXPECT_EQ(r.Stato, 0);
    EXPECT_TRUE(r.Errori.empty());
    r.Feed(Wire(MakeFrame(3, {8})));
    EXPECT_EQ(r.UltimoFrame.Comando, 3);
}

TEST(Receiver, SecondGoodFrameReplacesAnUnreadOne) {
    CountingReceiver r;
    r.Feed(Wire(MakeFrame(3, {1})));
    r.Feed(Wire(MakeFrame(5, {2, 3})));
    EXPECT_EQ(r.UltimoFrame.Comando, 5);
    EXPECT_EQ(r.UltimoFrame.Lunghezza, 2);
}

TEST(Packers, IntegersAreLittleEndianAndAdvanceTheIndex) {
    std::uint8_t buf[16] = {};
    TCursoreScrittura w(buf);
    ScriviByte(w, 0xA1);
    ScriviWord(w, 0xB2C3);
    ScriviDWord(w, 0xD4E5F607);
    EXPECT_EQ(w.Posizione(), 7);
    EXPECT_EQ(Bytes(buf, buf + 7), (Bytes{0xA1, 0xC3, 0xB2, 0x07, 0xF6, 0xE5, 0xD4}));
    TCursoreLettura r(buf);
    EXPECT_EQ(LeggiByte(r), 0xA1);
    EXPECT_EQ(LeggiWord(r), 0xB2C3);
    EXPECT_EQ(LeggiDWord(r), 0xD4E5F607u);
    EXPECT_EQ(r.Posizione(), 7);
}

TEST(Packers, StringsAreCutAndZeroFilledToTheirWidth) {
    std::uint8_t buf[32];
    std::fill(std::begin(buf), std::end(buf), 0xEE);
    TCursoreScrittura w(buf, 1);
    ScriviStringa(w, "abcdef", 4);
    EXPECT_EQ(w.Posizione(), 5);
    EXPECT_EQ(Bytes(buf, buf + 6), (Bytes{0xEE, 'a', 'b', 'c', 'd', 0xEE}));
    ScriviStringa(w, "", 3);
    EXPECT_EQ(Bytes(buf + 5, buf + 9), (Bytes{0, 0, 0, 0xEE}));
    TCursoreLettura r(buf, 1);
    EXPECT_EQ(LeggiStringa(r, 4), "abcd");
    EXPECT_EQ(LeggiStringa(r, 3), "");
    EXPECT_EQ(r.Posizione(), 8);
}

TEST(Packers, LeggiStringaTakesAtMost255Bytes) {
    std::uint8_t buf[1025];
    std::fill(std::begin(buf), std::end(buf), 'x');
    TCursoreLettura r(buf);
    EXPECT_EQ(LeggiStringa(r, 300).size(), 255u);
    EXPECT_EQ(r.Posizione(), 255);
}

// An item that would pass the end is refused whole; what is around the frame stays as it was.
TEST(Packers, NothingIsReadOrWrittenPastTheFrame) {
    auto f = std::make_unique<TFrameComunic>();
    f->LunghezzaRisposta = 7;
    TCursoreScrittura w(f->Dati, 1023);
    EXPECT_THROW(ScriviDWord(w, 0xFFFFFFFF), EFuoriFrame);
    EXPECT_THROW(ScriviStringa(w, "abc", 3), EFuoriFrame);
    EXPECT_EQ(w.Posizione(), 1023);
    EXPECT_EQ(f->Dati[1023], 0);
    ScriviWord(w, 0xFFFF);
    EXPECT_THROW(ScriviByte(w, 1), EFuoriFrame);
    EXPECT_EQ(f->LunghezzaRisposta, 7);

    TCursoreLettura r(f->Dati, 1000);
    EXPECT_THROW(LeggiStringa(r, 40), EFuoriFrame);
    EXPECT_EQ(r.Posizione(), 1000);
    // A cursor over the frame's own length ends there, whatever the array holds after it.
    TCursoreLettura corto(std::span<const std::uint8_t>(f->Dati, 3));
    EXPECT_EQ(LeggiWord(corto), 0);
    EXPECT_THROW(LeggiWord(corto), EFuoriFrame);
    EXPECT_EQ(LeggiByte(corto), 0);
    EXPECT_THROW(TCursoreLettura(f->Dati, 1026), EFuoriFrame);
    EXPECT_THROW(TCursoreLettura(f->Dati, -1), EFuoriFrame);
}

TEST(Packers, InizializzaFrameAsksForIdentification) {
    TFrameComunic f = MakeFrame(9, {7, 7});
    InizializzaFrame(f, 3);
    EXPECT_EQ(f.Comando, 1);
    EXPECT_EQ(f.Lunghezza, 0);
    EXPECT_EQ(f.LunghezzaRisposta, 3);
    EXPECT_EQ(f.Dati[0], 7);
}

TEST(Receiver, ABareStxInsideAFrameStartsTheNextFrame) {
    // A damaged length byte (7 instead of 2) would otherwise swallow the next reply.
    CountingReceiver r;
    r.Feed({0x03, 0x02, 0x07, 0x05, 0x11, 0x22, 0x03});
    EXPECT_EQ(r.Stato, 0); // the bare 03h dropped the broken frame
    r.Feed({0x03, 0x02, 0x09, 0x05});
    r.Feed(Wire(MakeFrame(3, {0x44, 0x55})));
    EXPECT_EQ(r.UltimoFrame.Comando, 3);
    EXPECT_EQ(r.UltimoFrame.Lunghezza, 2);
    EXPECT_EQ(r.UltimoFrame.Dati[1], 0x55);
}

TEST(Receiver, StuffedStxAndEtxInsideAFrameStayData) {
    CountingReceiver r;
    r.Feed(Wire(MakeFrame(6, {0x02, 0x03, 0x10, 0x02})));
    EXPECT_EQ(r.UltimoFrame.Comando, 6);
    EXPECT_EQ(Bytes(r.UltimoFrame.Dati, r.UltimoFrame.Dati + 4), (Bytes{0x02, 0x03, 0x10, 0x02}));
}

// A frame as a sender would code it, except that item `k` (0 the length byte, 1 the command,
// then the data) goes out as 10h followed by `x`, which no sender ever stuffs; the checksum still
// balances, as it does when the byte after a 10h was lost and the rest slid into place.
namespace {
Bytes ConDleRotto(std::uint8_t cmd, const Bytes& data, std::size_t k, std::uint8_t x) {
    Bytes items{std::uint8_t(data.size() + 1), cmd};
    items.insert(items.end(), data.begin(), data.end());
    items[k] = x;
    Bytes w{0x03, 0x02};
    for (std::size_t i = 0; i < items.size(); ++i) {
        const std::uint8_t b = items[i];
        if (i == k || b == 0x02 || b == 0x03 || b == 0x10) w.push_back(0x10);
        w.push_back(b);
    }
    std::uint8_t sum = 0;
    for (std::size_t i = 1; i < w.size(); ++i)
        sum = std::uint8_t(sum + w[i]);
    w.insert(w.end(), {std::uint8_t(0 - sum), 0x03, 0x03});
    return w;
}
} // namespace

TEST(Receiver, ABrokenStuffingIsRefusedAndTheNextFrameComesThrough) {
    // A4 03 41 sent as ... A4 10 03 01 41 with the 03h lost: the checksum still balances, and only
    // the rule that a 10h stuffs nothing but 02h, 03h or 10h keeps it from reading as command 1,
    // A4 01 41.
    CountingReceiver r;
    r.Feed({0x03, 0x02, 0x04, 0x01, 0xA4, 0x10, 0x01, 0x41, 0x03, 0x03});
    EXPECT_EQ(r.UltimoFrame.Comando, 0);
    EXPECT_EQ(r.Errori, std::vector<int>{2});
    EXPECT_EQ(r.Stato, 0);

    const Bytes data{0x05, 0x41, 0x00};
    for (std::size_t k = 0; k < data.size() + 2; ++k) {
        for (int x = 0; x < 256; ++x) {
            if (x == 0x02 || x == 0x03 || x == 0x10) continue;
            // At the length byte only the frame's own length would otherwise line up.
            if (k == 0 && x != int(data.size() + 1)) continue;
            CountingReceiver q;
            q.Feed(ConDleRotto(0x0D, data, k, std::uint8_t(x)));
            ASSERT_EQ(q.UltimoFrame.Comando, 0) << "item " << k << " after 10h: " << x;
            ASSERT_EQ(q.Errori, std::vector<int>{2}) << k << ' ' << x;
            q.Feed(Wire(MakeFrame(0x0D, data)));
            ASSERT_EQ(q.UltimoFrame.Comando, 0x0D) << k << ' ' << x;
        }
    }
}
