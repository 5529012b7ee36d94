#include "Aspetto.h"

#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMovie>
#include <QPicture>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleOption>
#include <QTabBar>
#include <QTabWidget>
#include <QTextDocumentFragment>
#include <QWidget>
#include <algorithm>

namespace testing_support {

namespace {

// Cells of a table or list looked at for keys; the program's tables are far smaller.
constexpr int MassimoCelle = 20000;

// The text as drawn where mnemonics show: "&Salva" is "Salva", "&&" is "&".
QString SenzaMnemonici(const QString& s) {
    QString r;
    r.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] == QLatin1Char('&') && i + 1 < s.size()) ++i;
        r += s[i];
    }
    return r;
}

bool ChiaveGrezza(const QString& testo) {
    static const QRegularExpression chiave(QStringLiteral("^STR[A-Z_]"));
    return chiave.match(SenzaMnemonici(testo).trimmed()).hasMatch();
}

QString Nome(const QObject& o) {
    if (!o.objectName().isEmpty()) return o.objectName();
    for (const QObject* p = o.parent(); p; p = p->parent())
        if (!p->objectName().isEmpty()) return QStringLiteral("(unnamed) in ") + p->objectName();
    return QStringLiteral("(unnamed)");
}

QString Dimensione(QSize s) {
    return QStringLiteral("%1x%2 px").arg(s.width()).arg(s.height());
}

// The content of a scroll area: the widget placed in its viewport.
const QWidget* AreaDelContenuto(const QWidget& w) {
    const QWidget* p = w.parentWidget();
    const auto* area = p ? qobject_cast<const QAbstractScrollArea*>(p->parentWidget()) : nullptr;
    return area && area->viewport() == p ? area : nullptr;
}

// What the user sees of `w`, in its own coordinates: the part inside all its parents, empty when it
// lies outside them. A scroll area's content counts whole, wherever it is scrolled.
QRect ParteVisibile(const QWidget& w, const QWidget& Finestra) {
    QRect r = w.rect();
    QPoint origine(0, 0); // of `x`, in the coordinates of `w`
    for (const QWidget* x = &w; x != &Finestra && !x->isWindow() && x->parentWidget();) {
        if (const QWidget* area = AreaDelContenuto(*x))
            return ParteVisibile(*area, Finestra).isEmpty() ? QRect() : r;
        const QWidget* p = x->parentWidget();
        origine -= x->pos();
        r &= QRect(origine, p->size());
        x = p;
    }
    return r;
}

// Qt's own compound controls lay out their parts themselves (arrows, viewport, edit field).
bool Composto(const QWidget& w) {
    return qobject_cast<const QAbstractScrollArea*>(&w) || qobject_cast<const QAbstractSpinBox*>(&w) ||
           qobject_cast<const QComboBox*>(&w) || qobject_cast<const QTabBar*>(&w);
}

// The caption a control shows, for the messages.
QString Didascalia(const QWidget& w) {
    if (const auto* l = qobject_cast<const QLabel*>(&w)) return l->text();
    if (const auto* b = qobject_cast<const QAbstractButton*>(&w)) return b->text();
    if (const auto* g = qobject_cast<const QGroupBox*>(&w)) return g->title();
    if (const auto* c = qobject_cast<const QComboBox*>(&w)) return c->currentText();
    return {};
}

// A border, bevel, shape or empty panel: takes no focus, shows no text, holds no controls.
bool Decorazione(const QWidget& w) {
    return w.focusPolicy() == Qt::NoFocus && Didascalia(w).isEmpty() && !w.findChild<QWidget*>();
}

// A decoration drawn under a control it wholly encloses frames it; anything else on a control
// hides part of it.
bool Incornicia(const QWidget& sotto, const QWidget& sopra) {
    return Decorazione(sotto) && sotto.geometry().contains(sopra.geometry());
}

// A tab's size as the bar lays it out.
struct MisuraLinguetta : QTabBar {
    static QSize Di(const QTabBar& b, int i) { return (b.*(&MisuraLinguetta::tabSizeHint))(i); }
};

class Controllo {
  public:
    Controllo(const QWidget& Finestra, const OpzioniAspetto& Opzioni)
        : finestra_(Finestra), opzioni_(Opzioni) {}

    std::vector<ProblemaAspetto> Esegui() {
        Testo(finestra_, finestra_.windowTitle(), false);
        std::vector<const QWidget*> visibili{&finestra_};
        for (const QWidget* w : finestra_.findChildren<QWidget*>())
            if (w->window() == &finestra_ && w->isVisibleTo(&finestra_) &&
                !ParteVisibile(*w, finestra_).isEmpty())
                visibili.push_back(w);
        for (const QWidget* w : visibili) {
            if (w != &finestra_) Controlla(*w);
            Sovrapposizioni(*w);
        }
        return std::move(problemi_);
    }

  private:
    void Aggiungi(TipoProblema Tipo, const QObject& Oggetto, const QString& Nome, const QString& Testo,
                  const QString& Dettaglio = {}) {
        problemi_.push_back({Tipo, finestra_.objectName(), opzioni_.Contesto, Nome,
                             QString::fromLatin1(Oggetto.metaObject()->className()), Testo, Dettaglio,
                             &Oggetto});
    }

    // A raw key, or a caption left empty where one is expected.
    void Testo(const QObject& o, const QString& testo, bool vuotoConta, const QString& nome = {}) {
        const QString n = nome.isEmpty() ? Nome(o) : nome;
        if (ChiaveGrezza(testo))
            Aggiungi(TipoProblema::ChiaveGrezza, o, n, testo);
        else if (vuotoConta && SenzaMnemonici(testo).trimmed().isEmpty() &&
                 !opzioni_.VuotiAmmessi.contains(o.objectName()))
            Aggiungi(TipoProblema::TestoVuoto, o, n, testo);
    }

    // The text needs `necessario` (in the control's coordinates); the user sees `disponibile`.
    void Adatta(const QWidget& w, const QString& testo, const QRect& necessario, const QRect& disponibile) {
        if (disponibile.contains(necessario)) return;
        Aggiungi(TipoProblema::TestoTagliato, w, Nome(w), testo,
                 QStringLiteral("needs %1, has %2")
                     .arg(Dimensione(necessario.size()), Dimensione(disponibile.size())));
    }

    void Controlla(const QWidget& w) {
        const QRect vista = ParteVisibile(w, finestra_);
        const QStyle* stile = w.style();
        const QFontMetrics fm = w.fontMetrics();
        const Qt::LayoutDirection verso = w.layoutDirection();

        if (const auto* l = qobject_cast<const QLabel*>(&w)) {
            if (!l->pixmap().isNull() || l->movie() || !l->picture().isNull()) return;
            QString testo = l->text();
            if (l->textFormat() == Qt::RichText ||
                (l->textFormat() == Qt::AutoText && Qt::mightBeRichText(testo)))
                testo = QTextDocumentFragment::fromHtml(testo).toPlainText();
            Testo(w, testo, true);
            if (testo.isEmpty()) return;
            const QSize serve =
                l->wordWrap() ? QSize(l->width(), l->heightForWidth(l->width())) : l->sizeHint();
            Adatta(w, l->text(), QStyle::alignedRect(verso, l->alignment(), serve, l->rect()), vista);
        } else if (qobject_cast<const QCheckBox*>(&w) || qobject_cast<const QRadioButton*>(&w)) {
            const auto& b = static_cast<const QAbstractButton&>(w);
            Testo(w, b.text(), b.icon().isNull());
            if (b.text().isEmpty()) return;
            const bool radio = qobject_cast<const QRadioButton*>(&w);
            using S = QStyle;
            const int larghezza =
                stile->pixelMetric(radio ? S::PM_ExclusiveIndicatorWidth : S::PM_IndicatorWidth, nullptr, &w);
            const int altezza = stile->pixelMetric(
                radio ? S::PM_ExclusiveIndicatorHeight : S::PM_IndicatorHeight, nullptr, &w);
            const int spazio = stile->pixelMetric(
                radio ? S::PM_RadioButtonLabelSpacing : S::PM_CheckBoxLabelSpacing, nullptr, &w);
            const QSize t = DimensioneTesto(b, fm);
            const QSize serve(larghezza + spazio + t.width(), std::max(altezza, t.height()));
            Adatta(w, b.text(), QStyle::alignedRect(verso, Qt::AlignLeft | Qt::AlignVCenter, serve, w.rect()),
                   vista);
        } else if (const auto* b = qobject_cast<const QPushButton*>(&w)) {
            Testo(w, b->text(), b->icon().isNull());
            if (b->text().isEmpty()) return;
            QStyleOptionButton o;
            o.initFrom(b);
            o.text = b->text();
            o.icon = b->icon();
            o.iconSize = b->iconSize();
            if (b->isDefault()) o.features |= QStyleOptionButton::DefaultButton;
            if (b->autoDefault()) o.features |= QStyleOptionButton::AutoDefaultButton;
            if (b->isFlat()) o.features |= QStyleOptionButton::Flat;
            if (b->menu()) o.features |= QStyleOptionButton::HasMenu;
            const QSize t = DimensioneTesto(*b, fm);
            // The style's margins around the caption, without the least width it gives short captions.
            constexpr int Ampio = 1000;
            const int margini =
                stile->sizeFromContents(QStyle::CT_PushButton, &o, QSize(Ampio, t.height()), b).width() -
                Ampio;
            const QRect contenuto = stile->subElementRect(QStyle::SE_PushButtonContents, &o, b);
            const QSize serve(t.width() + margini, t.height() + b->height() - contenuto.height());
            Adatta(w, b->text(), QStyle::alignedRect(verso, Qt::AlignCenter, serve, w.rect()), vista);
        } else if (const auto* b = qobject_cast<const QAbstractButton*>(&w)) {
            Testo(w, b->text(), false);
        } else if (const auto* g = qobject_cast<const QGroupBox*>(&w)) {
            Testo(w, g->title(), true);
            if (g->title().isEmpty()) return;
            QStyleOptionGroupBox o;
            o.initFrom(g);
            o.text = g->title();
            o.lineWidth = 1;
            o.midLineWidth = 0;
            o.textAlignment = g->alignment();
            o.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
            if (g->isCheckable()) o.subControls |= QStyle::SC_GroupBoxCheckBox;
            o.features = g->isFlat() ? QStyleOptionFrame::Flat : QStyleOptionFrame::None;
            QRect titolo = stile->subControlRect(QStyle::CC_GroupBox, &o, QStyle::SC_GroupBoxLabel, g);
            if (g->isCheckable())
                titolo |= stile->subControlRect(QStyle::CC_GroupBox, &o, QStyle::SC_GroupBoxCheckBox, g);
            Adatta(w, g->title(), titolo, vista);
        } else if (const auto* c = qobject_cast<const QComboBox*>(&w)) {
            QStyleOptionComboBox o;
            o.initFrom(c);
            o.editable = c->isEditable();
            o.frame = c->hasFrame();
            o.iconSize = c->iconSize();
            o.subControls = QStyle::SC_All;
            // Any entry may become the chosen one, shown in the closed list's field.
            const QRect campo =
                stile->subControlRect(QStyle::CC_ComboBox, &o, QStyle::SC_ComboBoxEditField, c) & vista;
            for (int i = 0; i < c->count(); ++i) {
                const QString voce = c->itemText(i);
                Testo(w, voce, false);
                const int icona = c->itemIcon(i).isNull() ? 0 : c->iconSize().width() + 4;
                const QSize serve(fm.horizontalAdvance(voce) + icona, fm.height());
                Adatta(w, voce, QStyle::alignedRect(verso, Qt::AlignLeft | Qt::AlignVCenter, serve, campo),
                       campo);
            }
        } else if (const auto* t = qobject_cast<const QTabBar*>(&w)) {
            Linguette(*t);
        } else if (const auto* h = qobject_cast<const QHeaderView*>(&w)) {
            if (const QAbstractItemModel* m = h->model()) {
                for (int i = 0; i < h->count(); ++i)
                    if (!h->isSectionHidden(i))
                        Testo(w, m->headerData(i, h->orientation()).toString(), false);
            }
        } else if (const auto* v = qobject_cast<const QAbstractItemView*>(&w)) {
            if (const QAbstractItemModel* m = v->model()) {
                const int righe = m->rowCount(v->rootIndex()), colonne = m->columnCount(v->rootIndex());
                for (int r = 0; r < righe && r * colonne < MassimoCelle; ++r)
                    for (int k = 0; k < colonne; ++k)
                        Testo(w, m->index(r, k, v->rootIndex()).data().toString(), false);
            }
        } else if (const auto* b = qobject_cast<const QMenuBar*>(&w)) {
            Voci(*b);
        }
    }

    static QSize DimensioneTesto(const QAbstractButton& b, const QFontMetrics& fm) {
        QSize t = fm.size(Qt::TextShowMnemonic, b.text());
        if (!b.icon().isNull())
            t = QSize(t.width() + b.iconSize().width() + 4, std::max(t.height(), b.iconSize().height()));
        return t;
    }

    // Every tab's caption, and all the tabs within the bar: past its width the bar shows scroll
    // arrows and hides some of them.
    void Linguette(const QTabBar& t) {
        const auto* schede = qobject_cast<const QTabWidget*>(t.parentWidget());
        const bool verticale = t.shape() == QTabBar::RoundedWest || t.shape() == QTabBar::RoundedEast ||
                               t.shape() == QTabBar::TriangularWest || t.shape() == QTabBar::TriangularEast;
        const QString base = Nome(schede ? static_cast<const QWidget&>(*schede) : t);
        int totale = 0;
        QStringList testi;
        for (int i = 0; i < t.count(); ++i) {
            if (!t.isTabVisible(i)) continue;
            const QWidget* pagina = schede ? schede->widget(i) : nullptr;
            const QString nome =
                base + QStringLiteral(" tab ") +
                (pagina && !pagina->objectName().isEmpty() ? pagina->objectName() : QString::number(i));
            Testo(t, t.tabText(i), t.tabIcon(i).isNull(), nome);
            const QSize s = MisuraLinguetta::Di(t, i);
            totale += verticale ? s.height() : s.width();
            testi << t.tabText(i);
        }
        const int spazio = verticale ? t.height() : t.width();
        if (totale > spazio)
            Aggiungi(TipoProblema::TestoTagliato, t, base, testi.join(QStringLiteral(" | ")),
                     QStringLiteral("the tabs need %1 px, the bar has %2: scroll arrows hide some")
                         .arg(totale)
                         .arg(spazio));
    }

    void Voci(const QWidget& menu) {
        for (const QAction* a : menu.actions()) {
            if (!a->isVisible() || a->isSeparator()) continue;
            const QObject& voce =
                a->menu() && a->objectName().isEmpty() ? static_cast<const QObject&>(*a->menu()) : *a;
            Testo(voce, a->text(), a->icon().isNull());
            if (a->menu()) Voci(*a->menu());
        }
    }

    // Any two shown controls of one parent that lie on each other.
    void Sovrapposizioni(const QWidget& genitore) {
        if (Composto(genitore)) return;
        std::vector<const QWidget*> figli;
        for (const QObject* o : genitore.children()) {
            const auto* w = qobject_cast<const QWidget*>(o);
            if (w && !w->isWindow() && w->isVisibleTo(&finestra_) && !ParteVisibile(*w, finestra_).isEmpty())
                figli.push_back(w);
        }
        for (std::size_t i = 0; i < figli.size(); ++i)
            for (std::size_t j = i + 1; j < figli.size(); ++j) {
                // The children are in stacking order: the later one is drawn over the earlier.
                const QRect comune = figli[i]->geometry() & figli[j]->geometry();
                // Rows drawn one pixel into each other share their border line: nothing is hidden.
                const bool bordoComune = comune.width() <= 1 || comune.height() <= 1;
                if (comune.isEmpty() || bordoComune || Incornicia(*figli[i], *figli[j])) continue;
                Aggiungi(TipoProblema::Sovrapposizione, *figli[i], Nome(*figli[i]), Didascalia(*figli[i]),
                         QStringLiteral("lies on %1 (%2) \"%3\" over %4 at %5,%6")
                             .arg(Nome(*figli[j]), QString::fromLatin1(figli[j]->metaObject()->className()),
                                  Didascalia(*figli[j]), Dimensione(comune.size()))
                             .arg(comune.x())
                             .arg(comune.y()));
            }
    }

    const QWidget& finestra_;
    const OpzioniAspetto& opzioni_;
    std::vector<ProblemaAspetto> problemi_;
};

} // namespace

std::string ProblemaAspetto::Descrizione() const {
    static const char* const tipi[] = {"raw key", "empty caption", "clipped text", "overlap"};
    QString s = Finestra;
    if (!Contesto.isEmpty()) s += QStringLiteral(" [") + Contesto + QLatin1Char(']');
    s += QStringLiteral(": ") + QLatin1String(tipi[static_cast<int>(Tipo)]) + QStringLiteral(": ") +
         Controllo + QStringLiteral(" (") + Classe + QStringLiteral(") \"") + Testo + QLatin1Char('"');
    if (!Dettaglio.isEmpty()) s += QStringLiteral(": ") + Dettaglio;
    return s.toStdString();
}

std::vector<ProblemaAspetto> ControllaAspetto(const QWidget& Finestra, const OpzioniAspetto& Opzioni) {
    // What the user sees is the window once its layouts have settled: a panel shown or resized
    // by the last change asks its parent's layout again, one level of nesting per pass.
    for (int passo = 0; passo < 8; ++passo)
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    return Controllo(Finestra, Opzioni).Esegui();
}

std::string Elenco(const std::vector<ProblemaAspetto>& Problemi) {
    std::string s;
    for (const ProblemaAspetto& p : Problemi)
        s += p.Descrizione() + '\n';
    return s;
}

} // namespace testing_support
