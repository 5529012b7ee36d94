#include "ui/FrameRadio.h"

#include "platform/gui/Dialogs.h"
#include "ui/Main.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

// The choices and the voice-alert box are a little wider than first drawn, so that their texts
// fit in every language.
constexpr righe::TPosizioniZona Posizioni{
    .Numero = {20, 5, 50, 13},
    .Alert = {140, 10, 60, 17},
    .Tecnologico = {140, 80, 125, 17},
    .AvvisiSms = {280, 80, 80, 17},
    .AvvisiVoc = {360, 80, 86, 17},
    .Sirena = {480, 80, 80, 17},
    .Suoneria = {560, 80, 80, 17},
    .TipoProgr = {280, 8, 252, 32},
    .TipoSensore = {400, 40, 252, 32},
    .Settore = {280, 40, 252, 32},
    .Descrizione = {540, 20, 160, 22},
};

} // namespace

TFrameSensRadio::TFrameSensRadio(QWidget* parent) : QFrame(parent) {
    setFrameShape(QFrame::NoFrame);
    resize(800, 105);
    ShapeBordo = righe::Bordo(this);
    CopiaDaPrec = righe::Pulsante(this, "CopiaDaPrec", "<=>", {20, 27, 40, 16});
    SensoreAppresoLabel = righe::Etichetta(this, "SensoreAppresoLabel", "Appreso", {82, 9, 0, 0});
    LedSensoreAppreso = righe::Spia(this, "LedSensoreAppreso", {92, 24, 20, 20});
    ChimeVocaleAbilitato = righe::Casella(this, "ChimeVocaleAbilitato", "Vocale", {200, 10, 60, 17});
    SetSingoloContatto = righe::Casella(this, "SetSingoloContatto", "", {140, 40, 119, 17});
    SetSingoloContatto2 = righe::Etichetta(this, "SetSingoloContatto2", "(solo per CTSR)", {160, 60, 0, 0});
    CreaControlliZona(this, Posizioni);
    DescrizioneZonaLabel = righe::Etichetta(this, "DescrizioneZonaLabel", "", {540, 5, 150, 13});
    CodiceRadioLabel = righe::Etichetta(this, "CodiceRadioLabel", "", {700, 5, 80, 13});
    CodiceRadioLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    CreaCodiceRadio(this, {720, 20, 56, 25}, {720, 50, 50, 22});
    CodiceRadio->hide();

    connect(AlertZonaAbilitato, &QCheckBox::toggled, this, &TFrameSensRadio::AlertZonaAbilitatoClick);
    connect(CopiaDaPrec, &QPushButton::clicked, this, &TFrameSensRadio::CopiaDaPrecClick);
}

int TFrameSensRadio::Slot() const {
    return MainFrm ? MainFrm->PaginaRadio() * MainFrm->ZoneRadioPerPagina() + Tag : Tag;
}

TConfigZona* TFrameSensRadio::Zona() const {
    const int s = Slot();
    return s >= 0 && s < NumZoneRadio ? &ConfigCentrale.Zone[PrimaZonaRadio + s] : nullptr;
}

TCodiceRadio* TFrameSensRadio::CodiceDellaRiga() const {
    TConfigZona* z = Zona();
    return z ? &z->CodiceRadio : nullptr;
}

void TFrameSensRadio::AlertZonaAbilitatoClick() {
    righe::Rinfresca();
}

void TFrameSensRadio::CopiaDaPrecClick() {
    using namespace platform::gui;
    const int s = Slot();
    if (!MainFrm || s <= 0 || s >= NumZoneRadio) return;
    if (Dialogs().Message(MsgKind::Confirmation, MainFrm->StrCopiaPrec, MsgButtons::YesNo) != MsgResult::Yes)
        return;
    // What is being typed anywhere in the window reaches the image before it is copied.
    MainFrm->AggiornaConfigDaForm();
    const TConfigZona& prec = ConfigCentrale.Zone[PrimaZonaRadio + s - 1];
    TConfigZona& zona = ConfigCentrale.Zone[PrimaZonaRadio + s];
    zona.Attiva = prec.Attiva;
    zona.Ritardata = prec.Ritardata;
    zona.AlertZona = prec.AlertZona;
    zona.SingoloContatto = prec.SingoloContatto;
    zona.TipoSensore = prec.TipoSensore;
    MainFrm->AggiornaFormDaConfig();
}
