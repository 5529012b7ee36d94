// Fault injection: each fault does what its option says, and a seed repeats a run exactly.
#include "tools/sim/SimFaults.h"
#include "tools/sim/SimPanel.h"
#include "tools/sim/SimWire.h"

#include <gtest/gtest.h>

#include <algorithm>
using namespace vm415sim;
using Bytes = std::vector<std::uint8_t>;

namespace {

std::vector<bool> DropPattern(std::uint64_t seed, double rate, int n) {
    SimPanel panel;
    FaultSettings f;
    f.Seed = seed;
    f.DropRate = rate;
    panel.SetFaults(f);
    std::vector<bool> answered;
    for (int i = 0; i < n; ++i)
        answered.push_back(panel.Handle({1, {}}).has_value());
    return answered;
}

} // namespace

TEST(SimFaults, DropRateAndSeed) {
    const auto none = DropPattern(1, 0, 50), all = DropPattern(1, 1, 50);
    EXPECT_EQ(std::count(none.begin(), none.end(), true), 50);
    EXPECT_EQ(std::count(all.begin(), all.end(), true), 0);

    const auto a = DropPattern(42, 0.25, 2000), b = DropPattern(42, 0.25, 2000),
               c = DropPattern(43, 0.25, 2000);
    EXPECT_EQ(a, b) << "the same seed drops the same replies";
    EXPECT_NE(a, c);
    const auto dropped = std::count(a.begin(), a.end(), false);
    EXPECT_GT(dropped, 400);
    EXPECT_LT(dropped, 600);
}

TEST(SimFaults, ADroppedReplyStillActsOnThePanel) {
    SimPanel panel;
    FaultSettings f;
    f.DropRate = 1;
    panel.SetFaults(f);
    Bytes keypads(169, 0);
    keypads[1 + 21 * 2 + 2] = 0xAB; // keypad 2, first radio code byte
    EXPECT_FALSE(panel.Handle({17, keypads}));
    EXPECT_EQ(panel.ImageBytes()[3944 + 21 * 2 + 18], 0xAB);
}

TEST(SimFaults, WrongCommandAndWrongLength) {
    SimPanel panel;
    FaultSettings f;
    f.WrongCommand = true;
    panel.SetFaults(f);
    for (std::uint8_t code : {1, 2, 3, 5, 7, 10, 18, 20, 22}) {
        const auto reply = panel.Handle({code, {}});
        ASSERT_TRUE(reply);
        EXPECT_NE(reply->Command, code);
        EXPECT_GE(reply->Command, 1);
        EXPECT_LE(reply->Command, 22);
    }
    f.WrongCommand = false;
    f.WrongLength = true;
    panel.SetFaults(f);
    EXPECT_EQ(panel.Handle({1, {}})->Data.size(), 4u);
    EXPECT_EQ(panel.Handle({2, {}})->Data.size(), 1u);
    EXPECT_EQ(panel.Handle({3, {}})->Data.size(), 217u);
    EXPECT_EQ(panel.Handle({3, {}})->Command, 3);
}

TEST(SimFaults, CorruptionChangesExactlyOneByteInRange) {
    FaultSettings f;
    f.CorruptRate = 1;
    f.Seed = 7;
    FaultInjector faults(f);
    const auto wire = EncodeWire({3, Bytes(216, 0x41)});
    ASSERT_TRUE(wire);
    int rejected = 0;
    for (int i = 0; i < 200; ++i) {
        Bytes bytes = wire->Bytes;
        const auto at = faults.CorruptWire(bytes, 1, wire->TrailerAt + 1);
        ASSERT_TRUE(at);
        EXPECT_GE(*at, 1u);
        EXPECT_LE(*at, wire->TrailerAt);
        int differing = 0;
        for (std::size_t k = 0; k < bytes.size(); ++k)
            differing += bytes[k] != wire->Bytes[k];
        EXPECT_EQ(differing, 1);
        EXPECT_NE(bytes[*at], wire->Bytes[*at]);
        FrameReceiver rx;
        bool good = false;
        for (auto b : bytes)
            if (auto fr = rx.Feed(b, {})) good = good || fr->Data == Bytes(216, 0x41);
        rejected += !good;
    }
    EXPECT_EQ(rejected, 200) << "a single changed byte never passes for the original reply";

    f.CorruptRate = 0;
    faults.Reset(f);
    Bytes bytes = wire->Bytes;
    EXPECT_FALSE(faults.CorruptWire(bytes, 1, wire->TrailerAt + 1));
    EXPECT_EQ(bytes, wire->Bytes);
}
