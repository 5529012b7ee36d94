#pragma once
// The kit-code window: reads the radio codes of a kit file.
// For now the window is only created in its place in the start-up order; its controls and its
// own creation work come with the window itself.
#include <QDialog>

class TLeggiCodRadioFrm : public QDialog {
    Q_OBJECT
  public:
    explicit TLeggiCodRadioFrm(QWidget* parent = nullptr);
};

// The program's window, set when start-up creates it.
extern TLeggiCodRadioFrm* LeggiCodRadioFrm;
