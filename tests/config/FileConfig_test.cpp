#include "config/CartellaCorrente.h"
#include "config/FileBinario.h"
#include "config/FileConfig.h"
#include "platform/fs/SafeFile.h"

#include "support/ScriptedDialogs.h"
#include "support/TempFolder.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace testing_support;
using platform::gui::MsgKind;
namespace fs = std::filesystem;

namespace {

std::vector<std::uint8_t> Bytes(const TConfigCentrale& c) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(&c);
    return {p, p + sizeof c};
}

// An image whose every byte depends on its offset and on a seed, stamped as a current file.
TConfigCentrale Immagine(std::uint8_t seme) {
    TConfigCentrale c;
    auto* p = reinterpret_cast<std::uint8_t*>(&c);
    for (std::size_t i = 0; i < sizeof c; ++i)
        p[i] = std::uint8_t(i * 7 + (i >> 8) * 31 + seme);
    c.IdCentrale = IdVm415;
    c.VersioneCentrale = VersioneFormato11;
    return c;
}

bool HaCodiciRadio(const TConfigCentrale& c) {
    for (const auto& z : c.Zone)
        if (z.CodiceRadio.Byte[0] | z.CodiceRadio.Byte[1] | z.CodiceRadio.Byte[2]) return true;
    for (const auto& k : c.Inseritori)
        if (k.CodiceRadio.Byte[0] | k.CodiceRadio.Byte[1] | k.CodiceRadio.Byte[2]) return true;
    return false;
}

// The main window as the file commands see it: its controls hold an image of their own.
class FinestraFinta : public IFinestraFileConfig {
  public:
    TConfigCentrale Controlli = Immagine(77);
    std::vector<std::string> Caption;
    int CopieDaForm = 0, CopieInForm = 0;
    int Kit = 1;
    TConfigCentrale ImmagineMostrata{};

    void AggiornaConfigDaForm() override {
        ++CopieDaForm;
        ConfigCentrale = Controlli;
        ConfigCentrale.DataOraOrologio = 46000.5;
    }
    void AggiornaFormDaConfig() override {
        ++CopieInForm;
        ImmagineMostrata = ConfigCentrale;
    }
    void ImpostaCaption(const std::string& c) override { Caption.push_back(c); }
    std::string TestoSovrascrivere() const override { return "sovrascrivere?"; }
    int NumProgressivoKit() const override { return Kit; }
    void ImpostaNumProgressivoKit(int v) override { Kit = v; }
};

class FileConfigTest : public testing::Test {
  protected:
    TempFolder dir;
    ScriptedDialogs dialogs;
    FinestraFinta finestra;
    fs::path cartellaPrima = fs::current_path();

    void SetUp() override {
        ConfigCentrale = Immagine(3);
        FileCorrente.clear();
        fs::current_path(dir.Path());
    }
    void TearDown() override {
        platform::SetWriteFunctionForTest(nullptr);
        fs::current_path(cartellaPrima);
        EXPECT_TRUE(dialogs.AllAnswersUsed());
    }
    void ScriviFile(const std::string& nome, const TConfigCentrale& c) { dir.Write(nome, Bytes(c)); }
    std::vector<std::pair<MsgKind, std::string>> Messaggi() const {
        std::vector<std::pair<MsgKind, std::string>> v;
        for (const auto& m : dialogs.Messages())
            v.emplace_back(m.Kind, m.Text);
        return v;
    }
    using Msg = std::vector<std::pair<MsgKind, std::string>>;
};

long DiscoPienoAMeta(int fd, const void* data, std::size_t size) {
    if (size > 1000) return ::write(fd, data, 1000);
    errno = ENOSPC;
    return -1;
}

} // namespace

TEST(RegolaNomeFile, AppendsTheExtensionUnlessTheFourthCharacterFromTheEndIsAPoint) {
    EXPECT_EQ(ApplicaRegolaNomeFile("impianto", ".415"), "impianto.415");
    EXPECT_EQ(ApplicaRegolaNomeFile("impianto.415", ".415"), "impianto.415");
    EXPECT_EQ(ApplicaRegolaNomeFile("plan.txt", ".415"), "plan.txt");
    EXPECT_EQ(ApplicaRegolaNomeFile("a.b", ".415"), "a.b.415");
    EXPECT_EQ(ApplicaRegolaNomeFile("dir.x/ab.cd", ".kit"), "dir.x/ab.cd.kit");
    EXPECT_EQ(ApplicaRegolaNomeFile(".415", ".415"), ".415");
}

// File names reach the program as UTF-8; the rule counts characters, not bytes.
TEST(RegolaNomeFile, CountsCharactersOfAUtf8Name) {
    EXPECT_EQ(ApplicaRegolaNomeFile("rete.et\xC3\xA0", ".415"), "rete.et\xC3\xA0");
    EXPECT_EQ(ApplicaRegolaNomeFile("prezzo.\xE2\x82\xAC", ".415"), "prezzo.\xE2\x82\xAC.415");
    EXPECT_EQ(ApplicaRegolaNomeFile("a.\xC3\xA9z", ".kit"), "a.\xC3\xA9z.kit");
    EXPECT_EQ(ApplicaRegolaNomeFile("\xC3\xA0.b", ".415"), "\xC3\xA0.b.415");
    // A name that is not UTF-8 (Latin-1 bytes) counts one character a byte.
    const std::string latino1 = std::string("x.\xE9") + "ab";
    EXPECT_EQ(ApplicaRegolaNomeFile(latino1, ".415"), latino1);
    EXPECT_EQ(ApplicaRegolaNomeFile("x.a\xB0", ".415"), "x.a\xB0.415");
}

TEST_F(FileConfigTest, ReadReplacesTheImageAndReportsOk) {
    const TConfigCentrale nelFile = Immagine(11);
    ScriviFile("impianto.415", nelFile);
    dialogs.ChooseFile(dir.File("impianto"));
    ComandoLeggiFile(finestra);

    EXPECT_EQ(Bytes(ConfigCentrale), Bytes(nelFile));
    EXPECT_EQ(FileCorrente, dir.File("impianto.415"));
    EXPECT_EQ(finestra.Caption, std::vector<std::string>{"Centrale Vm415 - " + dir.File("impianto.415")});
    EXPECT_EQ(finestra.CopieInForm, 1);
    EXPECT_EQ(Bytes(finestra.ImmagineMostrata), Bytes(nelFile));
    EXPECT_EQ(Messaggi(), (Msg{{MsgKind::Information, "Ok"}}));
    ASSERT_EQ(dialogs.FileDialogs().size(), 1u);
    EXPECT_EQ(dialogs.FileDialogs()[0].Filter, "File Vm415 (*.415)|*.415");
}

TEST_F(FileConfigTest, RefusedFilesLeaveTheImageAndTheOpenFile) {
    TConfigCentrale formato10 = Immagine(11);
    formato10.VersioneCentrale = 10;
    ScriviFile("vecchio.415", formato10);
    TConfigCentrale altroModello = Immagine(11);
    altroModello.IdCentrale = 161;
    ScriviFile("vm409.415", altroModello);
    auto corto = Bytes(Immagine(11));
    corto.pop_back();
    dir.Write("corto.415", corto);
    auto lungo = Bytes(Immagine(11));
    lungo.push_back(0);
    dir.Write("lungo.415", lungo);
    fs::create_directory(dir.File("cartella.415"));

    FileCorrente = dir.File("aperto.415");
    const auto prima = Bytes(ConfigCentrale);
    for (const char* nome :
         {"vecchio.415", "vm409.415", "corto.415", "lungo.415", "manca.415", "cartella.415"}) {
        SCOPED_TRACE(nome);
        dialogs.Clear();
        dialogs.ChooseFile(dir.File(nome));
        ComandoLeggiFile(finestra);
        EXPECT_EQ(Messaggi(), (Msg{{MsgKind::Error, "File Error."}}));
        EXPECT_EQ(Bytes(ConfigCentrale), prima);
        EXPECT_EQ(FileCorrente, dir.File("aperto.415"));
    }
    EXPECT_TRUE(finestra.Caption.empty());
    EXPECT_EQ(finestra.CopieInForm, 0);
}

TEST_F(FileConfigTest, CancelledReadChangesNothing) {
    FileCorrente = "prima.415";
    const auto prima = Bytes(ConfigCentrale);
    dialogs.CancelFile();
    ComandoLeggiFile(finestra);
    EXPECT_EQ(FileCorrente, "prima.415");
    EXPECT_EQ(Bytes(ConfigCentrale), prima);
    EXPECT_TRUE(dialogs.Messages().empty());
}

// With no file open, a refused read leaves none open: Save asks for a name, and the refused file
// keeps what it held.
TEST_F(FileConfigTest, SaveAfterARefusedReadWithNoFileOpenAsksForAName) {
    TConfigCentrale formato10 = Immagine(11);
    formato10.VersioneCentrale = 10;
    ScriviFile("vecchio.415", formato10);
    dialogs.ChooseFile(dir.File("vecchio.415"));
    ComandoLeggiFile(finestra);
    dialogs.Clear();

    dialogs.ChooseFile(dir.File("nuovo"));
    ComandoSalvaApertoFile(finestra);
    EXPECT_EQ(Messaggi(), (Msg{{MsgKind::Information, "Ok"}}));
    ASSERT_EQ(dialogs.FileDialogs().size(), 1u);
    TConfigCentrale atteso = finestra.Controlli;
    atteso.DataOraOrologio = 46000.5;
    EXPECT_EQ(dir.Read("nuovo.415"), Bytes(atteso));
    EXPECT_EQ(dir.Read("vecchio.415"), Bytes(formato10));
    EXPECT_EQ(FileCorrente, dir.File("nuovo.415"));
}

TEST_F(FileConfigTest, AnsweringNoWritesNothingAndCopiesNoControls) {
    const TConfigCentrale nelFile = Immagine(11);
    ScriviFile("impianto.415", nelFile);
    FileCorrente = dir.File("impianto.415");
    const auto prima = Bytes(ConfigCentrale);
    dialogs.AnswerNo();
    ComandoSalvaApertoFile(finestra);
    EXPECT_EQ(dir.Read("impianto.415"), Bytes(nelFile));
    EXPECT_EQ(finestra.CopieDaForm, 0);
    EXPECT_EQ(Bytes(ConfigCentrale), prima);
    EXPECT_EQ(dialogs.Messages().size(), 1u);
}

TEST_F(FileConfigTest, SaveWithoutOpenFileAsksANameAndMakesItCurrent) {
    dialogs.ChooseFile(dir.File("nuovo"));
    ComandoSalvaApertoFile(finestra);
    EXPECT_EQ(Messaggi(), (Msg{{MsgKind::Information, "Ok"}}));
    EXPECT_EQ(FileCorrente, dir.File("nuovo.415"));
    EXPECT_EQ(finestra.Caption, std::vector<std::string>{"Centrale Vm415 - " + dir.File("nuovo.415")});
    EXPECT_EQ(dir.Read("nuovo.415"), Bytes(ConfigCentrale));
    EXPECT_EQ(ConfigCentrale.DataOraOrologio, 46000.5); // the controls were copied, clock included

    dialogs.Clear();
    dialogs.CancelFile();
    FileCorrente.clear();
    ComandoSalvaApertoFile(finestra);
    EXPECT_TRUE(FileCorrente.empty());
    EXPECT_TRUE(dialogs.Messages().empty());
}

TEST_F(FileConfigTest, SaveUnderANewNameKeepsTheCurrentFileAndCaption) {
    FileCorrente = "aperto.415";
    dialogs.ChooseFile(dir.File("copia.txt"));
    ComandoSalvaConNomeFile(finestra);
    EXPECT_TRUE(dir.Exists("copia.txt"));
    EXPECT_FALSE(dir.Exists("copia.txt.415"));
    EXPECT_EQ(FileCorrente, "aperto.415");
    EXPECT_TRUE(finestra.Caption.empty());
    EXPECT_EQ(Messaggi(), (Msg{{MsgKind::Information, "Ok"}}));
}

TEST_F(FileConfigTest, ASaveFailingHalfWayKeepsThePreviousFileAndTheImage) {
    const TConfigCentrale nelFile = Immagine(11);
    ScriviFile("impianto.415", nelFile);
    FileCorrente = dir.File("impianto.415");
    const auto prima = Bytes(ConfigCentrale);
    platform::SetWriteFunctionForTest(&DiscoPienoAMeta);
    dialogs.AnswerYes();
    ComandoSalvaApertoFile(finestra);

    EXPECT_EQ(Messaggi(), (Msg{{MsgKind::Confirmation, dir.File("impianto.415") + " sovrascrivere?"},
                               {MsgKind::Error, "Error"}}));
    EXPECT_EQ(dir.Read("impianto.415"), Bytes(nelFile));
    EXPECT_EQ(Bytes(ConfigCentrale), prima);
    int voci = 0;
    for ([[maybe_unused]] auto& e : fs::directory_iterator(dir.Path()))
        ++voci;
    EXPECT_EQ(voci, 1); // no temporary left behind
}

// Dialog texts are Windows-1252, file names are UTF-8: the name in the question and in the caption
// must be converted, or "città" shows as "cittÃ ".
TEST_F(FileConfigTest, TheFileNameIsShownInWindows1252) {
    const std::string nome = dir.File("citt\xC3\xA0.415");
    const std::string mostrato = dir.File("citt\xE0.415");
    ScriviFile("citt\xC3\xA0.415", Immagine(11));
    dialogs.ChooseFile(nome);
    ComandoLeggiFile(finestra);
    EXPECT_EQ(FileCorrente, nome);
    EXPECT_EQ(finestra.Caption, std::vector<std::string>{"Centrale Vm415 - " + mostrato});

    dialogs.Clear();
    dialogs.AnswerYes();
    ComandoSalvaApertoFile(finestra);
    EXPECT_EQ(Messaggi(),
              (Msg{{MsgKind::Confirmation, mostrato + " sovrascrivere?"}, {MsgKind::Information, "Ok"}}));
    EXPECT_EQ(dir.Read("citt\xC3\xA0.415"), Bytes(ConfigCentrale));

    dialogs.Clear();
    FileCorrente.clear();
    finestra.Caption.clear();
    dialogs.ChooseFile(dir.File("Niccol\xC3\xB2"));
    ComandoSalvaApertoFile(finestra);
    EXPECT_EQ(FileCorrente, dir.File("Niccol\xC3\xB2.415"));
    EXPECT_TRUE(dir.Exists("Niccol\xC3\xB2.415"));
    EXPECT_EQ(finestra.Caption, std::vector<std::string>{"Centrale Vm415 - " + dir.File("Niccol\xF2.415")});
}

TEST_F(FileConfigTest, SaveIntoAMissingFolderReportsError) {
    dialogs.ChooseFile(dir.File("manca/impianto.415"));
    ComandoSalvaConNomeFile(finestra);
    EXPECT_EQ(Messaggi(), (Msg{{MsgKind::Error, "Error"}}));
}

TEST_F(FileConfigTest, KitSaveWritesTheCodesThenClearsThem) {
    ASSERT_TRUE(HaCodiciRadio(finestra.Controlli));
    ComandoSalvaFileKit(finestra);

    TConfigCentrale atteso = finestra.Controlli;
    atteso.DataOraOrologio = 46000.5;
    EXPECT_EQ(dir.Read("Kit_01.415"), Bytes(atteso));
    EXPECT_EQ(finestra.Kit, 2);
    // The image equals the file but for the three code bytes of the 85 zone slots and 16 keypads.
    auto cancellato = Bytes(atteso);
    for (int i = 0; i < 85; ++i)
        std::fill_n(cancellato.begin() + 544 + 40 * i + 37, 3, 0);
    for (int k = 0; k < 16; ++k)
        std::fill_n(cancellato.begin() + 3944 + 21 * k + 18, 3, 0);
    EXPECT_EQ(Bytes(ConfigCentrale), cancellato);
    EXPECT_EQ(Bytes(finestra.ImmagineMostrata), cancellato);
    EXPECT_EQ(Messaggi(), (Msg{{MsgKind::Information, "Ok"}}));
}

TEST_F(FileConfigTest, KitCounterStopsAt99AndAsksBeforeReplacing) {
    finestra.Kit = 99;
    ComandoSalvaFileKit(finestra);
    EXPECT_TRUE(dir.Exists("Kit_99.415"));
    EXPECT_EQ(finestra.Kit, 99);

    dialogs.Clear();
    dialogs.AnswerNo();
    finestra.Controlli.Zone[0].CodiceRadio = {{1, 2, 3}};
    ConfigCentrale = finestra.Controlli;
    const auto prima = dir.Read("Kit_99.415");
    ComandoSalvaFileKit(finestra);
    EXPECT_EQ(Messaggi(), (Msg{{MsgKind::Confirmation, "Kit_99.415 sovrascrivere?"}}));
    EXPECT_EQ(dir.Read("Kit_99.415"), prima);
    EXPECT_TRUE(HaCodiciRadio(ConfigCentrale));

    dialogs.Clear();
    dialogs.AnswerYes();
    ComandoSalvaFileKit(finestra);
    EXPECT_EQ(dir.Read("Kit_99.415")[offsetof(TConfigCentrale, Zone) + offsetof(TConfigZona, CodiceRadio)],
              1);
    EXPECT_EQ(finestra.Kit, 99);
}

TEST_F(FileConfigTest, FailedKitSaveKeepsCounterAndCodes) {
    ConfigCentrale = finestra.Controlli;
    const auto prima = Bytes(ConfigCentrale);
    platform::SetWriteFunctionForTest(&DiscoPienoAMeta);
    ComandoSalvaFileKit(finestra);
    EXPECT_EQ(Messaggi(), (Msg{{MsgKind::Error, "Error"}}));
    EXPECT_EQ(finestra.Kit, 1);
    EXPECT_EQ(Bytes(ConfigCentrale), prima);
    EXPECT_FALSE(dir.Exists("Kit_01.415"));
    EXPECT_EQ(finestra.CopieInForm, 0);
}

namespace {} // namespace

TEST_F(FileConfigTest, EveryCommandRestoresTheCurrentFolder) {
    fs::create_directory(dir.File("altrove"));
    testing_support::FolderMovingDialogs dialoghi(dialogs, dir.File("altrove"));
    const fs::path qui = fs::current_path();

    dialogs.CancelFile();
    ComandoLeggiFile(finestra);
    EXPECT_EQ(fs::current_path(), qui);

    dialogs.ChooseFile("manca.415");
    ComandoLeggiFile(finestra);
    EXPECT_EQ(fs::current_path(), qui);

    dialogs.ChooseFile("salvato");
    ComandoSalvaConNomeFile(finestra);
    EXPECT_EQ(fs::current_path(), qui);
    // The bare name was resolved in the folder the dialog left current.
    EXPECT_TRUE(dir.Exists("altrove/salvato.415"));

    {
        TCartellaCorrente guardia;
        fs::current_path(dir.File("altrove"));
    }
    EXPECT_EQ(fs::current_path(), qui);
}
