#include "link/ServerUdpAvvio.h"

#include <atomic>

namespace serverudp {
namespace {
std::atomic<IAvvioServerUdp*> registrato{nullptr};
} // namespace

void RegistraAvvioServerUdp(IAvvioServerUdp* Server) {
    registrato.store(Server);
}

IAvvioServerUdp* AvvioServerUdp() {
    return registrato.load();
}

void AvviaServerUdp(int Porta) {
    if (IAvvioServerUdp* s = registrato.load()) s->AvviaServerUdp(Porta);
}

} // namespace serverudp
