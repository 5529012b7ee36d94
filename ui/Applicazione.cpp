#include "ui/Applicazione.h"

#include "platform/diag/Diagnostica.h"
#include "platform/gui/qt/Caratteri.h"

#include <QApplication>
#include <clocale>
#include <cstring>

namespace {
QString titolo;
} // namespace

void ImpostaTitoloApplicazione(const QString& Titolo) {
    titolo = Titolo;
    // The display name would be appended to every window caption by some desktops, so only the
    // application name carries it.
    QCoreApplication::setApplicationName(Titolo);
}

QString TitoloApplicazione() {
    return titolo;
}

void InstradaMessaggiQt() {
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext& Contesto, const QString& Testo) {
        const char* categoria = Contesto.category;
        platform::Diagnostica(categoria && std::strcmp(categoria, "default") != 0 ? categoria : "Qt",
                              Testo.toStdString());
    });
}

TAmbienteProgramma::TAmbienteProgramma() {
    // Qt adopts the user's C locale; the configuration code reads and writes numbers with the C
    // library and must see them the same way on every machine.
    std::setlocale(LC_NUMERIC, "C");
    // The program ends when the main window has closed, whatever other window is left.
    QApplication::setQuitOnLastWindowClosed(false);
    dialogs_.Install();
    platform::gui::ImpostaCaratteri();
}
