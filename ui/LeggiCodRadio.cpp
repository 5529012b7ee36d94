#include "ui/LeggiCodRadio.h"

#include "config/FileKit.h"
#include "platform/gui/qt/TSpinEdit.h"
#include "ui/MainDisegno.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpacerItem>

TLeggiCodRadioFrm* LeggiCodRadioFrm = nullptr;

using namespace disegno;

namespace {

// Kit numbers go up to 100.
constexpr int CifreNumKit = 3;
constexpr int MargineFinestra = 20;

// The spin edit as the kit commands see it, and back.
TEditNumKit Leggi(const platform::gui::TSpinEdit& Edit) {
    return {Edit.MinValue(), Edit.MaxValue(), Edit.Value()};
}

void Mostra(const TEditNumKit& Stato, platform::gui::TSpinEdit& Edit) {
    Edit.SetMinValue(Stato.Minimo);
    Edit.SetMaxValue(Stato.Massimo);
    Edit.SetValue(Stato.Valore);
}

} // namespace

TLeggiCodRadioFrm::TLeggiCodRadioFrm(QWidget* parent) : QDialog(parent) {
    setObjectName("LeggiCodRadioFrm");
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    // This window's texts are its design's: the language table has none for it.
    setWindowTitle(QStringLiteral("Carica Codici Radio"));

    Label1 = Etichetta(this, "Label1", "Num. Kit");
    EditNumKit = Spin(this, "EditNumKit", 0, 0, CifreNumKit);
    if (auto* e = EditNumKit->findChild<QLineEdit*>()) e->setMaxLength(CifreNumKit);
    Label1->setBuddy(EditNumKit);
    LeggiFileKitBtn = Pulsante(this, "LeggiFileKitBtn", "&Leggi File Kit");
    CaricaBtn = Pulsante(this, "CaricaBtn", "&Carica Codici Radio");

    auto* griglia = new QGridLayout(this);
    griglia->setSizeConstraint(QLayout::SetFixedSize);
    griglia->setContentsMargins(MargineFinestra, 16, MargineFinestra, 16);
    griglia->setHorizontalSpacing(SpazioColonne);
    griglia->setVerticalSpacing(12);
    griglia->addWidget(Label1, 0, 0);
    griglia->addWidget(EditNumKit, 0, 1);
    // The number stays beside its label; the buttons take the window's width.
    griglia->setColumnStretch(2, 1);
    griglia->addWidget(LeggiFileKitBtn, 1, 0, 1, 3);
    griglia->addWidget(CaricaBtn, 2, 0, 1, 3);
    // The title bar shows the whole caption.
    griglia->addItem(new QSpacerItem(LarghezzaPerTitolo(this, windowTitle()) - 2 * MargineFinestra, 0), 3, 0,
                     1, 3);

    connect(LeggiFileKitBtn, &QPushButton::clicked, this, &TLeggiCodRadioFrm::LeggiFileKitBtnClick);
    connect(CaricaBtn, &QPushButton::clicked, this, &TLeggiCodRadioFrm::CaricaBtnClick);

    FormCreate();
}

void TLeggiCodRadioFrm::FormCreate() {
    TEditNumKit stato;
    InizializzaLeggiCodRadio(stato);
    Mostra(stato, *EditNumKit);
}

void TLeggiCodRadioFrm::LeggiFileKitBtnClick() {
    TEditNumKit stato = Leggi(*EditNumKit);
    ComandoLeggiFileKit(stato);
    Mostra(stato, *EditNumKit);
}

void TLeggiCodRadioFrm::CaricaBtnClick() {
    TEditNumKit stato = Leggi(*EditNumKit);
    ComandoCaricaCodiciKit(stato);
    Mostra(stato, *EditNumKit);
}
