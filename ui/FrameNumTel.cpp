#include "ui/FrameNumTel.h"

#include "platform/gui/qt/TShape.h"
#include "ui/Testi.h"

#include <QCheckBox>
#include <QLabel>
#include <utility>

TFrameNumTel::TFrameNumTel(QWidget* parent) : QFrame(parent) {
    setFrameShape(QFrame::NoFrame);
    resize(550, 60);
    NumTelefonoLabel = righe::Etichetta(this, "NumTelefonoLabel", "", {50, 0, 0, 0});
    NumeroTelefono = righe::Campo(this, "NumeroTelefono", "#99999999999999;1;_", 15, {50, 15, 113, 22});
    Shape1 = Nominato(new platform::gui::TShape(this), "Shape1");
    Shape1->setGeometry(0, 59, 550, 1);

    // Three lines of three boxes: what is sent, then the calls made at once.
    const std::pair<QCheckBox**, const char*> caselle[] = {
        {&SetAbilTxAllarmi, "SetAbilTxAllarmi"},
        {&SetAbilTxStatoAlim, "SetAbilTxStatoAlim"},
        {&SetAbilTxPanico, "SetAbilTxPanico"},
        {&SetAbilTxTeleAlr, "SetAbilTxTeleAlr"},
        {&SetAbilTxStatoIns, "SetAbilTxStatoIns"},
        {&SetAbilTxSupervisione, "SetAbilTxSupervisione"},
        {&SetAbilChiamataDirettaAllarme, "SetAbilChiamataDirettaAllarme"},
        {&SetAbilChiamataDirettaPanico, "SetAbilChiamataDirettaPanico"},
        {&SetAbilChiamataDirettaTeleAlr, "SetAbilChiamataDirettaTeleAlr"},
    };
    constexpr int sinistra[] = {200, 310, 430};
    for (int i = 0; i < 9; ++i)
        *caselle[i].first =
            righe::Casella(this, caselle[i].second, "", {sinistra[i % 3], 20 * (i / 3), 110, 17});
}
