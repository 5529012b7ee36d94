#include "ui/LeggiCodRadio.h"

TLeggiCodRadioFrm* LeggiCodRadioFrm = nullptr;

TLeggiCodRadioFrm::TLeggiCodRadioFrm(QWidget* parent) : QDialog(parent) {
    setObjectName("LeggiCodRadioFrm");
}
