#include "config/FileKit.h"

#include "support/ScriptedDialogs.h"
#include "support/TempFolder.h"

#include <cstring>
#include <gtest/gtest.h>

using namespace testing_support;
using platform::gui::MsgKind;
using Byte = std::vector<std::uint8_t>;

namespace {

void Scrivi32(Byte& b, std::size_t o, std::int32_t v) {
    for (int i = 0; i < 4; ++i)
        b[o + i] = std::uint8_t(std::uint32_t(v) >> (8 * i));
}

// A kit file built by offset: kit N's zone code z is (N, z, 0xA0), keypad code k is (N, k, 0xB0).
Byte FileKitDi(std::int32_t zone, std::int32_t inseritori, std::int32_t numKit) {
    Byte b(21364, 0xCC);
    Scrivi32(b, 0, zone);
    Scrivi32(b, 4, inseritori);
    Scrivi32(b, 80, numKit);
    for (int n = 1; n <= 100; ++n) {
        const std::size_t record = 364 + 210 * std::size_t(n - 1);
        for (int z = 0; z < 50; ++z) {
            b[record + 3 * z] = std::uint8_t(n);
            b[record + 3 * z + 1] = std::uint8_t(z);
            b[record + 3 * z + 2] = 0xA0;
        }
        for (int k = 0; k < 20; ++k) {
            b[record + 150 + 3 * k] = std::uint8_t(n);
            b[record + 150 + 3 * k + 1] = std::uint8_t(k);
            b[record + 150 + 3 * k + 2] = 0xB0;
        }
    }
    return b;
}

bool Codice(const TCodiceRadio& c, int a, int b, int d) {
    return c.Byte[0] == a && c.Byte[1] == b && c.Byte[2] == d;
}

class KitTest : public testing::Test {
  protected:
    TempFolder dir;
    ScriptedDialogs dialogs;
    TEditNumKit edit;
    void SetUp() override {
        std::memset(&FileKit, 0, sizeof FileKit);
        ConfigCentrale = {};
        InizializzaLeggiCodRadio(edit);
    }
    void TearDown() override { EXPECT_TRUE(dialogs.AllAnswersUsed()); }
    void Leggi(const std::string& nome) {
        dialogs.ChooseFile(dir.File(nome));
        ComandoLeggiFileKit(edit);
    }
};

} // namespace

TEST_F(KitTest, ThreeKitsLoadInTurnAndTheNumberStopsAtTheLast) {
    dir.Write("serie.kit", FileKitDi(50, 16, 3));
    Leggi("serie");
    EXPECT_EQ(dialogs.Messages().back().Text, "Ok");
    EXPECT_EQ(dialogs.FileDialogs().at(0).Filter, "File Kit (*.kit)|*.kit");
    EXPECT_EQ(edit.Minimo, 1);
    EXPECT_EQ(edit.Massimo, 3);
    EXPECT_EQ(edit.Valore, 1);

    for (int n = 1; n <= 3; ++n) {
        SCOPED_TRACE(n);
        ComandoCaricaCodiciKit(edit);
        EXPECT_TRUE(Codice(ConfigCentrale.Zone[0].CodiceRadio, n, 0, 0xA0));
        EXPECT_TRUE(Codice(ConfigCentrale.Zone[49].CodiceRadio, n, 49, 0xA0));
        EXPECT_TRUE(Codice(ConfigCentrale.Inseritori[15].CodiceRadio, n, 15, 0xB0));
        EXPECT_EQ(edit.Valore, n < 3 ? n + 1 : 3);
    }
}

TEST_F(KitTest, CopiesAtMostFiftyZonesAndSixteenKeypads) {
    dir.Write("k.kit", FileKitDi(60, 20, 1));
    Leggi("k.kit");
    ConfigCentrale.Zone[50].CodiceRadio = {{9, 9, 9}};
    ComandoCaricaCodiciKit(edit);
    EXPECT_TRUE(Codice(ConfigCentrale.Zone[49].CodiceRadio, 1, 49, 0xA0));
    EXPECT_TRUE(Codice(ConfigCentrale.Zone[50].CodiceRadio, 9, 9, 9));
    for (int z = 51; z < NumZone; ++z)
        EXPECT_TRUE(Codice(ConfigCentrale.Zone[z].CodiceRadio, 0, 0, 0));
    EXPECT_TRUE(Codice(ConfigCentrale.Inseritori[15].CodiceRadio, 1, 15, 0xB0));
    // Nothing but the codes changes.
    EXPECT_EQ(ConfigCentrale.Zone[0].Attiva | ConfigCentrale.Inseritori[0].TxAbilInvioSegnalazioni, 0);
}

TEST_F(KitTest, UsesOnlyTheCountsTheFileGives) {
    TFileKit kit;
    ASSERT_TRUE(DecodificaFileKit(FileKitDi(3, 2, 1), kit));
    ASSERT_TRUE(CopiaCodiciKit(kit, 1, ConfigCentrale));
    EXPECT_TRUE(Codice(ConfigCentrale.Zone[2].CodiceRadio, 1, 2, 0xA0));
    EXPECT_TRUE(Codice(ConfigCentrale.Zone[3].CodiceRadio, 0, 0, 0));
    EXPECT_TRUE(Codice(ConfigCentrale.Inseritori[1].CodiceRadio, 1, 1, 0xB0));
    EXPECT_TRUE(Codice(ConfigCentrale.Inseritori[2].CodiceRadio, 0, 0, 0));

    ConfigCentrale = {};
    ASSERT_TRUE(DecodificaFileKit(FileKitDi(-5, -1, 1), kit));
    EXPECT_TRUE(CopiaCodiciKit(kit, 1, ConfigCentrale));
    EXPECT_TRUE(Codice(ConfigCentrale.Zone[0].CodiceRadio, 0, 0, 0));
    EXPECT_TRUE(Codice(ConfigCentrale.Inseritori[0].CodiceRadio, 0, 0, 0));
}

TEST_F(KitTest, KitNumbersOutsideTheFileOrAbove100AreRefused) {
    TFileKit kit;
    ASSERT_TRUE(DecodificaFileKit(FileKitDi(50, 16, 100), kit));
    for (int n : {0, -1, 101, 250}) {
        SCOPED_TRACE(n);
        EXPECT_FALSE(CopiaCodiciKit(kit, n, ConfigCentrale));
        EXPECT_TRUE(Codice(ConfigCentrale.Zone[0].CodiceRadio, 0, 0, 0));
    }
    // Kit 100 is the last record of the file.
    EXPECT_TRUE(CopiaCodiciKit(kit, 100, ConfigCentrale));
    EXPECT_TRUE(Codice(ConfigCentrale.Zone[0].CodiceRadio, 100, 0, 0xA0));

    ASSERT_TRUE(DecodificaFileKit(FileKitDi(50, 16, 2), kit));
    EXPECT_FALSE(CopiaCodiciKit(kit, 3, ConfigCentrale));
}

TEST_F(KitTest, CopyBeforeAnyFileDoesNothing) {
    edit.Valore = 1;
    ComandoCaricaCodiciKit(edit);
    EXPECT_TRUE(Codice(ConfigCentrale.Zone[0].CodiceRadio, 0, 0, 0));
    EXPECT_EQ(edit.Valore, 1);
    EXPECT_TRUE(dialogs.Messages().empty());
}

TEST_F(KitTest, AFileThatIsNotAKitFileKeepsThePreviousKits) {
    dir.Write("buono.kit", FileKitDi(50, 16, 4));
    Leggi("buono.kit");
    Byte corto = FileKitDi(50, 16, 9);
    corto.pop_back();
    dir.Write("corto.kit", corto);
    Byte lungo = FileKitDi(50, 16, 9);
    lungo.push_back(0);
    dir.Write("lungo.kit", lungo);
    // The right size, but random bytes, or kit counts outside the 100 records the file holds.
    Byte caso(21364);
    std::uint32_t x = 12345;
    for (auto& b : caso)
        b = std::uint8_t((x = x * 1103515245u + 12345u) >> 24);
    Scrivi32(caso, 80, -279371943);
    dir.Write("caso.kit", caso);
    dir.Write("zero.kit", FileKitDi(50, 16, 0));
    dir.Write("101.kit", FileKitDi(50, 16, 101));
    // A file of another size is refused before the kit number is touched; one of the kit file's
    // size sets it again, from the kits kept.
    for (auto [nome, valore] : {std::pair{"corto.kit", 3},
                                {"lungo.kit", 3},
                                {"manca.kit", 3},
                                {"caso.kit", 1},
                                {"zero.kit", 1},
                                {"101.kit", 1}}) {
        SCOPED_TRACE(nome);
        edit.Valore = 3;
        dialogs.Clear();
        Leggi(nome);
        ASSERT_EQ(dialogs.Messages().size(), 1u);
        EXPECT_EQ(dialogs.Messages()[0].Kind, MsgKind::Error);
        EXPECT_EQ(dialogs.Messages()[0].Text, "File Error.");
        EXPECT_EQ(FileKit.NumKit, 4);
        EXPECT_EQ(edit.Massimo, 4);
        EXPECT_EQ(edit.Valore, valore);
    }
    dialogs.CancelFile();
    ComandoLeggiFileKit(edit);
    EXPECT_EQ(FileKit.NumKit, 4);
}
