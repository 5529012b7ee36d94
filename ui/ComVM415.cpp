// The program: splash, the ten windows, the main window, the message loop.
#include "ui/Applicazione.h"
#include "ui/Finestre.h"
#include "ui/Main.h"

#include <QApplication>

int main(int argc, char** argv) {
    InstradaMessaggiQt();
    QApplication app(argc, argv);
    TAmbienteProgramma ambiente;

    CreaSplash();
    ImpostaTitoloApplicazione("Centrale");
    CreaFinestre();
    QObject::connect(MainFrm, &TMainFrm::Chiusa, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    MostraMainFrm();
    const int esito = QApplication::exec();
    DistruggiFinestre();
    return esito;
}
