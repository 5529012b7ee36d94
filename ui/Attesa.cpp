#include "ui/Attesa.h"

#include "config/GetMessage_11.h"
#include "platform/gui/qt/QtText.h"
#include "platform/thread/Thread.h"
#include "ui/Testi.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>
#include <QWindow>
#include <algorithm>

TAttesaFrm* AttesaFrm = nullptr;

namespace {
constexpr int LarghezzaClient = 392;
constexpr int AltezzaClient = 173;
} // namespace

TAttesaFrm::TAttesaFrm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName("AttesaFrm");
    setFixedSize(LarghezzaClient, AltezzaClient);
    setModal(true);

    ProgressBar = new QProgressBar(this);
    ProgressBar->setObjectName("ProgressBar");
    ProgressBar->setGeometry(46, 40, 300, 25);
    ProgressBar->setTextVisible(false);
    ProgressBar->setRange(0, 100);
    ProgressBar->setValue(0);
    ProgressBar->setStyleSheet("QProgressBar { border: 1px solid #808080; background: white; }"
                               "QProgressBar::chunk { background: #0000FF; }");

    Okbutton = new QPushButton("OK", this);
    Okbutton->setObjectName("Okbutton");
    Okbutton->setGeometry(158, 110, 75, 25);
    connect(Okbutton, &QPushButton::clicked, this, &QDialog::accept);
}

int TAttesaFrm::Mostra(QWidget* Origine) {
    origine_ = Origine;
    const int esito = exec();
    // It belongs to that window only while it shows.
    origine_ = nullptr;
    if (windowHandle()) windowHandle()->setTransientParent(nullptr);
    return esito;
}

void TAttesaFrm::NuovaOperazione() {
    inAttesa_.clear();
}

void TAttesaFrm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) return;
    if (const QScreen* schermo = screen() ? screen() : QGuiApplication::primaryScreen())
        move(schermo->availableGeometry().center() - rect().center());
    // For this showing it belongs to the window that started the operation: a desktop raises a
    // window together with the one it belongs to, and any other would come up over the starting
    // window and hide it until the operation ends.
    if (windowHandle())
        windowHandle()->setTransientParent(origine_ ? origine_->window()->windowHandle() : nullptr);
    FormShow();
}

void TAttesaFrm::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    // Some window managers let it be minimised whatever it asks: the main window would then stay
    // blocked with nothing to show why. It comes back at once.
    if (event->type() == QEvent::WindowStateChange && isVisible() && (windowState() & Qt::WindowMinimized))
        QTimer::singleShot(0, this, [this] {
            if (!isVisible()) return;
            setWindowState(windowState() & ~Qt::WindowMinimized);
            showNormal();
            raise();
            activateWindow();
        });
}

void TAttesaFrm::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    // The next showing belongs to the next operation: its texts come first again.
    if (!event->spontaneous()) testiImpostati_ = false;
}

void TAttesaFrm::closeEvent(QCloseEvent* event) {
    event->ignore();
}

void TAttesaFrm::reject() {}

void TAttesaFrm::FormShow() {
    setWindowTitle(Testo("STRATTESA_ATTENDERE"));
    Okbutton->setText(Testo("STRGLOBAL_OK"));
    // OK closes the window: it must not be there before the operation shows it with its outcome,
    // or a press would hide the outcome while the operation runs on.
    Okbutton->hide();
    testiImpostati_ = true;
    // Requests may queue while they run: take them one batch at a time.
    while (!inAttesa_.empty()) {
        std::vector<std::function<void()>> richieste;
        richieste.swap(inAttesa_);
        for (auto& r : richieste)
            r();
    }
}

void TAttesaFrm::Esegui(std::function<void()> Richiesta) {
    auto applica = [this, &Richiesta] {
        if (testiImpostati_)
            Richiesta();
        else
            inAttesa_.push_back(std::move(Richiesta));
    };
    platform::IUiThread* ui = platform::UiThread();
    if (ui && !ui->IsUiThread())
        ui->RunAndWait(applica);
    else
        applica();
}

void TAttesaFrm::ImpostaMassimoGauge(int Massimo) {
    Esegui([this, Massimo] { ProgressBar->setMaximum(Massimo < 0 ? 0 : Massimo); });
}

void TAttesaFrm::AzzeraGauge() {
    Esegui([this] { ProgressBar->setValue(0); });
}

void TAttesaFrm::AvanzaGauge() {
    // A gauge full already stays full, as the original gauge held its progress to its maximum.
    Esegui([this] { ProgressBar->setValue(std::min(ProgressBar->value() + 1, ProgressBar->maximum())); });
}

void TAttesaFrm::NascondiOkbutton() {
    Esegui([this] { Okbutton->hide(); });
}

void TAttesaFrm::MostraOkbutton() {
    Esegui([this] { Okbutton->show(); });
}

void TAttesaFrm::ImpostaCaption(const std::string& Testo) {
    Esegui([this, Testo] { setWindowTitle(platform::gui::FromCp1252(Testo)); });
}

void TAttesaFrm::Ridisegna() {
    Esegui([this] { repaint(); });
}
