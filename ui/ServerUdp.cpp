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
#include <chrono>
#include <deque>
#include <mutex>
#include <string>
#include <utility>

TServerUdpFrm* ServerUdpFrm = nullptr;

namespace {
// How long log lines gather before the UI thread appends them: under a flood the UI thread then
// spends at most one bounded append in each such interval, and timers and input keep their turn.
constexpr auto PassoLog = std::chrono::milliseconds(100);
} // namespace

// Log lines on their way to the memo. Anyone who reaches the port can send datagrams faster than
// the UI thread could append their lines one by one: the lines gather here and go into the memo
// in one edit.
struct TServerUdpFrm::TRigheInAttesa {
    std::mutex m;
    std::deque<std::string> righe;
    std::size_t perse = 0; // dropped, all older than righe

    // True when the lines were none: a pass of the UI thread has to be asked for.
    bool Aggiungi(const std::string& riga) {
        std::lock_guard lock(m);
        const bool primo = righe.empty() && perse == 0;
        if (righe.size() >= MaxRigheInAttesa) {
            righe.pop_front();
            ++perse;
        }
        righe.push_back(riga);
        return primo;
    }

    void Svuota() {
        std::lock_guard lock(m);
        righe.clear();
        perse = 0;
    }

    // On the UI thread: everything waiting, in order, into the memo in one edit.
    void Scarica(QPlainTextEdit* memo) {
        std::deque<std::string> prese;
        std::size_t p = 0;
        {
            std::lock_guard lock(m);
            prese.swap(righe);
            p = std::exchange(perse, 0);
        }
        if (!memo || (prese.empty() && p == 0)) return;
        std::string testo;
        if (p != 0) testo = "Dropped: " + std::to_string(p) + " log lines, too many at once";
        for (const std::string& riga : prese) {
            if (p != 0 || &riga != &prese.front()) testo += '\n';
            testo += riga;
        }
        memo->appendPlainText(platform::gui::FromCp1252(testo));
    }
};

TServerUdpFrm::TServerUdpFrm(QWidget* parent)
    : QDialog(parent), inAttesa_(std::make_shared<TRigheInAttesa>()) {
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
    // The log comes from the listener and the worker too: the memo is changed on the UI thread
    // only, and lines still waiting when the window goes are dropped with it.
    Link.Finestra.Log = [attesa = inAttesa_,
                         memo = QPointer<QPlainTextEdit>(Messaggi)](const std::string& riga) {
        const bool primo = attesa->Aggiungi(riga);
        // Through the program's own hand-over, which the thread checker sees; one hand-over while
        // lines wait. The append itself runs from the window's event loop, among the timers: run
        // from the hand-over, each append would find the next one queued behind it and the loop
        // would never get back to them. On the UI thread the lines go in at once, after those
        // still waiting.
        platform::IUiThread* ui = platform::UiThread();
        if (ui && !ui->IsUiThread()) {
            if (primo)
                ui->Post([attesa, memo] {
                    if (memo) QTimer::singleShot(PassoLog, memo, [attesa, memo] { attesa->Scarica(memo); });
                });
        } else {
            attesa->Scarica(memo);
        }
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
    // Lines logged before the click and not shown yet go too.
    inAttesa_->Svuota();
    Messaggi->clear();
}
