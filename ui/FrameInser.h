#pragma once
// A row of the keypads page: the name of one of the 16 keypads, whether it sends its signals, and
// its learned radio code.
#include "ui/Righe.h"

#include <QFrame>

class TFrameInser : public QFrame, public righe::TRigaCodiceRadio {
    Q_OBJECT
  public:
    explicit TFrameInser(QWidget* parent = nullptr);

    // The keypad, from 0.
    int Tag = 0;

    platform::gui::TShape* ShapeBordo = nullptr;
    QLabel* DescrizioneInserLabel = nullptr;
    platform::gui::TMaskEdit* DescrizioneInser = nullptr;
    QCheckBox* SetTxAbilInvioSegnalazioni = nullptr;
    QLabel* InserAppresoLabel = nullptr;
    platform::gui::TShape* LedInserAppreso = nullptr;
    // Sector enabling: below the row's visible height, kept for the panel's layout of the page.
    QCheckBox* AbilInsF1 = nullptr;
    QCheckBox* AbilInsF2 = nullptr;
    QCheckBox* AbilInsF3 = nullptr;
    QCheckBox* AbilInsF4 = nullptr;
    QCheckBox* AbilDisF1 = nullptr;
    QCheckBox* AbilDisF2 = nullptr;
    QCheckBox* AbilDisF3 = nullptr;
    QCheckBox* AbilDisF4 = nullptr;

  protected:
    TCodiceRadio* CodiceDellaRiga() const override;
};
