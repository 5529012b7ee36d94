#include "ui/ServerUdp.h"

TServerUdpFrm* ServerUdpFrm = nullptr;

TServerUdpFrm::TServerUdpFrm(QWidget* parent) : QDialog(parent) {
    setObjectName("ServerUdpFrm");
    serverudp::RegistraAvvioServerUdp(this);
}

TServerUdpFrm::~TServerUdpFrm() {
    if (serverudp::AvvioServerUdp() == this) serverudp::RegistraAvvioServerUdp(nullptr);
}

void TServerUdpFrm::AvviaServerUdp(int Porta) {
    porta_ = Porta;
    ++riavvii_;
}
