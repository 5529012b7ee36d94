#pragma once
// The UDP remote-link window: its server, its log and its 1-second timer.
// For now the window is only created in its place in the start-up order and takes the restarts
// the options window asks for: it remembers the port it was last asked to listen on, and listens
// on nothing. Its controls, its server and its own creation work come with the window itself.
#include "link/ServerUdpAvvio.h"

#include <QDialog>

class TServerUdpFrm : public QDialog, public serverudp::IAvvioServerUdp {
    Q_OBJECT
  public:
    // The port the server is designed to listen on from its creation until the options window
    // restarts it.
    static constexpr int PortaIniziale = 4000;

    explicit TServerUdpFrm(QWidget* parent = nullptr);
    ~TServerUdpFrm() override;

    void AvviaServerUdp(int Porta) override;
    // Ends the remote connection; with no server yet there is never one to end.
    void TerminaConnessioneUdp() {}

    // The port of the last restart (PortaIniziale before any), and how many restarts there were.
    int PortaServer() const { return porta_; }
    int Riavvii() const { return riavvii_; }

  private:
    int porta_ = PortaIniziale;
    int riavvii_ = 0;
};

// The program's window, set when start-up creates it.
extern TServerUdpFrm* ServerUdpFrm;
