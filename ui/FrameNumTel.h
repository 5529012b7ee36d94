#pragma once
// A row of the telephone page: one of the eight numbers the panel calls and what it sends there.
// The main window shows the row only while its number is enabled.
#include "ui/Righe.h"

#include <QFrame>

class TFrameNumTel : public QFrame {
    Q_OBJECT
  public:
    explicit TFrameNumTel(QWidget* parent = nullptr);

    int Tag = 0;

    QLabel* NumTelefonoLabel = nullptr;
    platform::gui::TMaskEdit* NumeroTelefono = nullptr;
    platform::gui::TShape* Shape1 = nullptr;
    QCheckBox* SetAbilTxAllarmi = nullptr;
    QCheckBox* SetAbilTxStatoAlim = nullptr;
    QCheckBox* SetAbilTxPanico = nullptr;
    QCheckBox* SetAbilTxTeleAlr = nullptr;
    QCheckBox* SetAbilTxStatoIns = nullptr;
    QCheckBox* SetAbilTxSupervisione = nullptr;
    QCheckBox* SetAbilChiamataDirettaAllarme = nullptr;
    QCheckBox* SetAbilChiamataDirettaPanico = nullptr;
    QCheckBox* SetAbilChiamataDirettaTeleAlr = nullptr;
};
