#pragma once
// The UDP remote-link window: the link (its server, state and transaction), its log memo and its
// 1-second timer. It is created at start-up and never shown to the user; it drives the main
// window's connection label and end button. Everything that is not a window lives in
// TServerUdpLink.
#include "link/ServerUdpAvvio.h"
#include "link/ServerUdpLink.h"

#include <QDialog>
#include <cstddef>
#include <memory>

class QPlainTextEdit;
class QPushButton;
class QTimer;

class TServerUdpFrm : public QDialog, public serverudp::IAvvioServerUdp {
    Q_OBJECT
  public:
    // The port the server listens on from its creation until the options window restarts it.
    static constexpr int PortaIniziale = TServerUdpLink::PortaIniziale;
    // The memo is never shown: it keeps only the recent part of a long session. Lines that wait
    // for the UI thread are bounded too (an operation with the panel logs a few dozen between two
    // appends; only a flood comes near): beyond that the oldest waiting lines are dropped, and the
    // memo says how many.
    static constexpr int RigheLog = 5000;
    static constexpr std::size_t MaxRigheInAttesa = 200;

    explicit TServerUdpFrm(QWidget* parent = nullptr);
    ~TServerUdpFrm() override;

    void AvviaServerUdp(int Porta) override;
    void FermaServerUdp() { Link.FermaServerUdp(); }
    void TerminaConnessioneUdp() { Link.TerminaConnessioneUdp(); }

    // The port of the last restart (PortaIniziale before any), and how many restarts there were.
    int PortaServer() const { return porta_; }
    int Riavvii() const { return riavvii_; }

    TServerUdpLink Link;
    QPlainTextEdit* Messaggi;
    QPushButton* ClearBtn;
    QTimer* Timer1;

  private:
    struct TRigheInAttesa;

    void FormCreate();
    void ImpostaTestiUdp();
    void Timer1Timer();
    void ClearBtnClick();

    std::shared_ptr<TRigheInAttesa> inAttesa_;
    int porta_ = PortaIniziale;
    int riavvii_ = 0;
};

// The program's window, set when start-up creates it.
extern TServerUdpFrm* ServerUdpFrm;
