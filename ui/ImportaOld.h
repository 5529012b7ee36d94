#pragma once
// The import window: converts configuration files of the older formats.
// For now the window is only created in its place in the start-up order; its controls and its
// own creation work come with the window itself.
#include <QDialog>

class TImportaOldFrm : public QDialog {
    Q_OBJECT
  public:
    explicit TImportaOldFrm(QWidget* parent = nullptr);
};

// The program's window, set when start-up creates it.
extern TImportaOldFrm* ImportaOldFrm;
