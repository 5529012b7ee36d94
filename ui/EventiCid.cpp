#include "ui/EventiCid.h"

#include "config/ChiaviLingua.h"
#include "config/GlobalsVar.h"
#include "platform/gui/qt/Caratteri.h"
#include "platform/gui/qt/QtText.h"
#include "platform/gui/qt/TMaskEdit.h"
#include "ui/MainDisegno.h"
#include "ui/Testi.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QSpacerItem>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

TEventiCidFrm* EventiCidFrm = nullptr;

namespace {

constexpr int ColonnaNomi = 0;
constexpr int ColonnaCodici = 1;
constexpr int RigheGriglia = NumEventiCid + 1; // the headings, then one row per event
constexpr int LarghezzaNomi = 240;
constexpr int LarghezzaCodici = 80;
constexpr int AltezzaRiga = 25;
constexpr int MargineFinestra = 12;
constexpr int CifreCodice = 3;
const char* const CodiceNullo = "000";

// The table NumTabella chooses.
TStringa<3>* TabellaScelta(std::uint8_t NumTabella) {
    return NumTabella == 1 ? ConfigCentrale.TabellaEventiCid1 : ConfigCentrale.TabellaEventiCid2;
}

// What a code cell stores: its text without the blanks around it when that is three digits,
// otherwise "000". A position left empty in the mask reads as a blank, so "1 3" is not a code, and
// a blank before a code must not push its last digit out.
QString CodiceDaCella(const QString& Testo) {
    qsizetype inizio = 0, fine = Testo.size();
    while (inizio < fine && Testo[inizio].unicode() <= u' ')
        ++inizio;
    while (fine > inizio && Testo[fine - 1].unicode() <= u' ')
        --fine;
    const QString codice = Testo.mid(inizio, fine - inizio);
    if (codice.size() != CifreCodice) return QString::fromLatin1(CodiceNullo);
    for (QChar c : codice)
        if (c < u'0' || c > u'9') return QString::fromLatin1(CodiceNullo);
    return codice;
}

} // namespace

// The codes are typed through the window's edit mask, and the cells speak Windows-1252 as the
// image does.
class TEditorCodiceCid final : public QStyledItemDelegate {
  public:
    TEditorCodiceCid(const TEventiCidFrm& Finestra, QObject* Parent)
        : QStyledItemDelegate(Parent), finestra_(Finestra) {}

    QWidget* createEditor(QWidget* Parent, const QStyleOptionViewItem&,
                          const QModelIndex& Indice) const override {
        auto* e = new platform::gui::TMaskEdit(Parent);
        e->setFrame(false);
        e->SetEditMask(
            finestra_.AssociazioneEventiCidGetEditMask(Indice.column(), Indice.row()).toStdString());
        aperto_ = e;
        return e;
    }
    void setEditorData(QWidget* Editor, const QModelIndex& Indice) const override {
        if (auto* e = qobject_cast<platform::gui::TMaskEdit*>(Editor))
            e->SetText(platform::gui::ToCp1252(Indice.data().toString()));
    }
    void setModelData(QWidget* Editor, QAbstractItemModel* Modello,
                      const QModelIndex& Indice) const override {
        if (auto* e = qobject_cast<platform::gui::TMaskEdit*>(Editor))
            Modello->setData(Indice, platform::gui::FromCp1252(e->Text()));
    }

    void destroyEditor(QWidget* Editor, const QModelIndex& Indice) const override {
        if (Editor == aperto_) aperto_ = nullptr;
        QStyledItemDelegate::destroyEditor(Editor, Indice);
    }

    // The code still being typed when OK is pressed goes into its cell first, as it stands.
    void Conferma() {
        if (aperto_) emit commitData(aperto_);
    }

  private:
    const TEventiCidFrm& finestra_;
    mutable QPointer<platform::gui::TMaskEdit> aperto_;
};

TEventiCidFrm::TEventiCidFrm(QWidget* parent) : QDialog(parent) {
    setObjectName("EventiCidFrm");
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);

    AssociazioneEventiCid = Nominato(new QTableWidget(RigheGriglia, 2, this), "AssociazioneEventiCid");
    QTableWidget* g = AssociazioneEventiCid;
    g->setFont(platform::gui::CarattereFisso());
    g->horizontalHeader()->hide();
    g->verticalHeader()->hide();
    g->verticalHeader()->setMinimumSectionSize(1);
    g->verticalHeader()->setDefaultSectionSize(AltezzaRiga);
    g->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    g->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    g->setShowGrid(true);
    g->setTabKeyNavigation(true);
    g->setSelectionMode(QAbstractItemView::SingleSelection);
    g->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                       QAbstractItemView::AnyKeyPressed);
    g->setColumnWidth(ColonnaNomi, LarghezzaNomi);
    g->setColumnWidth(ColonnaCodici, LarghezzaCodici);
    // The headings and the event names stand fixed, shaded like the grid's frame and in the
    // normal text colour: Tab and the arrows pass them by, only the codes can be typed.
    const QBrush fondo = g->palette().brush(QPalette::Button);
    const QBrush testo = g->palette().brush(QPalette::ButtonText);
    for (int r = 0; r < RigheGriglia; ++r)
        for (int c = 0; c < 2; ++c) {
            auto* cella = new QTableWidgetItem();
            if (r == 0 || c == ColonnaNomi) {
                cella->setFlags(Qt::NoItemFlags);
                cella->setBackground(fondo);
                cella->setForeground(testo);
            }
            g->setItem(r, c, cella);
        }
    editorCodici_ = new TEditorCodiceCid(*this, g);
    g->setItemDelegateForColumn(ColonnaCodici, editorCodici_);
    const int cornice = 2 * g->frameWidth();
    g->setFixedSize(LarghezzaNomi + LarghezzaCodici + cornice, RigheGriglia * AltezzaRiga + cornice);

    OkBtn = Nominato(new QPushButton(this), "OkBtn");
    OkBtn->setDefault(true);
    OkBtn->setMinimumWidth(90);

    auto* colonna = new QVBoxLayout(this);
    colonna->setSizeConstraint(QLayout::SetFixedSize);
    colonna->setContentsMargins(MargineFinestra, MargineFinestra, MargineFinestra, MargineFinestra);
    colonna->setSpacing(MargineFinestra);
    colonna->addWidget(g);
    auto* pulsanti = new QHBoxLayout;
    pulsanti->addStretch(1);
    pulsanti->addWidget(OkBtn);
    colonna->addLayout(pulsanti);
    spazioTitolo_ = new QSpacerItem(0, 0);
    colonna->addItem(spazioTitolo_);

    connect(OkBtn, &QPushButton::clicked, this, &TEventiCidFrm::OkBtnClick);
}

QString TEventiCidFrm::AssociazioneEventiCidGetEditMask(int, int) const {
    return QString::fromLatin1(CodiceNullo);
}

void TEventiCidFrm::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        FormShow();
        if (QScreen* s = screen()) {
            QRect r = frameGeometry();
            r.moveCenter(s->availableGeometry().center());
            move(r.topLeft());
        }
    }
    QDialog::showEvent(event);
}

void TEventiCidFrm::FormShow() {
    ImpostaTestiEventiCid();
    QTableWidget* g = AssociazioneEventiCid;
    g->setColumnWidth(ColonnaNomi, LarghezzaNomi);
    g->setColumnWidth(ColonnaCodici, LarghezzaCodici);
    const TStringa<3>* tabella = TabellaScelta(NumTabella);
    for (int i = 0; i < NumEventiCid; ++i)
        g->item(i + 1, ColonnaCodici)->setText(platform::gui::FromCp1252(tabella[i].Leggi()));
    g->setCurrentCell(1, ColonnaCodici);
}

void TEventiCidFrm::ImpostaTestiEventiCid() {
    setWindowTitle(Testo("STREVC_TITOLO"));
    QTableWidget* g = AssociazioneEventiCid;
    g->item(0, ColonnaNomi)->setText(Testo("STREVC_EVENTO"));
    g->item(0, ColonnaCodici)->setText(Testo("STREVC_VALORE"));
    OkBtn->setText(Testo("STRGLOBAL_OK"));
    for (int i = 0; i < NumEventiCid; ++i)
        g->item(i + 1, ColonnaNomi)->setText(Testo(ChiaveDiFamiglia(ChiaviEventiCid, i)));
    spazioTitolo_->changeSize(disegno::LarghezzaPerTitolo(this, windowTitle()) - 2 * MargineFinestra, 0);
    layout()->invalidate();
}

void TEventiCidFrm::OkBtnClick() {
    editorCodici_->Conferma();
    TStringa<3>* tabella = TabellaScelta(NumTabella);
    for (int r = 1; r < RigheGriglia; ++r) {
        QTableWidgetItem* cella = AssociazioneEventiCid->item(r, ColonnaCodici);
        const QString codice = CodiceDaCella(cella->text());
        cella->setText(codice);
        tabella[r - 1].Scrivi(platform::gui::ToCp1252(codice));
    }
    accept();
}
