#pragma once
// The program's own GSM signal-test window: operator, signal level and bit error rate of the
// modem of the link component it is given, with texts from the language table. Created at start-up
// with the other windows; the options window's handler that would show it is bound to no control.
#include "link/KivTestModem.h"

#include <QDialog>
#include <memory>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTimer;
class TKivModCom;

class TTestModemFrm : public QDialog {
    Q_OBJECT
  public:
    explicit TTestModemFrm(QWidget* parent = nullptr);
    ~TTestModemFrm() override;

    // The link component; set before showing the window.
    TKivModCom* ModCom = nullptr;
    platform::MonotonicClock Orologio = &platform::SteadyNow;

    void ImpostaTesti();
    void TimerTestTimer();
    // The query engine of the link in use; nullptr without a link component.
    TKivTestModem* Test() { return test_.get(); }

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

    std::unique_ptr<TKivTestModem> test_;
};

// The program's window, set when start-up creates it.
extern TTestModemFrm* TestModemFrm;
