#include "platform/text/Cp1252.h"

#include <gtest/gtest.h>

TEST(Cp1252, EveryByteSurvivesTheRoundTrip) {
    std::string all;
    for (int b = 1; b < 256; ++b)
        all += char(b);
    EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)), all);
}

TEST(Cp1252, AccentsAndTheEuroSign) {
    EXPECT_EQ(Cp1252ToUtf8("perch\xE9 \x80"), "perché €");
    EXPECT_EQ(Utf8ToCp1252("Caña ¿sí? — œ"), "Ca\xF1"
                                             "a \xBFs\xED? \x97 \x9C");
}

TEST(Cp1252, UnmappableAndBrokenUtf8BecomeQuestionMarks) {
    EXPECT_EQ(Utf8ToCp1252("\xE4\xB8\xAD"), "?"); // a CJK character
    EXPECT_EQ(Utf8ToCp1252("a\xC3"), "a?");       // cut in the middle of a sequence
    EXPECT_EQ(Utf8ToCp1252("\xC3("), "?(");
}
