// The File menu of the main window, the import window and the kit-code window as a user drives
// them: the caption, the kit counter and the messages they show, and what reaches the files and the
// image through the windows.
#include "ProgramWindows.h"

#include "config/CartellaCorrente.h"
#include "config/FileConfig.h"
#include "config/FileKit.h"
#include "platform/gui/qt/QtText.h"
#include "platform/gui/qt/TSpinEdit.h"
#include "ui/ImportaOld.h"
#include "ui/LeggiCodRadio.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <filesystem>
#include <functional>
#include <tuple>

using platform::gui::MsgKind;
using Byte = std::vector<std::uint8_t>;

namespace {

Byte Bytes(const TConfigCentrale& c) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(&c);
    return {p, p + sizeof c};
}

// A current file as an installer would have made it: the defaults and a few values typed in.
TConfigCentrale ConfigDiProva() {
    TConfigCentrale c{};
    ConfigDefault(c);
    c.DataOraOrologio = 45292.5; // 01/01/24 12:00, not the time of the test
    std::tie(c.IdCentrale, c.VersioneCentrale) = std::pair(IdVm415, VersioneFormato11);
    c.DataInstallazionePc.Scrivi("15/03/24");
    c.DataUltimaModificaPc.Scrivi("02/04/24");
    c.CommentiPc.Scrivi("Negozio via Roma");
    c.TempoSirenaSec = 120;
    c.Zone[3].Descrizione.Scrivi("Ingresso");
    c.Zone[0].CodiceRadio = {{0x12, 0x34, 0x56}};
    return c;
}

bool Codice(const TCodiceRadio& c, int a, int b, int d) {
    return c.Byte[0] == a && c.Byte[1] == b && c.Byte[2] == d;
}

class FileMenu : public ProgramWindows {
  protected:
    FileMenu() {
        CreaFinestre();
        MostraMainFrm();
        // English, so that a translated text is told apart from the design's Italian one.
        ConfigPc.Lingua = 1;
        MainFrm->TraduciForm();
        dialogs_.Clear();
    }
    ~FileMenu() override { EXPECT_TRUE(dialogs_.AllAnswersUsed()); }

    QString Caption() const { return MainFrm->windowTitle(); }
    TConfigCentrale Leggi(const std::string& Nome) const {
        TConfigCentrale c{};
        const Byte b = documenti_.Read(Nome);
        EXPECT_EQ(b.size(), sizeof c) << Nome;
        std::memcpy(&c, b.data(), std::min(b.size(), sizeof c));
        return c;
    }
    // The last message shown since the previous call, as a user reads it.
    QString Messaggio(MsgKind Tipo) {
        const auto m = dialogs_.Messages();
        const bool nuovo = m.size() > visti_;
        visti_ = m.size();
        EXPECT_TRUE(nuovo) << "no message";
        if (!nuovo) return {};
        EXPECT_EQ(m.back().Kind, Tipo) << m.back().Text;
        return platform::gui::FromCp1252(m.back().Text);
    }
    // Shows the import window from the menu; `utente` acts in it and closes it.
    static void ImportaDalMenu(const std::function<void(TImportaOldFrm&)>& utente) {
        QTimer::singleShot(0, ImportaOldFrm, [utente] {
            EXPECT_TRUE(ImportaOldFrm->isVisible());
            utente(*ImportaOldFrm);
            ImportaOldFrm->TerminaBtn->click();
        });
        MainFrm->MIImportaFile->trigger();
        EXPECT_FALSE(ImportaOldFrm->isVisible());
    }

    testing_support::TempFolder documenti_;
    std::size_t visti_ = 0;
};

} // namespace

TEST_F(FileMenu, ReadNamesTheFileInTheCaptionARefusedOneChangesNeitherItNorTheSaveTarget) {
    // A name with characters beyond Latin-1, which the caption must still spell right.
    const std::string buono = documenti_.File("Caffè – Roma.415");
    documenti_.Write("Caffè – Roma.415", Bytes(ConfigDiProva()));
    dialogs_.ChooseFile(buono);
    MainFrm->MiLeggiFile->trigger();
    EXPECT_EQ(Messaggio(MsgKind::Information), "Ok");
    EXPECT_EQ(Caption(), QString::fromUtf8("Centrale Vm415 - " + buono));

    // A file of the older format, chosen without its extension.
    TConfigCentrale vecchio = ConfigDiProva();
    vecchio.VersioneCentrale = 10;
    documenti_.Write("vecchio.415", Bytes(vecchio));
    dialogs_.ChooseFile(documenti_.File("vecchio"));
    MainFrm->MiLeggiFile->trigger();
    EXPECT_EQ(Messaggio(MsgKind::Error), "File Error.");
    EXPECT_EQ(Caption(), QString::fromUtf8("Centrale Vm415 - " + buono)) << "it names the image shown";

    // Save still writes to the file whose image is on show, not over the refused one.
    dialogs_.AnswerNo();
    MainFrm->MiSalvaApertoFile->trigger();
    EXPECT_EQ(Messaggio(MsgKind::Confirmation),
              QString::fromUtf8(buono + " File already exists. Overwrite?"));
    EXPECT_EQ(documenti_.Read("vecchio.415"), Bytes(vecchio));
}

TEST_F(FileMenu, AFileSavedReadAndSavedAgainKeepsItsValues) {
    ConfigCentrale = ConfigDiProva();
    MainFrm->AggiornaFormDaConfig();
    dialogs_.ChooseFile(documenti_.File("negozio"));
    MainFrm->MiSalvaConNomeFile->trigger();
    const TConfigCentrale negozio = Leggi("negozio.415");
    EXPECT_EQ(negozio.CommentiPc.Leggi(), "Negozio via Roma");
    EXPECT_EQ(negozio.Zone[3].Descrizione.Leggi(), "Ingresso");
    EXPECT_EQ(negozio.TempoSirenaSec, 120);

    // Another configuration on show; the file read, then saved under another name.
    ConfigDefault(ConfigCentrale);
    MainFrm->AggiornaFormDaConfig();
    dialogs_.ChooseFile(documenti_.File("negozio.415"));
    MainFrm->MiLeggiFile->trigger();
    const QString letto = Caption();
    dialogs_.ChooseFile(documenti_.File("copia.415"));
    MainFrm->MiSalvaConNomeFile->trigger();
    EXPECT_EQ(Messaggio(MsgKind::Information), "Ok");
    // Each save stamps the panel clock with the PC's time; nothing else may change.
    TConfigCentrale copia = Leggi("copia.415");
    copia.DataOraOrologio = negozio.DataOraOrologio;
    EXPECT_EQ(Bytes(copia), Bytes(negozio));
    EXPECT_EQ(Caption(), letto) << "a save under a new name leaves the caption";

    FileCorrente.clear();
    dialogs_.ChooseFile(documenti_.File("nuovo.415"));
    MainFrm->MiSalvaApertoFile->trigger();
    EXPECT_EQ(Caption(), QString::fromUtf8("Centrale Vm415 - " + documenti_.File("nuovo.415")));
}

// A configuration prepared at the desk, before anything was opened or received, opens again
// whichever save wrote it; until it is opened the window still counts it as nothing loaded.
TEST_F(FileMenu, EverySaveOfAConfigurationNeverLoadedOpensAgain) {
    TCartellaCorrente cartella;
    std::filesystem::current_path(documenti_.Path()); // where the kit save writes
    const struct {
        QAction* Comando;
        std::string File;
        bool ChiedeNome;
    } salvataggi[] = {{MainFrm->MiSalvaApertoFile, "aperto.415", true},
                      {MainFrm->MiSalvaConNomeFile, "nome.415", true},
                      {MainFrm->MiSalvaFileKit, "Kit_01.415", false}};
    for (const auto& s : salvataggi) {
        SCOPED_TRACE(s.File);
        FileCorrente.clear();
        ConfigDefault(ConfigCentrale);
        MainFrm->AggiornaFormDaConfig();
        if (s.ChiedeNome) dialogs_.ChooseFile(documenti_.File(s.File));
        s.Comando->trigger();
        EXPECT_EQ(Messaggio(MsgKind::Information), "Ok");
        Byte atteso = Bytes(ConfigCentrale);
        MainFrm->MiCodaEventi->trigger();
        EXPECT_EQ(Messaggio(MsgKind::Information), platform::gui::FromCp1252(MainFrm->StrCodaNoFileCfg))
            << "the image still holds nothing loaded";
        atteso[offsetof(TConfigCentrale, IdCentrale)] = IdVm415;
        atteso[offsetof(TConfigCentrale, VersioneCentrale)] = VersioneFormato11;
        const Byte scritto = documenti_.Read(s.File);
        EXPECT_EQ(scritto, atteso) << "only the model and the format are stamped";

        dialogs_.ChooseFile(documenti_.File(s.File));
        MainFrm->MiLeggiFile->trigger();
        EXPECT_EQ(Messaggio(MsgKind::Information), "Ok");
        EXPECT_EQ(Bytes(ConfigCentrale), scritto);
    }
}

TEST_F(FileMenu, TheKitSaveNumbersItsFilesFromTheCounter) {
    TCartellaCorrente cartella;
    std::filesystem::current_path(documenti_.Path());
    platform::gui::TSpinEdit& contatore = *MainFrm->EditNumProgressivoKit;
    ConfigCentrale = ConfigDiProva();
    MainFrm->AggiornaFormDaConfig();
    MainFrm->MiSalvaFileKit->trigger();
    EXPECT_EQ(Messaggio(MsgKind::Information), "Ok");
    EXPECT_TRUE(Codice(Leggi("Kit_01.415").Zone[0].CodiceRadio, 0x12, 0x34, 0x56)) << "this panel's codes";
    EXPECT_TRUE(Codice(ConfigCentrale.Zone[0].CodiceRadio, 0, 0, 0)) << "none for the next panel";
    EXPECT_EQ(contatore.Value(), 2);

    // A number still being typed is taken within the counter's range.
    contatore.SetText("0");
    dialogs_.AnswerYes();
    MainFrm->MiSalvaFileKit->trigger();
    EXPECT_FALSE(documenti_.Exists("Kit_00.415"));
    EXPECT_EQ(contatore.Value(), 2) << "Kit_01.415 was written again";

    contatore.SetValue(99);
    MainFrm->MiSalvaFileKit->trigger();
    EXPECT_TRUE(documenti_.Exists("Kit_99.415"));
    EXPECT_EQ(contatore.Value(), 99);
}

TEST_F(FileMenu, TheImportWindowConvertsAndSpeaksTheLanguageOfEachShowing) {
    Byte ver10(3480, 0);
    ver10[4] = 164;
    ver10[5] = 10;
    documenti_.Write("dog.415", ver10);
    documenti_.Write("nuovo.415", Bytes(ConfigDiProva()));
    ImportaDalMenu([this](TImportaOldFrm& f) {
        EXPECT_EQ(f.windowTitle(), "Import file");
        EXPECT_EQ(f.LabelVersioniCompatibili1->text(), "Compatible versions:");
        EXPECT_EQ(f.ConvertiFileBtn->text(), "Convert file");
        dialogs_.ChooseFile(documenti_.File("dog.415"));
        f.ConvertiFileBtn->click();
        EXPECT_EQ(Messaggio(MsgKind::Information), "File converted successfully");
        EXPECT_EQ(documenti_.Read("dog.1.11c.415").size(), sizeof(TConfigCentrale));
    });

    ConfigPc.Lingua = 3;
    ImportaDalMenu([this](TImportaOldFrm& f) {
        dialogs_.ChooseFile(documenti_.File("nuovo.415"));
        f.ConvertiFileBtn->click();
        EXPECT_EQ(Messaggio(MsgKind::Error), QString::fromUtf8("Archivo de origen ilegible o no válido"));
    });
}

TEST_F(FileMenu, TheKitCodeWindowCopiesOneKitAtATimeIntoTheImage) {
    TLeggiCodRadioFrm& f = *LeggiCodRadioFrm;
    f.show();

    // Three kits; kit N's zone code z is (N, z, 0), keypad code k is (N, k, 1).
    Byte kit(sizeof(TFileKit), 0);
    kit[0] = 50;
    kit[4] = 16;
    kit[80] = 3;
    for (std::uint8_t n = 1, *r = &kit[364]; n <= 3; ++n, r += 210) {
        for (std::uint8_t z = 0; z < 50; ++z)
            std::memcpy(r + 3 * z, Byte{n, z, 0}.data(), 3);
        for (std::uint8_t k = 0; k < 16; ++k)
            std::memcpy(r + 150 + 3 * k, Byte{n, k, 1}.data(), 3);
    }
    documenti_.Write("lotto.kit", kit);
    dialogs_.ChooseFile(documenti_.File("lotto"));
    f.LeggiFileKitBtn->click();
    EXPECT_EQ(Messaggio(MsgKind::Information), "Ok");
    EXPECT_EQ(f.EditNumKit->Value(), 1);
    f.CaricaBtn->click();
    EXPECT_TRUE(Codice(ConfigCentrale.Zone[49].CodiceRadio, 1, 49, 0));
    EXPECT_TRUE(Codice(ConfigCentrale.Inseritori[15].CodiceRadio, 1, 15, 1));
    EXPECT_EQ(f.EditNumKit->Value(), 2);

    // The kit the user typed; the last one stays shown, and a kit that is not there is not copied.
    for (const char* digitato : {"3", "7"}) {
        f.EditNumKit->SetText(digitato);
        f.CaricaBtn->click();
        EXPECT_TRUE(Codice(ConfigCentrale.Zone[7].CodiceRadio, 3, 7, 0)) << digitato;
        EXPECT_EQ(f.EditNumKit->Value(), 3) << digitato;
    }
}
