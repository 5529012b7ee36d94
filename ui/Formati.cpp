#include "ui/Formati.h"

#include <QLocale>

namespace {

TFormatoProgramma formato;

// Italian numbers group with '.' and separate decimals with ','. Group separators are kept on
// output and accepted on input.
QLocale LocaleProgramma() {
    QLocale l(QLocale::Italian, QLocale::Italy);
    l.setNumberOptions(QLocale::DefaultNumberOptions);
    return l;
}

} // namespace

const TFormatoProgramma& FormatoProgramma() {
    return formato;
}

void FissaFormati() {
    formato = TFormatoProgramma{};
    QLocale::setDefault(LocaleProgramma());
}

QString FormatoQt(std::string_view Formato) {
    QString qt;
    bool dopoOra = false; // Delphi reads "mm" right after "hh" as minutes
    for (std::size_t i = 0; i < Formato.size(); ++i) {
        const char c = Formato[i];
        switch (c) {
        case 'n':
            qt += 'm';
            break;
        case 'm':
            qt += dopoOra ? 'm' : 'M';
            break;
        case 'h':
            qt += 'h';
            dopoOra = true;
            continue;
        case 'd':
        case 'y':
            qt += QLatin1Char(c);
            break;
        default:
            // Literal characters go quoted so that Qt never reads them as pattern letters.
            if (QChar(c).isLetter())
                qt += '\'' + QString(QLatin1Char(c)) + '\'';
            else
                qt += QLatin1Char(c);
            continue;
        }
        if (c != 'm' && c != 'n') dopoOra = false;
    }
    return qt;
}

QString FormattaData(const QDate& Data) {
    return Data.toString(FormatoQt(formato.FormatoDataBreve));
}

QString FormattaOra(const QTime& Ora) {
    return Ora.toString(FormatoQt(formato.FormatoOraBreve));
}

QString FormattaNumero(double Valore, int Decimali) {
    return LocaleProgramma().toString(Valore, 'f', Decimali < 0 ? 0 : Decimali);
}

double LeggiNumero(const QString& Testo, bool* Ok) {
    return LocaleProgramma().toDouble(Testo.trimmed(), Ok);
}
