#include "ui/LegameImmagine.h"

#include "config/OperatoriGsm.h"
#include "platform/gui/qt/QtText.h"
#include "platform/gui/qt/TMaskEdit.h"
#include "platform/gui/qt/TMemo.h"
#include "platform/gui/qt/TRadioGroup.h"
#include "platform/gui/qt/TSpinEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QSignalBlocker>
#include <QTableWidget>
#include <cstdio>
#include <limits>
#include <optional>

namespace immagine {

using platform::gui::TMaskEdit;
using platform::gui::TMemo;
using platform::gui::TRadioGroup;
using platform::gui::TSpinEdit;

namespace {

TLegame Nuovo(void* Campo, std::size_t Misura, TConversione Conversione, TControllo Tipo, QWidget* Controllo,
              bool Staccato = false) {
    TLegame l;
    l.Campo = Campo;
    l.Misura = Misura;
    l.Conversione = Conversione;
    l.Tipo = Tipo;
    l.Controllo = Controllo;
    l.Staccato = Staccato;
    return l;
}

TLegame NuovoTesto(const TStringaLegata& s, TConversione Conversione, TControllo Tipo, QWidget* Controllo) {
    TLegame l = Nuovo(s.Campo, s.Misura, Conversione, Tipo, Controllo);
    l.LeggiTesto = s.Leggi;
    l.ScriviTesto = s.Scrivi;
    return l;
}

std::uint8_t& Byte(const TLegame& l) {
    return *static_cast<std::uint8_t*>(l.Campo);
}

int Intero(const TLegame& l) {
    return l.Misura == 2 ? *static_cast<const std::uint16_t*>(l.Campo) : Byte(l);
}

QComboBox* Combo(const TLegame& l) {
    return static_cast<QComboBox*>(l.Controllo);
}
TRadioGroup* Gruppo(const TLegame& l) {
    return static_cast<TRadioGroup*>(l.Controllo);
}
TMaskEdit* Maschera(const TLegame& l) {
    return static_cast<TMaskEdit*>(l.Controllo);
}

int Indice(const TLegame& l) {
    return l.Tipo == TControllo::Combo ? Combo(l)->currentIndex() : Gruppo(l)->ItemIndex();
}

// A combo box with no item of that index selects nothing; a radio group selects its last item.
void ImpostaIndice(const TLegame& l, int Valore) {
    if (l.Tipo == TControllo::Combo) {
        QComboBox* c = Combo(l);
        c->setCurrentIndex(Valore >= 0 && Valore < c->count() ? Valore : -1);
    } else {
        Gruppo(l)->SetItemIndex(Valore);
    }
}

std::string TestoControllo(const TLegame& l) {
    switch (l.Tipo) {
    case TControllo::Maschera:
        return Maschera(l)->Text();
    case TControllo::Memo:
        return static_cast<TMemo*>(l.Controllo)->Text();
    case TControllo::Griglia: {
        const QTableWidgetItem* cella = static_cast<QTableWidget*>(l.Controllo)->item(l.Riga, 1);
        return cella ? platform::gui::ToCp1252(cella->text()) : std::string();
    }
    default:
        return {};
    }
}

void ImpostaTesto(const TLegame& l, std::string_view Testo) {
    switch (l.Tipo) {
    case TControllo::Maschera:
        Maschera(l)->SetText(Testo);
        break;
    case TControllo::Memo:
        static_cast<TMemo*>(l.Controllo)->SetText(Testo);
        break;
    case TControllo::Griglia: {
        auto* g = static_cast<QTableWidget*>(l.Controllo);
        if (QTableWidgetItem* cella = g->item(l.Riga, 1))
            cella->setText(platform::gui::FromCp1252(Testo));
        else
            g->setItem(l.Riga, 1, new QTableWidgetItem(platform::gui::FromCp1252(Testo)));
        break;
    }
    default:
        break;
    }
}

std::string Mostrato(const TLegame& l) {
    const std::string t = l.LeggiTesto(l.Campo);
    return l.Conversione == TConversione::TestoRifilato ? Rifila(t) : t;
}

// What an edit gives back for a text it is set to, when it cannot hold all of it; nothing when it
// holds it whole. Memos and grid cells hold every text their field can.
std::optional<std::string> Tagliato(const TLegame& l, const std::string& Testo) {
    if (l.Tipo != TControllo::Maschera) return std::nullopt;
    const TMaskEdit* e = Maschera(l);
    const platform::gui::DelphiMask& m = e->Mask();
    const std::size_t capienza = m.IsMasked()         ? m.Size()
                                 : e->MaxLength() > 0 ? std::size_t(e->MaxLength())
                                                      : std::numeric_limits<std::size_t>::max();
    if (Testo.size() <= capienza) return std::nullopt;
    return m.IsMasked() ? m.ToText(m.FromText(Testo)) : Testo.substr(0, capienza);
}

void LeggiTesto(const TLegame& l) {
    const bool rifilato = l.Conversione == TConversione::TestoRifilato;
    std::string letto = TestoControllo(l);
    if (rifilato) letto = Rifila(letto);
    // A stored text longer than its edit holds (written by an older program or by the panel) is
    // shown cut. While the edit still holds just that cut text, reading it back would silently drop
    // the end of the stored one: the stored text stays whole until the user changes it.
    if (const std::optional<std::string> tagliato = Tagliato(l, Mostrato(l))) {
        if (letto == (rifilato ? Rifila(*tagliato) : *tagliato)) return;
    }
    l.ScriviTesto(l.Campo, letto);
}

char TipoCreditoDiVoce(int Voce) {
    switch (Voce) {
    case 1:
        return 'T';
    case 2:
        return 'S';
    case 3:
        return 'F';
    default:
        return 'C';
    }
}

int VoceDiTipoCredito(char Tipo) {
    switch (Tipo) {
    case 'T':
        return 1;
    case 'S':
        return 2;
    case 'F':
        return 3;
    default:
        return 0;
    }
}

} // namespace

// ---- Building ------------------------------------------------------------------------------------

TLegame Casella(std::uint8_t& Campo, QCheckBox* Controllo, bool Staccato) {
    return Nuovo(&Campo, 1, TConversione::Casella, TControllo::Casella, Controllo, Staccato);
}
TLegame Numero(std::uint8_t& Campo, TSpinEdit* Controllo) {
    return Nuovo(&Campo, 1, TConversione::Numero, TControllo::Spin, Controllo);
}
TLegame Numero(std::uint16_t& Campo, TSpinEdit* Controllo) {
    return Nuovo(&Campo, 2, TConversione::Numero, TControllo::Spin, Controllo);
}
TLegame Voce(std::uint8_t& Campo, QComboBox* Controllo) {
    return Nuovo(&Campo, 1, TConversione::Voce, TControllo::Combo, Controllo);
}
TLegame Voce(std::uint8_t& Campo, TRadioGroup* Controllo, bool Staccato) {
    return Nuovo(&Campo, 1, TConversione::Voce, TControllo::Gruppo, Controllo, Staccato);
}
TLegame Voce0(std::uint8_t& Campo, TRadioGroup* Controllo) {
    return Nuovo(&Campo, 1, TConversione::Voce0, TControllo::Gruppo, Controllo);
}
TLegame TipoCredito(char& Campo, TRadioGroup* Controllo, bool Staccato) {
    return Nuovo(&Campo, 1, TConversione::TipoCredito, TControllo::Gruppo, Controllo, Staccato);
}
TLegame Operatore(TStringaLegata Campo, QComboBox* Controllo) {
    return NuovoTesto(Campo, TConversione::Operatore, TControllo::Combo, Controllo);
}
TLegame Programmazione(TConfigZona& Zona, TRadioGroup* Controllo) {
    return Nuovo(&Zona, sizeof Zona, TConversione::Programmazione, TControllo::Gruppo, Controllo);
}
TLegame Testo(TStringaLegata Campo, TMaskEdit* Controllo) {
    return NuovoTesto(Campo, TConversione::Testo, TControllo::Maschera, Controllo);
}
TLegame TestoRifilato(TStringaLegata Campo, TMaskEdit* Controllo) {
    return NuovoTesto(Campo, TConversione::TestoRifilato, TControllo::Maschera, Controllo);
}
TLegame Testo(TStringaLegata Campo, TMemo* Controllo) {
    return NuovoTesto(Campo, TConversione::Testo, TControllo::Memo, Controllo);
}
TLegame Cella(TStringaLegata Campo, QTableWidget* Griglia, int Riga) {
    TLegame l = NuovoTesto(Campo, TConversione::Testo, TControllo::Griglia, Griglia);
    l.Riga = Riga;
    return l;
}

// ---- Walking -------------------------------------------------------------------------------------

void Mostra(const TLegame& l) {
    if (!l.Controllo) return;
    std::optional<QSignalBlocker> staccato;
    if (l.Staccato) staccato.emplace(l.Controllo);
    switch (l.Conversione) {
    case TConversione::Casella:
        static_cast<QCheckBox*>(l.Controllo)->setChecked(Byte(l) != 0);
        break;
    case TConversione::Numero:
        static_cast<TSpinEdit*>(l.Controllo)->SetValue(Intero(l));
        break;
    case TConversione::Voce:
        ImpostaIndice(l, Byte(l));
        break;
    case TConversione::Voce0:
        Gruppo(l)->SetItemIndex(Byte(l) == 1 ? 0 : 1);
        break;
    case TConversione::TipoCredito:
        Gruppo(l)->SetItemIndex(VoceDiTipoCredito(*static_cast<const char*>(l.Campo)));
        break;
    case TConversione::Operatore:
        Combo(l)->setCurrentIndex(IndiceOperatore(l.LeggiTesto(l.Campo)));
        break;
    case TConversione::Programmazione: {
        const auto& z = *static_cast<const TConfigZona*>(l.Campo);
        Gruppo(l)->SetItemIndex(z.Attiva == 0 ? 0 : z.Ritardata == 0 ? 1 : 2);
        break;
    }
    case TConversione::Testo:
    case TConversione::TestoRifilato:
        ImpostaTesto(l, Mostrato(l));
        break;
    }
}

void Leggi(const TLegame& l) {
    if (!l.Controllo) return;
    switch (l.Conversione) {
    case TConversione::Casella:
        Byte(l) = static_cast<const QCheckBox*>(l.Controllo)->isChecked() ? 1 : 0;
        break;
    case TConversione::Numero: {
        // A number read before the field is left is stored as typed, even past the field's
        // range. One too large for the image's field would lose its high bits and turn into
        // another value: that one counts as the field will hold it once left.
        const auto* s = static_cast<const TSpinEdit*>(l.Controllo);
        const int massimo = l.Misura == 2 ? 0xFFFF : 0xFF;
        const int v = s->Value() >= 0 && s->Value() <= massimo ? s->Value() : s->Clamp(s->Value());
        if (l.Misura == 2)
            *static_cast<std::uint16_t*>(l.Campo) = std::uint16_t(v);
        else
            Byte(l) = std::uint8_t(v);
        break;
    }
    case TConversione::Voce:
        // No selection is stored as 255.
        Byte(l) = std::uint8_t(Indice(l));
        break;
    case TConversione::Voce0:
        Byte(l) = Gruppo(l)->ItemIndex() == 0 ? 1 : 0;
        break;
    case TConversione::TipoCredito:
        *static_cast<char*>(l.Campo) = TipoCreditoDiVoce(Gruppo(l)->ItemIndex());
        break;
    case TConversione::Operatore: {
        // An operator missing from the operator table (or an older table) shows no selection;
        // storing "none" would change the panel's operator on the next send.
        const int i = Combo(l)->currentIndex();
        if (i >= 0) l.ScriviTesto(l.Campo, CodiceOperatore(i));
        break;
    }
    case TConversione::Programmazione: {
        auto& z = *static_cast<TConfigZona*>(l.Campo);
        const int i = Gruppo(l)->ItemIndex();
        z.Attiva = i == 0 ? 0 : 1;
        z.Ritardata = i == 0 || i == 1 ? 0 : 1;
        break;
    }
    case TConversione::Testo:
    case TConversione::TestoRifilato:
        LeggiTesto(l);
        break;
    }
}

// ---- Helpers -------------------------------------------------------------------------------------

std::string Rifila(std::string_view Testo) {
    auto vuoto = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    std::size_t inizio = 0, fine = Testo.size();
    while (inizio < fine && vuoto(Testo[inizio]))
        ++inizio;
    while (fine > inizio && vuoto(Testo[fine - 1]))
        --fine;
    return std::string(Testo.substr(inizio, fine - inizio));
}

std::string TestoCodiceRadio(const TCodiceRadio& Codice) {
    char testo[7];
    std::snprintf(testo, sizeof testo, "%02X%02X%02X", Codice.Byte[0], Codice.Byte[1], Codice.Byte[2]);
    return testo;
}

} // namespace immagine
