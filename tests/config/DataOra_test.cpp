#include "config/DataOra.h"

#include <gtest/gtest.h>

TEST(DataOra, EncodesKnownDaysAndRejectsInvalidDates) {
    double v = -1;
    ASSERT_TRUE(CodificaDataOra(1899, 12, 30, 0, 0, 0, v));
    EXPECT_EQ(v, 0.0);
    ASSERT_TRUE(CodificaDataOra(2000, 1, 1, 12, 0, 0, v));
    EXPECT_DOUBLE_EQ(v, 36526.5);
    ASSERT_TRUE(CodificaDataOra(2024, 2, 29, 0, 0, 0, v));
    EXPECT_FALSE(CodificaDataOra(2023, 2, 29, 0, 0, 0, v));
    EXPECT_FALSE(CodificaDataOra(2100, 2, 29, 0, 0, 0, v));
    EXPECT_FALSE(CodificaDataOra(2024, 13, 1, 0, 0, 0, v));
    EXPECT_FALSE(CodificaDataOra(2024, 4, 31, 0, 0, 0, v));
    EXPECT_FALSE(CodificaDataOra(2024, 1, 1, 24, 0, 0, v));
    EXPECT_FALSE(CodificaDataOra(2024, 1, 1, 0, 60, 0, v));
    EXPECT_FALSE(CodificaDataOra(2024, 1, 1, 0, 0, 60, v));
}

TEST(DataOra, DecodeRoundTripsToTheSecondAcrossTheCentury) {
    for (int anno : {1899, 1900, 1999, 2000, 2024, 2099}) {
        double v = 0;
        ASSERT_TRUE(CodificaDataOra(anno, 12, 31, 23, 59, 59, v));
        const auto d = DecodificaDataOra(v);
        EXPECT_EQ(d.Anno, anno);
        EXPECT_EQ(d.Mese, 12);
        EXPECT_EQ(d.Giorno, 31);
        EXPECT_EQ(d.Ora, 23);
        EXPECT_EQ(d.Minuti, 59);
        EXPECT_EQ(d.Secondi, 59);
    }
}

TEST(DataOra, RoundingToTheMillisecondCarriesIntoTheNextDay) {
    const auto d = DecodificaDataOra(1.0 - 1e-10);
    EXPECT_EQ(d.Giorno, 31);
    EXPECT_EQ(d.Mese, 12);
    EXPECT_EQ(d.Ora, 0);
}

TEST(DataOra, NonFiniteValuesDecodeToTheEpoch) {
    const auto d = DecodificaDataOra(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(d.Anno, 1899);
    EXPECT_EQ(DecodificaDataOra(1e300).Giorno, 30);
}
