#include "ui/Opzioni.h"

#include <QCloseEvent>

TOpzioniFrm* OpzioniFrm = nullptr;

TOpzioniFrm::TOpzioniFrm(QWidget* parent) : QDialog(parent) {
    setObjectName("OpzioniFrm");
}

void TOpzioniFrm::closeEvent(QCloseEvent* event) {
    FormClose();
    QDialog::closeEvent(event);
}

void TOpzioniFrm::FormClose() {}
