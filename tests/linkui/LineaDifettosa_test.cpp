// Whole receives through a serial line that drops and changes bytes both ways: a receive may fail,
// but one reported as a success holds the panel's image in every field that travels. A wrong field
// that comes through is explained only by two damaged bytes of one reply whose changes cancel in
// the 8-bit sum, which no receiver can see.
//
// The suite runs a few receives; VM415_RICEZIONI_LINEA=200 runs that many at each rate and prints
// the figures.
#include "e2e/ImmaginiPannello.h"
#include "link/ConfigComProva.h"
#include "link/KivModCom.h"
#include "link/ThreadCom.h"
#include "platform/thread/Thread.h"
#include "serial/SerialTestSupport.h"
#include "support/FinestreMute.h"
#include "support/LineaDifettosa.h"
#include "support/Simulatore.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>

using namespace std::chrono_literals;

namespace {

constexpr int PortaLinea = 9;

// The reply each payload of e2e::Carichi comes in: command, and block (-1 for none).
std::pair<std::uint8_t, int> RispostaDelCarico(std::size_t j) {
    if (j == 0) return {CmdLeggiDatiGenerali, -1};
    if (j == 1) return {CmdLeggiNumTel, -1};
    if (j < 13) return {CmdLeggiBloccoZone, int(j - 2)};
    if (j < 15) return {CmdLeggiBloccoInseritori, int(j - 13)};
    return {j == 15 ? CmdLeggiDatiGprsCid : CmdLeggiTabelleCid, -1};
}

class LineaDifettosaTest : public ::testing::Test {
  protected:
    LineaDifettosaTest() : cartella(dati.Path()) {}
    ~LineaDifettosaTest() override { RegistraLinkSeriale(nullptr); }

    struct Esiti {
        int riuscite = 0, fallite = 0, sbagliateNelProtocollo = 0;
        std::vector<std::string> sbagliateSenzaSpiegazione;
    };

    Esiti Ricezioni(double tasso, int quante, std::uint64_t seme, std::vector<std::string> opzioniSim = {}) {
        // Many bytes that travel stuffed, where a lost byte after the 10h once passed unseen.
        const TConfigCentrale pannello = e2e::ImmagineCasuale(std::uint32_t(seme), true);
        dati.Write("panel.415", e2e::Byte(pannello));
        opzioniSim.insert(opzioniSim.end(), {"--image", dati.File("panel.415")});
        testing_support::Simulatore sim(opzioniSim);
        EXPECT_TRUE(sim.Pronto());
        testing_support::LineaDifettosa linea(sim.Percorso(), tasso, seme);
        EXPECT_TRUE(win32::BindComPort(PortaLinea, linea.Percorso()));
        TKivModCom com;
        EXPECT_TRUE(testing_support::SulCavo(com, dati, PortaLinea, 1)); // as short as the settings allow

        const auto atteso = e2e::Carichi(pannello);
        const TConfigCentrale prima = e2e::ImmagineCasuale(std::uint32_t(seme + 1));
        Esiti e;
        testing_support::FinestreMute finestre;
        for (int i = 0; i < quante; ++i) {
            ConfigCentrale = prima;
            linea.Azzera();
            TThreadCom worker(false, TComThread{com, [&] { return com.Connesso(); }}, OpRiceviConfigurazione,
                              finestre);
            EXPECT_TRUE(ui.RunUntil([&] { return worker.Finished(); }, 120s));
            worker.WaitFor();
            if (worker.Esito != EsitoOk) {
                ++e.fallite;
                continue;
            }
            ++e.riuscite;
            const auto ricevuto = e2e::Carichi(ConfigCentrale);
            for (std::size_t j = 0; j < atteso.size(); ++j) {
                if (ricevuto[j] == atteso[j]) continue;
                const auto [comando, blocco] = RispostaDelCarico(j);
                const std::string perche = linea.SpiegaRisposta(comando, blocco);
                if (perche.empty())
                    ++e.sbagliateNelProtocollo;
                else
                    e.sbagliateSenzaSpiegazione.push_back("receive " + std::to_string(i) + ", command " +
                                                          std::to_string(comando) + " block " +
                                                          std::to_string(blocco) + ":" + perche);
                break;
            }
        }
        std::cout << "[ figures  ] " << quante << " receives, "
                  << (tasso > 0 ? "one byte in " + std::to_string(int(1 / tasso)) + " damaged"
                                : "no byte damaged")
                  << ": " << e.riuscite << " complete, " << e.fallite << " failed cleanly, "
                  << e.sbagliateNelProtocollo << " wrong through two cancelling faults, "
                  << e.sbagliateSenzaSpiegazione.size() << " wrong otherwise\n";
        for (const auto& s : e.sbagliateSenzaSpiegazione)
            std::cout << "[ figures  ]   " << s << "\n";
        win32::UnbindComPort(PortaLinea);
        return e;
    }

    static int Quante(int predefinite) {
        const char* n = std::getenv("VM415_RICEZIONI_LINEA");
        return n ? std::max(1, std::atoi(n)) : predefinite;
    }

    serial_test::StoreScope store;
    platform::TLoopUiThread ui;
    testing_support::TempFolder dati;
    testing_support::ProgramFolderScope cartella;
    testing_support::SettingsFolderScope impostazioni{dati.Path()}; // the user's settings there too
};

} // namespace

TEST_F(LineaDifettosaTest, ALineThatDamagesOneByteIn5000NeverGivesAWrongSuccess) {
    const Esiti e = Ricezioni(1.0 / 5000, Quante(12), 5000);
    EXPECT_EQ(e.sbagliateNelProtocollo + int(e.sbagliateSenzaSpiegazione.size()), 0);
    EXPECT_GT(e.riuscite, 0);
}

TEST_F(LineaDifettosaTest, ALineThatDamagesOneByteIn300GivesNoWrongSuccessButWhatTheSumCannotSee) {
    const Esiti e = Ricezioni(1.0 / 300, Quante(6), 300);
    EXPECT_TRUE(e.sbagliateSenzaSpiegazione.empty());
    EXPECT_GT(e.riuscite, 0);
}

TEST_F(LineaDifettosaTest, LateCopiesOfBlockRepliesOnTheCableNeverGiveAWrongSuccess) {
    // Each zone and keypad reply comes again just before the next reply: the copy is ignored, never
    // a block stored in another's place, and every receive completes.
    const Esiti e = Ricezioni(0, 3, 77, {"--late-block-copies"});
    EXPECT_EQ(e.sbagliateNelProtocollo + int(e.sbagliateSenzaSpiegazione.size()), 0);
    EXPECT_EQ(e.riuscite, 3);
}
