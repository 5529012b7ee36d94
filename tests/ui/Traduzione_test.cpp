// The main window's texts in the chosen language: its lists rebuilt with their items in order,
// the rows' captions and choices, and the radio-code edits shown only when codes may be typed.
#include "ProgramWindows.h"

#include "config/ConfigPc.h"
#include "config/GetMessage_11.h"
#include "platform/gui/qt/QtText.h"
#include "platform/gui/qt/TRadioGroup.h"
#include "ui/FrameBidir.h"
#include "ui/FrameFilo.h"
#include "ui/FrameInser.h"
#include "ui/FrameNumTel.h"
#include "ui/FrameRadio.h"
#include "ui/Main.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTableWidget>

namespace {

class Traduzione : public ProgramWindows {
  protected:
    Traduzione() {
        CreaFinestre();
        MostraMainFrm();
    }
    void InLingua(int Lingua) {
        ConfigPc.Lingua = Lingua;
        MainFrm->TraduciForm();
    }
    static QString Tabella(const char* Chiave) { return platform::gui::FromCp1252(GetMessaggio(Chiave)); }
};

TEST_F(Traduzione, RelayListsHoldTheTwentySevenFunctionsInTheirOrderAfterEveryTranslation) {
    for (int lingua : {1, 2, 1}) {
        InLingua(lingua);
        for (QComboBox* c : {MainFrm->SetAssociazioneReleAux1, MainFrm->SetAssociazioneReleAux2,
                             MainFrm->SetAssociazioneReleAux3}) {
            ASSERT_EQ(c->count(), 27) << c->objectName().toStdString();
            EXPECT_EQ(c->itemText(0), Tabella("STRMAIN_ASSOC_RELE_ON_OFF"));
            EXPECT_EQ(c->itemText(13), Tabella("STRMAIN_ASSOC_RELE_INS_PARZIALE"));
            EXPECT_EQ(c->itemText(26), Tabella("STRMAIN_ASSOC_RELE_SIRENA_ESTERNO"));
        }
    }
    // Rebuilt lists select nothing until the image is copied into them again.
    EXPECT_EQ(MainFrm->SetLingua->currentIndex(), -1);
    EXPECT_EQ(MainFrm->SetLingua->count(), 4);
    EXPECT_EQ(MainFrm->SetTipoTempoSupervisione->count(), 6);
}

TEST_F(Traduzione, TheNinthLineNeverOffersDelayedExternalOrTwentyFourHours) {
    for (int lingua = 0; lingua < 4; ++lingua) {
        InLingua(lingua);
        for (int i = 0; i < 9; ++i) {
            TFrameSensFilo* r = MainFrm->FrameSensFilo[i];
            const bool nona = i == 8;
            EXPECT_EQ(r->TipoProgrZona->Count(), nona ? 2 : 3) << "line " << i + 1;
            EXPECT_EQ(r->SetTipoSensore->Count(), nona ? 2 : 3) << "line " << i + 1;
            EXPECT_EQ(r->TecnologicoZonaAbilitato->isVisibleTo(r), !nona) << "line " << i + 1;
        }
        const std::vector<std::string> nona = MainFrm->FrameSensFilo[8]->TipoProgrZona->Items();
        EXPECT_EQ(nona.back(), GetMessaggio("STRMAIN_ATTIVOISTANTANEO"));
        EXPECT_EQ(MainFrm->FrameSensFilo[8]->SetTipoSensore->Items().back(),
                  GetMessaggio("STRMAIN_SENSPARZIALE"));
    }
}

TEST_F(Traduzione, RadioCodeEditsFollowTheEditableSetting) {
    auto edits = [] {
        std::vector<QLineEdit*> v;
        for (auto* r : MainFrm->FrameInser)
            v.push_back(r->CodiceRadio);
        for (auto* r : MainFrm->FrameBidir)
            v.push_back(r->CodiceRadio);
        for (auto* r : MainFrm->FrameSensRadio)
            v.push_back(r->CodiceRadio);
        return v;
    };
    for (std::uint8_t editabili : {1, 0, 1}) {
        ConfigPc.CodiciRadioEditabili = editabili;
        MainFrm->TraduciFrame();
        for (QLineEdit* e : edits())
            EXPECT_EQ(e->isVisibleTo(e->parentWidget()), editabili == 1) << int(editabili);
    }
}

TEST_F(Traduzione, QtsOwnDialogTextsFollowTheLanguage) {
    auto si = [] { return QCoreApplication::translate("QPlatformTheme", "&Yes"); };
    InLingua(1);
    EXPECT_EQ(si(), "&Yes");
    InLingua(0);
    EXPECT_EQ(si(), QString::fromUtf8("&Sì"));
    InLingua(2);
    EXPECT_EQ(si(), "&Oui");
    InLingua(3);
    EXPECT_EQ(si(), QString::fromUtf8("&Sí"));
}

TEST_F(Traduzione, RowsAndMenusSpeakTheChosenLanguageAndTheCaptionIsFixedWithNoFileOpen) {
    InLingua(1);
    EXPECT_EQ(MainFrm->FrameInser[0]->DescrizioneInserLabel->text(), Tabella("STRMAIN_INSERITORE") + " 01");
    EXPECT_EQ(MainFrm->FrameInser[15]->DescrizioneInserLabel->text(), Tabella("STRMAIN_INSERITORE") + " 16");
    EXPECT_EQ(MainFrm->FrameBidir[9]->DescrizionePerifericaLabel->text(),
              Tabella("STRMAIN_PERIFERICA") + " 10");
    EXPECT_EQ(MainFrm->FrameSensFilo[8]->NumeroZonaLabel->text(), Tabella("STRMAIN_LINEA") + " 9");
    EXPECT_EQ(MainFrm->FrameInser[3]->AbilDisF4->text(), Tabella("STRMAIN_INS_ABIL_DIS_SETTORE") + " F4");
    EXPECT_EQ(MainFrm->FrameNumTel[7]->SetAbilChiamataDirettaTeleAlr->text(), Tabella("STRMAIN_ABILDIRTELE"));
    EXPECT_EQ(MainFrm->SetAssociazioneReleAux3Label->text(), Tabella("STRMAIN_ASSOC_OUT_AUX") + " 3");
    EXPECT_EQ(MainFrm->MsgGrid->rowCount(), 5);
    EXPECT_EQ(MainFrm->MiOpzioniM->title(), MainFrm->MiOpzioni->text());
    EXPECT_EQ(MainFrm->StrCopiaPrec, GetMessaggio("STRMAIN_COPIA_PREC"));
    for (int lingua = 0; lingua < 4; ++lingua) {
        InLingua(lingua);
        EXPECT_EQ(MainFrm->windowTitle(), "Centrale Vm415 (v. 1.11c)");
    }
}

// Save still writes to the open file after the language changed: the caption must keep naming it.
TEST_F(Traduzione, TheCaptionNamesTheOpenFileInEveryLanguage) {
    testing_support::TempFolder documenti;
    TConfigCentrale c{};
    ConfigDefault(c);
    c.IdCentrale = IdVm415;
    c.VersioneCentrale = VersioneFormato11;
    const auto* b = reinterpret_cast<const std::uint8_t*>(&c);
    documenti.Write("Caff\xC3\xA8.415", std::vector<std::uint8_t>(b, b + sizeof c));
    dialogs_.ChooseFile(documenti.File("Caff\xC3\xA8.415"));
    MainFrm->MiLeggiFile->trigger();
    const QString letto = QString::fromUtf8("Centrale Vm415 - " + documenti.File("Caff\xC3\xA8.415"));
    ASSERT_EQ(MainFrm->windowTitle(), letto);
    for (int lingua = 0; lingua < 4; ++lingua) {
        InLingua(lingua);
        EXPECT_EQ(MainFrm->windowTitle(), letto) << lingua;
    }
}

} // namespace
