#pragma once
// The state every codec test starts from: an all-zero image, identification bytes 0, a fresh event
// store registered for the decoder, no remote link, and the PC clock fixed at a known instant.
#include "LinkDoppio.h"

#include "config/DataOra.h"
#include "config/GetMessage_11.h"
#include "config/GlobalsVar.h"
#include "link/EventStore.h"
#include "link/def_ver11.h"

#include <gtest/gtest.h>

namespace testing_support {

class AmbienteCodec : public ::testing::Test {
  protected:
    void SetUp() override {
        ConfigCentrale = TConfigCentrale{};
        IdCentraleRx = VersioneCentraleRx = AbilComCentraleRx = 0;
        coda = TCodaEventi{};
        RegistraCodaEventi(&coda);
        RegistraLinkRemoto(nullptr);
        ora = DataOra(2031, 7, 14, 9, 26, 53);
        ImpostaOrologioPc(&OraFissa);
    }
    void TearDown() override {
        RegistraCodaEventi(nullptr);
        RegistraLinkRemoto(nullptr);
        ImpostaOrologioPc(nullptr);
    }

    static double DataOra(int a, int me, int g, int h, int mi, int s) {
        double v = 0;
        EXPECT_TRUE(CodificaDataOra(a, me, g, h, mi, s, v));
        return v;
    }
    static double OraFissa() { return ora; }

    static inline double ora = 0;
    TCodaEventi coda;
    LinkDoppio link;
};

} // namespace testing_support
