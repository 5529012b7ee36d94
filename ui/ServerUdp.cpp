#include "ui/ServerUdp.h"

#include "config/GetMessage_11.h"
#include "platform/gui/qt/QtText.h"
#include "platform/thread/Thread.h"
#include "ui/Main.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

TServerUdpFrm* ServerUdpFrm = nullptr;

namespace {
// The memo is never shown; keep only the recent part of a long session.
constexpr int RigheLog = 5000;
} // namespace

TServerUdpFrm::TServerUdpFrm(QWidget* parent) : QDialog(parent) {
    setObjectName("ServerUdpFrm");
    auto* layout = new QVBoxLayout(this);
    Messaggi = new QPlainTextEdit(this);
    Messaggi->setObjectName("Messaggi");
    Messaggi->setReadOnly(true);
    Messaggi->setMaximumBlockCount(RigheLog);
    ClearBtn = new QPushButton("Clear", this);
    ClearBtn->setObjectName("ClearBtn");
    layout->addWidget(Messaggi);
    layout->addWidget(ClearBtn);
    connect(ClearBtn, &QPushButton::clicked, this, &TServerUdpFrm::ClearBtnClick);
    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &TServerUdpFrm::Timer1Timer);
    FormCreate();
}

TServerUdpFrm::~TServerUdpFrm() {
    Timer1->stop();
    if (serverudp::AvvioServerUdp() == this) serverudp::RegistraAvvioServerUdp(nullptr);
    if (LinkRemoto() == &Link) RegistraLinkRemoto(nullptr);
    // No datagram is handled once the listener is joined, so no log line reaches a dead memo.
    Link.FermaServerUdp();
}

void TServerUdpFrm::FormCreate() {
    // The log comes from the listener thread too: the memo is changed on the UI thread only, and a
    // line queued after the window went is dropped with it.
    Link.Finestra.Log = [memo = QPointer<QPlainTextEdit>(Messaggi)](const std::string& riga) {
        auto aggiungi = [memo, t = platform::gui::FromCp1252(riga)] {
            if (memo) memo->appendPlainText(t);
        };
        // Through the program's own hand-over, which the thread checker sees.
        platform::IUiThread* ui = platform::UiThread();
        if (ui && !ui->IsUiThread())
            ui->Post(aggiungi);
        else
            aggiungi();
    };
    Link.Finestra.MostraConnesso = [](const std::string& testo) {
        if (!MainFrm) return;
        MainFrm->PageControl->setCurrentIndex(0);
        MainFrm->LabelConnessoGprs->setText(platform::gui::FromCp1252(testo));
        MainFrm->LabelConnessoGprs->setVisible(true);
        MainFrm->TerminaConnessioneRemotaGprsBtn->setVisible(true);
    };
    Link.Finestra.NascondiConnesso = [] {
        if (!MainFrm) return;
        MainFrm->LabelConnessoGprs->setVisible(false);
        MainFrm->TerminaConnessioneRemotaGprsBtn->setVisible(false);
    };
    ImpostaTestiUdp();
    Link.AvviaServerUdp(PortaIniziale);
    serverudp::RegistraAvvioServerUdp(this);
    RegistraLinkRemoto(&Link);
    Timer1->start();
}

void TServerUdpFrm::ImpostaTestiUdp() {
    Link.StrAccettareConnessione = GetMessaggio("STRUDP_ACCETTARE_CONNESSIONE");
    Link.StrConnessioneCon = GetMessaggio("STRUDP_CONNESSIONE_CON");
    if (MainFrm)
        MainFrm->TerminaConnessioneRemotaGprsBtn->setText(
            platform::gui::FromCp1252(GetMessaggio("STRUDP_TERMINA_CONNESSIONE")));
}

void TServerUdpFrm::AvviaServerUdp(int Porta) {
    porta_ = Porta;
    ++riavvii_;
    // A port it cannot listen on is logged in the memo, as the server's status, and not shown.
    Link.AvviaServerUdp(Porta);
}

void TServerUdpFrm::Timer1Timer() {
    Timer1->stop();
    Link.Timer1Timer();
    Timer1->start();
}

void TServerUdpFrm::ClearBtnClick() {
    Messaggi->clear();
}
