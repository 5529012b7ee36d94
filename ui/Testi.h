#pragma once
// What every window of the program does with its texts and its controls' names: texts come from
// the language table in Windows-1252, and controls carry their names so that code can find them.
#include "config/GetMessage_11.h"
#include "platform/gui/qt/QtText.h"

#include <QString>
#include <string_view>

inline QString Testo(std::string_view Chiave) {
    return platform::gui::FromCp1252(GetMessaggio(Chiave));
}

template <class W> W* Nominato(W* w, const char* Nome) {
    w->setObjectName(QString::fromLatin1(Nome));
    return w;
}
