#include "ui/Main.h"

#include "config/ConfigPc.h"
#include "config/FileConfig.h"
#include "config/GetMessage_11.h"
#include "platform/diag/Diagnostica.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/qt/LogoImage.h"
#include "platform/gui/qt/TMaskEdit.h"
#include "platform/gui/qt/TRadioGroup.h"
#include "platform/gui/qt/TSpinEdit.h"
#include "platform/gui/qt/TUpDown.h"
#include "platform/thread/Thread.h"
#include "ui/Applicazione.h"
#include "ui/Collegamento.h"
#include "ui/Formati.h"
#include "ui/FrameRadio.h"
#include "ui/Immagine.h"
#include "ui/OperazioniCentrale.h"
#include "ui/Opzioni.h"
#include "ui/Splash.h"
#include "ui/Testi.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QResizeEvent>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QShowEvent>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <QWindow>
#include <algorithm>

TMainFrm* MainFrm = nullptr;
TTempiChiusura TempiChiusuraMainFrm;

namespace {

constexpr int MaxZoneRadioPerPagina = 10;
// Design height of a radio-zone row; the rows themselves are built at run time.
constexpr int AltezzaDesignRigaRadio = 105;
constexpr int AltezzaPannelliRighe = 680;
// The window's client size in its design.
constexpr QSize DimensioneProgetto(1180, 760);
// Room for the window's frame (title bar and borders) for as long as the desktop has not told the
// real one: as much as the usual desktops' frames take, or more.
constexpr QMargins CorniceStimata(8, 40, 8, 12);

QFrame* NuovoPannello(QWidget* Parent, const char* Nome, int Larghezza, int Altezza) {
    auto* p = Nominato(new QFrame(Parent), Nome);
    p->setFrameShape(QFrame::NoFrame);
    p->setFixedSize(Larghezza, Altezza);
    return p;
}

} // namespace

TMainFrm::TMainFrm(QWidget* parent) : QMainWindow(parent) {
    setObjectName("MainFrm");
    setWindowTitle("Centrale Vm415");
    resize(DimensioneProgetto);
    CreaMenu();
    CreaPagine();
    CreaControlli();
    CollegaComandi();
    RegistraControlliMainFrm(this);
    FormCreate();
}

TMainFrm::~TMainFrm() {
    if (ControlliMainFrm() == this) RegistraControlliMainFrm(nullptr);
    if (MainFrm == this) MainFrm = nullptr;
}

// ---- Design ------------------------------------------------------------------------------------

void TMainFrm::CreaMenu() {
    MainMenu1 = Nominato(menuBar(), "MainMenu1");
    auto voce = [this](QMenu* Menu, const char* Nome, const char* Caption, void (TMainFrm::*Gestore)()) {
        QAction* a = Nominato(new QAction(QString::fromLatin1(Caption), this), Nome);
        Menu->addAction(a);
        connect(a, &QAction::triggered, this, Gestore);
        return a;
    };

    MiFile = Nominato(MainMenu1->addMenu("File"), "MiFile");
    MiLeggiFile = voce(MiFile, "MiLeggiFile", "Leggi File", &TMainFrm::MiLeggiFileClick);
    MiSalvaApertoFile = voce(MiFile, "MiSalvaApertoFile", "Salva", &TMainFrm::MiSalvaApertoFileClick);
    MiSalvaConNomeFile =
        voce(MiFile, "MiSalvaConNomeFile", "Salva con nome", &TMainFrm::MiSalvaConNomeFileClick);
    MiSalvaFileKit = voce(MiFile, "MiSalvaFileKit", "Salva File Kit", &TMainFrm::MiSalvaFileKitClick);
    MiSalvaFileKit->setVisible(false);
    MiStampaConfigurazione = voce(MiFile, "MiStampaConfigurazione", "Stampa Configurazione",
                                  &TMainFrm::MiStampaConfigurazioneClick);
    MIImportaFile = voce(MiFile, "MIImportaFile", "Importa File", &TMainFrm::MIImportaFileClick);
    MiFile->addSeparator();
    MIAttivaConnessioneModem = voce(MiFile, "MIAttivaConnessioneModem", "Attiva Connessione Modem",
                                    &TMainFrm::MIAttivaConnessioneModemClick);
    MIDisattivaConnessioneModem = voce(MiFile, "MIDisattivaConnessioneModem", "Disattiva Connessione Modem",
                                       &TMainFrm::MIDisattivaConnessioneModemClick);
    MISepConnessioneModem = Nominato(MiFile->addSeparator(), "MISepConnessioneModem");
    MiRiceviCentrale =
        voce(MiFile, "MiRiceviCentrale", "Ricevi da Centrale", &TMainFrm::MiRiceviCentraleClick);
    MiInviaCentrale = voce(MiFile, "MiInviaCentrale", "Invia a Centrale", &TMainFrm::MiInviaCentraleClick);
    MiCodaEventi = voce(MiFile, "MiCodaEventi", "Coda Eventi", &TMainFrm::MiCodaEventiClick);
    MiFile->addSeparator();
    MiEsci = voce(MiFile, "MiEsci", "Esci", &TMainFrm::MiEsciClick);

    MiOpzioniM = Nominato(MainMenu1->addMenu("Opzioni"), "MiOpzioniM");
    MiOpzioni = voce(MiOpzioniM, "MiOpzioni", "Opzioni", &TMainFrm::MiOpzioniClick);
}

void TMainFrm::CreaPagine() {
    PageControl = Nominato(new QTabWidget(this), "PageControl");
    setCentralWidget(PageControl);

    // A page: its tab sheet filled by a scroll box whose content is the page's panel, kept
    // horizontally centred in the box as the window resizes.
    auto pagina = [this](const char* NomeSheet, const char* Caption, QScrollArea*& ScrollBox,
                         const char* NomeScrollBox, QFrame*& Pannello, const char* NomePannello,
                         int Larghezza, int Altezza) {
        QWidget* sheet = Nominato(new QWidget(), NomeSheet);
        auto* layout = new QVBoxLayout(sheet);
        layout->setContentsMargins(0, 0, 0, 0);
        ScrollBox = Nominato(new QScrollArea(sheet), NomeScrollBox);
        ScrollBox->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        ScrollBox->setWidgetResizable(false);
        Pannello = NuovoPannello(nullptr, NomePannello, Larghezza, Altezza);
        ScrollBox->setWidget(Pannello);
        layout->addWidget(ScrollBox);
        PageControl->addTab(sheet, QString::fromLatin1(Caption));
        return sheet;
    };

    SheetDatiInstallazione = pagina("SheetDatiInstallazione", "Dati Installazione", ScrollBoxDati,
                                    "ScrollBoxDati", PanelInst, "PanelInst", 760, 560);
    SheetConfigurazioneCentrale =
        pagina("SheetConfigurazioneCentrale", "Configurazione Centrale", ScrollBoxCentrale,
               "ScrollBoxCentrale", PanelCentrale, "PanelCentrale", 800, 620);
    SheetDescrizioneMessaggiCentrale =
        pagina("SheetDescrizioneMessaggiCentrale", "Descrizione Messaggi", ScrollBoxMessaggi,
               "ScrollBoxMessaggi", PanelMessaggi, "PanelMessaggi", 600, 300);
    SheetConfigurazioneInseritori =
        pagina("SheetConfigurazioneInseritori", "Inseritori", ScrollBoxInseritori, "ScrollBoxInseritori",
               PanelInseritori, "PanelInseritori", 730, AltezzaPannelliRighe);
    SheetConfigurazioneBidirezionali =
        pagina("SheetConfigurazioneBidirezionali", "Bidirezionali", ScrollBoxBidirezionali,
               "ScrollBoxBidirezionali", PanelBidirezionali, "PanelBidirezionali", 650, AltezzaPannelliRighe);
    SheetConfigurazioneZoneFilo = pagina("SheetConfigurazioneZoneFilo", "Zone Filo", ScrollBoxSensoriFilo,
                                         "ScrollBoxSensoriFilo", PanelFilo, "PanelFilo", 740, 940);
    PanelOnBoard = NuovoPannello(PanelFilo, "PanelOnBoard", 740, 940);

    SheetConfigurazioneZoneRadio = pagina("SheetConfigurazioneZoneRadio", "Zone Radio", ScrollBoxSensoriRadio,
                                          "ScrollBoxSensoriRadio", PanelRadio, "PanelRadio", 820, 1080);
    // The page selector stays above the rows, outside the scrolled area.
    SelezPaginaRadio = Nominato(new platform::gui::TUpDown(SheetConfigurazioneZoneRadio), "SelezPaginaRadio");
    SelezPaginaRadio->SetOrientation(platform::gui::TUpDown::Orientation::Horizontal);
    SelezPaginaRadio->SetMin(0);
    SelezPaginaRadio->SetMax(NumZoneRadio - 1);
    SelezPaginaRadio->setFixedSize(60, 24);
    SelezPaginaRadio->OnChangingEx = [this](int Nuovo, platform::gui::TUpDown::Direction) {
        if (Nuovo < SelezPaginaRadio->Min() || Nuovo > SelezPaginaRadio->Max()) return false;
        AggiornaConfigDaForm();
        PaginaRadio_ = Nuovo;
        AggiornaFormDaConfig();
        return true;
    };
    static_cast<QVBoxLayout*>(SheetConfigurazioneZoneRadio->layout())
        ->insertWidget(0, SelezPaginaRadio, 0, Qt::AlignHCenter);
    ScrollBoxSensoriRadio->viewport()->installEventFilter(this);

    SheetConfigurazioneModem = pagina("SheetConfigurazioneModem", "Configurazione Modem", ScrollBoxModem,
                                      "ScrollBoxModem", PanelCfgModem, "PanelCfgModem", 780, 570);
    SheetConfigurazioneSim = pagina("SheetConfigurazioneSim", "Configurazione SIM", ScrollBoxSim,
                                    "ScrollBoxSim", PanelSim, "PanelSim", 780, 500);
    SheetConfigurazioneCid = pagina("SheetConfigurazioneCid", "Contact ID", ScrollBoxContactId,
                                    "ScrollBoxContactId", PanelCid, "PanelCid", 780, 700);
    PanelContactId = NuovoPannello(PanelCid, "PanelContactId", 760, 300);
    PanelContactId->move(10, 40);
    PanelGprsGen = NuovoPannello(PanelCid, "PanelGprsGen", 760, 100);
    PanelGprsGen->move(10, 380);
    PanelGprs1 = NuovoPannello(PanelCid, "PanelGprs1", 370, 160);
    PanelGprs1->move(10, 500);
    PanelGprs2 = NuovoPannello(PanelCid, "PanelGprs2", 370, 160);
    PanelGprs2->move(400, 500);
}

void TMainFrm::CreaControlli() {
    CreaPaginaInstallazione();
    CreaPaginaCentrale();
    CreaPaginaMessaggi();
    CreaPaginaTelefono();
    CreaPaginaSim();
    CreaPaginaCid();
}

// ---- Life of the window ------------------------------------------------------------------------

void TMainFrm::FormCreate() {
    ImpostaTitoloApplicazione("Centrale Vm415");
    ZoneRadioPerPagina_ = 1;
    PaginaRadio_ = 0;
    resizeRadioAttivo_ = false;
    // The settings first: the rows are translated into the configured language.
    CaricaConfigPc();
    CreaFrame();
    resizeRadioAttivo_ = true;
    ScrollBoxSensoriRadioResize();
}

void TMainFrm::showEvent(QShowEvent* event) {
    // Still before the window reaches the screen.
    if (!mostrata_) AdattaAlloSchermo();
    mostrata_ = true;
    QMainWindow::showEvent(event);
    // A window brought back from the task bar is shown again by the desktop: that must not
    // reset the configuration being edited.
    if (!event->spontaneous()) FormShow();
}

void TMainFrm::FormShow() {
    FissaFormati();
    ImmagineLogo->ImpostaImmagine(platform::gui::LoadLogo());
    PageControl->setCurrentIndex(0);
    FileCorrente.clear();
    TraduciForm();
    ConfigDefault(ConfigCentrale);
    AggiornaFormDaConfig();
    if (SplashForm) {
        SplashForm->hide();
        delete SplashForm;
        SplashForm = nullptr;
    }
    NumTelCentraleLabel->setVisible(true);
    SetNumTelefonoCentrale->setVisible(true);
    collegamento::Collegamento().ImpostaModemSerialePresente(true);
    AggiornaMenuModem();
    AbilitaFunzioniVer11();
    OperazioneModemInCorso_ = 0;
}

void TMainFrm::closeEvent(QCloseEvent* event) {
    // Closed once already (the program is ending): the rows are gone and the settings written.
    if (chiusa_) {
        event->accept();
        return;
    }
    chiusa_ = true;
    bool puoChiudere = true;
    FormCloseQuery(puoChiudere);
    if (!puoChiudere) {
        chiusa_ = false;
        event->ignore();
        return;
    }
    event->accept();
    emit Chiusa();
}

void TMainFrm::FormCloseQuery(bool& CanClose) {
    CanClose = true;
    hide();
    TerminaAttese();
    AttendiElaborandoMessaggi(TempiChiusuraMainFrm.DopoNascosta);
    // The options window saves the settings as its controls hold them, shown or not.
    if (OpzioniFrm) OpzioniFrm->close();
    DistruggiFrame();
    AttendiElaborandoMessaggi(TempiChiusuraMainFrm.Finale);
}

void TMainFrm::AttendiElaborandoMessaggi(std::chrono::milliseconds Durata) {
    if (Durata.count() <= 0) {
        QCoreApplication::processEvents();
        return;
    }
    QEventLoop attesa;
    QTimer::singleShot(Durata, &attesa, &QEventLoop::quit);
    attesa.exec();
}

QSize TMainFrm::PrimaDimensione(const QSize& Progetto, const QRect& Disponibile, const QMargins& Cornice) {
    return Progetto.boundedTo(QSize(Disponibile.width() - Cornice.left() - Cornice.right(),
                                    Disponibile.height() - Cornice.top() - Cornice.bottom()));
}

void TMainFrm::AdattaAlloSchermo() {
    const QScreen* schermo = screen();
    if (!schermo) return;
    const QMargins nota = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    const QMargins cornice = nota.isNull() ? CorniceStimata : nota;
    if (PrimaDimensione(DimensioneProgetto, schermo->availableGeometry(), cornice) != size())
        Colloca(cornice);
    if (!nota.isNull()) {
        corniceNota_ = true;
        emit AdattataAllaCornice();
    } else if (windowHandle()) {
        // The desktop frames the window some time after it is shown, however long a busy machine
        // makes that, and tells nobody: whatever happens to the window next (mapped, moved,
        // exposed) may be the first thing after it.
        windowHandle()->installEventFilter(this);
    }
}

void TMainFrm::Colloca(const QMargins& Cornice) {
    const QRect area = screen()->availableGeometry();
    const QSize dimensione = PrimaDimensione(DimensioneProgetto, area, Cornice);
    // A window nearly as big as the free area could be placed partly outside it: the window with
    // its frame in the middle of the area.
    const QSize esterna = dimensione.grownBy(Cornice);
    setGeometry(QRect(QPoint(area.x() + (area.width() - esterna.width()) / 2 + Cornice.left(),
                             area.y() + (area.height() - esterna.height()) / 2 + Cornice.top()),
                      dimensione));
}

void TMainFrm::VerificaCornice() {
    const QMargins cornice = windowHandle()->frameMargins();
    if (cornice.isNull()) return;
    // Marked first: moving the window sends it events, which must not fit it again.
    corniceNota_ = true;
    windowHandle()->removeEventFilter(this);
    if (isVisible() && !screen()->availableGeometry().contains(frameGeometry())) Colloca(cornice);
    emit AdattataAllaCornice();
}

// ---- Rows and the image mapping ----------------------------------------------------------------

int TMainFrm::AltezzaRigaRadio() const {
    return FrameSensRadio[0] ? FrameSensRadio[0]->height() : AltezzaDesignRigaRadio;
}

void TMainFrm::AdattaPannelloRadio() {
    // The page scrolls as far as its last row shown, with the margin it has above the first one,
    // and not on into the place of the rows hidden below.
    const TFrameSensRadio* ultima = FrameSensRadio[std::size_t(ZoneRadioPerPagina_ - 1)];
    const TFrameSensRadio* prima = FrameSensRadio[0];
    if (ultima && prima) PanelRadio->setFixedHeight(ultima->geometry().bottom() + 1 + prima->y());
}

// ---- Controls by name ---------------------------------------------------------------------------

QWidget* TMainFrm::Controllo(std::string_view Nome) const {
    return findChild<QWidget*>(QString::fromLatin1(Nome.data(), qsizetype(Nome.size())));
}

QAction* TMainFrm::Voce(std::string_view Nome) const {
    return findChild<QAction*>(QString::fromLatin1(Nome.data(), qsizetype(Nome.size())));
}

void TMainFrm::ImpostaVisibile(std::string_view NomeControllo, bool Visibile) {
    platform::IUiThread* ui = platform::UiThread();
    if (ui && !ui->IsUiThread()) {
        ui->RunAndWait([&] { ImpostaVisibile(NomeControllo, Visibile); });
        return;
    }
    if (QWidget* w = Controllo(NomeControllo))
        w->setVisible(Visibile);
    else if (QAction* a = Voce(NomeControllo))
        a->setVisible(Visibile);
    else
        platform::Diagnostica("TMainFrm", "no control named " + std::string(NomeControllo));
}

void TMainFrm::ImpostaAbilitato(std::string_view NomeControllo, bool Abilitato) {
    platform::IUiThread* ui = platform::UiThread();
    if (ui && !ui->IsUiThread()) {
        ui->RunAndWait([&] { ImpostaAbilitato(NomeControllo, Abilitato); });
        return;
    }
    if (QWidget* w = Controllo(NomeControllo))
        w->setEnabled(Abilitato);
    else if (QAction* a = Voce(NomeControllo))
        a->setEnabled(Abilitato);
    else
        platform::Diagnostica("TMainFrm", "no control named " + std::string(NomeControllo));
}

// ---- Radio-zone paging --------------------------------------------------------------------------

int TMainFrm::CalcolaZoneRadioPerPagina(int AltezzaScrollBox, int AltezzaRiga) {
    const int divisore = std::max(AltezzaRiga + 1, 1);
    return std::clamp((AltezzaScrollBox - 50) / divisore, 1, MaxZoneRadioPerPagina);
}

int TMainFrm::UltimaPaginaRadio(int ZonePerPagina) {
    const int z = std::clamp(ZonePerPagina, 1, MaxZoneRadioPerPagina);
    return NumZoneRadio / z - (NumZoneRadio % z == 0 ? 1 : 0);
}

bool TMainFrm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == windowHandle() && !corniceNota_) VerificaCornice();
    if (watched == ScrollBoxSensoriRadio->viewport() && event->type() == QEvent::Resize && resizeRadioAttivo_)
        ScrollBoxSensoriRadioResize();
    if (event->type() == QEvent::KeyPress &&
        (watched == SetTelVigilanza1Edit || watched == SetTelVigilanza2Edit))
        return FiltroNumeroVigilanza(static_cast<QKeyEvent*>(event));
    if (event->type() == QEvent::Wheel) {
        auto* w = qobject_cast<QWidget*>(watched);
        if (w && w->window() == this) return RotellaSullaPagina(static_cast<QWheelEvent*>(event));
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMainFrm::ScrollBoxSensoriRadioResize() {
    // A panel operation's worker reads and writes the image meanwhile: the copy to and from the
    // controls waits for its end.
    if (OperazioneCentraleInCorso()) {
        radioDopoOperazione_ = true;
        return;
    }
    radioDopoOperazione_ = false;
    AggiornaConfigDaForm();
    ZoneRadioPerPagina_ =
        CalcolaZoneRadioPerPagina(ScrollBoxSensoriRadio->viewport()->height(), AltezzaRigaRadio());
    for (int i = 0; i < int(FrameSensRadio.size()); ++i)
        if (FrameSensRadio[i]) FrameSensRadio[i]->setVisible(i < ZoneRadioPerPagina_);
    AdattaPannelloRadio();
    SelezPaginaRadio->SetMax(UltimaPaginaRadio(ZoneRadioPerPagina_));
    SelezPaginaRadio->SetPosition(0);
    PaginaRadio_ = 0;
    AggiornaFormDaConfig();
}

void TMainFrm::FineOperazioneCentrale() {
    if (radioDopoOperazione_) ScrollBoxSensoriRadioResize();
}

// ---- Menu ---------------------------------------------------------------------------------------

void TMainFrm::AggiornaMenuModem() {
    const bool modem = collegamento::Collegamento().TipoConnessione() != collegamento::VoceCavo;
    MIAttivaConnessioneModem->setVisible(modem);
    MIDisattivaConnessioneModem->setVisible(modem);
    MISepConnessioneModem->setVisible(modem);
}

void TMainFrm::MiEsciClick() {
    close();
}

void TMainFrm::MiRiceviCentraleClick() {
    PageControl->setCurrentIndex(0);
    EseguiOperazioneCentrale(OpRiceviConfigurazione, this);
}

void TMainFrm::MiInviaCentraleClick() {
    // Nothing loaded: neither a file nor the panel ever filled the image.
    const bool vuota = ConfigCentrale.IdCentrale == 0 && ConfigCentrale.VersioneCentrale == 0 &&
                       IdCentraleRx == 0 && VersioneCentraleRx == 0;
    if (vuota &&
        platform::gui::Dialogs().Message(platform::gui::MsgKind::Error, StrCfgVuota,
                                         platform::gui::MsgButtons::YesNo) != platform::gui::MsgResult::Yes)
        return;
    if (!platform::gui::AskYesNo(StrConfInvio)) return;
    AggiornaConfigDaForm();
    EseguiOperazioneCentrale(OpInviaConfigurazione, this);
}
void TMainFrm::MiOpzioniClick() {
    AggiornaConfigDaForm();
    if (OpzioniFrm) OpzioniFrm->Mostra();
    // The language may have changed.
    TraduciForm();
    AggiornaFormDaConfig();
    AggiornaMenuModem();
}
