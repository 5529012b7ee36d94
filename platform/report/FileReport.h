#pragma once
// The report project files ("repcfg.rep", "repcoda.rep"): what a report prints and where. The
// program only gives texts to named items; the pages, the items' places and fonts, and the band
// that repeats once per data row are the file's.
//
// The format, one statement per line; '#' starts a comment outside quotes. Words are separated
// by blanks; a value holding blanks is written in double quotes, a quote inside them doubled.
// Lengths are millimetres from the sheet's top-left corner, font sizes points; numbers are
// decimal with an optional fraction ("12", "7.5"). Texts are Windows-1252, like every text the
// program prints.
//
//   report <Name>                         a report; its pages follow and print in their order
//   page <Name> [paper=<w>x<h>]           a page of that report, found as "<Report>.<Page>";
//                                         A4 portrait (210x297) unless the paper is given
//   font family=<family> size=<points> [bold] [italic] [fixed]
//                                         the font of the items that follow on the page
//                                         ("fixed": fixed pitch, for columns built of blanks)
//   text <Name> x= y= w= h= [align=left|center|right] [value=<text>]
//                                         one line of text; it is never cut, w only aligns it
//   memo <Name> x= y= w= h=               several lines wrapped to w; a text too long for h is
//                                         printed smaller, never cut
//   pagenumber <Name> x= y= w= h= [align=...] [after=<Item>]
//                                         the sheet's number in the printout; with after=, one
//                                         blank after the text of that item of the page
//   band connection=<Name> top= bottom= height=
//   end                                   the items between these two are the detail band: y is
//                                         from the top of the row, and every row the data
//                                         connection gives prints them again, one height lower,
//                                         from top down to bottom; then the page goes on, with
//                                         its own items again, on a new sheet
//
// Names are letters, digits and '_' (not first a digit), at most 64 characters; names of
// reports, of pages in a report and of items on a page are each unique. A page holds at most
// one band. Every item lies inside its paper (inside the row, in the band).
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::report {

struct TCarattere {
    std::string Famiglia = "Liberation Sans";
    double Punti = 10;
    bool Grassetto = false;
    bool Corsivo = false;
    bool Fisso = false;
};

enum class TTipoVoce { Testo, Memo, NumeroPagina };
enum class TAllineamento { Sinistra, Centro, Destra };

// Millimetres.
struct TRettangolo {
    double X = 0, Y = 0, L = 0, A = 0;
};

struct TDefVoce {
    std::string Nome;
    TTipoVoce Tipo = TTipoVoce::Testo;
    TRettangolo Posizione;
    TCarattere Carattere;
    TAllineamento Allineamento = TAllineamento::Sinistra;
    std::string Valore; // the text until the program gives one
    std::string Dopo;   // page numbers: the item they follow, or empty
    bool NellaBanda = false;
};

struct TDefBanda {
    std::string Connessione;
    double Alto = 0, Basso = 0, AltezzaRiga = 0;
    // How many rows one sheet holds (at least 1).
    int RighePerFoglio() const;
};

struct TDefPagina {
    std::string Nome;
    double Larghezza = 210, Altezza = 297;
    std::vector<TDefVoce> Voci;
    std::optional<TDefBanda> Banda;
};

struct TDefReport {
    std::string Nome;
    std::vector<TDefPagina> Pagine;
};

struct TFileReport {
    std::vector<TDefReport> Report;
};

// Files longer than this are refused before they are read.
constexpr std::size_t DimensioneMassimaFileReport = 1 << 20;

// Reads a project file's text. On a fault: nothing, and Errore says where ("line 12: ...").
std::optional<TFileReport> LeggiFileReport(std::string_view Testo, std::string& Errore);

} // namespace platform::report
