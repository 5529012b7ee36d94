#pragma once
// A row of the wired-lines page: the options of one of the panel's nine wired lines. The row's
// line is its place in the main window's list of wired rows.
#include "ui/Righe.h"

#include <QFrame>

class TFrameSensFilo : public QFrame, public righe::TRigaZona {
    Q_OBJECT
  public:
    explicit TFrameSensFilo(QWidget* parent = nullptr);

    int Tag = 0;
};
