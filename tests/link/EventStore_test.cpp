// The event store's bound and the number of blocks the queue read asks for.
#include "link/EventStore.h"

#include <gtest/gtest.h>

TEST(EventStore, BlocksToReadCoverTheEventsTheStoreCanHold) {
    TCodaEventi c;
    struct Caso {
        int eventi, blocchi;
    };
    for (const Caso& k :
         {Caso{0, 0}, Caso{1, 1}, Caso{20, 1}, Caso{21, 2}, Caso{45, 3}, Caso{100, 5}, Caso{101, 6}}) {
        c.NumEventi = std::uint8_t(k.eventi);
        EXPECT_EQ(NumBlocchiCoda(c), k.blocchi) << k.eventi;
    }
    // A count past the slots (set by hand, or by an older reader) still asks only for what fits.
    c.NumEventi = 255;
    EXPECT_EQ(NumBlocchiCoda(c), 6);
}

TEST(EventStore, TheCountKeptIsCutToTheSlots) {
    EXPECT_EQ(EventiMemorizzabili(-3), 0);
    EXPECT_EQ(EventiMemorizzabili(0), 0);
    EXPECT_EQ(EventiMemorizzabili(101), 101);
    EXPECT_EQ(EventiMemorizzabili(102), 101);
    EXPECT_EQ(EventiMemorizzabili(255), 101);
}
