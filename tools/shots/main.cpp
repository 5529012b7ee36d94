// vm415-shots: pictures of the program's windows as a user sees them, frame and all, in one
// language: the main window once per page, then the options window, the link settings window over
// it, the wait window, the import window, the kit-code window, the Contact-ID tables editor, the
// event-queue window and the shortest messages over it. It runs the program's own start-up in a
// program folder of its own holding copies of the shipped files, with the user's settings folder
// there too, so that neither the build's folder nor the user's settings are touched.
// scripts/screenshots runs it under Xvfb and openbox.
#include "ui/Main.h"
#include "config/ConfigPc.h"
#include "link/KivCanale.h"
#include "link/KivFormModComFrm.h"
#include "link/KivModCom.h"
#include "link/KivTestModemFrm.h"
#include "platform/fs/ProgramFolder.h"
#include "platform/fs/SettingsFolder.h"
#include "platform/gui/qt/QtDialogs.h"
#include "ui/Applicazione.h"
#include "ui/Attesa.h"
#include "ui/CodaEventi.h"
#include "ui/EventiCid.h"
#include "ui/Finestre.h"
#include "ui/ImportaOld.h"
#include "ui/LeggiCodRadio.h"
#include "ui/Opzioni.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QMessageBox>
#include <QPixmap>
#include <QScreen>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <tuple>

using namespace std::chrono_literals;

namespace {

const char* const Lingue[] = {"it", "en", "fr", "es"};
const char* const FileSpediti[] = {"Lingue.csv", "operatorigsm.csv", "logo.jpg"};

// How long a shown window may take to be mapped, and how long the window manager and the window
// are then given to draw frame and contents.
constexpr auto LimiteComparsa = 5000ms;
constexpr auto Assestamento = 400ms;

void Uso(std::FILE* f) {
    std::fputs("Usage: vm415-shots LANGUAGE OUTDIR\n"
               "  LANGUAGE  it, en, fr or es\n"
               "  Shows the windows on the X display in DISPLAY and writes OUTDIR/LANGUAGE-main-NN-PAGE.png\n"
               "  (one per page of the main window), LANGUAGE-options.png, LANGUAGE-link.png,\n"
               "  LANGUAGE-wait.png, LANGUAGE-import.png, LANGUAGE-kitcodes.png,\n"
               "  LANGUAGE-contactid.png, LANGUAGE-events.png, LANGUAGE-message-ok.png and\n"
               "  LANGUAGE-message-error.png.\n"
               "  scripts/screenshots runs it for the four languages under Xvfb.\n",
               f);
}

// The program's messages keep flowing while it waits.
void Attendi(std::chrono::milliseconds Durata) {
    QEventLoop attesa;
    QTimer::singleShot(Durata, &attesa, &QEventLoop::quit);
    attesa.exec();
}

bool Mostrata(QWidget& Finestra) {
    const auto fine = std::chrono::steady_clock::now() + LimiteComparsa;
    while (!(Finestra.windowHandle() && Finestra.windowHandle()->isExposed())) {
        if (std::chrono::steady_clock::now() >= fine) {
            std::fprintf(stderr, "vm415-shots: %s never appeared on the screen\n",
                         qPrintable(Finestra.objectName()));
            return false;
        }
        Attendi(20ms);
    }
    Attendi(Assestamento);
    return true;
}

// The whole screen, so that the window manager's frame and the title are in the picture.
bool Foto(const QString& Percorso) {
    QScreen* schermo = QGuiApplication::primaryScreen();
    const QPixmap foto = schermo ? schermo->grabWindow(0) : QPixmap();
    if (foto.isNull() || !foto.save(Percorso, "PNG")) {
        std::fprintf(stderr, "vm415-shots: cannot write %s\n", qPrintable(Percorso));
        return false;
    }
    std::printf("%s\n", qPrintable(Percorso));
    return true;
}

// A program folder like an installed one: the shipped files, the program's settings in the chosen
// language, and a modem link so that the link settings window shows every control (on no port).
bool PreparaCartella(const QTemporaryDir& Cartella, int Lingua) {
    const QString spediti = QString::fromStdString(platform::ProgramFolder());
    for (const char* nome : FileSpediti) {
        if (!QFile::copy(spediti + QLatin1String(nome), Cartella.filePath(QLatin1String(nome)))) {
            std::fprintf(stderr, "vm415-shots: %s%s is missing\n", qPrintable(spediti), nome);
            return false;
        }
    }
    platform::SetProgramFolder(Cartella.path().toStdString());
    TConfigPc pc{};
    pc.Lingua = Lingua;
    pc.PortaLocaleGprs = 4000;
    TConfigCom com;
    com.TipoConnessione = ConnessioneModem;
    if (!SalvaConfigPc(pc) || !platform::WriteSettingsFile("comconfig.cfg", &com, sizeof com)) {
        std::fprintf(stderr, "vm415-shots: cannot write the settings into %s\n", qPrintable(Cartella.path()));
        return false;
    }
    return true;
}

// Events of every kind, with zone and keypad names in the image.
void MostraEventi() {
    ConfigCentrale.Zone[4].Descrizione.Scrivi("Porta ingresso principale");
    ConfigCentrale.Zone[12].Descrizione.Scrivi("Finestra cucina");
    ConfigCentrale.Inseritori[1].Descrizione.Scrivi("Tastiera garage");
    const std::pair<int, int> eventi[] = {{101, 1},   {7, 4},     {1, 12},    {1, 212}, {2, 215},   {43, 216},
                                          {105, 203}, {106, 210}, {111, 201}, {5, 204}, {3, 209},   {50, 0},
                                          {108, 200}, {27, 12},   {114, 1},   {1, 211}, {104, 202}, {38, 4}};
    TCodaEventi& coda = CodaEventiFrm->Coda;
    coda.NumEventi = 0;
    for (auto [tipo, fonte] : eventi) {
        TEventoCoda& e = coda.Eventi[coda.NumEventi];
        e.Tipo = std::uint8_t(tipo);
        e.Descrittore = std::uint8_t(fonte);
        e.DataOra = coda.NumEventi == 11 ? 0.0 : 46000.3 + 0.77 * coda.NumEventi;
        ++coda.NumEventi;
    }
    CodaEventiFrm->show();
    CodaEventiFrm->MostraCodaEventi();
}

bool Fotografa(const QString& Uscita, const QString& Lingua) {
    const QString prefisso = Uscita + QLatin1Char('/') + Lingua + QLatin1Char('-');
    TMainFrm& m = *MainFrm;
    if (!Mostrata(m)) return false;
    for (int i = 0; i < m.PageControl->count(); ++i) {
        m.PageControl->setCurrentIndex(i);
        Attendi(Assestamento);
        const QString pagina = QStringLiteral("main-%1-%2")
                                   .arg(i + 1, 2, 10, QLatin1Char('0'))
                                   .arg(m.PageControl->widget(i)->objectName());
        if (!Foto(prefisso + pagina + QStringLiteral(".png"))) return false;
    }
    m.PageControl->setCurrentIndex(0);

    // The options window as its menu shows it, and the link settings window over it as its
    // button opens it; both without their modal loops, so that this program goes on.
    OpzioniFrm->show();
    if (!Mostrata(*OpzioniFrm) || !Foto(prefisso + QStringLiteral("options.png"))) return false;
    {
        TKivModComDialogo link(*OpzioniFrm->KivModCom1->FormModCom(), OpzioniFrm);
        link.show();
        if (!Mostrata(link) || !Foto(prefisso + QStringLiteral("link.png"))) return false;
        TKivTestModemFrm segnale(*OpzioniFrm->KivModCom1->FormModCom(), &link);
        segnale.show();
        if (!Mostrata(segnale) || !Foto(prefisso + QStringLiteral("gsm-signal.png"))) return false;
        segnale.hide();
        link.hide();
    }
    OpzioniFrm->hide();

    AttesaFrm->show();
    if (!Mostrata(*AttesaFrm) || !Foto(prefisso + QStringLiteral("wait.png"))) return false;
    AttesaFrm->hide();

    for (auto [finestra, nome] : {std::pair<QWidget*, const char*>{ImportaOldFrm, "import.png"},
                                  {LeggiCodRadioFrm, "kitcodes.png"},
                                  {EventiCidFrm, "contactid.png"}}) {
        finestra->show();
        if (!Mostrata(*finestra) || !Foto(prefisso + QLatin1String(nome))) return false;
        finestra->hide();
    }

    // The event list as a read of a busy panel leaves it.
    MostraEventi();
    if (!Mostrata(*CodaEventiFrm) || !Foto(prefisso + QStringLiteral("events.png"))) return false;
    // The shortest messages, as the event window's file commands end: the title must show whole.
    for (auto [tipo, testo, nome] :
         {std::tuple{platform::gui::MsgKind::Information, "Ok", "message-ok.png"},
          std::tuple{platform::gui::MsgKind::Error, "Error", "message-error.png"}}) {
        const auto box =
            platform::gui::MakeMessageBox(tipo, testo, platform::gui::MsgButtons::Ok, CodaEventiFrm);
        box->show();
        if (!Mostrata(*box) || !Foto(prefisso + QLatin1String(nome))) return false;
    }
    CodaEventiFrm->hide();
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        Uso(stdout);
        return 0;
    }
    int lingua = -1;
    for (int i = 0; argc == 3 && i < 4; ++i)
        if (std::strcmp(argv[1], Lingue[i]) == 0) lingua = i;
    if (lingua < 0) {
        Uso(stderr);
        return 2;
    }
    const QString uscita = QDir(QString::fromLocal8Bit(argv[2])).absolutePath();
    if (!QDir().mkpath(uscita)) {
        std::fprintf(stderr, "vm415-shots: cannot make %s\n", qPrintable(uscita));
        return 1;
    }

    QTemporaryDir cartella(QDir::tempPath() + QStringLiteral("/vm415-shots-XXXXXX"));
    if (!cartella.isValid()) {
        std::fprintf(stderr, "vm415-shots: no temporary folder: %s\n", qPrintable(cartella.errorString()));
        return 1;
    }
    // The user's settings folder (the settings store, config.cfg, comconfig.cfg) there too.
    qputenv("XDG_CONFIG_HOME", cartella.filePath(QStringLiteral("config")).toLocal8Bit());
    if (!PreparaCartella(cartella, lingua)) return 1;

    QApplication app(argc, argv);
    TAmbienteProgramma ambiente;
    // Closing the main window pauses for what it set going; nothing here needs those pauses.
    TempiChiusuraMainFrm = {0ms, 0ms};

    CreaSplash();
    ImpostaTitoloApplicazione("Centrale");
    CreaFinestre();
    MostraMainFrm();
    const bool fatto = Fotografa(uscita, QString::fromLatin1(Lingue[lingua]));
    MainFrm->close();
    DistruggiFinestre();
    return fatto ? 0 : 1;
}
