// The program's start-up and end: the windows in their order, the splash, the formats, the logo,
// the modem entries, the controls that the image defaults and format 11 reach, the closing.
#include "ProgramWindows.h"

#include "config/ConfigPc.h"
#include "config/FileConfig.h"
#include "config/GetMessage_11.h"
#include "config/GlobalsVar.h"
#include "link/KivModCom.h"
#include "platform/diag/Diagnostica.h"
#include "platform/fs/ReadFile.h"
#include "platform/gui/qt/TMaskEdit.h"
#include "platform/gui/qt/TRadioGroup.h"
#include "platform/gui/qt/TSpinEdit.h"
#include "platform/gui/qt/TUpDown.h"
#include "ui/Applicazione.h"
#include "ui/Attesa.h"
#include "ui/CodaEventi.h"
#include "ui/Collegamento.h"
#include "ui/EventiCid.h"
#include "ui/Formati.h"
#include "ui/FrameRadio.h"
#include "ui/Immagine.h"
#include "ui/ImportaOld.h"
#include "ui/LeggiCodRadio.h"
#include "ui/Opzioni.h"
#include "ui/Password.h"
#include "ui/ServerUdp.h"
#include "ui/Splash.h"
#include "ui/TestModem.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QFrame>
#include <QLabel>
#include <QLoggingCategory>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <sys/stat.h>
#include <thread>

namespace {

class Avvio : public ProgramWindows {
  protected:
    void Avvia() {
        CreaSplash();
        ImpostaTitoloApplicazione("Centrale");
        CreaFinestre();
        MostraMainFrm();
    }
};

// Counts the close events a window receives and notes whether the main window was still showing.
class OsservaChiusura final : public QObject {
  public:
    int chiusure = 0;
    bool mainVisibile = true;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Close) {
            ++chiusure;
            mainVisibile = MainFrm && MainFrm->isVisible();
        }
        return false;
    }
};

} // namespace

TEST_F(Avvio, CreatesTheTenWindowsInOrderAndSetsTheirVariables) {
    CreaSplash();
    ASSERT_NE(SplashForm, nullptr);
    EXPECT_TRUE(SplashForm->isVisible());
    ImpostaTitoloApplicazione("Centrale");

    const std::vector<std::string> ordine = CreaFinestre();
    EXPECT_EQ(ordine, (std::vector<std::string>{"TMainFrm", "TServerUdpFrm", "TOpzioniFrm", "TAttesaFrm",
                                                "TPasswordDlg", "TCodaEventiFrm", "TTestModemFrm",
                                                "TLeggiCodRadioFrm", "TImportaOldFrm", "TEventiCidFrm"}));
    const std::pair<QWidget*, const char*> finestre[] = {
        {MainFrm, "MainFrm"},
        {ServerUdpFrm, "ServerUdpFrm"},
        {OpzioniFrm, "OpzioniFrm"},
        {AttesaFrm, "AttesaFrm"},
        {PasswordDlg, "PasswordDlg"},
        {CodaEventiFrm, "CodaEventiFrm"},
        {TestModemFrm, "TestModemFrm"},
        {LeggiCodRadioFrm, "LeggiCodRadioFrm"},
        {ImportaOldFrm, "ImportaOldFrm"},
        {EventiCidFrm, "EventiCidFrm"},
    };
    for (const auto& [finestra, nome] : finestre) {
        ASSERT_NE(finestra, nullptr) << nome;
        EXPECT_EQ(finestra->objectName(), nome);
        EXPECT_FALSE(finestra->isVisible()) << nome << " is shown before the main window";
    }
    // The main window's creation renamed the application and registered its controls; the splash
    // is still up while the windows are made.
    EXPECT_EQ(TitoloApplicazione(), "Centrale Vm415");
    EXPECT_EQ(ControlliMainFrm(), static_cast<IControlliMainFrm*>(MainFrm));
    EXPECT_TRUE(SplashForm && SplashForm->isVisible());

    DistruggiFinestre();
    EXPECT_EQ(MainFrm, nullptr);
    EXPECT_EQ(AttesaFrm, nullptr);
    EXPECT_EQ(ControlliMainFrm(), nullptr) << "a destroyed main window must not stay registered";
}

TEST_F(Avvio, TheSplashShowsTheLogoAndIsGoneOnceTheMainWindowShows) {
    testing_support::CopyShippedFile("logo.jpg", folder_.Path());
    CreaSplash();
    QPointer<TSplashForm> splash = SplashForm;
    ASSERT_TRUE(splash);
    EXPECT_EQ(splash->size(), QSize(742, 366));
    EXPECT_TRUE(splash->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_FALSE(splash->ImmagineLogo->Vuota());

    FileCorrente = "vecchio.415";
    ImpostaTitoloApplicazione("Centrale");
    CreaFinestre();
    MainFrm->PageControl->setCurrentIndex(5);
    MostraMainFrm();

    EXPECT_EQ(SplashForm, nullptr);
    EXPECT_TRUE(splash.isNull()) << "the splash must be freed, not just hidden";
    EXPECT_TRUE(MainFrm->isVisible());
    EXPECT_EQ(MainFrm->PageControl->currentIndex(), 0);
    EXPECT_TRUE(FileCorrente.empty());
    EXPECT_FALSE(MainFrm->ImmagineLogo->Vuota());
    EXPECT_EQ(MainFrm->OperazioneModemInCorso(), 0);
    EXPECT_TRUE(dialogs_.Messages().empty());
}

TEST_F(Avvio, FormatsAreFixedWhateverTheMachineLocale) {
    const QByteArray lang = qgetenv("LANG");
    qputenv("LANG", "en_US.UTF-8");
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    ASSERT_EQ(QLocale().toString(1234567.5, 'f', 2), "1,234,567.50");

    Avvia();

    EXPECT_EQ(QLocale().toString(1234567.5, 'f', 2), "1.234.567,50");
    bool ok = false;
    EXPECT_DOUBLE_EQ(QLocale().toDouble("1.234,5", &ok), 1234.5);
    EXPECT_TRUE(ok);
    EXPECT_EQ(FormattaNumero(1234567.891, 2), "1.234.567,89");
    EXPECT_EQ(FormattaNumero(-0.5, 1), "-0,5");
    EXPECT_DOUBLE_EQ(LeggiNumero(" 2.500,25 ", &ok), 2500.25);
    EXPECT_TRUE(ok);
    LeggiNumero("12,34.5", &ok);
    EXPECT_FALSE(ok) << "a number in the machine's own form is not the program's";
    EXPECT_EQ(FormattaData(QDate(2024, 3, 5)), "05/03/24");
    EXPECT_EQ(FormattaOra(QTime(7, 5, 59)), "07:05");
    EXPECT_EQ(FormatoProgramma().SeparatoreData, '/');
    EXPECT_EQ(FormatoProgramma().SeparatoreOra, ':');
    EXPECT_EQ(FormatoQt("dd/mm/yy hh:nn"), "dd/MM/yy hh:mm");

    if (lang.isNull())
        qunsetenv("LANG");
    else
        qputenv("LANG", lang);
}

TEST_F(Avvio, AMissingOrBrokenLogoShowsNoPictureAndReportsNothing) {
    Avvia();
    EXPECT_TRUE(MainFrm->ImmagineLogo->Vuota());
    DistruggiFinestre();

    // Half a JPEG: as good as none.
    std::ifstream intero(std::string(VM415_BIN_DIR) + "/logo.jpg", std::ios::binary);
    std::vector<std::uint8_t> byte((std::istreambuf_iterator<char>(intero)),
                                   std::istreambuf_iterator<char>());
    ASSERT_GT(byte.size(), 100u);
    byte.resize(byte.size() / 2);
    folder_.Write("logo.jpg", byte);
    CreaSplash();
    EXPECT_TRUE(SplashForm->ImmagineLogo->Vuota());
    CreaFinestre();
    MostraMainFrm();
    EXPECT_TRUE(MainFrm->ImmagineLogo->Vuota());

    EXPECT_TRUE(dialogs_.Messages().empty());
}

// A data file beside the program that is there but cannot be read.
enum class Guasto { Cartella, Fifo, ErroreLettura };
struct FileGuasto {
    const char* Nome;
    Guasto Come;
};

// The file and its fault ("Lingue_csv_Fifo"): the same test name in every build.
static std::string NomeGuasto(const testing::TestParamInfo<FileGuasto>& info) {
    std::string nome = info.param.Nome;
    std::replace(nome.begin(), nome.end(), '.', '_');
    const char* const guasti[] = {"Cartella", "Fifo", "ErroreLettura"};
    return nome + "_" + guasti[int(info.param.Come)];
}

class FileDatiIlleggibili : public Avvio, public testing::WithParamInterface<FileGuasto> {};

TEST_P(FileDatiIlleggibili, TheProgramStartsWithoutItAndSaysSoOnce) {
    const auto [nome, come] = GetParam();
    for (const char* spedito : {"operatorigsm.csv", "logo.jpg"})
        testing_support::CopyShippedFile(spedito, folder_.Path());
    std::optional<platform::FailedReadsForTest> guasto;
    if (come == Guasto::ErroreLettura) {
        guasto.emplace(folder_.File(nome), EIO);
    } else {
        std::filesystem::remove(folder_.File(nome));
        if (come == Guasto::Cartella) std::filesystem::create_directory(folder_.File(nome));
        if (come == Guasto::Fifo) {
            ASSERT_EQ(::mkfifo(folder_.File(nome).c_str(), 0600), 0);
        }
    }
    std::vector<std::string> righe;
    platform::CatturaDiagnostica cattura([&](std::string_view l) { righe.emplace_back(l); });

    Avvia(); // neither an exception nor a wait on a pipe stops it
    ASSERT_TRUE(MainFrm && MainFrm->isVisible());
    std::vector<std::string> suoi;
    for (const std::string& r : righe)
        if (r.find(folder_.File(nome)) != std::string::npos) suoi.push_back(r);
    ASSERT_EQ(suoi.size(), 1u) << testing::PrintToString(righe);
    EXPECT_EQ(suoi[0].rfind("vm415: ", 0), 0u) << suoi[0];

    const std::string testo = nome;
    if (testo == "Lingue.csv") {
        // Every lookup tells the table is not there, and leaves the text as it was.
        const auto messaggi = dialogs_.Messages();
        ASSERT_FALSE(messaggi.empty());
        const int numero = come == Guasto::Cartella ? EISDIR : come == Guasto::Fifo ? EINVAL : EIO;
        for (const auto& m : messaggi)
            EXPECT_EQ(m.Text, "FILE LINGUA NON TROVATO: Error " + std::to_string(numero));
    } else {
        EXPECT_TRUE(dialogs_.Messages().empty());
        if (testo == "operatorigsm.csv") {
            EXPECT_EQ(MainFrm->SetCodeOperatoreManualeEdit->count(), 0);
        }
        if (testo == "logo.jpg") {
            EXPECT_TRUE(MainFrm->ImmagineLogo->Vuota());
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Avvio, FileDatiIlleggibili,
                         testing::Values(FileGuasto{"Lingue.csv", Guasto::Cartella},
                                         FileGuasto{"Lingue.csv", Guasto::Fifo},
                                         FileGuasto{"Lingue.csv", Guasto::ErroreLettura},
                                         FileGuasto{"operatorigsm.csv", Guasto::Cartella},
                                         FileGuasto{"operatorigsm.csv", Guasto::Fifo},
                                         FileGuasto{"operatorigsm.csv", Guasto::ErroreLettura},
                                         FileGuasto{"logo.jpg", Guasto::Cartella},
                                         FileGuasto{"logo.jpg", Guasto::Fifo},
                                         FileGuasto{"logo.jpg", Guasto::ErroreLettura}),
                         NomeGuasto);

TEST(MessaggiQt, QtsOwnMessagesReachStderrAsTheProgramsLines) {
    std::vector<std::string> log;
    {
        platform::CatturaDiagnostica cattura([&](std::string_view l) { log.emplace_back(l); });
        InstradaMessaggiQt();
        qWarning("QFont: cannot find a font");
        const QLoggingCategory xcb("qt.qpa.xcb");
        qCWarning(xcb, "could not connect to display");
        qInstallMessageHandler(nullptr);
    }
    EXPECT_EQ(log, (std::vector<std::string>{"vm415: Qt: QFont: cannot find a font",
                                             "vm415: qt.qpa.xcb: could not connect to display"}));
}

TEST_F(Avvio, ModemEntriesFollowTheConnectionType) {
    auto voci = [] {
        return std::vector<bool>{MainFrm->MIAttivaConnessioneModem->isVisible(),
                                 MainFrm->MIDisattivaConnessioneModem->isVisible(),
                                 MainFrm->MISepConnessioneModem->isVisible()};
    };
    Avvia();
    EXPECT_EQ(voci(), std::vector<bool>(3, false))
        << "no link settings file: a fresh installation links by cable";
    DistruggiFinestre();

    // The type the link component loaded from its settings file, and the modem flag it is given.
    ScriviComConfig(ConnessioneModem);
    CreaSplash();
    CreaFinestre();
    OpzioniFrm->KivModCom1->ModemSerialePresente = false;
    MostraMainFrm();
    EXPECT_EQ(voci(), std::vector<bool>(3, true));
    EXPECT_TRUE(MainFrm->MISepConnessioneModem->isSeparator());
    EXPECT_TRUE(OpzioniFrm->KivModCom1->ModemSerialePresente);
    DistruggiFinestre();
    EXPECT_EQ(collegamento::Collegamento().TipoConnessione(), collegamento::VoceCavo)
        << "a destroyed link must not stay registered";

    ScriviComConfig(ConnessioneCavo);
    Avvia();
    EXPECT_EQ(voci(), std::vector<bool>(3, false));
}

TEST_F(Avvio, DefaultsAndFormat11ReachTheRealControls) {
    CreaFinestre();
    TMainFrm& m = *MainFrm;
    // As designed, before the window shows.
    EXPECT_TRUE(m.SetTempoPreallarmeSec->isHidden());
    EXPECT_TRUE(m.SetSensoriEsterniInclusi->isHidden());
    EXPECT_FALSE(m.SetSuoneriaSettoreF1->isHidden());
    EXPECT_FALSE(m.SetSimVoceEdit->isEnabled());
    EXPECT_TRUE(m.NumTelCentraleLabel->isHidden());

    MostraMainFrm();
    for (QWidget* w :
         {static_cast<QWidget*>(m.SetTempoPreallarmeSec),
          static_cast<QWidget*>(m.SecondiSuoneriaPreallarmeLabel),
          static_cast<QWidget*>(m.SetTempoSuoneriaEsterniSec),
          static_cast<QWidget*>(m.SecondiTempoSuoneriaEsterniLabel),
          static_cast<QWidget*>(m.SetSensoriEsterniInclusi), static_cast<QWidget*>(m.NumTelCentraleLabel),
          static_cast<QWidget*>(m.SetNumTelefonoCentrale)})
        EXPECT_FALSE(w->isHidden()) << w->objectName().toStdString();
    for (QWidget* w :
         {static_cast<QWidget*>(m.SetSuoneriaSettoreF1), static_cast<QWidget*>(m.SetSuoneriaSettoreF4),
          static_cast<QWidget*>(m.SetAbilitazioneAvvisiSettoreF1),
          static_cast<QWidget*>(m.SetAbilitazioneAvvisiSettoreF4),
          static_cast<QWidget*>(m.SetTempoSuoneriaSec), static_cast<QWidget*>(m.SecondiTempoSuoneriaLabel),
          static_cast<QWidget*>(m.SetSubSonicoPresente)})
        EXPECT_TRUE(w->isHidden()) << w->objectName().toStdString();
    for (QWidget* w :
         {static_cast<QWidget*>(m.SetSimVoceEdit), static_cast<QWidget*>(m.SetInvioSmsCreditoConEiv),
          static_cast<QWidget*>(m.SetTestoFissoSms), static_cast<QWidget*>(m.SetTestoLiberoSmsLabel)})
        EXPECT_TRUE(w->isEnabled()) << w->objectName().toStdString();
}

TEST_F(Avvio, AWorkerReachesTheControlsThroughTheUiThread) {
    CreaFinestre();
    MainFrm->SetSimVoceEdit->setEnabled(false);
    MainFrm->SetSuoneriaSettoreF2->setVisible(true);

    QEventLoop loop;
    QTimer guardia;
    guardia.setSingleShot(true);
    QObject::connect(&guardia, &QTimer::timeout, &loop, [&loop] {
        ADD_FAILURE() << "the worker's calls never reached the UI thread";
        loop.quit();
    });
    guardia.start(20000);
    std::thread worker([&] {
        auto immagine = std::make_unique<TConfigCentrale>();
        ConfigDefault(*immagine);
        AbilitaFunzioniVer11();
        ui_->Post([&loop] { loop.quit(); });
    });
    loop.exec();
    worker.join();

    EXPECT_TRUE(MainFrm->SetSimVoceEdit->isEnabled());
    EXPECT_TRUE(MainFrm->SetSuoneriaSettoreF2->isHidden());
    EXPECT_FALSE(MainFrm->SetTempoPreallarmeSec->isHidden());
}

TEST_F(Avvio, TheWindowIsTranslatedIntoTheConfiguredLanguage) {
    TConfigPc inglese{};
    inglese.Lingua = 1;
    inglese.PortaLocaleGprs = 4000;
    ASSERT_TRUE(SalvaConfigPc(inglese));

    Avvia();

    TMainFrm& m = *MainFrm;
    EXPECT_EQ(m.windowTitle(), "Centrale Vm415 (v. 1.11c)");
    EXPECT_EQ(m.MiRiceviCentrale->text(), "Receive from panel");
    EXPECT_EQ(m.MiEsci->text(), "E&xit");
    EXPECT_EQ(m.MiOpzioniM->title(), m.MiOpzioni->text());
    EXPECT_EQ(m.PageControl->tabText(8), "SIM card");
    EXPECT_EQ(m.SetSimVoceEdit->Items(),
              (std::vector<std::string>{GetMessaggio("STRMAIN_SIMVOCE"), GetMessaggio("STRMAIN_SIMDATI")}));
    EXPECT_EQ(m.StrSovrascrivere, GetMessaggio("STRMAIN_SOVRASCRIVERE"));
    EXPECT_FALSE(m.StrCfgVuota.empty());
    // Every key the window asks for is in the shipped table: a missing one would show a message.
    EXPECT_TRUE(dialogs_.Messages().empty());
}

TEST_F(Avvio, PagesAndMenuKeepTheirNamesAndOrder) {
    CreaFinestre();
    TMainFrm& m = *MainFrm;

    const char* pagine[][3] = {
        {"SheetDatiInstallazione", "ScrollBoxDati", "PanelInst"},
        {"SheetConfigurazioneCentrale", "ScrollBoxCentrale", "PanelCentrale"},
        {"SheetDescrizioneMessaggiCentrale", "ScrollBoxMessaggi", "PanelMessaggi"},
        {"SheetConfigurazioneInseritori", "ScrollBoxInseritori", "PanelInseritori"},
        {"SheetConfigurazioneBidirezionali", "ScrollBoxBidirezionali", "PanelBidirezionali"},
        {"SheetConfigurazioneZoneFilo", "ScrollBoxSensoriFilo", "PanelFilo"},
        {"SheetConfigurazioneZoneRadio", "ScrollBoxSensoriRadio", "PanelRadio"},
        {"SheetConfigurazioneModem", "ScrollBoxModem", "PanelCfgModem"},
        {"SheetConfigurazioneSim", "ScrollBoxSim", nullptr},
        {"SheetConfigurazioneCid", "ScrollBoxContactId", nullptr},
    };
    ASSERT_EQ(m.PageControl->count(), 10);
    for (int i = 0; i < 10; ++i) {
        QWidget* scheda = m.PageControl->widget(i);
        EXPECT_EQ(scheda->objectName(), pagine[i][0]);
        auto* box = scheda->findChild<QScrollArea*>(pagine[i][1]);
        ASSERT_NE(box, nullptr) << pagine[i][1];
        if (pagine[i][2]) {
            ASSERT_NE(box->widget(), nullptr);
            EXPECT_EQ(box->widget()->objectName(), pagine[i][2]);
        }
    }
    EXPECT_EQ(m.ImmagineLogo->parentWidget(), m.PanelInst);
    EXPECT_EQ(m.PanelOnBoard->parentWidget(), m.PanelFilo);
    for (QFrame* p : {m.PanelContactId, m.PanelGprsGen, m.PanelGprs1, m.PanelGprs2})
        EXPECT_TRUE(m.SheetConfigurazioneCid->isAncestorOf(p)) << p->objectName().toStdString();
    EXPECT_EQ(m.PanelInseritori->height(), 680);
    EXPECT_EQ(m.PanelBidirezionali->height(), 680);

    QStringList file;
    for (QAction* a : m.MiFile->actions())
        file << (a->isSeparator() && a->objectName().isEmpty() ? QString("-") : a->objectName());
    EXPECT_EQ(file, (QStringList{"MiLeggiFile", "MiSalvaApertoFile", "MiSalvaConNomeFile", "MiSalvaFileKit",
                                 "MiStampaConfigurazione", "MIImportaFile", "-", "MIAttivaConnessioneModem",
                                 "MIDisattivaConnessioneModem", "MISepConnessioneModem", "MiRiceviCentrale",
                                 "MiInviaCentrale", "MiCodaEventi", "-", "MiEsci"}));
    ASSERT_EQ(m.MiOpzioniM->actions().size(), 1);
    EXPECT_EQ(m.MiOpzioniM->actions()[0], m.MiOpzioni);
    const QList<QAction*> barra = m.MainMenu1->actions();
    ASSERT_EQ(barra.size(), 2);
    EXPECT_EQ(barra[0], m.MiFile->menuAction());
    EXPECT_EQ(barra[1], m.MiOpzioniM->menuAction());
}

TEST(RadioPaging, RowsPerPageAndPages) {
    EXPECT_EQ(TMainFrm::CalcolaZoneRadioPerPagina(50, 105), 1);
    EXPECT_EQ(TMainFrm::CalcolaZoneRadioPerPagina(-20, 105), 1);
    EXPECT_EQ(TMainFrm::CalcolaZoneRadioPerPagina(50 + 106 * 7 - 1, 105), 6);
    EXPECT_EQ(TMainFrm::CalcolaZoneRadioPerPagina(50 + 106 * 7, 105), 7);
    EXPECT_EQ(TMainFrm::CalcolaZoneRadioPerPagina(5000, 105), 10);
    EXPECT_EQ(TMainFrm::CalcolaZoneRadioPerPagina(500, -1), 10)
        << "a row without height must not divide by zero";

    // 1 to 10 rows per page give 60, 30, 20, 15, 12, 10, 9, 8, 7 and 6 pages.
    const int pagine[] = {60, 30, 20, 15, 12, 10, 9, 8, 7, 6};
    for (int z = 1; z <= 10; ++z)
        EXPECT_EQ(TMainFrm::UltimaPaginaRadio(z) + 1, pagine[z - 1]) << z << " rows per page";
}

TEST_F(Avvio, TheRadioPageScrollsToItsLastRowAndNoFurther) {
    Avvia();
    TMainFrm& m = *MainFrm;
    m.PageControl->setCurrentWidget(m.SheetConfigurazioneZoneRadio);
    for (int altezza : {700, 400, 1300, 250}) {
        m.resize(m.width(), altezza);
        QCoreApplication::processEvents();
        const QWidget* ultima = m.FrameSensRadio[std::size_t(m.ZoneRadioPerPagina() - 1)];
        const int fondoRiga = ultima->geometry().bottom() + 1;
        const QScrollBar* barra = m.ScrollBoxSensoriRadio->verticalScrollBar();
        const int fondoScorrimento = barra->maximum() + m.ScrollBoxSensoriRadio->viewport()->height();
        EXPECT_GE(fondoScorrimento, fondoRiga) << altezza << ": the last row can be reached";
        EXPECT_LE(m.PanelRadio->height() - fondoRiga, m.FrameSensRadio[0]->y())
            << altezza << ": " << m.ZoneRadioPerPagina() << " rows, then empty space";
    }
}

TEST(PrimaDimensione, TheDesignSizeHeldToTheScreenAreaLeftFree) {
    const QSize progetto(1180, 760);
    const QMargins cornice(1, 24, 1, 1);
    EXPECT_EQ(TMainFrm::PrimaDimensione(progetto, QRect(0, 0, 1920, 1080), cornice), progetto);
    // A laptop's screen, with a desktop panel taking its part.
    EXPECT_EQ(TMainFrm::PrimaDimensione(progetto, QRect(0, 32, 1366, 736), cornice), QSize(1180, 711));
}

TEST_F(Avvio, TheRadioPageFollowsTheScrollBoxHeight) {
    Avvia();
    TMainFrm& m = *MainFrm;
    m.PageControl->setCurrentWidget(m.SheetConfigurazioneZoneRadio);
    std::set<int> viste;
    for (int altezza : {400, 900, 200}) {
        m.resize(1000, altezza);
        QCoreApplication::processEvents();
        const int client = m.ScrollBoxSensoriRadio->viewport()->height();
        viste.insert(m.ZoneRadioPerPagina());
        EXPECT_EQ(m.ZoneRadioPerPagina(), TMainFrm::CalcolaZoneRadioPerPagina(client, 105)) << altezza;
        EXPECT_EQ(m.SelezPaginaRadio->Max(), TMainFrm::UltimaPaginaRadio(m.ZoneRadioPerPagina()));
        EXPECT_EQ(m.SelezPaginaRadio->Position(), 0);
        EXPECT_EQ(m.PaginaRadio(), 0);
    }
    EXPECT_EQ(viste.size(), 3u) << "each height gives its own number of rows";
    m.SelezPaginaRadio->Step(platform::gui::TUpDown::Direction::Up);
    EXPECT_EQ(m.PaginaRadio(), 1);
    m.SelezPaginaRadio->SetPosition(m.SelezPaginaRadio->Max());
    m.SelezPaginaRadio->Step(platform::gui::TUpDown::Direction::Up);
    EXPECT_EQ(m.SelezPaginaRadio->Position(), m.SelezPaginaRadio->Max()) << "no page past the last";
}

TEST_F(Avvio, ClosingHidesWaitsWithMessagesFlowingAndClosesTheOptionsWindow) {
    Avvia();
    OsservaChiusura osserva;
    OpzioniFrm->installEventFilter(&osserva);
    bool chiusa = false;
    QObject::connect(MainFrm, &TMainFrm::Chiusa, [&chiusa] { chiusa = true; });
    TempiChiusuraMainFrm = {std::chrono::milliseconds(50), std::chrono::milliseconds(50)};
    bool eseguita = false;
    ui_->Post([&eseguita] { eseguita = true; });
    // A second close asked while the first one pauses (the user, the desktop's session end).
    // Qt itself keeps a window from closing inside its own close; the closing must not undo that.
    ui_->Post([] { MainFrm->close(); });

    MainFrm->MiEsci->trigger();

    EXPECT_TRUE(eseguita) << "the closing's pauses must keep processing the program's messages";
    EXPECT_EQ(osserva.chiusure, 1) << "the close asked during the pauses must not run the closing again";
    EXPECT_FALSE(osserva.mainVisibile) << "the window hides before the options window closes";
    EXPECT_FALSE(MainFrm->isVisible());
    EXPECT_TRUE(chiusa);
    EXPECT_TRUE(dialogs_.Messages().empty());

    QCloseEvent ancora;
    QCoreApplication::sendEvent(MainFrm, &ancora);
    EXPECT_TRUE(ancora.isAccepted());
    EXPECT_EQ(osserva.chiusure, 1) << "a closed window does not run its closing twice";
}
