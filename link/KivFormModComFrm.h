#pragma once
// The link settings window's widgets. The window's logic (port, ring, settings file) is
// TKivModComFrm; this dialog shows its controls' state and hands every action back to it.
#include "link/KivFormModCom.h"

#include <QDialog>
#include <functional>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
namespace platform::gui {
class TRadioGroup;
}
class TKivModCom;

class TKivModComDialogo : public QDialog {
    Q_OBJECT
  public:
    TKivModComDialogo(TKivModComFrm& Logica, QWidget* parent = nullptr);

    // Controls' state into the widgets, and back.
    void MostraControlli();
    void LeggiControlli();

    // Replaces the GSM signal-test window that TestSegnaleModemBtn opens, when set.
    std::function<void()> ApriTestSegnale;
    // How long the modem test waits for the modem to be ready.
    platform::Duration LimiteProvaModem = std::chrono::seconds(20);

    // The buttons' actions (also what a click runs).
    void SaveBtnClick();
    void ReadBtnClick();
    void DefaultDataBtnClick();
    void RefreshComClick();
    void TestModemBtnClick();
    void TestSegnaleModemBtnClick();

  protected:
    void showEvent(QShowEvent* event) override;
    void done(int r) override;

  private:
    TKivModComFrm& logica_;
    QGroupBox* connessione_;
    platform::gui::TRadioGroup* tipo_;
    QComboBox* comViaCavo_;
    QComboBox* comViaModem_;
    QPushButton* refreshCom_;
    QLineEdit* edit_[4];
    QLabel* label_[4];
    QPushButton* saveBtn_;
    QPushButton* readBtn_;
    QPushButton* defaultBtn_;
    QPushButton* testModemBtn_;
    QPushButton* testSegnaleBtn_;
    QPushButton* esciBtn_;
};

// Makes TKivModCom::Setup show this dialog, modally, over the active window.
void InstallaFinestraModCom(TKivModCom& Com);
