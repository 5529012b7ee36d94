// The main window's rows: a radio code typed by hand lands, as typed, in the record the row stands
// for and nowhere else; the code edit takes nothing but hexadecimal digits; the copy of the
// previous radio zone; the siren and the bell of a zone that exclude each other.
#include "ProgramWindows.h"

#include "config/ConfigPc.h"
#include "config/GlobalsVar.h"
#include "ui/FrameBidir.h"
#include "ui/FrameFilo.h"
#include "ui/FrameInser.h"
#include "ui/FrameRadio.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <cstring>
#include <gmock/gmock.h>

namespace {

bool ImmaginiUguali(const TConfigCentrale& a, const TConfigCentrale& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

void Premi(QWidget* w, int key, const QString& testo = {}, Qt::KeyboardModifiers mod = Qt::NoModifier) {
    QKeyEvent giu(QEvent::KeyPress, key, mod, testo);
    QCoreApplication::sendEvent(w, &giu);
}

void Tasto(QWidget* w, int key, const QString& testo = {}, Qt::KeyboardModifiers mod = Qt::NoModifier) {
    Premi(w, key, testo, mod);
    QKeyEvent su(QEvent::KeyRelease, key, mod, testo);
    QCoreApplication::sendEvent(w, &su);
}

void Scrivi(QWidget* w, const QString& testo) {
    for (QChar c : testo)
        Tasto(w, c.toUpper().unicode(), QString(c));
}

void Svuota(QLineEdit* e) {
    for (int i = 0; i < 6; ++i)
        Tasto(e, Qt::Key_Backspace, QStringLiteral("\b"));
}

class Righe : public testing::Test {
  protected:
    Righe() {
        std::memset(&ConfigCentrale, 0, sizeof ConfigCentrale);
        ConfigPc.CodiciRadioEditabili = 1;
    }
    ~Righe() override {
        ConfigCentrale = immagine_;
        ConfigPc = pc_;
    }

  private:
    TConfigCentrale immagine_ = ConfigCentrale;
    TConfigPc pc_ = ConfigPc;
};

TEST_F(Righe, ATypedCodeGoesUpperCaseIntoTheRecordOfTheRowAndNowhereElse) {
    ASSERT_EQ(MainFrm, nullptr); // radio rows on page 0
    TFrameInser tastiera;
    tastiera.Tag = 3;
    TFrameBidir periferica;
    periferica.Tag = 15;
    TFrameSensRadio radio;
    radio.Tag = 7;
    using Codice = TCodiceRadio& (*)(TConfigCentrale&);
    const std::pair<righe::TRigaCodiceRadio*, Codice> casi[] = {
        {&tastiera, [](TConfigCentrale& c) -> TCodiceRadio& { return c.Inseritori[3].CodiceRadio; }},
        {&periferica, [](TConfigCentrale& c) -> TCodiceRadio& { return c.Zone[84].CodiceRadio; }},
        {&radio, [](TConfigCentrale& c) -> TCodiceRadio& { return c.Zone[7].CodiceRadio; }},
    };
    for (auto [riga, codice] : casi) {
        SCOPED_TRACE(riga->CodiceRadio->parent()->metaObject()->className());
        const TConfigCentrale prima = ConfigCentrale;
        Svuota(riga->CodiceRadio);
        Scrivi(riga->CodiceRadio, "1g-a00");
        Tasto(riga->CodiceRadio, Qt::Key_V, QString(QChar(0x16)), Qt::ControlModifier);
        Scrivi(riga->CodiceRadio, "f");
        EXPECT_EQ(riga->CodiceRadio->text(), "1A00F");
        EXPECT_TRUE(ImmaginiUguali(ConfigCentrale, prima)) << "five characters are no code yet";

        Scrivi(riga->CodiceRadio, "f");
        EXPECT_EQ(riga->CodiceRadio->text(), "1A00FF");
        TConfigCentrale atteso = prima;
        codice(atteso) = {{0x1A, 0x00, 0xFF}};
        EXPECT_TRUE(ImmaginiUguali(ConfigCentrale, atteso));
    }
}

TEST_F(Righe, ARadioRowPastTheSixtiethZoneWritesNothing) {
    TFrameSensRadio radio;
    radio.Tag = 60; // would be the first wired line
    Svuota(radio.CodiceRadio);
    Scrivi(radio.CodiceRadio, "123456");
    ConfigCentrale.Zone[60].CodiceRadio = {{1, 2, 3}};
    const TConfigCentrale prima = ConfigCentrale;
    radio.CancellaRadioBtn->click();
    Tasto(radio.CodiceRadio, Qt::Key_Delete);
    EXPECT_TRUE(ImmaginiUguali(ConfigCentrale, prima));
}

TEST_F(Righe, DeleteForgetsTheWholeCodeAndNoEditingKeyReachesTheEdit) {
    TFrameInser riga;
    riga.Tag = 0;
    ConfigCentrale.Inseritori[0].CodiceRadio = {{0x1A, 0x00, 0xFF}};
    riga.CodiceRadio->setText("1A00FF");
    Tasto(riga.CodiceRadio, Qt::Key_Home); // swallowed: the cursor stays at the end
    // Only the press: in the window the refresh that follows shows the cleared code before the
    // key comes up, and these rows stand alone.
    Premi(riga.CodiceRadio, Qt::Key_Delete);
    EXPECT_EQ(riga.CodiceRadio->text(), "1A00FF");
    EXPECT_EQ(ConfigCentrale.Inseritori[0].CodiceRadio.Byte[0], 0);
    EXPECT_EQ(ConfigCentrale.Inseritori[0].CodiceRadio.Byte[2], 0);
    Tasto(riga.CodiceRadio, Qt::Key_Backspace, QStringLiteral("\b"));
    EXPECT_EQ(riga.CodiceRadio->text(), "1A00F");
}

TEST_F(Righe, WithCodesNotEditableNothingIsTypedYetCancellaStillForgetsTheCode) {
    ConfigPc.CodiciRadioEditabili = 0;
    TFrameBidir riga;
    riga.Tag = 2;
    ConfigCentrale.Zone[71].CodiceRadio = {{0x12, 0x34, 0x56}};
    const TConfigCentrale prima = ConfigCentrale;
    riga.CodiceRadio->end(false);
    Svuota(riga.CodiceRadio);
    Scrivi(riga.CodiceRadio, "AB");
    Tasto(riga.CodiceRadio, Qt::Key_Home);
    Tasto(riga.CodiceRadio, Qt::Key_Delete);
    EXPECT_EQ(riga.CodiceRadio->text(), "000000");
    EXPECT_TRUE(ImmaginiUguali(ConfigCentrale, prima));

    riga.CancellaRadioBtn->click();
    EXPECT_EQ(ConfigCentrale.Zone[71].CodiceRadio.Byte[0], 0);
    EXPECT_EQ(ConfigCentrale.Zone[71].CodiceRadio.Byte[1], 0);
    EXPECT_EQ(ConfigCentrale.Zone[71].CodiceRadio.Byte[2], 0);
}

template <class Riga> void VerificaSirenaESuoneria() {
    SCOPED_TRACE(Riga::staticMetaObject.className());
    Riga riga;
    QCheckBox* sirena = riga.SetSirenaPerTecnoOExt;
    QCheckBox* suoneria = riga.SetSuoneriaPerTecnoOExt;
    int segnaliSuoneria = 0;
    QObject::connect(suoneria, &QCheckBox::toggled, [&] { ++segnaliSuoneria; });

    suoneria->click();
    sirena->click();
    EXPECT_TRUE(sirena->isChecked());
    EXPECT_FALSE(suoneria->isChecked());
    EXPECT_EQ(segnaliSuoneria, 1) << "the bell was cleared with its handler running";
    sirena->click();
    EXPECT_FALSE(sirena->isChecked());
    EXPECT_FALSE(suoneria->isChecked());

    // An image with both flags, set in the order the image is shown: the bell wins.
    sirena->setChecked(true);
    suoneria->setChecked(true);
    EXPECT_FALSE(sirena->isChecked());
    EXPECT_TRUE(suoneria->isChecked());
}

TEST_F(Righe, SirenAndBellOfAZoneExcludeEachOther) {
    VerificaSirenaESuoneria<TFrameSensFilo>();
    VerificaSirenaESuoneria<TFrameSensRadio>();
}

TEST_F(Righe, CopyFromThePreviousZoneNeedsTheMainWindow) {
    TFrameSensRadio riga;
    riga.Tag = 4;
    ConfigCentrale.Zone[3] = TConfigZona{1, 1, 1, 1, 2, 0, 1, 1, 0, 1, 1, {}, {{1, 2, 3}}};
    const TConfigCentrale prima = ConfigCentrale;
    riga.CopiaDaPrec->click(); // no question can be asked: nothing happens
    EXPECT_TRUE(ImmaginiUguali(ConfigCentrale, prima));
}

class RigheFinestra : public ProgramWindows {
  protected:
    RigheFinestra() { CreaFinestre(); }
    ~RigheFinestra() override { ConfigCentrale = immagine_; }

  private:
    TConfigCentrale immagine_ = ConfigCentrale;
};

TEST_F(RigheFinestra, CopyFromThePreviousZoneAsksThenCopiesItsFiveSettingsOnly) {
    ASSERT_NE(MainFrm, nullptr);
    MainFrm->StrCopiaPrec = "Copiare la zona precedente?";
    TFrameSensRadio riga;
    riga.Tag = 2;
    const int s = MainFrm->PaginaRadio() * MainFrm->ZoneRadioPerPagina() + 2;
    TConfigZona& zona = ConfigCentrale.Zone[s];
    const TConfigZona prec{1, 1, 1, 1, 2, 0, 1, 1, 0, 1, 1, {}, {{1, 2, 3}}};
    ConfigCentrale.Zone[s - 1] = prec;
    zona = TConfigZona{0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, {}, {{4, 5, 6}}};
    MainFrm->AggiornaFormDaConfig();

    dialogs_.AnswerNo();
    const TConfigCentrale prima = ConfigCentrale;
    riga.CopiaDaPrec->click();
    EXPECT_TRUE(ImmaginiUguali(ConfigCentrale, prima));

    dialogs_.AnswerYes();
    riga.CopiaDaPrec->click();
    ASSERT_EQ(dialogs_.Messages().size(), 2u);
    EXPECT_EQ(dialogs_.Messages()[1].Kind, platform::gui::MsgKind::Confirmation);
    EXPECT_EQ(dialogs_.Messages()[1].Text, MainFrm->StrCopiaPrec);
    const std::uint8_t copiati[] = {zona.Attiva, zona.Ritardata, zona.AlertZona, zona.SingoloContatto,
                                    zona.TipoSensore};
    const std::uint8_t restati[] = {zona.TecnologicoZona,       zona.ChimeVocale,
                                    zona.SirenaPerTecnoOExt,    zona.SuoneriaPerTecnoOExt,
                                    zona.AvvisiSmsPerTecnoOExt, zona.AvvisiVocPerTecnoOExt,
                                    zona.CodiceRadio.Byte[0]};
    EXPECT_THAT(copiati, testing::ElementsAre(1, 1, 1, 1, 2));
    EXPECT_THAT(restati, testing::ElementsAre(0, 0, 0, 1, 0, 0, 4));
    EXPECT_EQ(ConfigCentrale.Zone[s - 1].ChimeVocale, prec.ChimeVocale);
}

} // namespace
