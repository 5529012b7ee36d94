#pragma once
// The UDP remote-link window: its server, its log and its 1-second timer.
// For now the window is only created in its place in the start-up order; its controls and its
// own creation work come with the window itself.
#include <QDialog>

class TServerUdpFrm : public QDialog {
    Q_OBJECT
  public:
    explicit TServerUdpFrm(QWidget* parent = nullptr);
};

// The program's window, set when start-up creates it.
extern TServerUdpFrm* ServerUdpFrm;
