#include "ui/MainDisegno.h"

#include "platform/gui/qt/DelphiMask.h"
#include "platform/gui/qt/QtText.h"
#include "platform/gui/qt/TMaskEdit.h"
#include "platform/gui/qt/TRadioGroup.h"
#include "platform/gui/qt/TSpinEdit.h"
#include "ui/Testi.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <algorithm>

namespace disegno {
namespace {

// A line edit's frame and inner margins on both sides, with room for the cursor.
constexpr int CorniceCampo = 12;
// The up and down arrows of a number field.
constexpr int FrecceSpin = 22;
// A title bar's icon, its three buttons and the room around the title. Window managers draw
// titles in a face of their own, commonly a quarter wider than this bold one.
constexpr int RiservaBarraTitolo = 130;

int NumeroCifre(int Valore) {
    int n = Valore < 0 ? 2 : 1;
    for (int v = Valore < 0 ? -Valore : Valore; v >= 10; v /= 10)
        ++n;
    return n;
}

} // namespace

QLabel* Etichetta(QWidget* Parent, const char* Nome, const char* Caption) {
    return Nominato(new QLabel(QString::fromUtf8(Caption), Parent), Nome);
}

QCheckBox* Casella(QWidget* Parent, const char* Nome, const char* Caption) {
    return Nominato(new QCheckBox(QString::fromUtf8(Caption), Parent), Nome);
}

QPushButton* Pulsante(QWidget* Parent, const char* Nome, const char* Caption) {
    auto* b = Nominato(new QPushButton(QString::fromUtf8(Caption), Parent), Nome);
    b->setAutoDefault(false);
    return b;
}

int LarghezzaTesto(const QWidget* Controllo, int Caratteri, QChar Campione) {
    const QFontMetrics fm(Controllo->font());
    return fm.horizontalAdvance(QString(Caratteri, Campione)) + CorniceCampo;
}

int LarghezzaPerTitolo(const QWidget* Finestra, const QString& Titolo) {
    QFont grassetto = Finestra->font();
    grassetto.setBold(true);
    return QFontMetrics(grassetto).horizontalAdvance(Titolo) * 5 / 4 + RiservaBarraTitolo;
}

platform::gui::TSpinEdit* Spin(QWidget* Parent, const char* Nome, int Min, int Max, int Cifre) {
    auto* s = Nominato(new platform::gui::TSpinEdit(Parent), Nome);
    s->SetMinValue(Min);
    s->SetMaxValue(Max);
    s->SetValue(Min);
    s->setFixedWidth(LarghezzaTesto(s, std::max({NumeroCifre(Min), NumeroCifre(Max), Cifre}), u'0') +
                     FrecceSpin);
    return s;
}

platform::gui::TMaskEdit* CampoMaschera(QWidget* Parent, const char* Nome, const char* Maschera) {
    auto* e = Nominato(new platform::gui::TMaskEdit(Parent), Nome);
    e->SetEditMask(Maschera);
    // Each position as wide as the widest character it may hold or the blank it shows.
    const QFontMetrics fm(e->font());
    const platform::gui::DelphiMask& m = e->Mask();
    const int vuoto = fm.horizontalAdvance(platform::gui::FromCp1252(std::string(1, m.Blank())));
    int larghezza = CorniceCampo;
    for (const auto& p : m.Positions()) {
        using K = platform::gui::DelphiMask::Kind;
        if (p.kind == K::Literal)
            larghezza += fm.horizontalAdvance(platform::gui::FromCp1252(std::string(1, p.literal)));
        else
            larghezza += std::max(vuoto, fm.horizontalAdvance(p.kind == K::Digit || p.kind == K::DigitOrSign
                                                                  ? QChar(u'0')
                                                                  : QChar(u'X')));
    }
    e->setFixedWidth(larghezza);
    return e;
}

platform::gui::TMaskEdit* CampoTesto(QWidget* Parent, const char* Nome, int MaxCaratteri) {
    auto* e = Nominato(new platform::gui::TMaskEdit(Parent), Nome);
    e->SetMaxLength(MaxCaratteri);
    e->setFixedWidth(LarghezzaTesto(e, MaxCaratteri, u'X'));
    return e;
}

QComboBox* Lista(QWidget* Parent, const char* Nome, std::initializer_list<const char*> Voci) {
    auto* c = Nominato(new QComboBox(Parent), Nome);
    c->setEditable(false);
    // The translation replaces the items: the box follows their width.
    c->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    for (const char* v : Voci)
        c->addItem(QString::fromUtf8(v));
    return c;
}

platform::gui::TRadioGroup* Gruppo(QWidget* Parent, const char* Nome, const char* Caption,
                                   const std::vector<std::string>& Voci, int Colonne) {
    auto* g = Nominato(new platform::gui::TRadioGroup(Parent), Nome);
    g->SetCaption(platform::gui::ToCp1252(QString::fromUtf8(Caption)));
    std::vector<std::string> voci;
    for (const std::string& v : Voci)
        voci.push_back(platform::gui::ToCp1252(QString::fromUtf8(v)));
    g->SetItems(voci);
    g->SetColumns(Colonne);
    return g;
}

QFrame* Riquadro(QWidget* Parent, const char* Nome) {
    auto* f = Nominato(new QFrame(Parent), Nome);
    f->setFrameShape(QFrame::StyledPanel);
    return f;
}

QGridLayout* Modulo(QWidget* Parent, int Margine) {
    auto* g = new QGridLayout(Parent);
    g->setContentsMargins(Margine, Margine, Margine, Margine);
    g->setHorizontalSpacing(SpazioColonne);
    g->setVerticalSpacing(SpazioRighe);
    return g;
}

namespace {
int RigaSuccessiva(QGridLayout* Modulo) {
    return Modulo->count() == 0 ? 0 : Modulo->rowCount();
}
} // namespace

void RigaModulo(QGridLayout* Modulo, QLabel* Etichetta, QWidget* Campo) {
    const int r = RigaSuccessiva(Modulo);
    Modulo->addWidget(Etichetta, r, 0, Qt::AlignLeft | Qt::AlignVCenter);
    Modulo->addWidget(Campo, r, 1, Qt::AlignLeft | Qt::AlignVCenter);
    Etichetta->setBuddy(Campo);
}

void RigaIntera(QGridLayout* Modulo, QWidget* Controllo) {
    Modulo->addWidget(Controllo, RigaSuccessiva(Modulo), 0, 1, 2, Qt::AlignLeft | Qt::AlignVCenter);
}

void PannelloAdattato(QLayout* Layout) {
    Layout->setSizeConstraint(QLayout::SetFixedSize);
}

void Nascondi(std::initializer_list<QWidget*> Controlli) {
    for (QWidget* w : Controlli)
        w->setVisible(false);
}

} // namespace disegno
