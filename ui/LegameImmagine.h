#pragma once
// One image field bound to the control that shows it, and the conversion between the two. The
// main window keeps one table of these and walks it both ways: into the controls when the image
// changes, back into the image before the image is used. What only one way does (the clock, the
// visibility rules, the flags of the peripheral slots) stays beside the table, in the window.
#include "config/GlobalsVar.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class QCheckBox;
class QComboBox;
class QTableWidget;
class QWidget;

namespace platform::gui {
class TMaskEdit;
class TMemo;
class TRadioGroup;
class TSpinEdit;
} // namespace platform::gui

namespace immagine {

enum class TConversione : std::uint8_t {
    Casella,        // ticked by a non-zero byte; stores 1 or 0
    Numero,         // spin: the number, held to the control's range; a byte or a word
    Voce,           // item index = value; nothing selected stores 255
    Voce0,          // two choices: 1 is item 0, anything else item 1
    TipoCredito,    // 'C', 'T', 'S', 'F' are items 0..3; another character shows item 0
    Operatore,      // operator code <-> item of the operator table; with nothing selected the code stays
    Programmazione, // Attiva and Ritardata of a zone <-> disabled, instant, delayed
    Testo,          // the text as stored
    TestoRifilato   // the text without the blanks around it
};

enum class TControllo : std::uint8_t { Casella, Spin, Combo, Gruppo, Maschera, Memo, Griglia };

namespace dettaglio {
template <std::size_t N> std::string Leggi(const void* s) {
    return static_cast<const TStringa<N>*>(s)->Leggi();
}
template <std::size_t N> void Scrivi(void* s, std::string_view t) {
    static_cast<TStringa<N>*>(s)->Scrivi(t);
}
} // namespace dettaglio

// A short string of any declared length, read and written through its own type.
struct TStringaLegata {
    template <std::size_t N>
    TStringaLegata(TStringa<N>& s) // NOLINT: every short string binds as it is
        : Campo(&s), Misura(N), Leggi(&dettaglio::Leggi<N>), Scrivi(&dettaglio::Scrivi<N>) {}
    void* Campo;
    std::size_t Misura;
    std::string (*Leggi)(const void*);
    void (*Scrivi)(void*, std::string_view);
};

struct TLegame {
    void* Campo = nullptr;
    // Integer fields: their bytes. Texts: the declared length of the short string.
    std::size_t Misura = 0;
    TConversione Conversione = TConversione::Casella;
    TControllo Tipo = TControllo::Casella;
    QWidget* Controllo = nullptr;
    // Its click handler must not run while code sets it: the handler's refresh would re-enter.
    bool Staccato = false;
    // The grid row of a message name.
    int Riga = 0;
    std::string (*LeggiTesto)(const void*) = nullptr;
    void (*ScriviTesto)(void*, std::string_view) = nullptr;
};

// ---- Building the table. A null control gives an entry that both walks skip.
TLegame Casella(std::uint8_t& Campo, QCheckBox* Controllo, bool Staccato = false);
TLegame Numero(std::uint8_t& Campo, platform::gui::TSpinEdit* Controllo);
TLegame Numero(std::uint16_t& Campo, platform::gui::TSpinEdit* Controllo);
TLegame Voce(std::uint8_t& Campo, QComboBox* Controllo);
TLegame Voce(std::uint8_t& Campo, platform::gui::TRadioGroup* Controllo, bool Staccato = false);
TLegame Voce0(std::uint8_t& Campo, platform::gui::TRadioGroup* Controllo);
TLegame TipoCredito(char& Campo, platform::gui::TRadioGroup* Controllo, bool Staccato);
TLegame Operatore(TStringaLegata Campo, QComboBox* Controllo);
TLegame Programmazione(TConfigZona& Zona, platform::gui::TRadioGroup* Controllo);

// Texts. A message name is column 1 of its grid row.
TLegame Testo(TStringaLegata Campo, platform::gui::TMaskEdit* Controllo);
TLegame TestoRifilato(TStringaLegata Campo, platform::gui::TMaskEdit* Controllo);
TLegame Testo(TStringaLegata Campo, platform::gui::TMemo* Controllo);
TLegame Cella(TStringaLegata Campo, QTableWidget* Griglia, int Riga);

// ---- The two walks of one entry.
void Mostra(const TLegame& Legame);
void Leggi(const TLegame& Legame);

// ---- Helpers of the rules beside the table.
// Without the blanks (and control characters) at either end.
std::string Rifila(std::string_view Testo);
// Six upper-case hexadecimal digits, byte 0 first.
std::string TestoCodiceRadio(const TCodiceRadio& Codice);

} // namespace immagine
