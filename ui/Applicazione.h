#pragma once
#include "platform/gui/qt/QtDialogs.h"
#include "platform/gui/qt/QtUiThread.h"

#include <QString>

// The application object's title: the program's name for the desktop (task bar, window lists).
// Window captions are the windows' own and never carry it.
void ImpostaTitoloApplicazione(const QString& Titolo);
QString TitoloApplicazione();

// Sends Qt's own messages (warnings of the platform plugin, of fonts, ...) to the program's
// diagnostic log, so that every line the program writes on stderr starts with "vm415:". Called
// before the QApplication is made, whose making may already have something to say.
void InstradaMessaggiQt();

// What the program sets up once its QApplication exists and keeps for its lifetime: numbers read
// the same on every machine, the end comes with the main window only, calls from other threads
// reach the UI thread, and messages and file choices go through Qt's dialogs.
class TAmbienteProgramma {
  public:
    TAmbienteProgramma();

  private:
    platform::gui::QtUiThread ui_;
    platform::gui::QtDialogs dialogs_;
};
