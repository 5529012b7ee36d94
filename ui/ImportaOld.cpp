#include "ui/ImportaOld.h"

TImportaOldFrm* ImportaOldFrm = nullptr;

TImportaOldFrm::TImportaOldFrm(QWidget* parent) : QDialog(parent) {
    setObjectName("ImportaOldFrm");
}
