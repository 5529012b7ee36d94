#pragma once
// Date-time values as the image, the panel clock and the event queue hold them: a double counting
// days from 30/12/1899, the fraction being the time of day.
#include <cstdint>

struct TDataOraScomposta {
    int Anno = 1899, Mese = 12, Giorno = 30;
    int Ora = 0, Minuti = 0, Secondi = 0, Millisecondi = 0;
};

// True for a real calendar date (years 1..9999, leap years included).
bool DataValida(int Anno, int Mese, int Giorno);
// True for 0..23 h, 0..59 min, 0..59 s, 0..999 ms.
bool OraValida(int Ora, int Minuti, int Secondi, int Millisecondi = 0);

// Encodes a date and a time; false (and Risultato untouched) when either is not valid.
bool CodificaDataOra(int Anno, int Mese, int Giorno, int Ora, int Minuti, int Secondi, double& Risultato);
// Splits a value into its parts; the time is rounded to the millisecond. A negative value counts
// back from 30/12/1899 and its fraction is still the time of that day.
TDataOraScomposta DecodificaDataOra(double Valore);
