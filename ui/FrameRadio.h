#pragma once
// A row of the radio-zone page: one radio zone of the page on show, its options, its learned code,
// and the copy of the previous zone's settings.
#include "ui/Righe.h"

#include <QFrame>

class TFrameSensRadio : public QFrame, public righe::TRigaZona, public righe::TRigaCodiceRadio {
    Q_OBJECT
  public:
    explicit TFrameSensRadio(QWidget* parent = nullptr);

    // The row's place on the page; the zone is that place on the page on show.
    int Tag = 0;

    platform::gui::TShape* ShapeBordo = nullptr;
    QPushButton* CopiaDaPrec = nullptr;
    QLabel* SensoreAppresoLabel = nullptr;
    platform::gui::TShape* LedSensoreAppreso = nullptr;
    QCheckBox* ChimeVocaleAbilitato = nullptr;
    QCheckBox* SetSingoloContatto = nullptr;
    QLabel* SetSingoloContatto2 = nullptr;
    QLabel* DescrizioneZonaLabel = nullptr;
    QLabel* CodiceRadioLabel = nullptr;

    void AlertZonaAbilitatoClick();
    // Asks, then gives this zone the programming, alert, single contact and sensor type of the
    // zone before it (on a page's first row, the last zone of the page before).
    void CopiaDaPrecClick();

    // The radio zone slot (from 0) the row shows; 60 or more on the last page's spare rows.
    int Slot() const;

  protected:
    TCodiceRadio* CodiceDellaRiga() const override;

  private:
    TConfigZona* Zona() const;
};
