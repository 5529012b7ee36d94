#pragma once
// The GSM operators the installer may choose by hand: "operatorigsm.csv" beside the program, one
// operator a line (name;country;code, code = MCC then MNC in 5 characters), loaded into the
// main window's combo box and into a table of codes aligned with the combo's items.
#include "config/GlobalsVar.h"

#include <cstdint>
#include <string>
#include <string_view>

// The item list of the combo box, as the loader fills it.
class IListaElementi {
  public:
    virtual ~IListaElementi() = default;
    virtual void Clear() = 0;
    virtual void Add(const std::string& Elemento) = 0;
};

constexpr int MaxOperatoriGsm = 500;
constexpr std::size_t LunghezzaCodiceOperatore = 5;
constexpr const char* NomeFileOperatoriGsm = "operatorigsm.csv";
constexpr const char* CodiceOperatoreNessuno = "00000";

// Entry i is the code of the combo's item i.
extern TStringa<5> OperatoriGsm[MaxOperatoriGsm];

// How a field ended: at ';' (more fields follow on the line), at the line's end, or at the file's.
enum class FineCampoCsv { PuntoEVirgola, Cr, Lf, FineFile };
// Reads one field from the front of Resto: every character up to the first ';', CR or LF (consumed,
// not kept) or the end.
FineCampoCsv LeggiCampoCsv(std::string_view& Resto, std::string& Campo);

// Reloads the combo's items and the table from the file beside the program. A missing file leaves
// the combo empty. Returns the number of operators loaded.
int CaricaOperatoriGsm(IListaElementi& Elementi);
// The same from the file's bytes.
int CaricaOperatoriGsm(std::string_view Testo, IListaElementi& Elementi);

// The highest index whose entry equals the code exactly, or -1.
int IndiceOperatore(std::string_view Codice);
// The entry at Indice, or "00000" when Indice is not 0..499.
std::string CodiceOperatore(int Indice);
