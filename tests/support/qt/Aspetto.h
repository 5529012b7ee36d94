#pragma once
// What a user would see broken in a window: a language key shown instead of its text, a control
// left without its caption, a text cut by its control (or by the panel around it), controls lying
// on top of each other. Only what the user can see is looked at: shown controls inside their
// parents' bounds; a scroll area's content counts whole, scrolled into view or not.
#include <QString>
#include <QStringList>
#include <ostream>
#include <string>
#include <vector>

class QObject;
class QWidget;

namespace testing_support {

enum class TipoProblema { ChiaveGrezza, TestoVuoto, TestoTagliato, Sovrapposizione };

struct ProblemaAspetto {
    TipoProblema Tipo;
    QString Finestra;  // the window's objectName
    QString Contesto;  // as the caller named it: language, page
    QString Controllo; // objectName, or "(unnamed)" and the nearest named parent
    QString Classe;
    QString Testo;                    // the text concerned, as the control holds it
    QString Dettaglio;                // sizes, the other control of an overlap
    const QObject* Oggetto = nullptr; // the control, menu or entry concerned

    // One line: window, context, what, control and class, text, details.
    std::string Descrizione() const;
};

struct OpzioniAspetto {
    QString Contesto;
    // Controls (objectName) and menu entries meant to be without a caption.
    QStringList VuotiAmmessi;
};

std::vector<ProblemaAspetto> ControllaAspetto(const QWidget& Finestra, const OpzioniAspetto& Opzioni = {});

// The problems one per line, for a test's failure message.
std::string Elenco(const std::vector<ProblemaAspetto>& Problemi);

inline void PrintTo(const ProblemaAspetto& p, std::ostream* os) {
    *os << p.Descrizione();
}

} // namespace testing_support
