// vm415-com, the COM numbering helper scripts/run uses: its "cable" command edits the installer's
// link settings file, so it must keep what it does not set and never replace a file it cannot read.
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>

namespace {

int Esegui(const std::string& argomenti) {
    // A tool that blocks must fail the test, not hang it.
    const std::string comando =
        "timeout 20 " + std::string(VM415_BIN_DIR) + "/vm415-com " + argomenti + " 2>/dev/null";
    const int stato = std::system(comando.c_str());
    return WIFEXITED(stato) ? WEXITSTATUS(stato) : -1;
}

TEST(ComTool, CableKeepsTheModemSettingsAndLeavesAnUnreadableFileAlone) {
    testing_support::TempFolder cartella;

    // A missing file is made from the defaults, with the cable on the port asked for.
    ASSERT_EQ(Esegui("cable " + cartella.File("nuovo.cfg") + " 3"), 0);
    const auto nuovo = cartella.Read("nuovo.cfg");
    ASSERT_EQ(nuovo.size(), 71u);
    EXPECT_EQ(nuovo[0], 1); // direct cable
    EXPECT_EQ(nuovo[1], 3);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&nuovo[4]), nuovo[3]), "ATE0V0");

    // An existing file keeps its modem port and strings.
    auto vecchio = nuovo;
    vecchio[0] = 0;
    vecchio[2] = 9;
    vecchio[3] = 4;
    vecchio[4] = 'A', vecchio[5] = 'T', vecchio[6] = 'Z', vecchio[7] = '9';
    cartella.Write("vecchio.cfg", vecchio);
    ASSERT_EQ(Esegui("cable " + cartella.File("vecchio.cfg") + " 5"), 0);
    auto atteso = vecchio;
    atteso[0] = 1;
    atteso[1] = 5;
    EXPECT_EQ(cartella.Read("vecchio.cfg"), atteso);

    // Something there that cannot be read as a file is refused and left in place.
    const std::string fifo = cartella.File("fifo.cfg");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(Esegui("cable " + fifo + " 5"), 1);
    struct stat st {};
    ASSERT_EQ(::stat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

} // namespace
