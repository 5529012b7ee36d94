#include "ui/CodaEventi.h"

TCodaEventiFrm* CodaEventiFrm = nullptr;

TCodaEventiFrm::TCodaEventiFrm(QWidget* parent) : QDialog(parent) {
    setObjectName("CodaEventiFrm");
}
