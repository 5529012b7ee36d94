#pragma once
// The number and date formats of the whole program. The panel's installers work with Italian
// conventions whatever the PC is set to, and the printouts and the clock fields must read the
// same on every machine, so the main window fixes them once when it is first shown.
#include <QDate>
#include <QString>
#include <QTime>
#include <string>
#include <string_view>

struct TFormatoProgramma {
    QChar SeparatoreMigliaia = '.';
    QChar SeparatoreDecimale = ',';
    QChar SeparatoreOra = ':';
    QChar SeparatoreData = '/';
    // Delphi-style patterns ("mm" after "hh" is the month there, "nn" the minutes).
    std::string FormatoDataBreve = "dd/mm/yy";
    std::string FormatoDataLungo = "dd/mm/yy";
    std::string FormatoOraBreve = "hh:nn";
    std::string FormatoOraLungo = "hh:nn";
};

// The program's formats; what FissaFormati set, or the defaults above until then.
const TFormatoProgramma& FormatoProgramma();

// Makes the formats above the program's: Qt's default locale is replaced by one whose numbers
// read "1.234.567,89", so every QLocale() the windows make, whatever LANG says, agrees.
void FissaFormati();

// A Delphi date/time pattern as Qt writes it: "dd/mm/yy" -> "dd/MM/yy", "hh:nn" -> "hh:mm".
QString FormatoQt(std::string_view Formato);

QString FormattaData(const QDate& Data);
QString FormattaOra(const QTime& Ora);
// A number with the program's separators, thousands grouped.
QString FormattaNumero(double Valore, int Decimali);
// The number a text holds in the program's form; nothing valid gives false in Ok.
double LeggiNumero(const QString& Testo, bool* Ok = nullptr);
