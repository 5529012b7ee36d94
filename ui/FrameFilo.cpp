#include "ui/FrameFilo.h"

namespace {

// The choices and the voice-alert box are a little wider than first drawn, so that their texts
// fit in every language.
constexpr righe::TPosizioniZona Posizioni{
    .Numero = {20, 8, 50, 13},
    .Alert = {104, 8, 80, 17},
    .Tecnologico = {192, 8, 80, 17},
    .AvvisiSms = {104, 32, 80, 17},
    .AvvisiVoc = {192, 32, 86, 17},
    .Sirena = {104, 56, 80, 17},
    .Suoneria = {192, 56, 80, 17},
    .TipoProgr = {280, 0, 252, 32},
    .TipoSensore = {280, 40, 252, 32},
    .Settore = {400, 40, 252, 32},
    .Descrizione = {550, 8, 160, 22},
};

} // namespace

TFrameSensFilo::TFrameSensFilo(QWidget* parent) : QFrame(parent) {
    setFrameShape(QFrame::NoFrame);
    resize(720, 80);
    // The alert box of a wired line refreshes nothing: no other control of the row depends on it.
    CreaControlliZona(this, Posizioni);
}
