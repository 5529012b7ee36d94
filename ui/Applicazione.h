#pragma once
// The application object's title: the program's name for the desktop (task bar, window lists).
// Window captions are the windows' own and never carry it.
#include <QString>

void ImpostaTitoloApplicazione(const QString& Titolo);
QString TitoloApplicazione();
