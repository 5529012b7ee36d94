#pragma once
// The import window: converts a configuration file of an older format (1.0 of the Vm415, 4.3 of
// the Vm409) into a new ".415" file beside it. The main window shows it modally from its File menu;
// the converted file is then opened with the normal read.
#include "config/ImportaFileVecchi.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QSpacerItem;

class TImportaOldFrm : public QDialog {
    Q_OBJECT
  public:
    explicit TImportaOldFrm(QWidget* parent = nullptr);

    // Shows the window modally; returns when it closes.
    int Mostra();

    QLabel* LabelVersioniCompatibili1;
    QLabel* LabelVersioniCompatibili2;
    QLabel* LabelVersioniCompatibili3;
    QPushButton* ConvertiFileBtn;
    QPushButton* TerminaBtn;

  public slots:
    void ConvertiFileBtnClick();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void FormShow();

    // The messages of the conversion, in the language of the last showing (Windows-1252).
    TTestiImporta testi_;
    // Keeps the window as wide as its translated title needs.
    QSpacerItem* spazioTitolo_;
};

// The program's window, set when start-up creates it.
extern TImportaOldFrm* ImportaOldFrm;
