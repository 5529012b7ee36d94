#include "platform/diag/Diagnostica.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

TEST(Diagnostica, OneLinePerEventWithUnitAndReason) {
    std::vector<std::string> righe;
    {
        platform::CatturaDiagnostica cattura([&](std::string_view r) { righe.emplace_back(r); });
        platform::Diagnostica("srcomm", "close failed:\nI/O error\r");
        try {
            throw std::runtime_error("port gone");
        } catch (...) {
            platform::Diagnostica("ThreadCom", platform::MotivoEccezione());
        }
        try {
            throw 7;
        } catch (...) {
            platform::Diagnostica("ThreadCom", platform::MotivoEccezione());
        }
    }
    ASSERT_EQ(righe.size(), 3u);
    EXPECT_EQ(righe[0], "vm415: srcomm: close failed: I/O error ");
    EXPECT_EQ(righe[1], "vm415: ThreadCom: port gone");
    EXPECT_EQ(righe[2], "vm415: ThreadCom: unknown exception");
}

TEST(Diagnostica, CaptureEndsWithItsScope) {
    std::vector<std::string> esterne, interne;
    platform::CatturaDiagnostica esterna([&](std::string_view r) { esterne.emplace_back(r); });
    {
        platform::CatturaDiagnostica interna([&](std::string_view r) { interne.emplace_back(r); });
        platform::Diagnostica("a", "1");
    }
    platform::Diagnostica("b", "2");
    EXPECT_EQ(interne, std::vector<std::string>{"vm415: a: 1"});
    EXPECT_EQ(esterne, std::vector<std::string>{"vm415: b: 2"});
}

} // namespace
