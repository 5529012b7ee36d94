#pragma once
// Restarting the UDP remote link's server on a local port. The options window restarts it when it
// is created and whenever it closes, so that a port changed there takes effect at once; the UDP
// link window is what listens, and registers itself here when it is created.
namespace serverudp {

class IAvvioServerUdp {
  public:
    virtual ~IAvvioServerUdp() = default;
    // Stops the server and starts it again on Porta. A port it cannot listen on (outside 1..65535,
    // or taken) leaves it stopped; that is not reported.
    virtual void AvviaServerUdp(int Porta) = 0;
};

// nullptr when no server is registered. The caller keeps ownership and unregisters before it goes.
void RegistraAvvioServerUdp(IAvvioServerUdp* Server);
IAvvioServerUdp* AvvioServerUdp();

// Restarts the registered server on Porta; without one, nothing happens.
void AvviaServerUdp(int Porta);

} // namespace serverudp
