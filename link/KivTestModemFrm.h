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

// What the two signal-test windows (this one and the program's own) share: the displays, their
// layout, the query timer and how a cycle's reading is shown.
class TFinestraTestSegnale : public QDialog {
    Q_OBJECT
  public:
    QLabel* LabelOperatore;
    QLineEdit* Operatore;
    QLabel* LabelSegnaleModem;
    QProgressBar* SegnaleModem;
    QLabel* LabelErrorRate;
    QLineEdit* ErrorRateModem;
    QPushButton* ExitBtn;
    QTimer* TimerTest;

  protected:
    // `TimerTestTimer` runs one query cycle when the timer fires.
    explicit TFinestraTestSegnale(QWidget* parent);
    virtual void TimerTestTimer() = 0;
    void SvuotaLettura();
    void MostraLettura(const TLetturaSegnale& Lettura);
};

class TKivTestModemFrm : public TFinestraTestSegnale {
    Q_OBJECT
  public:
    TKivTestModemFrm(TKivModComFrm& FormModCom, QWidget* parent = nullptr,
                     platform::MonotonicClock Orologio = &platform::SteadyNow);
    ~TKivTestModemFrm() override;

    void ImpostaTesti();
    // One query cycle and its display.
    void TimerTestTimer() override;
    TKivTestModem& Test() { return test_; }
    bool FineTest() const { return test_.FineTest.load(); }

  protected:
    void showEvent(QShowEvent* event) override;
    void done(int r) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void FormClose();

    TKivModComFrm& form_;
    TKivTestModem test_;
};
