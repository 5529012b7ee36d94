#include "ui/Password.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TPasswordDlg* PasswordDlg = nullptr;

TPasswordDlg::TPasswordDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("PasswordDlg");
    setWindowTitle("Password Dialog");
    Label1 = new QLabel("Enter password:", this);
    Label1->setObjectName("Label1");
    Password = new QLineEdit(this);
    Password->setObjectName("Password");
    Password->setEchoMode(QLineEdit::Password);
    OKBtn = new QPushButton("OK", this);
    OKBtn->setObjectName("OKBtn");
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton("Cancel", this);
    CancelBtn->setObjectName("CancelBtn");
    auto* griglia = new QGridLayout(this);
    griglia->addWidget(Label1, 0, 0, 1, 2);
    griglia->addWidget(Password, 1, 0, 1, 2);
    griglia->addWidget(OKBtn, 2, 0);
    griglia->addWidget(CancelBtn, 2, 1);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}
