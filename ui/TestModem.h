#pragma once
// The program's own GSM signal-test window: operator, signal level and bit error rate of the
// modem of the link component it is given, with texts from the language table. Created at start-up
// with the other windows; the options window's handler that would show it is bound to no control.
#include "link/KivTestModem.h"
#include "link/KivTestModemFrm.h"

#include <memory>

class TKivModCom;

class TTestModemFrm : public TFinestraTestSegnale {
    Q_OBJECT
  public:
    explicit TTestModemFrm(QWidget* parent = nullptr);
    ~TTestModemFrm() override;

    // The link component; set before showing the window.
    TKivModCom* ModCom = nullptr;
    platform::MonotonicClock Orologio = &platform::SteadyNow;

    void ImpostaTesti();
    void TimerTestTimer() override;
    // The query engine of the link in use; nullptr without a link component.
    TKivTestModem* Test() { return test_.get(); }

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
