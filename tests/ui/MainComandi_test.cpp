// The main window's own commands: the surveillance numbers' key filter, the event-queue entry's
// questions, the wheel that scrolls the page on show, and the default descriptions.
#include "ProgramWindows.h"

#include "config/GetMessage_11.h"
#include "config/GlobalsVar.h"
#include "platform/gui/qt/TMaskEdit.h"
#include "ui/Main.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QWheelEvent>

namespace {

class MainComandi : public ProgramWindows {
  protected:
    MainComandi() : salvata_(ConfigCentrale) {
        CreaFinestre();
        MostraMainFrm();
        dialogs_.Clear();
    }
    ~MainComandi() override { ConfigCentrale = salvata_; }

    static void Digita(QWidget* w, const QString& Testo) {
        for (QChar c : Testo) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(w, &press);
        }
    }
    static void Rotella(QWidget* w, int Delta, Qt::KeyboardModifiers Tasti = Qt::NoModifier) {
        const QPointF centro(w->width() / 2.0, w->height() / 2.0);
        QWheelEvent e(centro, w->mapToGlobal(centro), QPoint(), QPoint(0, Delta), Qt::NoButton, Tasti,
                      Qt::NoScrollPhase, false);
        QApplication::sendEvent(w, &e);
    }

  private:
    TConfigCentrale salvata_;
};

TEST_F(MainComandi, SurveillanceNumbersTakeDigitsAndCommasOnly) {
    for (platform::gui::TMaskEdit* e : {MainFrm->SetTelVigilanza1Edit, MainFrm->SetTelVigilanza2Edit}) {
        e->SetText("");
        Digita(e, "1a-2 ,3x");
        EXPECT_EQ(e->Text(), "12,3") << e->objectName().toStdString();
        QKeyEvent indietro(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier, QStringLiteral("\b"));
        QApplication::sendEvent(e, &indietro);
        EXPECT_EQ(e->Text(), "12,");
    }
}

TEST_F(MainComandi, EventQueueWithNothingLoadedOnlyTellsAndWithAnImageAsksFirst) {
    MainFrm->MiCodaEventiClick();
    ASSERT_EQ(dialogs_.Messages().size(), 1u);
    EXPECT_EQ(dialogs_.Messages()[0].Text, MainFrm->StrCodaNoFileCfg);

    dialogs_.Clear();
    ConfigCentrale.IdCentrale = 164;
    ConfigCentrale.VersioneCentrale = 11;
    dialogs_.AnswerNo();
    MainFrm->MiCodaEventiClick();
    ASSERT_EQ(dialogs_.Messages().size(), 1u);
    EXPECT_EQ(dialogs_.Messages()[0].Text, MainFrm->StrCodaFileCfgOk);
    EXPECT_TRUE(dialogs_.AllAnswersUsed());
}

TEST_F(MainComandi, TheWheelScrollsThePageOnShowNeverTheListUnderTheMouse) {
    MainFrm->PageControl->setCurrentWidget(MainFrm->SheetConfigurazioneZoneRadio);
    // Too low for even one radio row, too narrow for a row's width.
    MainFrm->resize(600, 220);
    QApplication::processEvents();
    QScrollBar* verticale = MainFrm->ScrollBoxSensoriRadio->verticalScrollBar();
    QScrollBar* orizzontale = MainFrm->ScrollBoxSensoriRadio->horizontalScrollBar();
    ASSERT_GT(verticale->maximum(), 0);
    ASSERT_GT(orizzontale->maximum(), 0);

    // Over a list of another page's panel nothing but the page moves.
    QComboBox* lista = MainFrm->SetAssociazioneReleAux1;
    lista->setCurrentIndex(3);
    Rotella(lista, -120);
    EXPECT_EQ(lista->currentIndex(), 3);
    EXPECT_GT(verticale->value(), 0);
    const int giu = verticale->value();
    Rotella(MainFrm->ScrollBoxSensoriRadio->viewport(), 120);
    EXPECT_LT(verticale->value(), giu);

    Rotella(MainFrm->ScrollBoxSensoriRadio->viewport(), -120, Qt::ShiftModifier);
    EXPECT_GT(orizzontale->value(), 0);
}

TEST_F(MainComandi, DefaultDescriptionsNameEveryRecordAndFitTheirFields) {
    ConfigCentrale.Zone[PrimaZonaRadio].Descrizione.Scrivi("Sensore radio del piano");
    ConfigCentrale.Zone[PrimaZonaFilo].Descrizione.Scrivi("Linea");
    MainFrm->AggiornaFormDaConfig();
    MainFrm->TraduciBtnClick();

    EXPECT_EQ(ConfigCentrale.Zone[PrimaZonaFilo + 8].Descrizione.Leggi(), "Linea 09");
    // 23 characters and " 12" make 26: the field keeps 25.
    EXPECT_EQ(ConfigCentrale.Zone[PrimaZonaRadio + 11].Descrizione.Leggi(), "Sensore radio del piano 1");
    EXPECT_EQ(ConfigCentrale.Inseritori[15].Descrizione.Leggi(), GetMessaggio("STRMAIN_INSERITORE") + " 16");
    EXPECT_EQ(ConfigCentrale.Zone[PrimoBidirezionale].Descrizione.Leggi(),
              GetMessaggio("STRMAIN_PERIFERICA") + " 01");
    EXPECT_EQ(ConfigCentrale.DescrizioneMessaggio[4].Leggi(), GetMessaggio("STRMSG_MSGNUM004"));
    ASSERT_FALSE(dialogs_.Messages().empty());
    EXPECT_EQ(dialogs_.Messages().back().Text, "Ok");
}

} // namespace
