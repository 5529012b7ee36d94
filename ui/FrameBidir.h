#pragma once
// A row of the bidirectional peripherals page: the name of one of the 16 peripherals and its
// learned radio code.
#include "ui/Righe.h"

#include <QFrame>

class TFrameBidir : public QFrame, public righe::TRigaCodiceRadio {
    Q_OBJECT
  public:
    explicit TFrameBidir(QWidget* parent = nullptr);

    // The peripheral, from 0.
    int Tag = 0;

    platform::gui::TShape* ShapeBordo = nullptr;
    QLabel* DescrizionePerifericaLabel = nullptr;
    platform::gui::TMaskEdit* DescrizionePeriferica = nullptr;
    QLabel* BidirAppresoLabel = nullptr;
    platform::gui::TShape* LedBidirAppreso = nullptr;

  protected:
    TCodiceRadio* CodiceDellaRiga() const override;
};
