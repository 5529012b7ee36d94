#pragma once
// The kit-code window "Carica Codici Radio": reads a kit code file (".kit") and copies the radio
// codes of one kit at a time into the configuration image. It is created at start-up with the
// other windows, but nothing in the program shows it.
#include <QDialog>

class QLabel;
class QPushButton;
namespace platform::gui {
class TSpinEdit;
}

class TLeggiCodRadioFrm : public QDialog {
    Q_OBJECT
  public:
    explicit TLeggiCodRadioFrm(QWidget* parent = nullptr);

    QLabel* Label1;
    platform::gui::TSpinEdit* EditNumKit;
    QPushButton* LeggiFileKitBtn;
    QPushButton* CaricaBtn;

  public slots:
    void LeggiFileKitBtnClick();
    void CaricaBtnClick();

  private:
    void FormCreate();
};

// The program's window, set when start-up creates it.
extern TLeggiCodRadioFrm* LeggiCodRadioFrm;
