// The program: splash, the ten windows, the main window, the message loop.
#include "platform/gui/qt/QtDialogs.h"
#include "platform/gui/qt/QtUiThread.h"
#include "ui/Applicazione.h"
#include "ui/Finestre.h"
#include "ui/Main.h"

#include <QApplication>
#include <clocale>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // Qt adopts the user's C locale; the configuration code reads and writes numbers with the C
    // library and must see them the same way on every machine.
    std::setlocale(LC_NUMERIC, "C");
    // The program ends when the main window has closed, whatever other window is left.
    QApplication::setQuitOnLastWindowClosed(false);
    platform::gui::QtUiThread ui;
    platform::gui::QtDialogs dialogs;
    dialogs.Install();

    CreaSplash();
    ImpostaTitoloApplicazione("Centrale");
    CreaFinestre();
    QObject::connect(MainFrm, &TMainFrm::Chiusa, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    MostraMainFrm();
    const int esito = QApplication::exec();
    DistruggiFinestre();
    return esito;
}
