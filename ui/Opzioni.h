#pragma once
// The options window: the program's language, its radio-code setting and the UDP port, and the
// link component KivModCom1 with its link settings.
// For now the window is only created in its place in the start-up order. The main window closes
// it when the program ends, shown or not; FormClose is where the window will write "config.cfg"
// from its controls and restart the UDP server.
#include <QDialog>

class TOpzioniFrm : public QDialog {
    Q_OBJECT
  public:
    explicit TOpzioniFrm(QWidget* parent = nullptr);

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void FormClose();
};

// The program's window, set when start-up creates it.
extern TOpzioniFrm* OpzioniFrm;
