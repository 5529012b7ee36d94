// vm415-com, the COM numbering helper scripts/run uses: its "cable" command edits the user's link
// settings file, so it must keep what it does not set and never replace a file it cannot read.
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>

namespace {

// Runs the tool with the user's settings folder in `casa`; its standard error lands in `errore`.
int Esegui(const testing_support::TempFolder& casa, const std::string& argomenti,
           std::string* errore = nullptr) {
    // A tool that blocks must fail the test, not hang it.
    const std::string comando = "XDG_CONFIG_HOME=" + casa.Path() + " timeout 20 " +
                                std::string(VM415_BIN_DIR) + "/vm415-com " + argomenti + " 2>" +
                                casa.File("stderr");
    const int stato = std::system(comando.c_str());
    if (errore) {
        std::ifstream in(casa.File("stderr"));
        errore->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return WIFEXITED(stato) ? WEXITSTATUS(stato) : -1;
}

TEST(ComTool, CableKeepsTheModemSettingsAndLeavesAnUnreadableFileAlone) {
    testing_support::TempFolder casa;
    const std::string cfg = "vm415/comconfig.cfg";

    // A missing file is made from the defaults, with the cable on the port asked for.
    ASSERT_EQ(Esegui(casa, "cable 3"), 0);
    const auto nuovo = casa.Read(cfg);
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
    casa.Write(cfg, vecchio);
    ASSERT_EQ(Esegui(casa, "cable 5"), 0);
    auto atteso = vecchio;
    atteso[0] = 1;
    atteso[1] = 5;
    EXPECT_EQ(casa.Read(cfg), atteso);

    // Something there that cannot be read as a file is refused and left in place.
    std::remove(casa.File(cfg).c_str());
    ASSERT_EQ(::mkfifo(casa.File(cfg).c_str(), 0600), 0);
    EXPECT_EQ(Esegui(casa, "cable 5"), 1);
    struct stat st {};
    ASSERT_EQ(::stat(casa.File(cfg).c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST(ComTool, BindingAPathThatIsNotThereYetWarnsAndBinds) {
    testing_support::TempFolder casa;
    std::string errore;
    ASSERT_EQ(Esegui(casa, "bind 7 " + casa.File("ttyUSB9"), &errore), 0);
    EXPECT_NE(errore.find("vm415-com: warning: " + casa.File("ttyUSB9") + " does not exist"),
              std::string::npos)
        << errore;
    std::ifstream store(casa.File("vm415/registry.txt"));
    const std::string testo{std::istreambuf_iterator<char>(store), std::istreambuf_iterator<char>()};
    EXPECT_NE(testo.find("\"COM7\"=sz:\"" + casa.File("ttyUSB9") + "\""), std::string::npos) << testo;

    casa.Write("ttyUSB9", std::string());
    ASSERT_EQ(Esegui(casa, "bind 8 " + casa.File("ttyUSB9"), &errore), 0);
    EXPECT_EQ(errore, "");
}

} // namespace
