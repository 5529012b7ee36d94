#pragma once
// The Contact-ID tables editor.
// For now the window is only created in its place in the start-up order; its controls and its
// own creation work come with the window itself.
#include <QDialog>

class TEventiCidFrm : public QDialog {
    Q_OBJECT
  public:
    explicit TEventiCidFrm(QWidget* parent = nullptr);

    // The table the window edits: 1 or 2, set by the main window's table buttons before showing it.
    int NumTabella = 0;
};

// The program's window, set when start-up creates it.
extern TEventiCidFrm* EventiCidFrm;
