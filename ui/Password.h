#pragma once
// The password dialog. The program creates it with its other windows and never shows it; nothing
// reads what it holds.
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

class TPasswordDlg : public QDialog {
    Q_OBJECT
  public:
    explicit TPasswordDlg(QWidget* parent = nullptr);

    QLabel* Label1;
    QLineEdit* Password;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
};

extern TPasswordDlg* PasswordDlg;
