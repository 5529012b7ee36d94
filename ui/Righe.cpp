#include "ui/Righe.h"

#include "config/ConfigPc.h"
#include "config/GetMessage_11.h"
#include "platform/gui/qt/Caratteri.h"
#include "platform/gui/qt/TMaskEdit.h"
#include "platform/gui/qt/TRadioGroup.h"
#include "platform/gui/qt/TShape.h"
#include "ui/Main.h"
#include "ui/Testi.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <optional>

namespace righe {

namespace {

using platform::gui::TShape;

bool CodiciEditabili() {
    return ConfigPc.CodiciRadioEditabili == 1;
}

// The character a key types, as the key press sees it: Backspace is character 8; keys that type
// nothing (Delete, cursor keys, function keys) and shortcuts give none; a character outside
// Windows-1252's first half is 0, which no filter lets through.
std::optional<char> Carattere(const QKeyEvent& k) {
    constexpr Qt::KeyboardModifiers scorciatoia = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
    if (k.key() == Qt::Key_Delete || (k.modifiers() & scorciatoia)) return std::nullopt;
    if (k.key() == Qt::Key_Backspace) return '\b';
    if (k.text().size() != 1) return std::nullopt;
    const char16_t u = k.text().front().unicode();
    return u < 0x100 ? char(u) : '\0';
}

// The code edit's keys, in the order the row's handlers expect them: a key goes down (and no key
// reaches the edit's own editing that way), then its character, filtered, is typed into the edit;
// the release comes last.
class TastiCodiceRadio final : public QObject {
  public:
    TastiCodiceRadio(QLineEdit* edit, TRigaCodiceRadio& riga) : QObject(edit), edit_(edit), riga_(riga) {
        edit->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != edit_ || inoltro_) return false;
        if (event->type() == QEvent::KeyPress) return Premuto(*static_cast<QKeyEvent*>(event));
        if (event->type() == QEvent::KeyRelease) Rilasciato(*static_cast<QKeyEvent*>(event));
        // Text composed by an input method would bypass the filter of the key press.
        return event->type() == QEvent::InputMethod;
    }

  private:
    bool Premuto(const QKeyEvent& k) {
        // The focus moves on as from any control: the code edit must not trap the keyboard.
        if (k.key() == Qt::Key_Tab || k.key() == Qt::Key_Backtab) return false;
        const std::optional<char> c = Carattere(k);
        int tasto = k.key();
        riga_.CodiceRadioKeyDown(edit_, tasto, k.modifiers());
        if (!c) return tasto == 0;
        char car = *c;
        if (car != 0) riga_.CodiceRadioKeyPress(edit_, car);
        if (car != 0) Digita(car);
        return true;
    }

    void Rilasciato(const QKeyEvent& k) {
        if (k.isAutoRepeat()) return; // a held key is released once
        int tasto = k.key();
        riga_.CodiceRadioKeyUp(edit_, tasto, k.modifiers());
    }

    void Digita(char c) {
        const int tasto = c == '\b' ? int(Qt::Key_Backspace) : int(QChar::fromLatin1(c).toUpper().unicode());
        QKeyEvent tipo(QEvent::KeyPress, tasto, Qt::NoModifier, QString(QChar::fromLatin1(c)));
        inoltro_ = true;
        QCoreApplication::sendEvent(edit_, &tipo);
        inoltro_ = false;
    }

    QLineEdit* edit_;
    TRigaCodiceRadio& riga_;
    bool inoltro_ = false;
};

// The siren and the bell of a zone: ticking one clears the other, quietly, so that the other's
// own handler does not answer back.
void Escludi(const QCheckBox* Cliccata, QCheckBox* Altra) {
    if (!Cliccata->isChecked()) return;
    const QSignalBlocker staccata(Altra);
    Altra->setChecked(false);
}

} // namespace

void Rinfresca() {
    if (MainFrm) MainFrm->Aggiorna();
}

// ---- Controls ---------------------------------------------------------------------------------

QLabel* Etichetta(QWidget* Riga, const char* Nome, const char* Caption, const QRect& Posizione) {
    auto* l = Nominato(new QLabel(QString::fromLatin1(Caption), Riga), Nome);
    if (Posizione.isEmpty()) {
        l->move(Posizione.topLeft());
        l->adjustSize();
    } else {
        l->setGeometry(Posizione);
    }
    return l;
}

namespace {

template <class Pulsantiera>
Pulsantiera* ConCaption(QWidget* Riga, const char* Nome, const char* Caption, const QRect& Posizione) {
    auto* c = Nominato(new Pulsantiera(QString::fromLatin1(Caption), Riga), Nome);
    c->setGeometry(Posizione);
    return c;
}

} // namespace

QCheckBox* Casella(QWidget* Riga, const char* Nome, const char* Caption, const QRect& Posizione) {
    return ConCaption<QCheckBox>(Riga, Nome, Caption, Posizione);
}

QPushButton* Pulsante(QWidget* Riga, const char* Nome, const char* Caption, const QRect& Posizione) {
    return ConCaption<QPushButton>(Riga, Nome, Caption, Posizione);
}

platform::gui::TRadioGroup* Gruppo(QWidget* Riga, const char* Nome, int Colonne,
                                   const std::vector<std::string>& Voci, const QRect& Posizione) {
    auto* g = Nominato(new platform::gui::TRadioGroup(Riga), Nome);
    g->SetColumns(Colonne);
    g->SetItems(Voci);
    g->setGeometry(Posizione);
    return g;
}

platform::gui::TMaskEdit* Campo(QWidget* Riga, const char* Nome, const char* Maschera, int MaxCaratteri,
                                const QRect& Posizione) {
    auto* e = Nominato(new platform::gui::TMaskEdit(Riga), Nome);
    e->SetMaxLength(MaxCaratteri);
    e->SetEditMask(Maschera);
    e->setFont(platform::gui::CarattereFisso());
    e->setGeometry(Posizione);
    return e;
}

TShape* Spia(QWidget* Riga, const char* Nome, const QRect& Posizione) {
    auto* s = Nominato(new TShape(Riga), Nome);
    s->SetShape(TShape::Kind::Circle);
    s->SetBrushColor(QColor(240, 240, 240));
    s->setGeometry(Posizione);
    return s;
}

TShape* Bordo(QFrame* Riga) {
    auto* b = Nominato(new TShape(Riga), "ShapeBordo");
    b->SetBrushStyle(Qt::NoBrush);
    b->setAttribute(Qt::WA_TransparentForMouseEvents);
    b->setGeometry(Riga->rect());
    b->lower();
    // A layout of the border alone keeps it on the whole row whatever height the page gives it;
    // the other controls stay where the design put them.
    auto* l = new QGridLayout(Riga);
    l->setSizeConstraint(QLayout::SetNoConstraint);
    l->setContentsMargins(0, 0, 0, 0);
    l->addWidget(b);
    return b;
}

// ---- Radio code -------------------------------------------------------------------------------

void TRigaCodiceRadio::CreaCodiceRadio(QFrame* Riga, const QRect& PosPulsante, const QRect& PosEdit) {
    CancellaRadioBtn = Pulsante(Riga, "CancellaRadioBtn", "Cancella", PosPulsante);
    CodiceRadio = Nominato(new QLineEdit(QStringLiteral("000000"), Riga), "CodiceRadio");
    CodiceRadio->setMaxLength(6);
    CodiceRadio->setFont(platform::gui::CarattereFisso());
    CodiceRadio->setGeometry(PosEdit);
    new TastiCodiceRadio(CodiceRadio, *this);
    QObject::connect(CancellaRadioBtn, &QPushButton::clicked, Riga, [this] { CancellaRadioBtnClick(); });
}

void TRigaCodiceRadio::CodiceRadioKeyPress(QObject*, char& Key) {
    if (!CodiciEditabili()) {
        Key = 0;
        return;
    }
    if (Key >= 'a' && Key <= 'f') Key = char(Key - 'a' + 'A');
    const bool esadecimale = (Key >= '0' && Key <= '9') || (Key >= 'A' && Key <= 'F');
    if (!esadecimale && Key != '\b') Key = 0;
}

void TRigaCodiceRadio::CodiceRadioKeyUp(QObject*, int&, Qt::KeyboardModifiers) {
    if (!CodiciEditabili() || !CodiceRadio) return;
    const QString testo = CodiceRadio->text();
    TCodiceRadio* codice = CodiceDellaRiga();
    if (testo.size() != 6 || !codice) return;
    // Pasted lower-case digits are digits all the same.
    auto cifra = [&testo](int i) { return testo[i].toUpper().toLatin1(); };
    for (int i = 0; i < 3; ++i)
        codice->Byte[i] = HexToByte(cifra(2 * i), cifra(2 * i + 1));
    Rinfresca();
}

void TRigaCodiceRadio::CodiceRadioKeyDown(QObject*, int& Key, Qt::KeyboardModifiers) {
    if (CodiciEditabili() && Key == Qt::Key_Delete) Azzera();
    Key = 0;
}

void TRigaCodiceRadio::Azzera() {
    TCodiceRadio* codice = CodiceDellaRiga();
    if (!codice) return;
    *codice = TCodiceRadio{};
    Rinfresca();
}

// ---- Zone options -----------------------------------------------------------------------------

void TRigaZona::CreaControlliZona(QFrame* Riga, const TPosizioniZona& Pos) {
    NumeroZonaLabel = Etichetta(Riga, "NumeroZonaLabel", "", Pos.Numero);
    AlertZonaAbilitato = Casella(Riga, "AlertZonaAbilitato", "Alert", Pos.Alert);
    TecnologicoZonaAbilitato = Casella(Riga, "TecnologicoZonaAbilitato", "24 ore", Pos.Tecnologico);
    SetAvvisiSmsPerTecnoOExt = Casella(Riga, "SetAvvisiSmsPerTecnoOExt", "Avvisi Sms", Pos.AvvisiSms);
    SetAvvisiVocPerTecnoOExt = Casella(Riga, "SetAvvisiVocPerTecnoOExt", "Avvisi Vocali", Pos.AvvisiVoc);
    SetSirenaPerTecnoOExt = Casella(Riga, "SetSirenaPerTecnoOExt", "Sirena", Pos.Sirena);
    SetSuoneriaPerTecnoOExt = Casella(Riga, "SetSuoneriaPerTecnoOExt", "Suoneria", Pos.Suoneria);
    TipoProgrZona = Gruppo(Riga, "TipoProgrZona", 3, {"D", "I", "R"}, Pos.TipoProgr);
    SetTipoSensore = Gruppo(Riga, "SetTipoSensore", 3, {"T", "P", "E"}, Pos.TipoSensore);
    SetSettoreInserito = Gruppo(Riga, "SetSettoreInserito", 4, {"F1", "F2", "F3", "F4"}, Pos.Settore);
    SetSettoreInserito->hide();
    DescrizioneZona = Campo(Riga, "DescrizioneZona", "ccccccccccccccccccccccccc;0; ", 25, Pos.Descrizione);

    using platform::gui::TRadioGroup;
    QObject::connect(TecnologicoZonaAbilitato, &QCheckBox::toggled, Riga,
                     [this] { TecnologicoZonaAbilitatoClick(); });
    QObject::connect(SetTipoSensore, &TRadioGroup::Click, Riga, [this] { SetTipoSensoreClick(); });
    QObject::connect(SetSettoreInserito, &TRadioGroup::Click, Riga, [this] { SetSettoreInseritoClick(); });
    QObject::connect(SetSirenaPerTecnoOExt, &QCheckBox::toggled, Riga,
                     [this] { SetSirenaPerTecnoOExtClick(); });
    QObject::connect(SetSuoneriaPerTecnoOExt, &QCheckBox::toggled, Riga,
                     [this] { SetSuoneriaPerTecnoOExtClick(); });
}

void TRigaZona::SetSirenaPerTecnoOExtClick() {
    Escludi(SetSirenaPerTecnoOExt, SetSuoneriaPerTecnoOExt);
}

void TRigaZona::SetSuoneriaPerTecnoOExtClick() {
    Escludi(SetSuoneriaPerTecnoOExt, SetSirenaPerTecnoOExt);
}

} // namespace righe
