#pragma once
// The event-queue window: reads, shows, saves, prints and clears the panel's event queue.
// For now the window is only created in its place in the start-up order; its controls and its
// own creation work come with the window itself.
#include <QDialog>

class TCodaEventiFrm : public QDialog {
    Q_OBJECT
  public:
    explicit TCodaEventiFrm(QWidget* parent = nullptr);
};

// The program's window, set when start-up creates it.
extern TCodaEventiFrm* CodaEventiFrm;
