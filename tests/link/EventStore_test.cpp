// The event store's bound and the number of blocks the queue read asks for.
#include "link/EventStore.h"

#include <gtest/gtest.h>

TEST(EventStore, BlocksToReadCoverEveryEventTheCountNames) {
    TCodaEventi c;
    struct Caso {
        int eventi, blocchi;
    };
    for (const Caso& k : {Caso{0, 0}, Caso{1, 1}, Caso{20, 1}, Caso{21, 2}, Caso{45, 3}, Caso{101, 6},
                          Caso{240, 12}, Caso{241, 13}, Caso{255, 13}}) {
        c.NumEventi = std::uint8_t(k.eventi);
        EXPECT_EQ(NumBlocchiCoda(c), k.blocchi) << k.eventi;
    }
}

TEST(EventStore, TheCountKeptIsCutToTheSlots) {
    EXPECT_EQ(EventiMemorizzabili(-3), 0);
    EXPECT_EQ(EventiMemorizzabili(0), 0);
    EXPECT_EQ(EventiMemorizzabili(150), 150);
    EXPECT_EQ(EventiMemorizzabili(255), 255);
    EXPECT_EQ(EventiMemorizzabili(300), 255);
}
