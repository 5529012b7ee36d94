#include "config/ConfigPc.h"
#include "config/GetMessage_11.h"

#include "support/ScriptedDialogs.h"
#include "support/TempFolder.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace testing_support;
using platform::gui::MsgKind;

namespace {

class LanguageTable : public testing::Test {
protected:
    TempFolder dir;
    ProgramFolderScope scope{dir.Path()};
    ScriptedDialogs dialogs;
    void SetUp() override { ConfigPc.Lingua = 1; }
    void TearDown() override { ConfigPc.Lingua = 0; }
    void Table(const std::string& content) { dir.Write("Lingue.csv", content); }
};

} // namespace

TEST_F(LanguageTable, FirstMatchingLineDecidesAndLongerKeysMatchByPrefix) {
    Table("K;a;b;c;d\r\nKX;e;f;g;h\r\n");
    EXPECT_EQ(GetMessaggio("K"), "b");
    EXPECT_EQ(GetMessaggio("KX"), "f");
    EXPECT_TRUE(dialogs.Messages().empty());
}

TEST_F(LanguageTable, ShortFirstLineIsCompletedByALongerKeysTexts) {
    // K has only one text, so the texts of KX (which begins with K) fill the list after it.
    Table("K;a\r\nKX;e;f\r\n");
    EXPECT_EQ(GetMessaggio("K"), "e");
    ConfigPc.Lingua = 0;
    EXPECT_EQ(GetMessaggio("K"), "a");
}

TEST_F(LanguageTable, MissingColumnGivesDotsAndNamesTheKey) {
    Table("K;a\r\n");
    EXPECT_EQ(GetMessaggio("K"), "...");
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_EQ(dialogs.Messages()[0].Kind, MsgKind::Information);
    EXPECT_EQ(dialogs.Messages()[0].Text, "Stringa K non trovata");
}

TEST_F(LanguageTable, EmptyTextIsATextAndNotAFailure) {
    Table("K;a;;c\r\n");
    EXPECT_EQ(GetMessaggio("K"), "");
    EXPECT_TRUE(dialogs.Messages().empty());
    ConfigPc.Lingua = 2;
    EXPECT_EQ(GetMessaggio("K"), "c");
}

TEST_F(LanguageTable, KeysAreCaseSensitiveAndShortLinesDoNotMatch) {
    Table("STRX;uno;one\r\nST\r\n");
    EXPECT_EQ(GetMessaggio("strx"), "...");
    EXPECT_EQ(GetMessaggio("STRX"), "one");
    EXPECT_EQ(dialogs.Messages().size(), 1u);
}

TEST_F(LanguageTable, LanguageOutOfRangeFindsNothing) {
    Table("K;a;b;c;d\r\n");
    for (int lingua : {-1, 10, 1000}) {
        ConfigPc.Lingua = lingua;
        EXPECT_EQ(GetMessaggio("K"), "...") << lingua;
    }
    EXPECT_EQ(dialogs.Messages().size(), 3u);
}

TEST_F(LanguageTable, OnlyTenColumnsAreKeptAndTheLastRunsToTheLineEnd) {
    Table("K;0;1;2;3;4;5;6;7;8;9;10\r\nL;x;y z \n");
    ConfigPc.Lingua = 9;
    EXPECT_EQ(GetMessaggio("K"), "9");
    ConfigPc.Lingua = 1;
    EXPECT_EQ(GetMessaggio("L"), "y z "); // LF-only line end; trailing blank kept
}

TEST_F(LanguageTable, MissingTableLeavesTheResultAndReportsTheError) {
    std::string risultato = "prima";
    GetMessaggio("K", risultato);
    EXPECT_EQ(risultato, "prima");
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_EQ(dialogs.Messages()[0].Kind, MsgKind::Error);
    EXPECT_EQ(dialogs.Messages()[0].Text, "FILE LINGUA NON TROVATO: Error 2");
}

TEST_F(LanguageTable, AChangedFileCountsAtTheNextLookup) {
    Table("K;a;b\r\n");
    EXPECT_EQ(GetMessaggio("K"), "b");
    Table("K;a;c\r\n"); // same size, written at once
    EXPECT_EQ(GetMessaggio("K"), "c");
    std::filesystem::remove(dir.File("Lingue.csv"));
    std::string r = "keep";
    GetMessaggio("K", r);
    EXPECT_EQ(r, "keep");
}

TEST(TextHelpers, IntToStrZeriPadsButNeverCuts) {
    EXPECT_EQ(IntToStrZeri(7, 2), "07");
    EXPECT_EQ(IntToStrZeri(123, 2), "123");
    EXPECT_EQ(IntToStrZeri(-5, 3), "0-5");
    EXPECT_EQ(IntToStrZeri(0, 0), "0");
}

TEST(TextHelpers, RipetiCarattere) {
    EXPECT_EQ(RipetiCarattere('-', 3), "---");
    EXPECT_EQ(RipetiCarattere('-', 0), "");
    EXPECT_EQ(RipetiCarattere('-', -4), "");
}

TEST(TextHelpers, DataOraToStrBothForms) {
    EXPECT_EQ(DataOraToStr(1, 0.0), "00:00:00   30/12/99");
    EXPECT_EQ(DataOraToStr(0, 0.0), "00:00 30/12/99");
    // 05/03/2007 08:09:04
    const double v = 39146 + (8 * 3600 + 9 * 60 + 4) / 86400.0;
    EXPECT_EQ(DataOraToStr(1, v), "08:09:04   05/03/07");
    EXPECT_EQ(DataOraToStr(2, v), "08:09 05/03/07");
}

TEST(TextHelpers, HexToByteCountsOnlyUpperCaseDigits) {
    EXPECT_EQ(HexToByte('1', 'F'), 0x1F);
    EXPECT_EQ(HexToByte('f', 'f'), 0);
    EXPECT_EQ(HexToByte('A', '0'), 0xA0);
    EXPECT_EQ(HexToByte('G', '9'), 9);
}
