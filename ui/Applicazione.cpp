#include "ui/Applicazione.h"

#include <QCoreApplication>

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
