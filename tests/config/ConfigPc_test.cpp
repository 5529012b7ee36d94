// The program settings: the user's own copy read and written, a distributor's copy beside the
// program as the start of a first run, defaults when neither can be had.
#include "config/ConfigPc.h"

#include "platform/diag/Diagnostica.h"
#include "platform/fs/ReadFile.h"
#include "support/TempFolder.h"

#include <cerrno>
#include <filesystem>
#include <gtest/gtest.h>

using namespace testing_support;

namespace {
class ConfigPcFile : public testing::Test {
  protected:
    TempFolder programma, casa;
    // The user's settings folder, not there until something is saved.
    const std::string utente = casa.File("config/vm415/");
    ProgramFolderScope scope{programma.Path()};
    SettingsFolderScope impostazioni{utente};
    void SetUp() override { ConfigPc = TConfigPc{}; }

    void Scrivi(const std::vector<std::uint8_t>& byte) {
        std::filesystem::create_directories(utente);
        casa.Write("config/vm415/config.cfg", byte);
    }
    std::vector<std::uint8_t> Letto() const { return casa.Read("config/vm415/config.cfg"); }
};
} // namespace

TEST_F(ConfigPcFile, MissingFileGivesDefaults) {
    ConfigPc.Lingua = 3;
    CaricaConfigPc();
    EXPECT_EQ(ConfigPc.Lingua, 0);
    EXPECT_EQ(ConfigPc.CodiciRadioEditabili, 0);
    EXPECT_EQ(ConfigPc.PortaLocaleGprs, 4000);
}

TEST_F(ConfigPcFile, TwelveBytesAreTakenAsTheyAre) {
    Scrivi(std::vector<std::uint8_t>{1, 0, 0, 0, 1, 0, 0, 0, 0xE8, 3, 0, 0});
    CaricaConfigPc();
    EXPECT_EQ(ConfigPc.Lingua, 1);
    EXPECT_EQ(ConfigPc.CodiciRadioEditabili, 1);
    EXPECT_EQ(ConfigPc.PortaLocaleGprs, 1000);
}

TEST_F(ConfigPcFile, ALanguageWithNoColumnReadsAsItalianAndTheRestAsItIs) {
    for (std::uint8_t lingua : {4, 0xFF}) {
        Scrivi(std::vector<std::uint8_t>{lingua, lingua, lingua, lingua, 1, 0, 0, 0, 0xE8, 3, 0, 0});
        CaricaConfigPc();
        EXPECT_EQ(ConfigPc.Lingua, 0) << int(lingua);
        EXPECT_EQ(ConfigPc.CodiciRadioEditabili, 1);
        EXPECT_EQ(ConfigPc.PortaLocaleGprs, 1000);
    }
}

TEST_F(ConfigPcFile, ShorterFileSetsOnlyItsLeadingBytes) {
    ConfigPc.PortaLocaleGprs = 4321;
    ConfigPc.CodiciRadioEditabili = 7;
    Scrivi(std::vector<std::uint8_t>{2, 0, 0});
    CaricaConfigPc();
    EXPECT_EQ(ConfigPc.Lingua, 2);
    EXPECT_EQ(ConfigPc.CodiciRadioEditabili, 7);
    EXPECT_EQ(ConfigPc.PortaLocaleGprs, 4321);
}

TEST_F(ConfigPcFile, LongerFileReadsOnlyTwelveBytesAndKeepsPads) {
    Scrivi(std::vector<std::uint8_t>{3, 0, 0, 0, 0, 9, 8, 7, 0x88, 0x13, 0, 0, 0xFF, 0xFF});
    CaricaConfigPc();
    EXPECT_EQ(ConfigPc.Lingua, 3);
    EXPECT_EQ(ConfigPc.PortaLocaleGprs, 5000);
    EXPECT_EQ(ConfigPc.Pad5[0], 9);
}

TEST_F(ConfigPcFile, SaveWritesTheTwelveBytesAndLoadsBack) {
    TConfigPc c{};
    c.Lingua = 2;
    c.CodiciRadioEditabili = 1;
    c.PortaLocaleGprs = 65535;
    ASSERT_TRUE(SalvaConfigPc(c));
    EXPECT_EQ(Letto(), (std::vector<std::uint8_t>{2, 0, 0, 0, 1, 0, 0, 0, 0xFF, 0xFF, 0, 0}));
    CaricaConfigPc();
    EXPECT_EQ(ConfigPc.PortaLocaleGprs, 65535);
}

TEST_F(ConfigPcFile, UnreadableFileGivesDefaults) {
    // A folder in the file's place cannot be read as bytes.
    std::filesystem::create_directories(utente + "config.cfg");
    ConfigPc.Lingua = 3;
    CaricaConfigPc();
    EXPECT_EQ(ConfigPc.Lingua, 0);
    EXPECT_EQ(ConfigPc.PortaLocaleGprs, 4000);
}

TEST_F(ConfigPcFile, AFileThatCannotBeReadGivesDefaultsAndIsNotReplacedByTheProgram) {
    const std::vector<std::uint8_t> english{1, 0, 0, 0, 1, 0, 0, 0, 0xE8, 3, 0, 0};
    Scrivi(english);
    std::vector<std::string> log;
    platform::CatturaDiagnostica capture([&](std::string_view l) { log.emplace_back(l); });
    {
        platform::FailedReadsForTest failing(utente + "config.cfg", EIO);
        CaricaConfigPc();
    }
    EXPECT_EQ(ConfigPc.Lingua, 0); // the defaults, for this run
    EXPECT_EQ(ConfigPc.PortaLocaleGprs, 4000);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_NE(log[0].find(utente + "config.cfg"), std::string::npos) << log[0];
    EXPECT_NE(log[0].find("Input/output error"), std::string::npos) << log[0];

    // The options window saves what it shows when it closes, at the program's end too: the defaults
    // the program put in place of the file do not replace it.
    EXPECT_TRUE(SalvaConfigPc(ConfigPc)) << "nothing of the user's is lost: no failure to report";
    EXPECT_EQ(Letto(), english);
    // What the user changes is the user's to save.
    TConfigPc scelta = ConfigPc;
    scelta.Lingua = 2;
    ASSERT_TRUE(SalvaConfigPc(scelta));
    EXPECT_EQ(Letto()[0], 2);
}

TEST_F(ConfigPcFile, AFirstRunStartsFromTheCopyBesideTheProgramAndSavesOnlyInTheUsersFolder) {
    // A distributor's defaults: English, port 4000.
    const std::vector<std::uint8_t> distributore{1, 0, 0, 0, 0, 0, 0, 0, 0xA0, 0x0F, 0, 0};
    programma.Write("config.cfg", distributore);
    CaricaConfigPc();
    EXPECT_EQ(ConfigPc.Lingua, 1);

    TConfigPc scelta = ConfigPc;
    scelta.Lingua = 3;
    ASSERT_TRUE(SalvaConfigPc(scelta)); // the folder is made on the way
    EXPECT_EQ(Letto()[0], 3);
    EXPECT_EQ(programma.Read("config.cfg"), distributore);
    EXPECT_EQ(std::filesystem::status(utente).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_all)
        << "each user's settings are the user's own";

    // From now on the user's copy counts.
    CaricaConfigPc();
    EXPECT_EQ(ConfigPc.Lingua, 3);
}

TEST_F(ConfigPcFile, ADistributorsCopyThatCannotBeReadGivesTheDefaultsAndIsNotCopied) {
    std::filesystem::create_directories(programma.File("config.cfg"));
    CaricaConfigPc();
    EXPECT_EQ(ConfigPc.Lingua, 0);
    EXPECT_TRUE(SalvaConfigPc(ConfigPc));
    EXPECT_FALSE(std::filesystem::exists(utente + "config.cfg"))
        << "the defaults would hide the distributor's";
}
