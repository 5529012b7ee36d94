#include "ui/EventiCid.h"

TEventiCidFrm* EventiCidFrm = nullptr;

TEventiCidFrm::TEventiCidFrm(QWidget* parent) : QDialog(parent) {
    setObjectName("EventiCidFrm");
}
