#include "ui/TestModem.h"

TTestModemFrm* TestModemFrm = nullptr;

TTestModemFrm::TTestModemFrm(QWidget* parent) : QDialog(parent) {
    setObjectName("TestModemFrm");
}
