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
    TempFolder dir;
    ProgramFolderScope scope{dir.Path()};
    void SetUp() override { ConfigPc = TConfigPc{}; }
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
    dir.Write("config.cfg", std::vector<std::uint8_t>{1, 0, 0, 0, 1, 0, 0, 0, 0xE8, 3, 0, 0});
    CaricaConfigPc();
    EXPECT_EQ(ConfigPc.Lingua, 1);
    EXPECT_EQ(ConfigPc.CodiciRadioEditabili, 1);
    EXPECT_EQ(ConfigPc.PortaLocaleGprs, 1000);
}

TEST_F(ConfigPcFile, ALanguageWithNoColumnReadsAsItalianAndTheRestAsItIs) {
    for (std::uint8_t lingua : {4, 0xFF}) {
        dir.Write("config.cfg",
                  std::vector<std::uint8_t>{lingua, lingua, lingua, lingua, 1, 0, 0, 0, 0xE8, 3, 0, 0});
        CaricaConfigPc();
        EXPECT_EQ(ConfigPc.Lingua, 0) << int(lingua);
        EXPECT_EQ(ConfigPc.CodiciRadioEditabili, 1);
        EXPECT_EQ(ConfigPc.PortaLocaleGprs, 1000);
    }
}

TEST_F(ConfigPcFile, ShorterFileSetsOnlyItsLeadingBytes) {
    ConfigPc.PortaLocaleGprs = 4321;
    ConfigPc.CodiciRadioEditabili = 7;
    dir.Write("config.cfg", std::vector<std::uint8_t>{2, 0, 0});
    CaricaConfigPc();
    EXPECT_EQ(ConfigPc.Lingua, 2);
    EXPECT_EQ(ConfigPc.CodiciRadioEditabili, 7);
    EXPECT_EQ(ConfigPc.PortaLocaleGprs, 4321);
}

TEST_F(ConfigPcFile, LongerFileReadsOnlyTwelveBytesAndKeepsPads) {
    dir.Write("config.cfg", std::vector<std::uint8_t>{3, 0, 0, 0, 0, 9, 8, 7, 0x88, 0x13, 0, 0, 0xFF, 0xFF});
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
    EXPECT_EQ(dir.Read("config.cfg"), (std::vector<std::uint8_t>{2, 0, 0, 0, 1, 0, 0, 0, 0xFF, 0xFF, 0, 0}));
    CaricaConfigPc();
    EXPECT_EQ(ConfigPc.PortaLocaleGprs, 65535);
}

TEST_F(ConfigPcFile, UnreadableFileGivesDefaults) {
    // A folder in the file's place cannot be read as bytes.
    std::filesystem::create_directory(dir.File("config.cfg"));
    ConfigPc.Lingua = 3;
    CaricaConfigPc();
    EXPECT_EQ(ConfigPc.Lingua, 0);
    EXPECT_EQ(ConfigPc.PortaLocaleGprs, 4000);
}

TEST_F(ConfigPcFile, AFileThatCannotBeReadGivesDefaultsAndIsNotReplacedByTheProgram) {
    const std::vector<std::uint8_t> english{1, 0, 0, 0, 1, 0, 0, 0, 0xE8, 3, 0, 0};
    dir.Write("config.cfg", english);
    std::vector<std::string> log;
    platform::CatturaDiagnostica capture([&](std::string_view l) { log.emplace_back(l); });
    {
        platform::FailedReadsForTest failing(dir.File("config.cfg"), EIO);
        CaricaConfigPc();
    }
    EXPECT_EQ(ConfigPc.Lingua, 0); // the defaults, for this run
    EXPECT_EQ(ConfigPc.PortaLocaleGprs, 4000);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_NE(log[0].find(dir.File("config.cfg")), std::string::npos) << log[0];
    EXPECT_NE(log[0].find("Input/output error"), std::string::npos) << log[0];

    // The options window saves what it shows when it closes, at the program's end too: the defaults
    // the program put in place of the file do not replace it.
    std::string errore;
    EXPECT_FALSE(SalvaConfigPc(ConfigPc, &errore));
    EXPECT_FALSE(errore.empty());
    EXPECT_EQ(dir.Read("config.cfg"), english);
    // What the user changes is the user's to save.
    TConfigPc scelta = ConfigPc;
    scelta.Lingua = 2;
    ASSERT_TRUE(SalvaConfigPc(scelta));
    EXPECT_EQ(dir.Read("config.cfg")[0], 2);
}
