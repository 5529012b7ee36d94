#include "ui/ImportaOld.h"

#include "ui/Formati.h"
#include "ui/MainDisegno.h"
#include "ui/Testi.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QSpacerItem>
#include <QVBoxLayout>

TImportaOldFrm* ImportaOldFrm = nullptr;

using namespace disegno;

namespace {
constexpr int MargineFinestra = 20;
}

TImportaOldFrm::TImportaOldFrm(QWidget* parent) : QDialog(parent) {
    setObjectName("ImportaOldFrm");
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);

    LabelVersioniCompatibili1 = Etichetta(this, "LabelVersioniCompatibili1", "Versioni compatibili:");
    LabelVersioniCompatibili2 = Etichetta(this, "LabelVersioniCompatibili2", "ver. 4.3 - Vm409");
    LabelVersioniCompatibili3 = Etichetta(this, "LabelVersioniCompatibili3", "ver. 1.0 - Vm415");
    ConvertiFileBtn = Pulsante(this, "ConvertiFileBtn", "Converti file");
    ConvertiFileBtn->setDefault(true);
    TerminaBtn = Pulsante(this, "TerminaBtn", "&Esci");

    // Laid out rather than placed: the window takes the size its texts need in each language.
    auto* colonna = new QVBoxLayout(this);
    colonna->setSizeConstraint(QLayout::SetFixedSize);
    colonna->setContentsMargins(MargineFinestra, 16, MargineFinestra, 16);
    colonna->setSpacing(SpazioRighe);
    colonna->addWidget(LabelVersioniCompatibili1);
    // The versions read as a list under their heading.
    for (QLabel* versione : {LabelVersioniCompatibili2, LabelVersioniCompatibili3}) {
        versione->setIndent(16);
        colonna->addWidget(versione);
    }
    colonna->addSpacing(16);
    auto* pulsanti = new QHBoxLayout;
    pulsanti->setSpacing(SpazioColonne);
    pulsanti->addWidget(ConvertiFileBtn);
    pulsanti->addStretch(1);
    pulsanti->addWidget(TerminaBtn);
    colonna->addLayout(pulsanti);
    spazioTitolo_ = new QSpacerItem(0, 0);
    colonna->addItem(spazioTitolo_);
    for (QPushButton* b : {ConvertiFileBtn, TerminaBtn})
        b->setMinimumWidth(110);

    connect(ConvertiFileBtn, &QPushButton::clicked, this, &TImportaOldFrm::ConvertiFileBtnClick);
    connect(TerminaBtn, &QPushButton::clicked, this, &QDialog::reject);
}

int TImportaOldFrm::Mostra() {
    return exec();
}

void TImportaOldFrm::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) FormShow();
    QDialog::showEvent(event);
}

void TImportaOldFrm::FormShow() {
    FissaFormati();
    setWindowTitle(Testo("STRIMP_TITOLO"));
    LabelVersioniCompatibili1->setText(Testo("STRIMP_VERSCOMPATIBILI") + QLatin1Char(':'));
    LabelVersioniCompatibili2->setText(QStringLiteral("ver. 4.3 - Vm409"));
    LabelVersioniCompatibili3->setText(QStringLiteral("ver. 1.0 - Vm415"));
    ConvertiFileBtn->setText(Testo("STRIMP_CONVERTIFILE"));
    TerminaBtn->setText(Testo("STRGLOBAL_ESCI"));
    testi_ = CaricaTestiImporta();
    spazioTitolo_->changeSize(LarghezzaPerTitolo(this, windowTitle()) - 2 * MargineFinestra, 0);
    layout()->invalidate();
}

void TImportaOldFrm::ConvertiFileBtnClick() {
    ComandoConvertiFile(testi_);
}
