// What a user sees of the windows in each of the four languages: no language key instead of a
// text, no caption cut by its control, no controls lying on each other. First the check itself,
// on windows made to fail it and on one that must pass it.
#include "ProgramWindows.h"

#include "config/ConfigPc.h"
#include "link/KivFormModComFrm.h"
#include "link/KivModCom.h"
#include "link/KivTestModemFrm.h"
#include "support/qt/Aspetto.h"
#include "ui/Attesa.h"
#include "ui/CodaEventi.h"
#include "ui/EventiCid.h"
#include "ui/ImportaOld.h"
#include "ui/LeggiCodRadio.h"
#include "ui/TestModem.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableWidget>
#include <gmock/gmock.h>
#include <map>
#include <set>

using testing_support::ControllaAspetto;
using testing_support::Elenco;
using testing_support::ProblemaAspetto;
using testing_support::TipoProblema;

namespace {

const char* const Lingue[] = {"Italian", "English", "French", "Spanish"};

template <class W> W* Metti(W* w, const char* nome, QRect dove) {
    w->setObjectName(QString::fromLatin1(nome));
    w->setGeometry(dove);
    return w;
}

std::map<QString, std::set<TipoProblema>> PerControllo(const std::vector<ProblemaAspetto>& problemi) {
    std::map<QString, std::set<TipoProblema>> m;
    for (const ProblemaAspetto& p : problemi)
        m[p.Controllo].insert(p.Tipo);
    return m;
}

void Verifica(const QWidget& finestra, int lingua) {
    const auto problemi = ControllaAspetto(finestra, {QString::fromLatin1(Lingue[lingua])});
    EXPECT_TRUE(problemi.empty()) << Elenco(problemi);
}

class Aspetto : public ProgramWindows {};

} // namespace

TEST(ControlloAspetto, FindsKeysEmptyCaptionsCutTextsAndOverlapsTheUserCanSee) {
    QWidget f;
    f.setObjectName("Prova");
    f.setWindowTitle("STRPROVA_TITOLO");
    f.resize(420, 320);
    Metti(new QLabel("Lingua", &f), "Intera", {10, 10, 100, 18});
    Metti(new QLabel("Una descrizione troppo lunga", &f), "Tagliata", {10, 30, 60, 18});
    Metti(new QLabel("STRMAIN_FILE", &f), "Grezza", {10, 50, 150, 18});
    Metti(new QPushButton("Uno", &f), "Uno", {10, 80, 80, 26});
    Metti(new QPushButton("Due", &f), "Due", {60, 95, 80, 26});
    // A border drawn under the controls it encloses frames them.
    Metti(new QFrame(&f), "Cornice", {195, 5, 110, 30})->setFrameShape(QFrame::Box);
    Metti(new QCheckBox(&f), "Casella", {200, 10, 100, 20});
    Metti(new QLabel(&f), "SpazioVoluto", {200, 40, 100, 18});
    Metti(new QLabel("STRNASCOSTA", &f), "Nascosta", {300, 40, 100, 18})->hide();
    Metti(new QLabel("STRFUORI", &f), "Fuori", {500, 10, 100, 18});
    Metti(new QGroupBox("Tipo di collegamento", &f), "Gruppo", {310, 40, 60, 60});
    auto* lingue = Metti(new QComboBox(&f), "Lingue", {200, 70, 90, 24});
    lingue->addItems({"Italiano", "Configuración de comunicación"});
    auto* schede = Metti(new QTabWidget(&f), "Schede", {10, 140, 150, 60});
    schede->addTab(new QWidget, "Dati Installazione");
    schede->addTab(new QWidget, "Configurazione Centrale");
    // Scrolled out of view, the cut text is still there for the user to scroll to.
    auto* area = Metti(new QScrollArea(&f), "Area", {200, 140, 150, 100});
    auto* contenuto = Metti(new QWidget, "Contenuto", {0, 0, 130, 600});
    Metti(new QRadioButton("Un testo lungo in fondo", contenuto), "InFondo", {10, 560, 60, 18});
    area->setWidget(contenuto);
    f.show();

    const auto problemi = ControllaAspetto(f, {"Inglese", {"SpazioVoluto"}});
    EXPECT_EQ(PerControllo(problemi), (std::map<QString, std::set<TipoProblema>>{
                                          {"Prova", {TipoProblema::ChiaveGrezza}},
                                          {"Tagliata", {TipoProblema::TestoTagliato}},
                                          {"Grezza", {TipoProblema::ChiaveGrezza}},
                                          {"Uno", {TipoProblema::Sovrapposizione}},
                                          {"Casella", {TipoProblema::TestoVuoto}},
                                          {"Lingue", {TipoProblema::TestoTagliato}},
                                          {"Gruppo", {TipoProblema::TestoTagliato}},
                                          {"Schede", {TipoProblema::TestoTagliato}},
                                          {"InFondo", {TipoProblema::TestoTagliato}},
                                      }))
        << Elenco(problemi);
    for (const ProblemaAspetto& p : problemi) {
        // Braces: the assertion macros end in an if-else of their own.
        if (p.Controllo == "Tagliata") {
            EXPECT_THAT(p.Descrizione(),
                        testing::StartsWith("Prova [Inglese]: clipped text: Tagliata (QLabel) "
                                            "\"Una descrizione troppo lunga\": needs "));
        }
        if (p.Controllo == "Uno") {
            EXPECT_THAT(p.Descrizione(), testing::HasSubstr("Due (QPushButton)"));
        }
        if (p.Controllo == "Lingue") {
            EXPECT_EQ(p.Testo, "Configuración de comunicación");
        }
    }
}

TEST(ControlloAspetto, ATidyWindowHasNothingToReport) {
    QWidget f;
    f.setObjectName("Ordinata");
    f.setWindowTitle("Opzioni");
    f.resize(420, 320);
    Metti(new QLabel("Porta locale GPRS (UDP)", &f), "Etichetta", {10, 10, 180, 16});
    Metti(new QLabel("Destra", &f), "ADestra", {10, 30, 180, 16})->setAlignment(Qt::AlignRight);
    Metti(new QCheckBox("Codici radio modificabili", &f), "Casella", {10, 50, 180, 17});
    // Narrower than the style's least width for a button, yet its caption fits.
    Metti(new QPushButton("OK", &f), "Ok", {10, 80, 75, 25});
    Metti(new QPushButton("&Salva", &f), "Salva", {100, 80, 90, 25});
    auto* c = Metti(new QComboBox(&f), "Lingua", {10, 120, 140, 24});
    c->addItems({"Italiano", "Inglese", "Francese", "Spagnolo"});
    auto* g = Metti(new QGroupBox("Connessione", &f), "Gruppo", {200, 10, 200, 100});
    Metti(new QRadioButton("Via Cavo", g), "Cavo", {10, 25, 150, 20});
    auto* schede = Metti(new QTabWidget(&f), "Schede", {10, 160, 400, 150});
    schede->addTab(new QWidget, "Dati Installazione");
    schede->addTab(new QWidget, "Zone Filo");
    f.show();

    const auto problemi = ControllaAspetto(f);
    EXPECT_TRUE(problemi.empty()) << Elenco(problemi);
}

// The language is changed as the options window leaves it, and the window translated as after it
// closes. The main window's pages come one at a time; what shows on every page (menu, tabs) is
// listed once per language, and rows alike on one page once per page.
TEST_F(Aspetto, EveryPageOfTheMainWindowInEveryLanguage) {
    // Radio groups the design leaves untitled: their items carry the texts.
    const QStringList senzaTitolo{"SetUscitaAux1Nc",          "SetUscitaAux2Nc",         "SetUscitaAux3Nc",
                                  "SetTipoRichiestaCredito",  "TipoProgrZona",           "SetTipoSensore",
                                  "SetCidInvioLinkTest1Edit", "SetCidInvioLinkTest2Edit"};
    CreaFinestre();
    MostraMainFrm();
    TMainFrm& m = *MainFrm;
    for (int lingua = 0; lingua < 4; ++lingua) {
        ConfigPc.Lingua = lingua;
        m.TraduciForm();
        m.AggiornaFormDaConfig();
        std::set<std::pair<int, std::string>> visti;
        std::vector<ProblemaAspetto> nuovi;
        for (int i = 0; i < m.PageControl->count(); ++i) {
            QWidget* pagina = m.PageControl->widget(i);
            m.PageControl->setCurrentIndex(i);
            QCoreApplication::processEvents();
            for (ProblemaAspetto& p :
                 ControllaAspetto(m, {QString::fromLatin1(Lingue[lingua]), senzaTitolo})) {
                const auto* w = qobject_cast<const QWidget*>(p.Oggetto);
                const int dove = w && pagina->isAncestorOf(w) ? i : -1;
                if (!visti.insert({dove, p.Descrizione()}).second) continue;
                if (dove >= 0) p.Contesto += QStringLiteral(", page ") + pagina->objectName();
                nuovi.push_back(std::move(p));
            }
        }
        EXPECT_TRUE(nuovi.empty()) << Elenco(nuovi);
    }
}

TEST_F(Aspetto, TheOptionsLinkSettingsAndWaitWindowsInEveryLanguage) {
    ScriviComConfig(ConnessioneModem); // a modem link: the link settings window shows all its controls
    CreaFinestre();
    MostraMainFrm();
    for (int lingua = 0; lingua < 4; ++lingua) {
        ConfigPc.Lingua = lingua;
        // Each window's showing puts its texts into the language; the options window's gives the
        // link component the texts of the link settings window.
        OpzioniFrm->show();
        Verifica(*OpzioniFrm, lingua);
        {
            TKivModComDialogo link(*OpzioniFrm->KivModCom1->FormModCom(), OpzioniFrm);
            link.show();
            ASSERT_TRUE(link.findChild<QPushButton*>("TestSegnaleModemBtn")->isVisible());
            Verifica(link, lingua);
            TKivTestModemFrm segnale(*OpzioniFrm->KivModCom1->FormModCom(), &link);
            segnale.show();
            Verifica(segnale, lingua);
        }
        TestModemFrm->show();
        Verifica(*TestModemFrm, lingua);
        TestModemFrm->hide();
        OpzioniFrm->hide();
        AttesaFrm->show();
        Verifica(*AttesaFrm, lingua);
        AttesaFrm->hide();
    }
    EXPECT_TRUE(dialogs_.Messages().empty()) << "every text is in the shipped table";
}

TEST_F(Aspetto, TheImportAndKitCodeWindowsInEveryLanguage) {
    CreaFinestre();
    MostraMainFrm();
    for (int lingua = 0; lingua < 4; ++lingua) {
        ConfigPc.Lingua = lingua;
        ImportaOldFrm->show();
        Verifica(*ImportaOldFrm, lingua);
        ImportaOldFrm->hide();
        // Its texts are its design's, the same in every language.
        LeggiCodRadioFrm->show();
        Verifica(*LeggiCodRadioFrm, lingua);
        LeggiCodRadioFrm->hide();
    }
    EXPECT_TRUE(dialogs_.Messages().empty()) << "every text is in the shipped table";
}

// The event list with an event of every type and source kind, the longest names the image allows:
// besides the window's own check, no cell and no column title is cut by its column.
TEST_F(Aspetto, TheEventQueueWindowInEveryLanguage) {
    CreaFinestre();
    MostraMainFrm();
    const TConfigCentrale immagine = ConfigCentrale;
    ConfigCentrale.Zone[3].Descrizione.Scrivi("WWWWWWWWWWWWWWWWWWWWWWWWW");
    ConfigCentrale.Inseritori[2].Descrizione.Scrivi("WWWWWWWWWWWWWWWW");
    TCodaEventi& coda = CodaEventiFrm->Coda;
    coda.NumEventi = 0;
    for (int t : {1, 2, 3, 4, 5, 6, 11, 18, 27, 32, 33, 38, 43, 50, 101, 106, 107, 111, 113, 114})
        for (int d : {3, 2, 200, 202, 207, 210, 212, 215, 216}) {
            TEventoCoda& e = coda.Eventi[coda.NumEventi++];
            e.Tipo = std::uint8_t(t);
            e.Descrittore = std::uint8_t(d);
            e.DataOra = 45000.75 + coda.NumEventi;
        }
    for (int lingua = 0; lingua < 4; ++lingua) {
        ConfigPc.Lingua = lingua;
        CodaEventiFrm->show();
        CodaEventiFrm->MostraCodaEventi();
        Verifica(*CodaEventiFrm, lingua);
        const QTableWidget& g = *CodaEventiFrm->CodaEventiGrid;
        const int griglia = g.showGrid() ? 1 : 0;
        for (int c = 0; c < g.columnCount(); ++c) {
            EXPECT_LE(g.horizontalHeader()->sectionSizeHint(c), g.columnWidth(c))
                << Lingue[lingua] << " title " << c;
            for (int r = 0; r < g.rowCount(); ++r)
                ASSERT_LE(g.sizeHintForIndex(g.model()->index(r, c)).width() + griglia, g.columnWidth(c))
                    << Lingue[lingua] << " \"" << g.item(r, c)->text().toStdString() << "\"";
        }
        // It widens with its columns, as far as the screen goes (past it, the list scrolls sideways).
        EXPECT_LE(CodaEventiFrm->frameGeometry().width(),
                  CodaEventiFrm->screen()->availableGeometry().width())
            << Lingue[lingua];
        CodaEventiFrm->hide();
    }
    ConfigCentrale = immagine;
    EXPECT_TRUE(dialogs_.Messages().empty()) << "every text is in the shipped table";
}

// Besides the window's own check, every event name and code fits its column and all the rows show.
TEST_F(Aspetto, TheContactIdTablesEditorInEveryLanguage) {
    CreaFinestre();
    MostraMainFrm();
    for (int lingua = 0; lingua < 4; ++lingua) {
        ConfigPc.Lingua = lingua;
        EventiCidFrm->show();
        Verifica(*EventiCidFrm, lingua);
        const QTableWidget& g = *EventiCidFrm->AssociazioneEventiCid;
        for (int r = 0; r < g.rowCount(); ++r)
            for (int c = 0; c < g.columnCount(); ++c)
                EXPECT_LE(g.sizeHintForIndex(g.model()->index(r, c)).width() + 1, g.columnWidth(c))
                    << Lingue[lingua] << " \"" << g.item(r, c)->text().toStdString() << "\"";
        EXPECT_EQ(g.verticalScrollBar()->maximum(), 0) << Lingue[lingua];
        EventiCidFrm->hide();
    }
    EXPECT_TRUE(dialogs_.Messages().empty()) << "every text is in the shipped table";
}
