#pragma once
// The GSM signal-test window of the modem.
// For now the window is only created in its place in the start-up order; its controls and its
// own creation work come with the window itself.
#include <QDialog>

class TTestModemFrm : public QDialog {
    Q_OBJECT
  public:
    explicit TTestModemFrm(QWidget* parent = nullptr);
};

// The program's window, set when start-up creates it.
extern TTestModemFrm* TestModemFrm;
