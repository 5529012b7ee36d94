#include "ui/ServerUdp.h"

TServerUdpFrm* ServerUdpFrm = nullptr;

TServerUdpFrm::TServerUdpFrm(QWidget* parent) : QDialog(parent) {
    setObjectName("ServerUdpFrm");
}
