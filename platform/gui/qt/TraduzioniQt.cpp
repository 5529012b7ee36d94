#include "platform/gui/qt/TraduzioniQt.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <memory>

namespace platform::gui {

namespace {
std::unique_ptr<QTranslator> traduttore;
int linguaCaricata = -1;
} // namespace

void ImpostaLinguaQt(int Lingua) {
    static constexpr const char* Codici[] = {"it", "en", "fr", "es"};
    if (Lingua < 0 || Lingua >= int(std::size(Codici))) Lingua = 0;
    if (Lingua == linguaCaricata || !QCoreApplication::instance()) return;
    if (traduttore) QCoreApplication::removeTranslator(traduttore.get());
    traduttore = std::make_unique<QTranslator>();
    if (traduttore->load(QStringLiteral("qtbase_") + QLatin1String(Codici[Lingua]),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(traduttore.get());
    linguaCaricata = Lingua;
}

} // namespace platform::gui
