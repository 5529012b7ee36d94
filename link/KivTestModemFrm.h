#pragma once
// The signal-test window "Test Segnale Modem" of the link settings: operator, signal level and
// bit error rate of the GSM modem on the modem port, refreshed a second after each query cycle.
// Opened modally by the settings window's TestSegnaleModemBtn.
#include "link/KivTestModem.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTimer;
class TKivModComFrm;

class TKivTestModemFrm : public QDialog {
    Q_OBJECT
  public:
    TKivTestModemFrm(TKivModComFrm& FormModCom, QWidget* parent = nullptr,
                     platform::MonotonicClock Orologio = &platform::SteadyNow);
    ~TKivTestModemFrm() override;

    void ImpostaTesti();
    // One query cycle and its display.
    void TimerTestTimer();
    TKivTestModem& Test() { return test_; }
    bool FineTest() const { return test_.FineTest.load(); }

    QLabel* LabelOperatore;
    QLineEdit* Operatore;
    QLabel* LabelSegnaleModem;
    QProgressBar* SegnaleModem;
    QLabel* LabelErrorRate;
    QLineEdit* ErrorRateModem;
    QPushButton* ExitBtn;
    QTimer* TimerTest;

  protected:
    void showEvent(QShowEvent* event) override;
    void done(int r) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void FormClose();

    TKivModComFrm& form_;
    TKivTestModem test_;
};
